// The file-line and group-line rules of SETUP.INF. The input is three texts
// separated by newlines: a script line, a DirectoryName value and a Windows
// directory; its first byte chooses the directory keyword. Each text stops
// at a zero byte and is cut to what the program can be given (a profile
// value of 255 characters, a Windows directory of 79).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "install/script_lines.h"

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

template <std::size_t N>
bool Terminated(const FixedText<N>& text)
{
    return std::memchr(text.chars, '\0', N) != nullptr;
}

// The fields of a line by the rule, written plainly: split at every comma,
// drop the spaces at both ends (only spaces), cut to 255.
std::vector<std::string> ExpectedFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = line.find(',', start);
        std::string field = line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        field.erase(0, field.find_first_not_of(' ') == std::string::npos ? field.size()
                                                                         : field.find_first_not_of(' '));
        if (field.size() > 255) field.resize(255);
        while (!field.empty() && field.back() == ' ') field.pop_back();
        fields.push_back(field);
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

std::string Cut(const std::string& text, std::size_t width)
{
    return text.substr(0, width - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const int keyword = data[0] % 11;  // 10: no keyword matched
    std::string texts[3];
    std::size_t part = 0;
    for (std::size_t i = 1; i < size && part < 3; ++i) {
        if (data[i] == '\n') ++part;
        else texts[part] += static_cast<char>(data[i]);
    }
    for (std::string& text : texts) text = text.substr(0, text.find('\0'));
    std::string line = texts[0].substr(0, 255), directory = texts[1].substr(0, 255), windows = texts[2].substr(0, 79);

    // SplitField, call after call to the end of the line.
    std::vector<std::string> expected = ExpectedFields(line);
    const char* position = line.c_str();
    const char* end = position + line.size();
    for (std::size_t n = 0; n < expected.size(); ++n) {
        FixedText<256> field;
        std::memset(field.chars, 0x5A, sizeof field.chars);
        const char* next = SplitField(position, field);
        Check(Terminated(field) && next >= position && next <= end);
        Check(std::string(field) == expected[n]);
        Check(n + 1 < expected.size() ? next[-1] == ',' : next == end);
        position = next;
    }
    FixedText<256> empty;
    Check(SplitField(end, empty) == end && empty.empty());

    // A file line: every field within its width.
    FileEntry entry;
    std::memset(&entry, 0x5A, sizeof entry);
    FixedText<256> keywordField;
    SplitFileLine(line.c_str(), entry, keywordField);
    expected.resize(4 > expected.size() ? 4 : expected.size());
    Check(Terminated(entry.SourceName) && std::string(entry.SourceName) == Cut(expected[0], 15));
    Check(Terminated(entry.DestName) && std::string(entry.DestName) == Cut(expected[1], 15));
    Check(Terminated(entry.Description) && std::string(entry.Description) == Cut(expected[2], 62));
    Check(Terminated(keywordField) && std::string(keywordField) == expected[3]);

    // Its directories: whole, or refused.
    if (keyword < DirectoryKeywordCount) {
        // As in the zero-filled install list: a refused path leaves the
        // field as it was.
        entry.SourceDir.clear();
        entry.DestDir.clear();
        entry.Absolute = 0;
        bool ok = SetEntryDirectories(keyword, directory.c_str(), windows.c_str(), entry);
        std::string dest = keyword == WinDirKeyword         ? windows
                           : keyword == WinSystemDirKeyword ? windows + "\\SYSTEM"
                           : keyword == WinInfDirKeyword    ? windows + "\\INF"
                                                            : directory;
        Check(ok == (directory.size() < 40 && dest.size() < 40));
        Check(Terminated(entry.SourceDir) && Terminated(entry.DestDir));
        if (ok) {
            Check(std::string(entry.SourceDir) == directory && std::string(entry.DestDir) == dest);
            Check(entry.Absolute == (keyword >= WinDirKeyword ? 1 : 0));
        }
    }

    // A program-group line.
    GroupItem item;
    std::memset(&item, 0x5A, sizeof item);
    SplitGroupLine(line.c_str(), item);
    Check(Terminated(item.ItemFile) && std::string(item.ItemFile) == Cut(expected[0], 15));
    Check(Terminated(item.ItemTitle) && std::string(item.ItemTitle) == Cut(expected[1], 40));
    Check(Terminated(item.ItemExtra) && std::string(item.ItemExtra) == Cut(expected[2], 5));
    return 0;
}
