// The uninstaller's run: confirm, close the companion application, undo
// the registry, system.ini and the files in that order, report once.
#include <windows.h>

#include "install/setup_script.h"
#include "shell/globals.h"
#include "shell/self_check.h"
#include "shell/services.h"
#include "shell/setup_log.h"
#include "shell/switches.h"
#include "undo/outcome.h"
#include "record/installed_record.h"
#include "undo/record_check.h"
#include "undo/rollback.h"
#include "undo/undo_files.h"
#include "undo/undo_registry.h"

namespace {

// What the removal without a window ends with.
enum RemovalCode {
    Removed = 0,                   // everything removed
    RemovedLeavingSome = 1,        // removed, but something was left: the log names what and why
    RemovedAtRestart = 2,          // removed; files in use go when Windows restarts
    RecordRefused = 3,             // the installed script or the record is missing, unreadable or unsound: nothing removed
    CommandLineNotUnderstood = 4,  // a switch not understood: nothing removed
    ProgramDamagedCode = 5,        // UNINSTAL.EXE itself is damaged: nothing removed
    NotConfirmed = 6,              // the user said No (never without a window)
};

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
    Tell(nullptr, text, "Uninstall", MB_OK | MB_ICONEXCLAMATION);
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
        Tell(nullptr, LoadText(IDS_RUN_UNDER_WAY), Caption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    default: return true;
    }
}

// Nobody is asked in the removal without a window.
bool Confirmed()
{
    FixedText<256> text;
    text.assign("Remove ").append(ProductName).append(
        " from this computer, and put back the mouse settings it replaced?");
    return Unattended || MessageBoxA(nullptr, text, Caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The companion application is asked to close before its files go.
void CloseCompanionApplication()
{
    HWND companion = FindWindowA(nullptr, "Rollvane");
    if (companion != nullptr) SendMessageA(companion, WM_CLOSE, 0, 0);
}

// One box: what was removed, what was left and why, and a restart when
// files wait for it. Without a window the log has each step already; a
// restart comes with /RESTART, and only when files other than this program
// wait for it (this program always goes at the next restart).
void Report(bool restart)
{
    FixedText<8192> text;
    text.assign(ProductName).append(" has been removed.\n\n").append(Result->done);
    if (!Result->left.empty()) text.append("\nLeft as they are:\n").append(Result->left);
    if (Unattended) {
        restart = restart && Result->othersWaiting > 0;
        LogLine(restart ? "restart: now" : "restart: no");
        if (restart) ExitWindowsEx(EWX_REBOOT, 0);
        return;
    }
    if (Result->waiting.empty()) {
        MessageBoxA(nullptr, text, Caption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    text.append("\nRemoved when Windows restarts (in use now):\n")
        .append(Result->waiting)
        .append("\nRestart Windows now?");
    if (MessageBoxA(nullptr, text, Caption, MB_YESNO | MB_ICONQUESTION) == IDYES) ExitWindowsEx(EWX_REBOOT, 0);
}

// The removal, once the program and its command line are sound.
RemovalCode Remove(bool restart)
{
    bool leftRun = false;
    if (!LoadRecord(leftRun)) return RecordRefused;
    Caption.assign(ProductName).append(" Uninstall");
    if (!Confirmed()) return NotConfirmed;
    CloseCompanionApplication();
    if (leftRun && !TakeUpLeftRunOrTellUser()) return RecordRefused;
    // What an installation that finished before holds goes too.
    if (!leftRun || (RecordPresent() && RecordSound())) {
        UndoRegistry(true, true);
        UndoSystemIni();
        UndoFiles(true);
    }
    Report(restart);
    return !Result->left.empty() ? RemovedLeavingSome : Result->othersWaiting > 0 ? RemovedAtRestart : Removed;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    Result = FreshOutcome();
    Instance = instance;
    ProductName.clear();
    // The switches of SETUP.EXE's unattended run that a removal has.
    Switches switches;
    bool understood = ReadSwitches(commandLine, switches) && switches.mouse < 0 && switches.dir.empty();
    StartRun(switches, "UNINSTAL.EXE", commandLine);
    RemovalCode code = !ProgramFileIntactOrTellUser() ? ProgramDamagedCode
                       : !understood                  ? CommandLineNotUnderstood
                                                      : Remove(switches.restart);
    LogLine("exit code %d", code);
    CloseLog();
    // The removal with its windows ends with 0, as it always has.
    return Unattended ? code : 0;
}
