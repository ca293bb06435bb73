// UNINSTAL.EXE: puts the PC back as it was before the package was
// installed, from the installed SETUP.INF beside it, which lists the files
// the package installed and records what the installation replaced.
#ifndef UNINSTALL_UNINSTALL_H
#define UNINSTALL_UNINSTALL_H

#include <windows.h>

#include "shell/fixed_text.h"

// What the closing report tells: lines of what was done, what was left and
// why, and the files that wait for the restart of Windows.
struct Outcome {
    FixedText<2048> done;
    FixedText<3072> left;
    FixedText<2048> waiting;
    FixedText<4096> renameLines;  // "NUL=" lines for WININIT.INI, written at the end
    int filesRemoved = 0;
    int valuesRestored = 0;
};
// WinMain's: a static one of this size would go into the program file.
extern Outcome* Result;

// One line of the report's "left as it is" list: what, and why.
void Leave(const char* what, const char* why);

// The mouse driver's device and class values from the record, the keys the
// installation created, and the application entries.
void UndoRegistry();

// The [386Enh] mouse line and VMM32\VMOUSE.VXD, as recorded.
void UndoSystemIni();

// The files of the manifest, the program group, the package's directories;
// a file that cannot be deleted now (this program among them) is deleted
// at the next start of Windows through WININIT.INI.
void UndoFiles();

#endif
