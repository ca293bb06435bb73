// system.ini, the mouse device file and the package's files, back as they
// were before the installation.
#include "uninstall/undo_files.h"

#include <cstring>

#include "install/copy_engine.h"
#include "record/installed_record.h"
#include "shell/memory.h"
#include "shell/globals.h"
#include "shell/handles.h"
#include "shell/services.h"
#include "sysconfig/system_ini.h"
#include "sysconfig/wininit.h"
#include "uninstall/outcome.h"
#include "uninstall/record_check.h"

namespace {

using Path = FixedText<MAX_PATH>;

const char* const OurMouseLine = "mouse=*vmouse";

bool WindowsPath(Path& path, const char* name)
{
    return path.assignWhole(WindowsDir) && path.appendWhole(name);
}

// The short path of a file that is there, for WININIT.INI.
bool ShortPath(const char* path, Path& shortPath)
{
    DWORD length = GetShortPathNameA(path, shortPath.data(), static_cast<DWORD>(shortPath.Capacity));
    return length != 0 && length < shortPath.Capacity;
}

// Windows 9x has no MoveFileExA that works: a file in use goes at the next
// start of Windows, through the [rename] section of WININIT.INI, where
// "NUL=" and the file's short path delete it, and "dest=source" puts source
// in dest's place. A replaced file gets its original back so, after its
// own is deleted: WININIT runs before Windows, and knows only short names.
void AtRestart(const char* path, const char* original)
{
    Path target, from;
    FixedText<3 * MAX_PATH + 16> lines;
    bool named = ShortPath(path, target) && (original == nullptr || ShortPath(original, from));
    if (!named || !lines.assign("NUL=").appendWhole(target) || !lines.appendWhole("\n") ||
        (original != nullptr && (!lines.appendWhole(target) || !lines.appendWhole("=") ||
                                 !lines.appendWhole(from) || !lines.appendWhole("\n"))))
        return Leave(path, "it cannot be removed, nor at the restart");
    if (std::strstr(Result->renameLines, lines) != nullptr) return;
    if (!Result->renameLines.appendWhole(lines)) return Leave(path, "too many files wait for the restart");
    Result->waiting.append("- ").append(path);
    if (original != nullptr) Result->waiting.append(", and the file it replaced comes back from ").append(original);
    Result->waiting.append("\n");
}

// The installation's own file goes now, or at the restart while a program
// holds it (this one's among them); it is read-only only when the user made
// it so, and stays then. A replaced file's original comes back at the
// restart too. True when it went now.
bool Remove(const char* path, const char* self, const char* original = nullptr)
{
    bool running = SamePath(path, self);
    if (!running && (GetFileAttributesA(path) & FILE_ATTRIBUTE_READONLY) != 0)
        return Leave(path, "it is read-only"), false;
    if (!running && !FileInUse(path) && DeleteFileA(path)) return true;
    AtRestart(path, original);
    return false;
}

// A move that also crosses drives: a copy, and the source goes once the
// copy is whole.
bool MoveAnywhere(const char* from, const char* to)
{
    if (MoveFileA(from, to)) return true;
    if (!CopyFileA(from, to, TRUE)) return false;
    if (DeleteFileA(from)) return true;
    DeleteFileA(to);
    return false;
}

// A file the installation replaced: the package's goes and the original
// comes back, byte for byte, with its time and attributes; at the restart
// when the package's is in use.
void PutBack(const char* path, const char* original, bool present, const char* self)
{
    if (GetFileAttributesA(original) == INVALID_FILE_ATTRIBUTES)
        return Leave(path, "the file it replaced is no longer where the installation kept it");
    if (present && !Remove(path, self, original)) return;
    if (MoveAnywhere(original, path)) ++Result->originalsBack;
    else Leave(original, "it cannot go back in its place");
}

// One line of [Files]: what was found there decides what is done. A file
// that still holds the bytes the installation put there is the package's,
// whatever its time says: FAT keeps local times, and Windows 9x reads them
// an hour off once the clocks have changed since.
void UndoFile(const char* path, const FileLine& line, const char* self)
{
    if (std::strcmp(line.found, "same") == 0) return;  // it was there before, as it is
    FixedText<32> now;
    bool present = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    if (present && (!FileSum(path, now) || lstrcmpiA(now, line.sum) != 0)) {
        FixedText<400> why;
        why.assign("changed since the installation");
        if (!line.original.empty()) why.append("; the file it replaced is kept as ").append(line.original);
        return Leave(path, why);
    }
    if (!line.original.empty()) return PutBack(path, line.original, present, self);
    if (present && Remove(path, self)) ++Result->filesRemoved;
}

// The folders the installation made, the deepest first, once empty.
void RemoveFolders(char* folders)
{
    for (;;) {
        char* deepest = nullptr;
        std::size_t depth = 0;
        for (char* line = folders; line != nullptr && *line != '\0'; line += std::strlen(line) + 1) {
            char* equals = std::strchr(line, '=');
            if (equals == nullptr || std::strcmp(equals + 1, "created") != 0) continue;
            if (static_cast<std::size_t>(equals - line) >= depth) {
                deepest = line;
                depth = static_cast<std::size_t>(equals - line);
            }
        }
        if (deepest == nullptr) return;
        Path folder;
        folder.assign(deepest);
        folder.truncate(depth);
        deepest[depth + 1] = 'x';  // done: no longer "created"
        if (RemoveDirectoryA(folder) || !DirectoryExists(folder)) continue;
        // Windows 9x deletes files at the restart, never folders.
        if (std::strstr(Result->waiting, folder) != nullptr)
            Result->waiting.append("(the folder ").append(folder).append(" stays, empty)\n");
        else
            Leave(folder, "it holds files that are not the package's");
    }
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
    // The record is read whole first, and goes once its files are undone.
    char* files = ReadRecordSection(FilesRecord);
    char* folders = ReadRecordSection(FoldersRecord);
    for (const char* line = files; line != nullptr && *line != '\0'; line += std::strlen(line) + 1) {
        Path path;
        FileLine parsed;
        const char* equals = std::strchr(line, '=');
        if (equals == nullptr || !path.assignWhole(line)) continue;
        path.truncate(static_cast<std::size_t>(equals - line));
        if (ParseFileLine(equals + 1, parsed)) UndoFile(path, parsed, self);
    }
    Path record;
    if (RecordPathIn(InstallDir, record)) DeleteFileA(record);
    FixedText<96> count;
    FormatText(count, "- %d of the package's files", Result->filesRemoved);
    Result->done.append(count);
    if (Result->originalsBack > 0) {
        FormatText(count, ", and the files it had replaced are back (%d)", Result->originalsBack);
        Result->done.append(count);
    }
    Result->done.append("\n");
    RemoveFolders(folders);
    FreeBlock(files);
    FreeBlock(folders);
    Path wininit;
    if (!Result->renameLines.empty() && !AddPendingRenames(Result->renameLines) && WindowsPath(wininit, "\\WININIT.INI"))
        Leave(wininit, "it cannot be written, so the files in use stay after the restart");
}
