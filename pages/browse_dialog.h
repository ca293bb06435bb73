// The Browse-directory dialog: the platform's older open-file dialog with a
// template that shows only the directories and drives, and an edit field
// that follows the directory the user opens.
#ifndef SETUP_BROWSE_DIALOG_H
#define SETUP_BROWSE_DIALOG_H

#include <windows.h>

#include "shell/fixed_text.h"

// Private messages the hook posts to the dialog, so that the dialog has
// finished its own handling first.
constexpr UINT WM_BROWSE_SHOW = WM_USER + 100;
constexpr UINT WM_BROWSE_CWD = WM_USER + 101;

// What the edit field shows or has shown; InstallDir on OK.
extern FixedText<256> BrowseBuffer;

// Runs the dialog owned by the page; on OK the edit field's text becomes
// InstallDir, on Cancel nothing changes. Validates nothing.
void BrowseForDirectory(HWND page);

UINT_PTR CALLBACK BrowseHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
