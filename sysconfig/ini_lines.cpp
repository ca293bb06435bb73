#include "sysconfig/ini_lines.h"

#include <cstddef>
#include <cstring>

const char* const MouseLine = "mouse=*vmouse\n";

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

const char* SkipBlanks(const char* text)
{
    while (IsBlank(*text)) ++text;
    return text;
}

// Whether [begin, end), without the blanks around it, is word, ignoring the
// case of letters, as the profile functions compare section and key names.
bool IsWord(const char* begin, const char* end, const char* word)
{
    begin = SkipBlanks(begin);
    while (end > begin && IsBlank(end[-1])) --end;
    std::size_t length = std::strlen(word);
    if (static_cast<std::size_t>(end - begin) != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        char a = begin[i], b = word[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

}  // namespace

bool IsSectionHeader(const char* line)
{
    return *SkipBlanks(line) == '[';
}

bool IsSection(const char* line, const char* name)
{
    const char* open = SkipBlanks(line);
    const char* close = std::strchr(open, ']');
    return close != nullptr && IsWord(open + 1, close, name);
}

// The mouse line sets the key "mouse": the text before the first "=". So a
// comment, a device line that merely mentions a mouse and keys such as
// "MouseSyncTime" never qualify.
bool IsKeyLine(const char* line, const char* key)
{
    const char* equals = std::strchr(line, '=');
    return equals != nullptr && IsWord(line, equals, key);
}

bool IsMouseLine(const char* line)
{
    return IsKeyLine(line, "mouse");
}

bool ReplacesMouseLine(const char* line, bool& searching)
{
    if (IsSectionHeader(line)) searching = IsSection(line, "386Enh");
    if (!searching || !IsMouseLine(line)) return false;
    searching = false;
    return true;
}
