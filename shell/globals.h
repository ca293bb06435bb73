// The process-wide values of the setup program. Each lives for the whole run
// and is defined once, in globals.cpp. All start as zero (the program has no
// initialised data, which spares a section of the file); WinMain sets the
// flags that start at 1.
#ifndef SETUP_GLOBALS_H
#define SETUP_GLOBALS_H

#include <windows.h>

#include <cstdint>

#include "shell/script_limits.h"
#include "shell/script_records.h"
#include "shell/fixed_text.h"

// The run.
extern HINSTANCE Instance;              // every resource and window-class call
extern int16_t ScreenWidth;             // from GetSystemMetrics at start
extern int16_t ScreenHeight;
extern HWND BackdropWindow;             // owner of every page; null in the driver-only run
extern int16_t PageResult;              // 0 Cancel, 1 Next, 2 Back
extern int32_t MouseBackEnabled;        // 1; 0 in the driver-only run
extern int32_t RestartWindows;          // 1; 0 when the user restarts later
extern FixedText<8> MouseTypeName;      // "PS2" or "Serial", chosen by the driver registration

// The setup script, as loaded from SETUP.INF.
extern FixedText<ProductNameSize> ProductName;
extern FixedText<256> MessageCaption;   // ProductName, a blank and "Setup Program"
extern FixedText<256> WindowsDir;       // at most 79 characters
extern FixedText<256> SetupDir;         // the program's directory, no closing "\"; its SETUP.INF fits MAX_PATH
extern FixedText<256> InstallDir;       // destination directory, preset from DefaultPath
extern int32_t InstallDirCreated;       // 1 when the Directory page created InstallDir
extern FixedText<GroupNameSize> GroupName;
extern FixedText<GroupTitleSize> GroupTitle;
extern int32_t MinimumSpace;            // kilobytes, as the script gives it (see LoadSetupScript)
extern int32_t OEM;                     // nonzero: the backdrop leaves out its banner
extern int32_t SerialMouse;             // 1 serial, 0 PS/2
extern int16_t DiskCount;               // disks in use, 0..6
// Disks[0..DiskCount-1] are the disks in use; the slot after the last of
// them carries only FirstEntry, which points just past the last FileEntry.
extern DiskSlot Disks[MaxDisks + 1];
extern FixedText<256> DirectoryNames[DirectoryKeywordCount];
extern int16_t TotalFileCount;
extern GroupItem* GroupItems[MaxGroupItems];
extern int16_t GroupItemCount;
extern FixedText<StartupTextSize> StartupFileName;
extern FixedText<StartupTextSize> StartupTitle;
extern FixedText<DriverTextSize> Mfg;
extern FixedText<DriverTextSize> MouseDriver;
extern FixedText<DriverTextSize> MouseInf;
extern FixedText<DriverTextSize> DriverDate;
extern FixedText<DriverTextSize> PS2InfSection;
extern FixedText<DriverTextSize> SerialInfSection;
extern FixedText<DriverTextSize> PS2Name;
extern FixedText<DriverTextSize> SerialName;

// The install list: one zero-filled block holding TotalFileCount FileEntry
// records followed by MaxGroupItems GroupItem records.
extern HGLOBAL InstallListHandle;
extern void* InstallListBase;

#endif
