// The shortcuts of a Start-menu group, as the shell resolves them.
#ifndef SETUP_TOOLS_SHORTCUTS_H
#define SETUP_TOOLS_SHORTCUTS_H

// Prints each shortcut (*.lnk) of the folder, one a line: its name, the
// program it starts with its arguments, the folder it starts in and its
// icon. Returns 1 when the folder has none or one cannot be read.
int PrintShortcuts(const char* folder);

#endif
