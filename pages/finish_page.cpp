// The Finish page: restart now (the default) or later.
#include "pages/pages.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/page_runner.h"

namespace {

void InitFinishPage(HWND page)
{
    FormatProductText(page, IDC_PAGE_TEXT);
    CheckDlgButton(page, RestartWindows ? IDC_RESTART_NOW : IDC_RESTART_LATER, BST_CHECKED);
}

// Only "later" is read; the page writes no PageResult.
void Finish(HWND page)
{
    if (IsDlgButtonChecked(page, IDC_RESTART_LATER)) RestartWindows = 0;
    SendMessageA(page, WM_CLOSE, 0, 0);
}

}  // namespace

LRESULT CALLBACK FinishPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetUpPage(page, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        return 0;
    case WM_PAGE_INIT:
        InitFinishPage(page);
        break;
    case WM_COMMAND:
        if (wParam == IDOK) return Finish(page), 0;
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefPageProc(page, message, wParam, lParam);
}
