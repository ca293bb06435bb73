// The program's entry: the start common to both run modes.
#include <windows.h>

#include "install/setup_script.h"
#include "shell/globals.h"
#include "shell/services.h"

namespace {

// GetWindowsDirectoryA with the model's limit of 80: a longer directory
// leaves WindowsDir empty, which the script loader refuses.
void ReadWindowsDirectory()
{
    char directory[80];
    UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) WindowsDir.clear();
    else WindowsDir.assign(directory);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    ProductName.clear();
    Instance = instance;
    ScreenWidth = static_cast<int16_t>(GetSystemMetrics(SM_CXSCREEN));
    ScreenHeight = static_cast<int16_t>(GetSystemMetrics(SM_CYSCREEN));
    bool driverOnly = commandLine[0] == '-' && commandLine[1] == 'u';

    // Only the Windows 95/98 family sets bit 31 of the version.
    if (!driverOnly && (GetVersion() & 0x80000000u) == 0) {
        MessageBoxA(nullptr, LoadText(IDS_WIN9X_ONLY), "Warning", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    ReadWindowsDirectory();
    if (!LoadSetupScript()) {
        MessageBoxA(nullptr, LoadText(IDS_READ_ERROR), MessageCaption, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    FreeInstallList();
    return 0;
}
