// The backdrop on a real screen (Xvfb): the gradient, the title and banner
// with their key colour left out, what a repaint redraws, the dissolve of
// the first paint, and the etched control frame. Each test runs in a process
// of its own (ctest runs them so), which the first-paint test relies on.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "resource.h"
#include "shell/backdrop.h"
#include "shell/globals.h"
#include "shell/handles.h"
#include "tests/support/import_patch.h"

namespace {

const COLORREF Magenta = RGB(255, 0, 255);
const COLORREF Marker = RGB(12, 34, 56);  // never drawn by the program

// A picture as the resource holds it, and where the backdrop puts it.
struct Picture {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<COLORREF> pixels;  // row by row
    COLORREF at(int x, int y) const { return pixels[y * width + x]; }
    RECT rect() const { return RECT{left, top, left + width, top + height}; }
    size_t letteringCount() const
    {
        size_t n = 0;
        for (COLORREF c : pixels) n += c != Magenta;
        return n;
    }
};

Picture LoadPicture(uint16_t id, int left, int top)
{
    Picture p;
    p.left = left, p.top = top;
    Bitmap bitmap(LoadBitmapA(Instance, MAKEINTRESOURCEA(id)));
    BITMAP info;
    if (GetObjectA(bitmap.get(), sizeof info, &info) == 0) return p;
    p.width = info.bmWidth, p.height = info.bmHeight;
    WindowDC screen(nullptr);
    MemoryDC memory(CreateCompatibleDC(screen.get()));
    SelectGuard selected(memory.get(), bitmap.get());
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) p.pixels.push_back(GetPixel(memory.get(), x, y));
    return p;
}
Picture Title() { return LoadPicture(IDB_TITLE, 20, 10); }
Picture Banner() { return LoadPicture(IDB_BANNER, 20, ScreenHeight - 60); }

// The band edges as the program must form them: f = height * (1/255) in
// single precision (the volatile store rounds it even on the x87), the edges
// the exact products i * f truncated.
int BandEdge(int i, int height)
{
    volatile float f = height * (1.0f / 255);
    return static_cast<int>(i * static_cast<double>(f));
}

// Every SetPixel of the program while a PixelRecording exists.
struct PixelCall {
    int x, y;
    COLORREF colour;
};
std::vector<PixelCall> Calls;
COLORREF WINAPI RecordingSetPixel(HDC dc, int x, int y, COLORREF colour)
{
    Calls.push_back({x, y, colour});
    return ImportHook<RecordingSetPixel>::Real()(dc, x, y, colour);
}

struct PixelRecording {
    PixelRecording() { Calls.clear(); }
    ImportHook<RecordingSetPixel> hook{"gdi32.dll", "SetPixel"};
};

// The gradient bands the program fills while a BandRecording exists, with
// the colour of their brush; nothing is drawn meanwhile.
struct BandCall {
    RECT rect;
    COLORREF colour;
};
std::vector<BandCall> Bands;

int WINAPI RecordingFillRect(HDC, const RECT* rect, HBRUSH brush)
{
    LOGBRUSH info = {};
    GetObjectA(brush, sizeof info, &info);
    Bands.push_back({*rect, info.lbColor});
    return TRUE;
}

using BandRecording = ImportHook<RecordingFillRect>;

void Repaint(const RECT* area)
{
    InvalidateRect(BackdropWindow, area, FALSE);
    UpdateWindow(BackdropWindow);
}

void Fill(HDC dc, RECT area, COLORREF colour)
{
    Brush brush(CreateSolidBrush(colour));
    FillRect(dc, &area, brush.get());
}

// The pixels of area that differ from expected(x, y); the first few are
// reported.
template <typename Expected>
int Mismatches(HDC dc, RECT area, Expected expected)
{
    int wrong = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            COLORREF seen = GetPixel(dc, x, y), want = expected(x, y);
            if (seen != want && ++wrong <= 3)
                ADD_FAILURE() << "at (" << x << ", " << y << "): " << std::hex << seen << ", expected " << want;
        }
    return wrong;
}

// The colour a row of the gradient shows, read beside the pictures.
COLORREF RowColour(HDC dc, int y) { return GetPixel(dc, 630, y); }

// Lettering pixels exactly as in the picture, key-colour pixels showing the
// gradient of their row; within limit only.
int PictureMismatches(HDC dc, const Picture& p, RECT limit)
{
    RECT area;
    const RECT whole = p.rect();
    IntersectRect(&area, &whole, &limit);
    return Mismatches(dc, area, [&](int x, int y) {
        COLORREF c = p.at(x - p.left, y - p.top);
        return c == Magenta ? RowColour(dc, y) : c;
    });
}
int PictureMismatches(HDC dc, const Picture& p) { return PictureMismatches(dc, p, p.rect()); }
int GradientMismatches(HDC dc, RECT area)
{
    return Mismatches(dc, area, [&](int, int y) { return RowColour(dc, y); });
}
int MarkerMismatches(HDC dc, RECT area)
{
    return Mismatches(dc, area, [](int, int) { return Marker; });
}

class Backdrop : public testing::Test {
protected:
    // A 640 x 480 screen in the top-left corner of the 1024 x 768 display.
    void Start(int32_t oem)
    {
        ScreenWidth = 640, ScreenHeight = 480, OEM = oem;
        ASSERT_EQ(1, CreateBackdrop());
        ASSERT_NE(nullptr, BackdropWindow);
    }
    void TearDown() override
    {
        if (BackdropWindow != nullptr) DestroyWindow(BackdropWindow);
        BackdropWindow = nullptr, OEM = 0;
    }
};

TEST_F(Backdrop, CoversTheScreenOnTopAndHasPaintedWhenCreated)
{
    Start(0);
    char text[32] = "";
    GetClassNameA(BackdropWindow, text, sizeof text);
    EXPECT_STREQ("SetupMain", text);
    GetWindowTextA(BackdropWindow, text, sizeof text);
    EXPECT_STREQ("Setup", text);
    const DWORD style = GetWindowLongA(BackdropWindow, GWL_STYLE);
    EXPECT_EQ(DWORD{WS_POPUP | WS_VISIBLE | WS_BORDER}, style & ~DWORD{WS_CLIPSIBLINGS});
    EXPECT_TRUE(GetWindowLongA(BackdropWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT window;
    GetWindowRect(BackdropWindow, &window);
    EXPECT_TRUE(window.left == 0 && window.top == 0 && window.right == 640 && window.bottom == 480);
    EXPECT_FALSE(GetUpdateRect(BackdropWindow, nullptr, FALSE)) << "the first paint is still to come";

    // Destroying the backdrop posts no quit message: the page loops go on.
    DestroyWindow(BackdropWindow);
    BackdropWindow = nullptr;
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The border covers the window's outermost pixels, so of a 480-row screen
// the client rows 0..477 show and the last band (rows 478, 479) lies under
// the border. To see every band the window is moved so that its client area
// starts at the screen's corner and reaches one marker row below the bands.
// The band arithmetic is checked for every height up to 2048, the screen for
// a few heights (588 and 747 among those where a double-precision f would
// give other bands): the bands the program fills are recorded for every
// height, the pixels read back for a few.
TEST_F(Backdrop, GradientBandsEndAtTheScreenHeight)
{
    Start(0);
    {
        BandRecording recording("user32.dll", "FillRect");
        const RECT beside = {630, 0, 631, 1};  // away from both pictures
        for (int height = 1; height <= 2048; ++height) {
            ScreenHeight = static_cast<int16_t>(height);
            Bands.clear();
            Repaint(&beside);
            ASSERT_EQ(255u, Bands.size()) << "height " << height;
            for (int i = 0; i < 255; ++i) {
                const BandCall& b = Bands[i];
                ASSERT_TRUE(b.rect.left == 0 && b.rect.right == 640 && b.rect.top == BandEdge(i, height) &&
                            b.rect.bottom == BandEdge(i + 1, height) && b.colour == RGB(0, 0, 255 - i))
                    << "height " << height << ", band " << i << ": rows " << b.rect.top << " to " << b.rect.bottom
                    << ", colour " << std::hex << b.colour;
            }
            ASSERT_EQ(height, Bands[254].rect.bottom) << "the last band ends at the screen's height";
        }
    }
    for (int height : {480, 588, 747, 766}) {
        ScreenHeight = static_cast<int16_t>(height);
        SetWindowPos(BackdropWindow, nullptr, -1, -1, 642, height + 3, SWP_NOZORDER | SWP_NOACTIVATE);
        WindowDC dc(BackdropWindow);
        Fill(dc.get(), RECT{0, 0, 640, height + 1}, Marker);
        Repaint(nullptr);
        EXPECT_EQ(0, Mismatches(dc.get(), RECT{0, 0, 1, height}, [&](int, int y) {
                      int band = 0;
                      while (BandEdge(band + 1, height) <= y) ++band;
                      return RGB(0, 0, 255 - band);
                  })) << "height " << height;
        EXPECT_EQ(RGB(0, 0, 1), GetPixel(dc.get(), 639, height - 1)) << "height " << height;
        EXPECT_EQ(Marker, GetPixel(dc.get(), 0, height)) << "height " << height << ": painted below the bands";
        if (height != 480) continue;
        const struct {
            int row, level;
        } rows[] = {{0, 255}, {1, 254}, {2, 254}, {3, 253}, {477, 2}, {478, 1}, {479, 1}};
        for (const auto& r : rows) {
            EXPECT_EQ(RGB(0, 0, r.level), GetPixel(dc.get(), 0, r.row)) << "row " << r.row;
            EXPECT_EQ(RGB(0, 0, r.level), GetPixel(dc.get(), 639, r.row)) << "row " << r.row;
        }
    }
}

TEST_F(Backdrop, TitleAndBannerLetteringWithoutKeyColour)
{
    Start(0);
    WindowDC dc(BackdropWindow);
    for (const Picture& p : {Title(), Banner()}) {
        ASSERT_TRUE(p.letteringCount() > 0 && p.letteringCount() < p.pixels.size());
        EXPECT_EQ(0, PictureMismatches(dc.get(), p));
    }
}

// The key as bitmaps at 15, 16 and 8 bits per pixel give it back (as the
// bitmaps of a display at that depth hold it), and nothing else: no pixel
// of the lettering, nor a colour next to the key.
TEST_F(Backdrop, KeyColourIsMagentaAsEachDepthGivesItBack)
{
    struct {
        WORD bits;
        DWORD masks[3];  // red, green, blue; none: the depth's own
    } depths[] = {{15, {}}, {16, {0xF800, 0x07E0, 0x001F}}, {8, {}}, {24, {}}};
    for (const auto& d : depths) {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[256];
        } info = {};
        info.header = {sizeof info.header, 4, 4, 1, static_cast<WORD>(d.bits == 15 ? 16 : d.bits), BI_RGB};
        if (d.masks[0] != 0) {
            info.header.biCompression = BI_BITFIELDS;
            std::memcpy(info.colours, d.masks, sizeof d.masks);
        }
        const RGBQUAD palette[] = {{0, 0, 0, 0}, {255, 0, 255, 0}, {248, 0, 248, 0}, {255, 255, 255, 0}};
        if (d.bits == 8) std::memcpy(info.colours, palette, sizeof palette), info.header.biClrUsed = 4;
        void* bits = nullptr;
        Bitmap dib(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
        MemoryDC memory(CreateCompatibleDC(nullptr));
        ASSERT_TRUE(dib && memory) << d.bits;
        SelectGuard selected(memory.get(), dib.get());
        SetPixel(memory.get(), 0, 0, Magenta);
        COLORREF back = GetPixel(memory.get(), 0, 0);
        EXPECT_TRUE(IsKeyColour(back)) << d.bits << " bits give back " << std::hex << back;
    }
    // Wine repeats the top bits (255); Windows 9x display drivers at 15 and
    // 16 bits give back 248.
    for (COLORREF rendered : {RGB(248, 0, 248), RGB(255, 0, 248), RGB(248, 0, 255)})
        EXPECT_TRUE(IsKeyColour(rendered)) << std::hex << rendered;
    for (COLORREF other : {RGB(247, 0, 248), RGB(248, 1, 248), RGB(248, 0, 240), RGB(254, 0, 255), RGB(255, 8, 255),
                          RGB(0, 0, 255), RGB(255, 255, 255)})
        EXPECT_FALSE(IsKeyColour(other)) << std::hex << other;
    for (const Picture& p : {Title(), Banner()})
        for (COLORREF c : p.pixels) ASSERT_EQ(c == Magenta, IsKeyColour(c)) << std::hex << c;
}

TEST_F(Backdrop, OemPackageHasNoBanner)
{
    Start(1);
    WindowDC dc(BackdropWindow);
    EXPECT_EQ(0, PictureMismatches(dc.get(), Title()));
    EXPECT_EQ(0, GradientMismatches(dc.get(), Banner().rect()));
    Repaint(nullptr);
    EXPECT_EQ(0, GradientMismatches(dc.get(), Banner().rect())) << "after a repaint";
}

TEST_F(Backdrop, RepaintRedrawsOnlyThePicturesItTouches)
{
    Start(0);
    const Picture title = Title(), banner = Banner();
    WindowDC dc(BackdropWindow);
    Fill(dc.get(), title.rect(), Marker);
    Fill(dc.get(), banner.rect(), Marker);
    PixelRecording recording;

    // Away from both pictures' areas: only the gradient is redrawn there.
    const RECT away = {400, 150, 500, 250};
    Repaint(&away);
    EXPECT_EQ(0u, Calls.size());
    EXPECT_EQ(0, MarkerMismatches(dc.get(), title.rect())) << "title";
    EXPECT_EQ(0, MarkerMismatches(dc.get(), banner.rect())) << "banner";
    EXPECT_EQ(0, GradientMismatches(dc.get(), away));

    // Into the title: the whole title is drawn at once, and the clipping
    // keeps the screen outside the repainted area as it was.
    const RECT part = {100, 20, 140, 40};
    Repaint(&part);
    EXPECT_EQ(title.letteringCount(), Calls.size());
    EXPECT_EQ(0, PictureMismatches(dc.get(), title, part));
    EXPECT_EQ(0, MarkerMismatches(dc.get(), RECT{20, 10, 100, 60})) << "title beside the repainted area";
    EXPECT_EQ(0, MarkerMismatches(dc.get(), banner.rect())) << "banner";
}

// The pass in which a dissolving picture draws its pixel at [y % 8][x % 8].
const int ExpectedDissolveOrder[8][8] = {
    {44, 16, 24, 36, 46, 18, 26, 38}, {48, 0, 8, 56, 50, 2, 10, 58},
    {28, 32, 40, 20, 30, 34, 42, 22}, {12, 60, 52, 4, 14, 62, 54, 6},
    {47, 19, 27, 39, 45, 17, 25, 37}, {51, 3, 11, 59, 49, 1, 9, 57},
    {31, 35, 43, 23, 29, 33, 41, 21}, {15, 63, 55, 7, 13, 61, 53, 5},
};

// A picture's calls, from begin on: every lettering pixel once, in its
// colour; with the dissolve pass by pass (row by row within a pass), else
// plainly row by row. Returns where the next picture's calls begin.
size_t ExpectDrawnOnce(const std::vector<PixelCall>& calls, size_t begin, const Picture& p, bool dissolved)
{
    const size_t end = begin + p.letteringCount();
    EXPECT_LE(end, calls.size());
    std::set<std::pair<int, int>> drawn;
    int lastPass = -1, lastY = -1, lastX = -1;
    for (size_t i = begin; i < end && i < calls.size(); ++i) {
        const int x = calls[i].x - p.left, y = calls[i].y - p.top;
        const bool inside = x >= 0 && x < p.width && y >= 0 && y < p.height;
        EXPECT_TRUE(inside && p.at(x, y) != Magenta && p.at(x, y) == calls[i].colour) << x << ", " << y;
        EXPECT_TRUE(drawn.insert({y, x}).second) << "drawn twice: " << x << ", " << y;
        const int pass = dissolved ? ExpectedDissolveOrder[y & 7][x & 7] : 0;
        const bool inOrder = pass > lastPass || (pass == lastPass && (y > lastY || (y == lastY && x > lastX)));
        if (!inOrder) {
            ADD_FAILURE() << "out of order at " << x << ", " << y;
            return end;
        }
        lastPass = pass, lastY = y, lastX = x;
    }
    if (dissolved) EXPECT_EQ(63, lastPass);
    return end;
}

TEST_F(Backdrop, FirstPaintDissolvesLaterPaintsDoNot)
{
    ScreenWidth = 640, ScreenHeight = 480;
    const Picture title = Title(), banner = Banner();
    PixelRecording recording;

    Start(0);  // the first paint runs inside CreateBackdrop
    EXPECT_EQ(title.letteringCount() + banner.letteringCount(), Calls.size());
    ExpectDrawnOnce(Calls, ExpectDrawnOnce(Calls, 0, title, true), banner, true);

    for (int paint = 2; paint <= 3; ++paint) {
        Calls.clear();
        Repaint(nullptr);
        EXPECT_EQ(title.letteringCount() + banner.letteringCount(), Calls.size()) << "paint " << paint;
        ExpectDrawnOnce(Calls, ExpectDrawnOnce(Calls, 0, title, false), banner, false);
    }
}

// --- the control frame ------------------------------------------------------

const int ControlId = 1011;

// A captioned page with a control that has a border and a sunken edge, so
// that neither client area starts where its window does.
class ControlFrame : public testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA pageClass = {};
        pageClass.lpfnWndProc = DefWindowProcA;
        pageClass.hInstance = Instance;
        pageClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        pageClass.lpszClassName = "FrameTestPage";
        RegisterClassA(&pageClass);
        page = CreateWindowExA(WS_EX_TOPMOST, "FrameTestPage", "Page", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100,
                               300, 200, nullptr, nullptr, Instance, nullptr);
        ASSERT_NE(nullptr, page);
        ASSERT_NE(nullptr, CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 30,
                                           150, 20, page, reinterpret_cast<HMENU>(ControlId), Instance, nullptr));
        // Everything painted now, so that nothing paints over the frame later.
        RedrawWindow(page, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    void TearDown() override { DestroyWindow(page); }

    HWND page = nullptr;
};

TEST_F(ControlFrame, ControlRectIsTheClientAreaInPageCoordinates)
{
    const int edge = GetSystemMetrics(SM_CXBORDER) + GetSystemMetrics(SM_CXEDGE);
    RECT rect;
    GetControlRect(page, ControlId, &rect);
    EXPECT_TRUE(rect.left == 20 + edge && rect.top == 30 + edge && rect.right == 170 - edge &&
                rect.bottom == 50 - edge)
        << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom;

    RECT missing;
    std::memset(&missing, 0x55, sizeof missing);
    GetControlRect(page, 999, &missing);
    EXPECT_TRUE(missing.left == 0 && missing.top == 0 && missing.right == 0 && missing.bottom == 0);
}

// Compared, with a ring of untouched marker pixels around it, with a picture
// of the two rectangles: the filled one outlined in white over the control,
// and the grey outline one pixel up and to the left.
TEST_F(ControlFrame, EtchedFrameWithTheSelectedInterior)
{
    const COLORREF white = RGB(255, 255, 255), grey = RGB(128, 128, 128);
    RECT r;
    GetControlRect(page, ControlId, &r);
    const auto inFrame = [](const RECT& f, int x, int y) {
        return x >= f.left && x < f.right && y >= f.top && y < f.bottom;
    };
    const auto onOutline = [](const RECT& f, int x, int y) {
        return x == f.left || x == f.right - 1 || y == f.top || y == f.bottom - 1;
    };
    const RECT g = {r.left - 1, r.top - 1, r.right - 1, r.bottom - 1};
    const struct {
        uint16_t selector;
        COLORREF interior;
    } cases[] = {{0, white}, {102, RGB(255, 0, 0)}};
    for (const auto& c : cases) {
        WindowDC dc(page);
        const RECT ring = {r.left - 3, r.top - 3, r.right + 3, r.bottom + 3};
        Fill(dc.get(), ring, Marker);
        DrawControlFrame(page, dc.get(), ControlId, c.selector);
        EXPECT_EQ(0, Mismatches(dc.get(), ring, [&](int x, int y) {
                      if (inFrame(g, x, y) && onOutline(g, x, y)) return grey;
                      if (inFrame(r, x, y)) return onOutline(r, x, y) ? white : c.interior;
                      return Marker;
                  })) << "selector " << c.selector;
        // The device context is left as it was found.
        EXPECT_EQ(GetStockObject(WHITE_BRUSH), GetCurrentObject(dc.get(), OBJ_BRUSH));
        EXPECT_EQ(GetStockObject(BLACK_PEN), GetCurrentObject(dc.get(), OBJ_PEN));
    }
}

}  // namespace
