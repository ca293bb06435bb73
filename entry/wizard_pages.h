// The wizard's pages in the order they run, one row each: the window class,
// the procedure and the dialog template. The entry runs them from this
// table; the tests' robot and AUTOPILOT.EXE wait for each page by its class
// in the same order, and move a page they have nothing else to do on with
// Next (button 1). A new page is a new row and a new step.
#ifndef SETUP_WIZARD_PAGES_H
#define SETUP_WIZARD_PAGES_H

#include <windows.h>

#include <cstdint>

struct WizardPage {
    const char* className;
    WNDPROC procedure;
    uint16_t templateId;
};

// The rows, by name: the driver-only run shows only the Mouse-type page,
// the companion is closed before the Install page, there is no way back
// from it, and the Finish page follows the system configuration.
enum WizardStep { WelcomeStep, MouseTypeStep, DirectoryStep, InstallStep, FinishStep, WizardStepCount };

extern const WizardPage WizardPages[WizardStepCount];

// RunPage with the row of step.
int16_t RunWizardPage(int step);

#endif
