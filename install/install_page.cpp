// The Install page: the whole installation runs inside its WM_PAGE_INIT;
// its only button cancels between files.
#include "install/copy_engine.h"
#include "record/installed_record.h"
#include "install/program_group.h"
#include "pages/pages.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/page_runner.h"
#include "shell/services.h"

namespace {

// The package's subdirectories, one level below InstallDir (which exists).
void CreateSubdirectories()
{
    for (int k = 1; k <= SubDirCount; ++k) {
        const FixedText<256>& name = DirectoryNames[k];
        FixedText<256> path;
        if (name.empty() || !path.assignWhole(InstallDir) || !path.appendWhole("\\") || !path.appendWhole(name))
            continue;
        CreateDirectoryA(path, nullptr);
    }
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

void Install(HWND page)
{
    UpdateWindow(page);
    CreateSubdirectories();
    PageResult = PageNext;
    KeepInstalledRecord();
    CopyAllFiles(page);
    RestoreInstalledRecord();  // in case the copy stopped before the registration
    if (PageResult != PageCancel) CreateProgramGroup(page);
    if (PageResult == PageCancel) TellNotCompleted(page);
    if (IsWindow(page)) SendMessageA(page, WM_CLOSE, 0, 0);
}

}  // namespace

LRESULT CALLBACK InstallPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(message)) {
    case WM_CREATE:
        SetUpPage(page, ScreenWidth, ScreenHeight);
        return 0;
    case WM_PAGE_INIT:
        Install(page);
        return 0;
    case WM_COMMAND:
        if (wParam == 1) return EndPage(page, PageCancel), 0;
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(page, message, wParam, lParam);
}
