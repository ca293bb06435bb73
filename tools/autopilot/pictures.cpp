#include "tools/autopilot/pictures.h"

#include <dlgs.h>

#include <cstdio>
#include <vector>

#include "entry/wizard_pages.h"
#include "resource.h"
#include "tests/support/robot.h"

std::string PictureDir;

namespace {

HANDLE HeldFile = INVALID_HANDLE_VALUE;

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

}  // namespace

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
    Click(page, IDC_BROWSE);
    HWND dialog = nullptr;
    for (int i = 0; i < 100 && dialog == nullptr; ++i) {
        Sleep(100);
        HWND box = WaitForWindow("#32770", nullptr, 0);
        if (box != nullptr && IsWindowVisible(box) && GetDlgItem(box, lst2) != nullptr) dialog = box;
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

void HoldFileOfInstallation(const std::string& directory)
{
    CreateDirectoryA(directory.c_str(), nullptr);
    std::string path = directory + "\\QXMAIN.EXE";
    HeldFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (HeldFile == INVALID_HANDLE_VALUE) std::fprintf(stderr, "autopilot: cannot hold %s\n", path.c_str());
}

bool PictureInstallPage(HWND box)
{
    HWND page = WaitForWindow(WizardPages[InstallStep].className, nullptr, 0);
    if (HeldFile == INVALID_HANDLE_VALUE || GetDlgItem(box, IDRETRY) == nullptr || page == nullptr) return false;
    RECT screen, boxArea;
    GetWindowRect(GetDesktopWindow(), &screen);
    GetWindowRect(box, &boxArea);
    SetWindowPos(box, nullptr, screen.right - (boxArea.right - boxArea.left),
                 screen.bottom - (boxArea.bottom - boxArea.top), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // The page as the user sees it while it works: its caption active, not
    // greyed as it is behind the box.
    DWORD_PTR ignored;
    SendMessageTimeoutA(page, WM_NCACTIVATE, TRUE, 0, SMTO_NORMAL, 5000, &ignored);
    TakePicture(page, "install");
    CloseHandle(HeldFile);
    HeldFile = INVALID_HANDLE_VALUE;
    return true;
}
