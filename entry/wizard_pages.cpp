#include "entry/wizard_pages.h"

#include "pages/pages.h"
#include "resource.h"
#include "shell/page_runner.h"

const WizardPage WizardPages[WizardStepCount] = {
    {"SETUP_BEGIN", WelcomePageProc, IDD_WELCOME},
    {"SETUP_SELMOUSE", MouseTypePageProc, IDD_SELMOUSE},
    {"SETUP_SELDIR", DirectoryPageProc, IDD_SELDIR},
    {"SETUP_INSTALL", InstallPageProc, IDD_INSTALL},
    {"SETUP_END", FinishPageProc, IDD_FINISH},
};

int16_t RunWizardPage(int step)
{
    const WizardPage& page = WizardPages[step];
    return RunPage(page.className, page.procedure, page.templateId);
}
