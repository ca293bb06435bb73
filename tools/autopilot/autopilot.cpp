// AUTOPILOT.EXE: walks through the setup wizard by itself, as a person would
// click it, for runs without a display. It starts SETUP.EXE, answers each
// page and message box, prints what it saw, and reports whether a restart
// of Windows was requested (it refuses the end of the session, so that the
// run can be inspected afterwards). Given UNINSTAL.EXE instead, it answers
// Yes to the removal and "now" or "later" to the restart.
//
// Usage: AUTOPILOT.EXE SETUP_PATH [-u] [ps2|serial] [now|later]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {

DWORD SetupProcessId = 0;
bool Serial = false;
bool RestartNow = false;
bool RestartRequested = false;
std::set<HWND> Handled;

std::string TextOf(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// One line for the log: line breaks shown as " / ".
std::string OneLine(std::string text)
{
    for (size_t at; (at = text.find("\n\n")) != std::string::npos;) text.replace(at, 2, " / ");
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// The request to end the session arrives here when the setup restarts
// Windows; the answer keeps this Wine session alive for the report.
LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_QUERYENDSESSION) {
        RestartRequested = true;
        std::printf("autopilot: Windows is asked to restart (the request is refused here)\n");
        return FALSE;
    }
    if (message == WM_ENDSESSION) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

void CreateWatchWindow()
{
    WNDCLASSA watch = {};
    watch.lpfnWndProc = WatchProc;
    watch.hInstance = GetModuleHandleA(nullptr);
    watch.lpszClassName = "AutopilotWatch";
    RegisterClassA(&watch);
    CreateWindowA("AutopilotWatch", "Autopilot", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, watch.hInstance, nullptr);
}

// Waits until the setup answers messages again, so a page is initialised.
bool Settled(HWND window)
{
    DWORD_PTR ignored;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored) != 0;
}

void AnswerPage(HWND window, const std::string& pageClass)
{
    if (!Settled(window)) return;
    if (pageClass == "SETUP_BEGIN") {
        std::printf("Welcome page: %s\n", OneLine(TextOf(GetDlgItem(window, 1024))).c_str());
        Click(window, IDOK);
    } else if (pageClass == "SETUP_SELMOUSE") {
        std::printf("Mouse-type page: choosing %s\n", Serial ? "Serial Mouse" : "PS/2 Mouse");
        Click(window, Serial ? 1034 : 1035);
        Click(window, IDOK);
    } else if (pageClass == "SETUP_SELDIR") {
        std::printf("Directory page: installing into %s\n", TextOf(GetDlgItem(window, 1003)).c_str());
        Click(window, IDOK);
    } else if (pageClass == "SETUP_INSTALL") {
        std::printf("Install page: copying\n");
    } else if (pageClass == "SETUP_END") {
        std::printf("Finish page: %s; restart %s\n", OneLine(TextOf(GetDlgItem(window, 1023))).c_str(),
                    RestartNow ? "now" : "later");
        Click(window, RestartNow ? 1032 : 1033);
        Click(window, IDOK);
    } else {
        return;
    }
    Handled.insert(window);
}

// A box with Yes and No is the uninstaller's: the first asks whether to
// remove the package (Yes), a later one whether to restart (now or later).
void AnswerMessageBox(HWND box)
{
    static bool confirmed = false;
    HWND text = GetDlgItem(box, 0xFFFF);
    if (text == nullptr) return;  // not a message box
    std::printf("Message \"%s\": %s\n", TextOf(box).c_str(), OneLine(TextOf(text)).c_str());
    int button = IDOK;
    if (GetDlgItem(box, IDYES) != nullptr) {
        button = !confirmed || RestartNow ? IDYES : IDNO;
        confirmed = true;
        std::printf("  answered %s\n", button == IDYES ? "Yes" : "No");
    }
    PostMessageA(box, WM_COMMAND, button, 0);
    Handled.insert(box);
}

BOOL CALLBACK Visit(HWND window, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != SetupProcessId || !IsWindowVisible(window) || Handled.count(window)) return TRUE;
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0) AnswerMessageBox(window);
    else AnswerPage(window, name);
    return TRUE;
}

// The install page's status, printed as it changes.
void FollowStatus()
{
    static std::string last;
    HWND page = FindWindowA("SETUP_INSTALL", nullptr);
    if (page == nullptr) return;
    std::string status = OneLine(TextOf(GetDlgItem(page, 1019)));
    std::string percent = TextOf(GetDlgItem(page, 1013));
    if (status.empty() || status + percent == last) return;
    last = status + percent;
    std::printf("  %s  [%s]\n", status.c_str(), percent.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: AUTOPILOT.EXE SETUP_PATH [-u] [ps2|serial] [now|later]\n");
        return 2;
    }
    bool driverOnly = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "-u") == 0) driverOnly = true;
        else if (std::strcmp(argv[i], "serial") == 0) Serial = true;
        else if (std::strcmp(argv[i], "now") == 0) RestartNow = true;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    CreateWatchWindow();

    std::string command = std::string("\"") + argv[1] + "\"" + (driverOnly ? " -u" : "");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "autopilot: cannot start %s\n", argv[1]);
        return 1;
    }
    SetupProcessId = process.dwProcessId;
    std::printf("autopilot: started %s\n", command.c_str());

    DWORD start = GetTickCount();
    for (;;) {
        DWORD wait = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        EnumWindows(Visit, 0);
        FollowStatus();
        if (GetTickCount() - start > 300000) {
            std::fprintf(stderr, "autopilot: the setup did not finish within 5 minutes\n");
            TerminateProcess(process.hProcess, 1);
            return 1;
        }
    }
    // A restart request may still be on its way from the system.
    for (DWORD until = GetTickCount() + 2000; GetTickCount() < until;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(50);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    std::printf("autopilot: the setup ended (exit code %lu); restart requested: %s\n", exitCode,
                RestartRequested ? "yes" : "no");
    return 0;
}
