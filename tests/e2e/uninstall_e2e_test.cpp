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

    // The whole wizard, for a PS/2 mouse unless told, restart later.
    static void Install(int mouseButton = IDC_PS2_MOUSE)
    {
        DWORD exitCode = RunDriven(std::string("\"") + Medium + "\\SETUP.EXE\"", [=] {
            PageThroughToTheCopy(mouseButton);
            FinishWith(IDC_RESTART_LATER);
        });
        EXPECT_EQ(0u, exitCode);
    }

    // UNINSTAL.EXE from the installed folder: Yes to the question, No to the
    // restart. The closing report's text.
    static std::string RunUninstaller(MessageBoxSeen* question = nullptr)
    {
        MessageBoxSeen confirm, report;
        RunDriven("\"" + Installed + "\\UNINSTAL.EXE\"", [&] {
            confirm = AnswerMessageBox(IDYES, 30000);
            report = AnswerMessageBox(IDNO, 30000);
        });
        if (question != nullptr) *question = confirm;
        return report.text;
    }

    // After a complete removal only the uninstaller itself is left, waiting
    // for the restart in WININIT.INI, with the folder it lies in.
    void ExpectPcAsBefore()
    {
        EXPECT_EQ("+ " + Installed + "\n" + "+ " + Installed + "\\UNINSTAL.EXE\n" + "+ " + WindowsDirectory() +
                      "\\WININIT.INI\n",
                  Differences(before_, TakeSnapshot()));
    }

    Snapshot before_;
};

}  // namespace

TEST_F(Uninstall, RoundTripLeavesOnlyWhatWaitsForTheRestart)
{
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
}

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
    std::string report = RunUninstaller();
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

TEST_F(Uninstall, TwoInstallationsAreUndoneByOneRemoval)
{
    Install();
    Install();
    std::string report = RunUninstaller();
    EXPECT_EQ(std::string::npos, report.find("Left as they are")) << report;
    ExpectPcAsBefore();

    // A second run finds no record and changes nothing.
    Snapshot afterFirst = TakeSnapshot();
    MessageBoxSeen missing;
    RunDriven("\"" + Installed + "\\UNINSTAL.EXE\"", [&] { missing = AnswerMessageBox(IDOK, 30000); });
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
