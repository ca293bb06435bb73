// AUTOPILOT.EXE: walks through the setup wizard by itself, as a person would
// click it, for runs without a display. It starts SETUP.EXE, answers each
// page and message box, prints what it saw, and reports whether a restart
// of Windows was requested (it refuses the end of the session, so that the
// run can be inspected afterwards). Given UNINSTAL.EXE instead, it answers
// Yes to the removal and "now" or "later" to the restart.
//
// With "pictures DIR" it also takes a picture of each page, of the Browse
// dialog and of the driver-only mode's message, as PPM files in DIR
// (tools/pictures/ppm-to-png.py makes the PNGs of docs/ from them).
//
// Usage: AUTOPILOT.EXE SETUP_PATH [-u] [ps2|serial] [now|later] [pictures DIR]
#include <windows.h>

#include <dlgs.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

DWORD SetupProcessId = 0;
bool Serial = false;
bool RestartNow = false;
bool DriverOnly = false;
bool RestartRequested = false;
std::set<HWND> Handled;
std::string PictureDir;       // empty: no pictures
HANDLE HeldFile = INVALID_HANDLE_VALUE;  // see HoldFileOfInstallation

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

// The window's pixels as they are on the screen, rows from the top, three
// bytes (red, green, blue) a pixel; empty when the screen cannot be read.
std::vector<unsigned char> ScreenPixels(const RECT& area)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    std::vector<unsigned char> pixels;
    if (width <= 0 || height <= 0) return pixels;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY)) {
            GdiFlush();
            const auto* bgrx = static_cast<const unsigned char*>(bits);
            pixels.reserve(static_cast<size_t>(width) * height * 3);
            for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
                pixels.push_back(bgrx[i * 4 + 2]);
                pixels.push_back(bgrx[i * 4 + 1]);
                pixels.push_back(bgrx[i * 4]);
            }
        }
        SelectObject(memory, previous);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Takes a picture of the window into PictureDir\NAME.ppm. The caret of an
// edit field is hidden for it (the setup's input state is shared for that
// moment), so that its blinking does not decide the picture; and the screen
// is read until three readings in a row agree, so that the window has
// finished drawing.
void TakePicture(HWND window, const char* name)
{
    if (PictureDir.empty()) return;
    DWORD setupThread = GetWindowThreadProcessId(window, nullptr);
    GUITHREADINFO input = {};
    input.cbSize = sizeof input;
    GetGUIThreadInfo(setupThread, &input);
    bool attached = input.hwndCaret != nullptr && AttachThreadInput(GetCurrentThreadId(), setupThread, TRUE);
    bool hidden = attached && HideCaret(input.hwndCaret);
    if (hidden) {
        // Hidden from here, the caret is no longer drawn, but the last one
        // drawn may still be on the screen: the setup paints that field
        // afresh (only that field: the install page's bar, for one, is
        // drawn as the copy goes on, not when the page is painted).
        RedrawWindow(input.hwndCaret, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    }
    Settled(window);
    RECT area;
    GetWindowRect(window, &area);
    // Three readings that agree span 600 ms, longer than a caret's blink.
    std::vector<unsigned char> pixels, before;
    int agreeing = 0;
    for (int reading = 0; reading < 40 && agreeing < 2; ++reading) {
        Sleep(300);
        Settled(window);
        pixels = ScreenPixels(area);
        agreeing = !pixels.empty() && pixels == before ? agreeing + 1 : 0;
        before = pixels;
    }
    // A window that never settles would give another picture each time:
    // none is better (./run --pictures then fails).
    if (agreeing < 2) pixels.clear();
    if (hidden) ShowCaret(input.hwndCaret);
    if (attached) AttachThreadInput(GetCurrentThreadId(), setupThread, FALSE);
    if (pixels.empty()) {
        std::fprintf(stderr, "autopilot: no picture of %s: the window did not settle\n", name);
        return;
    }
    std::string path = PictureDir + "\\" + name + ".ppm";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "autopilot: cannot write %s\n", path.c_str());
        return;
    }
    std::fprintf(file, "P6\n%ld %ld\n255\n", area.right - area.left, area.bottom - area.top);
    std::fwrite(pixels.data(), 1, pixels.size(), file);
    std::fclose(file);
    std::printf("  picture %s.ppm (%ld x %ld)\n", name, area.right - area.left, area.bottom - area.top);
}

// The Browse dialog of the Directory page: opened, pictured, cancelled.
void PictureBrowseDialog(HWND page)
{
    Click(page, 1025);
    HWND dialog = nullptr;
    for (int i = 0; i < 100 && dialog == nullptr; ++i) {
        Sleep(100);
        HWND box = FindWindowA("#32770", nullptr);
        DWORD process = 0;
        if (box != nullptr) GetWindowThreadProcessId(box, &process);
        if (process == SetupProcessId && IsWindowVisible(box) && GetDlgItem(box, lst2) != nullptr) dialog = box;
    }
    if (dialog == nullptr) {
        std::fprintf(stderr, "autopilot: no Browse dialog\n");
        return;
    }
    TakePicture(dialog, "browse");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(50);
    Settled(page);
}

// For the picture of the install page in the middle of its work: a file of
// the installation is held open, so that replacing it fails and the setup
// asks what to do while the page shows that file. The message box is moved
// aside for the picture, then the file is let go and the setup retries.
void HoldFileOfInstallation(const std::string& directory)
{
    CreateDirectoryA(directory.c_str(), nullptr);
    std::string path = directory + "\\QXMAIN.EXE";
    HeldFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (HeldFile == INVALID_HANDLE_VALUE) std::fprintf(stderr, "autopilot: cannot hold %s\n", path.c_str());
}

void AnswerPage(HWND window, const std::string& pageClass)
{
    if (!Settled(window)) return;
    if (pageClass == "SETUP_BEGIN") {
        std::printf("Welcome page: %s\n", OneLine(TextOf(GetDlgItem(window, 1024))).c_str());
        TakePicture(window, "welcome");
        Click(window, IDOK);
    } else if (pageClass == "SETUP_SELMOUSE") {
        std::printf("Mouse-type page: choosing %s\n", Serial ? "Serial Mouse" : "PS/2 Mouse");
        if (!DriverOnly) TakePicture(window, "mouse-type");
        Click(window, Serial ? 1034 : 1035);
        Click(window, IDOK);
    } else if (pageClass == "SETUP_SELDIR") {
        std::string directory = TextOf(GetDlgItem(window, 1003));
        std::printf("Directory page: installing into %s\n", directory.c_str());
        if (!PictureDir.empty()) {
            TakePicture(window, "directory");
            PictureBrowseDialog(window);
            HoldFileOfInstallation(directory);
        }
        Click(window, IDOK);
    } else if (pageClass == "SETUP_INSTALL") {
        std::printf("Install page: copying\n");
    } else if (pageClass == "SETUP_END") {
        std::printf("Finish page: %s; restart %s\n", OneLine(TextOf(GetDlgItem(window, 1023))).c_str(),
                    RestartNow ? "now" : "later");
        TakePicture(window, "finish");
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
    HWND page = FindWindowA("SETUP_INSTALL", nullptr);
    if (HeldFile != INVALID_HANDLE_VALUE && GetDlgItem(box, IDRETRY) != nullptr && page != nullptr) {
        RECT screen, boxArea;
        GetWindowRect(GetDesktopWindow(), &screen);
        GetWindowRect(box, &boxArea);
        SetWindowPos(box, nullptr, screen.right - (boxArea.right - boxArea.left),
                     screen.bottom - (boxArea.bottom - boxArea.top), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        // The page as the user sees it while it works: its caption active,
        // not greyed as it is behind the box.
        DWORD_PTR ignored;
        SendMessageTimeoutA(page, WM_NCACTIVATE, TRUE, 0, SMTO_NORMAL, 5000, &ignored);
        TakePicture(page, "install");
        CloseHandle(HeldFile);
        HeldFile = INVALID_HANDLE_VALUE;
        button = IDRETRY;
        std::printf("  answered Retry\n");
    } else if (GetDlgItem(box, IDYES) != nullptr) {
        button = !confirmed || RestartNow ? IDYES : IDNO;
        confirmed = true;
        std::printf("  answered %s\n", button == IDYES ? "Yes" : "No");
    }
    if (DriverOnly) TakePicture(box, "driver-only");
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
        std::fprintf(stderr, "usage: AUTOPILOT.EXE SETUP_PATH [-u] [ps2|serial] [now|later] [pictures DIR]\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "-u") == 0) DriverOnly = true;
        else if (std::strcmp(argv[i], "serial") == 0) Serial = true;
        else if (std::strcmp(argv[i], "now") == 0) RestartNow = true;
        else if (std::strcmp(argv[i], "pictures") == 0 && i + 1 < argc) PictureDir = argv[++i];
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    CreateWatchWindow();

    std::string command = std::string("\"") + argv[1] + "\"" + (DriverOnly ? " -u" : "");
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
