// The setup script SETUP.INF: loading it into the process-wide values and
// the install list.
#ifndef SETUP_SETUP_SCRIPT_H
#define SETUP_SETUP_SCRIPT_H

#include "install/script_lines.h"
#include "shell/fixed_text.h"

// Reads SETUP.INF from the program's directory. Returns 1 when loaded, 0 when
// the install list cannot be allocated or a path does not fit its field: the
// script's path longer than Windows allows (MAX_PATH - 1, on a drive or a
// share), WindowsDir longer than 79 characters, a directory that a file line
// needs longer than 39, a destination longer than 255, a file line longer
// than 255, or more than 32767 files. A missing script gives every key its
// default here; the entry refuses to run on one.
int LoadSetupScript();

// The script the program was started with: SetupDir and "\SETUP.INF".
const char* SetupScriptPath();

// The installed SETUP.INF beside UNINSTAL.EXE, read as LoadSetupScript
// reads a script; InstallDir is that folder. 0 when it cannot be read.
int LoadInstalledScript();

#endif
