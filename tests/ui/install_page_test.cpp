// The Install page and its copy engine, run through the real page runner on
// real files, with the script loaded from C:\test\SETUP.INF. What the page
// shows is logged by replacing SetDlgItemTextA, FillRect and Rectangle in
// this test executable's imports (and passing every call on).
#include <gtest/gtest.h>

#include <windows.h>

#include <lzexpand.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "install/copy_engine.h"
#include "record/installed_record.h"
#include "install/setup_script.h"
#include "pages/pages.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/crc32.h"
#include "shell/page_runner.h"
#include "shell/services.h"
#include "tests/support/import_patch.h"
#include "undo/rollback.h"
#include "tests/support/robot.h"
#include "tests/support/shell_link.h"
#include "tests/support/test_env.h"

namespace {

// Every message box the page shows, counted as it is called: a box that
// must not come is checked after the run, not looked for a while.
int Boxes = 0;
int WINAPI CountedBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    ++Boxes;
    return ImportHook<CountedBox>::Real()(owner, text, caption, type);
}

// An SZDD file of literals only: a valid stream for the platform's LZ32.
std::string Szdd(const std::string& data)
{
    std::string out("SZDD\x88\xF0\x27\x33" "A", 9);
    out += '\0';
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((data.size() >> shift) & 0xFF);
    for (size_t i = 0; i < data.size(); i += 8) {
        out += '\xFF';
        out += data.substr(i, 8);
    }
    return out;
}

std::string Pattern(size_t n, int seed)
{
    std::string s;
    unsigned x = static_cast<unsigned>(seed) * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        s += static_cast<char>(x >> 24);
    }
    return s;
}

struct TextSet {
    int control;
    std::string text;
};
std::vector<TextSet> Texts;
std::vector<int> BarWidths;  // each blue fill
int Frames = 0;              // each empty bar drawn

BOOL WINAPI LogSetText(HWND window, int control, LPCSTR text)
{
    Texts.push_back({control, text ? text : ""});
    return ImportHook<LogSetText>::Real()(window, control, text);
}

int WINAPI LogFillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    LOGBRUSH colour = {};
    GetObjectA(brush, sizeof colour, &colour);
    if (colour.lbColor == RGB(0, 0, 255)) BarWidths.push_back(rect->right - rect->left);
    return ImportHook<LogFillRect>::Real()(dc, rect, brush);
}

BOOL WINAPI LogRectangle(HDC dc, int left, int top, int right, int bottom)
{
    ++Frames;
    return ImportHook<LogRectangle>::Real()(dc, left, top, right, bottom);
}

std::vector<std::string> TextsOf(int control)
{
    std::vector<std::string> texts;
    for (const TextSet& t : Texts)
        if (t.control == control) texts.push_back(t.text);
    return texts;
}

// The registry update ran: the uninstall entry of the companion software.
bool Registered()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Rollvane", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

class InstallPage : public testing::Test {
protected:
    void SetUp() override
    {
        Texts.clear();
        BarWidths.clear();
        Frames = 0;
        WindowsDir.assign(WindowsDirectory().c_str());
        ScreenWidth = static_cast<int16_t>(GetSystemMetrics(SM_CXSCREEN));
        ScreenHeight = static_cast<int16_t>(GetSystemMetrics(SM_CYSCREEN));
        dest_ = TestDirectory() + "\\dest";
        CreateDirectoryA(dest_.c_str(), nullptr);
    }
    void TearDown() override { FreeInstallList(); }

    // Loads the script and points InstallDir at the test's destination.
    void Load(const std::string& script)
    {
        std::string path = TestDirectory() + "\\SETUP.INF";
        WriteTextFile(path, script);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
        ASSERT_EQ(1, LoadSetupScript());
        InstallDir.assign(dest_.c_str());
    }
    void Source(const std::string& relative, const std::string& data)
    {
        std::string path = TestDirectory() + "\\" + relative;
        CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
        WriteTextFile(path, data);
    }
    // The page, and the end of its run as the program ends it: the record in place.
    int16_t Run()
    {
        int16_t result = RunPage("SETUP_INSTALL", InstallPageProc, IDD_INSTALL);
        EndRun(result != PageCancel);
        SettleRecord();
        return result;
    }
    // Files an earlier installation put there, as its record names them: the
    // package's own, replaced without keeping the old ones.
    void RecordAsThePackages(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            AddToRecord(dest_, "Files", dest_ + "\\" + name, "created,3,0000000000000000,00000000");
    }

    // Runs the page to its end while one file fails: its box, answered
    // Ignore, and the list of skipped files that follows.
    struct IgnoredFile {
        MessageBoxSeen box, list;
    };
    IgnoredFile RunIgnoringOneFile()
    {
        IgnoredFile seen;
        Robot robot([&] {
            seen.box = AnswerMessageBox(IDIGNORE);
            seen.list = DismissMessageBox();
        });
        EXPECT_EQ(PageNext, Run());
        robot.join();
        return seen;
    }

    std::string dest_;
    ImportHook<LogSetText> setText_{"user32.dll", "SetDlgItemTextA"};
    ImportHook<LogFillRect> fillRect_{"user32.dll", "FillRect"};
    ImportHook<LogRectangle> rectangle_{"gdi32.dll", "Rectangle"};
};

std::string Lines(const char* section, int count, const char* keyword)
{
    std::string text = std::string("[") + section + "]\n";
    for (int n = 1; n <= count; ++n) {
        std::string name = std::string(section) + "_" + std::to_string(n) + ".TXT";
        text += std::to_string(n) + "=" + name + "," + name + ",File " + std::to_string(n) + "," + keyword + "\n";
    }
    return text;
}

// The files in a folder that match a pattern such as "*.tmp", folders left out.
std::vector<std::string> FilesMatching(const std::string& folder, const char* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// Each file takes longer than the page waits between two files it shows.
INT WINAPI SlowLZRead(INT source, LPSTR buffer, INT count)
{
    Sleep(60);
    return ImportHook<SlowLZRead>::Real()(source, buffer, count);
}

}  // namespace

TEST_F(InstallPage, PercentagesAndTheBarStartAgainOnEachDisk)
{
    ImportHook<SlowLZRead> read("lz32.dll", "LZRead");
    Load("[Main]\nProductName=Zorva\n[DiskLabel]\nDisk1=One\nDisk2=Two\nDisk3=Three\n"
         "[FileCounts]\nDisk1=1\nDisk2=3\nDisk3=7\n[DirectoryName]\nRootDir=SRC\n" +
         Lines("Disk1", 1, "RootDir") + Lines("Disk2", 3, "RootDir") + Lines("Disk3", 7, "RootDir"));
    for (const auto& disk : {std::make_pair("Disk1", 1), std::make_pair("Disk2", 3), std::make_pair("Disk3", 7)})
        for (int n = 1; n <= disk.second; ++n) Source(std::string("SRC\\") + disk.first + "_" + std::to_string(n) + ".TXT", "x");
    CreateDirectoryA((dest_ + "\\SRC").c_str(), nullptr);
    EXPECT_EQ(PageNext, Run());
    std::vector<std::string> expected = {"100%", "33%", "66%", "100%", "14%", "28%",
                                         "42%",  "57%", "71%", "85%",  "100%"};
    EXPECT_EQ(expected, TextsOf(IDC_PERCENT));
    EXPECT_EQ(6, Frames) << "one empty bar, two outlines, per disk";
    ASSERT_EQ(11u, BarWidths.size());
    int full = BarWidths[0];
    EXPECT_GT(full, 100);
    EXPECT_EQ(full * 33 / 100, BarWidths[1]) << "the bar starts again on disk 2";
    EXPECT_EQ(full, BarWidths[3]);
    EXPECT_EQ(full * 14 / 100, BarWidths[4]);
    std::vector<std::string> status = TextsOf(IDC_STATUS);
    ASSERT_EQ(12u, status.size());
    EXPECT_EQ("Copying Disk2_1.TXT\n\nFile 1", status[1]);
    EXPECT_EQ("Updating Registry...", status.back());
    EXPECT_TRUE(Registered());
}

// Files quicker than the eye are not each shown, but the first and the last
// of every disk are, so each disk ends on a full bar.
TEST_F(InstallPage, QuickFilesAreShownInPartAndEachDiskEndsFull)
{
    Load("[Main]\nProductName=Zorva\n[DiskLabel]\nDisk1=One\nDisk2=Two\n[FileCounts]\nDisk1=120\nDisk2=3\n" +
         Lines("Disk1", 120, "") + Lines("Disk2", 3, ""));
    for (int n = 1; n <= 120; ++n) Source("Disk1_" + std::to_string(n) + ".TXT", std::to_string(n));
    for (int n = 1; n <= 3; ++n) Source("Disk2_" + std::to_string(n) + ".TXT", "two");
    EXPECT_EQ(PageNext, Run());
    for (int n = 1; n <= 120; ++n) ASSERT_EQ(std::to_string(n), ReadTextFile(dest_ + "\\Disk1_" + std::to_string(n) + ".TXT"));
    EXPECT_EQ("two", ReadTextFile(dest_ + "\\Disk2_3.TXT"));

    std::vector<std::string> status = TextsOf(IDC_STATUS), percent = TextsOf(IDC_PERCENT);
    EXPECT_LT(status.size(), 60u) << "quick files are shown in part";
    ASSERT_GE(status.size(), 4u);
    ASSERT_EQ(status.size() - 1, percent.size()) << "each file shown shows its percentage";
    EXPECT_EQ("Copying Disk1_1.TXT\n\nFile 1", status.front());
    auto lastOfDisk1 = std::find(status.begin(), status.end(), "Copying Disk1_120.TXT\n\nFile 120");
    ASSERT_NE(status.end(), lastOfDisk1);
    EXPECT_EQ("Copying Disk2_1.TXT\n\nFile 1", *(lastOfDisk1 + 1)) << "the first of disk 2";
    EXPECT_EQ("Copying Disk2_3.TXT\n\nFile 3", status[status.size() - 2]);
    EXPECT_EQ("Updating Registry...", status.back());
    size_t disk1 = static_cast<size_t>(lastOfDisk1 - status.begin()) + 1;
    EXPECT_EQ("0%", percent.front()) << "1 of 120";
    EXPECT_EQ("100%", percent[disk1 - 1]);
    EXPECT_EQ("33%", percent[disk1]);
    EXPECT_EQ("100%", percent.back());
    ASSERT_EQ(percent.size(), BarWidths.size());
    EXPECT_EQ(BarWidths.back(), BarWidths[disk1 - 1]) << "disk 1 ends on a full bar";
}

TEST_F(InstallPage, EveryKeywordCopiesFromItsSourceToItsDestination)
{
    const std::string windows = WindowsDir.c_str();
    Load("[Main]\nProductName=Zorva\n[DiskLabel]\nDisk1=One\n[FileCounts]\nDisk1=6\n"
         "[DirectoryName]\nRootDir=ROOT\nSubDir1=HELP\nWinDir=WIN\nWinSystemDir=SYS\nWinInfDir=INF\n"
         "[Disk1]\n1=MAIN.EX_,MAIN.EXE,Main,RootDir\n2=HELP.TXT,HELP.TXT,Help,SubDir1\n3=ZORVA.INI,ZORVA.INI,Ini,WinDir\n"
         "4=QXMOUSE.DR_,QXMOUSE.DRV,Driver,WinSystemDir\n5=QXMOUSE.INF,QXMOUSE.INF,Inf,WinInfDir\n"
         "6=PLAIN.TXT,PLAIN.TXT,Plain\n");
    const std::string main = Pattern(5000, 1), help = "help text\r\n", driver = Pattern(3, 2);
    Source("ROOT\\MAIN.EX_", Szdd(main));
    Source("HELP\\HELP.TXT", help);
    Source("WIN\\ZORVA.INI", "[Zorva]\r\n");
    Source("SYS\\QXMOUSE.DR_", Szdd(driver));
    Source("INF\\QXMOUSE.INF", "[Version]\r\n");
    Source("PLAIN.TXT", "no keyword");

    FixedText<MAX_PATH> source;
    ASSERT_TRUE(BuildSourcePath(source, 1, 6));
    EXPECT_EQ(TestDirectory() + "\\\\PLAIN.TXT", std::string(source)) << "an empty directory leaves two backslashes";
    FixedText<256> path;
    ASSERT_TRUE(BuildDestPath(path, 1, 6));
    EXPECT_EQ(dest_ + "\\\\PLAIN.TXT", std::string(path));
    ASSERT_TRUE(BuildDestPath(path, 1, 4));
    EXPECT_EQ(windows + "\\SYSTEM\\QXMOUSE.DRV", std::string(path));

    // RootDir names a folder that the destination lacks: MAIN.EXE is
    // reported, skipped, and listed before the registration.
    IgnoredFile seen = RunIgnoringOneFile();
    EXPECT_EQ(0u, seen.box.text.find("Setup cannot install the file\n" + dest_ + "\\ROOT\\MAIN.EXE\n\nThe file cannot be"))
        << seen.box.text;
    EXPECT_EQ("These files were skipped and are not installed:\n\n" + dest_ + "\\ROOT\\MAIN.EXE", seen.list.text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dest_ + "\\ROOT").c_str())) << "RootDir is not created";
    EXPECT_EQ(help, ReadTextFile(dest_ + "\\HELP\\HELP.TXT")) << "SubDir1 is created first";
    EXPECT_EQ("[Zorva]\r\n", ReadTextFile(windows + "\\ZORVA.INI"));
    EXPECT_EQ(driver, ReadTextFile(windows + "\\SYSTEM\\QXMOUSE.DRV"));
    EXPECT_EQ("[Version]\r\n", ReadTextFile(windows + "\\INF\\QXMOUSE.INF"));
    EXPECT_EQ("no keyword", ReadTextFile(dest_ + "\\PLAIN.TXT"));
}

namespace {

FILETIME LastWritten(const std::string& path)
{
    FILETIME time = {};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return time;
}

}  // namespace

// Files several times the copy's step, compressed or not, new or replacing
// an old file, arrive whole and keep the time of their source.
TEST_F(InstallPage, RootDirIsCopiedOnceItExists)
{
    Load("[DiskLabel]\nDisk1=One\n[FileCounts]\nDisk1=2\n[DirectoryName]\nRootDir=ROOT\n"
         "[Disk1]\n1=MAIN.EX_,MAIN.EXE,Main,RootDir\n2=DATA.BIN,DATA.BIN,Data,RootDir\n");
    const std::string main = Pattern(200000, 3), data = Pattern(100001, 7);
    Source("ROOT\\MAIN.EX_", Szdd(main));
    Source("ROOT\\DATA.BIN", data);
    const FILETIME old = {0x2A69C000, 0x01BC7AB0};  // in 1997
    for (const char* name : {"MAIN.EX_", "DATA.BIN"}) {
        HANDLE file = CreateFileA((TestDirectory() + "\\ROOT\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        SetFileTime(file, nullptr, nullptr, &old);
        CloseHandle(file);
    }
    CreateDirectoryA((dest_ + "\\ROOT").c_str(), nullptr);
    WriteTextFile(dest_ + "\\ROOT\\MAIN.EXE", "old");
    EXPECT_EQ(PageNext, Run());
    EXPECT_EQ(main, ReadTextFile(dest_ + "\\ROOT\\MAIN.EXE"));
    EXPECT_EQ(data, ReadTextFile(dest_ + "\\ROOT\\DATA.BIN"));
    for (const char* name : {"MAIN.EXE", "DATA.BIN"}) {
        FILETIME copied = LastWritten(dest_ + "\\ROOT\\" + name);
        EXPECT_EQ(0, CompareFileTime(&old, &copied)) << name;
    }
}

// An old file that already holds the source's bytes is read back and left
// as it is, even while a program holds it open; one that differs anywhere,
// at its first byte or past the copy's first steps, is replaced.
TEST_F(InstallPage, AFileAlreadyHoldingTheNewBytesIsLeftAsItIs)
{
    Load("[Main]\nProductName=Zorva\n[DiskLabel]\nDisk1=One\n[FileCounts]\nDisk1=4\n"
         "[Disk1]\n1=SAME.EX_,SAME.EXE,Same\n2=SAME.EX_,LATE.EXE,Differs last\n3=EARLY.BIN,EARLY.BIN,Differs first\n"
         "4=SAME.EX_,HELD.EXE,Differs and held\n");
    const std::string main = Pattern(100001, 4), plain = Pattern(70000, 5);
    Source("SAME.EX_", Szdd(main));
    Source("EARLY.BIN", plain);
    std::string late = main, early = plain;
    late.back() ^= 1;
    early.front() ^= 1;
    WriteTextFile(dest_ + "\\SAME.EXE", main);
    WriteTextFile(dest_ + "\\LATE.EXE", late);
    WriteTextFile(dest_ + "\\EARLY.BIN", early);
    WriteTextFile(dest_ + "\\HELD.EXE", late);
    const FILETIME before = {0x2A69C000, 0x01BC7AB0};  // in 1997
    HANDLE same = CreateFileA((dest_ + "\\SAME.EXE").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(same, nullptr, nullptr, &before);
    CloseHandle(same);
    SetFileAttributesA((dest_ + "\\SAME.EXE").c_str(), FILE_ATTRIBUTE_HIDDEN);
    HANDLE held[2];
    for (int i = 0; i < 2; ++i)
        held[i] = CreateFileA((dest_ + (i == 0 ? "\\SAME.EXE" : "\\HELD.EXE")).c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);

    IgnoredFile seen = RunIgnoringOneFile();
    for (HANDLE file : held) CloseHandle(file);
    EXPECT_EQ(0u, seen.box.text.find("Setup cannot install the file\n" + dest_ + "\\\\HELD.EXE\n")) << seen.box.text;
    EXPECT_EQ("These files were skipped and are not installed:\n\n" + dest_ + "\\\\HELD.EXE", seen.list.text);
    EXPECT_EQ(main, ReadTextFile(dest_ + "\\SAME.EXE"));
    FILETIME after = LastWritten(dest_ + "\\SAME.EXE");
    EXPECT_EQ(0, CompareFileTime(&before, &after)) << "not written again";
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN),
              GetFileAttributesA((dest_ + "\\SAME.EXE").c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(main, ReadTextFile(dest_ + "\\LATE.EXE")) << "the source is read again from its start";
    EXPECT_EQ(plain, ReadTextFile(dest_ + "\\EARLY.BIN"));
    EXPECT_EQ(late, ReadTextFile(dest_ + "\\HELD.EXE"));
    EXPECT_TRUE(Registered());
}

TEST_F(InstallPage, EachFailedFileIsReportedAndIgnoredFilesAreListed)
{
    // Entries 7 to 14 name sources that do not exist either: twelve failures.
    std::string script = "[Main]\nProductName=Zorva\n[DiskLabel]\nDisk1=One\n[FileCounts]\nDisk1=14\n"
                         "[Disk1]\n1=MISSING.TXT,KEEP1.TXT,Missing\n2=TRUNC.TX_,KEEP2.TXT,Truncated\n"
                         "3=LIAR.TX_,KEEP3.TXT,Header names more than the data holds\n5=GOOD.TX_,GOOD.TXT,Good\n"
                         "6=GOOD.TX_,READONLY.TXT,A read-only destination\n";
    for (int n = 7; n <= 14; ++n) {
        std::string name = "Disk1_" + std::to_string(n) + ".TXT";
        script += std::to_string(n) + "=" + name + "," + name + ",Missing\n";
    }
    Load(script);
    const std::string good = Pattern(3000, 4);
    std::string truncated = Szdd(Pattern(3000, 5));
    truncated.resize(truncated.size() / 2);
    Source("TRUNC.TX_", truncated);
    std::string liar = Szdd("only this");
    liar[11] = 0x10;  // 4 kB and more
    Source("LIAR.TX_", liar);
    Source("GOOD.TX_", Szdd(good));
    for (const char* keep : {"KEEP1.TXT", "KEEP2.TXT", "KEEP3.TXT", "READONLY.TXT"}) WriteTextFile(dest_ + "\\" + keep, "old");
    SetFileAttributesA((dest_ + "\\READONLY.TXT").c_str(), FILE_ATTRIBUTE_READONLY);

    std::vector<MessageBoxSeen> boxes;
    std::vector<std::string> onShow;  // the status and percentage behind each box
    MessageBoxSeen list;
    HWND page = nullptr;
    Robot robot([&] {
        page = WaitForWindow("SETUP_INSTALL", nullptr);
        for (int i = 0; i < 12; ++i)
            boxes.push_back(AnswerMessageBox(IDIGNORE, 10000, [&] {
                onShow.push_back(ControlText(page, IDC_STATUS) + "|" + ControlText(page, IDC_PERCENT));
            }));
        list = DismissMessageBox();
    });
    EXPECT_EQ(PageNext, Run());
    robot.join();

    EXPECT_EQ("old", ReadTextFile(dest_ + "\\KEEP1.TXT")) << "missing source";
    EXPECT_EQ("old", ReadTextFile(dest_ + "\\KEEP2.TXT")) << "truncated SZDD source";
    EXPECT_EQ("old", ReadTextFile(dest_ + "\\KEEP3.TXT")) << "length beyond the data";
    EXPECT_EQ(good, ReadTextFile(dest_ + "\\GOOD.TXT"));
    EXPECT_EQ("old", ReadTextFile(dest_ + "\\READONLY.TXT")) << "a read-only file is not replaced";
    // Each reported file is on show behind its box, however quick the files
    // before it were; the all-zero entry 4 is counted, names no file, and is
    // not reported.
    std::vector<std::string> expectedOnShow = {"Copying MISSING.TXT\n\nMissing|7%",
                                               "Copying TRUNC.TX_\n\nTruncated|14%",
                                               "Copying LIAR.TX_\n\nHeader names more than the data holds|21%",
                                               "Copying GOOD.TX_\n\nA read-only destination|42%"};
    for (int n = 7; n <= 14; ++n)
        expectedOnShow.push_back("Copying Disk1_" + std::to_string(n) + ".TXT\n\nMissing|" + std::to_string(n * 100 / 14) +
                                 "%");
    EXPECT_EQ(expectedOnShow, onShow);

    const std::string buttons = "\n\nAbort stops the installation; no settings are changed. Retry tries this file "
                                "again. Ignore skips this file and goes on.";
    const std::string missing = "Its source file cannot be found or opened on the installation disk.";
    const std::string incomplete = "Its source file could not be read to the end, or the disk is full.";
    struct {
        const char* name;
        std::string reason;
    } expected[] = {{"KEEP1.TXT", missing},
                    {"KEEP2.TXT", incomplete},
                    {"KEEP3.TXT", incomplete},
                    {"READONLY.TXT", "The file cannot be written there. It may be read-only or in use, its folder may "
                                     "not exist, or the disk may be write-protected."},
                    {"Disk1_7.TXT", missing}};
    ASSERT_EQ(12u, boxes.size());
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ("Setup cannot install the file\n" + dest_ + "\\\\" + expected[i].name + "\n\n" + expected[i].reason +
                      buttons,
                  boxes[i].text);
        EXPECT_EQ("Zorva Setup Program", boxes[i].caption);
        EXPECT_EQ(page, boxes[i].owner) << "owned by the Install page";
        EXPECT_TRUE(boxes[i].hasButton[IDABORT] && boxes[i].hasButton[IDRETRY] && boxes[i].hasButton[IDIGNORE]);
    }
    // The list comes before the registration: ten names, then the count.
    std::string names = "These files were skipped and are not installed:\n";
    for (const char* name : {"KEEP1.TXT", "KEEP2.TXT", "KEEP3.TXT", "READONLY.TXT", "Disk1_7.TXT", "Disk1_8.TXT",
                             "Disk1_9.TXT", "Disk1_10.TXT", "Disk1_11.TXT", "Disk1_12.TXT"})
        names += "\n" + dest_ + "\\\\" + name;  // no directory keyword: two backslashes
    EXPECT_EQ(names + "\nand 2 more", list.text);
    EXPECT_EQ(page, list.owner);
    EXPECT_EQ("Updating Registry...", TextsOf(IDC_STATUS).back());
    EXPECT_TRUE(Registered());

    // Nothing else arrived: no temporary file is left behind. (SETUP.REC is
    // the record of what the installation did.)
    std::vector<std::string> present = FilesMatching(dest_, "*");
    present.erase(std::remove(present.begin(), present.end(), "SETUP.REC"), present.end());
    EXPECT_EQ(5u, present.size());
}

TEST_F(InstallPage, ScriptWithoutDisksOnlyRegisters)
{
    Load("[Main]\nProductName=Zorva\n");
    EXPECT_EQ(PageNext, Run());
    EXPECT_EQ(std::vector<std::string>{"Updating Registry..."}, TextsOf(IDC_STATUS));
    EXPECT_EQ(0, Frames);
    EXPECT_TRUE(Registered());
    EXPECT_FALSE(FileExists(ProgramsFolder() + "\\ZORVA")) << "no items, no group folder";
}

TEST_F(InstallPage, PathsThatDoNotFitAreSkippedNotCut)
{
    Load("[DiskLabel]\nDisk1=One\n[FileCounts]\nDisk1=1\n[Disk1]\n1=A.TXT,A.TXT,A\n");
    InstallDir.assign(("C:\\" + std::string(250, 'd')).c_str());
    FixedText<256> path;
    EXPECT_FALSE(BuildDestPath(path, 1, 1));
    InstallDir.assign(("C:\\" + std::string(240, 'd')).c_str());
    EXPECT_TRUE(BuildDestPath(path, 1, 1));
    EXPECT_EQ(std::string(InstallDir) + "\\\\A.TXT", std::string(path));
}

namespace {

int Copies = 0, HeldCopy = 0;
bool InCopy = false;
HANDLE InHeldFile, Clicked;

// Counts the copies (each reads until nothing is left) and holds one of them
// until the robot has clicked Cancel.
INT WINAPI HeldLZRead(INT source, LPSTR buffer, INT count)
{
    if (!InCopy) {
        InCopy = true;
        if (++Copies == HeldCopy) {
            SetEvent(InHeldFile);
            WaitForSingleObject(Clicked, 10000);
        }
    }
    INT read = ImportHook<HeldLZRead>::Real()(source, buffer, count);
    if (read <= 0) InCopy = false;
    return read;
}

}  // namespace

TEST_F(InstallPage, CancelAtTheFirstAMiddleOrTheLastFileFinishesItAndStops)
{
    ImportHook<HeldLZRead> read("lz32.dll", "LZRead");
    Load("[Main]\nProductName=Zorva\n[DiskLabel]\nDisk1=One\nDisk2=Two\n[FileCounts]\nDisk1=5\nDisk2=1\n" +
         Lines("Disk1", 5, "") + Lines("Disk2", 1, ""));
    const char* names[] = {"Disk1_1.TXT", "Disk1_2.TXT", "Disk1_3.TXT", "Disk1_4.TXT", "Disk1_5.TXT", "Disk2_1.TXT"};
    for (const char* name : names) Source(name, name);
    for (int held : {1, 3, 6}) {  // the last file is the second disk's only one
        std::string dest = dest_ + "\\cancel" + std::to_string(held);
        CreateDirectoryA(dest.c_str(), nullptr);
        InstallDir.assign(dest.c_str());
        Texts.clear();
        Copies = 0;
        InCopy = false;
        HeldCopy = held;
        InHeldFile = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        Clicked = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HWND page = nullptr;
        Robot robot([&] {
            page = WaitForWindow("SETUP_INSTALL", nullptr);
            if (WaitForSingleObject(InHeldFile, 10000) != WAIT_OBJECT_0)
                RobotFailed("the copy did not reach file " + std::to_string(held));
            if (held == 3) Type(page, VK_ESCAPE);  // Esc cancels as the button does
            else Click(page, IDOK);                // the Install page's only button, "Cancel"
            SetEvent(Clicked);
        });
        EXPECT_EQ(PageCancel, Run()) << held;
        robot.join();
        for (int n = 0; n < 6; ++n)
            EXPECT_EQ(n < held, FileExists(dest + "\\" + names[n])) << names[n] << ", cancelled at file " << held
                                                                   << ": the file in progress is finished, no other";
        EXPECT_EQ(held, Copies);
        for (const std::string& status : TextsOf(IDC_STATUS)) EXPECT_NE("Updating Registry...", status);
        EXPECT_FALSE(Registered()) << held;
        EXPECT_FALSE(IsWindow(page));
        CloseHandle(InHeldFile);
        CloseHandle(Clicked);
    }
}

namespace {

// A full disk: a write stores what fits, a kilobyte, and fails. (A line of
// the record, written ahead of each file, still fits.)
BOOL WINAPI DiskFullWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (size < 600) return ImportHook<DiskFullWriteFile>::Real()(file, data, size, written, overlapped);
    ImportHook<DiskFullWriteFile>::Real()(file, data, size < 1024 ? size : 1024, written, overlapped);
    return SetLastError(ERROR_DISK_FULL), FALSE;
}

// The medium leaves the drive once the first file is read to its end.
std::string Medium, Removed;
INT WINAPI MediumRemovedAfterFirst(INT source, LPSTR buffer, INT count)
{
    INT read = ImportHook<MediumRemovedAfterFirst>::Real()(source, buffer, count);
    if (read <= 0 && ++Copies == 1) MoveFileA(Medium.c_str(), Removed.c_str());
    return read;
}

}  // namespace

// A full disk and a medium taken out mid-copy: the file is reported, nothing
// partial or temporary stays, an old file is kept, and Retry once the medium
// is back installs it.
TEST_F(InstallPage, AFullDiskOrAMediumTakenOutIsReportedAndNothingPartialStays)
{
    Load("[Main]\nProductName=Zorva\n[DiskLabel]\nDisk1=One\n[FileCounts]\nDisk1=2\n"
         "[Disk1]\n1=NEW.TX_,NEW.TXT,New\n2=NEW.TX_,OLD.TXT,Replaces a file\n");
    const std::string fresh = Pattern(40000, 7);
    Source("NEW.TX_", Szdd(fresh));
    WriteTextFile(dest_ + "\\OLD.TXT", "old");
    {
        ImportHook<DiskFullWriteFile> write("kernel32.dll", "WriteFile");
        MessageBoxSeen boxes[2], list;
        Robot robot([&] {
            for (MessageBoxSeen& box : boxes) box = AnswerMessageBox(IDIGNORE);
            list = DismissMessageBox();
        });
        EXPECT_EQ(PageNext, Run());
        robot.join();
        for (const MessageBoxSeen& box : boxes)
            EXPECT_NE(std::string::npos, box.text.find("could not be read to the end, or the disk is full.")) << box.text;
        EXPECT_FALSE(FileExists(dest_ + "\\NEW.TXT")) << "no partial file";
        EXPECT_EQ("old", ReadTextFile(dest_ + "\\OLD.TXT")) << "the old file is kept";
        EXPECT_NE(std::string::npos, list.text.find("NEW.TXT\n" + dest_ + "\\\\OLD.TXT")) << list.text;
    }

    // The medium: the script's folder, renamed away after the first file.
    const std::string medium = TestDirectory() + "\\medium";
    CreateDirectoryA(medium.c_str(), nullptr);
    CopyFileA((TestDirectory() + "\\NEW.TX_").c_str(), (medium + "\\NEW.TX_").c_str(), FALSE);
    SetupDir.assign(medium.c_str());
    Medium = medium;
    Removed = TestDirectory() + "\\out-of-the-drive";
    Copies = 0;
    ImportHook<MediumRemovedAfterFirst> read("lz32.dll", "LZRead");
    MessageBoxSeen missing;
    ImportHook<CountedBox> boxes("user32.dll", "MessageBoxA");
    Boxes = 0;
    Robot robot([&] {
        missing = AnswerMessageBox(IDRETRY, 10000, [&] { MoveFileA(Removed.c_str(), Medium.c_str()); });
    });
    EXPECT_EQ(PageNext, Run());
    robot.join();
    EXPECT_EQ(1, Boxes) << "the one box, and no list of skipped files";
    EXPECT_EQ("Setup cannot install the file\n" + dest_ +
                  "\\\\OLD.TXT\n\nIts source file cannot be found or opened on the installation disk.",
              missing.text.substr(0, missing.text.find("\n\nAbort")));
    EXPECT_EQ(fresh, ReadTextFile(dest_ + "\\NEW.TXT"));
    EXPECT_EQ(fresh, ReadTextFile(dest_ + "\\OLD.TXT")) << "installed by the retry";
    EXPECT_TRUE(Registered());
    EXPECT_EQ(std::vector<std::string>{}, FilesMatching(dest_, "*.tmp"));
}

namespace {

int LostCopies = 0;

bool EndsWith(const char* path, const char* name)
{
    size_t length = strlen(path), tail = strlen(name);
    return length >= tail && lstrcmpiA(path + length - tail, name) == 0;
}

// The replacing move fails as on Windows 98 for WIN98.TXT, COPIED.TXT and
// LOST.TXT, which then take the old way: delete, then move. That move fails
// for COPIED.TXT and LOST.TXT; the copy that follows fails for LOST.TXT only.
BOOL WINAPI NotImplementedMoveEx(LPCSTR from, LPCSTR to, DWORD flags)
{
    if (EndsWith(to, "\\WIN98.TXT") || EndsWith(to, "\\COPIED.TXT") || EndsWith(to, "\\LOST.TXT"))
        return SetLastError(ERROR_CALL_NOT_IMPLEMENTED), FALSE;
    return ImportHook<NotImplementedMoveEx>::Real()(from, to, flags);
}

BOOL WINAPI RefusingMove(LPCSTR from, LPCSTR to)
{
    if (EndsWith(to, "\\COPIED.TXT") || EndsWith(to, "\\LOST.TXT")) return SetLastError(ERROR_ACCESS_DENIED), FALSE;
    return ImportHook<RefusingMove>::Real()(from, to);
}

BOOL WINAPI RefusingCopy(LPCSTR from, LPCSTR to, BOOL failIfExists)
{
    if (EndsWith(to, "\\LOST.TXT")) return ++LostCopies, SetLastError(ERROR_ACCESS_DENIED), FALSE;
    return ImportHook<RefusingCopy>::Real()(from, to, failIfExists);
}

}  // namespace

TEST_F(InstallPage, MovesThatFailAndTheSecondDiskAreHandledAsTheUserAnswers)
{
    ImportHook<NotImplementedMoveEx> moveEx("kernel32.dll", "MoveFileExA");
    ImportHook<RefusingMove> move("kernel32.dll", "MoveFileA");
    ImportHook<RefusingCopy> copy("kernel32.dll", "CopyFileA");
    LostCopies = 0;
    // The label is data: its "%s" and "%d" reach the prompt as they stand.
    Load("[Main]\nProductName=Zorva\n[DiskLabel]\nDisk1=One\nDisk2=Disk %s %d 2\n[FileCounts]\nDisk1=4\nDisk2=1\n"
         "[Disk1]\n1=NEW.TX_,HIDDEN.TXT,Hidden\n2=NEW.TX_,COPIED.TXT,Copied\n3=NEW.TX_,LOST.TXT,Lost\n"
         "4=NEW.TX_,WIN98.TXT,Replaced the Windows 98 way\n"
         "[Disk2]\n1=SECOND.TXT,SECOND.TXT,On disk two\n");
    const std::string fresh = Pattern(5000, 6);
    Source("NEW.TX_", Szdd(fresh));
    for (const char* old : {"HIDDEN.TXT", "COPIED.TXT", "LOST.TXT", "WIN98.TXT"}) WriteTextFile(dest_ + "\\" + old, "old");
    RecordAsThePackages({"HIDDEN.TXT", "COPIED.TXT", "LOST.TXT", "WIN98.TXT"});
    for (const char* hidden : {"HIDDEN.TXT", "WIN98.TXT"})
        SetFileAttributesA((dest_ + "\\" + hidden).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    // LOST.TXT: the old file is gone and the new one cannot take its place;
    // the retry finds no file of that name and puts it there.
    MessageBoxSeen lost, prompt[2];
    ImportHook<CountedBox> boxes("user32.dll", "MessageBoxA");
    Boxes = 0;
    Robot robot([&] {
        lost = AnswerMessageBox(IDRETRY);
        prompt[0] = AnswerMessageBox(IDOK);  // the disk is not in the drive yet
        prompt[1] = AnswerMessageBox(IDOK, 10000, [&] { Source("SECOND.TXT", "second disk"); });
    });
    EXPECT_EQ(PageNext, Run());
    robot.join();
    EXPECT_EQ(3, Boxes) << "no list of skipped files: the retried file was installed";

    for (const char* hidden : {"HIDDEN.TXT", "WIN98.TXT"}) {
        EXPECT_EQ(fresh, ReadTextFile(dest_ + "\\" + hidden)) << hidden;
        EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
                  GetFileAttributesA((dest_ + "\\" + hidden).c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            << hidden << ": the replaced file keeps the old one's attributes";
    }
    EXPECT_EQ(fresh, ReadTextFile(dest_ + "\\COPIED.TXT")) << "copied into place once the move failed";
    EXPECT_EQ("Setup cannot install the file\n" + dest_ +
                  "\\\\LOST.TXT\n\nThe old file has been removed, but the new file could not take its place.\n\n"
                  "Abort stops the installation; no settings are changed. Retry tries this file again. Ignore "
                  "skips this file and goes on.",
              lost.text);
    EXPECT_EQ(1, LostCopies) << "one copy into place was tried";
    EXPECT_EQ(fresh, ReadTextFile(dest_ + "\\LOST.TXT")) << "the retry";

    for (const MessageBoxSeen& asked : prompt) {
        EXPECT_EQ("Please insert 'Disk %s %d 2' into your disk drive !", asked.text);
        EXPECT_EQ("Zorva Setup Program", asked.caption);
        EXPECT_TRUE(asked.hasButton[IDOK] && asked.hasButton[IDCANCEL]);
    }
    EXPECT_EQ("second disk", ReadTextFile(dest_ + "\\SECOND.TXT"));
    EXPECT_TRUE(Registered());

    // No temporary file is left under any name.
    EXPECT_EQ(std::vector<std::string>{}, FilesMatching(dest_, "*.tmp"));
}

namespace {

// Another's OTHER.TXT is kept, and then neither the new file can be made in
// its place nor the kept one come back.
HANDLE WINAPI NoNewOther(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                         DWORD flags, HANDLE from)
{
    if (disposition == CREATE_NEW && EndsWith(path, "\\OTHER.TXT")) return SetLastError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
    return ImportHook<NoNewOther>::Real()(path, access, share, security, disposition, flags, from);
}

BOOL WINAPI NoWayBack(LPCSTR from, LPCSTR to)
{
    if (EndsWith(from, "\\ORIGINAL\\OTHER.TXT")) return SetLastError(ERROR_ACCESS_DENIED), FALSE;
    return ImportHook<NoWayBack>::Real()(from, to);
}

}  // namespace

// The file another's had to make room for, which could come back to its
// place neither then nor at once: the record named it before it moved, and
// the Abort's rollback brings it back.
TEST_F(InstallPage, AnothersFileThatCannotComeBackIsRecordedAndTheRollbackBringsItBack)
{
    Load("[Main]\nProductName=Zorva\n[DiskLabel]\nDisk1=One\n[FileCounts]\nDisk1=2\n"
         "[Disk1]\n1=NEW.TX_,NEW.TXT,New\n2=NEW.TX_,OTHER.TXT,Replaces another's\n");
    Source("NEW.TX_", Szdd(Pattern(3000, 4)));
    WriteTextFile(dest_ + "\\OTHER.TXT", "another maker's");
    MessageBoxSeen failed;
    int16_t result;
    {
        ImportHook<NoNewOther> create("kernel32.dll", "CreateFileA");
        ImportHook<NoWayBack> move("kernel32.dll", "MoveFileA");
        Robot robot([&] { failed = AnswerMessageBox(IDABORT); });
        result = RunPage("SETUP_INSTALL", InstallPageProc, IDD_INSTALL);
        robot.join();
    }
    EXPECT_EQ(PageCancel, result);
    EXPECT_NE(std::string::npos, failed.text.find("could not take its place")) << failed.text;
    EXPECT_FALSE(FileExists(dest_ + "\\OTHER.TXT"));
    EXPECT_TRUE(RollBackRun());
    EXPECT_EQ("another maker's", ReadTextFile(dest_ + "\\OTHER.TXT"));
    EXPECT_FALSE(FileExists(dest_ + "\\NEW.TXT"));
    EXPECT_FALSE(FileExists(dest_ + "\\ORIGINAL"));
}

namespace {

// The run's journal as the disk held it when the first new file was made.
std::string JournalAtFirstFile;

HANDLE WINAPI SeeJournalFirst(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                              DWORD disposition, DWORD flags, HANDLE from)
{
    FixedText<MAX_PATH> journal;
    if (disposition == CREATE_NEW && JournalAtFirstFile.empty() && JournalPath(journal))
        JournalAtFirstFile = ReadTextFile(journal.c_str());
    return ImportHook<SeeJournalFirst>::Real()(path, access, share, security, disposition, flags, from);
}

}  // namespace

// Every new file of a disk, in any folder, is in the journal before the
// first is made; once made, each has its time as its folder lists it and
// the sum of its bytes, a file put twice those of the second.
TEST_F(InstallPage, ADisksNewFilesAreOnTheDiskAheadOfItsCopyAndEachTakesItsTimeAfter)
{
    const std::string windows = WindowsDir.c_str();
    Load("[DiskLabel]\nDisk1=One\n[FileCounts]\nDisk1=4\n[DirectoryName]\nSubDir1=HELP\nWinDir=WIN\n"
         "[Disk1]\n1=ONE.TXT,ONE.TXT,One\n2=TWO.TXT,TWO.TXT,Two,SubDir1\n3=THREE.TXT,ZORVA3.TXT,Three,WinDir\n"
         "4=FOUR.TXT,ONE.TXT,One again\n");
    Source("ONE.TXT", "one");
    Source("HELP\\TWO.TXT", Pattern(70000, 5));
    Source("WIN\\THREE.TXT", "three");
    Source("FOUR.TXT", "four");
    const std::string made[] = {dest_ + "\\ONE.TXT", dest_ + "\\HELP\\TWO.TXT", windows + "\\ZORVA3.TXT"};
    JournalAtFirstFile.clear();
    {
        ImportHook<SeeJournalFirst> create("kernel32.dll", "CreateFileA");
        EXPECT_EQ(PageNext, Run());
    }
    for (const std::string& path : made) {
        FixedText<MAX_PATH> full;
        ASSERT_TRUE(FullPath(path.c_str(), full));
        EXPECT_NE(std::string::npos, JournalAtFirstFile.find("[Files] " + std::string(full) + "=creating\r\n"))
            << path << " in\n" << JournalAtFirstFile;
        FileFact fact;
        FixedText<32> stamp, sum, recorded;
        ASSERT_TRUE(ReadFileFact(path.c_str(), fact)) << path;
        ASSERT_TRUE(FileStamp(path.c_str(), stamp) && FileSum(path.c_str(), sum));
        fact.lengthAndSum(recorded);
        EXPECT_EQ(FileStep::Created, fact.step) << path;
        EXPECT_STREQ(std::strchr(stamp, ',') + 1, fact.time) << path;
        EXPECT_STREQ(sum, recorded) << path;
    }
    EXPECT_EQ("four", ReadTextFile(made[0]));
    DeleteFileA(made[2].c_str());
}

// The program group, made after the copy: an existing group is reused, a
// shortcut of the same name replaced (and kept), and a group that cannot be
// made costs only a notice.
TEST_F(InstallPage, ProgramGroupIsMadeOrReportedAndTheInstallationGoesOn)
{
    CoInitialize(nullptr);
    const std::string script = "[Main]\nProductName=Zorva\nGroupTitle=Tools\n"
                               "[PM Info]\n1=A.EXE,Alpha,2\n2=B.TXT,Be/ta,\n";
    const std::string group = ProgramsFolder() + "\\Tools";
    CreateDirectoryA(group.c_str(), nullptr);
    WriteTextFile(group + "\\Alpha.lnk", "stale");
    WriteTextFile(group + "\\Mine.txt", "the user's");
    Load(script);
    EXPECT_EQ(PageNext, Run());
    Shortcut alpha = ReadShortcut(group + "\\Alpha.lnk");
    ASSERT_TRUE(alpha.read) << "the stale file is replaced";
    EXPECT_EQ("stale", ReadTextFile(dest_ + "\\ORIGINAL\\Alpha.lnk")) << "and kept for the uninstaller";
    EXPECT_EQ(dest_ + "\\A.EXE", alpha.target);
    EXPECT_EQ(dest_, alpha.workingDirectory);
    EXPECT_EQ(dest_ + "\\A.EXE", alpha.iconFile);
    EXPECT_EQ(2, alpha.icon);
    EXPECT_EQ(0, ReadShortcut(group + "\\Be_ta.lnk").icon) << "a title's slash cannot name a file";
    EXPECT_EQ("the user's", ReadTextFile(group + "\\Mine.txt"));
    FreeInstallList();

    // A file where the group's folder should be.
    WriteTextFile(ProgramsFolder() + "\\Blocked", "a file");
    Load("[Main]\nProductName=Zorva\nGroupTitle=Blocked\n[PM Info]\n1=A.EXE,Alpha,\n");
    MessageBoxSeen notice;
    HWND page = nullptr;
    Robot robot([&] {
        page = WaitForWindow("SETUP_INSTALL", nullptr);
        notice = DismissMessageBox(20000);
    });
    EXPECT_EQ(PageNext, Run());
    robot.join();
    EXPECT_EQ("Failed to create a new group !", notice.text);
    EXPECT_EQ("Zorva Setup Program", notice.caption);
    EXPECT_EQ(page, notice.owner);
    EXPECT_TRUE(Registered()) << "the registration ran before";
    CoUninitialize();
}

// The [Checksums] line of some bytes, as the medium builder writes it.
std::string ChecksumOf(const std::string& bytes)
{
    char line[32];
    wsprintfA(line, "%u,%08lX", static_cast<unsigned>(bytes.size()),
              static_cast<unsigned long>(Crc32(0, bytes.data(), bytes.size())));
    return line;
}

// A source whose bytes are not those the script records is damaged, plain or
// compressed: reported with its own reason, never put in a file's place
// (the old file stays), skipped on Ignore, and installed on a Retry once
// mended. A file the script records no sum of installs as it stands. A
// byte changed in the compressed stream itself (a flag byte turns literals
// into matches) may end the expansion short or long of the recorded length:
// that is damage too, not a read cut short.
TEST_F(InstallPage, ADamagedSourceIsReportedAndNeverTakesAFilesPlace)
{
    const std::string good = Pattern(4000, 3), bad = Pattern(4000, 4), packed = Pattern(9000, 5);
    std::string flipped = packed;
    flipped[4500] ^= 0x20;
    const std::string stream = Pattern(900, 6), compressed = Szdd(stream);
    const size_t flips[] = {14, 14 + 9 * 50, 14 + 9 * 50 + 4, compressed.size() - 1};  // flag bytes, a literal, the last
    std::string script = "[Main]\nProductName=Zorva\n[DiskLabel]\nDisk1=One\n[FileCounts]\nDisk1=8\n"
                         "[DirectoryName]\nSubDir1=SUB\n"
                         "[Disk1]\n1=GOOD.TXT,GOOD.TXT,Good\n2=BAD.TXT,BAD.TXT,Mended\n3=PACKED.TX_,PACKED.TXT,Damaged,SubDir1\n"
                         "4=FREE.TXT,FREE.TXT,Unrecorded\n";
    std::string sums = "[Checksums]\nGOOD.TXT=" + ChecksumOf(good) + "\nbad.txt=" + ChecksumOf(bad) +
                       "\nSUB\\PACKED.TX_=" + ChecksumOf(packed) + "\n";
    for (size_t i = 0; i < std::size(flips); ++i) {
        const std::string name = "CUT" + std::to_string(i);
        script += std::to_string(5 + i) + "=" + name + ".TX_," + name + ".TXT,Stream\n";
        sums += name + ".TX_=" + ChecksumOf(stream) + "\n";
        std::string cut = compressed;
        cut[flips[i]] ^= 0x01;
        Source(name + ".TX_", cut);
    }
    Load(script + sums);
    Source("GOOD.TXT", good);
    Source("BAD.TXT", bad.substr(0, 3999) + "!");
    Source("SUB\\PACKED.TX_", Szdd(flipped));
    Source("FREE.TXT", "anything");
    WriteTextFile(dest_ + "\\BAD.TXT", "old");
    CreateDirectoryA((dest_ + "\\SUB").c_str(), nullptr);
    WriteTextFile(dest_ + "\\SUB\\PACKED.TXT", "old");

    MessageBoxSeen mended, skipped, streams[std::size(flips)], list;
    Robot robot([&] {
        mended = AnswerMessageBox(IDRETRY, 10000, [&] {
            EXPECT_EQ("old", ReadTextFile(dest_ + "\\BAD.TXT")) << "the damaged bytes never took its place";
            Source("BAD.TXT", bad);
        });
        skipped = AnswerMessageBox(IDIGNORE);
        for (auto& seen : streams) seen = AnswerMessageBox(IDIGNORE);
        list = DismissMessageBox();
    });
    EXPECT_EQ(PageNext, Run());
    robot.join();
    const std::string reason = "The file on the installation disk is damaged.";
    EXPECT_NE(std::string::npos, mended.text.find(dest_ + "\\\\BAD.TXT\n\n" + reason)) << mended.text;  // a file of the root: its folder part is empty
    EXPECT_NE(std::string::npos, skipped.text.find(dest_ + "\\SUB\\PACKED.TXT\n\n" + reason)) << skipped.text;
    EXPECT_NE(std::string::npos, list.text.find(dest_ + "\\SUB\\PACKED.TXT")) << list.text;
    for (size_t i = 0; i < std::size(flips); ++i) {
        const std::string name = dest_ + "\\\\CUT" + std::to_string(i) + ".TXT";
        EXPECT_NE(std::string::npos, streams[i].text.find(name + "\n\n" + reason)) << flips[i] << ": " << streams[i].text;
        EXPECT_FALSE(FileExists(name)) << flips[i];
    }
    EXPECT_EQ(good, ReadTextFile(dest_ + "\\GOOD.TXT"));
    EXPECT_EQ(bad, ReadTextFile(dest_ + "\\BAD.TXT"));
    EXPECT_EQ("old", ReadTextFile(dest_ + "\\SUB\\PACKED.TXT"));
    EXPECT_EQ("anything", ReadTextFile(dest_ + "\\FREE.TXT"));
    EXPECT_TRUE(FilesMatching(dest_, "*.tmp").empty());
    EXPECT_TRUE(FilesMatching(dest_ + "\\SUB", "*.tmp").empty());
}
