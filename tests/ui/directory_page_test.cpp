// The Destination-directory page and the Browse dialog, driven by a robot.
// The drive's free space is steered by replacing GetDiskFreeSpaceA in this
// test executable's imports.
#include <gtest/gtest.h>

#include <windows.h>

#include <dlgs.h>

#include <string>
#include <vector>

#include "pages/pages.h"
#include "record/installed_record.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/page_runner.h"
#include "tests/support/import_patch.h"
#include "tests/support/robot.h"
#include "tests/support/test_env.h"

namespace {

const char* const CannotCreate =
    "Can not create directory !\nThe specified directory is either invalid or disk drive is write protected.";
const char* const NoSpace = "There is no enough free space in the specified disk drive !";

struct FreeSpace {
    bool fails = false;
    DWORD sectorsPerCluster = 1;
    DWORD bytesPerSector = 1024;  // one kilobyte a cluster
    DWORD freeClusters = 100000;
    std::vector<std::string> roots;  // what was asked
} Disk;

BOOL WINAPI SteeredFreeSpace(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                             LPDWORD totalClusters)
{
    Disk.roots.push_back(root ? root : "(null)");
    if (Disk.fails) return FALSE;
    *sectorsPerCluster = Disk.sectorsPerCluster;
    *bytesPerSector = Disk.bytesPerSector;
    *freeClusters = Disk.freeClusters;
    *totalClusters = Disk.freeClusters + 1000;
    return TRUE;
}

int16_t RunDirectoryPage()
{
    return RunPage("SETUP_SELDIR", DirectoryPageProc, IDD_SELDIR);
}

class DirectoryPage : public testing::Test {
protected:
    void SetUp() override
    {
        Disk = FreeSpace();
        ProductName.assign("Zorva Wheel");
        MessageCaption.assign("Zorva Wheel Setup Program");
        ScreenWidth = static_cast<int16_t>(GetSystemMetrics(SM_CXSCREEN));
        ScreenHeight = static_cast<int16_t>(GetSystemMetrics(SM_CYSCREEN));
        MinimumSpace = 1024;
        InstallDir.assign("C:\\ZORVA");
        WriteTextFile(TestDirectory() + "\\plain.txt", "not a directory");
    }
    ImportHook<SteeredFreeSpace> freeSpace_{"kernel32.dll", "GetDiskFreeSpaceA"};
};

struct Outcome {
    int16_t result = -1;
    bool warned = false;
    std::string warning;
    std::string caption;
    bool ownedByPage = false;
    bool openAfterWarning = false;
    std::string installDirAtWarning;
};

// Types text into the page, presses Next; on a warning, notes it and cancels.
Outcome Next(const std::string& text)
{
    Outcome outcome;
    Robot robot([&] {
        HWND page = WaitForPage("SETUP_SELDIR");
        SetDlgItemTextA(page, IDC_DIRECTORY, text.c_str());
        Click(page, IDOK);
        // Either the page closes, accepting the folder, or a warning comes.
        if (!WaitUntil([&] { return !IsWindow(page) || LookForWindow("#32770") != nullptr; }))
            RobotFailed("the page neither closed nor warned about \"" + text + "\"");
        if (!IsWindow(page)) return;
        MessageBoxSeen box = DismissMessageBox();
        outcome.warned = true;
        outcome.warning = box.text;
        outcome.caption = box.caption;
        outcome.ownedByPage = box.owner == page;
        outcome.installDirAtWarning = InstallDir.c_str();
        outcome.openAfterWarning = Settled(page, 5000) && IsWindow(page);
        Click(page, IDCANCEL);
        DismissMessageBox();  // the not-completed notice
    });
    outcome.result = RunDirectoryPage();
    robot.join();
    EndRun(false);  // the run the folder began, as the setup program ends it
    SettleRecord();
    return outcome;
}

}  // namespace

TEST_F(DirectoryPage, ShowsTheProductAndInstallDir)
{
    InstallDir.assign("C:\\Program Files\\Zorva Wheel");
    std::string text, directory, caption;
    Robot robot([&] {
        HWND page = WaitForPage("SETUP_SELDIR");
        caption = WindowText(page);
        text = ControlText(page, IDC_PAGE_TEXT);
        directory = ControlText(page, IDC_DIRECTORY);
        Click(page, IDC_BACK);
    });
    EXPECT_EQ(PageBack, RunDirectoryPage());
    robot.join();
    EXPECT_EQ("Zorva Wheel Setup", caption);
    EXPECT_EQ("Zorva Wheel files are to be installed :", text);
    EXPECT_EQ("C:\\Program Files\\Zorva Wheel", directory);
}

TEST_F(DirectoryPage, NextAcceptsExistingOrCreatedDirectoriesAndRefusesTheRest)
{
    const std::string test = TestDirectory();
    struct {
        const char* what;
        std::string text;
        const char* warning;  // null: accepted
        bool created;
    } cases[] = {
        {"existing directory", test, nullptr, false},
        {"root of the drive", "C:\\", nullptr, false},
        {"new last element", test + "\\Zorva", nullptr, true},
        {"blanks inside", test + "\\Zorva Wheel Mouse", nullptr, true},
        {"empty", "", CannotCreate, false},
        {"drive only", "C:", CannotCreate, false},
        {"relative", "Zorva\\Mouse", CannotCreate, false},
        {"no backslash after the drive", "C:Zorva", CannotCreate, false},
        {"network path", "\\\\server\\share", CannotCreate, false},
        {"an existing file", test + "\\plain.txt", CannotCreate, false},
        {"parent missing: every level is made", test + "\\missing\\child\\grandchild", nullptr, true},
        {"a level that cannot be made", test + "\\made\\a*b", CannotCreate, false},
        {"80 characters", "C:\\" + std::string(77, 'd'), CannotCreate, false},
    };
    for (const auto& c : cases) {
        Outcome outcome = Next(c.text);
        if (c.warning == nullptr) {
            EXPECT_EQ(PageNext, outcome.result) << c.what;
            EXPECT_FALSE(outcome.warned) << c.what << ": " << outcome.warning;
            EXPECT_STREQ(c.text.c_str(), InstallDir) << c.what;
        } else {
            EXPECT_EQ(PageCancel, outcome.result) << c.what;
            EXPECT_EQ(c.warning, outcome.warning) << c.what;
            EXPECT_EQ("Zorva Wheel Setup Program", outcome.caption) << c.what;
            EXPECT_TRUE(outcome.ownedByPage) << c.what;
            EXPECT_TRUE(outcome.openAfterWarning) << c.what;
            EXPECT_EQ(c.text, outcome.installDirAtWarning) << c.what << ": InstallDir holds the text as read";
        }
        DWORD attributes = GetFileAttributesA(c.text.c_str());
        if (c.created)
            EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                << c.what << ": a directory is there";
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((test + "\\made").c_str())) << "the levels made go again";
}

TEST_F(DirectoryPage, FreeSpaceIsMeasuredOnTheUpperCaseRootAgainstMinimumSpace)
{
    const std::string target = TestDirectory() + "\\space";
    struct {
        const char* what;
        int32_t minimumSpace;
        DWORD sectorsPerCluster, bytesPerSector, freeClusters;
        bool fails;
        const char* warning;
    } cases[] = {
        {"one kilobyte short", 1024, 1, 1024, 1023, false, NoSpace},
        {"exactly enough", 1024, 1, 1024, 1024, false, nullptr},
        {"more than 4 GB free", 1024, 64, 512, 0x00100000, false, nullptr},
        {"a minimum above 32767", 40000, 1, 1024, 39999, false, NoSpace},
        {"the drive cannot tell", 1024, 1, 1024, 5000, true, CannotCreate},
    };
    for (const auto& c : cases) {
        Disk = FreeSpace();
        Disk.sectorsPerCluster = c.sectorsPerCluster;
        Disk.bytesPerSector = c.bytesPerSector;
        Disk.freeClusters = c.freeClusters;
        Disk.fails = c.fails;
        MinimumSpace = c.minimumSpace;
        RemoveDirectoryA(target.c_str());
        Outcome outcome = Next("c" + target.substr(1));  // a lower-case drive letter
        if (c.warning == nullptr) {
            EXPECT_EQ(PageNext, outcome.result) << c.what;
            EXPECT_FALSE(outcome.warned) << c.what;
        } else {
            EXPECT_EQ(c.warning, outcome.warning) << c.what;
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str())) << c.what << ": nothing created";
        }
        EXPECT_EQ(std::vector<std::string>{"C:\\"}, Disk.roots) << c.what;
    }

    // An existing directory on a nearly full drive is refused too.
    Disk = FreeSpace();
    Disk.freeClusters = 10;
    MinimumSpace = 1024;
    EXPECT_EQ(NoSpace, Next(TestDirectory()).warning);
}

TEST_F(DirectoryPage, BackAndCancelAndTheDirectoryShownOnReturn)
{
    InstallDir.assign("C:\\ZORVA");
    MessageBoxSeen notice;
    Robot cancel([&] {
        Click(WaitForPage("SETUP_SELDIR"), IDCANCEL);
        notice = DismissMessageBox();
    });
    EXPECT_EQ(PageCancel, RunDirectoryPage());
    cancel.join();
    EXPECT_EQ("Zorva Wheel installation is not completed !", notice.text);

    // A refused directory stays what the page shows after Back and a return.
    const std::string refused = TestDirectory() + "\\refused\\a*b";
    std::string shownAgain;
    Robot back([&] {
        HWND page = WaitForPage("SETUP_SELDIR");
        SetDlgItemTextA(page, IDC_DIRECTORY, refused.c_str());
        Click(page, IDOK);
        DismissMessageBox();
        Click(page, IDC_BACK);
    });
    EXPECT_EQ(PageBack, RunDirectoryPage());
    back.join();
    Robot again([&] {
        HWND page = WaitForPage("SETUP_SELDIR");
        shownAgain = ControlText(page, IDC_DIRECTORY);
        Click(page, IDC_BACK);
    });
    EXPECT_EQ(PageBack, RunDirectoryPage());
    again.join();
    EXPECT_EQ(refused, shownAgain);
}

namespace {

// Found by its directory list: Wine captions the older open-file dialog
// "Open File" when no title is given, where Windows 98 keeps the template's
// "Browse Directory".
HWND WaitForBrowse()
{
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return (dialog = LookForWindow("#32770")) != nullptr && GetDlgItem(dialog, lst2) != nullptr; }))
        RobotFailed("no Browse dialog came");
    Settled(dialog, 5000);
    return dialog;
}

// Closes the Browse dialog with OK or Cancel, and waits until the page
// answers again.
void CloseBrowse(HWND dialog, HWND page, WPARAM button)
{
    PostMessageA(dialog, WM_COMMAND, button, 0);
    if (!WaitForGone(dialog) || !Settled(page)) RobotFailed("the Browse dialog did not close");
}

// Waits until the edit field shows something other than before (a check:
// the caller compares what it returns).
std::string WaitForEditChange(HWND dialog, const std::string& before)
{
    std::string text;
    WaitUntil([&] { return (text = ControlText(dialog, IDC_DIRECTORY)) != before; });
    return text;
}

int FindItem(HWND list, UINT findMessage, const char* text)
{
    return static_cast<int>(SendMessageA(list, findMessage, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text)));
}

// A double-click on a directory of the list, as the list reports it.
void OpenDirectory(HWND dialog, const char* item)
{
    HWND list = GetDlgItem(dialog, lst2);
    int index = FindItem(list, LB_FINDSTRINGEXACT, item);
    SendMessageA(list, LB_SETCURSEL, index, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(lst2, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
}

void ChooseDrive(HWND dialog, const char* prefix)
{
    HWND drives = GetDlgItem(dialog, cmb2);
    SendMessageA(drives, CB_SETCURSEL, FindItem(drives, CB_FINDSTRING, prefix), 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb2, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
}

struct BrowseSeen {
    std::string editAtStart;
    bool editHasFocus = false;
    std::vector<std::string> editSteps;
    std::string pageAfter;
};

}  // namespace

TEST_F(DirectoryPage, BrowseFollowsTheDirectoryAndReturnsItOnOk)
{
    InstallDir.assign("C:\\ZORVA");
    BrowseSeen seen;
    Robot robot([&] {
        HWND page = WaitForPage("SETUP_SELDIR");
        Click(page, IDC_BROWSE);
        HWND dialog = WaitForBrowse();
        seen.editAtStart = WaitForEditChange(dialog, "");
        GUITHREADINFO info = {sizeof info};
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        seen.editHasFocus = info.hwndFocus == GetDlgItem(dialog, IDC_DIRECTORY);
        OpenDirectory(dialog, "[windows]");
        seen.editSteps.push_back(WaitForEditChange(dialog, seen.editAtStart));
        OpenDirectory(dialog, "[system32]");
        seen.editSteps.push_back(WaitForEditChange(dialog, seen.editSteps.back()));
        OpenDirectory(dialog, "[..]");
        seen.editSteps.push_back(WaitForEditChange(dialog, seen.editSteps.back()));
        OpenDirectory(dialog, "[..]");
        seen.editSteps.push_back(WaitForEditChange(dialog, seen.editSteps.back()));
        ChooseDrive(dialog, "[-z-]");
        seen.editSteps.push_back(WaitForEditChange(dialog, seen.editSteps.back()));
        CloseBrowse(dialog, page, IDOK);
        seen.pageAfter = ControlText(page, IDC_DIRECTORY);
        Click(page, IDC_BACK);
    });
    EXPECT_EQ(PageBack, RunDirectoryPage());
    robot.join();
    EXPECT_EQ("C:\\ZORVA", seen.editAtStart);
    EXPECT_TRUE(seen.editHasFocus);
    std::vector<std::string> expected = {"C:\\windows", "C:\\windows\\system32", "C:\\windows", "C:\\", "Z:\\"};
    ASSERT_EQ(expected.size(), seen.editSteps.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_STRCASEEQ(expected[i].c_str(), seen.editSteps[i].c_str()) << i;
    EXPECT_STRCASEEQ("Z:\\", InstallDir);
    EXPECT_STRCASEEQ("Z:\\", seen.pageAfter.c_str());
    // Windows 98 gives the previous current directory back (OFN_NOCHANGEDIR);
    // Wine's older dialog leaves another one. The program never relies on it.
}

TEST_F(DirectoryPage, BrowseCancelChangesNothingAndOkTakesTheEditField)
{
    struct {
        const char* what;
        const char* typed;  // null: leave the edit field alone
        bool navigate;
        bool ok;
        const char* expected;
    } cases[] = {
        {"Cancel after navigating", nullptr, true, false, "C:\\ZORVA"},
        {"OK untouched", nullptr, false, true, "C:\\ZORVA"},
        {"OK with a typed path", "D:\\Typed Path\\Zorva", false, true, "D:\\Typed Path\\Zorva"},
        {"OK with 90 typed characters", "C:\\123456789012345678901234567890123456789012345678901234567890"
                                        "1234567890123456789012345678",
         false, true, "C:\\1234567890123456789012345678901234567890123456789012345678901234567890123456"},
    };
    for (const auto& c : cases) {
        InstallDir.assign("C:\\ZORVA");
        std::string pageAfter;
        Robot robot([&] {
            HWND page = WaitForPage("SETUP_SELDIR");
            Click(page, IDC_BROWSE);
            HWND dialog = WaitForBrowse();
            std::string start = WaitForEditChange(dialog, "");
            if (c.navigate) {
                OpenDirectory(dialog, "[windows]");
                WaitForEditChange(dialog, start);
            }
            if (c.typed) SetDlgItemTextA(dialog, IDC_DIRECTORY, c.typed);
            CloseBrowse(dialog, page, c.ok ? IDOK : IDCANCEL);
            pageAfter = ControlText(page, IDC_DIRECTORY);
            Click(page, IDC_BACK);
        });
        EXPECT_EQ(PageBack, RunDirectoryPage()) << c.what;
        robot.join();
        EXPECT_STREQ(c.expected, InstallDir) << c.what;
        EXPECT_EQ(c.expected, pageAfter) << c.what;
    }
}
