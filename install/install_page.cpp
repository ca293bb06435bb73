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

// The package's subdirectories, one level below InstallDir, each noted as
// made or found.
void CreateSubdirectories()
{
    MakeFolder(InstallDir);
    for (int k = 1; k <= SubDirCount; ++k) {
        const FixedText<256>& name = DirectoryNames[k];
        FixedText<256> path;
        if (!name.empty() && path.assignWhole(InstallDir) && path.appendWhole("\\") && path.appendWhole(name))
            MakeFolder(path);
    }
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

}  // namespace

void InstallPackage(HWND page)
{
    LogLine("installing into %s for a %s mouse", InstallDir.c_str(), SerialMouse ? "serial" : "PS/2");
    UpdateWindow(page);
    PageResult = PageNext;
    // Without its record nothing may be changed.
    if (!BeginRun()) {
        LogLine("the record of the installation cannot be written in %s", WindowsDir.c_str());
        PageResult = PageCancel;
    } else {
        CreateSubdirectories();
        DropPendingDeletes(InstallsFile);
        CopyAllFiles(page);
        if (PageResult != PageCancel) CreateProgramGroup(page);
    }
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
