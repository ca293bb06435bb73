// An installation that did not finish, taken back: the run of this process
// that stopped (Abort, Cancel, a missing disk), or one that another process
// left when it was ended hard or the power went. The next run of SETUP.EXE,
// in any mode, and UNINSTAL.EXE take such a run up before anything else.
#ifndef UNDO_ROLLBACK_H
#define UNDO_ROLLBACK_H

#include "shell/fixed_text.h"

// The run's changes undone (the open run's, or the one FindLeftRun found), the last first: the files it made go, the
// files it replaced come back, and its folders, shortcut, registry values
// and system.ini are as they were before it began. The log lists each step;
// what could not be put back goes into Result when the caller keeps one.
// True when everything is back as it was.
bool RollBackRun();

enum class TakeUp { Nothing, Done, Refused, InUse };

// A run another process left is undone, or, when it had ended, its record
// put in place. Refused: its journal names what no run of this package can
// have made (offending gives the line), and nothing was done. InUse:
// another process is running the installation now. InstallDir stays as it
// was.
TakeUp TakeUpLeftRun(FixedText<600>& offending);

#endif
