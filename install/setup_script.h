// The setup script SETUP.INF: loading it into the process-wide values and
// the install list, and the record of replaced settings in the installed copy.
#ifndef SETUP_SETUP_SCRIPT_H
#define SETUP_SETUP_SCRIPT_H

#include "install/script_lines.h"
#include "shell/fixed_text.h"

// Reads SETUP.INF from the program's directory. Returns 1 when loaded, 0 when
// the install list cannot be allocated or a path does not fit its field: the
// program's own path or WindowsDir longer than 79 characters, a directory
// that a file line needs longer than 39, a destination longer than 255, a
// file line longer than 255, or more than 32767 files. A missing script is
// no failure: every key takes its default.
int LoadSetupScript();

// A value of the installed SETUP.INF (the one in InstallDir), or def. The
// result lies in one shared buffer that the next call overwrites.
const char* ReadInstalledSetting(const char* section, const char* key, const char* def);

// Writes a value into the installed SETUP.INF unless the key is there
// already (even empty), so the first value recorded stays.
void WriteInstalledSettingOnce(const char* section, const char* key, const char* value);

#endif
