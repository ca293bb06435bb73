#include "shell/globals.h"

HINSTANCE Instance = nullptr;
int16_t ScreenWidth = 0;
int16_t ScreenHeight = 0;
HWND BackdropWindow = nullptr;
int16_t PageResult = 0;
int32_t MouseBackEnabled = 1;
int32_t RestartWindows = 1;
FixedText<8> MouseTypeName;

FixedText<72> ProductName;
FixedText<256> MessageCaption;
FixedText<256> WindowsDir;
FixedText<256> SetupDir;
FixedText<256> InstallDir;
FixedText<20> GroupName;
FixedText<48> GroupTitle;
int32_t MinimumSpace = 0;
int32_t OEM = 0;
int32_t SerialMouse = 1;
int16_t DiskCount = 0;
DiskSlot Disks[MaxDisks + 1];
FixedText<256> DirectoryNames[DirectoryKeywordCount];
int16_t TotalFileCount = 0;
GroupItem* GroupItems[MaxGroupItems];
int16_t GroupItemCount = 0;
FixedText<256> StartupFileName;
FixedText<256> StartupTitle;
FixedText<40> Mfg;
FixedText<40> MouseDriver;
FixedText<40> MouseInf;
FixedText<40> DriverDate;
FixedText<40> PS2InfSection;
FixedText<40> SerialInfSection;
FixedText<40> PS2Name;
FixedText<40> SerialName;

HGLOBAL InstallListHandle = nullptr;
void* InstallListBase = nullptr;
