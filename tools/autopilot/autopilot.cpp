// AUTOPILOT.EXE: walks through the setup wizard by itself, as a person would
// click it, for runs without a display. It starts SETUP.EXE, answers each
// page and message box, prints what it saw, and reports whether a restart
// of Windows was requested (it refuses the end of the session, so that the
// run can be inspected afterwards). Given UNINSTAL.EXE instead, it answers
// Yes to the removal and "now" or "later" to the restart. It acts through
// the tests' robot. With "pictures DIR" it also takes a picture of each
// page, of the Browse dialog, of the install page at work and of the
// driver-only mode's message, as PPM files in DIR.
//
// With "disks UNIX_DIR" the medium is a set of floppies, DISK1/, DISK2/ ...
// of that host folder, with the first in drive A:. When the setup asks for a
// disk by its label ([DiskLabel] of the first disk's script), the disk of
// that label goes into the drive before OK is pressed, as a person swaps it.
//
// Given switches from /S on, it runs the unattended setup with them and only
// watches: any window of the setup is a fault, reported by its class and
// title.
//
// Usage: AUTOPILOT.EXE SETUP_PATH [-u] [ps2|serial] [now|later] [pictures DIR] [disks UNIX_DIR]
//        AUTOPILOT.EXE SETUP_PATH /S [SWITCH...]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "resource.h"
#include "tests/support/robot.h"
#include "tests/support/wizard.h"
#include "tools/autopilot/pictures.h"
#include "tools/win98pc/floppy_drive.h"

void RobotFailed(const std::string& why)
{
    std::fprintf(stderr, "autopilot: %s\n", why.c_str());
    EndDrivenProgram();
    ExitProcess(1);
}

namespace {

bool Serial = false;
bool RestartNow = false;
bool DriverOnly = false;
std::string Disks;  // the host folder of DISK1/, DISK2/ ...; empty: no floppies

// One line for the log: line breaks shown as " / ".
std::string OneLine(std::string text)
{
    for (size_t at; (at = text.find("\n\n")) != std::string::npos;) text.replace(at, 2, " / ");
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

// Each page of the wizard's table as a person answers it; a page with
// nothing of its own here is moved on with Next.
void AnswerPage(HWND page, int step)
{
    switch (step) {
    case WelcomeStep:
        std::printf("Welcome page: %s\n", OneLine(ControlText(page, IDC_PAGE_TEXT2)).c_str());
        TakePicture(page, "welcome");
        break;
    case MouseTypeStep:
        std::printf("Mouse-type page: choosing %s\n", Serial ? "Serial Mouse" : "PS/2 Mouse");
        Click(page, Serial ? IDC_SERIAL_MOUSE : IDC_PS2_MOUSE);
        if (!DriverOnly) TakePicture(page, "mouse-type");
        break;
    case DirectoryStep: {
        std::string directory = ControlText(page, IDC_DIRECTORY);
        std::printf("Directory page: installing into %s\n", directory.c_str());
        if (!PictureDir.empty()) {
            TakePicture(page, "directory");
            PictureBrowseDialog(page);
            HoldFileOfInstallation(directory);
        }
        break;
    }
    case InstallStep:
        std::printf("Install page: copying\n");
        return;  // it runs by itself; its one button cancels
    case FinishStep:
        std::printf("Finish page: %s; restart %s\n", OneLine(ControlText(page, IDC_PAGE_TEXT)).c_str(),
                    RestartNow ? "now" : "later");
        Click(page, RestartNow ? IDC_RESTART_NOW : IDC_RESTART_LATER);
        TakePicture(page, "finish");
        break;
    default:
        std::printf("Page %s: Next\n", WizardPages[step].className);
        break;
    }
    Click(page, IDOK);
}

// A box with Yes and No is the uninstaller's: the first asks whether to
// remove the package (Yes), a later one whether to restart (now or later).
int ChooseButton(const MessageBoxSeen& box)
{
    static bool confirmed = false;
    std::printf("Message \"%s\": %s\n", box.caption.c_str(), OneLine(box.text).c_str());
    if (!box.hasButton[IDYES]) return IDOK;
    int button = !confirmed || RestartNow ? IDYES : IDNO;
    confirmed = true;
    std::printf("  answered %s\n", button == IDYES ? "Yes" : "No");
    return button;
}

// The number of the disk whose label the box names in quotes, as the
// prompt for a disk does; 0 when it names none.
int DiskAsked(const std::string& text)
{
    std::string script = "Z:" + Disks + "/DISK1/SETUP.INF";
    for (char& c : script)
        if (c == '/') c = '\\';
    for (int disk = 1; disk <= 6; ++disk) {
        char label[256] = "";
        GetPrivateProfileStringA("DiskLabel", ("Disk" + std::to_string(disk)).c_str(), "", label, sizeof label,
                                 script.c_str());
        if (*label != '\0' && text.find(std::string("'") + label + "'") != std::string::npos) return disk;
    }
    return 0;
}

// A prompt for a disk: the disk goes into drive A:, then OK.
int SwapDisk(const MessageBoxSeen& box)
{
    int disk = DiskAsked(box.text);
    if (disk == 0) return ChooseButton(box);
    std::printf("Message \"%s\": %s\n", box.caption.c_str(), OneLine(box.text).c_str());
    std::string folder = Disks + "/DISK" + std::to_string(disk);
    if (!InsertDisk(folder)) RobotFailed("drive A: cannot hold " + folder);
    std::printf("  DISK%d put into drive A:, answered OK\n", disk);
    return IDOK;
}

// The install page's status, printed as it changes.
void FollowStatus(std::string& last)
{
    HWND page = WaitForWindow(WizardPages[InstallStep].className, nullptr, 0);
    if (page == nullptr) return;
    std::string status = OneLine(ControlText(page, IDC_STATUS));
    std::string percent = ControlText(page, IDC_PERCENT);
    if (status.empty() || status + percent == last) return;
    last = status + percent;
    std::printf("  %s  [%s]\n", status.c_str(), percent.c_str());
}

// Answers whatever the program shows, each page once, until it ends.
void Drive()
{
    std::set<HWND> handled;
    std::string status;
    while (DrivenProgramRunning()) {
        if (HWND box = WaitForWindow("#32770", nullptr, 0)) {
            if (!PictureDir.empty() && Settled(box, 5000) && PictureInstallPage(box)) {
                MessageBoxSeen seen = AnswerMessageBox(IDRETRY, 5000);
                std::printf("Message \"%s\": %s\n  the file held for the picture is let go: answered Retry\n",
                            seen.caption.c_str(), OneLine(seen.text).c_str());
                continue;
            }
            if (DriverOnly && Settled(box, 5000)) TakePicture(box, "driver-only");
            AnswerMessageBox(Disks.empty() ? ChooseButton : SwapDisk, 5000);
            continue;
        }
        for (int step = 0; step < WizardStepCount; ++step) {
            HWND page = WaitForWindow(WizardPages[step].className, nullptr, 0);
            if (page == nullptr || handled.count(page) || !Settled(page, 5000)) continue;
            AnswerPage(page, step);
            handled.insert(page);
        }
        FollowStatus(status);
    }
}

// The unattended setup shows nothing: its first window ends the watch.
void WatchUnattended()
{
    while (DrivenProgramRunning()) {
        if (const char* windowClass = SetupWindowShown())
            RobotFailed(std::string("the unattended setup shows a window: ") + windowClass + " \"" +
                        OneLine(WindowText(LookForWindow(windowClass))) + "\"");
        Sleep(100);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: AUTOPILOT.EXE SETUP_PATH [-u] [ps2|serial] [now|later] [pictures DIR] "
                             "[disks UNIX_DIR]\n       AUTOPILOT.EXE SETUP_PATH /S [SWITCH...]\n");
        return 2;
    }
    // The unattended setup's switches pass as they are.
    std::string switches;
    bool unattended = argc > 2 && lstrcmpiA(argv[2], "/S") == 0;
    for (int i = 2; unattended && i < argc; ++i) switches += std::string(" ") + argv[i];
    for (int i = 2; !unattended && i < argc; ++i) {
        if (std::strcmp(argv[i], "-u") == 0) DriverOnly = true;
        else if (std::strcmp(argv[i], "disks") == 0 && i + 1 < argc) Disks = argv[++i];
        else if (std::strcmp(argv[i], "pictures") == 0 && i + 1 < argc) PictureDir = argv[++i];
        else if (std::strcmp(argv[i], "serial") == 0) Serial = true;
        else if (std::strcmp(argv[i], "now") == 0) RestartNow = true;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    RestartRefusal refusal;
    std::string command = std::string("\"") + argv[1] + "\"" + (DriverOnly ? " -u" : "") + switches;
    std::printf("autopilot: started %s\n", command.c_str());
    DrivenEnd end = RunDriven(command, unattended ? WatchUnattended : Drive, 300000);
    if (end.how != DrivenEnd::Ended) {
        std::fprintf(stderr, "autopilot: %s %s\n", argv[1], end.text().c_str());
        return 1;
    }
    DWORD exitCode = end.code;
    if (refusal.requested()) std::printf("autopilot: Windows is asked to restart (the request is refused here)\n");
    std::printf("autopilot: the setup ended (exit code %lu); restart requested: %s\n",
                static_cast<unsigned long>(exitCode), refusal.requested() ? "yes" : "no");
    return 0;
}
