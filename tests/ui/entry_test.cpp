// The program as a whole: WinMain in both run modes, driven by a robot, with
// the restart and the platform version intercepted in this test executable.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"
#include "shell/globals.h"
#include "shell/services.h"
#include "tests/support/import_patch.h"
#include "tests/support/registry.h"
#include "tests/support/robot.h"
#include "tests/support/test_env.h"

namespace {

const char* const Script =
    "[Main]\nProductName=Zorva Wheel\nDefaultSerialMouse=1\n"
    "[Startup]\nTitle=Zorva Wheel Mouse\nMfg=Zorva\nMouseDriver=QXMOUSE.DRV\nMouseInf=QXMOUSE.INF\n"
    "DriverDate=12-1-1998\nPS2InfSection=QX_PS2\nSerialInfSection=QX_SER\n"
    "PS2Name=Zorva PS/2 Wheel Mouse\nSeialName=Zorva Serial Wheel Mouse\n";

const char* const DeviceKey = "Enum\\BIOS\\*PNP0F13\\0000";

std::vector<UINT> Restarts;
BOOL WINAPI RecordExitWindowsEx(UINT flags, DWORD reserved)
{
    Restarts.push_back(flags);
    EXPECT_EQ(0u, reserved);
    return TRUE;
}

struct BoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
std::vector<BoxCall> Boxes;
int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    Boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    return ImportHook<RecordMessageBox>::Real()(owner, text, caption, type);
}

DWORD ReportedVersion;
DWORD WINAPI ReportVersion()
{
    return ReportedVersion;
}

// The companion application: a top-level window of a thread of its own
// that counts the close requests it receives (and stays open).
class Companion {
public:
    Companion()
    {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        ready_ = WaitForWindow("CompanionApp", "Rollvane") != nullptr;
    }
    ~Companion()
    {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
    bool ready() const { return ready_; }
    int closes() const { return closes_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_CLOSE) {
            ++reinterpret_cast<Companion*>(GetWindowLongPtrA(window, GWLP_USERDATA))->closes_;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    static DWORD WINAPI Run(void* self)
    {
        auto* companion = static_cast<Companion*>(self);
        companion->threadId_ = GetCurrentThreadId();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "CompanionApp";
        RegisterClassA(&windowClass);
        HWND window = CreateWindowA("CompanionApp", "Rollvane", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                    nullptr, nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(companion));
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
        DestroyWindow(window);
        return 0;
    }
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    bool ready_ = false;
    volatile int closes_ = 0;
};

class Entry : public testing::Test {
protected:
    void SetUp() override
    {
        Restarts.clear();
        Boxes.clear();
        ReportedVersion = ImportHook<ReportVersion>::Real()();
        WriteTextFile(TestDirectory() + "\\SETUP.INF", Script);
        // An active PS/2 mouse, as Windows 98 lists it.
        SetText(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A3B10", "HardWareKey", "BIOS\\*PNP0F13\\0000");
        SetText(HKEY_LOCAL_MACHINE, DeviceKey, "DeviceDesc", "Standard PS/2 Port Mouse");
        SetText(HKEY_LOCAL_MACHINE, DeviceKey, "Mfg", "(Standard mouse types)");
    }
    // WinMain ends with 0 on every path; what a run did shows in its
    // windows, boxes, restarts and registry.
    void Run(const char* commandLine)
    {
        std::string line = commandLine;
        WinMain(GetModuleHandleA(nullptr), nullptr, &line[0], SW_SHOWNORMAL);
    }

    ImportHook<RecordExitWindowsEx> restart_{"user32.dll", "ExitWindowsEx"};
    ImportHook<RecordMessageBox> boxes_{"user32.dll", "MessageBoxA"};
    ImportHook<ReportVersion> version_{"kernel32.dll", "GetVersion"};
};

}  // namespace

TEST_F(Entry, DriverOnlyRunRegistersTellsAndRestarts)
{
    bool backEnabled = true;
    bool backdrop = true;
    MessageBoxSeen box;
    Robot robot([&] {
        HWND page = WaitForPage("SETUP_SELMOUSE");
        backEnabled = IsWindowEnabled(GetDlgItem(page, IDC_BACK)) != FALSE;
        backdrop = FindWindowA("SetupMain", nullptr) != nullptr;
        Click(page, IDC_PS2_MOUSE);
        Click(page, IDOK);
        box = DismissMessageBox();
    });
    ReportedVersion = 0x0000000A;  // no platform test in this mode
    Run("-u");
    robot.join();
    EXPECT_FALSE(backEnabled);
    EXPECT_FALSE(backdrop);
    EXPECT_EQ(nullptr, BackdropWindow);
    ASSERT_EQ(1u, Boxes.size());
    EXPECT_EQ(nullptr, Boxes[0].owner);
    EXPECT_EQ("The Mouse Setup Program has installed driver successfully. You have to restart your Windows now !",
              Boxes[0].text);
    EXPECT_EQ("Zorva Wheel Setup Program", Boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), Boxes[0].type);
    EXPECT_TRUE(box.seen);
    EXPECT_EQ(std::vector<UINT>{EWX_REBOOT}, Restarts);
    // Registered for the PS/2 mouse, recorded beside the program.
    EXPECT_STREQ(TestDirectory().c_str(), InstallDir);
    EXPECT_EQ("Zorva PS/2 Wheel Mouse", TextOf(HKEY_LOCAL_MACHINE, DeviceKey, "DeviceDesc"));
    EXPECT_EQ("Standard PS/2 Port Mouse", RecordedIn(TestDirectory(), "PS2", "DeviceDesc"));
}

TEST_F(Entry, CancelInTheDriverOnlyRunChangesNothing)
{
    Robot robot([&] {
        Click(WaitForPage("SETUP_SELMOUSE"), IDCANCEL);
        DismissMessageBox();
    });
    Run("-u anything after");
    robot.join();
    ASSERT_EQ(1u, Boxes.size());
    EXPECT_EQ("Zorva Wheel installation is not completed !", Boxes[0].text);
    EXPECT_TRUE(Restarts.empty());
    EXPECT_EQ("Standard PS/2 Port Mouse", TextOf(HKEY_LOCAL_MACHINE, DeviceKey, "DeviceDesc"));
    EXPECT_EQ(std::string::npos, ReadTextFile(TestDirectory() + "\\SETUP.INF").find("[PS2]"));
}

TEST_F(Entry, OnlyTheWindows9xFamilyGetsTheFullInstall)
{
    // Bit 31 clear, as Windows NT reports; and command lines that are not "-u".
    ReportedVersion = 0x0A280105;
    for (const char* commandLine : {"", "-U", " -u", "/u", "u"}) {
        Boxes.clear();
        Robot robot([&] { DismissMessageBox(); });
        Run(commandLine);
        robot.join();
        ASSERT_EQ(1u, Boxes.size()) << commandLine;
        EXPECT_EQ("This  Mouse Setup Program is for Windows 95/98 only !", Boxes[0].text);
        EXPECT_EQ("Warning", Boxes[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), Boxes[0].type);
        EXPECT_EQ(nullptr, Boxes[0].owner);
    }
    EXPECT_TRUE(Restarts.empty());
    EXPECT_EQ(nullptr, FindWindowA("SetupMain", nullptr));
    EXPECT_STREQ("", ProductName) << "the script was never read";
}

TEST_F(Entry, ScriptThatCannotBeLoadedIsReportedInBothModes)
{
    // Too many files; and a destination that does not fit, refused before
    // the product name is read: the box has its caption all the same.
    for (const std::string& script : {std::string("[DiskLabel]\nDisk1=One\n[FileCounts]\nDisk1=40000\n"),
                                      "DefaultPath=C:\\" + std::string(300, 'd') + "\n"}) {
        WriteTextFile(TestDirectory() + "\\SETUP.INF", "[Main]\nProductName=Zorva Wheel\n" + script);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, (TestDirectory() + "\\SETUP.INF").c_str());
        for (const char* commandLine : {"", "-u"}) {
            Boxes.clear();
            Robot robot([&] { DismissMessageBox(); });
            Run(commandLine);
            robot.join();
            ASSERT_EQ(1u, Boxes.size()) << commandLine;
            EXPECT_EQ("SETUP.INF Reading error !", Boxes[0].text);
            EXPECT_EQ("Zorva Wheel Setup Program", Boxes[0].caption) << script;
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), Boxes[0].type);
        }
    }
    EXPECT_TRUE(Restarts.empty());
    EXPECT_EQ(nullptr, FindWindowA("SetupMain", nullptr));
}

TEST_F(Entry, FullRunWithBackClosesTheCompanionOnceAndRestartsByChoice)
{
    // The second run finds a folder where system.new would be made: system.ini
    // stays as it was, and the user is told before the Finish page.
    const std::string systemIni = WindowsDirectory() + "\\system.ini", blocker = WindowsDirectory() + "\\system.new";
    struct {
        bool later;
        std::vector<UINT> restarts;
        bool iniBlocked;
    } cases[] = {{false, {EWX_REBOOT}, false}, {true, {}, true}};
    for (const auto& c : cases) {
        if (c.iniBlocked) ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
        WriteTextFile(systemIni, "[386Enh]\r\nmouse=*msmouse\r\n");
        Boxes.clear();
        HWND backdrop = nullptr;
        MessageBoxSeen notice;
        Companion companion;
        ASSERT_TRUE(companion.ready());
        Restarts.clear();
        RestartWindows = 1;
        int closesBeforeInstall = -1;
        int closesBeforeFinish = -1;
        bool backdropDuringPages = false;
        std::string welcomeAgain;
        Robot robot([&] {
            Click(WaitForPage("SETUP_BEGIN"), IDOK);
            Click(WaitForPage("SETUP_SELMOUSE"), IDC_BACK);
            HWND welcome = WaitForPage("SETUP_BEGIN");
            welcomeAgain = ControlText(welcome, IDC_PAGE_TEXT2);
            Click(welcome, IDOK);
            HWND mouse = WaitForPage("SETUP_SELMOUSE");
            Click(mouse, IDOK);
            HWND directory = WaitForPage("SETUP_SELDIR");
            Click(directory, IDC_BACK);
            mouse = WaitForPage("SETUP_SELMOUSE");
            Click(mouse, IDOK);
            directory = WaitForPage("SETUP_SELDIR");
            backdrop = FindWindowA("SetupMain", nullptr);
            backdropDuringPages = backdrop != nullptr && GetWindow(directory, GW_OWNER) == backdrop;
            closesBeforeInstall = companion.closes();
            Click(directory, IDOK);
            if (c.iniBlocked) notice = DismissMessageBox(20000);
            HWND finish = WaitForPage("SETUP_END");
            closesBeforeFinish = companion.closes();
            if (c.later) Click(finish, IDC_RESTART_LATER);
            Click(finish, IDOK);
        });
        Run("");
        robot.join();
        EXPECT_EQ(" This program will install Zorva Wheel into your computer.", welcomeAgain);
        EXPECT_TRUE(backdropDuringPages) << "the backdrop owns every page";
        EXPECT_EQ(0, closesBeforeInstall);
        EXPECT_EQ(1, closesBeforeFinish);
        EXPECT_TRUE(DirectoryExists("C:\\ZORVA") != 0) << "the default destination was created";
        EXPECT_EQ(c.restarts, Restarts) << c.later;
        EXPECT_EQ(nullptr, FindWindowA("SetupMain", nullptr)) << "the backdrop is gone at the end";
        EXPECT_EQ(nullptr, InstallListHandle);
        EXPECT_EQ(c.iniBlocked ? "[386Enh]\r\nmouse=*msmouse\r\n" : "[386Enh]\r\nmouse=*vmouse\r\n",
                  ReadTextFile(systemIni));
        EXPECT_EQ(c.iniBlocked, notice.seen);
        if (c.iniBlocked) {
            RemoveDirectoryA(blocker.c_str());
            EXPECT_EQ("Setup could not change the mouse line of SYSTEM.INI, which is left as it was. Windows goes on "
                      "using its present mouse driver until the line reads mouse=*vmouse.",
                      notice.text);
            EXPECT_EQ("Zorva Wheel Setup Program", notice.caption);
            EXPECT_EQ(backdrop, notice.owner);
        }
    }
}

TEST_F(Entry, CancelInTheFullRunEndsWithoutChanges)
{
    Companion companion;
    ASSERT_TRUE(companion.ready());
    std::string systemIni = ReadTextFile("C:\\windows\\system.ini");
    Robot robot([&] {
        Click(WaitForPage("SETUP_BEGIN"), IDOK);
        Click(WaitForPage("SETUP_SELMOUSE"), IDOK);
        Click(WaitForPage("SETUP_SELDIR"), IDCANCEL);
        DismissMessageBox();
    });
    Run("");
    robot.join();
    EXPECT_FALSE(DirectoryExists("C:\\ZORVA"));
    ASSERT_EQ(1u, Boxes.size());
    EXPECT_EQ("Zorva Wheel installation is not completed !", Boxes[0].text);
    EXPECT_EQ("Zorva Wheel Setup Program", Boxes[0].caption);
    EXPECT_TRUE(Restarts.empty());
    EXPECT_EQ(0, companion.closes());
    EXPECT_EQ(systemIni, ReadTextFile("C:\\windows\\system.ini"));
    EXPECT_EQ(nullptr, InstallListHandle);
}
