// system.ini, the mouse device file and the package's files, back as they
// were before the installation.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "record/installed_record.h"
#include "install/program_group.h"
#include "install/setup_script.h"
#include "shell/globals.h"
#include "shell/handles.h"
#include "shell/services.h"
#include "sysconfig/system_ini.h"
#include "uninstall/uninstall.h"

namespace {

const char* const OurMouseLine = "mouse=*vmouse";

bool WindowsPath(FixedText<MAX_PATH>& path, const char* name)
{
    return path.assignWhole(WindowsDir) && path.appendWhole(name);
}

// Windows 9x has no MoveFileExA: a file in use is deleted at the next start
// of Windows by WININIT.EXE, from the [rename] section of WININIT.INI, where
// "NUL=" and the file's short path mean "delete it".
void DeleteAtRestart(const char* path)
{
    char full[MAX_PATH], shortPath[MAX_PATH];
    DWORD fullLength = GetFullPathNameA(path, sizeof full, full, nullptr);  // without the "." of RootDir
    if (fullLength == 0 || fullLength >= sizeof full) return Leave(path, "its path is too long");
    DWORD length = GetShortPathNameA(full, shortPath, sizeof shortPath);
    FixedText<MAX_PATH + 8> line;
    if (length == 0 || length >= sizeof shortPath || !line.assign("NUL=").appendWhole(shortPath) ||
        !line.appendWhole("\r\n"))
        return Leave(full, "it cannot be deleted, nor at the restart");
    if (std::strstr(Result->renameLines, line) != nullptr) return;
    if (!Result->renameLines.appendWhole(line)) return Leave(full, "too many files wait for the restart");
    Result->waiting.append("- ").append(full).append("\n");
}

// The whole of a small text file, or an empty text; the caller frees it.
char* ReadWholeFile(const char* path)
{
    StdioFile file(std::fopen(path, "rb"));
    std::size_t used = 0, capacity = 4096;
    char* text = static_cast<char*>(std::malloc(capacity));
    if (text == nullptr) return nullptr;
    while (file) {
        if (used + 1 == capacity) {
            char* grown = static_cast<char*>(std::malloc(capacity * 2));
            if (grown == nullptr) break;
            std::memcpy(grown, text, used);
            std::free(text);
            text = grown;
            capacity *= 2;
        }
        std::size_t n = std::fread(text + used, 1, capacity - 1 - used, file.get());
        if (n == 0) break;
        used += n;
    }
    text[used] = '\0';
    return text;
}

bool StartsWithNoCase(const char* text, const char* start)
{
    for (; *start != '\0'; ++text, ++start) {
        char a = *text >= 'A' && *text <= 'Z' ? static_cast<char>(*text - 'A' + 'a') : *text;
        if (a != *start) return false;
    }
    return true;
}

void Put(FILE* file, const char* text)
{
    std::fwrite(text, 1, std::strlen(text), file);
}

// Adds the gathered lines to the [rename] section of WININIT.INI: after its
// header when the section is there (the profile functions cannot write the
// same key twice), else in a new section at the end.
void WriteRenameSection()
{
    FixedText<MAX_PATH> path;
    if (Result->renameLines.empty() || !WindowsPath(path, "\\WININIT.INI")) return;
    char* text = ReadWholeFile(path);
    if (text == nullptr) return;
    char* insert = nullptr;
    for (char* line = text; *line != '\0';) {
        char* end = std::strchr(line, '\n');
        char* next = end != nullptr ? end + 1 : line + std::strlen(line);
        if (StartsWithNoCase(line, "[rename]")) {
            insert = next;
            break;
        }
        line = next;
    }
    StdioFile file(std::fopen(path, "wb"));
    bool written = false;
    if (file) {
        std::size_t before = insert != nullptr ? static_cast<std::size_t>(insert - text) : std::strlen(text);
        std::fwrite(text, 1, before, file.get());
        if (insert == nullptr) {
            if (before > 0 && text[before - 1] != '\n') Put(file.get(), "\r\n");
            Put(file.get(), "[rename]\r\n");
        } else if (before > 0 && text[before - 1] != '\n') {
            Put(file.get(), "\r\n");
        }
        Put(file.get(), Result->renameLines);
        if (insert != nullptr) Put(file.get(), insert);
        written = std::fclose(file.release()) == 0;
    }
    std::free(text);
    if (!written) Leave(path, "it cannot be written, so the files in use stay after the restart");
}

bool SamePath(const char* a, const char* b)
{
    char fullA[MAX_PATH], fullB[MAX_PATH], shortA[MAX_PATH], shortB[MAX_PATH];
    if (GetFullPathNameA(a, sizeof fullA, fullA, nullptr) == 0 ||
        GetFullPathNameA(b, sizeof fullB, fullB, nullptr) == 0)
        return false;
    if (GetShortPathNameA(fullA, shortA, sizeof shortA) == 0 || GetShortPathNameA(fullB, shortB, sizeof shortB) == 0)
        return lstrcmpiA(fullA, fullB) == 0;
    return lstrcmpiA(shortA, shortB) == 0;
}

// Where the copy put a file: the same composition as at installation.
bool InstalledPath(const FileEntry& entry, FixedText<MAX_PATH>& path)
{
    path.clear();
    if (!entry.Absolute && !(path.appendWhole(InstallDir) && path.appendWhole("\\"))) return false;
    return path.appendWhole(entry.DestDir) && path.appendWhole("\\") && path.appendWhole(entry.DestName);
}

void RemoveFile(const char* path, const char* self)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;  // gone already
    // A running program's file cannot be deleted on Windows 9x.
    if (SamePath(path, self)) return DeleteAtRestart(path);
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path)) ++Result->filesRemoved;
    else DeleteAtRestart(path);
}

void RemoveProgramGroup()
{
    FixedText<MAX_PATH> folder;
    if (GroupItemCount == 0 || !ProgramGroupFolder(folder) || !DirectoryExists(folder)) return;
    for (int k = 0; k < GroupItemCount; ++k) {
        FixedText<MAX_PATH> shortcut;
        if (ShortcutPath(folder, *GroupItems[k], shortcut)) DeleteFileA(shortcut);
    }
    if (RemoveDirectoryA(folder)) Result->done.append("- the program group ").append(GroupTitle).append("\n");
    else Leave(folder, "it holds files that are not the package's");
}

void RemoveDirectories()
{
    for (int k = 1; k <= SubDirCount; ++k) {
        FixedText<MAX_PATH> path;
        if (DirectoryNames[k].empty() || !path.assignWhole(InstallDir) || !path.appendWhole("\\") ||
            !path.appendWhole(DirectoryNames[k]))
            continue;
        if (DirectoryExists(path) && !RemoveDirectoryA(path)) Leave(path, "it holds files that are not the package's");
    }
    if (RemoveDirectoryA(InstallDir) || !DirectoryExists(InstallDir)) return;
    // Windows 9x deletes files at the restart, never folders.
    if (std::strstr(Result->waiting, InstallDir) != nullptr)
        Result->waiting.append("(the folder ").append(InstallDir).append(" stays, empty)\n");
    else
        Leave(InstallDir, "it holds files that are not the package's");
}

}  // namespace

void UndoSystemIni()
{
    FixedText<256> recorded, now;
    bool haveRecord = ReadInstalledSetting(SystemIniRecord, "MouseLine", "")[0] != '\0';
    recorded.assign(ReadInstalledSetting(SystemIniRecord, "MouseLine", ""));
    bool found = FindMouseLine(now);
    if (!haveRecord) {
        if (found && std::strcmp(now, OurMouseLine) == 0)
            Leave("the mouse line of system.ini", "the installation recorded no earlier one");
    } else if (found && std::strcmp(now, OurMouseLine) == 0) {
        if (ReplaceMouseLine(recorded)) {
            Result->done.append("- system.ini: ").append(recorded).append("\n");
            // A backup that was not there before the installation goes again.
            FixedText<MAX_PATH> backup;
            if (std::strcmp(ReadInstalledSetting(SystemIniRecord, "SystemBak", ""), "0") == 0 &&
                WindowsPath(backup, "\\system.bak"))
                DeleteFileA(backup);
        } else {
            Leave("the mouse line of system.ini", "system.ini could not be written");
        }
    } else if (!found || std::strcmp(now, recorded) != 0) {
        Leave("the mouse line of system.ini", "changed since the installation");
    }

    if (std::strcmp(ReadInstalledSetting(SystemIniRecord, "VMouseMoved", ""), "1") != 0) return;
    char system[80];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    FixedText<MAX_PATH> device, backup;
    if (length == 0 || length >= sizeof system || !device.assign(system).appendWhole("\\VMM32\\VMOUSE.VXD") ||
        !backup.assign(system).appendWhole("\\VMM32\\VMOUSE.BAK"))
        return;
    if (GetFileAttributesA(backup) == INVALID_FILE_ATTRIBUTES) {
        if (GetFileAttributesA(device) == INVALID_FILE_ATTRIBUTES) Leave(backup, "it is no longer there");
        return;
    }
    if (GetFileAttributesA(device) != INVALID_FILE_ATTRIBUTES)
        Leave(backup, "a VMOUSE.VXD that the installation did not put aside is there now");
    else if (MoveFileA(backup, device))
        Result->done.append("- VMOUSE.VXD is back\n");
    else
        Leave(backup, "it cannot take the name VMOUSE.VXD");
}

void UndoFiles()
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self - 1);
    for (int d = 0; d < DiskCount; ++d) {
        for (int n = 0; n < Disks[d].FileCount; ++n) {
            const FileEntry& entry = Disks[d].FirstEntry[n];
            FixedText<MAX_PATH> path;
            if (!entry.DestName.empty() && InstalledPath(entry, path)) RemoveFile(path, self);
        }
    }
    FixedText<32> count;
    FormatText(count, "%d", Result->filesRemoved);
    Result->done.append("- ").append(count).append(" of the package's files\n");
    RemoveProgramGroup();
    RemoveDirectories();
    WriteRenameSection();
}
