// The uninstaller's run: confirm, close the companion application, undo
// the registry, system.ini and the files in that order, report once.
#include <windows.h>

#include "install/setup_script.h"
#include "shell/globals.h"
#include "shell/self_check.h"
#include "shell/services.h"
#include "uninstall/outcome.h"
#include "record/installed_record.h"
#include "uninstall/record_check.h"
#include "uninstall/rollback.h"
#include "uninstall/undo_files.h"
#include "uninstall/undo_registry.h"

namespace {

FixedText<96> Caption;

// Why nothing was removed: the installed script or the record is missing,
// cannot be read, holds nothing, or names what the installation cannot have
// made.
const char* const ScriptFile = "The installed script, SETUP.INF";
const char* const RecordFile = "The record of the installation, SETUP.REC";
const char* const JournalFile = "The record of an installation that did not finish, SETUP.RUN in the Windows folder";

bool RecordSound();

void TellNothingRemoved(const char* file, const char* why, const char* line = nullptr)
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self - 1);
    FixedText<1024> text;
    text.assign(file);
    // The journal lies in the Windows folder; the others beside this program.
    if (file != JournalFile) text.append(" beside ").append(self);
    text.append(", ")
        .append(why)
        .append(line != nullptr ? ":\n\n" : ".")
        .append(line)
        .append("\n\nWithout a sound record the uninstaller cannot tell what the installation changed. Nothing "
                "has been removed.");
    MessageBoxA(nullptr, text, "Uninstall", MB_OK | MB_ICONEXCLAMATION);
}

// The installed SETUP.INF and the record lie beside this program; the
// loader reads the script from there, and everything of the installation is
// found from the two. An installation that did not finish is known by its
// journal instead, taken up once the removal is confirmed. False when the
// user was told why nothing can be removed.
bool LoadRecord(bool& leftRun)
{
    ReadWindowsDirectory();
    char self[MAX_PATH] = "", script[MAX_PATH];
    char* name = nullptr;
    GetModuleFileNameA(nullptr, self, sizeof self - 1);
    DWORD length = GetFullPathNameA(self, sizeof script, script, &name);
    if (length == 0 || length >= sizeof script || name == nullptr || name - script + 10 > MAX_PATH) return false;
    lstrcpynA(name, "SETUP.INF", 10);
    if (GetFileAttributesA(script) == INVALID_FILE_ATTRIBUTES) return TellNothingRemoved(ScriptFile, "is missing"), false;
    if (!LoadInstalledScript()) return TellNothingRemoved(ScriptFile, "cannot be read"), false;
    FixedText<MAX_PATH> journal;
    leftRun = JournalPath(journal) && GetFileAttributesA(journal) != INVALID_FILE_ATTRIBUTES;
    if (leftRun) return true;
    return RecordSound();
}

// The record beside this program, present and sound; else the user is told.
bool RecordSound()
{
    if (!RecordPresent()) return TellNothingRemoved(RecordFile, "is missing or holds nothing"), false;
    FixedText<600> offending;
    if (!RecordIsSound(offending))
        return TellNothingRemoved(RecordFile,
                                  "holds a line that names something no installation of the package can have made",
                                  offending),
               false;
    return true;
}

// The installation that did not finish goes first; false when it cannot.
bool TakeUpLeftRunOrTellUser()
{
    FixedText<600> offending;
    switch (TakeUpLeftRun(offending)) {
    case TakeUp::Refused:
        TellNothingRemoved(JournalFile,
                           "holds a line that names something no installation of the package can have made",
                           offending);
        return false;
    case TakeUp::InUse:
        MessageBoxA(nullptr, LoadText(IDS_RUN_UNDER_WAY), Caption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    default: return true;
    }
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Result = FreshOutcome();
    Instance = instance;
    ProductName.clear();
    if (!ProgramFileIntactOrTellUser()) return 0;
    bool leftRun = false;
    if (!LoadRecord(leftRun)) return 0;
    Caption.assign(ProductName).append(" Uninstall");
    if (!Confirmed()) return 0;
    CloseCompanionApplication();
    if (leftRun && !TakeUpLeftRunOrTellUser()) return 0;
    // What an installation that finished before holds goes too.
    if (!leftRun || (RecordPresent() && RecordSound())) {
        UndoRegistry(true, true);
        UndoSystemIni();
        UndoFiles(true);
    }
    Report();
    return 0;
}
