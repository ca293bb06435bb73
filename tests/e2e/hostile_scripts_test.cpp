// The real SETUP.EXE against every hostile script of tests/e2e/hostile, one
// after the other in one prefix per shard (the shards run side by side, each
// taking every Shards-th script): it never crashes or hangs; it either
// refuses the script with "SETUP.INF Reading error !" and its caption, or
// reaches the Welcome page, where the robot cancels. Nothing outside its
// scratch folder (C:\hostile, where the program and the script lie)
// changes, on disk or in the registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/registry.h"
#include "tests/support/robot.h"
#include "tests/support/snapshot.h"
#include "tests/support/test_env.h"
#include "tests/support/wizard.h"

namespace {

const char* const Scratch = "C:\\hostile";

// Every file of the drive outside the scratch folder and the user folders
// (Wine's links into the host's home directory): size and time of the last
// write.
Snapshot Files()
{
    Snapshot state;
    AddFiles(state, "C:", {Scratch, "C:\\users"}, FileView::Stamped);
    return state;
}

// The parts of the registry that the program writes when it installs: the
// device and class entries, the application entries and its class id.
Snapshot Registry()
{
    Snapshot state;
    for (const char* path : {"Enum", "System\\CurrentControlSet\\Services\\Class",
                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                             "SOFTWARE\\Classes\\CLSID\\{6A1C3F20-5B7E-11d1-9C4A-0080C7E21D55}"})
        AddRegistryTree(state, HKEY_LOCAL_MACHINE, path);
    return state;
}

std::vector<std::string> Scripts()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((WindowsPathOf(HOSTILE_SCRIPTS_UNIX_PATH) + "\\*.inf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// The product name the program takes from a script: read the same way
// (the platform's profile functions, default "Zorva") and cut to 71.
std::string ProductNameOf(const std::string& script)
{
    char name[256] = "";
    GetPrivateProfileStringA("Main", "ProductName", "Zorva", name, sizeof name, script.c_str());
    return std::string(name).substr(0, 71);
}

struct SetupRun {
    DrivenEnd end;
    MessageBoxSeen refusal;   // the box that refused the script
    bool welcome = false;     // the Welcome page came and was cancelled
    MessageBoxSeen notice;    // the not-completed notice after the cancel
};

SetupRun RunSetup()
{
    SetupRun run;
    run.end = RunDriven(std::string("\"") + Scratch + "\\SETUP.EXE\"", [&] {
        // Whichever comes first while the program runs: the refusal or the
        // Welcome page. A script of 32767 files takes its time: that many
        // profile reads.
        HWND box = nullptr, welcome = nullptr;
        WaitUntil([&] {
            box = LookForWindow("#32770");
            welcome = LookForWindow(WizardPages[WelcomeStep].className);
            return box != nullptr || welcome != nullptr || !DrivenProgramRunning();
        }, 150000);
        if (box != nullptr) {
            run.refusal = DismissMessageBox();
        } else if (welcome != nullptr) {
            Click(WaitForStep(WelcomeStep), IDCANCEL);
            run.welcome = true;
            run.notice = DismissMessageBox();
        }
    }, 180000);
    return run;
}

const int Shards = 4;

class HostileScripts : public testing::TestWithParam<int> {};

}  // namespace

TEST_P(HostileScripts, NeverCrashOrHangAndTouchNothingOutsideTheirFolder)
{
    std::vector<std::string> all = Scripts(), scripts;
    ASSERT_GE(all.size(), 40u);
    for (size_t i = GetParam(); i < all.size(); i += Shards) scripts.push_back(all[i]);
    CreateDirectoryA(Scratch, nullptr);
    const std::string script = std::string(Scratch) + "\\SETUP.INF";
    ASSERT_TRUE(CopyFileA(SetupExePath().c_str(), (std::string(Scratch) + "\\SETUP.EXE").c_str(), FALSE));
    // A Windows 98 PC with a mouse: device and class entries that an
    // installation would change.
    ASSERT_EQ(0u, RunProgram("\"" + WindowsPathOf(WIN98PC_EXE_UNIX_PATH) + "\" ps2"));
    Snapshot registryBefore = Registry();
    ASSERT_GT(registryBefore.size(), 10u);
    Snapshot filesBefore = Files();

    for (const std::string& name : scripts) {
        SCOPED_TRACE(name);
        std::printf("%s\n", name.c_str());  // shows where a hang happened
        std::fflush(stdout);
        const std::string source = WindowsPathOf(HOSTILE_SCRIPTS_UNIX_PATH) + "\\" + name;
        // Each script's failure is told, and the corpus goes on.
        if (!CopyFileA(source.c_str(), script.c_str(), FALSE)) {
            ADD_FAILURE() << "cannot copy the script (error " << GetLastError() << ")";
            continue;
        }
        // The copy keeps the source's time, and scripts checked out in the
        // same second share it: the platform's profile cache, which goes by
        // path and time, would give this process the previous script.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, script.c_str());
        std::string comment = ReadTextFile(script);
        comment = comment.substr(0, comment.find('\n'));
        bool refuse = comment.find("[refused]") != std::string::npos;
        std::string product = ProductNameOf(script);

        // The script the program cannot read: held open without sharing.
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (name == "locked.inf") {
            lock = CreateFileA(script.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            EXPECT_NE(INVALID_HANDLE_VALUE, lock);
            product = "Zorva";  // every key takes its default
        }
        SetupRun run = RunSetup();
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);

        EXPECT_EQ(EndedWith(0), run.end);
        if (run.end.how == DrivenEnd::Ended && refuse) {  // else its boxes were never seen
            EXPECT_TRUE(run.refusal.seen) << "not refused";
            EXPECT_EQ("SETUP.INF Reading error !", run.refusal.text);
            EXPECT_EQ(product + " Setup Program", run.refusal.caption);
        } else if (run.end.how == DrivenEnd::Ended) {
            EXPECT_FALSE(run.refusal.seen) << "refused: " << run.refusal.text;
            EXPECT_TRUE(run.welcome) << "no Welcome page";
            EXPECT_EQ(product + " installation is not completed !", run.notice.text);
        }
        Snapshot files = Files();
        EXPECT_TRUE(files == filesBefore) << "files changed:\n" << Differences(filesBefore, files);
        filesBefore = files;  // one report per change
    }
    Snapshot registry = Registry();
    EXPECT_TRUE(registry == registryBefore) << "registry changed:\n" << Differences(registryBefore, registry);
}

INSTANTIATE_TEST_SUITE_P(Shard, HostileScripts, testing::Range(0, Shards));
