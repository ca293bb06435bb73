// The page runner and its message services.
#include <gtest/gtest.h>

#include <windows.h>

#include "pages/pages.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/page_runner.h"
#include "tests/support/robot.h"

namespace {

int Dispatched = 0;
WPARAM LastCommand = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        ++Dispatched;
        LastCommand = wParam;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CountingWindow()
{
    WNDCLASSA counting = {};
    counting.lpfnWndProc = CountingProc;
    counting.hInstance = Instance;
    counting.lpszClassName = "CountingPage";
    RegisterClassA(&counting);
    return CreateWindowA("CountingPage", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Instance, nullptr);
}

bool Queued(UINT message)
{
    MSG m;
    return PeekMessageA(&m, nullptr, message, message, PM_NOREMOVE) != FALSE;
}

}  // namespace

TEST(RunPage, PageThatCannotBeCreatedCancelsAndSaysSo)
{
    PageResult = PageNext;
    ProductName.assign("Zorva");
    MessageBoxSeen notice;
    Robot robot([&] { notice = DismissMessageBox(); });
    EXPECT_EQ(PageCancel, RunPage("SETUP_BEGIN", WelcomePageProc, 999));
    robot.join();
    EXPECT_EQ("Zorva installation is not completed !", notice.text);
}

TEST(RunPage, PageClosedWithoutAButtonReturnsWhatWasThere)
{
    ProductName.assign("Zorva");
    for (int16_t before : {PageCancel, PageBack}) {
        PageResult = before;
        Robot robot([] { PostMessageA(WaitForPage("SETUP_BEGIN"), WM_CLOSE, 0, 0); });
        EXPECT_EQ(before, RunPage("SETUP_BEGIN", WelcomePageProc, IDD_WELCOME));
    }
}

TEST(PumpPageMessage, OneMessageOfThePageAtMostAndButtonOneSwallowed)
{
    HWND page = CountingWindow();
    HWND other = CountingWindow();
    Dispatched = 0;
    EXPECT_EQ(1, PumpPageMessage(page));  // nothing queued

    PostMessageA(other, WM_COMMAND, 2, 0);
    PostMessageA(page, WM_COMMAND, 1, 0);
    PostMessageA(page, WM_COMMAND, 2, 0);
    EXPECT_EQ(0, PumpPageMessage(page));
    EXPECT_EQ(0, Dispatched) << "button 1 is neither translated nor dispatched";
    EXPECT_EQ(1, PumpPageMessage(page));
    EXPECT_EQ(1, Dispatched);
    EXPECT_EQ(2u, LastCommand);
    EXPECT_EQ(1, PumpPageMessage(page));
    EXPECT_EQ(1, Dispatched) << "the other window's message stays queued";
    EXPECT_TRUE(Queued(WM_COMMAND));

    // A notification of button 1 is no click of it.
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(1, EN_CHANGE), 0);
    EXPECT_EQ(1, PumpPageMessage(page));
    DestroyWindow(page);
    DestroyWindow(other);
}

TEST(DelayMs, ZeroReturnsWithoutTouchingTheQueue)
{
    HWND window = CountingWindow();
    PostMessageA(window, WM_COMMAND, 9, 0);
    DelayMs(0);
    EXPECT_TRUE(Queued(WM_COMMAND));
    DestroyWindow(window);
}

TEST(DelayMs, WaitsDiscardingInputButKeepsAQuitRequest)
{
    HWND window = CountingWindow();
    Dispatched = 0;
    PostMessageA(window, WM_COMMAND, 9, 0);
    PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
    PostQuitMessage(3);
    DWORD start = GetTickCount();
    DelayMs(300);
    EXPECT_GE(GetTickCount() - start, 300u);
    EXPECT_EQ(0, Dispatched);
    // The quit request comes first: a pending quit answers any filter.
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), m.message);
    EXPECT_EQ(3u, m.wParam);
    EXPECT_FALSE(Queued(WM_COMMAND));
    EXPECT_FALSE(Queued(WM_KEYDOWN));
    DestroyWindow(window);
}
