#include "shell/globals.h"

HINSTANCE Instance = nullptr;
int16_t ScreenWidth = 0;
int16_t ScreenHeight = 0;
HWND BackdropWindow = nullptr;
int16_t PageResult = 0;
int32_t MouseBackEnabled;
int32_t RestartWindows;
FixedText<8> MouseTypeName;

FixedText<ProductNameSize> ProductName;
FixedText<256> MessageCaption;
FixedText<256> WindowsDir;
FixedText<256> SetupDir;
FixedText<256> InstallDir;
int32_t InstallDirCreated = 0;
FixedText<GroupNameSize> GroupName;
FixedText<GroupTitleSize> GroupTitle;
int32_t MinimumSpace = 0;
int32_t OEM = 0;
int32_t SerialMouse;
int16_t DiskCount = 0;
DiskSlot Disks[MaxDisks + 1];
FixedText<256> DirectoryNames[DirectoryKeywordCount];
int16_t TotalFileCount = 0;
GroupItem* GroupItems[MaxGroupItems];
int16_t GroupItemCount = 0;
FixedText<StartupTextSize> StartupFileName;
FixedText<StartupTextSize> StartupTitle;
FixedText<DriverTextSize> Mfg;
FixedText<DriverTextSize> MouseDriver;
FixedText<DriverTextSize> MouseInf;
FixedText<DriverTextSize> DriverDate;
FixedText<DriverTextSize> PS2InfSection;
FixedText<DriverTextSize> SerialInfSection;
FixedText<DriverTextSize> PS2Name;
FixedText<DriverTextSize> SerialName;

HGLOBAL InstallListHandle = nullptr;
void* InstallListBase = nullptr;
