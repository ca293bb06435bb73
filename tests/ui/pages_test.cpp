// The Welcome, Mouse-type and Finish pages run through the real page runner,
// driven by a robot thread as a user would.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "pages/pages.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/page_runner.h"
#include "tests/support/import_patch.h"
#include "tests/support/robot.h"

namespace {

class Pages : public testing::Test {
protected:
    void SetUp() override
    {
        ProductName.assign("Zorva Wheel");
        MessageCaption.assign("Zorva Wheel Setup Program");
        ScreenWidth = static_cast<int16_t>(GetSystemMetrics(SM_CXSCREEN));
        ScreenHeight = static_cast<int16_t>(GetSystemMetrics(SM_CYSCREEN));
        BackdropWindow = nullptr;
        PageResult = 0;
        SerialMouse = 1;
        MouseBackEnabled = 1;
        RestartWindows = 1;
    }
};

struct PageSeen {
    HWND page = nullptr;
    std::string caption;
    std::string text;
    bool backEnabled = false;
    bool serialChecked = false;
    bool ps2Checked = false;
};

PageSeen Look(HWND page, int textId = IDC_PAGE_TEXT)
{
    PageSeen seen;
    seen.page = page;
    if (page == nullptr) return seen;
    seen.caption = WindowText(page);
    seen.text = ControlText(page, textId);
    seen.backEnabled = IsWindowEnabled(GetDlgItem(page, IDC_BACK)) != FALSE;
    seen.serialChecked = IsDlgButtonChecked(page, IDC_SERIAL_MOUSE) == BST_CHECKED;
    seen.ps2Checked = IsDlgButtonChecked(page, IDC_PS2_MOUSE) == BST_CHECKED;
    return seen;
}

int16_t RunWelcome()
{
    return RunPage("SETUP_BEGIN", WelcomePageProc, IDD_WELCOME);
}

int16_t RunMouseType()
{
    return RunPage("SETUP_SELMOUSE", MouseTypePageProc, IDD_SELMOUSE);
}

int16_t RunFinish()
{
    return RunPage("SETUP_END", FinishPageProc, IDD_FINISH);
}

RECT CreatedFrame;
LRESULT CALLBACK RecordingWelcomeProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) GetWindowRect(page, &CreatedFrame);
    return WelcomePageProc(page, message, wParam, lParam);
}

}  // namespace

TEST_F(Pages, WelcomeNamesTheProductAndIsCentredOnePixelLarger)
{
    PageSeen seen;
    RECT frame = {};
    Robot robot([&] {
        seen = Look(WaitForPage("SETUP_BEGIN"), IDC_PAGE_TEXT2);
        GetWindowRect(seen.page, &frame);
        Click(seen.page, IDOK);
    });
    EXPECT_EQ(PageNext, RunPage("SETUP_BEGIN", RecordingWelcomeProc, IDD_WELCOME));
    robot.join();
    ASSERT_NE(nullptr, seen.page);
    EXPECT_EQ("Zorva Wheel Setup", seen.caption);
    EXPECT_EQ(" This program will install Zorva Wheel into your computer.", seen.text);
    EXPECT_FALSE(seen.backEnabled);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    EXPECT_EQ(CreatedFrame.right - CreatedFrame.left + 1, width);
    EXPECT_EQ(CreatedFrame.bottom - CreatedFrame.top + 1, height);
    EXPECT_EQ((ScreenWidth - width) / 2, frame.left);
    EXPECT_EQ((ScreenHeight - height) / 2, frame.top);
}

TEST_F(Pages, ButtonsAndKeysGiveTheirResults)
{
    struct {
        const char* what;
        int16_t (*run)();
        const char* pageClass;
        bool press;        // a key instead of a click
        WPARAM action;     // control id, or virtual key
        int16_t expected;
        bool notice;       // the not-completed notice comes first
    } cases[] = {
        {"Welcome Next", RunWelcome, "SETUP_BEGIN", false, IDOK, PageNext, false},
        {"Welcome Cancel", RunWelcome, "SETUP_BEGIN", false, IDCANCEL, PageCancel, true},
        {"Welcome Enter", RunWelcome, "SETUP_BEGIN", true, VK_RETURN, PageNext, false},
        {"Welcome Esc", RunWelcome, "SETUP_BEGIN", true, VK_ESCAPE, PageCancel, true},
        {"Mouse Next", RunMouseType, "SETUP_SELMOUSE", false, IDOK, PageNext, false},
        {"Mouse Back", RunMouseType, "SETUP_SELMOUSE", false, IDC_BACK, PageBack, false},
        {"Mouse Cancel", RunMouseType, "SETUP_SELMOUSE", false, IDCANCEL, PageCancel, true},
        {"Mouse Enter", RunMouseType, "SETUP_SELMOUSE", true, VK_RETURN, PageNext, false},
        {"Mouse Esc", RunMouseType, "SETUP_SELMOUSE", true, VK_ESCAPE, PageCancel, true},
    };
    for (const auto& c : cases) {
        PageResult = 5;  // whatever an earlier page left
        HWND page = nullptr;
        MessageBoxSeen box;
        Robot robot([&] {
            page = WaitForPage(c.pageClass);
            if (c.press) PressKey(page, c.action);
            else Click(page, static_cast<int>(c.action));
            if (c.notice) box = DismissMessageBox();
        });
        EXPECT_EQ(c.expected, c.run()) << c.what;
        robot.join();
        EXPECT_NE(nullptr, page) << c.what;
        EXPECT_FALSE(IsWindow(page)) << c.what;
        EXPECT_EQ(c.notice, box.seen) << c.what;
        if (c.notice) {
            EXPECT_EQ("Zorva Wheel installation is not completed !", box.text) << c.what;
            EXPECT_EQ("Zorva Wheel Setup Program", box.caption) << c.what;
            EXPECT_EQ(page, box.owner) << c.what;
        }
    }
}

TEST_F(Pages, MouseTypePreselectsFromTheScriptAndStoresTheClick)
{
    struct {
        int32_t defaultSerialMouse;
        bool serial;
    } cases[] = {{1, true}, {0, false}, {2, true}};
    for (const auto& c : cases) {
        SerialMouse = c.defaultSerialMouse;
        PageSeen seen;
        Robot robot([&] {
            seen = Look(WaitForPage("SETUP_SELMOUSE"));
            Click(seen.page, IDOK);
        });
        EXPECT_EQ(PageNext, RunMouseType());
        robot.join();
        EXPECT_EQ("Zorva Wheel Setup", seen.caption);
        EXPECT_EQ(c.serial, seen.serialChecked) << c.defaultSerialMouse;
        EXPECT_EQ(!c.serial, seen.ps2Checked) << c.defaultSerialMouse;
        EXPECT_TRUE(seen.backEnabled);
        EXPECT_EQ(c.defaultSerialMouse, SerialMouse) << "kept as read until the user clicks";
    }

    // A click stores exactly 0 or 1 at once, and the choice survives Back.
    SerialMouse = 2;
    Robot robot([&] {
        HWND page = WaitForPage("SETUP_SELMOUSE");
        Click(page, IDC_PS2_MOUSE);
        Click(page, IDC_BACK);
    });
    EXPECT_EQ(PageBack, RunMouseType());
    robot.join();
    EXPECT_EQ(0, SerialMouse);

    PageSeen again;
    Robot second([&] {
        again = Look(WaitForPage("SETUP_SELMOUSE"));
        Click(again.page, IDC_SERIAL_MOUSE);
        Click(again.page, IDOK);
    });
    EXPECT_EQ(PageNext, RunMouseType());
    second.join();
    EXPECT_TRUE(again.ps2Checked);
    EXPECT_FALSE(again.serialChecked);
    EXPECT_EQ(1, SerialMouse);
}

TEST_F(Pages, MouseTypeBackIsGreyedInTheDriverOnlyRun)
{
    MouseBackEnabled = 0;
    PageSeen seen;
    bool backClicked = true;
    Robot robot([&] {
        seen = Look(WaitForPage("SETUP_SELMOUSE"));
        backClicked = Clickable(seen.page, IDC_BACK);
        Click(seen.page, IDOK);
    });
    EXPECT_EQ(PageNext, RunMouseType());
    robot.join();
    EXPECT_FALSE(seen.backEnabled);
    EXPECT_FALSE(backClicked);
}

TEST_F(Pages, ProductTextIsFormattedOnceWhenAPageIsShownAgain)
{
    std::string texts[2];
    for (std::string& text : texts) {
        Robot robot([&] {
            HWND page = WaitForPage("SETUP_BEGIN");
            text = ControlText(page, IDC_PAGE_TEXT2);
            Click(page, IDOK);
        });
        EXPECT_EQ(PageNext, RunWelcome());
        robot.join();
        Robot back([&] { Click(WaitForPage("SETUP_SELMOUSE"), IDC_BACK); });
        EXPECT_EQ(PageBack, RunMouseType());
        back.join();
    }
    EXPECT_EQ(" This program will install Zorva Wheel into your computer.", texts[0]);
    EXPECT_EQ(texts[0], texts[1]);
}

TEST_F(Pages, FinishSetsRestartWindowsFromTheChoice)
{
    struct {
        const char* what;
        std::vector<WPARAM> clicks;  // radio buttons, then Finish
        bool enter;                  // Finish by Enter
        int32_t expected;
    } cases[] = {
        {"untouched", {}, false, 1},
        {"later", {IDC_RESTART_LATER}, false, 0},
        {"later then now", {IDC_RESTART_LATER, IDC_RESTART_NOW}, false, 1},
        {"later, Enter", {IDC_RESTART_LATER}, true, 0},
    };
    for (const auto& c : cases) {
        RestartWindows = 1;
        PageResult = 7;
        PageSeen seen;
        bool nowChecked = false;
        Robot robot([&] {
            seen = Look(WaitForPage("SETUP_END"));
            nowChecked = IsDlgButtonChecked(seen.page, IDC_RESTART_NOW) == BST_CHECKED;
            for (WPARAM id : c.clicks) Click(seen.page, static_cast<int>(id));
            if (c.enter) PressKey(seen.page, VK_RETURN);
            else Click(seen.page, IDOK);
        });
        EXPECT_EQ(7, RunFinish()) << "the Finish page writes no result";
        robot.join();
        EXPECT_EQ("Zorva Wheel Setup", seen.caption);
        EXPECT_EQ("You have installed Zorva Wheel Successfully !", seen.text);
        EXPECT_TRUE(nowChecked) << c.what;
        EXPECT_EQ(c.expected, RestartWindows) << c.what;
    }
}

namespace {

// A box that must not come, counted at the call and not shown, so that
// nothing waits for it.
int Boxes = 0;
int WINAPI UnwantedBox(HWND, LPCSTR, LPCSTR, UINT)
{
    ++Boxes;
    return IDOK;
}

}  // namespace

TEST_F(Pages, FinishIgnoresEsc)
{
    // The page handles what is posted to it in order: the choice and Finish
    // clicked after Esc reach it only while Esc has left it open.
    ImportHook<UnwantedBox> boxes("user32.dll", "MessageBoxA");
    Boxes = 0;
    Robot robot([&] {
        HWND page = WaitForPage("SETUP_END");
        PressKey(page, VK_ESCAPE);
        Click(page, IDC_RESTART_LATER);
        Click(page, IDOK);
    });
    RunFinish();
    robot.join();
    EXPECT_EQ(0, RestartWindows) << "the clicks after Esc found the page open";
    EXPECT_EQ(0, Boxes);
}

// Every page by keyboard alone, keys delivered to the control that has the
// focus: the default button has it when the page opens, Tab moves it (into a
// radio group at its one tab stop), the arrows move within the group and
// choose as they move, Alt and a mnemonic press that control, and Enter the
// default button.
TEST_F(Pages, EveryPageWorksByKeyboardAlone)
{
    auto focusIs = [](HWND page, int id) {
        return WaitUntil([&] { return GetDlgCtrlID(FocusedControl(page)) == id; }, 5000);
    };
    SerialMouse = 1;
    bool moved[4] = {}, chosen[2] = {};
    Robot mouse([&] {
        HWND page = WaitForPage("SETUP_SELMOUSE");
        moved[0] = focusIs(page, IDOK);
        Type(page, VK_TAB);
        moved[1] = focusIs(page, IDCANCEL);
        Type(page, VK_TAB);
        moved[2] = focusIs(page, IDC_SERIAL_MOUSE);
        Type(page, VK_DOWN);
        moved[3] = focusIs(page, IDC_PS2_MOUSE);
        chosen[0] = WaitUntil([] { return SerialMouse == 0; }, 5000);
        Type(page, 'S', true);
        chosen[1] = WaitUntil([] { return SerialMouse == 1; }, 5000);
        Type(page, 'B', true);
    });
    EXPECT_EQ(PageBack, RunMouseType());
    mouse.join();
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(moved[i]) << "mouse type page, focus step " << i;
    EXPECT_TRUE(chosen[0]) << "the arrow chooses PS/2";
    EXPECT_TRUE(chosen[1]) << "Alt+S chooses Serial";

    RestartWindows = 1;
    bool finishMoved[3] = {};
    Robot finish([&] {
        HWND page = WaitForPage("SETUP_END");
        finishMoved[0] = focusIs(page, IDOK);
        Type(page, VK_TAB);
        finishMoved[1] = focusIs(page, IDC_RESTART_NOW);
        Type(page, VK_DOWN);
        finishMoved[2] = focusIs(page, IDC_RESTART_LATER);
        Type(page, VK_RETURN);
    });
    RunFinish();
    finish.join();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(finishMoved[i]) << "finish page, focus step " << i;
    EXPECT_EQ(0, RestartWindows) << "later, chosen by keyboard";
}
