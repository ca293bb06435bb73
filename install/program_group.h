// The package's program group: a folder of shortcuts under the Start menu's
// Programs folder, one for each item of the script's [PM Info].
#ifndef SETUP_PROGRAM_GROUP_H
#define SETUP_PROGRAM_GROUP_H

#include <windows.h>

#include "shell/script_records.h"
#include "shell/fixed_text.h"

// Creates the group GroupTitle (an existing one is reused) with a shortcut
// per group item to its file where the script installs it (in InstallDir
// when no file line does; a shortcut of the same name is replaced; another
// package's is kept for the uninstaller), and notes them in the record. A
// script without items makes no group. When the group or a shortcut cannot
// be made, the page shows "Failed to create a new group !" and the
// installation goes on. 1 when everything was made.
int CreateProgramGroup(HWND page);

// The Start menu's Programs folder, as the shell gives it.
bool ProgramsFolder(FixedText<MAX_PATH>& folder);

// The group's folder: the Programs folder, "\", GroupTitle. False when the
// shell does not give the Programs folder or the path does not fit.
bool ProgramGroupFolder(FixedText<MAX_PATH>& folder);

// The shortcut file of an item in the group's folder: its title, with the
// characters a file name cannot hold replaced, and ".lnk".
bool ShortcutPath(const char* folder, const GroupItem& item, FixedText<MAX_PATH>& path);

#endif
