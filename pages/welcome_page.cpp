// The Welcome page: names the product; Next or Cancel.
#include "pages/pages.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/page_runner.h"

LRESULT CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetUpPage(page, ScreenWidth, ScreenHeight);
        return 0;
    case WM_PAGE_INIT:
        FormatProductText(page, IDC_PAGE_TEXT2);
        break;
    case WM_COMMAND:
        if (wParam == IDOK) return EndPage(page, PageNext), 0;
        if (wParam == IDCANCEL) return CancelPage(page), 0;
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefPageProc(page, message, wParam, lParam);
}
