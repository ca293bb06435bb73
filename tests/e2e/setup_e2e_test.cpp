// The real SETUP.EXE, started from a copy of the sample medium in C:\medium
// on a prefix seeded as a Windows 98 PC (WIN98PC.EXE), driven from outside
// by the robot. A restart shows as the end-of-session query that Wine sends
// to every window; the robot's RestartRefusal refuses it, so the test lives on.
#include <gtest/gtest.h>

#include <windows.h>

#include <lzexpand.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "resource.h"
#include "tests/support/registry.h"
#include "tests/support/robot.h"
#include "tests/support/shell_link.h"
#include "tests/support/snapshot.h"
#include "tests/support/test_env.h"
#include "tests/support/wizard.h"
#include "tools/win98pc/floppy_drive.h"

namespace {

// The notice of an installation that stopped and put back all it changed.
const char* const NotCompletedAndUndone =
    "Zorva Wheel Mouse installation is not completed !\n\nEverything it had changed is back as it was.";

}  // namespace

namespace {

const char* const Medium = "C:\\medium";
const char* const Installed = "C:\\Program Files\\Zorva";
const char* const ClassKey = "System\\CurrentControlSet\\Services\\Class\\Mouse\\0000";
const char* const Ps2Device = "Enum\\BIOS\\*PNP0F13\\0C";
const char* const SerialDevice = "Enum\\Root\\*PNP0F0C\\0000";
const char* const Finished = "The Mouse Setup Program has installed driver successfully. You have to restart your Windows now !";

// A file of the medium as the platform's LZ32 reads it: expanded.
std::string Expanded(const std::string& path)
{
    OFSTRUCT info = {};
    INT file = LZOpenFileA(const_cast<char*>(path.c_str()), &info, OF_READ);
    std::string data;
    if (file < 0) return "<cannot open>";
    char chunk[4096];
    INT n;
    while ((n = LZRead(file, chunk, sizeof chunk)) > 0) data.append(chunk, n);
    LZClose(file);
    return data;
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class EndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        CopyTree(WindowsPathOf(MEDIUM_UNIX_PATH), Medium);
    }

    void SeedPc(const char* mouse)
    {
        ASSERT_EQ(0u, RunProgram("\"" + WindowsPathOf(WIN98PC_EXE_UNIX_PATH) + "\" " + mouse));
        iniBefore_ = ReadTextFile(WindowsDirectory() + "\\system.ini");
    }

    // A copy of the sample medium on the share \\FILESRV\DRIVERS: Wine keeps
    // a share \\SERVER\SHARE in the prefix's folder dosdevices/unc/SERVER/SHARE.
    static std::string LayOutShare()
    {
        char prefix[1024] = "";
        GetEnvironmentVariableA("SETUP_TEST_PREFIX", prefix, sizeof prefix);
        std::string unc = WindowsPathOf(std::string(prefix) + "/dosdevices/unc");
        for (const char* level : {"", "\\FILESRV", "\\FILESRV\\DRIVERS"}) CreateDirectoryA((unc + level).c_str(), nullptr);
        const std::string share = "\\\\FILESRV\\DRIVERS\\MOUSE";
        CopyTree(Medium, share);
        return share;
    }

    // Starts SETUP.EXE and lets the robot work until the program ends.
    static DrivenEnd RunSetup(const char* arguments, const std::function<void()>& robotWork,
                          const std::string& program = std::string(Medium) + "\\SETUP.EXE")
    {
        return RunDriven("\"" + program + "\"" + arguments, robotWork);
    }

    // The whole wizard, as a user clicks it.
    static std::function<void()> ClickThrough(int mouseButton, int restartButton)
    {
        return [=] {
            PageThroughToTheCopy(mouseButton);
            FinishWith(restartButton);
        };
    }

    void ExpectFilesInstalled()
    {
        struct {
            std::string source;  // on the medium
            std::string target;
        } files[] = {
            {"SETUP.EXE", std::string(Installed) + "\\.\\SETUP.EXE"},
            {"QXMAIN.EX_", std::string(Installed) + "\\QXMAIN.EXE"},
            {"QXPAGE.DL_", std::string(Installed) + "\\QXPAGE.DLL"},
            {"UNINSTAL.EXE", std::string(Installed) + "\\UNINSTAL.EXE"},
            {"README.TXT", std::string(Installed) + "\\README.TXT"},
            {"SYSTEM\\QXMOUSE.DR_", WindowsDirectory() + "\\SYSTEM\\QXMOUSE.DRV"},
            {"INF\\QXMOUSE.INF", WindowsDirectory() + "\\INF\\QXMOUSE.INF"},
            {"HELP\\USING.TX_", std::string(Installed) + "\\HELP\\USING.TXT"},
            {"HELP\\TROUBLE.TXT", std::string(Installed) + "\\HELP\\TROUBLE.TXT"},
        };
        for (const auto& f : files) {
            std::string expected = Expanded(std::string(Medium) + "\\" + f.source);
            EXPECT_GT(expected.size(), 0u) << f.source;
            EXPECT_TRUE(ReadTextFile(f.target) == expected) << f.target;
        }
    }

    // The application entries of the companion software.
    static void ExpectApplicationRegistered()
    {
        EXPECT_EQ("C:\\Program Files\\Zorva\\QXPAGE.DLL",
                  TextOf(HKEY_CLASSES_ROOT, "CLSID\\{6A1C3F20-5B7E-11d1-9C4A-0080C7E21D55}\\InProcServer32", nullptr));
        EXPECT_EQ("\"C:\\Program Files\\Zorva\\QXMAIN.EXE\" -startup",
                  TextOf(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Rollvane"));
        EXPECT_EQ("Zorva Wheel Mouse", TextOf(HKEY_LOCAL_MACHINE,
                                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Rollvane",
                                              "DisplayName"));
    }

    // system.ini: only the [386Enh] mouse line changed; the old file is kept.
    void ExpectMouseDeviceSwitched()
    {
        std::vector<std::string> before = LinesOf(iniBefore_), after = LinesOf(ReadTextFile(WindowsDirectory() +
                                                                                              "\\system.ini"));
        ASSERT_EQ(before.size(), after.size());
        int changed = 0;
        for (size_t i = 0; i < before.size(); ++i) {
            if (before[i] == after[i]) continue;
            ++changed;
            EXPECT_EQ("mouse=*vmouse", after[i]);
            EXPECT_EQ(0u, before[i].find("mouse=")) << before[i];
        }
        EXPECT_EQ(1, changed);
        EXPECT_EQ(iniBefore_, ReadTextFile(WindowsDirectory() + "\\system.bak"));
        EXPECT_FALSE(FileExists(SystemDirectory() + "\\VMM32\\VMOUSE.VXD"));
        EXPECT_TRUE(FileExists(SystemDirectory() + "\\VMM32\\VMOUSE.BAK"));
    }

    // A whole installation for the PS/2 mouse of a PC seeded "ps2", with the
    // restart left for later: files, entries, the driver's values, the record
    // of what they replaced, and the mouse line.
    void ExpectPs2InstalledRestartLater()
    {
        ExpectFilesInstalled();
        ExpectApplicationRegistered();
        EXPECT_EQ("Zorva PS/2 Wheel Mouse", TextOf(HKEY_LOCAL_MACHINE, Ps2Device, "DeviceDesc"));
        EXPECT_EQ("Zorva", TextOf(HKEY_LOCAL_MACHINE, Ps2Device, "Mfg"));
        EXPECT_EQ("Mouse\\0000", TextOf(HKEY_LOCAL_MACHINE, Ps2Device, "Driver"));
        EXPECT_EQ("QXMOUSE.DRV", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "MouseDriver"));
        EXPECT_EQ("QXMOUSE.INF", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "InfPath"));
        EXPECT_EQ("QX_PS2", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "InfSection"));
        EXPECT_EQ("Zorva PS/2 Wheel Mouse", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "DriverDesc"));
        EXPECT_EQ("PS2", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "MouseType"));
        EXPECT_EQ("*vmouse", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "DevLoader")) << "left as it was";

        // The record of what was replaced, beside the installed script.
        auto recorded = [&](const char* key, const char* section = "PS2") { return RecordedIn(Installed, section, key); };
        EXPECT_EQ(Ps2Device, recorded("SubKey1"));
        EXPECT_EQ("Standard PS/2 Port Mouse", recorded("DeviceDesc"));
        EXPECT_EQ("(Standard mouse types)", recorded("Mfg"));
        EXPECT_EQ(ClassKey, recorded("SubKey2"));
        EXPECT_EQ("mouse.drv", recorded("MouseDriver"));
        EXPECT_EQ("MSMOUSE.INF", recorded("InfPath"));
        EXPECT_EQ("PS2_Inst", recorded("InfSection"));
        EXPECT_EQ("<none>", recorded("SubKey1", "Serial"));

        ExpectMouseDeviceSwitched();
        EXPECT_FALSE(restart_.requested());
    }

    void ExpectNothingChanged()
    {
        EXPECT_FALSE(FileExists(std::string(Installed) + "\\QXMAIN.EXE"));
        ExpectNothingRegistered();
    }

    // The registry, system.ini and VMM32 as they were, and no restart.
    void ExpectNothingRegistered()
    {
        EXPECT_EQ("<absent>", TextOf(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                                     "Rollvane"));
        EXPECT_EQ("<absent>", TextOf(HKEY_LOCAL_MACHINE,
                                     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Rollvane",
                                     "DisplayName"));
        EXPECT_EQ("Standard PS/2 Port Mouse", TextOf(HKEY_LOCAL_MACHINE, Ps2Device, "DeviceDesc"));
        EXPECT_EQ(iniBefore_, ReadTextFile(WindowsDirectory() + "\\system.ini"));
        EXPECT_FALSE(FileExists(WindowsDirectory() + "\\system.bak"));
        EXPECT_TRUE(FileExists(SystemDirectory() + "\\VMM32\\VMOUSE.VXD"));
        EXPECT_FALSE(restart_.requested());
    }

    RestartRefusal restart_;
    std::string iniBefore_;
};

}  // namespace

TEST_F(EndToEnd, FullSerialInstallationRestartNow)
{
    SeedPc("serial");
    EXPECT_EQ(EndedWith(0), RunSetup("", ClickThrough(IDC_SERIAL_MOUSE, IDC_RESTART_NOW)));
    ExpectFilesInstalled();
    ExpectApplicationRegistered();
    EXPECT_EQ("Zorva Serial Wheel Mouse", TextOf(HKEY_LOCAL_MACHINE, SerialDevice, "DeviceDesc"));
    EXPECT_EQ("QX_SER", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "InfSection"));
    EXPECT_EQ("Serial", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "MouseType"));
    EXPECT_EQ("Enum\\ROOT\\*PNP0F0C\\0000", RecordedIn(Installed, "Serial", "SubKey1"))
        << "the device's key as the active list names it";
    ExpectMouseDeviceSwitched();
    EXPECT_TRUE(restart_.requested());
}

TEST_F(EndToEnd, DriverOnlyRunRegistersTheDriverAndRestarts)
{
    for (const std::string& medium : {std::string(Medium), LayOutShare()}) {
        SeedPc("ps2");
        restart_.reset();
        MessageBoxSeen box;
        bool backEnabled = true;
        DrivenEnd exitCode = RunSetup(" -u", [&] {
            HWND mouse = WaitForStep(MouseTypeStep);
            backEnabled = IsWindowEnabled(GetDlgItem(mouse, IDC_BACK)) != FALSE;
            Click(mouse, IDC_PS2_MOUSE);
            Click(mouse, IDOK);
            box = DismissMessageBox();
        }, medium + "\\SETUP.EXE");
        EXPECT_EQ(EndedWith(0), exitCode) << medium;
        EXPECT_FALSE(backEnabled);
        EXPECT_EQ(Finished, box.text) << medium;
        EXPECT_EQ("Zorva Wheel Mouse Setup Program", box.caption);
        EXPECT_TRUE(restart_.requested());
        EXPECT_EQ("Zorva PS/2 Wheel Mouse", TextOf(HKEY_LOCAL_MACHINE, Ps2Device, "DeviceDesc")) << medium;
        // Only the driver: no files, no application entries, system.ini
        // untouched, and the record lies beside the program, on the share too.
        EXPECT_FALSE(FileExists(std::string(Installed) + "\\QXMAIN.EXE"));
        EXPECT_EQ("<absent>", TextOf(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Rollvane"));
        EXPECT_EQ(iniBefore_, ReadTextFile(WindowsDirectory() + "\\system.ini"));
        EXPECT_EQ("Standard PS/2 Port Mouse", RecordedIn(medium, "PS2", "DeviceDesc")) << medium;
    }
}

TEST_F(EndToEnd, CancelOnEachPageLeavesThePcAsItWas)
{
    struct {
        int step;  // of the wizard's table, cancelled there after Next on each page before it
        const char* arguments;
    } cases[] = {{WelcomeStep, ""}, {MouseTypeStep, ""}, {DirectoryStep, ""}, {MouseTypeStep, " -u"}};
    for (const auto& c : cases) {
        SeedPc("ps2");
        MessageBoxSeen notice;
        DrivenEnd exitCode = RunSetup(c.arguments, [&] {
            // The driver-only run shows the Mouse-type page alone.
            for (int step = *c.arguments ? MouseTypeStep : WelcomeStep; step < c.step; ++step)
                Click(WaitForStep(step), IDOK);
            Click(WaitForStep(c.step), IDCANCEL);
            notice = DismissMessageBox();
        });
        const char* page = WizardPages[c.step].className;
        EXPECT_EQ(EndedWith(0), exitCode) << page << c.arguments;
        EXPECT_EQ("Zorva Wheel Mouse installation is not completed !", notice.text) << page << c.arguments;
        ExpectNothingChanged();
    }
}

TEST_F(EndToEnd, CancelOnTheInstallPageStopsTheCopyAndRegistersNothing)
{
    // Large first files keep the copy busy long enough for the click,
    // even on a busy machine where the robot's thread starts late. They are
    // stored compressed, one "z" and then references to the 18 bytes before,
    // since expanding is far slower than copying plain data: 128 MB each.
    const size_t references = (128 << 20) / 18, bigSize = 1 + 18 * references;
    std::string stored("SZDD\x88\xF0\x27\x33" "A", 9);
    stored += '\0';
    for (int shift = 0; shift < 32; shift += 8) stored += static_cast<char>((bigSize >> shift) & 0xFF);
    stored += "\x01z";  // a flag byte: a literal, then seven references
    for (size_t n = 0, written = 1; n < references; ++n, written += 18) {
        if (n % 8 == 7) stored += '\0';  // a flag byte: eight references
        size_t from = (0xFF0 + written - 1) & 0xFFF;  // the byte just written
        stored += static_cast<char>(from & 0xFF);
        stored += static_cast<char>(((from >> 4) & 0xF0) | (18 - 3));
    }
    WriteTextFile(std::string(Medium) + "\\BIG.DAT", stored);
    std::string script = std::string(Medium) + "\\SETUP.INF";
    // Five of them: the copy stops once the file in progress is finished,
    // so the later ones cost nothing, and give a click that a busy machine
    // delivers late the time to land (two were seen to be too few at -j2).
    for (int line = 1; line <= 5; ++line) {
        const std::string entry = "BIG.DAT,BIG" + std::to_string(line) + ".DAT,A large file,RootDir";
        WritePrivateProfileStringA("Disk1", std::to_string(line).c_str(), entry.c_str(), script.c_str());
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, script.c_str());
    SeedPc("ps2");
    MessageBoxSeen notice;
    DrivenEnd exitCode = RunSetup("", [&] {
        PageThroughToTheCopy();
        // A busy machine starts the page late. It shows itself before its
        // button is made: the click waits for the button.
        Click(WaitForWindow(WizardPages[InstallStep].className, nullptr, 60000), IDOK);  // its only button, "Cancel"
        notice = DismissMessageBox(60000);
    });
    EXPECT_EQ(EndedWith(0), exitCode);
    EXPECT_EQ(NotCompletedAndUndone, notice.text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Installed)) << "the files copied and the folder go again";
    ExpectNothingChanged();
}

namespace {

// Drive A:, a floppy drive, holds the folder of the prefix's drive C: given,
// as a disk put into the drive.
bool InsertFolderOfC(const std::string& folderOnC)
{
    char prefix[1024] = "";
    if (!GetEnvironmentVariableA("SETUP_TEST_PREFIX", prefix, sizeof prefix)) return false;
    return InsertDisk(std::string(prefix) + "/drive_c/" + folderOnC);
}

// The files of the sample medium's second disk: its first line names the
// file by which the disk is recognised.
const char* const SecondDiskFiles[] = {"SYSTEM\\QXMOUSE.DR_", "INF\\QXMOUSE.INF", "HELP\\USING.TX_",
                                       "HELP\\TROUBLE.TXT"};

}  // namespace

TEST_F(EndToEnd, TwoDiskMediumFromAFloppyDrive)
{
    // Disk 1 holds all but the second disk's files; disk 2 holds those.
    CopyTree(Medium, "C:\\disk1");
    CreateDirectoryA("C:\\disk2", nullptr);
    for (const char* file : SecondDiskFiles) {
        std::string name = file;
        CreateDirectoryA(("C:\\disk2\\" + name.substr(0, name.find('\\'))).c_str(), nullptr);
        ASSERT_TRUE(MoveFileA(("C:\\disk1\\" + name).c_str(), ("C:\\disk2\\" + name).c_str())) << name;
    }
    ASSERT_TRUE(InsertFolderOfC("disk1"));
    EXPECT_EQ("floppy", TextOf(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", "a:"));
    EXPECT_EQ(static_cast<UINT>(DRIVE_REMOVABLE), GetDriveTypeA("A:\\"));
    const std::string prompt = "Please insert 'Zorva Wheel Mouse Disk 2' into your disk drive !";

    // Cancel at the prompt: the first disk's files are there, nothing is registered.
    SeedPc("ps2");
    MessageBoxSeen asked, notice;
    EXPECT_EQ(EndedWith(0), RunSetup("", [&] {
        PageThroughToTheCopy();
        asked = AnswerMessageBox(IDCANCEL, 60000);
        notice = DismissMessageBox();
    }, "A:\\SETUP.EXE"));
    EXPECT_EQ(prompt, asked.text);
    EXPECT_EQ("Zorva Wheel Mouse Setup Program", asked.caption);
    EXPECT_EQ(NotCompletedAndUndone, notice.text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Installed)) << "the first disk's files go again";
    EXPECT_FALSE(FileExists(WindowsDirectory() + "\\SYSTEM\\QXMOUSE.DRV"));
    ExpectNothingRegistered();

    // OK before the disk is in asks again; OK after the swap completes the installation.
    SeedPc("ps2");
    MessageBoxSeen again;
    bool swapped = false;
    EXPECT_EQ(EndedWith(0), RunSetup("", [&] {
        PageThroughToTheCopy();
        asked = AnswerMessageBox(IDOK, 60000);
        again = AnswerMessageBox(IDOK, 10000, [&] { swapped = InsertFolderOfC("disk2"); });
        FinishWith(IDC_RESTART_LATER);
    }, "A:\\SETUP.EXE"));
    EXPECT_TRUE(swapped);
    EXPECT_EQ(prompt, asked.text);
    EXPECT_EQ(prompt, again.text);
    ExpectFilesInstalled();
    ExpectApplicationRegistered();
    ExpectMouseDeviceSwitched();
    EXPECT_FALSE(restart_.requested());
}

TEST_F(EndToEnd, ThreeFloppiesLaidOutByMkmedium)
{
    // mkmedium spread the package with three large files over three 1.44 MB
    // disks; each later disk is asked for by its label, once, and found by
    // the file mkmedium put first on it. The group's shortcuts point at files
    // of the destination, a folder below it and the Windows INF directory.
    for (int d = 1; d <= 3; ++d)
        CopyTree(WindowsPathOf(FLOPPIES_UNIX_PATH) + "\\DISK" + std::to_string(d), "C:\\floppy" + std::to_string(d));
    ASSERT_TRUE(InsertFolderOfC("floppy1"));
    SeedPc("ps2");
    MessageBoxSeen second, third;
    bool swapped2 = false, swapped3 = false;
    EXPECT_EQ(EndedWith(0), RunSetup("", [&] {
        PageThroughToTheCopy();
        second = AnswerMessageBox(IDOK, 60000, [&] { swapped2 = InsertFolderOfC("floppy2"); });
        third = AnswerMessageBox(IDOK, 60000, [&] { swapped3 = InsertFolderOfC("floppy3"); });
        FinishWith(IDC_RESTART_LATER);
    }, "A:\\SETUP.EXE"));
    EXPECT_TRUE(swapped2 && swapped3);
    EXPECT_EQ("Please insert 'Zorva Wheel Mouse Disk 2' into your disk drive !", second.text);
    EXPECT_EQ("Please insert 'Zorva Wheel Mouse Disk 3' into your disk drive !", third.text);
    ExpectFilesInstalled();
    for (int n = 1; n <= 3; ++n) {
        const std::string name = "\\HELP\\BIG" + std::to_string(n) + ".DAT";
        std::string source;
        for (int d = 1; d <= 3 && source.empty(); ++d) source = ReadTextFile("C:\\floppy" + std::to_string(d) + name);
        EXPECT_EQ(900000u, source.size()) << name;
        EXPECT_TRUE(ReadTextFile(std::string(Installed) + name) == source) << name;
    }
    // Each group item points where its file line put the file.
    CoInitialize(nullptr);
    const std::string group = ProgramsFolder() + "\\Zorva Wheel Mouse\\";
    EXPECT_EQ(std::string(Installed) + "\\QXMAIN.EXE", ReadShortcut(group + "Rollvane.lnk").target);
    EXPECT_EQ(std::string(Installed) + "\\HELP\\USING.TXT", ReadShortcut(group + "Using the wheel.lnk").target);
    EXPECT_EQ(WindowsDirectory() + "\\INF\\QXMOUSE.INF", ReadShortcut(group + "Driver information.lnk").target);
    CoUninitialize();
    ExpectApplicationRegistered();
    ExpectMouseDeviceSwitched();
}

TEST_F(EndToEnd, ReadOnlyDestinationFileIsTheUsersToAbortSkipOrUnlock)
{
    const std::string readme = std::string(Installed) + "\\README.TXT";
    CreateDirectoryA("C:\\Program Files", nullptr);
    CreateDirectoryA(Installed, nullptr);
    WriteTextFile(readme, "old");
    SetFileAttributesA(readme.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string reported = "Setup cannot install the file\n" + std::string(Installed) +
                                 "\\.\\README.TXT\n\nThe file cannot be written there. It may be read-only or in use, "
                                 "its folder may not exist, or the disk may be write-protected.\n\nAbort stops the "
                                 "installation; no settings are changed. Retry tries this file again. Ignore skips "
                                 "this file and goes on.";

    // Abort: no further file, nothing registered.
    SeedPc("ps2");
    MessageBoxSeen box, notice;
    EXPECT_EQ(EndedWith(0), RunSetup("", [&] {
        PageThroughToTheCopy();
        box = AnswerMessageBox(IDABORT, 60000);
        notice = DismissMessageBox();
    }));
    EXPECT_EQ(reported, box.text);
    EXPECT_EQ(NotCompletedAndUndone, notice.text);
    EXPECT_EQ("old", ReadTextFile(readme));
    EXPECT_FALSE(FileExists(std::string(Installed) + "\\QXMAIN.EXE")) << "the files before the aborted one go again";
    EXPECT_FALSE(FileExists(std::string(Installed) + "\\HELP\\USING.TXT")) << "no file after the aborted one";
    ExpectNothingRegistered();

    // Ignore: the file is listed at the end, and the installation goes on.
    SeedPc("ps2");
    MessageBoxSeen list;
    EXPECT_EQ(EndedWith(0), RunSetup("", [&] {
        PageThroughToTheCopy();
        box = AnswerMessageBox(IDIGNORE, 60000);
        list = DismissMessageBox(60000);
        FinishWith(IDC_RESTART_LATER);
    }));
    EXPECT_EQ(reported, box.text);
    EXPECT_EQ("These files were skipped and are not installed:\n\n" + std::string(Installed) + "\\.\\README.TXT",
              list.text);
    EXPECT_EQ("old", ReadTextFile(readme));
    ExpectApplicationRegistered();
    ExpectMouseDeviceSwitched();

    // Retry once the user has cleared the flag: the file is installed.
    SeedPc("ps2");
    EXPECT_EQ(EndedWith(0), RunSetup("", [&] {
        PageThroughToTheCopy();
        box = AnswerMessageBox(IDRETRY, 60000, [&] { SetFileAttributesA(readme.c_str(), FILE_ATTRIBUTE_NORMAL); });
        FinishWith(IDC_RESTART_LATER);
    }));
    EXPECT_EQ(reported, box.text);
    ExpectFilesInstalled();
}

// A medium damaged after it was laid out: a byte flipped inside a
// compressed file and inside a plain one. Both are reported as damaged, the
// damaged bytes never reach the PC, Ignore skips a file and Retry installs
// it once the medium is mended; the rest installs as ever.
TEST_F(EndToEnd, ADamagedMediumIsFoundAndItsDamagedBytesNeverInstalled)
{
    SeedPc("ps2");
    const std::string readme = std::string(Medium) + "\\README.TXT", packed = std::string(Medium) + "\\QXMAIN.EX_";
    const std::string good = ReadTextFile(readme);
    std::string flipped = good, squeezed = ReadTextFile(packed);
    flipped[flipped.size() / 2] ^= 0x01;
    squeezed[squeezed.size() / 2] ^= 0x01;
    WriteTextFile(readme, flipped);
    WriteTextFile(packed, squeezed);

    MessageBoxSeen skipped, mended, list;
    DrivenEnd exitCode = RunSetup("", [&] {
        PageThroughToTheCopy(IDC_PS2_MOUSE);
        skipped = AnswerMessageBox(IDIGNORE, 30000);
        mended = AnswerMessageBox(IDRETRY, 30000, [&] { WriteTextFile(readme, good); });
        list = DismissMessageBox(30000);
        FinishWith(IDC_RESTART_LATER);
    });
    EXPECT_EQ(EndedWith(0), exitCode);
    const std::string damaged = "The file on the installation disk is damaged.";
    EXPECT_NE(std::string::npos, skipped.text.find("QXMAIN.EXE\n\n" + damaged)) << skipped.text;
    EXPECT_NE(std::string::npos, mended.text.find("README.TXT\n\n" + damaged)) << mended.text;
    EXPECT_NE(std::string::npos, list.text.find("QXMAIN.EXE")) << list.text;
    EXPECT_FALSE(FileExists(std::string(Installed) + "\\QXMAIN.EXE"));
    EXPECT_TRUE(ReadTextFile(std::string(Installed) + "\\README.TXT") == good);
    ExpectApplicationRegistered();
}

// A medium laid out by other tools (no checksums) installs as ever; a
// program whose own file is damaged says so and touches nothing.
TEST_F(EndToEnd, WithoutChecksumsTheMediumInstallsAndADamagedProgramTouchesNothing)
{
    SeedPc("ps2");
    const std::string script = std::string(Medium) + "\\SETUP.INF";
    for (const char* name : {"SETUP.EXE", "UNINSTAL.EXE"}) {
        SCOPED_TRACE(name);
        const std::string copy = std::string("C:\\damaged\\") + name;
        CreateDirectoryA("C:\\damaged", nullptr);
        std::string bytes = ReadTextFile(std::string(Medium) + "\\" + name);
        bytes[bytes.size() - 1] ^= 0x01;
        WriteTextFile(copy, bytes);
        CopyFileA(script.c_str(), "C:\\damaged\\SETUP.INF", FALSE);
        MessageBoxSeen told;
        EXPECT_EQ(EndedWith(0), RunSetup("", [&] { told = AnswerMessageBox(IDOK, 30000); }, copy)) << name;
        EXPECT_EQ(0u, told.text.find("This program is damaged; nothing was changed."))
            << name << ": " << told.text;
        EXPECT_FALSE(FileExists(Installed)) << name;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Rollvane"));
        EXPECT_EQ(iniBefore_, ReadTextFile(WindowsDirectory() + "\\system.ini")) << name;
    }

    WritePrivateProfileStringA("Checksums", nullptr, nullptr, script.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, script.c_str());
    EXPECT_EQ(EndedWith(0), RunSetup("", ClickThrough(IDC_PS2_MOUSE, IDC_RESTART_LATER)));
    ExpectFilesInstalled();
    ExpectApplicationRegistered();
}

namespace {

// The robot's work during an unattended run: it looks for any window of the
// program as long as the program runs, and names what it saw.
std::function<void()> WatchForWindows(std::string& seen)
{
    return [&seen] {
        for (; DrivenProgramRunning(); Sleep(20)) {
            const char* name = SetupWindowShown();
            if (name != nullptr && seen.find(name) == std::string::npos) seen += std::string(name) + " ";
        }
    };
}

const char* const Log = "C:\\setup.log";

// The log as lines; every line ends with CR LF.
std::vector<std::string> LogLines()
{
    std::string text = ReadTextFile(Log);
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        EXPECT_TRUE(at > 0 && text[at - 1] == '\r') << "a line without CR at " << at;
    EXPECT_TRUE(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n");
    return LinesOf(text);
}

bool Logged(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

// A user without a mouse installs for the PS/2 mouse and restarts later:
// every step by keyboard, each key delivered to the control that has the
// focus and read by the program's own message loop. (The same clicks by
// mouse install the package in every uninstaller test.)
TEST_F(EndToEnd, AFullInstallationByKeyboardAlone)
{
    SeedPc("ps2");
    std::string missed;  // the steps that did not come as a keyboard user expects
    auto expect = [&missed](bool done, const char* step) {
        if (!done) missed += std::string(step) + "; ";
    };
    auto focusIs = [](HWND page, int id) {
        return WaitUntil([&] { return GetDlgCtrlID(FocusedControl(page)) == id; }, 10000);
    };
    auto checked = [](HWND page, int id) {
        return WaitUntil([&] { return IsDlgButtonChecked(page, id) == BST_CHECKED; }, 10000);
    };
    EXPECT_EQ(EndedWith(0), RunSetup(" /LOG=C:\\setup.log", [&] {
        HWND welcome = WaitForStep(WelcomeStep);
        expect(focusIs(welcome, IDOK), "Next has the focus on Welcome");
        Type(welcome, VK_RETURN);
        HWND mouse = WaitForStep(MouseTypeStep);
        Type(mouse, VK_TAB);
        Type(mouse, VK_TAB);
        expect(focusIs(mouse, IDC_PS2_MOUSE), "Tab reaches the chosen mouse");
        Type(mouse, VK_UP);
        expect(checked(mouse, IDC_SERIAL_MOUSE), "Up chooses Serial");
        Type(mouse, VK_DOWN);
        expect(checked(mouse, IDC_PS2_MOUSE), "Down chooses PS/2 again");
        Type(mouse, VK_RETURN);
        HWND directory = WaitForStep(DirectoryStep);
        Type(directory, 'R', true);
        HWND browse = WaitForWindow("#32770", nullptr);
        expect(browse != nullptr && Settled(browse), "Alt+R opens Browse");
        if (browse != nullptr) Type(browse, VK_ESCAPE);
        expect(browse != nullptr && WaitForGone(browse), "Esc closes Browse");
        Type(directory, VK_RETURN);
        HWND finish = WaitForStep(FinishStep, 60000);
        Type(finish, VK_TAB);
        expect(focusIs(finish, IDC_RESTART_NOW), "Tab reaches the restart choice");
        Type(finish, VK_DOWN);
        expect(checked(finish, IDC_RESTART_LATER), "Down chooses restart later");
        Type(finish, VK_RETURN);
    }));
    EXPECT_EQ("", missed);
    ExpectPs2InstalledRestartLater();
    // The wizard writes the log too.
    std::vector<std::string> lines = LogLines();
    for (const char* line : {"installed C:\\Program Files\\Zorva\\QXMAIN.EXE", "restart: later, as the user chose"})
        EXPECT_TRUE(Logged(lines, line)) << line << "\n" << ReadTextFile(Log);
    EXPECT_EQ("exit code 0", lines.back());
}


// SETUP.EXE /S refuses what the wizard refuses, and a medium without its
// script; it changes nothing, shows nothing, and says why in its exit code
// and its log.
TEST_F(EndToEnd, UnattendedRefusalsChangeNothingAndTellTheirExitCode)
{
    const std::string script = std::string(Medium) + "\\SETUP.INF", original = ReadTextFile(script);
    const struct {
        const char* arguments;
        DWORD code;
        const char* logged;  // a line of the log, or null
        const char* files;   // the script's file count of Disk1: "" no script, null as it is
    } cases[] = {
        {" /S /MOUSE=USB", 7, nullptr, nullptr},
        {" /S /RESTART /NOW", 7, nullptr, nullptr},
        {" /S /DIR=Zorva /LOG=C:\\setup.log", 4,
         "message: Can not create directory ! The specified directory is either invalid or disk drive is write "
         "protected. [OK]", nullptr},
        {" /S /DIR=Q:\\Zorva /LOG=C:\\setup.log", 4, "exit code 4", nullptr},
        {" /S /LOG=C:\\setup.log", 3, "message: SETUP.INF Reading error ! [OK]", ""},
        {" /S /LOG=C:\\setup.log", 3, "exit code 3", "40000"},
    };
    for (const auto& c : cases) {
        SeedPc("ps2");
        DeleteFileA(Log);
        if (c.files != nullptr && *c.files == '\0') DeleteFileA(script.c_str());
        else if (c.files != nullptr) WritePrivateProfileStringA("FileCounts", "Disk1", c.files, script.c_str());
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, script.c_str());
        std::string windows;
        EXPECT_EQ(EndedWith(c.code), RunSetup(c.arguments, WatchForWindows(windows))) << c.arguments;
        WriteTextFile(script, original);
        EXPECT_EQ("", windows) << c.arguments;
        if (c.logged != nullptr) EXPECT_TRUE(Logged(LogLines(), c.logged)) << c.arguments << "\n" << ReadTextFile(Log);
        ExpectNothingChanged();
    }
}

// The unattended installation does what the wizard does, PS/2 and restart
// later, with no window, and logs each step.
TEST_F(EndToEnd, UnattendedInstallationIsTheWizardsWithoutAWindowAndLogsEachStep)
{
    SeedPc("ps2");
    std::string windows;
    EXPECT_EQ(EndedWith(0), RunSetup(" /s /log=C:\\setup.log", WatchForWindows(windows)));
    EXPECT_EQ("", windows);
    ExpectPs2InstalledRestartLater();

    std::vector<std::string> lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(std::string::npos, lines[0].find(" SETUP.EXE /s /log=C:\\setup.log")) << lines[0];
    for (const char* line : {
             "installing into C:\\Program Files\\Zorva for a PS/2 mouse",
             "folder C:\\Program Files\\Zorva created",
             "installed C:\\Program Files\\Zorva\\QXMAIN.EXE",
             "registry HKLM\\Enum\\BIOS\\*PNP0F13\\0C",
             "  DeviceDesc = \"Zorva PS/2 Wheel Mouse\" (was \"Standard PS/2 Port Mouse\")",
             "  ConfigFlags = 00000000 (was 00000000)",
             "registry HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
             "  Rollvane = \"\"C:\\Program Files\\Zorva\\QXMAIN.EXE\" -startup\" (was none)",
             "restart: no",
             "exit code 0",
         })
        EXPECT_TRUE(Logged(lines, line)) << line << "\n" << ReadTextFile(Log);
    EXPECT_TRUE(Logged(lines, "installed " + WindowsDirectory() + "\\INF\\QXMOUSE.INF"));
    EXPECT_EQ("exit code 0", lines.back());
}

// Another folder with a blank, a serial mouse and the restart, switches in
// any case, and a log that cannot be written; then a file that cannot be installed is skipped, counted in
// the exit code and logged with its reason, and /RESTART holds back; then a
// disk of the medium that is not there fails the run.
TEST_F(EndToEnd, UnattendedSwitchesASkippedFileAndAMissingDisk)
{
    const std::string folder = "C:\\Some Folder";
    SeedPc("serial");
    std::string windows;
    const std::string switches = " /S /mouse=SERIAL /DIR=\"" + folder + "\" /Restart /LOG=Q:\\nowhere\\setup.log";
    EXPECT_EQ(EndedWith(0), RunSetup(switches.c_str(), WatchForWindows(windows)));
    EXPECT_EQ("", windows);
    EXPECT_TRUE(FileExists(folder + "\\QXMAIN.EXE"));
    EXPECT_EQ("\"" + folder + "\\QXMAIN.EXE\" -startup",
              TextOf(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Rollvane"));
    EXPECT_EQ("Zorva Serial Wheel Mouse", TextOf(HKEY_LOCAL_MACHINE, SerialDevice, "DeviceDesc"));
    EXPECT_EQ("Serial", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "MouseType"));
    EXPECT_TRUE(restart_.requested());

    const std::string readme = std::string(Installed) + "\\README.TXT";
    CreateDirectoryA("C:\\Program Files", nullptr);
    CreateDirectoryA(Installed, nullptr);
    WriteTextFile(readme, "old");
    SetFileAttributesA(readme.c_str(), FILE_ATTRIBUTE_READONLY);
    SeedPc("ps2");
    restart_.reset();
    DeleteFileA(Log);
    EXPECT_EQ(EndedWith(1), RunSetup(" /S /RESTART /LOG=C:\\setup.log", WatchForWindows(windows)));
    EXPECT_EQ("", windows);
    EXPECT_EQ("old", ReadTextFile(readme));
    EXPECT_TRUE(FileExists(std::string(Installed) + "\\HELP\\USING.TXT")) << "the files after it";
    EXPECT_EQ("Zorva PS/2 Wheel Mouse", TextOf(HKEY_LOCAL_MACHINE, Ps2Device, "DeviceDesc"));
    EXPECT_FALSE(restart_.requested());
    std::vector<std::string> lines = LogLines();
    for (const std::string line : {
             "skipped " + std::string(Installed) + "\\.\\README.TXT: The file cannot be written there. It may be "
             "read-only or in use, its folder may not exist, or the disk may be write-protected.",
             std::string("restart: no, the installation is incomplete"),
             std::string("exit code 1"),
         })
        EXPECT_TRUE(Logged(lines, line)) << line << "\n" << ReadTextFile(Log);

    // The first of three floppies, in a folder without the other two.
    CopyTree(WindowsPathOf(FLOPPIES_UNIX_PATH) + "\\DISK1", "C:\\floppy1");
    SeedPc("ps2");
    EXPECT_EQ(EndedWith(6), RunSetup(" /S /DIR=C:\\Floppy /LOG=C:\\setup.log", WatchForWindows(windows),
                                     "C:\\floppy1\\SETUP.EXE"));
    EXPECT_EQ("", windows);
    EXPECT_TRUE(Logged(LogLines(), "message: Please insert 'Zorva Wheel Mouse Disk 2' into your disk drive ! [Cancel]"))
        << ReadTextFile(Log);
    EXPECT_EQ("Standard PS/2 Port Mouse", TextOf(HKEY_LOCAL_MACHINE, Ps2Device, "DeviceDesc"));
}

namespace {

// What an installation leaves, for comparing two: the files and folders
// under C: that it can reach (all but the media and the test's own) with
// their bytes, and the registry keys it writes. A shortcut holds the times
// of its target as it found them when it was made: it is taken as the shell
// reads it, and the record's time and sum of its bytes are left out.
Snapshot Installation(const std::vector<std::string>& media)
{
    Snapshot shot;
    std::vector<std::string> skipped = media;
    skipped.push_back("C:\\test");
    AddFiles(shot, "C:", skipped, FileView::Bytes, false);
    for (const std::string& folder : {std::string("C:\\windows"), std::string("C:\\Program Files"), ProgramsFolder()})
        AddFiles(shot, folder, skipped);
    for (const char* key : {"Enum", "System\\CurrentControlSet\\Services\\Class\\Mouse", "SOFTWARE\\Classes\\CLSID",
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"})
        AddRegistryTree(shot, HKEY_LOCAL_MACHINE, key);
    for (auto& [path, value] : shot) {
        if (path.size() < 4 || lstrcmpiA(path.c_str() + path.size() - 4, ".lnk") != 0) continue;
        Shortcut link = ReadShortcut(path);
        value = link.target + " in " + link.workingDirectory + ", icon " + link.iconFile + std::to_string(link.icon);
    }
    auto record = shot.find(std::string(Installed) + "\\SETUP.REC");
    if (record != shot.end())
        record->second = std::regex_replace(record->second, std::regex("(\\.lnk=[a-z]+,[0-9]+),[0-9A-F]{16},[0-9A-F]{8}"),
                                            "$1,<made>");
    return shot;
}

}  // namespace

// The medium on a file server, in the wizard and unattended, and one whose
// deepest file lies as deep as Windows allows a path to go, install exactly
// what the medium on a drive installs. The PC is put back between them.
TEST_F(EndToEnd, AMediumOnAShareOrAsDeepAsAPathGoesInstallsWhatADriveMediumInstalls)
{
    CoInitialize(nullptr);
    const std::string share = LayOutShare();
    // The medium's longest path below it (SYSTEM\QXMOUSE.DR_ in the sample's)
    // ends at the longest path Windows allows, MAX_PATH - 1 characters.
    Snapshot files;
    AddFiles(files, Medium, {});
    size_t longest = 0;
    for (const auto& file : files) longest = std::max(longest, file.first.size() - std::strlen(Medium));
    std::string deep = "C:\\deep\\" + std::string(150, 'd');
    CreateDirectoryA("C:\\deep", nullptr);
    CreateDirectoryA(deep.c_str(), nullptr);
    deep += "\\" + std::string(MAX_PATH - 1 - longest - deep.size() - 1, 'e');
    CopyTree(Medium, deep);
    ASSERT_EQ(MAX_PATH - 1 - longest, deep.size());

    const struct {
        std::string medium;
        const char* arguments;
    } cases[] = {{Medium, ""}, {share, ""}, {share, " /S"}, {deep, " /S"}};
    SeedPc("ps2");
    const Snapshot before = Installation({Medium, "C:\\deep"});
    Snapshot drive;
    for (const auto& c : cases) {
        std::string windows;
        auto robot = *c.arguments ? WatchForWindows(windows) : ClickThrough(IDC_PS2_MOUSE, IDC_RESTART_LATER);
        EXPECT_EQ(EndedWith(0), RunSetup(c.arguments, robot, c.medium + "\\SETUP.EXE")) << c.medium << c.arguments;
        EXPECT_EQ("", windows) << c.medium;
        Snapshot installed = Installation({Medium, "C:\\deep"});
        if (drive.empty()) {
            ExpectPs2InstalledRestartLater();
            drive = installed;
        }
        EXPECT_EQ("", Differences(drive, installed)) << c.medium << c.arguments;
        RestoreSnapshot(before, installed);
        ASSERT_EQ("", Differences(before, Installation({Medium, "C:\\deep"}))) << "the PC put back";
    }
    CoUninitialize();
}

// Without its script a medium installs nothing, in any run: SETUP.INF
// missing, or held open by another program so that it cannot be read.
TEST_F(EndToEnd, AMediumWithoutItsScriptIsRefusedAndNothingChanges)
{
    const std::string script = std::string(Medium) + "\\SETUP.INF", kept = "C:\\SETUP.INF";
    ASSERT_TRUE(MoveFileA(script.c_str(), kept.c_str()));
    const struct {
        const char* arguments;
        bool held;  // the script is there, held open without sharing
    } cases[] = {{"", false}, {" -u", false}, {"", true}};
    for (const auto& c : cases) {
        SeedPc("ps2");
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.held) {
            CopyFileA(kept.c_str(), script.c_str(), FALSE);
            held = CreateFileA(script.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        }
        MessageBoxSeen box;
        EXPECT_EQ(EndedWith(0), RunSetup(c.arguments, [&] { box = DismissMessageBox(); })) << c.arguments;
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        DeleteFileA(script.c_str());
        EXPECT_EQ("SETUP.INF Reading error !", box.text) << c.arguments << c.held;
        EXPECT_EQ("Zorva Setup Program", box.caption);
        EXPECT_EQ(nullptr, box.owner);
        ExpectNothingChanged();
        EXPECT_EQ("<none>", RecordedIn(Medium, "PS2", "DeviceDesc")) << "nothing recorded beside the program";
    }
}

// How a driven program ended is told apart, so a test never reports a
// program that could not start, or ran past its limit, as something else.
TEST(RunDriven, TellsAnEndAStartThatFailedAndARunPastItsLimit)
{
    const struct {
        std::string command;
        DWORD limitMs;
        DrivenEnd expected;
        const char* text;
    } cases[] = {
        {"cmd.exe /c exit 3", 90000, EndedWith(3), "ended with code 3"},
        {"C:\\nowhere\\NOTHING.EXE", 90000, {DrivenEnd::NotStarted, ERROR_FILE_NOT_FOUND}, "could not start (error 2)"},
        {"\"" + SetupExePath() + "\"", 1500, {DrivenEnd::TimedOut, 1500}, "ran past its limit of 1500 ms"},
    };
    for (const auto& c : cases) {
        DrivenEnd end = RunDriven(c.command, [] {}, c.limitMs);
        EXPECT_EQ(c.expected, end) << c.command;
        EXPECT_EQ(c.text, end.text()) << c.command;
    }
}
