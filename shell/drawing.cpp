// The small drawing services: keyed bitmaps, a control's rectangle within
// its page, and the etched frame of the install page's progress bar.
#include "shell/backdrop.h"
#include "shell/globals.h"
#include "shell/handles.h"

namespace {

// The pass (0..63) in which a dissolving bitmap draws the pixel at
// [y mod 8][x mod 8]. Successive passes fall far apart in the 8 x 8 cell,
// so every pass adds an even sprinkling over the whole picture.
const uint8_t DissolveOrder[8][8] = {
    {44, 16, 24, 36, 46, 18, 26, 38},
    {48, 0, 8, 56, 50, 2, 10, 58},
    {28, 32, 40, 20, 30, 34, 42, 22},
    {12, 60, 52, 4, 14, 62, 54, 6},
    {47, 19, 27, 39, 45, 17, 25, 37},
    {51, 3, 11, 59, 49, 1, 9, 57},
    {31, 35, 43, 23, 29, 33, 41, 21},
    {15, 63, 55, 7, 13, 61, 53, 5},
};

// The frame's brushes of their own colours; null for the selectors that
// name a stock object.
HBRUSH NewFrameBrush(uint16_t selector)
{
    switch (selector) {
    case 100: return CreateSolidBrush(RGB(0, 255, 0));
    case 101: return CreateSolidBrush(RGB(255, 255, 0));
    case 102: return CreateSolidBrush(RGB(255, 0, 0));
    case 103: return CreateSolidBrush(RGB(0, 128, 0));
    case 104: return CreateSolidBrush(RGB(128, 128, 0));
    case 105: return CreateSolidBrush(RGB(128, 0, 0));
    case 106: return CreateSolidBrush(RGB(0, 128, 128));
    default: return nullptr;
    }
}

}  // namespace

// Pixel by pixel on purpose: the slowness of GetPixel and SetPixel is what
// makes the dissolve visible, so the order (pass, row, column) matters.
void DrawKeyedBitmap(HDC dc, uint16_t bitmapId, POINT topLeft, int dissolve)
{
    MemoryDC memory(CreateCompatibleDC(dc));
    if (!memory) return;
    Bitmap bitmap(LoadBitmapA(Instance, MAKEINTRESOURCEA(bitmapId)));
    if (!bitmap) return;
    SelectGuard selected(memory.get(), bitmap.get());
    BITMAP size;
    if (GetObjectA(bitmap.get(), sizeof size, &size) == 0) return;

    const int passes = dissolve ? 64 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < size.bmHeight; ++y) {
            for (int x = 0; x < size.bmWidth; ++x) {
                if (dissolve && DissolveOrder[y % 8][x % 8] != pass) continue;
                COLORREF colour = GetPixel(memory.get(), x, y);
                if (!IsKeyColour(colour)) SetPixel(dc, topLeft.x + x, topLeft.y + y, colour);
            }
        }
    }
}

bool IsKeyColour(COLORREF colour)
{
    auto full = [](BYTE c) { return c == 255 || c == 248; };
    return GetGValue(colour) == 0 && full(GetRValue(colour)) && full(GetBValue(colour));
}

void GetControlRect(HWND page, uint16_t controlId, RECT* rect)
{
    *rect = RECT{};  // a missing control gives an empty rectangle, not the caller's leftovers
    HWND control = GetDlgItem(page, controlId);
    if (control == nullptr) return;
    RECT pageArea;
    GetClientRect(page, &pageArea);
    POINT pageOrigin = {pageArea.left, pageArea.top};
    ClientToScreen(page, &pageOrigin);
    GetClientRect(control, rect);
    POINT controlOrigin = {0, 0};
    ClientToScreen(control, &controlOrigin);
    OffsetRect(rect, controlOrigin.x - pageOrigin.x, controlOrigin.y - pageOrigin.y);
}

// A white-outlined filled rectangle with a grey outline one pixel up and to
// the left of it: together they look like a groove cut around the control.
void DrawControlFrame(HWND page, HDC dc, uint16_t controlId, uint16_t brushSelector)
{
    RECT frame;
    GetControlRect(page, controlId, &frame);
    Pen grey(CreatePen(PS_SOLID, 1, RGB(128, 128, 128)));
    Brush ownBrush(NewFrameBrush(brushSelector));
    HGDIOBJ fill = ownBrush ? static_cast<HGDIOBJ>(ownBrush.get()) : GetStockObject(brushSelector);
    {
        SelectGuard brush(dc, fill);
        SelectGuard pen(dc, GetStockObject(WHITE_PEN));
        Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
    }
    OffsetRect(&frame, -1, -1);
    {
        SelectGuard pen(dc, grey.get());
        SelectGuard brush(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
    }
}
