// The wizard of the real SETUP.EXE as a user clicks it, for the end-to-end
// tests: the pages up to the copy, and the Finish page.
#ifndef SETUP_TESTS_WIZARD_H
#define SETUP_TESTS_WIZARD_H

#include <windows.h>

#include "resource.h"
#include "tests/support/robot.h"

// Welcome, Mouse type (the button clicked, or the preselected one left when
// 0) and Directory (the folder typed in, or the proposed one left when
// null), each with Next.
inline void PageThroughToTheCopy(int mouseButton = 0, const char* folder = nullptr)
{
    Click(WaitForPage("SETUP_BEGIN"), IDOK);
    HWND mouse = WaitForPage("SETUP_SELMOUSE");
    if (mouseButton != 0) Click(mouse, mouseButton);
    Click(mouse, IDOK);
    HWND directory = WaitForPage("SETUP_SELDIR");
    if (folder != nullptr)
        SendDlgItemMessageA(directory, IDC_DIRECTORY, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder));
    Click(directory, IDOK);
}

// The Finish page, once the copy is done, with the restart choice.
inline void FinishWith(int restartButton)
{
    HWND finish = WaitForPage("SETUP_END", 60000);
    Click(finish, restartButton);
    Click(finish, IDOK);
}

#endif
