#include "medium_script.h"

#include <fstream>
#include <sstream>
#include <strings.h>

#include "checksums.h"
#include "resources/resource.h"
#include "script_rules.h"

namespace {

// Whether a line is a section header as the profile functions read one;
// name is then the section's name, without the blanks around it.
bool IsHeader(const std::string& line, std::string& name)
{
    std::size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line[start] != '[') return false;
    name = line.substr(start + 1, line.find(']', start) - start - 1);
    std::size_t first = name.find_first_not_of(" \t"), last = name.find_last_not_of(" \t\r\n");
    name = first == std::string::npos ? "" : name.substr(first, last - first + 1);
    return true;
}

}  // namespace

std::string RewriteScript(const std::string& path, const std::string& diskSections, const std::string& checksums)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    std::string line, name;
    bool skipping = false, written = diskSections.empty(), blank = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (IsHeader(line, name)) {
            bool disk = false;
            for (int id = IDS_DISK_LABEL; id <= IDS_DISK6; ++id)
                if (id != IDS_DIRECTORY_NAME && strcasecmp(name.c_str(), Text(id)) == 0) disk = true;
            skipping = (disk && !diskSections.empty()) || strcasecmp(name.c_str(), ChecksumsSection) == 0;
            if (disk && !written) {
                out << diskSections;
                written = true;
                blank = true;
            }
        }
        if (!skipping) {
            out << line << "\r\n";
            blank = line.find_first_not_of(" \t") == std::string::npos;
        }
    }
    if (!written) {
        out << diskSections;
        blank = true;
    }
    out << (blank ? "" : "\r\n") << checksums;
    return out.str();
}

std::vector<ProfileBreak> ProfileBreaks(const std::string& text, const std::string& what)
{
    const std::string missed = ", so the setup program would silently miss the rest";
    std::vector<ProfileBreak> breaks;
    std::string section, name;
    int number = 0, header = 0;  // header 0: the lines before the first belong to no section
    std::size_t bytes = 0;
    auto endSection = [&] {
        if (header > 0 && bytes > MaxSectionBytes)
            breaks.push_back({section, header,
                              "[" + section + "] of " + what + " is " + std::to_string(bytes) +
                                  " bytes; Windows 95 reads at most " + std::to_string(MaxSectionBytes) +
                                  " characters of a section" + missed});
    };
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        ++number;
        if (IsHeader(text.substr(start, end - start), name)) {
            endSection();
            section = name, header = number, bytes = 0;
        } else {
            bytes += end - start;
        }
        start = end;
    }
    endSection();
    if (text.size() > MaxProfileBytes)
        breaks.push_back({"", 1,
                          what + " is " + std::to_string(text.size()) + " bytes; Windows 95 reads only the first 64 KB of a file (" +
                              std::to_string(MaxProfileBytes) + " bytes)" + missed});
    return breaks;
}
