// The display test platform: on Xvfb what a window draws reads back exactly.
#include <gtest/gtest.h>

#include <windows.h>

TEST(Screen, ColoursReadBackExactly)
{
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    HDC dc = GetDC(window);
    const COLORREF colours[] = {RGB(0, 0, 255), RGB(0, 0, 1), RGB(0, 0, 137), RGB(255, 0, 254), RGB(12, 34, 56)};
    for (COLORREF colour : colours) {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT area = {0, 0, 64, 64};
        FillRect(dc, &area, brush);
        DeleteObject(brush);
        EXPECT_EQ(colour, GetPixel(dc, 10, 10));
    }
    ReleaseDC(window, dc);
    DestroyWindow(window);
}
