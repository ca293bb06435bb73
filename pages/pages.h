// The window procedures of the wizard's pages, each run through RunPage
// with its class name and template.
#ifndef SETUP_PAGES_H
#define SETUP_PAGES_H

#include <windows.h>

#include <cstdint>

LRESULT CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);     // SETUP_BEGIN, 101
LRESULT CALLBACK MouseTypePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);   // SETUP_SELMOUSE, 108
LRESULT CALLBACK DirectoryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);   // SETUP_SELDIR, 107
LRESULT CALLBACK InstallPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);     // SETUP_INSTALL, 103
LRESULT CALLBACK FinishPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);      // SETUP_END, 102

// What the Directory page's Next does with InstallDir, for the unattended
// run as well: only a drive-rooted directory of at most 79 characters on a
// drive with MinimumSpace free, which exists or whose last element can be
// created (InstallDirCreated says which). 0 when taken, else the warning.
uint16_t TakeInstallDir();

// The whole installation, which the Install page runs once it is shown and
// the unattended run without a page: the files, the registration, the
// program group and the record. PageResult ends 0 when it stopped.
void InstallPackage(HWND page);

#endif
