#include "script_rules.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sys/stat.h>

#include "checksums.h"
#include "medium_script.h"
#include "shell/script_limits.h"
#include "install/script_lines.h"
#include "resources/resource.h"
#include "tools/szdd/szdd_format.h"

namespace {

struct StringEntry {
    int id;
    const char* text;
};
// Made at build time from resources/strings.rc, so the names are the very
// ones the program loads.
const StringEntry Strings[] = {
#include "strings_table.inc"
};

bool SameName(const std::string& a, const char* b)
{
    std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Trim(const std::string& s)
{
    std::size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    std::size_t end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

std::string Upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The number GetPrivateProfileInt gives for a value: its leading digits.
int IntValue(const ScriptModel& model, int section, const char* key, int def, bool& numeric)
{
    const IniKey* k = model.ini.Key(Text(section), key);
    numeric = true;
    if (k == nullptr || k->value.empty()) return def;
    char* end = nullptr;
    long value = std::strtol(k->value.c_str(), &end, 10);
    numeric = *end == '\0';
    if (value > 1000000) value = 1000000;
    if (value < -1000000) value = -1000000;
    return static_cast<int>(value);
}

bool Exists(const std::string& path, off_t* size = nullptr)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (size) *size = st.st_size;
    return true;
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

// Where a file line puts its file, the destination the user picks shown as
// "<installation folder>" and the Windows directories as the usual ones.
std::string InstalledPath(const FileLine& file)
{
    std::string folder = std::string(file.entry.DestDir), name = std::string(file.entry.DestName);
    if (file.entry.Absolute) return folder + "\\" + name;
    return "<installation folder>\\" + (folder == "." || folder.empty() ? name : folder + "\\" + name);
}

bool InInstallationFolder(const FileLine& file)
{
    return file.keywordIndex >= 0 && !file.entry.Absolute && std::string(file.entry.DestDir) == ".";
}

// A value read into a text of size N: a finding when it is cut.
void CheckWidth(ScriptModel& model, int section, int key, std::size_t size)
{
    const IniKey* k = model.ini.Key(Text(section), Text(key));
    if (k == nullptr) return;
    std::size_t width = std::min(size - 1, MaxLine);
    if (k->value.size() > width)
        model.Report(k->line, true,
                     std::string(Text(key)) + " is " + std::to_string(k->value.size()) + " characters; the program keeps " +
                         std::to_string(width));
}

void CheckFieldWidth(ScriptModel& model, int line, const char* what, const std::string& field, std::size_t size)
{
    if (field.size() > size - 1)
        model.Report(line, true,
                     std::string(what) + " " + Quote(field) + " is " + std::to_string(field.size()) +
                         " characters; the field holds " + std::to_string(size - 1));
}

// The fields of a line as written, before any cut.
std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = line.find(',', start);
        fields.push_back(Trim(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return fields;
}

void CheckKnownKeys(ScriptModel& model, const char* section, const std::vector<std::string>& known)
{
    const IniSection* s = model.ini.Section(section);
    if (s == nullptr) return;
    for (const IniKey& k : s->keys) {
        bool found = false;
        for (const std::string& name : known) found = found || SameName(k.name, name.c_str());
        if (found) continue;
        if (SameName(k.name, "SerialName") && std::strcmp(section, Text(IDS_STARTUP)) == 0)
            model.Report(k.line, true, "the program reads the serial mouse's name from the key SeialName, not SerialName");
        else
            model.Report(k.line, false, "[" + std::string(section) + "] has no key " + k.name + "; the program never reads it");
    }
}

void CheckMain(ScriptModel& model)
{
    CheckKnownKeys(model, Text(IDS_MAIN),
                   {Text(IDS_PRODUCT_NAME), Text(IDS_DEFAULT_PATH), Text(IDS_MINIMUM_SPACE), Text(IDS_GROUP_NAME),
                    Text(IDS_GROUP_TITLE), "OEM", "DefaultSerialMouse", Text(IDS_DEFAULT_INI)});
    CheckWidth(model, IDS_MAIN, IDS_PRODUCT_NAME, ProductNameSize);
    CheckWidth(model, IDS_MAIN, IDS_GROUP_NAME, GroupNameSize);
    CheckWidth(model, IDS_MAIN, IDS_GROUP_TITLE, GroupTitleSize);
    const IniKey* path = model.ini.Key(Text(IDS_MAIN), Text(IDS_DEFAULT_PATH));
    if (path != nullptr) {
        // The program puts a relative DefaultPath below "C:\Program Files"
        // (or the system's own folder, which may be longer) and refuses a
        // destination that does not fit.
        std::string composed = path->value;
        if (!(composed.size() > 2 && composed[1] == ':'))
            composed = std::string("C:\\Program Files") + (composed[0] == '\\' ? "" : "\\") + composed;
        if (path->value.size() > MaxLine || composed.size() > MaxLine)
            model.Report(path->line, true,
                         "the destination " + Quote(composed.substr(0, 60) + "...") + " is longer than " +
                             std::to_string(MaxLine) + " characters; the program refuses the script");
        else if (composed.size() > MaxShortPath)
            model.Report(path->line, false,
                         "the destination " + Quote(composed) + " is longer than " + std::to_string(MaxShortPath) +
                             " characters; Windows 95 cannot use it in a short-path field");
    }
    bool numeric;
    int space = IntValue(model, IDS_MAIN, Text(IDS_MINIMUM_SPACE), 1024, numeric);
    (void)space;
    if (!numeric)
        model.Report(model.ini.Key(Text(IDS_MAIN), Text(IDS_MINIMUM_SPACE))->line, true,
                     "MinimumSpace is not a number of kilobytes");
}

void CheckDisks(ScriptModel& model, std::vector<int>& counts)
{
    const char* labels = Text(IDS_DISK_LABEL);
    const IniSection* section = model.ini.Section(labels);
    if (section == nullptr) {
        model.Report(1, true, "there is no [DiskLabel] section: the program installs no file");
        return;
    }
    bool gap = false;
    int firstGap = 0;
    for (int i = 0; i < MaxDisks; ++i) {
        std::string label = model.ini.Value(labels, Text(IDS_DISK1 + i));
        const IniKey* key = model.ini.Key(labels, Text(IDS_DISK1 + i));
        if (label.empty()) {
            if (!gap) firstGap = i + 1;
            gap = true;
            continue;
        }
        ++model.diskCount;
        if (gap)
            model.Report(key->line, true,
                         std::string(Text(IDS_DISK1 + i)) + " follows a gap (Disk" + std::to_string(firstGap) +
                             " has no label): the program counts labels, so this disk's files are never installed");
        if (label.size() > MaxLine)
            model.Report(key->line, true, "the label is longer than " + std::to_string(MaxLine) + " characters");
    }
    std::vector<std::string> known;
    for (int i = 0; i < MaxDisks; ++i) known.push_back(Text(IDS_DISK1 + i));
    for (const IniKey& k : section->keys) {
        bool found = false;
        for (const std::string& name : known) found = found || SameName(k.name, name.c_str());
        if (!found)
            model.Report(k.line, true,
                         k.name + ": the program reads at most " + std::to_string(MaxDisks) + " disks, Disk1..Disk" +
                             std::to_string(MaxDisks));
    }

    // Counts, and the lines that are there.
    int total = 0;
    for (int i = 0; i < model.diskCount; ++i) {
        const char* disk = Text(IDS_DISK1 + i);
        const IniKey* countKey = model.ini.Key(Text(IDS_FILE_COUNTS), disk);
        bool numeric;
        int count = std::max(0, IntValue(model, IDS_FILE_COUNTS, disk, 0, numeric));
        int countLine = countKey ? countKey->line : model.SectionLine(Text(IDS_FILE_COUNTS));
        if (!numeric) model.Report(countLine, true, std::string("the file count of ") + disk + " is not a number");
        if (countKey == nullptr)
            model.Report(countLine, true, std::string("[FileCounts] has no ") + disk + ": no file of that disk is installed");
        total += count;
        counts.push_back(count);
        const IniSection* lines = model.ini.Section(disk);
        int present = 0;
        if (lines != nullptr) {
            for (const IniKey& k : lines->keys) {
                char* end = nullptr;
                long n = std::strtol(k.name.c_str(), &end, 10);
                if (*end != '\0' || n < 1) {
                    model.Report(k.line, true, "[" + std::string(disk) + "] " + k.name + " is not a line number: the program never reads it");
                    continue;
                }
                ++present;
                if (n > count)
                    model.Report(k.line, true,
                                 "file line " + std::to_string(n) + " of " + disk + " is past its count (" +
                                     std::to_string(count) + " in [FileCounts]): the file is not installed");
            }
        }
        for (int n = 1; n <= count && n <= 32767; ++n) {
            if (model.ini.Key(disk, std::to_string(n).c_str()) == nullptr) {
                model.Report(countLine, true,
                             std::string(disk) + " counts " + std::to_string(count) + " files but has no line " +
                                 std::to_string(n) + " (" + std::to_string(present) + " lines present)");
                break;
            }
        }
    }
    if (total > MaxTotalFiles)
        model.Report(model.SectionLine(Text(IDS_FILE_COUNTS)), true,
                     "the file counts add up to " + std::to_string(total) + ", over " + std::to_string(MaxTotalFiles) +
                         ": the program refuses the script");
    // A section of files for a disk that has no label is never read.
    for (int i = model.diskCount; i < MaxDisks; ++i) {
        const IniSection* lines = model.ini.Section(Text(IDS_DISK1 + i));
        if (lines != nullptr && !gap)
            model.Report(lines->line, true, std::string("[") + Text(IDS_DISK1 + i) + "] belongs to no labelled disk: its files are never installed");
    }
}

void CheckDirectoryNames(ScriptModel& model)
{
    const char* section = Text(IDS_DIRECTORY_NAME);
    std::vector<std::string> known;
    for (int k = 0; k < DirectoryKeywordCount; ++k) known.push_back(Text(IDS_ROOT_DIR + k));
    const IniSection* s = model.ini.Section(section);
    if (s == nullptr) return;
    for (const IniKey& key : s->keys) {
        int k = -1;
        for (int i = 0; i < DirectoryKeywordCount; ++i)
            if (SameName(key.name, known[i].c_str())) k = i;
        if (k < 0) {
            model.Report(key.line, true,
                         key.name + " is not one of the " + std::to_string(DirectoryKeywordCount) +
                             " directory keywords (RootDir, SubDir1..SubDir6, WinDir, WinSystemDir, WinInfDir)");
            continue;
        }
        if (key.value.size() > FileEntry{}.SourceDir.Capacity - 1)
            model.Report(key.line, true,
                         "the directory " + Quote(key.value) + " is longer than " +
                             std::to_string(FileEntry{}.SourceDir.Capacity - 1) +
                             " characters: the program refuses the script when a file uses it");
        if (k == 0 && !key.value.empty() && key.value != ".")
            model.Report(key.line, true,
                         "RootDir is " + Quote(key.value) +
                             "; only \".\" works: nothing creates that folder at the destination, so its files are lost");
        // Each part of the folder is a name on the medium.
        std::size_t start = 0;
        while (start <= key.value.size() && key.value != ".") {
            std::size_t slash = key.value.find('\\', start);
            std::string part = key.value.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
            if (!part.empty() && !IsShortName(part))
                model.Report(key.line, false, "the folder name " + Quote(part) + " is not an 8.3 name");
            if (slash == std::string::npos) break;
            start = slash + 1;
        }
    }
}

void CheckFileLines(ScriptModel& model, const std::vector<int>& counts)
{
    for (int i = 0; i < model.diskCount; ++i) {
        const char* disk = Text(IDS_DISK1 + i);
        for (int n = 1; n <= counts[i] && n <= MaxTotalFiles; ++n) {
            const IniKey* key = model.ini.Key(disk, std::to_string(n).c_str());
            if (key == nullptr) continue;
            if (key->value.empty()) {
                model.Report(key->line, true, "file line " + std::to_string(n) + " of " + disk + " is empty");
                continue;
            }
            if (key->value.size() > MaxLine) {
                model.Report(key->line, true,
                             "the line is longer than " + std::to_string(MaxLine) + " characters: the program refuses the script");
                continue;
            }
            FileLine file{i + 1, n, key->line, FileEntry{}, "", -1};
            FixedText<256> keyword;
            SplitFileLine(key->value.c_str(), file.entry, keyword);
            file.keyword = std::string(keyword);
            std::vector<std::string> fields = Fields(key->value);
            fields.resize(std::max<std::size_t>(fields.size(), 4));
            CheckFieldWidth(model, key->line, "the source name", fields[0], file.entry.SourceName.Capacity);
            CheckFieldWidth(model, key->line, "the destination name", fields[1], file.entry.DestName.Capacity);
            CheckFieldWidth(model, key->line, "the description", fields[2], file.entry.Description.Capacity);
            if (fields[0].empty()) model.Report(key->line, true, "the line names no source file");
            if (fields[1].empty()) model.Report(key->line, true, "the line names no destination file");
            for (int f = 0; f < 2; ++f)
                if (!fields[f].empty() && !IsShortName(fields[f]) && !(f == 1 && Upper(fields[0]) == Upper(fields[1])))
                    model.Report(key->line, false, Quote(fields[f]) + " is not an 8.3 name (Windows 95 may run the medium from a floppy)");
            if (file.keyword.empty()) {
                model.Report(key->line, true, "the line has no directory keyword");
            } else {
                for (int k = 0; k < DirectoryKeywordCount; ++k)
                    if (SameName(file.keyword, Text(IDS_ROOT_DIR + k))) file.keywordIndex = k;
                if (file.keywordIndex < 0)
                    model.Report(key->line, true,
                                 "unknown directory keyword " + Quote(file.keyword) +
                                     ": the program copies the file from the medium's root into the destination");
            }
            if (file.keywordIndex >= 0) {
                std::string directory = model.ini.Value(Text(IDS_DIRECTORY_NAME), Text(IDS_ROOT_DIR + file.keywordIndex));
                if (directory.empty())
                    model.Report(key->line, true,
                                 std::string(Text(IDS_ROOT_DIR + file.keywordIndex)) + " has no value in [DirectoryName]");
                // The usual Windows directory stands for the one of the PC.
                if (!SetEntryDirectories(file.keywordIndex, directory.c_str(), "C:\\WINDOWS", file.entry) &&
                    directory.size() < file.entry.SourceDir.Capacity)
                    model.Report(key->line, true, "the file's folder does not fit the program's 39-character field");
            }
            model.files.push_back(file);
        }
    }
}

void CheckGroupItems(ScriptModel& model)
{
    const char* section = Text(IDS_PM_INFO);
    const IniSection* s = model.ini.Section(section);
    if (s == nullptr) return;
    int read = 0;  // the program stops at the first missing item
    while (read < MaxGroupItems && !model.ini.Value(section, std::to_string(read + 1).c_str()).empty()) ++read;
    for (const IniKey& key : s->keys) {
        char* end = nullptr;
        long n = std::strtol(key.name.c_str(), &end, 10);
        if (*end != '\0' || n < 1) {
            model.Report(key.line, true, "[PM Info] " + key.name + " is not an item number: the program never reads it");
            continue;
        }
        if (n > MaxGroupItems) {
            model.Report(key.line, true, "item " + key.name + ": the program reads at most " + std::to_string(MaxGroupItems) + " group items");
            continue;
        }
        if (n > read + 1 || (n == read + 1 && key.value.empty())) {
            if (!key.value.empty())
                model.Report(key.line, true,
                             "item " + key.name + " follows a gap (item " + std::to_string(read + 1) +
                                 " is missing): the program stops reading there");
            continue;
        }
        std::vector<std::string> fields = Fields(key.value);
        fields.resize(std::max<std::size_t>(fields.size(), 3));
        GroupItem item{};
        CheckFieldWidth(model, key.line, "the item's file", fields[0], item.ItemFile.Capacity);
        CheckFieldWidth(model, key.line, "the item's title", fields[1], item.ItemTitle.Capacity);
        CheckFieldWidth(model, key.line, "the item's extra field", fields[2], item.ItemExtra.Capacity);
        SplitGroupLine(key.value.c_str(), item);
        // The shortcut points where the first line of the name puts its file.
        const FileLine* first = nullptr;
        for (const FileLine& f : model.files) {
            if (Upper(std::string(f.entry.DestName)) != Upper(std::string(item.ItemFile))) continue;
            if (first == nullptr) {
                first = &f;
            } else if (InstalledPath(f) != InstalledPath(*first)) {
                model.Report(key.line, false,
                             "the item's shortcut points at " + InstalledPath(*first) + " (line " +
                                 std::to_string(first->line) + "), not at " + InstalledPath(f) + " (line " +
                                 std::to_string(f.line) + ")");
                break;
            }
        }
        if (first == nullptr)
            model.Report(key.line, true, "the item names " + Quote(std::string(item.ItemFile)) + ", which no file line installs");
    }
}

// The files the program itself names in the installation folder, whatever
// the script installs: the installed script and the uninstaller (without
// them the package cannot be removed), and the files the registrations name.
void CheckNamedFiles(ScriptModel& model)
{
    const struct {
        const char* file;
        bool error;
        const char* namer;   // who names the file in the installation folder
        const char* outcome;
    } named[] = {
        {"SETUP.INF", true, "the uninstaller reads",
         "the package cannot be removed, and the record of the installation has no script to lie beside"},
        {"UNINSTAL.EXE", true, "the uninstall entry names", "the package cannot be removed"},
        {"QXMAIN.EXE", false, "the Run value names", "the value points at nothing"},
        {"QXPAGE.DLL", false, "the mouse property page's registration names", "the registration points at nothing"},
    };
    for (const auto& n : named) {
        const FileLine* elsewhere = nullptr;
        bool found = false;
        for (const FileLine& f : model.files) {
            if (!SameName(std::string(f.entry.DestName), n.file)) continue;
            if (InInstallationFolder(f)) found = true;
            else if (elsewhere == nullptr) elsewhere = &f;
        }
        if (found) continue;
        if (elsewhere != nullptr)
            model.Report(elsewhere->line, n.error,
                         std::string(n.file) + " goes to " + InstalledPath(*elsewhere) + ", but " + n.namer +
                             " <installation folder>\\" + n.file + ": " + n.outcome);
        else
            model.Report(model.SectionLine(Text(IDS_DISK1)), n.error,
                         std::string("no file line installs ") + n.file + " into the installation folder, where " +
                             n.namer + " it: " + n.outcome);
    }
}

void CheckStartup(ScriptModel& model)
{
    const char* section = Text(IDS_STARTUP);
    std::vector<std::string> known;
    for (int id : {IDS_FILE_NAME, IDS_TITLE, IDS_MFG, IDS_MOUSE_DRIVER, IDS_MOUSE_INF, IDS_DRIVER_DATE,
                   IDS_PS2_INF_SECTION, IDS_SERIAL_INF_SECTION, IDS_PS2_NAME, IDS_SERIAL_NAME})
        known.push_back(Text(id));
    CheckKnownKeys(model, section, known);
    CheckWidth(model, IDS_STARTUP, IDS_FILE_NAME, StartupTextSize);
    CheckWidth(model, IDS_STARTUP, IDS_TITLE, StartupTextSize);
    // The driver registration writes these into the registry: empty, the
    // mouse is registered without its driver.
    for (int id : {IDS_MFG, IDS_MOUSE_DRIVER, IDS_MOUSE_INF, IDS_DRIVER_DATE, IDS_PS2_INF_SECTION,
                   IDS_SERIAL_INF_SECTION, IDS_PS2_NAME, IDS_SERIAL_NAME}) {
        CheckWidth(model, IDS_STARTUP, id, DriverTextSize);
        if (model.ini.Value(section, Text(id)).empty()) {
            const IniKey* k = model.ini.Key(section, Text(id));
            int line = k ? k->line : model.SectionLine(section);
            model.Report(line, true, std::string("[Startup] ") + Text(id) + " is empty; the driver registration needs it");
        }
    }
}

// The script against what Windows 95 reads of a profile. An author's script,
// without [Checksums] yet, is installed as mkmedium writes it, with the
// section: when the script fits, that copy must fit too. The script's lines
// keep their numbers in the copy; the section, after them, is reported on
// line 1.
void CheckSize(ScriptModel& model, const std::string& path, bool onMedium)
{
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<ProfileBreak> breaks = ProfileBreaks(text, "the script");
    if (breaks.empty() && !onMedium && model.ini.Section(ChecksumsSection) == nullptr) {
        breaks = ProfileBreaks(RewriteScript(path, "", WidestChecksums(model)),
                               "the installed copy with its checksums (lengths counted at 10 digits)");
        for (ProfileBreak& b : breaks)
            if (b.section == ChecksumsSection) b.line = 1;
    }
    for (const ProfileBreak& b : breaks) model.Report(b.line, true, b.message);
}

// The file at path below the medium's folder, its names matched without
// regard to case, as a PC matches them; path itself when there is none.
std::string FoundWithoutCase(const std::string& medium, const std::string& path)
{
    if (Exists(path)) return path;
    std::string found = medium, rest = path.substr(medium.size());
    for (std::size_t start = 0; start < rest.size();) {
        std::size_t end = std::min(rest.find('/', start), rest.size());
        std::string part = rest.substr(start, end - start), match;
        start = end + 1;
        if (part.empty()) continue;
        std::error_code failed;
        for (const auto& entry : std::filesystem::directory_iterator(found, failed))
            if (SameName(entry.path().filename().string(), part.c_str())) match = entry.path().filename().string();
        if (match.empty()) return path;
        found += "/" + match;
    }
    return found;
}

// The payload on the medium, and each file against its checksum.
void CheckMedium(ScriptModel& model, const std::string& medium)
{
    struct stat st;
    bool disks = stat((medium + "/DISK1").c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    bool checksums = model.ini.Section(ChecksumsSection) != nullptr;
    if (!checksums)
        model.Report(1, false,
                     std::string("the script has no [") + ChecksumsSection +
                         "] section: damage to the files on the medium cannot be detected (mkmedium writes it)");
    uint64_t expanded = 0;
    for (const FileLine& file : model.files) {
        std::string path = FoundWithoutCase(medium, SourcePath(medium, disks, model, file));
        off_t size = 0;
        if (!Exists(path, &size)) {
            model.Report(file.line, true, "the source file " + model.shownPath(path) + " is not on the medium");
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bool compressed = false;
        std::string source = std::string(file.entry.SourceName), dest = std::string(file.entry.DestName);
        if (!source.empty() && source.back() == '_') {
            // The compressed name replaces the last character of a
            // three-character extension by "_", and adds "_" to others.
            std::string expected = Upper(dest);
            std::size_t dot = expected.rfind('.');
            if (dot != std::string::npos && expected.size() - dot - 1 == 3) expected.back() = '_';
            else expected += "_";
            if (Upper(source) != expected)
                model.Report(file.line, true,
                             "the compressed name " + Quote(source) + " does not match its destination " + Quote(dest) +
                                 " (expected " + Quote(expected) + ")");
            compressed = bytes.size() >= 14 && std::memcmp(bytes.data(), "SZDD", 4) == 0;
            if (!compressed) {
                model.Report(file.line, true, "the source file " + model.shownPath(path) + " is not compressed (SZDD)");
                expanded += static_cast<uint64_t>(size);
            } else {
                expanded += SzddLength(bytes);
            }
        } else {
            expanded += static_cast<uint64_t>(size);
        }
        if (checksums) CheckFileChecksum(model, file, bytes, compressed);
    }
    bool numeric;
    int space = IntValue(model, IDS_MAIN, Text(IDS_MINIMUM_SPACE), 1024, numeric);
    uint64_t needed = (expanded + 1023) / 1024;
    if (space >= 0 && static_cast<uint64_t>(space) < needed) {
        const IniKey* k = model.ini.Key(Text(IDS_MAIN), Text(IDS_MINIMUM_SPACE));
        model.Report(k ? k->line : model.SectionLine(Text(IDS_MAIN)), true,
                     "MinimumSpace is " + std::to_string(space) + " KB, below the " + std::to_string(needed) +
                         " KB the files take when expanded");
    }
}

}  // namespace

const char* Text(int id)
{
    for (const StringEntry& s : Strings)
        if (s.id == id) return s.text;
    return "";
}

bool IniFile::Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    sections.clear();
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            sections.push_back({Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)), number, {}});
            continue;
        }
        if (sections.empty()) continue;  // keys before any section belong to none
        std::size_t equals = line.find('=');
        IniKey key{Trim(line.substr(0, equals)), equals == std::string::npos ? "" : Trim(line.substr(equals + 1)), number};
        // The profile functions give a value in quotes without them.
        if (key.value.size() > 1 && (key.value[0] == '"' || key.value[0] == '\'') && key.value.back() == key.value[0])
            key.value = key.value.substr(1, key.value.size() - 2);
        sections.back().keys.push_back(key);
    }
    return true;
}

const IniSection* IniFile::Section(const char* name) const
{
    for (const IniSection& s : sections)
        if (SameName(s.name, name)) return &s;
    return nullptr;
}

const IniKey* IniFile::Key(const char* section, const char* key) const
{
    for (const IniSection& s : sections) {
        if (!SameName(s.name, section)) continue;
        for (const IniKey& k : s.keys)
            if (SameName(k.name, key)) return &k;
    }
    return nullptr;
}

std::string IniFile::Value(const char* section, const char* key, const char* def) const
{
    const IniKey* k = Key(section, key);
    return k == nullptr ? def : k->value;
}

void ScriptModel::Report(int line, bool error, std::string message)
{
    findings.push_back({line, error, std::move(message)});
}

int ScriptModel::SectionLine(const char* section) const
{
    const IniSection* s = ini.Section(section);
    return s ? s->line : 1;
}

bool IsShortName(const std::string& name)
{
    std::size_t dot = name.find('.');
    std::string base = name.substr(0, dot);
    std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3 || extension.find('.') != std::string::npos) return false;
    for (char c : base + extension)
        if (c == ' ' || std::strchr("\"*+,/:;<=>?[\\]|", c) != nullptr) return false;
    return true;
}

std::string SourcePath(const std::string& medium, bool disks, const ScriptModel& model, const FileLine& file)
{
    (void)model;
    std::string path = medium;
    if (disks) path += "/DISK" + std::to_string(file.disk);
    std::string directory = std::string(file.entry.SourceDir);
    for (char& c : directory)
        if (c == '\\') c = '/';
    if (!directory.empty() && directory != ".") path += "/" + directory;
    return path + "/" + std::string(file.entry.SourceName);
}

void CheckScript(const std::string& path, const std::string& medium, ScriptModel& model)
{
    if (!model.ini.Load(path)) {
        struct stat st;
        model.Report(0, true, stat(path.c_str(), &st) != 0 && errno == ENOENT ? "the file does not exist" : "cannot be read");
        return;
    }
    std::vector<int> counts;
    CheckMain(model);
    CheckDisks(model, counts);
    CheckDirectoryNames(model);
    CheckFileLines(model, counts);
    CheckGroupItems(model);
    CheckNamedFiles(model);
    CheckStartup(model);
    if (model.checkChecksums) CheckChecksumLines(model);
    if (model.checkSize) CheckSize(model, path, !medium.empty());
    if (!medium.empty()) CheckMedium(model, medium);
}

int PrintFindings(const ScriptModel& model, const std::string& name)
{
    std::vector<Finding> sorted = model.findings;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
    int errors = 0;
    for (const Finding& f : sorted) {
        std::cout << name << ":" << f.line << ": " << (f.error ? "error" : "warning") << ": " << f.message << "\n";
        errors += f.error ? 1 : 0;
    }
    return errors;
}
