// The Mouse-type page: serial or PS/2. The choice is stored the moment a
// radio button is clicked; Back is disabled in the driver-only run.
#include "pages/pages.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/page_runner.h"

namespace {

void InitMouseTypePage(HWND page)
{
    CheckRadioButton(page, IDC_SERIAL_MOUSE, IDC_PS2_MOUSE, SerialMouse ? IDC_SERIAL_MOUSE : IDC_PS2_MOUSE);
    EnableWindow(GetDlgItem(page, IDC_BACK), MouseBackEnabled);
}

}  // namespace

LRESULT CALLBACK MouseTypePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetUpPage(page, ScreenWidth, ScreenHeight);
        return 0;
    case WM_PAGE_INIT:
        InitMouseTypePage(page);
        break;
    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
            return EndPage(page, PageNext), 0;
        case IDCANCEL:
            return CancelPage(page), 0;
        case IDC_BACK:
            return EndPage(page, PageBack), 0;
        case IDC_SERIAL_MOUSE:
            SerialMouse = 1;
            break;
        case IDC_PS2_MOUSE:
            SerialMouse = 0;
            break;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefPageProc(page, message, wParam, lParam);
}
