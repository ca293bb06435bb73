// The uninstaller's run: confirm, close the companion application, undo
// the registry, system.ini and the files in that order, report once.
#include "uninstall/uninstall.h"

#include "install/setup_script.h"
#include "shell/globals.h"
#include "shell/services.h"

Outcome* Result = nullptr;

namespace {

FixedText<96> Caption;

// The installed SETUP.INF lies beside this program; the loader reads it from
// there, and everything of the installation is found from it.
bool LoadInstalledScript()
{
    ReadWindowsDirectory();
    if (!LoadSetupScript()) return false;
    InstallDir.assign(SetupDir);
    FixedText<MAX_PATH> script;
    return script.assignWhole(SetupDir) && script.appendWhole("\\SETUP.INF") &&
           GetFileAttributesA(script) != INVALID_FILE_ATTRIBUTES;
}

void TellScriptMissing()
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self - 1);
    FixedText<512> text;
    text.assign("The record of the installation, SETUP.INF, is missing beside ")
        .append(self)
        .append(".\n\nWithout it the uninstaller cannot tell what the installation changed. Nothing has been "
                "removed.");
    MessageBoxA(nullptr, text, "Uninstall", MB_OK | MB_ICONEXCLAMATION);
}

bool Confirmed()
{
    FixedText<256> text;
    text.assign("Remove ").append(ProductName).append(
        " from this computer, and put back the mouse settings it replaced?");
    return MessageBoxA(nullptr, text, Caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The companion application is asked to close before its files go.
void CloseCompanionApplication()
{
    HWND companion = FindWindowA(nullptr, "Rollvane");
    if (companion != nullptr) SendMessageA(companion, WM_CLOSE, 0, 0);
}

// One box: what was removed, what was left and why, and a restart when
// files wait for it.
void Report()
{
    FixedText<8192> text;
    text.assign(ProductName).append(" has been removed.\n\n").append(Result->done);
    if (!Result->left.empty()) text.append("\nLeft as they are:\n").append(Result->left);
    if (Result->waiting.empty()) {
        MessageBoxA(nullptr, text, Caption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    text.append("\nRemoved when Windows restarts (in use now):\n")
        .append(Result->waiting)
        .append("\nRestart Windows now?");
    if (MessageBoxA(nullptr, text, Caption, MB_YESNO | MB_ICONQUESTION) == IDYES) ExitWindowsEx(EWX_REBOOT, 0);
}

}  // namespace

void Leave(const char* what, const char* why)
{
    Result->left.append("- ").append(what).append(": ").append(why).append("\n");
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Outcome outcome;
    Result = &outcome;
    Instance = instance;
    ProductName.clear();
    if (!LoadInstalledScript()) {
        TellScriptMissing();
        return 0;
    }
    Caption.assign(ProductName).append(" Uninstall");
    if (!Confirmed()) return 0;
    CloseCompanionApplication();
    UndoRegistry();
    UndoSystemIni();
    UndoFiles();
    Report();
    return 0;
}
