// The system.ini edit, line by line over a whole file: the lines it
// replaces are exactly the first mouse key of each [386Enh] section; every
// other line is left as it is. The input is the file; a line ends after its
// newline, and the rules see it up to a zero byte, as the edit does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sysconfig/ini_lines.h"

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

std::string Trimmed(const std::string& text)
{
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The key of a key=value line, as the profile functions read it.
bool IsMouseKey(const std::string& line)
{
    std::size_t equals = line.find('=');
    return equals != std::string::npos && Lower(Trimmed(line.substr(0, equals))) == "mouse";
}

bool IsHeader(const std::string& line)
{
    std::size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line[first] == '[';
}

bool IsEnhancedModeHeader(const std::string& line)
{
    std::size_t open = line.find('['), close = line.find(']', open);
    return close != std::string::npos && Lower(Trimmed(line.substr(open + 1, close - open - 1))) == "386enh";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::string file(reinterpret_cast<const char*>(data), size);
    bool searching = false;
    bool inEnhancedMode = false, replacedInSection = false;
    for (std::size_t start = 0; start < file.size();) {
        std::size_t newline = file.find('\n', start);
        std::size_t end = newline == std::string::npos ? file.size() : newline + 1;
        std::string line = file.substr(start, end - start);
        start = end;
        std::string seen = line.substr(0, line.find('\0'));

        bool replaced = ReplacesMouseLine(seen.c_str(), searching);
        if (IsHeader(seen)) {
            inEnhancedMode = IsEnhancedModeHeader(seen);
            replacedInSection = false;
        }
        bool expected = inEnhancedMode && !replacedInSection && IsMouseKey(seen);
        Check(replaced == expected);
        // A line that is not the mouse key is never changed.
        Check(!replaced || IsMouseKey(seen));
        if (replaced) replacedInSection = true;
    }
    return 0;
}
