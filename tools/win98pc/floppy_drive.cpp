#include "tools/win98pc/floppy_drive.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

namespace {

// Wine's own extension of the mount manager (its ddk/mountmgr.h), through
// which winecfg defines drives: a letter, a drive type and a Unix folder.
struct WineUnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
const DWORD DefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// The drive of the letter, of the type, holding the host folder.
bool DefineDrive(WCHAR letter, ULONG type, const std::string& unixFolder)
{
    std::vector<char> request(sizeof(WineUnixDrive) + unixFolder.size() + 1);
    auto* drive = reinterpret_cast<WineUnixDrive*>(request.data());
    drive->size = static_cast<ULONG>(request.size());
    drive->type = type;
    drive->letter = letter;
    drive->mountPointOffset = sizeof(WineUnixDrive);
    std::memcpy(request.data() + sizeof(WineUnixDrive), unixFolder.c_str(), unixFolder.size() + 1);
    HANDLE manager = CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    BOOL done = DeviceIoControl(manager, DefineUnixDrive, request.data(), static_cast<DWORD>(request.size()), nullptr,
                                0, &returned, nullptr);
    CloseHandle(manager);
    return done != FALSE;
}

}  // namespace

// Defining the drive again with another folder is the swap of a disk: the
// next open of a path on A: finds the new folder.
bool InsertDisk(const std::string& unixFolder) { return DefineDrive(L'a', DRIVE_REMOVABLE, unixFolder); }

bool InsertCd(const std::string& unixFolder) { return DefineDrive(L'd', DRIVE_CDROM, unixFolder); }
