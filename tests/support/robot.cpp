#include "tests/support/robot.h"

#include <tlhelp32.h>

#include <ostream>
#include <string>
#include <vector>

#include <atomic>

namespace {

DWORD WatchedProcess = 0;
std::atomic<bool> ProgramRunning{false};
// The program that RunDriven started, while the robot works: a window
// waited for can no longer come once it has ended.
HANDLE DrivenProcess = nullptr;

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

std::string ClassOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Why a user could not click the control now; empty when they could.
std::string Refusal(HWND page, int controlId)
{
    HWND control = GetDlgItem(page, controlId);
    if (control == nullptr) return "there is no such control";
    if (!IsWindowVisible(control)) return "it is hidden";
    if (!IsWindowEnabled(control)) return "it is greyed";
    return "";
}

const DWORD ClickWaitMs = 5000;

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

bool Settled(HWND window, DWORD timeoutMs)
{
    // A sent message is handled only once the window's thread waits for
    // messages again, that is after a page's initialisation.
    DWORD_PTR ignored;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

HWND WaitForPage(const char* className, DWORD timeoutMs)
{
    HWND page = WaitForWindow(className, nullptr, timeoutMs);
    if (!Settled(page, timeoutMs))
        RobotFailed(std::string("the page ") + className + " came but its thread did not answer within " +
                    std::to_string(timeoutMs) + " ms");
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

bool Clickable(HWND page, int controlId)
{
    return page != nullptr && Refusal(page, controlId).empty();
}

void Click(HWND page, int controlId)
{
    const std::string what = "control " + std::to_string(controlId);
    if (page == nullptr || !IsWindow(page)) RobotFailed("no window to click " + what + " in");
    std::string refusal;
    for (DWORD start = GetTickCount(); !(refusal = Refusal(page, controlId)).empty();) {
        if (GetTickCount() - start >= ClickWaitMs || !IsWindow(page)) break;
        Sleep(20);
    }
    if (!refusal.empty()) {
        RobotFailed("cannot click " + what + " \"" + ControlText(page, controlId) + "\" of window " +
                    ClassOf(page) + " \"" + WindowText(page) + "\": " + refusal);
    }
    PostMessageA(GetDlgItem(page, controlId), BM_CLICK, 0, 0);
}

void PressKey(HWND page, WPARAM virtualKey)
{
    PostMessageA(page, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(page, WM_KEYUP, virtualKey, 0xC0000001);
}

HWND FocusedControl(HWND page)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(page, nullptr), &info) ? info.hwndFocus : nullptr;
}

void Type(HWND page, WPARAM key, bool alt)
{
    HWND target = FocusedControl(page);
    if (target == nullptr) target = page;
    if (alt) {
        PostMessageA(target, WM_SYSCHAR, key, 1 | 1 << 29);  // bit 29: Alt is down
        return;
    }
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); !done(); Sleep(10))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

HWND LookForWindow(const char* className, const char* title)
{
    Search search{className, title, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs)
{
    std::string what = std::string("no window of class ") + className;
    if (title != nullptr) what += std::string(" titled \"") + title + "\"";
    for (DWORD start = GetTickCount();;) {
        // Whether the program had ended before this look: then no window of it can come any more.
        bool ended = DrivenProcess != nullptr && WaitForSingleObject(DrivenProcess, 0) == WAIT_OBJECT_0;
        if (HWND window = LookForWindow(className, title)) return window;
        Sleep(20);
        if (timeoutMs == 0) return nullptr;
        if (ended) {
            DWORD code = 0;
            GetExitCodeProcess(DrivenProcess, &code);
            RobotFailed(what + " came: the program " + EndedWith(code).text());
        }
        if (GetTickCount() - start >= timeoutMs) RobotFailed(what + " came within " + std::to_string(timeoutMs) + " ms");
    }
}

MessageBoxSeen DismissMessageBox(DWORD timeoutMs)
{
    return AnswerMessageBox(IDOK, timeoutMs);
}

MessageBoxSeen AnswerMessageBox(int button, DWORD timeoutMs, const std::function<void()>& work)
{
    return AnswerMessageBox(
        [&](const MessageBoxSeen&) {
            if (work) work();
            return button;
        },
        timeoutMs);
}

MessageBoxSeen AnswerMessageBox(const std::function<int(const MessageBoxSeen&)>& choose, DWORD timeoutMs)
{
    MessageBoxSeen box;
    HWND window = WaitForWindow("#32770", nullptr, timeoutMs);
    box.seen = true;
    box.owner = GetWindow(window, GW_OWNER);
    box.caption = WindowText(window);
    box.text = WindowText(GetDlgItem(window, 0xFFFF));
    for (int id = IDOK; id <= IDNO; ++id) box.hasButton[id] = GetDlgItem(window, id) != nullptr;
    int button = choose(box);
    PostMessageA(window, WM_COMMAND, button, 0);
    // Wait until it has gone, so that the next search cannot find it again.
    if (!WaitForGone(window, timeoutMs))
        RobotFailed("the message box \"" + box.text + "\" did not go within " + std::to_string(timeoutMs) + " ms");
    return box;
}

Robot::Robot(std::function<void()> work) : work_(std::move(work))
{
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

DWORD WINAPI Robot::Run(void* self)
{
    static_cast<Robot*>(self)->work_();
    return 0;
}

void Robot::join()
{
    if (thread_ == nullptr) return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

namespace {

std::atomic<bool> RestartAsked{false};

LRESULT CALLBACK RefusingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_QUERYENDSESSION) {
        RestartAsked = true;
        return FALSE;
    }
    if (message == WM_ENDSESSION) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

RestartRefusal::RestartRefusal()
{
    RestartAsked = false;
    WNDCLASSA refusal = {};
    refusal.lpfnWndProc = RefusingProc;
    refusal.hInstance = GetModuleHandleA(nullptr);
    refusal.lpszClassName = "RestartRefusal";
    RegisterClassA(&refusal);  // fails harmlessly when registered before
    window_ = CreateWindowA("RestartRefusal", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, refusal.hInstance, nullptr);
}

RestartRefusal::~RestartRefusal()
{
    if (window_ != nullptr) DestroyWindow(window_);
}

bool RestartRefusal::requested() const
{
    return RestartAsked;
}

void RestartRefusal::reset()
{
    RestartAsked = false;
}

namespace {

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// The platform's ExitWindowsEx starts wineboot, which asks every window
// whether the session may end: the wineboot processes that the program
// started and that still run. (Not every process it started: the first
// window of a fresh prefix starts its desktop, which lasts.)
std::vector<HANDLE> RestartRequestsOf(DWORD processId)
{
    std::vector<HANDLE> requests;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return requests;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != processId || lstrcmpiA(entry.szExeFile, "wineboot.exe") != 0) continue;
        if (HANDLE request = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)) requests.push_back(request);
    }
    CloseHandle(snapshot);
    return requests;
}

// Answers messages until every one of the processes has ended, for limitMs
// at most.
void AwaitEnd(std::vector<HANDLE> processes, DWORD limitMs)
{
    for (DWORD start = GetTickCount(); !processes.empty();) {
        DWORD waited = GetTickCount() - start;
        if (waited >= limitMs) break;
        DWORD count = static_cast<DWORD>(processes.size());
        DWORD woken = MsgWaitForMultipleObjects(count, processes.data(), FALSE, limitMs - waited, QS_ALLINPUT);
        if (woken < WAIT_OBJECT_0 + count) {
            CloseHandle(processes[woken - WAIT_OBJECT_0]);
            processes.erase(processes.begin() + (woken - WAIT_OBJECT_0));
        }
        PumpMessages();
    }
    for (HANDLE process : processes) CloseHandle(process);
}

}  // namespace

bool DrivenProgramRunning()
{
    return ProgramRunning;
}

std::string DrivenEnd::text() const
{
    switch (how) {
    case TimedOut: return "ran past its limit of " + std::to_string(code) + " ms";
    case NotStarted: return "could not start (error " + std::to_string(code) + ")";
    default: return "ended with code " + std::to_string(code);
    }
}

void EndDrivenProgram()
{
    if (DrivenProcess != nullptr) TerminateProcess(DrivenProcess, 999);
}

std::ostream& operator<<(std::ostream& out, const DrivenEnd& end)
{
    return out << end.text();
}

DrivenEnd RunDriven(std::string command, const std::function<void()>& robotWork, DWORD limitMs)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            break;
        DWORD error = GetLastError();
        if (attempt == 3) return {DrivenEnd::NotStarted, error};
        Sleep(500);
    }
    RobotWatchProcess(process.dwProcessId);
    ProgramRunning = true;
    DrivenProcess = process.hProcess;
    Robot robot(robotWork);
    DWORD start = GetTickCount();
    bool timedOut = false;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
        PumpMessages();
        if (GetTickCount() - start > limitMs) {
            TerminateProcess(process.hProcess, 999);
            timedOut = true;
            break;
        }
    }
    ProgramRunning = false;
    AwaitEnd(RestartRequestsOf(process.dwProcessId), 30000);
    robot.join();
    DrivenProcess = nullptr;
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (timedOut) return {DrivenEnd::TimedOut, limitMs};
    return {DrivenEnd::Ended, exitCode};
}
