// system.ini, the mouse device file and the package's files, back as they
// were before the installation.
#include "undo/undo_files.h"

#include <cstring>

#include "install/copy_engine.h"
#include "record/installed_record.h"
#include "shell/memory.h"
#include "shell/globals.h"
#include "shell/handles.h"
#include "shell/services.h"
#include "sysconfig/system_ini.h"
#include "sysconfig/wininit.h"
#include "undo/outcome.h"
#include "shell/setup_log.h"

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
    LogLine(original != nullptr ? "waits for the restart: %s, and then %s comes back" : "waits for the restart: %s", path, original);
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
    if (!running) ++Result->othersWaiting;
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
    if (MoveAnywhere(original, path)) ++Result->originalsBack, LogLine("put back %s from %s", path, original);
    else Leave(original, "it cannot go back in its place");
}

// The package's file goes, whatever its bytes: one that a change under way
// left (only the program wrote to it since the record named it).
void RemoveOurs(const char* path, const FileFact& fact, bool present, const char* self)
{
    if (fact.found == FileStep::Replaced) return PutBack(path, fact.original, present, self);
    if (present && Remove(path, self)) ++Result->filesRemoved, LogLine("removed %s", path);
}

// Another's file that was to be kept: when the move (or the copy to another
// drive) happened whole, the kept file holds the bytes the record names,
// and it comes back; a copy a power cut broke off goes, and the file in
// its place, which is the other's still, stays.
void UndoReplacing(const char* path, const FileFact& fact, bool present, const char* self)
{
    FixedText<32> kept, recorded;
    if (GetFileAttributesA(fact.original) == INVALID_FILE_ATTRIBUTES) return;  // it never moved
    fact.lengthAndSum(recorded);
    if (FileSum(fact.original, kept) && lstrcmpiA(kept, recorded) == 0) return PutBack(path, fact.original, present, self);
    if (present) DeleteFileA(fact.original);
}

// What the record says of a file decides what is done. A file that still
// holds the bytes the installation put there is the package's, whatever its
// time says: FAT keeps local times, and Windows 9x reads them an hour off
// once the clocks have changed since.
void UndoFile(const char* path, const FileFact& fact, const char* self)
{
    if (!fact.ours()) return;  // it was there before, as it is
    bool present = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    switch (fact.step) {
    case FileStep::Replacing: return UndoReplacing(path, fact, present, self);
    case FileStep::Creating:
    case FileStep::Updating: return RemoveOurs(path, fact, present, self);
    default: break;
    }
    FixedText<32> now, recorded;
    fact.lengthAndSum(recorded);
    if (present && (!FileSum(path, now) || lstrcmpiA(now, recorded) != 0)) {
        FixedText<400> why;
        why.assign("changed since the installation");
        if (!fact.original.empty()) why.append("; the file it replaced is kept as ").append(fact.original);
        return Leave(path, why);
    }
    RemoveOurs(path, fact, present, self);
}

// A temporary file of a replacement under way: it takes the file's place
// when the file is gone (it was whole before the file went), else it goes.
void SettleTemporary(const char* path, const FileFact& fact, void*)
{
    FixedText<MAX_PATH> temporary;
    char* name = nullptr;
    char full[MAX_PATH];
    if (fact.step != FileStep::Updating || GetFullPathNameA(path, sizeof full, full, &name) == 0 ||
        name == nullptr)
        return;
    *name = '\0';
    if (!temporary.assignWhole(full) || !temporary.appendWhole(fact.temporary) ||
        GetFileAttributesA(temporary) == INVALID_FILE_ATTRIBUTES)
        return;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES && MoveFileA(temporary, path)) return;
    DeleteFileA(temporary);
    LogLine("removed %s", temporary.c_str());
}

// Whether a folder holds nothing but files that wait for the restart and
// folders on their way.
bool OnlyWaiting(const char* folder)
{
    Path pattern;
    WIN32_FIND_DATAA found;
    if (!pattern.assignWhole(folder) || !pattern.appendWhole("\\*")) return false;
    HANDLE search = FindFirstFileA(pattern, &found);
    bool only = search != INVALID_HANDLE_VALUE;
    for (bool more = only; more && only; more = FindNextFileA(search, &found) != FALSE) {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
        FixedText<MAX_PATH + 2> entry;
        entry.assign(folder).append("\\").append(found.cFileName);
        only = std::strstr(Result->waiting, entry) != nullptr;
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return only;
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
        if (RemoveDirectoryA(folder)) LogLine("removed folder %s", folder.c_str());
        if (!DirectoryExists(folder)) continue;
        // Windows 9x deletes files at the restart, never folders.
        if (OnlyWaiting(folder))
            Result->waiting.append("(the folder ").append(folder).append(" stays, empty)\n");
        else
            Leave(folder, "it holds files that are not the package's");
    }
}

}  // namespace

void UndoSystemIni()
{
    FixedText<256> recorded, now;
    bool haveRecord = ReadInstalledSetting(Section::SystemIni, "MouseLine", "")[0] != '\0';
    recorded.assign(ReadInstalledSetting(Section::SystemIni, "MouseLine", ""));
    bool found = FindMouseLine(now);
    if (!haveRecord) {
        if (found && std::strcmp(now, OurMouseLine) == 0)
            Leave("the mouse line of system.ini", "the installation recorded no earlier one");
    } else if (found && std::strcmp(now, OurMouseLine) == 0) {
        if (ReplaceMouseLine(recorded)) {
            Result->done.append("- system.ini: ").append(recorded).append("\n");
            LogLine("system.ini: \"%s\" is back", recorded.c_str());
            // A backup that was not there before the installation goes again.
            FixedText<MAX_PATH> backup;
            if (std::strcmp(ReadInstalledSetting(Section::SystemIni, "SystemBak", ""), "0") == 0 &&
                WindowsPath(backup, "\\system.bak"))
                DeleteFileA(backup);
        } else {
            Leave("the mouse line of system.ini", "system.ini could not be written");
        }
    } else if (!found || std::strcmp(now, recorded) != 0) {
        Leave("the mouse line of system.ini", "changed since the installation");
    }

    if (std::strcmp(ReadInstalledSetting(Section::SystemIni, "VMouseMoved", ""), "1") != 0) return;
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
        Result->done.append("- VMOUSE.VXD is back\n"), LogLine("put back %s from %s", device.c_str(), backup.c_str());
    else
        Leave(backup, "it cannot take the name VMOUSE.VXD");
}

void SettleTemporaries()
{
    ForEachFile(SettleTemporary, nullptr);
}

void UndoFiles(bool deleteRecord)
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self - 1);
    SettleTemporaries();
    // The folders are read first; the record goes once its files are undone.
    char* folders = ReadRecordSection(Section::Folders);
    ForEachFile([](const char* path, const FileFact& fact, void* self) { UndoFile(path, fact, static_cast<const char*>(self)); }, self);
    Path record;
    if (deleteRecord && RecordPathIn(InstallDir, record)) DeleteFileA(record);
    FixedText<96> count;
    FormatText(count, "- %d of the package's files", Result->filesRemoved);
    Result->done.append(count);
    if (Result->originalsBack > 0) {
        FormatText(count, ", and the files it had replaced are back (%d)", Result->originalsBack);
        Result->done.append(count);
    }
    Result->done.append("\n");
    RemoveFolders(folders);
    FreeBlock(folders);
    Path wininit;
    if (!Result->renameLines.empty() && !AddPendingRenames(Result->renameLines) && WindowsPath(wininit, "\\WININIT.INI"))
        Leave(wininit, "it cannot be written, so the files in use stay after the restart");
}
