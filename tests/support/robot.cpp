#include "tests/support/robot.h"

namespace {

struct Search {
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, search->className) != 0) return TRUE;
    if (search->title != nullptr) {
        char title[256] = "";
        GetWindowTextA(window, title, sizeof title);
        if (lstrcmpA(title, search->title) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

}  // namespace

HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        Search search{className, title, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

MessageBoxSeen DismissMessageBox(DWORD timeoutMs)
{
    MessageBoxSeen box;
    HWND window = WaitForWindow("#32770", nullptr, timeoutMs);
    if (window == nullptr) return box;
    box.seen = true;
    box.owner = GetWindow(window, GW_OWNER);
    box.caption = WindowText(window);
    box.text = WindowText(GetDlgItem(window, 0xFFFF));
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    // Wait until it has gone, so that the next search cannot find it again.
    DWORD start = GetTickCount();
    while (IsWindow(window) && GetTickCount() - start < timeoutMs) Sleep(10);
    return box;
}
