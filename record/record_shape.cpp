#include "record/record_shape.h"

#include <cstring>

const SectionShape RecordSections[static_cast<int>(Section::Count)] = {
    {"PS2", "the PS/2 mouse's registry values as they were", false, ValueForm::Any},
    {"Serial", "the serial mouse's registry values as they were", false, ValueForm::Any},
    {"SystemIni", "system.ini's mouse line, whether system.bak was there, VMOUSE.VXD put aside", true, ValueForm::Any},
    {"Created", "registry keys the installation created", false, ValueForm::KeyKind},
    {"Application", "the property sheet handler named before", false, ValueForm::Any},
    {"Files", "what was found where each file was put, and the file as put", false, ValueForm::FileFact},
    {"Folders", "the folders made or found", false, ValueForm::Folder},
    {"Run", "where each run of the installation began, and how it ended", false, ValueForm::Run},
};

namespace {

struct StepWord {
    const char* word;
    FileStep found;
    int fields;  // after the word; the original, when there is one, is the rest of the line
    bool original;
};

// By FileStep.
const StepWord StepWords[static_cast<int>(FileStep::Count)] = {
    {"creating", FileStep::Created, 0, false}, {"replacing", FileStep::Replaced, 2, true},
    {"updating", FileStep::Created, 1, false}, {"created", FileStep::Created, 3, false},
    {"replaced", FileStep::Replaced, 3, true}, {"same", FileStep::Same, 3, false},
};

bool Digits(const char* text, std::size_t count, bool hex)
{
    for (std::size_t i = 0; i < count; ++i) {
        char c = text[i];
        if (!((c >= '0' && c <= '9') || (hex && c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

// The next comma-ended field of value into field; false when it is not there or too long.
template <std::size_t N>
bool TakeField(const char*& value, FixedText<N>& field, bool last)
{
    const char* end = last ? value + std::strlen(value) : std::strchr(value, ',');
    if (end == nullptr || end == value || static_cast<std::size_t>(end - value) >= N) return false;
    field.assign(value);
    field.truncate(static_cast<std::size_t>(end - value));
    value = *end == ',' ? end + 1 : end;
    return true;
}

}  // namespace

Section SectionNamed(const char* name)
{
    for (int s = 0; s < static_cast<int>(Section::Count); ++s)
        if (std::strcmp(RecordSections[s].name, name) == 0) return static_cast<Section>(s);
    return Section::Count;
}

bool ValueFormSound(Section section, const char* value)
{
    FileFact fact;
    switch (RecordSections[static_cast<int>(section)].form) {
    case ValueForm::Any: return true;
    case ValueForm::KeyKind: return std::strcmp(value, "tree") == 0 || std::strcmp(value, "empty") == 0;
    case ValueForm::FileFact: return ParseFileFact(value, fact);
    case ValueForm::Folder: return std::strcmp(value, "created") == 0 || std::strcmp(value, "found") == 0;
    case ValueForm::Run: return true;  // the keys are checked: begun, carried and ended
    }
    return false;
}

bool ParseFileFact(const char* value, FileFact& fact)
{
    fact = FileFact();
    FixedText<16> word;
    bool alone = std::strchr(value, ',') == nullptr;
    if (!TakeField(value, word, alone)) return false;
    int step = 0;
    while (step < static_cast<int>(FileStep::Count) && std::strcmp(StepWords[step].word, word) != 0) ++step;
    if (step == static_cast<int>(FileStep::Count)) return false;
    const StepWord& shape = StepWords[step];
    fact.step = static_cast<FileStep>(step);
    fact.found = shape.found;
    bool done = shape.fields == 3;
    bool fields = true;
    if (fact.step == FileStep::Updating) {
        fields = TakeField(value, fact.temporary, true) && std::strchr(fact.temporary, '\\') == nullptr;
    } else if (shape.fields >= 2) {
        fields = TakeField(value, fact.size, false) && Digits(fact.size, fact.size.size(), false) &&
                 (!done || (TakeField(value, fact.time, false) && fact.time.size() == 16 &&
                            Digits(fact.time, 16, true))) &&
                 TakeField(value, fact.sum, !shape.original) && fact.sum.size() == 8 && Digits(fact.sum, 8, true);
    }
    if (!fields) return false;
    if (shape.original) return fact.original.assignWhole(value) && !fact.original.empty();
    return *value == '\0';
}

bool FormatFileFact(const FileFact& fact, FixedText<MAX_PATH + 64>& value)
{
    const StepWord& shape = StepWords[static_cast<int>(fact.step)];
    value.assign(shape.word);
    if (fact.step == FileStep::Updating) value.append(",").append(fact.temporary);
    if (shape.fields >= 2) {
        value.append(",").append(fact.size);
        if (shape.fields == 3) value.append(",").append(fact.time);
        value.append(",").append(fact.sum);
    }
    return !shape.original || (value.appendWhole(",") && value.appendWhole(fact.original));
}

void MergeFileFact(FileFact& merged, const FileFact& later)
{
    if (!merged.ours()) {
        merged = later;
        return;
    }
    merged.step = later.step;
    merged.temporary = later.temporary;
    if (later.step == FileStep::Created || later.step == FileStep::Replaced || later.step == FileStep::Same) {
        merged.size = later.size;
        merged.time = later.time;
        merged.sum = later.sum;
    }
}
