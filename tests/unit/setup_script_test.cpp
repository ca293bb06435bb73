// Loading SETUP.INF through Wine's real profile functions and registry. The
// test executable lies in C:\test, so that is the program's directory and
// the script is C:\test\SETUP.INF.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "install/setup_script.h"
#include "record/installed_record.h"
#include "shell/globals.h"
#include "shell/memory.h"
#include "shell/services.h"
#include "tests/support/import_patch.h"
#include "tests/support/test_env.h"

namespace {

const char* const CurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::string ScriptPath()
{
    return TestDirectory() + "\\SETUP.INF";
}

void SetProgramFilesDir(const char* value)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, CurrentVersionKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    if (value == nullptr) RegDeleteValueA(key, "ProgramFilesDir");
    else RegSetValueExA(key, "ProgramFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
    RegCloseKey(key);
}

class Script : public testing::Test {
protected:
    void SetUp() override
    {
        WindowsDir.assign("C:\\WINDOWS");
        SetProgramFilesDir("C:\\Program Files");
    }
    void TearDown() override
    {
        FreeInstallList();
        DeleteFileA(ScriptPath().c_str());
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, ScriptPath().c_str());
    }
    // Writes the script and drops the profile cache, so the next read sees it.
    void Write(const std::string& text)
    {
        WriteTextFile(ScriptPath(), text);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, ScriptPath().c_str());
    }
    FileEntry& Entry(int disk, int n) { return Disks[disk - 1].FirstEntry[n - 1]; }
};

std::string Repeat(char c, size_t n)
{
    return std::string(n, c);
}

}  // namespace

TEST_F(Script, MissingScriptGivesEveryDefault)
{
    ASSERT_EQ(1, LoadSetupScript());
    EXPECT_EQ(TestDirectory(), std::string(SetupDir));
    EXPECT_STREQ("C:\\ZORVA", InstallDir);
    EXPECT_STREQ("Zorva", ProductName);
    EXPECT_STREQ("Zorva Setup Program", MessageCaption);
    EXPECT_STREQ("ZORVA.GRP", GroupName);
    EXPECT_STREQ("ZORVA", GroupTitle);
    EXPECT_EQ(1024, MinimumSpace);
    EXPECT_EQ(0, DiskCount);
    EXPECT_EQ(0, TotalFileCount);
    EXPECT_EQ(0, GroupItemCount);
    EXPECT_EQ(0, OEM);
    EXPECT_EQ(1, SerialMouse);
    EXPECT_STREQ("", StartupTitle);
    EXPECT_STREQ("", SerialName);
    // With no entries the group items start the block.
    EXPECT_EQ(InstallListBase, static_cast<void*>(GroupItems[0]));
    EXPECT_EQ(GroupItems[0] + 9, GroupItems[9]);
}

TEST_F(Script, DestinationRule)
{
    struct {
        const char* defaultPath;  // null: no DefaultPath key
        const char* windowsDir;
        const char* programFiles;  // null: no ProgramFilesDir value
        const char* expected;
    } cases[] = {
        {"D:\\APPS\\ZORVA", "C:\\WINDOWS", "C:\\Program Files", "C:\\APPS\\ZORVA"},
        {"c:\\Zorva", "E:\\WIN98", "C:\\Program Files", "E:\\Zorva"},
        {nullptr, "F:\\WINDOWS", "C:\\Program Files", "F:\\ZORVA"},
        {"ZORVA", "C:\\WINDOWS", "D:\\Programs", "D:\\Programs\\ZORVA"},
        {"\\ZORVA", "C:\\WINDOWS", "D:\\Programs", "D:\\Programs\\ZORVA"},
        {"D:", "C:\\WINDOWS", "D:\\Programs", "D:\\Programs\\D:"},
        {"Zorva Mouse", "C:\\WINDOWS", nullptr, "C:\\Program Files\\Zorva Mouse"},
        {"\"Quoted Dir\"", "C:\\WINDOWS", "C:\\Progs", "C:\\Progs\\Quoted Dir"},
        {"  Blanks Around  ", "C:\\WINDOWS", "C:\\Progs", "C:\\Progs\\Blanks Around"},
    };
    for (const auto& c : cases) {
        Write(c.defaultPath ? std::string("[Main]\nDefaultPath=") + c.defaultPath + "\n" : "[Main]\n");
        WindowsDir.assign(c.windowsDir);
        SetProgramFilesDir(c.programFiles);
        ASSERT_EQ(1, LoadSetupScript()) << c.expected;
        EXPECT_STREQ(c.expected, InstallDir) << (c.defaultPath ? c.defaultPath : "(none)");
        FreeInstallList();
    }
}

TEST_F(Script, ProgramFilesDirIsReadWithinEightyBytes)
{
    Write("[Main]\nDefaultPath=ZORVA\n");
    std::string fits = "C:\\" + Repeat('p', 76);  // 79 characters and the terminator
    SetProgramFilesDir(fits.c_str());
    ASSERT_EQ(1, LoadSetupScript());
    EXPECT_EQ(fits + "\\ZORVA", std::string(InstallDir));
    FreeInstallList();

    SetProgramFilesDir(("C:\\" + Repeat('p', 90)).c_str());
    ASSERT_EQ(1, LoadSetupScript());
    EXPECT_STREQ("C:\\Program Files\\ZORVA", InstallDir);
}

TEST(SplitField, BlanksCommasAndTheEndOfTheText)
{
    struct {
        const char* line;
        std::vector<std::string> fields;
    } cases[] = {
        {"A.EXE,B.EXE,Desc,RootDir", {"A.EXE", "B.EXE", "Desc", "RootDir", ""}},
        {"  A.EX_ ,  B.EXE  , Two  blanks inside ,  subdir1  ", {"A.EX_", "B.EXE", "Two  blanks inside", "subdir1", ""}},
        {"a,,b", {"a", "", "b", ""}},
        {"\ta\t , b", {"\ta\t", "b", ""}},  // a tab is no blank
        {"only", {"only", "", ""}},
        {"trailing,", {"trailing", "", ""}},
        {"", {"", ""}},
        {" , ", {"", "", ""}},
    };
    for (const auto& c : cases) {
        const char* position = c.line;
        FixedText<256> field;
        for (const std::string& expected : c.fields) {
            position = SplitField(position, field);
            EXPECT_EQ(expected, std::string(field)) << '"' << c.line << '"';
        }
        EXPECT_EQ('\0', *position) << c.line;
    }
}

TEST_F(Script, FileLinesAndDirectoryKeywords)
{
    Write("[DiskLabel]\nDisk1=Zorva Disk 1\n"
          "[DirectoryName]\nRootDir=ROOT\nSubDir1=DATA1\nSubDir2=DATA\nSubDir6=SIX\n"
          "WinDir=WINSRC\nWinSystemDir=SYSSRC\nWinInfDir=INFSRC\n"
          "[FileCounts]\nDisk1=10\n"
          "[Disk1]\n"
          "1=  QXMAIN.EX_ , QXMAIN.EXE ,  Main  program  , subdir1  \n"
          "2=A,B,C,RootDir\n"
          "3=A,B,C,SUBDIR2\n"
          "4=A,B,C,SubDir6\n"
          "5=A,B,C,windir\n"
          "6=A,B,C,WinSystemDir\n"
          "7=A,B,C,WININFDIR\n"
          "8=A,B,C,Elsewhere\n"
          "9=A,B,C\n"
          "10=A,B,C,SubDir3,ignored,fields\n");
    WindowsDir.assign("C:\\WIN98");
    ASSERT_EQ(1, LoadSetupScript());
    ASSERT_EQ(10, TotalFileCount);
    struct {
        const char* sourceDir;
        const char* destDir;
        int absolute;
    } expected[] = {
        {"DATA1", "DATA1", 0},  {"ROOT", "ROOT", 0},
        {"DATA", "DATA", 0},    {"SIX", "SIX", 0},
        {"WINSRC", "C:\\WIN98", 1}, {"SYSSRC", "C:\\WIN98\\SYSTEM", 1},
        {"INFSRC", "C:\\WIN98\\INF", 1}, {"", "", 0},
        {"", "", 0},            {"", "", 0},  // SubDir3 has no value
    };
    for (int n = 1; n <= 10; ++n) {
        const FileEntry& e = Entry(1, n);
        EXPECT_STREQ(expected[n - 1].sourceDir, e.SourceDir) << n;
        EXPECT_STREQ(expected[n - 1].destDir, e.DestDir) << n;
        EXPECT_EQ(expected[n - 1].absolute, e.Absolute) << n;
    }
    EXPECT_STREQ("QXMAIN.EX_", Entry(1, 1).SourceName);
    EXPECT_STREQ("QXMAIN.EXE", Entry(1, 1).DestName);
    EXPECT_STREQ("Main  program", Entry(1, 1).Description);
}

TEST_F(Script, DisksLabelGapZeroCountsAndFirstEntries)
{
    Write("[DiskLabel]\nDisk1=First\nDisk2=Second\nDisk3=Third\nDisk5=Fifth\n"
          "[FileCounts]\nDisk1=3\nDisk2=0\nDisk3=5\nDisk4=7\n"
          "[Disk1]\n1=ONE,ONE,d,RootDir\n3=THREE,THREE,d,RootDir\n"
          "[Disk3]\n1=FOUR,FOUR,d,RootDir\n5=EIGHT,EIGHT,d,RootDir\n"
          "[Disk4]\n1=NEVER,NEVER,d,RootDir\n");
    ASSERT_EQ(1, LoadSetupScript());
    // Four labels: disks 1 to 4 are used, although Disk4 has no label.
    EXPECT_EQ(4, DiskCount);
    EXPECT_EQ(15, TotalFileCount);
    auto* base = static_cast<FileEntry*>(InstallListBase);
    EXPECT_EQ(base, Disks[0].FirstEntry);
    EXPECT_EQ(base + 3, Disks[1].FirstEntry);
    EXPECT_EQ(base + 3, Disks[2].FirstEntry);  // disk 2 has no entries
    EXPECT_EQ(base + 8, Disks[3].FirstEntry);
    EXPECT_EQ(base + 15, Disks[4].FirstEntry);
    EXPECT_EQ(static_cast<void*>(base + 15), static_cast<void*>(GroupItems[0]));

    EXPECT_STREQ("ONE", Entry(1, 1).SourceName);
    EXPECT_STREQ("", Entry(1, 2).SourceName);  // missing line: all zero
    EXPECT_EQ(0, Entry(1, 2).Absolute);
    EXPECT_STREQ("THREE", Entry(1, 3).SourceName);
    EXPECT_STREQ("FOUR", Entry(3, 1).SourceName);
    EXPECT_STREQ("EIGHT", Entry(3, 5).SourceName);
    EXPECT_STREQ("NEVER", Entry(4, 1).SourceName);
}

TEST_F(Script, LabelsWithAGapShortenTheListFromTheEnd)
{
    Write("[DiskLabel]\nDisk1=A\nDisk3=C\n"
          "[FileCounts]\nDisk1=1\nDisk2=2\nDisk3=4\n"
          "[Disk2]\n1=TWO,TWO,d,RootDir\n");
    ASSERT_EQ(1, LoadSetupScript());
    EXPECT_EQ(2, DiskCount);
    EXPECT_EQ(3, TotalFileCount);
    EXPECT_STREQ("TWO", Entry(2, 1).SourceName);
}

TEST_F(Script, NegativeCountsCountAsZeroAndOversizedTotalsFail)
{
    Write("[DiskLabel]\nDisk1=A\nDisk2=B\n[FileCounts]\nDisk1=-4\nDisk2=2\n");
    ASSERT_EQ(1, LoadSetupScript());
    EXPECT_EQ(0, Disks[0].FileCount);
    EXPECT_EQ(2, TotalFileCount);
    FreeInstallList();

    for (const char* counts : {"Disk1=40000\n", "Disk1=16384\nDisk2=16384\n", "Disk1=70000\nDisk2=-70000\n"}) {
        Write(std::string("[DiskLabel]\nDisk1=A\nDisk2=B\n[FileCounts]\n") + counts);
        EXPECT_EQ(0, LoadSetupScript()) << counts;
        EXPECT_EQ(nullptr, InstallListHandle) << counts;
    }
}

TEST_F(Script, GroupItemsStopAtTheFirstEmptyKey)
{
    Write("[PM Info]\n1=QXMAIN.EXE, Zorva Mouse , 1 \n2=README.TXT,Read me,LONGEXTRA\n4=NEVER,Never,0\n");
    ASSERT_EQ(1, LoadSetupScript());
    EXPECT_EQ(2, GroupItemCount);
    EXPECT_STREQ("QXMAIN.EXE", GroupItems[0]->ItemFile);
    EXPECT_STREQ("Zorva Mouse", GroupItems[0]->ItemTitle);
    EXPECT_STREQ("1", GroupItems[0]->ItemExtra);
    EXPECT_STREQ("LONG", GroupItems[1]->ItemExtra);  // cut to its five bytes
    EXPECT_STREQ("", GroupItems[3]->ItemFile);
}

TEST_F(Script, LongValuesAreCutToTheirFields)
{
    std::string long100 = Repeat('N', 100);
    Write("[Main]\nProductName=" + long100 + "\nGroupName=" + long100 + "\nGroupTitle=" + long100 +
          "\n[DiskLabel]\nDisk1=" + long100 + "\n[FileCounts]\nDisk1=1\n[Disk1]\n1=" + Repeat('S', 20) + "," +
          Repeat('D', 20) + "," + Repeat('X', 80) + ",RootDir\n[Startup]\nTitle=" + Repeat('T', 300) +
          "\nMfg=" + long100 + "\nSeialName=" + long100 + "\n");
    ASSERT_EQ(1, LoadSetupScript());
    EXPECT_EQ(Repeat('N', 71), std::string(ProductName));
    EXPECT_EQ(Repeat('N', 71) + " Setup Program", std::string(MessageCaption));
    EXPECT_EQ(Repeat('N', 19), std::string(GroupName));
    EXPECT_EQ(Repeat('N', 47), std::string(GroupTitle));
    EXPECT_EQ(long100, std::string(Disks[0].Label)) << "the disk prompt names the whole label";
    EXPECT_EQ(Repeat('S', 14), std::string(Entry(1, 1).SourceName));
    EXPECT_EQ(Repeat('D', 14), std::string(Entry(1, 1).DestName));
    EXPECT_EQ(Repeat('X', 61), std::string(Entry(1, 1).Description));
    EXPECT_EQ(Repeat('T', 255), std::string(StartupTitle));
    EXPECT_EQ(Repeat('N', 39), std::string(Mfg));
    EXPECT_EQ(Repeat('N', 39), std::string(SerialName));
}

TEST_F(Script, MainAndStartupValues)
{
    Write("[main]\nproductname = \"  Zorva Wheel  \" \nMinimumSpace=40000\nOEM=3\nDefaultSerialMouse=5\n"
          "[STARTUP]\nFileName=QXMAIN.EXE\nTitle=Zorva Wheel Mouse\nMfg=Zorva\nMouseDriver=QXMOUSE.DRV\n"
          "MouseInf=QXMOUSE.INF\nDriverDate=12-1-1998\nPS2InfSection=QX_PS2\nSerialInfSection=QX_SER\n"
          "PS2Name=Zorva PS/2 Wheel Mouse\nSeialName=Zorva Serial Wheel Mouse\nSerialName=misspelt key is read\n");
    ASSERT_EQ(1, LoadSetupScript());
    EXPECT_STREQ("  Zorva Wheel  ", ProductName);  // the quotes keep the blanks inside
    EXPECT_STREQ("  Zorva Wheel   Setup Program", MessageCaption);
    EXPECT_EQ(40000, MinimumSpace);  // not wrapped into a negative 16-bit number
    EXPECT_EQ(3, OEM);
    EXPECT_EQ(5, SerialMouse);  // kept as read until the user chooses
    EXPECT_STREQ("QXMAIN.EXE", StartupFileName);
    EXPECT_STREQ("Zorva Wheel Mouse", StartupTitle);
    EXPECT_STREQ("Zorva", Mfg);
    EXPECT_STREQ("QXMOUSE.DRV", MouseDriver);
    EXPECT_STREQ("QXMOUSE.INF", MouseInf);
    EXPECT_STREQ("12-1-1998", DriverDate);
    EXPECT_STREQ("QX_PS2", PS2InfSection);
    EXPECT_STREQ("QX_SER", SerialInfSection);
    EXPECT_STREQ("Zorva PS/2 Wheel Mouse", PS2Name);
    EXPECT_STREQ("Zorva Serial Wheel Mouse", SerialName);
}

TEST_F(Script, DefaultSerialMouseZeroMeansPS2)
{
    Write("[Main]\nDefaultSerialMouse=0\n");
    ASSERT_EQ(1, LoadSetupScript());
    EXPECT_EQ(0, SerialMouse);
}

TEST_F(Script, PathsThatDoNotFitTheirFieldsAreRefused)
{
    const std::string lineHead = "[DiskLabel]\nDisk1=A\n[FileCounts]\nDisk1=1\n[Disk1]\n1=";
    const std::string files = lineHead + "A,B,C,";
    struct {
        const char* what;
        std::string script;
        std::string windowsDir;
        int expected;
    } cases[] = {
        {"directory value of 39 fits", files + "SubDir1\n[DirectoryName]\nSubDir1=" + Repeat('d', 39) + "\n",
         "C:\\WINDOWS", 1},
        {"directory value of 40", files + "SubDir1\n[DirectoryName]\nSubDir1=" + Repeat('d', 40) + "\n",
         "C:\\WINDOWS", 0},
        {"long value no file uses", files + "RootDir\n[DirectoryName]\nSubDir1=" + Repeat('d', 60) + "\n",
         "C:\\WINDOWS", 1},
        {"SYSTEM below a 32-character Windows", files + "WinSystemDir\n", "C:\\" + Repeat('w', 29), 1},
        {"SYSTEM below a 33-character Windows", files + "WinSystemDir\n", "C:\\" + Repeat('w', 30), 0},
        {"INF below a 35-character Windows", files + "WinInfDir\n", "C:\\" + Repeat('w', 32), 1},
        {"INF below a 36-character Windows", files + "WinInfDir\n", "C:\\" + Repeat('w', 33), 0},
        {"WinDir of 39", files + "WinDir\n", "C:\\" + Repeat('w', 36), 1},
        {"WinDir of 40", files + "WinDir\n", "C:\\" + Repeat('w', 37), 0},
        {"Windows directory of 80", "", "C:\\" + Repeat('w', 77), 0},
        {"no Windows directory", "", "", 0},
        {"file line of 255", lineHead + "A,B," + Repeat('c', 243) + ",RootDir\n", "C:\\WINDOWS", 1},
        {"file line of 256", lineHead + "A,B," + Repeat('c', 244) + ",RootDir\n", "C:\\WINDOWS", 0},
        {"destination of 255", "[Main]\nDefaultPath=C:\\" + Repeat('p', 252) + "\n", "C:\\WINDOWS", 1},
        {"relative destination of 255", "[Main]\nDefaultPath=" + Repeat('p', 238) + "\n", "C:\\WINDOWS", 1},
        {"relative destination of 256", "[Main]\nDefaultPath=" + Repeat('p', 239) + "\n", "C:\\WINDOWS", 0},
        {"default path of 300", "[Main]\nDefaultPath=C:\\" + Repeat('p', 297) + "\n", "C:\\WINDOWS", 0},
    };
    for (const auto& c : cases) {
        Write(c.script);
        WindowsDir.assign(c.windowsDir.c_str());
        EXPECT_EQ(c.expected, LoadSetupScript()) << c.what;
        if (c.expected == 0) EXPECT_EQ(nullptr, InstallListHandle) << c.what;
        FreeInstallList();
    }
}

namespace {

std::vector<std::string> ProfileReads;

DWORD WINAPI LoggedGetString(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR out, DWORD size, LPCSTR file)
{
    ProfileReads.push_back(std::string(section) + "/" + key);
    return ImportHook<LoggedGetString>::Real()(section, key, def, out, size, file);
}

UINT WINAPI LoggedGetInt(LPCSTR section, LPCSTR key, INT def, LPCSTR file)
{
    ProfileReads.push_back(std::string(section) + "/" + key + " (int)");
    return ImportHook<LoggedGetInt>::Real()(section, key, def, file);
}

DWORD WINAPI LoggedGetSection(LPCSTR section, LPSTR out, DWORD size, LPCSTR file)
{
    ProfileReads.push_back(std::string(section) + " (whole)");
    return ImportHook<LoggedGetSection>::Real()(section, out, size, file);
}

}  // namespace

TEST_F(Script, SectionsAndKeysAreReadInOrderAndNothingPastAFailure)
{
    ImportHook<LoggedGetString> text("kernel32.dll", "GetPrivateProfileStringA");
    ImportHook<LoggedGetInt> number("kernel32.dll", "GetPrivateProfileIntA");
    ImportHook<LoggedGetSection> section("kernel32.dll", "GetPrivateProfileSectionA");

    // A disk's lines are read in one piece, each value as a key's read
    // would give it: without the blanks around it and enclosing quotes.
    Write("[DiskLabel]\nDisk1=A\n[FileCounts]\nDisk1=2\n[Disk1]\n1=A,B,C,RootDir\n2 = \"D,E,F G,RootDir\"  \n"
          "[PM Info]\n1=A,B,C\n");
    ProfileReads.clear();
    ASSERT_EQ(1, LoadSetupScript());
    std::vector<std::string> expected = {
        "Main/DefaultPath", "Main/GroupName", "Main/GroupTitle", "Main/ProductName", "Main/MinimumSpace (int)",
        "DiskLabel/Disk1", "DiskLabel/Disk2", "DiskLabel/Disk3", "DiskLabel/Disk4", "DiskLabel/Disk5",
        "DiskLabel/Disk6", "DirectoryName/RootDir", "DirectoryName/SubDir1", "DirectoryName/SubDir2",
        "DirectoryName/SubDir3", "DirectoryName/SubDir4", "DirectoryName/SubDir5", "DirectoryName/SubDir6",
        "DirectoryName/WinDir", "DirectoryName/WinSystemDir", "DirectoryName/WinInfDir",
        "FileCounts/Disk1 (int)", "Disk1 (whole)", "PM Info/1", "PM Info/2", "Main/OEM (int)",
        "Main/DefaultSerialMouse (int)", "Startup/FileName", "Startup/Title", "Startup/Mfg",
        "Startup/MouseDriver", "Startup/MouseInf", "Startup/DriverDate", "Startup/PS2InfSection",
        "Startup/SerialInfSection", "Startup/PS2Name", "Startup/SeialName"};
    EXPECT_EQ(expected, ProfileReads);
    EXPECT_STREQ("D", Disks[0].FirstEntry[1].SourceName.c_str());
    EXPECT_STREQ("E", Disks[0].FirstEntry[1].DestName.c_str());
    EXPECT_STREQ("F G", Disks[0].FirstEntry[1].Description.c_str());
    FreeInstallList();

    // A refused count stops the load: no file line, group item or later key is read.
    Write("[DiskLabel]\nDisk1=A\n[FileCounts]\nDisk1=40000\n");
    ProfileReads.clear();
    ASSERT_EQ(0, LoadSetupScript());
    ASSERT_FALSE(ProfileReads.empty());
    EXPECT_EQ("FileCounts/Disk1 (int)", ProfileReads.back());
}

// The record is a file of lines of its own, only ever added to: the first
// value of a key stays (an empty one too), a line break never breaks a
// line, and a line a power cut broke off is not read.
TEST_F(Script, TheRecordKeepsFirstValuesAndNeverABrokenLine)
{
    const std::string installed = TestDirectory() + "\\inst";
    CreateDirectoryA(installed.c_str(), nullptr);
    InstallDir.assign(installed.c_str());
    const std::string record = installed + "\\SETUP.REC";
    WriteTextFile(record, "[PS2] Filled=old value\r\n\r\n[PS2] Empty=\nnot a record line\r\n");

    EXPECT_STREQ("dflt", ReadInstalledSetting(Section::PS2, "Missing", "dflt"));
    WriteInstalledSettingOnce(Section::PS2, "Filled", "new value");
    WriteInstalledSettingOnce(Section::PS2, "Empty", "written");
    WriteInstalledSettingOnce(Section::Serial, "Fresh", " first, with its blanks ");
    WriteInstalledSettingOnce(Section::Serial, "Fresh", "second");
    WriteInstalledSettingOnce(Section::Serial, "Broken", "one\r\n[Files] C:\\WINDOWS\\WIN.INI=created");
    EXPECT_STREQ("old value", ReadInstalledSetting(Section::PS2, "Filled", ""));
    EXPECT_STREQ("", ReadInstalledSetting(Section::PS2, "Empty", "")) << "recorded empty: there was no value";
    EXPECT_STREQ(" first, with its blanks ", ReadInstalledSetting(Section::Serial, "Fresh", ""));
    EXPECT_STREQ("one", ReadInstalledSetting(Section::Serial, "Broken", ""));
    EXPECT_EQ("[PS2] Filled=old value\r\n\r\n[PS2] Empty=\nnot a record line\r\n"
              "[Serial] Fresh= first, with its blanks \r\n[Serial] Broken=one\r\n",
              ReadTextFile(record));
    WriteTextFile(record, ReadTextFile(record) + "[Serial] Cut=a val");
    EXPECT_STREQ("none", ReadInstalledSetting(Section::Serial, "Cut", "none"));
}

// Every form a file's line takes, read back as written; and what a file's
// lines say together: once the package's, the file stays what was found
// first, with its original, and takes each later line's state.
TEST_F(Script, AFilesLinesInEveryFormAndMerged)
{
    const char* forms[] = {
        "creating",
        "replacing,10,0000000A,C:\\inst\\ORIGINAL\\A, B.INF",
        "updating,~stp12AB.tmp",
        "created,12,0000000000000002,0000000B",
        "replaced,10,0000000000000001,0000000A,C:\\inst\\ORIGINAL\\A.INF",
        "same,1,0000000000000001,00000001",
    };
    for (const char* form : forms) {
        FileFact fact;
        FixedText<MAX_PATH + 64> again;
        ASSERT_TRUE(ParseFileFact(form, fact)) << form;
        ASSERT_TRUE(FormatFileFact(fact, again));
        EXPECT_STREQ(form, again) << "read back as written";
    }
    const char* refused[] = {"", "made", "creating,1", "created,12,2,0000000B", "created,12,0000000000000002,B",
                             "replaced,10,0000000000000001,0000000A", "updating,C:\\A\\~stp.tmp", "same,x,0000000000000001,00000001",
                             "created,12,0000000000000002,0000000B,extra"};
    for (const char* form : refused) {
        FileFact fact;
        EXPECT_FALSE(ParseFileFact(form, fact)) << form;
    }

    const std::string installed = TestDirectory() + "\\inst";
    CreateDirectoryA(installed.c_str(), nullptr);
    InstallDir.assign(installed.c_str());
    const char* lines[] = {
        "replacing,10,0000000A,C:\\inst\\ORIGINAL\\A.INF",
        "replaced,10,0000000000000001,0000000A,C:\\inst\\ORIGINAL\\A.INF",
        "updating,~stp0001.tmp",
        "created,14,0000000000000003,0000000C",
    };
    for (const char* value : lines) AddToRecord(installed, "Files", "C:\\WINDOWS\\INF\\A.INF", value);
    AddToRecord(installed, "Files", "C:\\inst\\SAME.DLL", "same,1,0000000000000001,00000001");
    AddToRecord(installed, "Files", "c:\\inst\\same.dll", "creating");
    FileFact fact;
    ASSERT_TRUE(ReadFileFact("C:\\WINDOWS\\INF\\A.INF", fact));
    EXPECT_EQ(FileStep::Replaced, fact.found);
    EXPECT_EQ(FileStep::Created, fact.step);
    EXPECT_STREQ("C:\\inst\\ORIGINAL\\A.INF", fact.original);
    EXPECT_STREQ("0000000C", fact.sum);
    ASSERT_TRUE(ReadFileFact("C:\\INST\\SAME.DLL", fact));
    EXPECT_EQ(FileStep::Creating, fact.step) << "found the same, then made anew by the package: the later line holds";
    std::vector<std::string> visited;
    ForEachFile([](const char* path, const FileFact&, void* to) { static_cast<std::vector<std::string>*>(to)->push_back(path); },
                &visited);
    EXPECT_EQ((std::vector<std::string>{"C:\\WINDOWS\\INF\\A.INF", "C:\\inst\\SAME.DLL"}), visited) << "each file once";
    EXPECT_FALSE(IsPackageFile("C:\\WINDOWS\\INF\\B.INF"));
}

// A run's record is its journal in the Windows folder from before its first
// change: it starts with the record it carries on, and at its end takes
// that record's place, complete, or without what an undone run changed.
TEST_F(Script, ARunsJournalTakesTheRecordsPlaceAtItsEnd)
{
    ReadWindowsDirectory();
    const std::string installed = TestDirectory() + "\\run", other = TestDirectory() + "\\other";
    const std::string journal = std::string(WindowsDir.c_str()) + "\\SETUP.RUN";
    CreateDirectoryA(other.c_str(), nullptr);
    InstallDir.assign(installed.c_str());
    const std::string carried = other + "\\SETUP.REC", record = installed + "\\SETUP.REC";
    const std::string earlier = "[Folders] " + other + "=created\r\n[Files] " + other + "\\A.TXT=created,1,0000000000000001,00000001\r\n";
    WriteTextFile(carried, earlier);
    HKEY entry;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, UninstallEntryKey, &entry));
    std::string command = other + "\\UNINSTAL.EXE";
    RegSetValueExA(entry, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), command.size() + 1);
    RegCloseKey(entry);

    for (bool completed : {false, true}) {
        ASSERT_TRUE(BeginRun());
        ASSERT_TRUE(MakeFolder(installed.c_str()));
        ASSERT_TRUE(NoteCreating((other + "\\A.TXT").c_str()));
        if (!completed)
            EXPECT_EQ(earlier + "[Run] carried=" + carried + "\r\n[Run] begun=" + installed + "\r\n[Folders] " +
                          installed + "=created\r\n[Files] " + other + "\\A.TXT=creating\r\n",
                      ReadTextFile(journal))
                << "on the disk as each line ahead of a change is added";
        EXPECT_EQ(LeftRun::None, FindLeftRun()) << "this process's own run is none left";
        EXPECT_TRUE(ReadOnlyRunChanges()) << "the record held something before";
        EXPECT_EQ("<none>", RecordedIn(installed, "Files", other + "\\A.TXT")) << "the record file waits for the end";
        EndRun(completed);
        ASSERT_TRUE(SettleRecord());
        EXPECT_FALSE(FileExists(journal));
        if (!completed) {
            EXPECT_EQ(earlier + "[Run] begun=" + installed + "\r\n[Files] " + other + "\\A.TXT=creating\r\n[Run] ended=undone\r\n",
                      ReadTextFile(carried))
                << "undone: the earlier record stays, with what the run did to the package's own files";
            EXPECT_FALSE(FileExists(record));
            RemoveDirectoryA(installed.c_str());
        }
    }
    EXPECT_FALSE(FileExists(carried)) << "completed: the record lives in one folder";
    EXPECT_EQ("created", RecordedIn(installed, "Folders", other));
    const std::string settled = ReadTextFile(record);
    EXPECT_EQ("[Run] ended=complete\r\n", settled.substr(settled.rfind("[Run]")));
}

// Run as a child from a copy of this program: exits with 10 + the load's result.
TEST(ScriptChild, DISABLED_ReportLoadResult)
{
    WindowsDir.assign("C:\\WINDOWS");
    ExitProcess(10 + LoadSetupScript());
}

// A program as deep as Windows allows a path to go loads its script there,
// unless the script's path would be longer still (a name shorter than
// SETUP.INF's): that script is refused, never looked for elsewhere.
TEST(ScriptFromLongPath, ProgramPathsUpToTheLongestWindowsAllowsLoad)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    struct {
        size_t pathLength;  // of the copied program
        const char* name;
        DWORD expectedExit;
    } cases[] = {{80, "\\uuuuu.exe", 11}, {MAX_PATH - 1, "\\uuuuu.exe", 11}, {MAX_PATH - 1, "\\u.exe", 10}};
    for (const auto& c : cases) {
        const std::string name = c.name, outer = "C:\\" + Repeat('l', 40);
        CreateDirectoryA(outer.c_str(), nullptr);
        std::string dir = outer + "\\" + Repeat('m', c.pathLength - outer.size() - 1 - name.size());
        CreateDirectoryA(dir.c_str(), nullptr);
        std::string copy = dir + name;
        ASSERT_EQ(c.pathLength, copy.size());
        ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
        DWORD exitCode = RunProgram("\"" + copy + "\" --gtest_also_run_disabled_tests --gtest_filter=ScriptChild.*");
        EXPECT_EQ(c.expectedExit, exitCode) << copy;
    }
}
