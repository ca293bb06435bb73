// The program's entry: the run modes (the wizard, the driver-only run and
// the unattended installation) and the walk through the wizard's pages.
#include <windows.h>

#include "install/setup_script.h"
#include "shell/switches.h"
#include "entry/wizard_pages.h"
#include "install/copy_engine.h"
#include "pages/pages.h"
#include "shell/backdrop.h"
#include "shell/globals.h"
#include "shell/handles.h"
#include "shell/page_runner.h"
#include "shell/self_check.h"
#include "shell/services.h"
#include "shell/setup_log.h"
#include "sysconfig/driver_registration.h"
#include "sysconfig/system_ini.h"
#include "record/installed_record.h"
#include "undo/outcome.h"
#include "undo/rollback.h"

namespace {

// A medium whose SETUP.INF is missing or cannot be opened is refused as a
// script the loader refuses: the loader would run on its defaults, and
// register the driver with empty names.
bool LoadScriptOrTellUser()
{
    ReadWindowsDirectory();
    if (LoadSetupScript() && FileHandle(CreateFileA(SetupScriptPath(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)))
        return true;
    Tell(nullptr, LoadText(IDS_READ_ERROR), MessageCaption, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// Before anything new: an installation that another run left unfinished
// (ended hard, or the power went) is taken back. False when it cannot be,
// and the user was told.
bool TakeUpLeftRunOrTellUser()
{
    FixedText<600> offending;
    TakeUp result = TakeUpLeftRun(offending);
    if (result == TakeUp::InUse) Tell(nullptr, LoadText(IDS_RUN_UNDER_WAY), MessageCaption, MB_OK | MB_ICONEXCLAMATION);
    if (result == TakeUp::Refused) {
        FixedText<1024> text;
        FormatText(text, LoadText(IDS_LEFT_RUN_REFUSED), offending.c_str());
        Tell(nullptr, text, MessageCaption, MB_OK | MB_ICONEXCLAMATION);
    }
    return result != TakeUp::InUse && result != TakeUp::Refused;
}

// An installation that stopped (Abort, Cancel, a missing disk) puts back
// what it changed, then says so.
void RollBackAndTell(HWND owner)
{
    Outcome& outcome = *(Result = FreshOutcome());
    bool back = !RunOpen() || RollBackRun();
    Result = nullptr;
    FixedText<4096> text;
    text.assign(ProductName).append(LoadText(IDS_NOT_COMPLETED));
    if (back) text.append(LoadText(IDS_NOTHING_CHANGED));
    else text.append(LoadText(IDS_NOT_PUT_BACK)).append(outcome.left).append(outcome.waiting);
    Tell(owner, text, MessageCaption, MB_OK | MB_ICONEXCLAMATION);
}

// The run's record takes its place once the installation is done.
void EndInstallation()
{
    EndRun(true);
    if (!SettleRecord()) LogLine("the record of the installation cannot be written into %s", InstallDir.c_str());
}

// The end of every way out of the full installation once the script is loaded.
int Release()
{
    FreeInstallList();
    return 0;
}

// The companion application is asked to close before its files are replaced;
// nobody waits for it.
void CloseCompanionApplication()
{
    HWND companion = FindWindowA(nullptr, "Rollvane");
    if (companion != nullptr) SendMessageA(companion, WM_CLOSE, 0, 0);
}

int RunDriverOnly()
{
    if (!LoadScriptOrTellUser() || !TakeUpLeftRunOrTellUser()) return 0;
    MouseBackEnabled = 0;
    if (RunWizardPage(MouseTypeStep) == PageCancel) return 0;
    // The registration refers to the directory the program was started from.
    InstallDir.assign(SetupDir);
    UpdateRegistry(0);
    Tell(nullptr, LoadText(IDS_DRIVER_INSTALLED), MessageCaption, MB_OK | MB_ICONINFORMATION);
    ExitWindowsEx(EWX_REBOOT, 0);
    return 0;
}

// The mouse line of [386Enh] is switched to the standard device, and the
// log gets it as it was and as it is. A system.ini that could not be edited
// is left as it was; the user is told, for the Finish page speaks only of
// the files. False then.
bool SwitchSystemIni()
{
    FixedText<256> before, after;
    FindMouseLine(before);
    SystemIniSwitch done = UpdateSystemIni();
    FindMouseLine(after);
    LogLine("system.ini: \"%s\" is now \"%s\"%s", before.c_str(), after.c_str(),
            done.deviceMoved ? ", VMOUSE.VXD is now VMOUSE.BAK" : "");
    if (!done.lineSet)
        Tell(BackdropWindow, LoadText(IDS_SYSTEM_INI_UNCHANGED), MessageCaption, MB_OK | MB_ICONEXCLAMATION);
    return done.lineSet;
}

int CompleteInstallation()
{
    SwitchSystemIni();
    EndInstallation();
    RunWizardPage(FinishStep);
    FreeInstallList();
    DestroyWindow(BackdropWindow);
    BackdropWindow = nullptr;
    LogLine(RestartWindows == 1 ? "restart: now" : "restart: later, as the user chose");
    if (RestartWindows == 1) ExitWindowsEx(EWX_REBOOT, 0);
    return 0;
}

// Only the Windows 95/98 family sets bit 31 of the version.
bool Windows9xOrTellUser()
{
    if ((GetVersion() & 0x80000000u) != 0) return true;
    Tell(nullptr, LoadText(IDS_WIN9X_ONLY), "Warning", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// The installation without a window: the wizard's checks and work, with the
// folder and the mouse from the switches and every question answered as
// Tell decides.
int RunUnattended(const Switches& switches)
{
    if (!Windows9xOrTellUser()) return NotWindows9x;
    if (!LoadScriptOrTellUser()) return Release(), ScriptUnreadable;
    if (!TakeUpLeftRunOrTellUser()) return Release(), LeftRunRefused;
    if (switches.mouse >= 0) SerialMouse = switches.mouse;
    if (!switches.dir.empty()) InstallDir.assign(switches.dir);
    if (uint16_t refused = TakeInstallDir()) {
        Tell(nullptr, LoadText(refused), MessageCaption, MB_OK);
        Release();
        return refused == IDS_NO_FREE_SPACE ? NoSpace : FolderRefused;
    }
    CloseCompanionApplication();
    InstallPackage(nullptr);
    if (PageResult == PageCancel) {  // the only stop nobody chose
        RollBackAndTell(nullptr);
        return Release(), DiskMissing;
    }
    int code = SwitchSystemIni() && SkippedCount == 0 ? Installed : Incomplete;
    EndInstallation();
    Release();
    bool restart = switches.restart && code == Installed;
    LogLine(restart ? "restart: now" : switches.restart ? "restart: no, the installation is incomplete" : "restart: no");
    if (restart) ExitWindowsEx(EWX_REBOOT, 0);
    return code;
}

// The pages before the copy, one after another from the table: Back goes to
// the page before (the first has none, and takes Back as Next), Cancel ends
// the run. There is no way back once the copy has begun.
int RunFullInstall()
{
    if (!Windows9xOrTellUser()) return 0;
    if (!LoadScriptOrTellUser() || !TakeUpLeftRunOrTellUser()) return Release();
    if (!CreateBackdrop()) return Release();

    for (int step = WelcomeStep; step < InstallStep;) {
        int16_t result = RunWizardPage(step);
        if (result == PageCancel) return Release();
        if (result == PageBack && step > WelcomeStep) --step;
        else if (++step == InstallStep) CloseCompanionApplication();
    }
    // There is no way back once the copy has begun.
    if (RunWizardPage(InstallStep) == PageCancel) {
        RollBackAndTell(BackdropWindow);
        return Release();
    }
    return CompleteInstallation();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    ProductName.clear();
    Instance = instance;
    MouseBackEnabled = RestartWindows = SerialMouse = 1;
    ScreenWidth = static_cast<int16_t>(GetSystemMetrics(SM_CXSCREEN));
    ScreenHeight = static_cast<int16_t>(GetSystemMetrics(SM_CYSCREEN));
    // Only the first two characters count: "-u" and anything after it.
    if (commandLine[0] == '-' && commandLine[1] == 'u') return ProgramFileIntactOrTellUser() ? RunDriverOnly() : 0;

    Switches switches;
    bool understood = ReadSwitches(commandLine, switches);
    StartRun(switches, "SETUP.EXE", commandLine);
    int code = !ProgramFileIntactOrTellUser() ? ProgramDamaged
               : !understood                  ? BadCommandLine
               : Unattended                   ? RunUnattended(switches)
                                              : RunFullInstall();
    // The wizard's run ends with 0 whatever came of it, as it always has.
    if (!Unattended) code = 0;
    LogLine("exit code %d", code);
    CloseLog();
    return code;
}
