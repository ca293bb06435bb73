// QXMAIN.EXE of the sample medium: the "Rollvane" companion application in
// name only. It opens a top-level window titled "Rollvane" that says what it
// is, and ends when that window is closed, which is how the setup program
// asks the running application to make way for an installation (WM_CLOSE).
#include <windows.h>

#include <cstring>

namespace {

const char* const ClassName = "ZorvaRollvaneSample";
const char* const Title = "Rollvane";
const char* const Text =
    "Rollvane, the companion application of the Zorva Wheel Mouse sample medium.\n\n"
    "It does nothing but show this window, and ends when the window is closed.";

void Paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area;
    GetClientRect(window, &area);
    InflateRect(&area, -10, -10);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, Text, -1, &area, DT_WORDBREAK | DT_NOPREFIX);
    EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        // WM_CLOSE included: the default destroys the window.
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    // One instance, as an application started at every logon should be. A
    // named mutex, because a second copy may start before the first has
    // made its window.
    CreateMutexA(nullptr, FALSE, ClassName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND running = FindWindowA(ClassName, Title)) SetForegroundWindow(running);
        return 0;
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = ClassName;
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowA(ClassName, Title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 380, 150,
                                nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    // Started at logon ("-startup"): minimised, without taking the focus.
    ShowWindow(window, std::strstr(commandLine, "-startup") != nullptr ? SW_SHOWMINNOACTIVE : show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
