// The backdrop of the full installation: an always-on-top window over the
// whole screen with a blue gradient, the title in the top-left corner and the
// banner in the bottom-left corner. It has no message loop of its own; the
// page runner's loops serve it.
#include "shell/backdrop.h"

#include "resource.h"
#include "shell/globals.h"
#include "shell/handles.h"

namespace {

// Set from the backdrop's creation until the end of its first paint, which
// dissolves the pictures in; every later paint draws them at once.
int32_t FirstPaint;

// The repaint areas that call for each picture. They are wider than the
// pictures themselves; a repaint outside them leaves the picture alone.
constexpr RECT TitleArea = {20, 10, 320, 60};
RECT BannerArea() { return RECT{20, ScreenHeight - 60, 600, ScreenHeight - 10}; }

bool Touches(const RECT& area, const RECT& repaint)
{
    RECT common;
    return IntersectRect(&common, &area, &repaint) != 0;
}

// 255 bands from RGB(0, 0, 255) down to RGB(0, 0, 1). The band height f is
// ScreenHeight * (1/255) rounded to single precision; the band edges are the
// exact products i * f, truncated. With this f the last band ends exactly at
// ScreenHeight for every height up to 2048.
void PaintGradient(HDC dc)
{
    const float OneOver255 = 1.0f / 255;  // bit pattern 0x3B808081
    // The store rounds the product to single precision even where the x87
    // would otherwise keep it in extended precision.
    volatile float bandHeight = ScreenHeight * OneOver255;
    // i * f needs at most 8 + 24 significant bits: exact in double.
    const double f = bandHeight;
    for (int i = 0; i < 255; ++i) {
        RECT band = {0, static_cast<LONG>(i * f), ScreenWidth, static_cast<LONG>((i + 1) * f)};
        Brush brush(CreateSolidBrush(RGB(0, 0, 255 - i)));
        FillRect(dc, &band, brush.get());
    }
}

// Every band is drawn on every paint; the paint's clipping keeps what reaches
// the screen to the repaint area. There is no background brush, so the
// gradient alone covers the window.
void Paint(HWND window)
{
    PaintDC paint(window);
    PaintGradient(paint.get());
    if (Touches(TitleArea, paint.area())) DrawKeyedBitmap(paint.get(), IDB_TITLE, POINT{20, 10}, FirstPaint);
    // OEM packages carry their own branding: no banner.
    if (OEM == 0 && Touches(BannerArea(), paint.area()))
        DrawKeyedBitmap(paint.get(), IDB_BANNER, POINT{20, ScreenHeight - 60}, FirstPaint);
    FirstPaint = 0;
}

}  // namespace

int CreateBackdrop()
{
    WNDCLASSA backdropClass = {};
    backdropClass.style = CS_HREDRAW | CS_VREDRAW;
    backdropClass.lpfnWndProc = BackdropProc;
    backdropClass.hInstance = Instance;
    backdropClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    backdropClass.lpszClassName = "SetupMain";
    RegisterClassA(&backdropClass);  // not examined: a class already registered serves as well

    FirstPaint = 1;
    BackdropWindow = CreateWindowExA(0, "SetupMain", "Setup", WS_POPUP | WS_VISIBLE | WS_BORDER, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, Instance, nullptr);
    if (BackdropWindow == nullptr) return 0;

    // Let the backdrop paint, with its dissolve, before the first page exists.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 1;
}

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(message)) {
    case WM_CREATE:
        SetWindowPos(window, HWND_TOPMOST, 0, 0, ScreenWidth, ScreenHeight, SWP_SHOWWINDOW);
        return 0;
    case WM_DESTROY:
        return 0;  // destroying the backdrop ends no message loop
    case WM_PAINT:
        Paint(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
