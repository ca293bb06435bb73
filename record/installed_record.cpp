#include "record/installed_record.h"

#include <cstring>

#include "shell/crc32.h"
#include "shell/fixed_text.h"
#include "shell/globals.h"
#include "shell/handles.h"
#include "shell/memory.h"
#include "shell/services.h"
#include "shell/setup_log.h"
#include "shell/text_buffer.h"

const char* const RecordName = "SETUP.REC";
const char* const SystemIniRecord = "SystemIni";
const char* const CreatedKeysRecord = "Created";
const char* const ApplicationRecord = "Application";
const char* const FilesRecord = "Files";
const char* const FoldersRecord = "Folders";
const char* const RecordSections[7] = {"PS2",           "Serial",    SystemIniRecord, CreatedKeysRecord,
                                       ApplicationRecord, FilesRecord, FoldersRecord};

namespace {

// While an installation holds the record (from KeepInstalledRecord to
// EndInstalledRecord) its lines are also here, each ended by a zero: the
// copy asks of every file whether it is the package's. Lines go into
// InstallDir's record file, opened when the first one is added; a record
// carried from another folder is written into it whole first.
TextBuffer Journal;
bool Held = false;
bool Carried = false;
FileHandle Appender;
FixedText<MAX_PATH> KeptFrom;

// Two keys of one length, without regard to case. Plain ASCII is compared
// here, a byte at a time: the comparison that knows the code page costs
// more, and a record holds hundreds of keys of one length. A key with a
// character of the code page (a trail byte may look like a letter) goes to
// the system's comparison.
bool SameKey(const char* a, const char* b)
{
    for (; *a != '\0'; ++a, ++b) {
        if ((*a | *b) & 0x80) return lstrcmpiA(a, b) == 0;
        char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 32) : *a;
        char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 32) : *b;
        if (x != y) return false;
    }
    return *b == '\0';
}

// The key of a "key=value" line, to compare with another.
bool KeyOf(const char* line, FixedText<MAX_PATH>& key)
{
    const char* equals = std::strchr(line, '=');
    if (equals == nullptr || static_cast<std::size_t>(equals - line) >= key.Capacity) return false;
    key.assign(line);
    key.truncate(static_cast<std::size_t>(equals - line));
    return true;
}

// Whether a "key=value" line is key's; then the value.
const char* ValueFor(const char* keyAndValue, const char* key)
{
    std::size_t length = std::strlen(key);
    FixedText<MAX_PATH> candidate;
    if (std::strlen(keyAndValue) <= length || keyAndValue[length] != '=' || !KeyOf(keyAndValue, candidate) ||
        !SameKey(candidate, key))
        return nullptr;
    return keyAndValue + length + 1;
}

// A file found as the package's: created or replaced.
bool Ours(const char* value)
{
    return value != nullptr && (std::strncmp(value, "created,", 8) == 0 || std::strncmp(value, "replaced,", 9) == 0);
}

// The part of a value after its first n fields.
const char* AfterFields(const char* value, int n)
{
    for (; n > 0 && value != nullptr; --n) {
        value = std::strchr(value, ',');
        if (value != nullptr) ++value;
    }
    return value != nullptr ? value : "";
}

// A later line of a file merged into what the record says of it so far:
// once the package's, it stays what was found there, with the original's
// place, and takes the file as it lies now (size, time and sum); else the
// later line holds.
void MergeFileValue(FixedText<600>& merged, const char* later)
{
    if (!Ours(merged)) return static_cast<void>(merged.assign(later));
    FixedText<16> kind;
    kind.assign(merged);
    kind.truncate(static_cast<std::size_t>(std::strchr(merged, ',') - merged.c_str()));
    FixedText<MAX_PATH> original;
    original.assign(AfterFields(merged, 4));
    FixedText<64> stamp;
    stamp.assign(AfterFields(later, 1));
    if (const char* end = std::strchr(AfterFields(stamp, 2), ',')) stamp.truncate(static_cast<std::size_t>(end - stamp.c_str()));
    merged.assign(kind).append(",").append(stamp);
    if (!original.empty()) merged.append(",").append(original);
}

// What the record's lines say of key in section: the first value, or, for
// a file, every line of it merged. False when they say nothing.
bool MergedValue(const char* lines, const char* section, const char* key, FixedText<600>& value)
{
    bool found = false;
    FixedText<16> name;
    const char* keyAndValue;
    for (const char* line = lines; line != nullptr && *line != '\0'; line += std::strlen(line) + 1) {
        if (!SplitRecordLine(line, name, keyAndValue) || std::strcmp(name, section) != 0) continue;
        const char* v = ValueFor(keyAndValue, key);
        if (v == nullptr) continue;
        if (!found) value.assign(v);
        else if (std::strcmp(section, FilesRecord) == 0) MergeFileValue(value, v);
        else break;
        found = true;
    }
    return found;
}

// The lines of a record file into to, each ended by a zero; the block they
// came in is freed.
void TakeLines(TextBuffer& to, char* lines)
{
    for (const char* line = lines; line != nullptr && *line != '\0'; line += std::strlen(line) + 1)
        to.append(line, std::strlen(line) + 1);
    FreeBlock(lines);
}

// The lines the record holds now: the held ones, or the file's, read into
// scratch.
const char* CurrentLines(TextBuffer& scratch)
{
    if (Held) return Journal.c_str();
    FixedText<MAX_PATH> path;
    scratch.clear();
    if (RecordPathIn(InstallDir, path)) TakeLines(scratch, ReadRecordLines(path));
    return scratch.c_str();
}

// Lines into a file, each with CR LF, put on the disk; false when a write failed.
bool WriteLines(HANDLE file, const char* lines)
{
    TextBuffer text;
    for (const char* line = lines; *line != '\0'; line += std::strlen(line) + 1)
        text.append(line, std::strlen(line)), text.append("\r\n", 2);
    DWORD written = 0;
    return WriteFile(file, text.c_str(), static_cast<DWORD>(text.length()), &written, nullptr) &&
           written == text.length() && FlushFileBuffers(file);
}

// InstallDir's record file, open at its end for adding lines.
FileHandle OpenRecordFile(bool afresh)
{
    FixedText<MAX_PATH> path;
    if (!RecordPathIn(InstallDir, path)) return FileHandle();
    FileHandle file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, afresh ? CREATE_ALWAYS : OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) SetFilePointer(file.get(), 0, nullptr, FILE_END);
    return file;
}

// The held installation's file, once: with the carried record first.
void OpenAppender()
{
    if (Appender) return;
    Appender = OpenRecordFile(Carried);
    if (Appender && Carried) WriteLines(Appender.get(), Journal.c_str());
}

// One line more, on the disk before the call returns.
void AddLine(const char* section, const char* key, const char* value)
{
    TextBuffer line;
    line.append("[", 1), line.append(section, std::strlen(section)), line.append("] ", 2);
    line.append(key, std::strlen(key)), line.append("=", 1);
    std::size_t length = 0;
    while (value[length] != '\0' && value[length] != '\r' && value[length] != '\n') ++length;
    line.append(value, length), line.append("", 1);
    if (!Held) {
        if (FileHandle file = OpenRecordFile(false)) WriteLines(file.get(), line.c_str());
        return;
    }
    bool wasCarried = Carried && !Appender;
    Journal.append(line.c_str(), line.length());
    OpenAppender();
    if (Appender && !wasCarried) WriteLines(Appender.get(), line.c_str());
}

}  // namespace

bool RecordPathIn(const char* folder, FixedText<MAX_PATH>& path)
{
    return path.assignWhole(folder) && path.appendWhole("\\") && path.appendWhole(RecordName);
}

const char* ReadInstalledSetting(const char* section, const char* key, const char* def)
{
    static FixedText<256> value;
    TextBuffer scratch;
    FixedText<600> found;
    return value.assign(MergedValue(CurrentLines(scratch), section, key, found) ? found.c_str() : def);
}

void WriteInstalledSettingOnce(const char* section, const char* key, const char* value)
{
    TextBuffer scratch;
    FixedText<600> found;
    // A key recorded empty stays too: it says the value was not there, and a
    // later run would otherwise record the package's own value over it.
    if (!MergedValue(CurrentLines(scratch), section, key, found)) AddLine(section, key, value);
}

char* ReadRecordLines(const char* path)
{
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD size = file ? GetFileSize(file.get(), nullptr) : INVALID_FILE_SIZE;
    if (size == INVALID_FILE_SIZE || size > 0x1000000) return nullptr;
    char* text = static_cast<char*>(AllocBlock(size + 2));
    DWORD got = 0;
    if (text == nullptr) return nullptr;
    if (!ReadFile(file.get(), text, size, &got, nullptr) || got != size) return FreeBlock(text), nullptr;
    // Line ends become zeros; empty lines go, so that only the list's end
    // has two zeros in a row.
    DWORD out = 0;
    for (DWORD i = 0; i < size; ++i) {
        char c = text[i] == '\r' || text[i] == '\n' ? '\0' : text[i];
        if (c != '\0' || (out > 0 && text[out - 1] != '\0')) text[out++] = c;
    }
    if (out > 0 && text[out - 1] != '\0') text[out++] = '\0';
    text[out] = '\0';
    if (out == 0) return FreeBlock(text), nullptr;
    return text;
}

bool SplitRecordLine(const char* line, FixedText<16>& section, const char*& keyAndValue)
{
    const char* close = line[0] == '[' ? std::strchr(line, ']') : nullptr;
    if (close == nullptr || close - line - 1 >= static_cast<int>(section.Capacity) || close[1] != ' ') return false;
    section.assign(line + 1);
    section.truncate(static_cast<std::size_t>(close - line - 1));
    keyAndValue = close + 2;
    const char* equals = std::strchr(keyAndValue, '=');
    return equals != nullptr && equals != keyAndValue;
}

char* ReadRecordSection(const char* section)
{
    TextBuffer scratch, merged;
    const char* lines = CurrentLines(scratch);
    FixedText<16> name;
    const char* keyAndValue;
    for (const char* line = lines; *line != '\0'; line += std::strlen(line) + 1) {
        FixedText<MAX_PATH> key;
        FixedText<600> value;
        if (!SplitRecordLine(line, name, keyAndValue) || std::strcmp(name, section) != 0 || !KeyOf(keyAndValue, key) ||
            FindKey(merged.length() != 0 ? merged.c_str() : nullptr, key) != nullptr ||
            !MergedValue(lines, section, key, value))
            continue;
        merged.append(key, key.size()), merged.append("=", 1), merged.append(value, value.size() + 1);
    }
    if (merged.length() == 0) return nullptr;
    char* block = static_cast<char*>(AllocBlock(merged.length() + 1));
    if (block != nullptr) std::memcpy(block, merged.c_str(), merged.length() + 1);
    return block;
}

char* ReadSection(const char* path, const char* section)
{
    for (DWORD size = 8192; size <= 0x100000; size *= 2) {
        char* lines = static_cast<char*>(AllocBlock(size));
        if (lines == nullptr) return nullptr;
        DWORD length = GetPrivateProfileSectionA(section, lines, size, path);
        // A section too long for the buffer comes back cut (length = size - 2).
        if (length > 0 && length < size - 2) return lines;
        FreeBlock(lines);
        if (length == 0) return nullptr;
    }
    return nullptr;
}

const char* FindKey(const char* lines, const char* key)
{
    for (const char* line = lines; line != nullptr && *line != '\0'; line += std::strlen(line) + 1)
        if (const char* value = ValueFor(line, key)) return value;
    return nullptr;
}

void KeepInstalledRecord(const char* previous)
{
    Appender.reset();
    Journal.clear();
    KeptFrom.clear();
    Carried = false;
    FixedText<MAX_PATH> own;
    bool haveOwn = RecordPathIn(InstallDir, own);
    char* lines = nullptr;
    if (previous != nullptr && !(haveOwn && SamePath(previous, own))) lines = ReadRecordLines(previous);
    if (lines != nullptr) {
        KeptFrom.assign(previous);
        Carried = true;
    } else if (haveOwn) {
        lines = ReadRecordLines(own);
    }
    TakeLines(Journal, lines);
    Held = true;
}

void EndInstalledRecord(bool completed)
{
    if (completed && Carried) {
        OpenAppender();
        // The record now lives here; the folder it came from keeps none.
        if (Appender) DeleteFileA(KeptFrom);
    }
    Appender.reset();
    Journal.clear();
    KeptFrom.clear();
    Held = Carried = false;
}

void RecordCreatedKey(HKEY root, const char* path, const char* kind)
{
    std::size_t length = std::strlen(path);
    if (length == 0 || length >= 256) return;
    for (std::size_t i = 1; i <= length; ++i) {
        if (i < length && path[i] != '\\') continue;
        FixedText<256> part;
        part.assign(path);
        part.truncate(i);
        RegKey key;
        if (RegOpenKeyExA(root, part, 0, KEY_READ, key.receive()) == ERROR_SUCCESS) continue;
        const char* rootName = root == HKEY_CLASSES_ROOT ? "HKCR\\" : "HKLM\\";
        FixedText<264> name;
        name.assign(rootName).append(part);
        // Keys made on the way to one of ours may come to hold others' keys:
        // only the key itself goes with all it holds.
        bool whole = i == length;
        WriteInstalledSettingOnce(CreatedKeysRecord, name, whole ? kind : "empty");
        if (!whole && std::strcmp(kind, "empty") != 0) {
            name.assign(rootName).append(path);
            WriteInstalledSettingOnce(CreatedKeysRecord, name, kind);
        }
        return;
    }
}

bool FullPath(const char* path, FixedText<MAX_PATH>& full)
{
    char buffer[MAX_PATH];
    DWORD length = GetFullPathNameA(path, sizeof buffer, buffer, nullptr);
    return length != 0 && length < sizeof buffer && full.assignWhole(buffer);
}

bool IsPackageFile(const char* path)
{
    FixedText<MAX_PATH> full;
    FixedText<600> value;
    TextBuffer scratch;
    return FullPath(path, full) && MergedValue(CurrentLines(scratch), FilesRecord, full, value) && Ours(value);
}

bool KeepOriginal(const char* path, FixedText<MAX_PATH>& original)
{
    FixedText<MAX_PATH> folder, composed;
    if (!composed.assignWhole(InstallDir) || !composed.appendWhole("\\ORIGINAL") || !FullPath(composed, folder))
        return false;
    if (CreateDirectoryA(folder, nullptr)) NoteFolder(folder, true);
    // The name part, as the system finds it in a path of any code page.
    char full[MAX_PATH];
    char* name = nullptr;
    DWORD length = GetFullPathNameA(path, sizeof full, full, &name);
    if (length == 0 || length >= sizeof full || name == nullptr) return false;
    // Two originals of one name (from different folders) get numbers.
    for (char n = '0'; n <= '9'; ++n) {
        const char prefix[] = {n, '_', '\0'};
        if (!original.assignWhole(folder) || !original.appendWhole("\\") ||
            !original.appendWhole(n == '0' ? "" : prefix) || !original.appendWhole(name))
            return false;
        if (GetFileAttributesA(original) != INVALID_FILE_ATTRIBUTES) continue;
        if (MoveFileA(path, original)) return true;
        // Another drive: a copy, and the file goes only once the copy is whole.
        if (CopyFileA(path, original, TRUE)) {
            if (DeleteFileA(path)) return true;
            DeleteFileA(original);
        }
        return false;
    }
    return false;
}

bool FileStamp(const char* path, FixedText<32>& stamp)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    FormatText(stamp, "%lu,%08lX%08lX", found.nFileSizeLow, found.ftLastWriteTime.dwHighDateTime,
               found.ftLastWriteTime.dwLowDateTime);
    return true;
}

bool FileSum(const char* path, FixedText<32>& sum)
{
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    static char chunk[32768];
    DWORD got = 0, length = 0;
    uint32_t crc = 0;
    if (!file) return false;
    while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        crc = Crc32(crc, chunk, got);
        length += got;
    }
    FormatSum(sum, length, crc);
    return true;
}

void FormatSum(FixedText<32>& sum, DWORD length, DWORD crc)
{
    FormatText(sum, "%lu,%08lX", static_cast<unsigned long>(length), static_cast<unsigned long>(crc));
}

void NoteFile(const char* path, const char* found, const char* original, const char* sum)
{
    FixedText<32> stamp, read;
    FixedText<MAX_PATH> full;
    if (!FileStamp(path, stamp) || !FullPath(path, full)) return;
    if (sum == nullptr && FileSum(path, read)) sum = read;
    if (sum == nullptr) return;
    FixedText<MAX_PATH + 64> value;
    value.assign(found).append(",").append(stamp).append(",").append(AfterFields(sum, 1));
    bool kept = original != nullptr && *original != '\0';
    if (kept && !value.append(",").appendWhole(original)) return;
    AddLine(FilesRecord, full, value);
    if (found[0] == 's') LogLine("identical, left %s", full.c_str());
    else if (kept) LogLine("installed %s (the file there before is kept as %s)", full.c_str(), original);
    else LogLine("installed %s", full.c_str());
}

void NoteFolder(const char* path, bool created)
{
    FixedText<MAX_PATH> full;
    FixedText<600> value;
    TextBuffer scratch;
    if (!FullPath(path, full) || MergedValue(CurrentLines(scratch), FoldersRecord, full, value)) return;
    AddLine(FoldersRecord, full, created ? "created" : "found");
    LogLine("folder %s %s", full.c_str(), created ? "created" : "found");
}
