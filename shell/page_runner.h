// The wizard's page runner and the protocol every page follows. A page is a
// modeless dialog of its own window class, so its behaviour lives in an
// ordinary window procedure; RunPage runs one page modally and returns the
// PageResult it left.
#ifndef SETUP_PAGE_RUNNER_H
#define SETUP_PAGE_RUNNER_H

#include <windows.h>

#include <cstdint>

// Sent by the runner once the page exists: the page fills its controls.
constexpr UINT WM_PAGE_INIT = WM_USER + 100;

// PageResult values.
constexpr int16_t PageCancel = 0;
constexpr int16_t PageNext = 1;
constexpr int16_t PageBack = 2;

// Runs the page of the class pageName (registered here with procedure) from
// dialog template templateId, owned by the backdrop. Returns PageResult, or
// PageCancel when the page could not be created.
int16_t RunPage(const char* pageName, WNDPROC procedure, uint16_t templateId);

// What a page does with a message it does not handle itself: the dialog
// manager's work (the focus, Tab and the arrows, mnemonics, the default
// button), but for the close, which ends the page, and the background,
// which is the page class's own.
LRESULT DefPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Handles at most one queued message of the page or its controls: 0 when it
// was a click of button 1 (which is swallowed), else 1. Esc, pressed in the
// page, is its Cancel (IDCANCEL).
int PumpPageMessage(HWND page);

// Waits milliseconds, discarding every message that arrives meanwhile; a
// quit request among them is posted again so the page runner still ends.
void DelayMs(DWORD milliseconds);

// The common part of a page's WM_CREATE: caption "ProductName Setup", and
// the page one pixel wider and taller, centred on a screen of that size.
void SetUpPage(HWND page, int screenWidth, int screenHeight);

// Replaces the "%s" in a control's template text with ProductName.
void FormatProductText(HWND page, int controlId);

// Ends the page with a result: PageResult is written, the page closes.
void EndPage(HWND page, int16_t result);

// Cancel on a page: the not-completed notice, then the page ends with 0.
void CancelPage(HWND page);

#endif
