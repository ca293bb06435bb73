// The window procedures of the wizard's pages, each run through RunPage
// with its class name and template.
#ifndef SETUP_PAGES_H
#define SETUP_PAGES_H

#include <windows.h>

LRESULT CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);     // SETUP_BEGIN, 101
LRESULT CALLBACK MouseTypePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);   // SETUP_SELMOUSE, 108
LRESULT CALLBACK DirectoryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);   // SETUP_SELDIR, 107
LRESULT CALLBACK InstallPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);     // SETUP_INSTALL, 103
LRESULT CALLBACK FinishPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);      // SETUP_END, 102

#endif
