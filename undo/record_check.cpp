#include "undo/record_check.h"

#include <windows.h>

#include <cstring>

#include "install/copy_engine.h"
#include "install/program_group.h"
#include "record/installed_record.h"
#include "record/record_shape.h"
#include "shell/memory.h"
#include "shell/globals.h"
#include "sysconfig/application_registration.h"
#include "sysconfig/driver_registration.h"
#include "sysconfig/ini_lines.h"
#include "sysconfig/registry_values.h"

namespace {

using Path = FixedText<MAX_PATH>;

// The folders that are never an installation's, nor may be above one: the
// Windows folders, the Start menu's programs and the programs folder.
constexpr int SystemFolderCount = 6;
Path SystemFolders[SystemFolderCount];
Path Programs, ProgramsTail;
char* Folders;  // the record's [Folders]

void FindProgramsTail();

void FindSystemFolders()
{
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    SystemFolders[0].assign(WindowsDir);
    SystemFolders[1].assign(system);
    SystemFolders[2].assign(WindowsDir).append("\\SYSTEM");
    SystemFolders[3].assign(WindowsDir).append("\\INF");
    SystemFolders[4].assign("C:\\Program Files");
    if (RegKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"))
        ReadTextValue(key.get(), "ProgramFilesDir", SystemFolders[4]);
    if (!ProgramsFolder(Programs)) Programs.clear();
    SystemFolders[5] = Programs;
    FindProgramsTail();
}

// A path the record may name: drive-rooted and whole, as the installation
// writes it (no "." or "..", one backslash between parts).
bool Sound(const char* path)
{
    Path full;
    return path[0] != '\0' && path[1] == ':' && path[2] == '\\' && FullPath(path, full) &&
           lstrcmpiA(full, path) == 0;
}

// Whether path lies inside folder (below it, at any depth).
bool Inside(const char* path, const char* folder)
{
    std::size_t length = std::strlen(folder);
    if (length == 0 || std::strlen(path) <= length) return false;
    Path start;
    start.assign(path);
    start.truncate(length);
    bool separated = path[length] == '\\' || folder[length - 1] == '\\';
    return separated && lstrcmpiA(start, folder) == 0;
}

// The folder a path lies in.
bool ParentOf(const char* path, Path& parent)
{
    char full[MAX_PATH];
    char* name = nullptr;
    DWORD length = GetFullPathNameA(path, sizeof full, full, &name);
    if (length == 0 || length >= sizeof full || name == nullptr || name == full) return false;
    name[name - full > 3 ? -1 : 0] = '\0';  // keep the backslash of a drive's root
    return parent.assignWhole(full);
}

// Whether text begins with start, without regard to case.
bool Begins(const char* text, const char* start)
{
    std::size_t length = std::strlen(start);
    FixedText<MAX_PATH> head;
    if (std::strlen(text) < length || !head.assignWhole(text)) return false;
    head.truncate(length);
    return lstrcmpiA(head, start) == 0;
}

// The first backslash from p on, walked by characters of the code page (a
// trail byte may be a backslash); null when there is none.
const char* NextBackslash(const char* p)
{
    for (; *p != '\0'; p = CharNextA(p))
        if (*p == '\\') return p;
    return nullptr;
}

// The part of path below a user's folder, the one after "Profiles\<name>"
// of the Windows folder with user profiles, else after the Windows folder
// itself ("Start Menu\Programs" of a user's programs, as this PC names
// them); null when it lies elsewhere.
const char* BelowUserFolder(const char* path)
{
    Path root;
    root.assign(WindowsDir).append("\\");
    if (!Begins(path, root)) return nullptr;
    const char* below = path + root.size();
    root.append("Profiles\\");
    if (!Begins(path, root)) return below;
    const char* slash = NextBackslash(path + root.size());
    return slash != nullptr && slash != path + root.size() ? slash + 1 : nullptr;
}

void FindProgramsTail()
{
    const char* tail = Programs.empty() ? nullptr : BelowUserFolder(Programs);
    ProgramsTail.assign(tail != nullptr ? tail : "");
}

// The package's own group in the Start menu of any user of this PC: with
// user profiles (Windows 98) each user's lies in Windows\Profiles\<name>,
// so another user, or one who turned profiles on or off since, finds the
// group in a Start menu not his own. Nothing else there is the package's.
bool AnyUsersGroup(const char* folder)
{
    Path parent, group;
    if (ProgramsTail.empty() || GroupTitle.empty() || !ParentOf(folder, parent) || !group.assignWhole(parent) ||
        !group.appendWhole("\\") || !group.appendWhole(GroupTitle) || lstrcmpiA(group, folder) != 0)
        return false;
    const char* tail = BelowUserFolder(parent);
    return tail != nullptr && lstrcmpiA(tail, ProgramsTail) == 0;
}

// A folder an installation may have made or used: the group under the
// Start menu's programs, or one that is no drive's root, holds no system
// folder and lies outside the Windows folder.
bool AllowedFolder(const char* folder)
{
    Path parent;
    if (!Programs.empty() && ParentOf(folder, parent) && lstrcmpiA(parent, Programs) == 0) return true;
    if (AnyUsersGroup(folder)) return true;
    if (std::strlen(folder) <= 3 || Inside(folder, WindowsDir)) return false;
    for (const Path& system : SystemFolders)
        if (!system.empty() && (lstrcmpiA(folder, system) == 0 || Inside(system, folder))) return false;
    return true;
}

// Whether the record names path as in one of its folders.
bool InRecordedFolder(const char* path)
{
    for (const char* line = Folders; line != nullptr && *line != '\0'; line += std::strlen(line) + 1) {
        Path folder;
        const char* equals = std::strchr(line, '=');
        if (equals == nullptr || !folder.assignWhole(line)) continue;
        folder.truncate(static_cast<std::size_t>(equals - line));
        if (Inside(path, folder)) return true;
    }
    return false;
}

// Whether path is the destination of one of the script's files in the
// Windows folders.
bool PackageDestination(const char* path)
{
    for (int d = 1; d <= DiskCount; ++d) {
        for (int n = 1; n <= Disks[d - 1].FileCount; ++n) {
            const FileEntry& entry = Disks[d - 1].FirstEntry[n - 1];
            FixedText<256> destination;
            if (entry.Absolute && !entry.DestName.empty() && BuildDestPath(destination, d, n) &&
                lstrcmpiA(destination, path) == 0)
                return true;
        }
    }
    return false;
}

bool FileLineSound(const char* path, const char* value)
{
    FileFact fact;
    if (!Sound(path) || !ParseFileFact(value, fact)) return false;
    if (!InRecordedFolder(path) && !PackageDestination(path)) return false;
    return fact.original.empty() || (Sound(fact.original) && InRecordedFolder(fact.original));
}

bool FolderLineSound(const char* path, const char*)
{
    return Sound(path) && AllowedFolder(path);
}

// Where a run began (a folder of the installation), the record it carried
// on (one beside such a folder), and how it ended.
bool RunLineSound(const char* key, const char* value)
{
    Path folder;
    if (std::strcmp(key, "ended") == 0) return std::strcmp(value, "complete") == 0 || std::strcmp(value, "undone") == 0;
    if (std::strcmp(key, "begun") == 0) return Sound(value) && AllowedFolder(value);
    if (std::strcmp(key, "carried") != 0 || !ParentOf(value, folder)) return false;
    Path record;
    return Sound(value) && AllowedFolder(folder) && RecordPathIn(folder, record) && lstrcmpiA(record, value) == 0;
}

// Whether key is path or one of the keys on its way ("A\B" for "A\B\C").
bool OnTheWayTo(const char* key, const char* path)
{
    std::size_t length = std::strlen(key);
    return length > 0 && Begins(path, key) && (path[length] == '\0' || path[length] == '\\');
}

// A class instance: the mouse class, "\" and one name.
bool ClassInstance(const char* path)
{
    std::size_t length = std::strlen(DriverKeys::MouseClass);
    return Begins(path, DriverKeys::MouseClass) && path[length] == '\\' && path[length + 1] != '\0' &&
           std::strchr(path + length + 1, '\\') == nullptr;
}

// A [Created] line: "HKLM\path" or "HKCR\path" = tree | empty. The package
// creates whole trees only for the serial mouse's own entry and a class
// instance; the other keys it creates are its application keys and the
// keys on their way.
bool CreatedLineSound(const char* name, const char* kind)
{
    bool tree = std::strcmp(kind, "tree") == 0;
    if (!tree && std::strcmp(kind, "empty") != 0) return false;
    if (Begins(name, "HKCR\\")) return !tree && OnTheWayTo(name + 5, ApplicationKeys::Server);
    if (!Begins(name, "HKLM\\")) return false;
    const char* path = name + 5;
    if (lstrcmpiA(path, DriverKeys::RootEntry) == 0 || ClassInstance(path)) return true;
    if (tree) return false;
    const char* const keys[] = {DriverKeys::RootEntry, DriverKeys::MouseClass, ApplicationKeys::Handler,
                                ApplicationKeys::Run, ApplicationKeys::Uninstall};
    for (const char* key : keys)
        if (OnTheWayTo(path, key)) return true;
    return false;
}

// The device and class keys of a mouse record.
bool MouseLineSound(const char* key, const char* value)
{
    if (*value == '\0') return true;
    if (lstrcmpiA(key, "SubKey2") == 0) {
        return ClassInstance(value);
    }
    if (lstrcmpiA(key, "SubKey1") != 0) return true;
    if (!Begins(value, "Enum\\")) return false;
    for (const char* pattern : DriverKeys::HardwarePatterns)
        if (std::strstr(value, pattern) != nullptr) return true;
    return false;
}

// What a line may name, beyond its form.
bool LineSound(Section section, const char* key, const char* value)
{
    if (!ValueFormSound(section, value)) return false;
    switch (section) {
    case Section::PS2:
    case Section::Serial: return MouseLineSound(key, value);
    case Section::SystemIni: return lstrcmpiA(key, "MouseLine") != 0 || IsMouseLine(value);
    case Section::Created: return CreatedLineSound(key, value);
    case Section::Files: return FileLineSound(key, value);
    case Section::Folders: return FolderLineSound(key, value);
    case Section::Run: return RunLineSound(key, value);
    default: return true;
    }
}

}  // namespace

bool RecordPresent()
{
    char* lines = CurrentRecordLines();
    FreeBlock(lines);
    return lines != nullptr;
}

bool RecordIsSound(FixedText<600>& offending)
{
    FindSystemFolders();
    char* lines = CurrentRecordLines();
    // The folders first: what a file line may name depends on them.
    Folders = ReadRecordSection(Section::Folders);
    bool sound = true;
    for (const char* line = lines; line != nullptr && *line != '\0' && sound; line += std::strlen(line) + 1) {
        FixedText<16> name;
        const char* keyAndValue;
        FixedText<300> key;
        Section section = Section::Count;
        if (SplitRecordLine(line, name, keyAndValue)) section = SectionNamed(name);
        const char* equals = section != Section::Count ? std::strchr(keyAndValue, '=') : nullptr;
        if (equals != nullptr && key.assignWhole(keyAndValue)) key.truncate(static_cast<std::size_t>(equals - keyAndValue));
        sound = equals != nullptr && !key.empty() && LineSound(section, key, equals + 1);
        if (!sound) offending.assign(line);
    }
    FreeBlock(lines);
    FreeBlock(Folders);
    Folders = nullptr;
    return sound;
}
