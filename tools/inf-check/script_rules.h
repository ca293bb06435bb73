// SETUP.INF read on the build machine as the setup program reads it, and the
// checks that tell a package's author what the program would silently do
// with a mistake. Shared by inf-check and mkmedium.
#ifndef INF_CHECK_SCRIPT_RULES_H
#define INF_CHECK_SCRIPT_RULES_H

#include <functional>
#include <string>
#include <vector>

#include "shell/script_records.h"

// The program's text of a string id of resources/strings.rc: the section and
// key names of the script.
const char* Text(int id);

struct IniKey {
    std::string name;
    std::string value;  // without the blanks around it
    int line;
};

struct IniSection {
    std::string name;
    int line;
    std::vector<IniKey> keys;
};

// The profile as the platform's profile functions see it: section and key
// names without regard to case, the first of equal names found.
struct IniFile {
    std::vector<IniSection> sections;
    bool Load(const std::string& path);
    const IniSection* Section(const char* name) const;
    const IniKey* Key(const char* section, const char* key) const;
    std::string Value(const char* section, const char* key, const char* def = "") const;
};

// One file line of a disk, split as the program splits it.
struct FileLine {
    int disk;       // 1..6
    int number;     // its key
    int line;       // in the script
    FileEntry entry;
    std::string keyword;
    int keywordIndex;  // -1 when none matches
};

struct Finding {
    int line;
    bool error;
    std::string message;
};

struct ScriptModel {
    IniFile ini;
    int diskCount = 0;                // labels read, as the program counts them
    std::vector<FileLine> files;      // the lines the program installs, in order
    std::vector<Finding> findings;
    // Whether the form of the [Checksums] lines is checked: mkmedium
    // replaces the section, so an old one's mistakes do not matter to it.
    bool checkChecksums = true;
    // Whether the script's size is checked against what Windows 95 reads of
    // a profile: mkmedium checks the copy it writes instead.
    bool checkSize = true;
    // How a path on the medium is named in findings: as it is, or, for a
    // medium read out of images, by its image.
    std::function<std::string(const std::string&)> shownPath = [](const std::string& path) { return path; };

    void Report(int line, bool error, std::string message);
    int SectionLine(const char* section) const;
};

// Reads and checks the script. medium, when not empty, is the folder the
// script lies in on its medium: then the source files are looked for too,
// without regard to case, as a PC finds them.
void CheckScript(const std::string& path, const std::string& medium, ScriptModel& model);

// The findings as compilers write them, "NAME:LINE: error|warning: text",
// in line order. Returns the number of errors.
int PrintFindings(const ScriptModel& model, const std::string& name);

// The source file of a line on the medium: DIR/<DirectoryName>/<source>,
// below DISK<n>/ when the medium is laid out on disks.
std::string SourcePath(const std::string& medium, bool disks, const ScriptModel& model, const FileLine& file);

// Whether a file name is a short (8.3) name of the FAT file system.
bool IsShortName(const std::string& name);

#endif
