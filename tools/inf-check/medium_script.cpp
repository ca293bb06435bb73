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
