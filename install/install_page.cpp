// The Install page: the whole installation runs inside its WM_PAGE_INIT;
// its only button cancels between files.
#include <cstring>

#include "install/copy_engine.h"
#include "record/installed_record.h"
#include "install/program_group.h"
#include "pages/pages.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/page_runner.h"
#include "shell/services.h"
#include "shell/setup_log.h"
#include "sysconfig/application_registration.h"
#include "sysconfig/registry_values.h"
#include "sysconfig/wininit.h"

namespace {

// The package's subdirectories, one level below InstallDir (which exists),
// each noted as made or found.
void CreateSubdirectories()
{
    NoteFolder(InstallDir, InstallDirCreated != 0);
    for (int k = 1; k <= SubDirCount; ++k) {
        const FixedText<256>& name = DirectoryNames[k];
        FixedText<256> path;
        if (name.empty() || !path.assignWhole(InstallDir) || !path.appendWhole("\\") || !path.appendWhole(name))
            continue;
        bool created = CreateDirectoryA(path, nullptr) != FALSE;
        if (created || DirectoryExists(path)) NoteFolder(path, created);
    }
}

// The record of an installation in another folder, beside the uninstaller
// that the uninstall entry names: it goes on in this installation's.
bool PreviousRecord(FixedText<MAX_PATH>& script)
{
    RegKey entry = OpenRegistryKey(HKEY_LOCAL_MACHINE, ApplicationKeys::Uninstall);
    FixedText<MAX_PATH> command;
    if (!entry) return false;
    ReadTextValue(entry.get(), "UninstallString", command);
    // "folder\UNINSTAL.EXE", quoted when it holds a blank.
    const char* start = command[0] == '"' ? command.c_str() + 1 : command.c_str();
    const char* name = std::strstr(start, "\\UNINSTAL.EXE");
    if (name == nullptr || !script.assignWhole(start)) return false;
    script.truncate(static_cast<std::size_t>(name - start));
    return script.appendWhole("\\") && script.appendWhole(RecordName);
}

// Whether the installation puts a file at path: a pending delete of it must
// not take the new file at the next restart.
bool InstallsFile(const char* path)
{
    for (int disk = 1; disk <= DiskCount; ++disk) {
        for (int entry = 1; entry <= Disks[disk - 1].FileCount; ++entry) {
            FixedText<256> destination;
            if (BuildDestPath(destination, disk, entry) && SamePath(path, destination)) return true;
        }
    }
    return false;
}

// The page is gone by now and its quit request is queued; a message box
// would take that request and close at once, so it waits until the notice
// has been read.
void TellNotCompleted(HWND page)
{
    MSG quit;
    bool quitting = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    ShowNotCompleted(IsWindow(page) ? page : BackdropWindow);
    if (quitting) PostQuitMessage(static_cast<int>(quit.wParam));
}

}  // namespace

void InstallPackage(HWND page)
{
    LogLine("installing into %s for a %s mouse", InstallDir.c_str(), SerialMouse ? "serial" : "PS/2");
    UpdateWindow(page);
    FixedText<MAX_PATH> previous;
    KeepInstalledRecord(PreviousRecord(previous) ? previous.c_str() : nullptr);
    CreateSubdirectories();
    DropPendingDeletes(InstallsFile);
    PageResult = PageNext;
    CopyAllFiles(page);
    if (PageResult != PageCancel) CreateProgramGroup(page);
    EndInstalledRecord(PageResult != PageCancel);
    if (PageResult == PageCancel) TellNotCompleted(page);
    if (IsWindow(page)) SendMessageA(page, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK InstallPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(message)) {
    case WM_CREATE:
        SetUpPage(page, ScreenWidth, ScreenHeight);
        return 0;
    case WM_PAGE_INIT:
        InstallPackage(page);
        return 0;
    case WM_COMMAND:
        // Its one button (id 1) cancels, and so does Esc.
        if (wParam == 1 || wParam == IDCANCEL) return EndPage(page, PageCancel), 0;
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefPageProc(page, message, wParam, lParam);
}
