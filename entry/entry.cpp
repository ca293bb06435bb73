// The program's entry: the two run modes and the page sequence of the full
// installation.
#include <windows.h>

#include "install/setup_script.h"
#include "pages/pages.h"
#include "shell/backdrop.h"
#include "shell/globals.h"
#include "shell/page_runner.h"
#include "shell/self_check.h"
#include "shell/services.h"
#include "sysconfig/driver_registration.h"
#include "sysconfig/system_ini.h"

namespace {

bool LoadScriptOrTellUser()
{
    ReadWindowsDirectory();
    if (LoadSetupScript()) return true;
    MessageBoxA(nullptr, LoadText(IDS_READ_ERROR), MessageCaption, MB_OK | MB_ICONEXCLAMATION);
    return false;
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
    if (!LoadScriptOrTellUser()) return 0;
    MouseBackEnabled = 0;
    if (RunPage("SETUP_SELMOUSE", MouseTypePageProc, IDD_SELMOUSE) == PageCancel) return 0;
    // The registration refers to the directory the program was started from.
    InstallDir.assign(SetupDir);
    UpdateRegistry(0);
    MessageBoxA(nullptr, LoadText(IDS_DRIVER_INSTALLED), MessageCaption, MB_OK | MB_ICONINFORMATION);
    ExitWindowsEx(EWX_REBOOT, 0);
    return 0;
}

int CompleteInstallation()
{
    // A system.ini that could not be edited is left as it was; the user is
    // told, for the Finish page speaks only of the files.
    if (!UpdateSystemIni().lineSet)
        MessageBoxA(BackdropWindow, LoadText(IDS_SYSTEM_INI_UNCHANGED), MessageCaption, MB_OK | MB_ICONEXCLAMATION);
    RunPage("SETUP_END", FinishPageProc, IDD_FINISH);
    FreeInstallList();
    DestroyWindow(BackdropWindow);
    BackdropWindow = nullptr;
    if (RestartWindows == 1) ExitWindowsEx(EWX_REBOOT, 0);
    return 0;
}

enum class Page { Welcome, MouseType, Directory, Install };

int RunFullInstall()
{
    // Only the Windows 95/98 family sets bit 31 of the version.
    if ((GetVersion() & 0x80000000u) == 0) {
        MessageBoxA(nullptr, LoadText(IDS_WIN9X_ONLY), "Warning", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    if (!LoadScriptOrTellUser()) return 0;
    if (!CreateBackdrop()) return Release();

    Page page = Page::Welcome;
    for (;;) {
        switch (page) {
        case Page::Welcome:
            if (RunPage("SETUP_BEGIN", WelcomePageProc, IDD_WELCOME) == PageCancel) return Release();
            page = Page::MouseType;
            break;
        case Page::MouseType: {
            int16_t result = RunPage("SETUP_SELMOUSE", MouseTypePageProc, IDD_SELMOUSE);
            if (result == PageCancel) return Release();
            page = result == PageBack ? Page::Welcome : Page::Directory;
            break;
        }
        case Page::Directory: {
            int16_t result = RunPage("SETUP_SELDIR", DirectoryPageProc, IDD_SELDIR);
            if (result == PageCancel) return Release();
            if (result == PageBack) {
                page = Page::MouseType;
                break;
            }
            CloseCompanionApplication();
            page = Page::Install;
            break;
        }
        case Page::Install:
            // There is no way back once the copy has begun.
            if (RunPage("SETUP_INSTALL", InstallPageProc, IDD_INSTALL) == PageCancel) return Release();
            return CompleteInstallation();
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    ProductName.clear();
    Instance = instance;
    MouseBackEnabled = RestartWindows = SerialMouse = 1;
    if (!ProgramFileIntactOrTellUser()) return 0;
    ScreenWidth = static_cast<int16_t>(GetSystemMetrics(SM_CXSCREEN));
    ScreenHeight = static_cast<int16_t>(GetSystemMetrics(SM_CYSCREEN));
    // Only the first two characters count: "-u" and anything after it.
    if (commandLine[0] == '-' && commandLine[1] == 'u') return RunDriverOnly();
    return RunFullInstall();
}
