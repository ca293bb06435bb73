#include "install/copy_engine.h"

#include "resource.h"
#include "shell/backdrop.h"
#include "shell/globals.h"
#include "shell/page_runner.h"
#include "shell/services.h"
#include "sysconfig/driver_registration.h"

LzFile SourceHandle;

namespace {

const FileEntry& EntryOf(int disk, int entry)
{
    return Disks[disk - 1].FirstEntry[entry - 1];
}

void ShowStatus(HWND page, const char* text)
{
    SetDlgItemTextA(page, IDC_STATUS, text);
    UpdateWindow(GetDlgItem(page, IDC_STATUS));
}

// The percentage of the disk's entries begun, the current one included, and
// the blue bar inside the frame over control 1011.
void ShowProgress(HWND page, HDC dc, int percent)
{
    FixedText<16> text;
    FormatText(text, "%d%%", percent);
    SetDlgItemTextA(page, IDC_PERCENT, text);
    UpdateWindow(GetDlgItem(page, IDC_PERCENT));

    RECT bar;
    GetControlRect(page, IDC_PROGRESS, &bar);
    InflateRect(&bar, -2, -2);
    OffsetRect(&bar, -1, -1);
    bar.right = bar.left + ((bar.right - bar.left + 1) * percent) / 100;
    Brush blue(CreateSolidBrush(RGB(0, 0, 255)));
    FillRect(dc, &bar, blue.get());
}

// The expanded length the source should give: the length an SZDD header
// names, or the size of a plain file.
LONG ExpandedLength(INT source)
{
    LONG length = LZSeek(source, 0, 2);
    LZSeek(source, 0, 0);
    return length;
}

// The directory part of a path, without the closing "\".
bool DirectoryOf(const char* path, FixedText<MAX_PATH>& directory)
{
    const char* slash = nullptr;
    for (const char* c = path; *c != '\0'; ++c)
        if (*c == '\\') slash = c;
    if (slash == nullptr || !directory.assignWhole(path)) return false;
    directory.truncate(static_cast<std::size_t>(slash - path));
    return true;
}

// Windows 95 has no MoveFileExA: the old file goes first, then the new one
// takes its name. A file that cannot be deleted (read-only, in use) stays,
// and the new one is dropped. Should the move fail once the old file is
// gone, the complete new file is kept under its temporary name rather than
// lost too.
void PutInPlace(const char* temporary, const char* destination)
{
    DeleteFileA(destination);
    if (MoveFileA(temporary, destination)) return;
    if (GetFileAttributesA(destination) != INVALID_FILE_ATTRIBUTES) DeleteFileA(temporary);
}

// Expands the open source into a temporary file beside the destination and
// puts it in place only when every byte arrived, so a truncated or corrupt
// source never replaces a good file.
void ExpandSafely(const char* destination)
{
    FixedText<MAX_PATH> directory;
    char temporary[MAX_PATH];
    if (!DirectoryOf(destination, directory) || !GetTempFileNameA(directory, "stp", 0, temporary)) return;
    LONG expected = ExpandedLength(SourceHandle.get());
    LONG written = -1;
    {
        LzFile target = OpenLzFile(temporary, OF_CREATE);
        if (target) written = LZCopy(SourceHandle.get(), target.get());
    }
    if (written >= 0 && written == expected) PutInPlace(temporary, destination);
    else DeleteFileA(temporary);
}

void CopyOneFile(HWND page, HDC dc, int disk, int entry)
{
    const FileEntry& file = EntryOf(disk, entry);
    FixedText<256> status;
    status.assign(LoadText(IDS_COPYING)).append(file.SourceName).append("\n\n").append(file.Description);
    ShowStatus(page, status);

    FixedText<256> source;
    OpenSourceFile(page, BuildSourcePath(source, disk, entry) ? source.c_str() : nullptr);
    ShowProgress(page, dc, entry * 100 / Disks[disk - 1].FileCount);
    FixedText<256> destination;
    ExpandToDest(page, BuildDestPath(destination, disk, entry) ? destination.c_str() : nullptr);
}

}  // namespace

bool BuildSourcePath(FixedText<256>& path, int disk, int entry)
{
    const FileEntry& file = EntryOf(disk, entry);
    return path.assignWhole(SetupDir) && path.appendWhole("\\") && path.appendWhole(file.SourceDir) &&
           path.appendWhole("\\") && path.appendWhole(file.SourceName);
}

bool BuildDestPath(FixedText<256>& path, int disk, int entry)
{
    const FileEntry& file = EntryOf(disk, entry);
    path.clear();
    if (!file.Absolute && !(path.appendWhole(InstallDir) && path.appendWhole("\\"))) return false;
    return path.appendWhole(file.DestDir) && path.appendWhole("\\") && path.appendWhole(file.DestName);
}

void OpenSourceFile(HWND page, const char* path)
{
    SourceHandle.reset();
    if (path != nullptr) SourceHandle = OpenLzFile(path, OF_READ);
    PumpPageMessage(page);
}

void ExpandToDest(HWND page, const char* path)
{
    if (SourceHandle && path != nullptr) ExpandSafely(path);
    SourceHandle.reset();
    PumpPageMessage(page);
}

void CopyAllFiles(HWND page)
{
    WindowDC dc(page);
    for (int disk = 1; disk <= DiskCount && PageResult != PageCancel; ++disk) {
        UpdateWindow(page);
        DrawControlFrame(page, dc.get(), IDC_PROGRESS, 0);  // the empty bar: white with an etched edge
        for (int entry = 1; entry <= Disks[disk - 1].FileCount && PageResult != PageCancel; ++entry)
            CopyOneFile(page, dc.get(), disk, entry);
    }
    // A cancelled installation registers nothing: its files were only
    // partly copied.
    if (PageResult == PageCancel) return;
    ShowStatus(page, "Updating Registry...");
    DelayMs(1000);
    UpdateRegistry(1);
}
