#include "tests/support/robot.h"

namespace {

DWORD WatchedProcess = 0;

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
    if ((process != GetCurrentProcessId() && process != WatchedProcess) || !IsWindowVisible(window)) return TRUE;
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

}  // namespace

void RobotWatchProcess(DWORD processId)
{
    WatchedProcess = processId;
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ControlText(HWND page, int controlId)
{
    return WindowText(GetDlgItem(page, controlId));
}

HWND WaitForPage(const char* className, DWORD timeoutMs)
{
    HWND page = WaitForWindow(className, nullptr, timeoutMs);
    if (page == nullptr) return nullptr;
    // A sent message is handled only once the program's thread waits for
    // messages again, that is after the page's initialisation.
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(page, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored)) return nullptr;
    return page;
}

bool WaitForGone(HWND window, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

bool Click(HWND page, int controlId)
{
    HWND control = GetDlgItem(page, controlId);
    if (control == nullptr || !IsWindowEnabled(control) || !IsWindowVisible(control)) return false;
    return PostMessageA(control, BM_CLICK, 0, 0) != FALSE;
}

void PressKey(HWND page, WPARAM virtualKey)
{
    PostMessageA(page, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(page, WM_KEYUP, virtualKey, 0xC0000001);
}

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
    return AnswerMessageBox(IDOK, timeoutMs);
}

MessageBoxSeen AnswerMessageBox(int button, DWORD timeoutMs, const std::function<void()>& work)
{
    MessageBoxSeen box;
    HWND window = WaitForWindow("#32770", nullptr, timeoutMs);
    if (window == nullptr) return box;
    box.seen = true;
    box.owner = GetWindow(window, GW_OWNER);
    box.caption = WindowText(window);
    box.text = WindowText(GetDlgItem(window, 0xFFFF));
    for (int id = IDOK; id <= IDNO; ++id) box.hasButton[id] = GetDlgItem(window, id) != nullptr;
    if (work) work();
    PostMessageA(window, WM_COMMAND, button, 0);
    // Wait until it has gone, so that the next search cannot find it again.
    WaitForGone(window, timeoutMs);
    return box;
}

namespace {

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

}  // namespace

DWORD RunDriven(std::string command, const std::function<void()>& robotWork, DWORD limitMs)
{
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1000;
    RobotWatchProcess(process.dwProcessId);
    Robot robot(robotWork);
    DWORD start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
        PumpMessages();
        if (GetTickCount() - start > limitMs) {
            TerminateProcess(process.hProcess, 999);
            break;
        }
    }
    robot.join();
    for (int i = 0; i < 20; ++i) {  // a restart request may still be on its way
        PumpMessages();
        Sleep(50);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}
