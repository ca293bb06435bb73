// What UNINSTAL.EXE's closing report tells: what was done, what was left
// and why, and the files that wait for the restart of Windows. Every step
// of the removal adds to it.
#ifndef UNDO_OUTCOME_H
#define UNDO_OUTCOME_H

#include "shell/fixed_text.h"

struct Outcome {
    FixedText<2048> done;
    FixedText<3072> left;
    FixedText<2048> waiting;
    FixedText<4096> renameLines;  // [rename] lines for WININIT.INI, written at the end
    int filesRemoved = 0;
    int originalsBack = 0;
    int valuesRestored = 0;
    int keysRemoved = 0;
    int othersWaiting = 0;  // files that wait for the restart, this program not counted
};
// The outcome being collected, or null.
extern Outcome* Result;

// The one outcome, emptied. (A local one would be copied from a zero-filled
// template that the compiler puts into the program file.)
Outcome* FreshOutcome();

// One line of the report's "left as it is" list: what, and why.
void Leave(const char* what, const char* why);

#endif
