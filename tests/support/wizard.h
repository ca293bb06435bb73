// The wizard of the real SETUP.EXE as a user clicks it, for the end-to-end
// tests and AUTOPILOT.EXE: the pages in the order of the entry's table
// (entry/wizard_pages.h), each found by its class.
#ifndef SETUP_TESTS_WIZARD_H
#define SETUP_TESTS_WIZARD_H

#include <windows.h>

#include "entry/wizard_pages.h"
#include "resource.h"
#include "tests/support/robot.h"

// The page of a step of the table, once it has come.
inline HWND WaitForStep(int step, DWORD timeoutMs = 10000)
{
    return WaitForPage(WizardPages[step].className, timeoutMs);
}

// Every page before the copy, from the first, with Next: on the Mouse-type
// page the button clicked before (or the preselected one left when 0), on
// the Directory page the folder typed in before (or the proposed one left
// when null).
inline void PageThroughToTheCopy(int mouseButton = 0, const char* folder = nullptr)
{
    for (int step = WelcomeStep; step < InstallStep; ++step) {
        HWND page = WaitForStep(step);
        if (step == MouseTypeStep && mouseButton != 0) Click(page, mouseButton);
        if (step == DirectoryStep && folder != nullptr)
            SendDlgItemMessageA(page, IDC_DIRECTORY, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder));
        Click(page, IDOK);
    }
}

// The Finish page, once the copy is done, with the restart choice.
inline void FinishWith(int restartButton)
{
    HWND finish = WaitForStep(FinishStep, 60000);
    Click(finish, restartButton);
    Click(finish, IDOK);
}

// The class of a window of the setup that is up now (the backdrop, a box
// or any page of the table), or null: the unattended run shows none.
inline const char* SetupWindowShown()
{
    if (LookForWindow("SetupMain") != nullptr) return "SetupMain";
    if (LookForWindow("#32770") != nullptr) return "#32770";
    for (const WizardPage& page : WizardPages)
        if (LookForWindow(page.className) != nullptr) return page.className;
    return nullptr;
}

#endif
