#include "shell/services.h"

#include "shell/globals.h"
#include "shell/handles.h"
#include "shell/setup_log.h"

const char* LoadText(StringId id)
{
    static FixedText<256> buffers[4];
    static int current;
    current = (current + 1) & 3;
    FixedText<256>& buffer = buffers[current];
    if (LoadStringA(Instance, id, buffer.data(), static_cast<int>(buffer.Capacity)) == 0) return nullptr;
    return buffer;
}

void ShowNotCompleted(HWND owner)
{
    FixedText<256> text;
    text.assign(ProductName).append(LoadText(IDS_NOT_COMPLETED));
    Tell(owner, text, MessageCaption, MB_OK | MB_ICONEXCLAMATION);
}

bool ReadProgramPath(FixedText<MAX_PATH>& path)
{
    char module[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(Instance, module, sizeof module);
    if (length == 0 || length >= MAX_PATH) return false;
    const char* start = module;
    if (module[0] == 'U' && module[1] == 'N' && module[2] == 'C' && module[3] == '\\') {
        module[2] = '\\';  // "UNC\server" becomes "\\server"
        start = module + 2;
    }
    return path.assignWhole(start);
}

int DirectoryExists(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int AllocInstallList(int16_t n)
{
    if (n < 0) return 0;
    SIZE_T size = n * sizeof(FileEntry) + MaxGroupItems * sizeof(GroupItem);
    InstallListHandle = GlobalAlloc(GPTR, size);
    if (InstallListHandle == nullptr) return 0;
    InstallListBase = GlobalLock(InstallListHandle);
    return 1;
}

void FreeInstallList()
{
    if (InstallListHandle == nullptr) return;
    GlobalUnlock(InstallListHandle);
    GlobalFree(InstallListHandle);
    // Cleared so that a second release, or a release after a failed load,
    // cannot free the block twice.
    InstallListHandle = nullptr;
    InstallListBase = nullptr;
}

void ReadWindowsDirectory()
{
    char directory[80];
    UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) WindowsDir.clear();
    else WindowsDir.assign(directory);
}

bool SamePath(const char* a, const char* b)
{
    char fullA[MAX_PATH], fullB[MAX_PATH], shortA[MAX_PATH], shortB[MAX_PATH];
    DWORD lengthA = GetFullPathNameA(a, sizeof fullA, fullA, nullptr);
    DWORD lengthB = GetFullPathNameA(b, sizeof fullB, fullB, nullptr);
    if (lengthA == 0 || lengthA >= sizeof fullA || lengthB == 0 || lengthB >= sizeof fullB) return false;
    if (lstrcmpiA(fullA, fullB) == 0) return true;
    // The long and the short name of one file (a file that is not there has
    // no short name).
    if (GetShortPathNameA(fullA, shortA, sizeof shortA) == 0 || GetShortPathNameA(fullB, shortB, sizeof shortB) == 0)
        return false;
    return lstrcmpiA(shortA, shortB) == 0;
}

bool FileInUse(const char* path)
{
    FileHandle file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return false;
    DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}
