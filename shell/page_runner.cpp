#include "shell/page_runner.h"

#include "shell/fixed_text.h"
#include "shell/globals.h"
#include "shell/services.h"

int16_t RunPage(const char* pageName, WNDPROC procedure, uint16_t templateId)
{
    WNDCLASSA pageClass = {};
    pageClass.style = CS_HREDRAW | CS_VREDRAW;
    pageClass.lpfnWndProc = procedure;
    pageClass.cbWndExtra = DLGWINDOWEXTRA;  // a class named in a dialog template must reserve it
    pageClass.hInstance = Instance;
    pageClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    pageClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    pageClass.lpszClassName = pageName;
    RegisterClassA(&pageClass);  // fails harmlessly when the page is shown again

    HWND page = CreateDialogParamA(Instance, MAKEINTRESOURCEA(templateId), BackdropWindow, nullptr, 0);
    // Without a page no quit message would ever end the loop below; the
    // run ends as a cancel does, and the user is told so.
    if (page == nullptr) {
        ShowNotCompleted(BackdropWindow);
        return PageResult = PageCancel;
    }
    // A page opens with its default button in the focus: it works by
    // keyboard alone, as a mouse driver's installer must.
    SendMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(page, IDOK)), TRUE);
    SendMessageA(page, WM_PAGE_INIT, 0, 0);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(page, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return PageResult;
}

LRESULT DefPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) return DestroyWindow(page), 0;
    if (message == WM_ERASEBKGND) return DefWindowProcA(page, message, wParam, lParam);
    return DefDlgProcA(page, message, wParam, lParam);
}

int PumpPageMessage(HWND page)
{
    MSG message;
    if (!PeekMessageA(&message, page, 0, 0, PM_REMOVE)) return 1;
    if (message.message == WM_COMMAND && message.wParam == 1) return 0;
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) return SendMessageA(page, WM_COMMAND, IDCANCEL, 0), 1;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return 1;
}

void DelayMs(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    DWORD end = start + milliseconds;
    if (end <= start) return;
    bool quit = false;
    WPARAM exitCode = 0;
    MSG message;
    do {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message == WM_QUIT) {
            quit = true;
            exitCode = message.wParam;
        }
    } while (GetTickCount() < end);
    if (quit) PostQuitMessage(static_cast<int>(exitCode));
}

void SetUpPage(HWND page, int screenWidth, int screenHeight)
{
    char title[256] = "";
    GetWindowTextA(page, title, sizeof title);
    FixedText<256> caption;
    caption.assign(ProductName).append(" ").append(title);
    SetWindowTextA(page, caption);

    RECT frame;
    GetWindowRect(page, &frame);
    auto width = static_cast<int16_t>(frame.right - frame.left + 1);
    auto height = static_cast<int16_t>(frame.bottom - frame.top + 1);
    SetWindowPos(page, nullptr, (screenWidth - width) / 2, (screenHeight - height) / 2, width, height,
                 SWP_SHOWWINDOW);
}

void FormatProductText(HWND page, int controlId)
{
    char format[256] = "";
    GetDlgItemTextA(page, controlId, format, sizeof format);
    FixedText<256> text;
    FormatText(text, format, ProductName.c_str());
    SetDlgItemTextA(page, controlId, text);
}

void EndPage(HWND page, int16_t result)
{
    PageResult = result;
    SendMessageA(page, WM_CLOSE, 0, 0);
}

void CancelPage(HWND page)
{
    PageResult = PageCancel;
    ShowNotCompleted(page);
    SendMessageA(page, WM_CLOSE, 0, 0);
}
