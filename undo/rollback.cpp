#include "undo/rollback.h"

#include "record/installed_record.h"
#include "shell/globals.h"
#include "shell/setup_log.h"
#include "undo/outcome.h"
#include "undo/record_check.h"
#include "undo/undo_files.h"
#include "undo/undo_registry.h"

bool RollBackRun()
{
    // The uninstaller's report takes what this leaves; the setup program
    // only tells whether all is back.
    Outcome* kept = Result;
    if (Result == nullptr) Result = FreshOutcome();
    LogLine("undoing the installation into %s", InstallDir.c_str());
    SettleTemporaries();
    // Only what the run changed first is undone: what an earlier
    // installation had made stays the package's, and its entries with it.
    bool earlier = ReadOnlyRunChanges();
    UndoSystemIni();
    UndoRegistry(!earlier, false);
    UndoFiles(false);
    EndRun(false);
    if (!SettleRecord()) Leave("the record of the installation", "it cannot be written");
    bool back = Result->left.empty() && Result->waiting.empty();
    LogLine(back ? "undone: the computer is as it was before" : "undone, but not all of it");
    Result = kept;
    return back;
}

TakeUp TakeUpLeftRun(FixedText<600>& offending)
{
    FixedText<MAX_PATH> folder;
    folder.assign(InstallDir);
    TakeUp result = TakeUp::Done;
    switch (FindLeftRun()) {
    case LeftRun::None: return TakeUp::Nothing;
    case LeftRun::InUse: return TakeUp::InUse;
    case LeftRun::Ended:
        LogLine("the installation into %s ended; its record goes in place", InstallDir.c_str());
        SettleRecord();
        break;
    case LeftRun::Unfinished:
        LogLine("the installation into %s did not finish", InstallDir.c_str());
        if (!RecordIsSound(offending)) result = TakeUp::Refused;
        else RollBackRun();
        break;
    }
    InstallDir.assign(folder);
    return result;
}
