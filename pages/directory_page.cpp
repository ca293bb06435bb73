// The Destination-directory page: shows InstallDir, lets the user browse for
// another, and on Next accepts only a drive-rooted directory on a drive with
// room enough that exists or can be created.
#include <cstdint>

#include "pages/browse_dialog.h"
#include "pages/pages.h"
#include "record/installed_record.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/page_runner.h"
#include "shell/services.h"
#include "shell/setup_log.h"

namespace {

// The longest directory the page takes.
constexpr std::size_t MaxDirectory = 79;

void Warn(HWND page, StringId text)
{
    Tell(page, LoadText(text), MessageCaption, MB_OK | MB_ICONEXCLAMATION);
}

void InitDirectoryPage(HWND page)
{
    FormatProductText(page, IDC_PAGE_TEXT);
    SetDlgItemTextA(page, IDC_DIRECTORY, InstallDir);
}

// Free kilobytes of the drive, in 64 bits: later systems report far more
// than 4 GB. False when the drive cannot tell (no drive, no medium).
bool FreeKilobytes(const char* root, uint64_t& kilobytes)
{
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return false;
    kilobytes = (uint64_t{freeClusters} * bytesPerSector * sectorsPerCluster) >> 10;
    return true;
}

void AcceptDirectory(HWND page)
{
    PageResult = PageNext;
    // A longer text is refused rather than cut to another directory than
    // the one the page shows.
    char text[256] = "";
    GetDlgItemTextA(page, IDC_DIRECTORY, text, sizeof text);
    InstallDir.assign(text);
    if (StringId refused = TakeInstallDir()) return Warn(page, refused);
    SendMessageA(page, WM_CLOSE, 0, 0);
}

void Browse(HWND page)
{
    BrowseForDirectory(page);
    SetDlgItemTextA(page, IDC_DIRECTORY, InstallDir);
}

// The levels of InstallDir that are missing, from the drive's root down,
// each recorded first. When one cannot be made, those made go again, and
// the run that began for them ends: nothing was installed.
bool CreateLevels()
{
    if (!BeginRun()) return false;
    FixedText<MAX_PATH> level;
    const char* levelEnds[MaxDirectory];
    int made = 0;
    bool whole = true;
    for (const char* c = InstallDir.c_str() + 3;; c = CharNextA(c)) {
        if (*c != '\\' && *c != '\0') continue;
        level.assign(InstallDir);
        level.truncate(static_cast<std::size_t>(c - InstallDir.c_str()));
        if (!DirectoryExists(level)) {
            if (!MakeFolder(level)) {
                whole = false;
                break;
            }
            levelEnds[made++] = c;
        }
        if (*c == '\0') break;
    }
    if (whole) return true;
    while (made-- > 0) {
        level.assign(InstallDir);
        level.truncate(static_cast<std::size_t>(levelEnds[made] - InstallDir.c_str()));
        RemoveDirectoryA(level);
    }
    EndRun(false);
    SettleRecord();
    return false;
}

}  // namespace

uint16_t TakeInstallDir()
{
    if (InstallDir.size() < 3 || InstallDir.size() > MaxDirectory || InstallDir[1] != ':' || InstallDir[2] != '\\')
        return IDS_CANNOT_CREATE_DIR;
    char drive = InstallDir[0];  // upper case as in the "C" locale: a drive is a letter of A to Z
    if (drive >= 'a' && drive <= 'z') drive = static_cast<char>(drive - 'a' + 'A');
    char root[4] = {drive, ':', '\\', '\0'};
    bool exists = DirectoryExists(InstallDir) != 0;
    uint64_t freeKilobytes;
    if (!FreeKilobytes(root, freeKilobytes)) return IDS_CANNOT_CREATE_DIR;
    if (MinimumSpace > 0 && freeKilobytes < static_cast<uint64_t>(MinimumSpace)) return IDS_NO_FREE_SPACE;
    // An existing directory is used as it is; otherwise every missing level
    // is created, each in the record before it is made, so that the
    // uninstaller removes exactly the levels the installation made.
    InstallDirCreated = !exists;
    if (!exists && !CreateLevels()) return IDS_CANNOT_CREATE_DIR;
    return 0;
}

LRESULT CALLBACK DirectoryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetUpPage(page, ScreenWidth, ScreenHeight);
        return 0;
    case WM_PAGE_INIT:
        InitDirectoryPage(page);
        break;
    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
            return AcceptDirectory(page), 0;
        case IDCANCEL:
            return CancelPage(page), 0;
        case IDC_BACK:
            return EndPage(page, PageBack), 0;
        case IDC_BROWSE:
            Browse(page);
            break;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefPageProc(page, message, wParam, lParam);
}
