// The installed package and its uninstaller: the real SETUP.EXE installs
// from a copy of the sample medium on a seeded Windows 98 PC, then the
// installed UNINSTAL.EXE removes it, and the PC is compared with a snapshot
// taken before the installation: the files and folders under C: that an
// installation can reach (the user folders that Wine links to the host's
// home are left out), the registry keys it touches, and (as files)
// system.ini and VMOUSE.VXD.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "resource.h"
#include "tests/support/registry.h"
#include "tests/support/robot.h"
#include "tests/support/shell_link.h"
#include "tests/support/snapshot.h"
#include "tests/support/test_env.h"
#include "tests/support/wizard.h"

namespace {

const char* const Medium = "C:\\medium";
const std::string Installed = "C:\\Program Files\\Zorva";
const char* const Ps2Device = "Enum\\BIOS\\*PNP0F13\\0C";

// What the comparison covers: every file and folder under C:, and these keys.
const struct {
    HKEY root;
    const char* path;
} SnapshotKeys[] = {
    {HKEY_LOCAL_MACHINE, "Enum"},
    {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\Mouse"},
    {HKEY_CLASSES_ROOT, "CLSID\\{6A1C3F20-5B7E-11d1-9C4A-0080C7E21D55}"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
};

Snapshot TakeSnapshot()
{
    Snapshot shot;
    const std::vector<std::string> skipped = {"C:\\test", Medium};
    AddFiles(shot, "C:", skipped, FileView::Bytes, false);
    for (const std::string& folder : {std::string("C:\\windows"), std::string("C:\\Program Files"),
                                      std::string("C:\\ProgramData"), ProgramsFolder()})
        AddFiles(shot, folder, skipped);
    for (const auto& key : SnapshotKeys) AddRegistryTree(shot, key.root, key.path);
    return shot;
}

class Uninstall : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        CopyTree(WindowsPathOf(MEDIUM_UNIX_PATH), Medium);
        ASSERT_EQ(0u, RunProgram("\"" + WindowsPathOf(WIN98PC_EXE_UNIX_PATH) + "\" ps2"));
        before_ = TakeSnapshot();
    }
    void TearDown() override { CoUninitialize(); }

    // The whole wizard, for a PS/2 mouse unless told, into the proposed
    // folder unless told, restart later.
    static void Install(int mouseButton = IDC_PS2_MOUSE, const std::string& folder = "")
    {
        DrivenEnd exitCode = RunDriven(std::string("\"") + Medium + "\\SETUP.EXE\"", [=] {
            PageThroughToTheCopy(mouseButton, folder.empty() ? nullptr : folder.c_str());
            FinishWith(IDC_RESTART_LATER);
        });
        EXPECT_EQ(EndedWith(0), exitCode);
    }

    // UNINSTAL.EXE from an installed folder: Yes to the question, No to the
    // restart. The closing report's text.
    static std::string RunUninstaller(MessageBoxSeen* question = nullptr, const std::string& folder = Installed)
    {
        MessageBoxSeen confirm, report;
        DrivenEnd end = RunDriven("\"" + folder + "\\UNINSTAL.EXE\"", [&] {
            confirm = AnswerMessageBox(IDYES, 30000);
            report = AnswerMessageBox(IDNO, 30000);
        });
        EXPECT_EQ(EndedWith(0), end);
        if (question != nullptr) *question = confirm;
        return report.text;
    }

    // After a complete removal only the uninstaller itself is left, waiting
    // for the restart in WININIT.INI, with the folder it lies in (unless the
    // folder was there before).
    void ExpectPcAsBefore(const std::string& folder = Installed)
    {
        std::string made = before_.count(folder) != 0 ? "" : "+ " + folder + "\n";
        EXPECT_EQ(made + "+ " + folder + "\\UNINSTAL.EXE\n" + "+ " + WindowsDirectory() + "\\WININIT.INI\n",
                  Differences(before_, TakeSnapshot()));
    }

    Snapshot before_;
};

}  // namespace

TEST_F(Uninstall, AValueChangedSinceTheInstallationStaysAndIsNamed)
{
    const std::string handlers =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Mouse\\shellex\\PropertySheetHandlers";
    SetText(HKEY_LOCAL_MACHINE, handlers, nullptr, " Another page");
    Install();
    EXPECT_EQ("QXMousePage", TextOf(HKEY_LOCAL_MACHINE, handlers, nullptr));
    SetText(HKEY_LOCAL_MACHINE, Ps2Device, "DeviceDesc", "My own mouse");
    // A [rename] section of another program's keeps its lines.
    WriteTextFile(WindowsDirectory() + "\\WININIT.INI", "[rename]\r\nNUL=C:\\OTHER.TMP\r\n");
    // A file changed in place, its size and time kept: its bytes tell.
    const std::string readme = Installed + "\\README.TXT";
    std::string edited = ReadTextFile(readme);
    edited[0] ^= 0x20;
    HANDLE file = CreateFileA(readme.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME written;
    DWORD count = 0;
    GetFileTime(file, nullptr, nullptr, &written);
    WriteFile(file, edited.data(), static_cast<DWORD>(edited.size()), &count, nullptr);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    std::string report = RunUninstaller();
    EXPECT_NE(std::string::npos, report.find("- " + readme + ": changed since the installation")) << report;
    EXPECT_EQ(edited, ReadTextFile(readme));
    EXPECT_NE(std::string::npos,
              report.find("- \"DeviceDesc\" of Enum\\BIOS\\*PNP0F13\\0C: changed since the installation"))
        << report;
    EXPECT_EQ("My own mouse", TextOf(HKEY_LOCAL_MACHINE, Ps2Device, "DeviceDesc"));
    EXPECT_EQ("(Standard mouse types)", TextOf(HKEY_LOCAL_MACHINE, Ps2Device, "Mfg"));
    EXPECT_EQ("Standard PS/2 Port Mouse",
              TextOf(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\Mouse\\0000", "DriverDesc"));
    EXPECT_EQ(" Another page", TextOf(HKEY_LOCAL_MACHINE, handlers, nullptr)) << "the handler named before ours";
    std::string wininit = ReadTextFile(WindowsDirectory() + "\\WININIT.INI");
    EXPECT_EQ(0u, wininit.find("[rename]\r\nNUL=")) << wininit;
    EXPECT_NE(std::string::npos, wininit.find("\r\nNUL=C:\\OTHER.TMP\r\n")) << wininit;
}

// Installed twice into the same folder: one removal undoes both and leaves
// only what waits for the restart.
TEST_F(Uninstall, TwoInstallationsAreUndoneByOneRemoval)
{
    Install();
    Install();
    // The program group: one shortcut per item, to the item's file, run in
    // the installed folder, with the icon the extra field gives.
    const std::string group = ProgramsFolder() + "\\Zorva Wheel Mouse";
    const struct {
        const char* title;
        const char* file;
    } items[] = {{"Rollvane", "QXMAIN.EXE"}, {"Read Me", "README.TXT"}, {"Uninstall Zorva Wheel Mouse", "UNINSTAL.EXE"}};
    for (const auto& item : items) {
        Shortcut shortcut = ReadShortcut(group + "\\" + item.title + ".lnk");
        EXPECT_EQ(Installed + "\\" + item.file, shortcut.target) << item.title;
        EXPECT_EQ(Installed, shortcut.workingDirectory) << item.title;
        EXPECT_EQ(0, shortcut.icon) << item.title;
    }
    EXPECT_NE("<absent>", TextOf(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Rollvane"));

    MessageBoxSeen question;
    std::string report = RunUninstaller(&question);
    EXPECT_TRUE(question.hasButton[IDYES]);
    EXPECT_NE(std::string::npos, question.text.find("Zorva Wheel Mouse")) << question.text;
    EXPECT_NE(std::string::npos, report.find("Restart Windows now?")) << report;
    EXPECT_EQ(std::string::npos, report.find("Left as they are")) << report;
    ExpectPcAsBefore();
    // The running uninstaller is deleted at the restart, by its short path.
    char shortPath[MAX_PATH] = "";
    GetShortPathNameA((Installed + "\\UNINSTAL.EXE").c_str(), shortPath, sizeof shortPath);
    EXPECT_EQ(std::string("[rename]\r\nNUL=") + shortPath + "\r\n",
              ReadTextFile(WindowsDirectory() + "\\WININIT.INI"));
    EXPECT_FALSE(FileExists(group));

    // A second run finds no record and changes nothing.
    Snapshot afterFirst = TakeSnapshot();
    MessageBoxSeen missing;
    EXPECT_EQ(EndedWith(0),
              RunDriven("\"" + Installed + "\\UNINSTAL.EXE\"", [&] { missing = AnswerMessageBox(IDOK, 30000); }));
    EXPECT_NE(std::string::npos, missing.text.find("Nothing has been removed")) << missing.text;
    EXPECT_EQ("", Differences(afterFirst, TakeSnapshot()));
}

TEST_F(Uninstall, KeysTheInstallationCreatedGoWithIt)
{
    // A serial mouse on a PC whose only mouse is a PS/2 one: the driver gets
    // a device entry and a class instance of its own.
    Install(IDC_SERIAL_MOUSE);
    EXPECT_EQ("Mouse\\0001", TextOf(HKEY_LOCAL_MACHINE, "Enum\\Root\\ZorvaMouse\\0000", "Driver"));
    std::string report = RunUninstaller();
    EXPECT_EQ(std::string::npos, report.find("Left as they are")) << report;
    ExpectPcAsBefore();
}

// What was there before the installation is there after the removal: an
// older driver INF the package replaced, the user's own identical and
// read-only copy of a file the package brings (left alone, and no failure),
// a group folder of the same name with another package's shortcut of the
// same title, and the folder itself.
TEST_F(Uninstall, WhatWasThereBeforeComesBack)
{
    const std::string inf = WindowsDirectory() + "\\INF\\QXMOUSE.INF", group = ProgramsFolder() + "\\Zorva Wheel Mouse";
    WriteTextFile(inf, "an older driver's INF\r\n");
    CreateDirectoryA(Installed.c_str(), nullptr);
    WriteTextFile(Installed + "\\README.TXT", ReadTextFile(std::string(Medium) + "\\README.TXT"));
    SetFileAttributesA((Installed + "\\README.TXT").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA(group.c_str(), nullptr);
    WriteTextFile(group + "\\Read Me.lnk", "another package's shortcut");
    WriteTextFile(group + "\\Other.lnk", "another package's own");
    before_ = TakeSnapshot();

    Install();  // no box: the identical read-only file is no failure
    EXPECT_NE("an older driver's INF\r\n", ReadTextFile(inf));
    EXPECT_EQ("an older driver's INF\r\n", ReadTextFile(Installed + "\\ORIGINAL\\QXMOUSE.INF")) << "kept";
    EXPECT_EQ(Installed + "\\README.TXT", ReadShortcut(group + "\\Read Me.lnk").target);

    std::string report = RunUninstaller();
    EXPECT_NE(std::string::npos, report.find("the files it had replaced are back (2)")) << report;
    EXPECT_EQ(std::string::npos, report.find("Left as they are")) << report;
    ExpectPcAsBefore();
}

// Windows 98 with user profiles: one user installs, another removes, after
// the clocks changed (FAT keeps local times, so every file reads an hour
// off), while a program holds the replaced driver INF open. Everything
// goes; the INF goes at the restart, and its original comes back then.
TEST_F(Uninstall, AnotherUserRemovesItAnHourLaterWithTheDriverInfInUse)
{
    const std::string profiles = WindowsDirectory() + "\\Profiles", inf = WindowsDirectory() + "\\INF\\QXMOUSE.INF";
    auto logOn = [&](const std::string& user) {
        const std::string programs = profiles + "\\" + user + "\\Start Menu\\Programs";
        for (const std::string& folder : {profiles, profiles + "\\" + user, profiles + "\\" + user + "\\Start Menu", programs})
            CreateDirectoryA(folder.c_str(), nullptr);
        SetText(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                "Programs", programs);
        ASSERT_EQ(programs, ProgramsFolder());
    };
    WriteTextFile(inf, "an older driver's INF\r\n");
    logOn("alice");
    logOn("bob");
    before_ = TakeSnapshot();
    logOn("alice");
    Install();
    const std::string group = profiles + "\\alice\\Start Menu\\Programs\\Zorva Wheel Mouse";
    ASSERT_TRUE(FileExists(group + "\\Read Me.lnk"));

    const ULONGLONG hour = 36000000000ull;
    int shifted = 0;
    for (const std::string& path : RecordedKeysIn(Installed, "Files")) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME written;
        if (file == INVALID_HANDLE_VALUE || !GetFileTime(file, nullptr, nullptr, &written)) continue;
        ULARGE_INTEGER t = {{written.dwLowDateTime, written.dwHighDateTime}};
        t.QuadPart += hour;
        written = {t.LowPart, t.HighPart};
        shifted += SetFileTime(file, nullptr, nullptr, &written) != FALSE;
        CloseHandle(file);
    }
    EXPECT_GE(shifted, 10);

    logOn("bob");
    HANDLE held = CreateFileA(inf.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    char shortInf[MAX_PATH] = "", shortOriginal[MAX_PATH] = "";
    GetShortPathNameA(inf.c_str(), shortInf, sizeof shortInf);
    GetShortPathNameA((Installed + "\\ORIGINAL\\QXMOUSE.INF").c_str(), shortOriginal, sizeof shortOriginal);
    std::string report = RunUninstaller();
    CloseHandle(held);
    EXPECT_EQ(std::string::npos, report.find("Left as they are")) << report;
    EXPECT_NE(std::string::npos,
              report.find("- " + inf + ", and the file it replaced comes back from " + Installed + "\\ORIGINAL\\QXMOUSE.INF"))
        << report;
    EXPECT_FALSE(FileExists(group));
    const std::string wininit = ReadTextFile(WindowsDirectory() + "\\WININIT.INI");
    EXPECT_NE(std::string::npos,
              wininit.find(std::string("NUL=") + shortInf + "\r\n" + shortInf + "=" + shortOriginal + "\r\n"))
        << wininit;
    // Until the restart: the INF, its original kept, and the uninstaller.
    EXPECT_EQ("~ " + WindowsDirectory() + "\\inf\\QXMOUSE.INF\n+ " + Installed + "\n+ " + Installed + "\\ORIGINAL\n+ " +
                  Installed + "\\ORIGINAL\\QXMOUSE.INF\n+ " + Installed + "\\UNINSTAL.EXE\n+ " + WindowsDirectory() +
                  "\\WININIT.INI\n",
              Differences(before_, TakeSnapshot()));
}

namespace {

// Why a profile file would be read cut on Windows 95, or "": a section of
// more than 32,767 characters, or a file of more than 64 KB.
std::string OverProfileLimits(const std::string& path)
{
    const std::string text = ReadTextFile(path);
    if (text.size() > 65535) return path + ": " + std::to_string(text.size()) + " bytes";
    size_t section = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        section = text[start] == '[' ? 0 : section + (end - start);
        if (section > 32767) return path + ": a section past 32,767 characters";
        start = end;
    }
    return "";
}

}  // namespace

// A package of several hundred files into a folder of 46 characters: the
// record of every file lies in its own file, so no profile file of the
// installation comes near Windows 95's limits, and one removal takes it all.
TEST_F(Uninstall, APackageOfHundredsOfFilesKeepsEveryProfileFileWithinTheLimits)
{
    const std::string big = "C:\\big", folder = "C:\\Program Files\\Zorva Wheel Mouse - 500 files";
    ASSERT_EQ(46u, folder.size());
    CreateDirectoryA(big.c_str(), nullptr);
    CreateDirectoryA((big + "\\DATA").c_str(), nullptr);
    const std::string sample = ReadTextFile(std::string(Medium) + "\\SETUP.INF");
    const size_t startup = sample.find("[Startup]");
    std::string script = sample.substr(0, sample.find("[DiskLabel]")) +
                         "[DiskLabel]\r\nDisk1=One\r\n[FileCounts]\r\nDisk1=503\r\n[DirectoryName]\r\nRootDir=.\r\n"
                         "SubDir1=DATA\r\n[Disk1]\r\n1=SETUP.EXE,SETUP.EXE,Setup program,RootDir\r\n"
                         "2=SETUP.INF,SETUP.INF,Setup script,RootDir\r\n3=UNINSTAL.EXE,UNINSTAL.EXE,Uninstall,RootDir\r\n";
    for (int n = 1; n <= 500; ++n) {
        const std::string name = "PART" + std::to_string(1000 + n) + ".DAT";
        script += std::to_string(n + 3) + "=" + name + "," + name + ",Part " + std::to_string(n) + ",SubDir1\r\n";
        WriteTextFile(big + "\\DATA\\" + name, "part " + std::to_string(n));
    }
    script += sample.substr(startup, sample.find("[Checksums]") - startup);
    WriteTextFile(big + "\\SETUP.INF", script);
    for (const char* program : {"\\SETUP.EXE", "\\UNINSTAL.EXE"})
        CopyFileA((std::string(Medium) + program).c_str(), (big + program).c_str(), FALSE);
    EXPECT_EQ("", OverProfileLimits(big + "\\SETUP.INF")) << "the script itself fits";

    EXPECT_EQ(EndedWith(0), RunDriven("\"" + big + "\\SETUP.EXE\" /S /DIR=\"" + folder + "\"", [] {}));
    EXPECT_EQ(503u, RecordedKeysIn(folder, "Files").size());
    for (const std::string& path : {folder + "\\SETUP.INF", WindowsDirectory() + "\\system.ini",
                                    WindowsDirectory() + "\\win.ini", WindowsDirectory() + "\\WININIT.INI"})
        EXPECT_EQ("", OverProfileLimits(path));

    std::string report = RunUninstaller(nullptr, folder);
    EXPECT_NE(std::string::npos, report.find("- 502 of the package's files")) << report;  // and the running uninstaller at the restart
    EXPECT_EQ(std::string::npos, report.find("Left as they are")) << report;
    EXPECT_FALSE(FileExists(folder + "\\DATA"));
}

// A record edited or damaged to name what no installation of the package can
// have made is refused whole, naming the line, and nothing is removed (the
// unit tests hold the table of such lines; here the refusal as the user
// sees it). A file line added to the script names nothing the uninstaller
// acts on.
TEST_F(Uninstall, ARecordNamingWhatNoInstallationMadeIsRefusedWhole)
{
    const std::string script = Installed + "\\SETUP.INF", record = Installed + "\\SETUP.REC",
                      winIni = WindowsDirectory() + "\\WIN.INI";
    CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\SomeoneElse");
    WriteTextFile(winIni, "[windows]\r\n");
    before_ = TakeSnapshot();
    Install();
    WIN32_FIND_DATAA found;
    FindClose(FindFirstFileA(winIni.c_str(), &found));
    char time[24];
    wsprintfA(time, "%08lX%08lX", found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
    const std::string winIniStamp = "created," + std::to_string(found.nFileSizeLow) + "," + time + ",00000000";
    const std::string sound = ReadTextFile(record);
    const Snapshot installed = TakeSnapshot();
    const struct {
        const char* section;
        std::string key, value;
    } edits[] = {
        {"Files", winIni, winIniStamp},
        {"Created", "HKLM\\SOFTWARE\\SomeoneElse", "tree"},
        {"", "a line not in the record's form", ""},
    };
    for (const auto& edit : edits) {
        // The line of that key edited in place, or one more.
        std::string line = *edit.section == '\0' ? edit.key : std::string("[") + edit.section + "] " + edit.key + "=";
        std::string edited = sound;
        size_t at = edited.find(line);
        if (at == std::string::npos || *edit.section == '\0') edited += line + edit.value + "\r\n";
        else edited.replace(at, edited.find("\r\n", at) - at, line + edit.value);
        line += edit.value;
        WriteTextFile(record, edited);
        MessageBoxSeen refusal;
        EXPECT_EQ(EndedWith(0),
                  RunDriven("\"" + Installed + "\\UNINSTAL.EXE\"", [&] { refusal = AnswerMessageBox(IDOK, 30000); }));
        EXPECT_NE(std::string::npos, refusal.text.find(line)) << line << "\n" << refusal.text;
        EXPECT_NE(std::string::npos, refusal.text.find("Nothing has been removed.")) << line;
        WriteTextFile(record, sound);
        EXPECT_EQ("", Differences(installed, TakeSnapshot())) << line;
    }

    WritePrivateProfileStringA("FileCounts", "Disk2", "5", script.c_str());
    WritePrivateProfileStringA("Disk2", "5", "WIN.INI,WIN.INI,Not the package's,WinDir", script.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, script.c_str());
    std::string report = RunUninstaller();
    EXPECT_NE(std::string::npos, report.find("Left as they are:\n- " + script + ": changed since the installation\n- " + Installed +
                          ": it holds files that are not the package's\n\n"))
        << "the script edited since, and nothing else: " << report;
    EXPECT_EQ("[windows]\r\n", ReadTextFile(winIni));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\SomeoneElse"));
    DeleteFileA(script.c_str());
    ExpectPcAsBefore();
}

// A second installation into another folder, one as long as the Directory
// page takes, is undone by the one removal with the first; and installing
// there again before the restart keeps the new uninstaller from the
// restart's delete.
TEST_F(Uninstall, InstallationsInTwoFoldersAndAgainBeforeTheRestartUndoCleanly)
{
    const std::string second = "C:\\Program Files\\Zorva Wheel Mouse - a second copy of all its software";
    ASSERT_EQ(70u, second.size());
    Install();
    Install(IDC_PS2_MOUSE, second);
    EXPECT_EQ("\"" + second + "\\UNINSTAL.EXE\"",
              TextOf(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Rollvane",
                     "UninstallString"));
    std::string report = RunUninstaller(nullptr, second);
    EXPECT_EQ(std::string::npos, report.find("Left as they are")) << report;
    ExpectPcAsBefore(second);

    Install(IDC_PS2_MOUSE, second);
    EXPECT_EQ(std::string::npos, ReadTextFile(WindowsDirectory() + "\\WININIT.INI").find("NUL="))
        << "the restart would delete the new uninstaller";
    EXPECT_TRUE(FileExists(second + "\\UNINSTAL.EXE"));
    report = RunUninstaller(nullptr, second);
    EXPECT_EQ(std::string::npos, report.find("Left as they are")) << report;
    ExpectPcAsBefore(second);
}

// The device's driver value goes only while it names the class instance the
// installation made; and a record carried in on the medium is another PC's,
// never this one's.
TEST_F(Uninstall, TheDriverValueAndTheRecordAreThisPcs)
{
    const std::string device = Ps2Device;
    const std::string ownDescription = TextOf(HKEY_LOCAL_MACHINE, device, "DeviceDesc");
    HKEY key;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, Ps2Device, 0, KEY_ALL_ACCESS, &key);
    RegDeleteValueA(key, "Driver");
    RegCloseKey(key);
    // As a -u run from a writable medium on another PC would leave it.
    AddToRecord(Medium, "PS2", "SubKey1", Ps2Device);
    AddToRecord(Medium, "PS2", "DeviceDesc", "Another PC's mouse");
    before_ = TakeSnapshot();

    Install();
    EXPECT_EQ("Mouse\\0001", TextOf(HKEY_LOCAL_MACHINE, device, "Driver"));
    SetText(HKEY_LOCAL_MACHINE, device, "Driver", "Mouse\\0000");  // set by something else since
    std::string report = RunUninstaller();
    EXPECT_NE(std::string::npos, report.find("\"Driver\" of Enum\\BIOS\\*PNP0F13\\0C: changed since the installation"))
        << report;
    EXPECT_EQ("Mouse\\0000", TextOf(HKEY_LOCAL_MACHINE, device, "Driver"));
    EXPECT_EQ(ownDescription, TextOf(HKEY_LOCAL_MACHINE, device, "DeviceDesc"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\Mouse\\0001"));
}

namespace {

const char* const RunLog = "C:\\test\\setup.log";

int LinesOf(const std::string& text)
{
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

// SETUP.EXE /S with a log, ended hard (as End Task, a crash or a power cut
// would end it) once its log holds lines lines; 0 lets it run to its end.
// The number of lines its log held.
int InstallEndedHardAt(int lines)
{
    DeleteFileA(RunLog);
    std::string command = std::string("\"") + Medium + "\\SETUP.EXE\" /S /LOG=" + RunLog;
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    for (DWORD waited = 0; waited < 60000; ++waited) {
        if (lines > 0 && LinesOf(ReadTextFile(RunLog)) >= lines) {
            TerminateProcess(process.hProcess, 99);
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return LinesOf(ReadTextFile(RunLog));
}

}  // namespace

// An installation that does not finish leaves the PC as it was, with the
// older driver INF of another maker back in its place: one that is ended
// hard at points spread over its run (the next /S takes it back and then
// installs, and one removal leaves the PC as before), and one that stops by
// itself: a missing disk under /S, and Abort at a file in the wizard.
TEST_F(Uninstall, AnInstallationThatDoesNotFinishLeavesThePcAsItWas)
{
    const std::string inf = WindowsDirectory() + "\\INF\\QXMOUSE.INF";
    WriteTextFile(inf, "an older driver's INF\r\n");
    before_ = TakeSnapshot();
    auto asBeforeAgain = [&](const std::string& what) {
        // What a removal leaves for the restart goes, for the next case.
        DeleteFileA((Installed + "\\UNINSTAL.EXE").c_str());
        RemoveDirectoryA(Installed.c_str());
        DeleteFileA((WindowsDirectory() + "\\WININIT.INI").c_str());
        EXPECT_EQ("", Differences(before_, TakeSnapshot())) << what;
    };

    const int lines = InstallEndedHardAt(0);
    ASSERT_GT(lines, 30) << ReadTextFile(RunLog);
    RunUninstaller();
    ExpectPcAsBefore();
    asBeforeAgain("a whole run");
    for (int stop = 2; stop < lines - 2; stop += 2) {
        SCOPED_TRACE("ended after line " + std::to_string(stop) + " of " + std::to_string(lines));
        InstallEndedHardAt(stop);
        std::string stopped = ReadTextFile(RunLog);
        EXPECT_EQ(std::string::npos, stopped.find("exit code")) << stopped;
        EXPECT_EQ(0u, RunProgram(std::string("\"") + Medium + "\\SETUP.EXE\" /S /LOG=" + RunLog));
        EXPECT_NE("an older driver's INF\r\n", ReadTextFile(inf));
        RunUninstaller();
        ExpectPcAsBefore();
        EXPECT_EQ("an older driver's INF\r\n", ReadTextFile(inf));
        asBeforeAgain("after line " + std::to_string(stop) + ":\n" + stopped + ReadTextFile(RunLog));
    }

    // The second disk missing under /S: the first disk's files go again.
    const std::string driver = std::string(Medium) + "\\SYSTEM\\QXMOUSE.DR_", away = "C:\\test\\QXMOUSE.DR_";
    ASSERT_TRUE(MoveFileA(driver.c_str(), away.c_str()));
    EXPECT_EQ(6u, RunProgram(std::string("\"") + Medium + "\\SETUP.EXE\" /S /LOG=" + RunLog));
    EXPECT_NE(std::string::npos, ReadTextFile(RunLog).find("undone: the computer is as it was before"))
        << ReadTextFile(RunLog);
    EXPECT_EQ("", Differences(before_, TakeSnapshot())) << "disk 2 missing";
    ASSERT_TRUE(MoveFileA(away.c_str(), driver.c_str()));

    // Abort at a file of the second disk, once the older INF was replaced.
    const std::string using_ = std::string(Medium) + "\\HELP\\USING.TX_";
    ASSERT_TRUE(MoveFileA(using_.c_str(), away.c_str()));
    MessageBoxSeen failed, notice;
    DrivenEnd end = RunDriven(std::string("\"") + Medium + "\\SETUP.EXE\"", [&] {
        PageThroughToTheCopy();
        failed = AnswerMessageBox(IDABORT, 60000);
        notice = DismissMessageBox(30000);
    });
    EXPECT_EQ(EndedWith(0), end);
    EXPECT_NE(std::string::npos, failed.text.find("USING.TXT")) << failed.text;
    EXPECT_EQ("Zorva Wheel Mouse installation is not completed !\n\nEverything it had changed is back as it was.",
              notice.text);
    EXPECT_EQ("", Differences(before_, TakeSnapshot())) << "aborted";
    ASSERT_TRUE(MoveFileA(away.c_str(), using_.c_str()));
}

// A folder three levels deep whose first level is missing: the wizard and
// /S make every level, the record names each, and the removal takes back
// exactly those, once empty. A folder of the user's beside the package's
// keeps its level. (Windows 9x deletes the running uninstaller at the
// restart, never a folder: the levels on its way stay until then, empty.)
TEST_F(Uninstall, EveryLevelOfANewFolderIsMadeAndTakenBack)
{
    const std::string top = "C:\\PROGS", middle = top + "\\ACME", folder = middle + "\\WHEEL", mine = middle + "\\MINE";
    for (bool unattended : {false, true}) {
        SCOPED_TRACE(unattended ? "/S" : "the wizard");
        if (unattended)
            EXPECT_EQ(0u, RunProgram(std::string("\"") + Medium + "\\SETUP.EXE\" /S /DIR=" + folder));
        else
            Install(IDC_PS2_MOUSE, folder);
        for (const std::string& level : {top, middle, folder}) EXPECT_EQ("created", RecordedIn(folder, "Folders", level));
        if (unattended) {
            CreateDirectoryA(mine.c_str(), nullptr);
            WriteTextFile(mine + "\\NOTES.TXT", "the user's");
        }
        std::string report = RunUninstaller(nullptr, folder);
        std::vector<std::string> waiting = {top, middle, folder};
        if (unattended) {
            EXPECT_NE(std::string::npos, report.find("Left as they are:\n- " + middle + ": it holds files that are not the package's\n")) << report;
            waiting = {folder};
        } else {
            EXPECT_EQ(std::string::npos, report.find("Left as they are")) << report;
        }
        for (const std::string& level : waiting)
            EXPECT_NE(std::string::npos, report.find("(the folder " + level + " stays, empty)")) << report;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
        int entries = 0;
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) entries += found.cFileName[0] != '.';
        FindClose(search);
        EXPECT_EQ(1, entries) << "the uninstaller alone, waiting";
        if (unattended) EXPECT_EQ("the user's", ReadTextFile(mine + "\\NOTES.TXT"));
        // The restart: the uninstaller goes, and then its folders can.
        DeleteFileA((folder + "\\UNINSTAL.EXE").c_str());
        DeleteFileA((WindowsDirectory() + "\\WININIT.INI").c_str());
        for (const std::string& level : {folder, middle, top}) RemoveDirectoryA(level.c_str());
        DeleteFileA((mine + "\\NOTES.TXT").c_str());
        for (const std::string& level : {mine, middle, top}) RemoveDirectoryA(level.c_str());
        EXPECT_EQ("", Differences(before_, TakeSnapshot()));
    }
}

// UNINSTAL.EXE /S: no window and no question, the same work as the removal
// with its windows, a log of each step and an exit code. (A box would keep
// the program from ending: RunProgram would give up on it.)
TEST_F(Uninstall, TheRemovalWithoutAWindowLogsEachStepAndEndsWithItsCode)
{
    const std::string inf = WindowsDirectory() + "\\INF\\QXMOUSE.INF", log = "C:\\test\\uninstal.log";
    WriteTextFile(inf, "an older driver's INF\r\n");
    before_ = TakeSnapshot();
    const std::string uninstaller = "\"" + Installed + "\\UNINSTAL.EXE\"";
    const std::string install = std::string("\"") + Medium + "\\SETUP.EXE\" /S";
    const struct {
        const char* what;
        bool install;
        std::string switches;
        unsigned long code;
        std::string logged;  // a line of the log
    } runs[] = {
        {"a switch of the installation's", true, " /S /MOUSE=PS2", 4, "exit code 4"},
        {"everything", false, " /S /RESTART /LOG=" + log, 0, "restart: no"},
        {"again", false, " /S /LOG=" + log, 3, "SETUP.INF beside " + Installed + "\\UNINSTAL.EXE, is missing"},
        {"a file in use", true, " /s /log=" + log, 2, "waits for the restart: " + inf},
        {"a file changed since", true, " /S /LOG=" + log, 1, "left " + Installed + "\\README.TXT: changed since the installation"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.what);
        DeleteFileA(log.c_str());
        if (run.install) EXPECT_EQ(0u, RunProgram(install));
        HANDLE held = INVALID_HANDLE_VALUE;
        if (run.code == 2) held = CreateFileA(inf.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (run.code == 1) WriteTextFile(Installed + "\\README.TXT", "the user's own notes");
        EXPECT_EQ(run.code, RunProgram(uninstaller + run.switches));
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        const std::string logged = ReadTextFile(log);
        if (run.code != 4) EXPECT_NE(std::string::npos, logged.find(run.logged)) << logged;
        if (run.code != 0) continue;
        for (const char* file : {"\\QXMAIN.EXE", "\\HELP\\USING.TXT"})
            EXPECT_NE(std::string::npos, logged.find("removed " + Installed + file)) << logged;
        EXPECT_NE(std::string::npos, logged.find("put back " + inf + " from " + Installed + "\\ORIGINAL\\QXMOUSE.INF")) << logged;
        EXPECT_NE(std::string::npos, logged.find("exit code 0\r\n")) << logged;
        ExpectPcAsBefore();
    }
}
