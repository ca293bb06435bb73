#include "install/copy_engine.h"

#include <cstring>

#include "install/setup_script.h"
#include "record/installed_record.h"
#include "shell/memory.h"
#include "shell/crc32.h"
#include "resource.h"
#include "shell/backdrop.h"
#include "shell/globals.h"
#include "shell/page_runner.h"
#include "shell/services.h"
#include "shell/setup_log.h"
#include "sysconfig/driver_registration.h"

LzFile SourceHandle;
int SkippedCount;

namespace {

// The time the open source was last written, when it is known: the copy
// takes it over, as LZCopy does.
FILETIME SourceTime;
bool SourceTimeKnown = false;

// The copy moves the expanded data in steps of this buffer. LZCopy moves it
// in steps of about a kilobyte, one read and one write each, and those calls
// cost more than the expansion itself.
char CopyBuffer[32768];

// An existing destination is read back into this buffer, a step at a time,
// to learn whether it already holds the source's bytes.
char CompareBuffer[sizeof CopyBuffer];

// The files the user chose to skip: the first ten by their entries (their
// paths are composed again for the list), the rest counted.
constexpr int ListedSkips = 10;
struct Skipped {
    int16_t disk;
    int16_t entry;
} SkippedFiles[ListedSkips];

// The length and sum the file in progress must give, as the script records
// them ("length,CRC-32 in 8 hex digits"; empty when it records none), and
// whether its expansion gave others.
FixedText<32> Expected;
bool SourceDamaged = false;
// The script's [Checksums], read once for the whole copy: a look-up by the
// profile functions costs as much as copying a small file.
char* Checksums = nullptr;

// The entries of the disk in progress whose new file the record has ahead
// already (NoteDiskAhead), one byte each; null when none has.
char* NotedAhead = nullptr;

// Attributes a replaced file takes over from the old one.
constexpr DWORD KeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

const FileEntry& EntryOf(int disk, int entry)
{
    return Disks[disk - 1].FirstEntry[entry - 1];
}

// Showing a file (its status text, percentage and bar) goes through the
// window system and repaints two controls, which costs a good part of the
// time a small file takes to copy. Files quicker than the eye are therefore
// shown at most once in this time: the first and the last file of each disk
// always, any other once this time has passed since the last one shown, and
// a file that is reported before its message box. On a machine where each
// file takes longer, every file is shown.
constexpr DWORD ShowEveryMs = 50;

// What the engine draws on: the page, its device context and controls,
// looked up once, and the percentage on show.
struct Display {
    HWND page;
    HDC dc;
    HWND status;
    HWND percent;
    RECT bar;        // inside the frame over control 1011, the full width
    int shown;       // the percentage on show, -1 after the bar was emptied
    DWORD shownAt;   // when a file was last shown
};

void ShowStatus(const Display& display, const char* text)
{
    SetDlgItemTextA(display.page, IDC_STATUS, text);
    UpdateWindow(display.status);
}

// The empty bar of a new disk: white with an etched edge.
void EmptyBar(Display& display)
{
    DrawControlFrame(display.page, display.dc, IDC_PROGRESS, 0);
    GetControlRect(display.page, IDC_PROGRESS, &display.bar);
    InflateRect(&display.bar, -2, -2);
    OffsetRect(&display.bar, -1, -1);
    display.shown = -1;
}

// The blue bar of a percentage, inside the frame.
void FillBar(const Display& display, int percent)
{
    RECT bar = display.bar;
    bar.right = bar.left + ((bar.right - bar.left + 1) * percent) / 100;
    Brush blue(CreateSolidBrush(RGB(0, 0, 255)));
    FillRect(display.dc, &bar, blue.get());
}

// The percentage of the disk's entries begun, the current one included, and
// the blue bar. A percentage already on show is not drawn again: with more
// than a hundred files on a disk, several files share one.
void ShowProgress(Display& display, int percent)
{
    if (percent == display.shown) return;
    display.shown = percent;
    FixedText<16> text;
    FormatText(text, "%d%%", percent);
    SetDlgItemTextA(display.page, IDC_PERCENT, text);
    UpdateWindow(display.percent);
    FillBar(display, percent);
}

// After a message box: the page repaints what the box covered, but the bar
// is no part of its painting and is drawn again here.
void RedrawBar(Display& display)
{
    int percent = display.shown;
    UpdateWindow(display.page);
    EmptyBar(display);
    display.shown = percent;
    if (percent >= 0) FillBar(display, percent);
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

// A file created only where no file has that name, open for writing.
FileHandle CreateNewFile(const char* path)
{
    return FileHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool NameTaken()
{
    DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// A temporary file in the destination's folder, its name in temporary, the
// record having it first. The names are tried from a number that differs
// from run to run, as GetTempFileNameA does, but the file stays open for the
// expansion rather than being created, closed and opened once more.
FileHandle CreateTemporary(const char* destination, FixedText<MAX_PATH>& temporary)
{
    FixedText<MAX_PATH> directory;
    if (!DirectoryOf(destination, directory)) return FileHandle();
    DWORD start = GetTickCount();
    for (DWORD n = 0; n < 100; ++n) {
        FixedText<16> name;
        FormatText(name, "~stp%04X.tmp", static_cast<unsigned>((start + n) & 0xFFFF));
        if (!temporary.assignWhole(directory) || !temporary.appendWhole("\\") || !temporary.appendWhole(name))
            break;
        if (GetFileAttributesA(temporary) != INVALID_FILE_ATTRIBUTES) continue;
        if (!NoteUpdating(destination, name)) break;
        FileHandle file = CreateNewFile(temporary);
        if (file || !NameTaken()) return file;
    }
    return FileHandle();
}

// The length and sum of the bytes the last expansion gave, which the record
// keeps of the file: whatever its time says later, a file that still holds
// them is the package's.
FixedText<32> Sum;

// Whether an expansion gave the length and sum the script records (or the
// script records none); it is damaged when not.
bool AsRecorded()
{
    if (Expected.empty()) return true;
    SourceDamaged = lstrcmpiA(Sum, Expected) != 0;
    return !SourceDamaged;
}

// Expands the open source a buffer at a time and hands each step to take;
// true when take accepted every step and the source gave exactly the
// length it names. The bytes are summed on the way: a source that expands
// to other bytes than the script records is damaged, and never takes a
// file's place.
template <typename Take>
bool ExpandInSteps(Take take)
{
    LONG expected = ExpandedLength(SourceHandle.get());
    LONG total = 0;
    uint32_t sum = 0;
    for (;;) {
        INT read = LZRead(SourceHandle.get(), CopyBuffer, static_cast<INT>(sizeof CopyBuffer));
        if (read < 0) return false;
        // A stream that ends short of the length the script records is
        // damaged, as is one that gives other bytes; without a record a
        // short end is an incomplete read.
        if (read == 0) {
            FormatSum(Sum, static_cast<DWORD>(total), sum);
            return AsRecorded() && total == expected;
        }
        if (!take(static_cast<DWORD>(read))) return false;
        sum = Crc32(sum, CopyBuffer, static_cast<std::size_t>(read));
        total += read;
    }
}

// Why an expansion did not give the whole file.
FileFailure Incomplete()
{
    return SourceDamaged ? FileFailure::SourceDamaged : FileFailure::ExpansionIncomplete;
}

// Expands the open source into the file; true when every byte arrived.
bool ExpandInto(const FileHandle& file)
{
    bool complete = ExpandInSteps([&](DWORD count) {
        DWORD written = 0;
        return WriteFile(file.get(), CopyBuffer, count, &written, nullptr) && written == count;
    });
    if (complete && SourceTimeKnown) SetFileTime(file.get(), nullptr, nullptr, &SourceTime);
    return complete;
}

// True when the existing destination already holds every byte the source
// expands to, and nothing more: the file is then left as it is, time and
// attributes included. Reading it back costs less than writing a new copy
// and moving that into place, and an installation run a second time finds
// most files so. (An expansion that follows starts again from the source's
// start: measuring its length winds the source back.)
bool AlreadyHolds(const char* destination)
{
    FileHandle file(CreateFileA(destination, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LONG expected = ExpandedLength(SourceHandle.get());
    if (!file || expected < 0 || GetFileSize(file.get(), nullptr) != static_cast<DWORD>(expected)) return false;
    bool same = ExpandInSteps([&](DWORD count) {
        DWORD got = 0;
        return ReadFile(file.get(), CompareBuffer, count, &got, nullptr) && got == count &&
               memcmp(CopyBuffer, CompareBuffer, count) == 0;
    });
    return same;
}

// The source expanded under a name no file has: the record has the file
// first, and an incomplete file goes again. The uninstaller, and a later
// run that finds this one stopped, take back the file the record names.
FileFailure ExpandAsNew(const char* destination, FileStep found, const char* original, bool notedAhead = false)
{
    bool complete;
    {
        if (!notedAhead && !NoteCreating(destination)) return FileFailure::DestinationUnwritable;
        FileHandle file = CreateNewFile(destination);
        if (!file) return FileFailure::DestinationUnwritable;  // no such folder, a full or locked disk
        complete = ExpandInto(file);
    }
    if (complete) {
        NoteFile(destination, found, original, Sum);
        return FileFailure::None;
    }
    DeleteFileA(destination);
    return Incomplete();
}

// Another's file (one the record does not name as the package's) is kept
// first, for the uninstaller to put back, and the source takes its name;
// should the new file not arrive whole, the original comes back.
FileFailure ReplaceAnothers(const char* destination, DWORD oldAttributes)
{
    FixedText<MAX_PATH> original;
    if (!KeepOriginal(destination, original)) return FileFailure::DestinationUnwritable;
    FileFailure failure = ExpandAsNew(destination, FileStep::Replaced, original);
    if (failure != FileFailure::None) {
        // Neither back in place: the record names the original where it is
        // kept, and the uninstaller or a rollback brings it back.
        if (!MoveFileA(original, destination)) return FileFailure::MoveFailed;
        return failure;
    }
    if ((oldAttributes & KeptAttributes) != 0) SetFileAttributesA(destination, oldAttributes & KeptAttributes);
    return FileFailure::None;
}

// The package's own file is replaced through a temporary file beside it,
// which takes its place only when every byte arrived, so a truncated or
// corrupt source never replaces a good file. The record names the
// temporary file first: a run that stopped leaves none behind. In one step
// where the platform can (MoveFileExA replacing the old file; Windows 95 and
// 98 export it but fail every call); otherwise the old file goes first and
// the new one takes its name, and should that move fail once the old file
// is gone, one copy is tried before the file is reported.
FileFailure UpdateOurs(const char* destination, DWORD oldAttributes)
{
    FixedText<MAX_PATH> temporary;
    bool complete;
    {
        FileHandle file = CreateTemporary(destination, temporary);
        if (!file) return FileFailure::DestinationUnwritable;
        complete = ExpandInto(file);
    }
    if (!complete) {
        DeleteFileA(temporary);
        return Incomplete();
    }
    if (!MoveFileExA(temporary, destination, MOVEFILE_REPLACE_EXISTING)) {
        if (!DeleteFileA(destination)) {
            DeleteFileA(temporary);
            return FileFailure::DestinationUnwritable;  // a directory of that name, a locked disk
        }
        if (!MoveFileA(temporary, destination)) {
            bool copied = CopyFileA(temporary, destination, FALSE) != FALSE;
            DeleteFileA(temporary);
            if (!copied) return FileFailure::MoveFailed;
        }
    }
    if ((oldAttributes & KeptAttributes) != 0) SetFileAttributesA(destination, oldAttributes & KeptAttributes);
    FileFact fact;
    ReadFileFact(destination, fact);
    NoteFile(destination, fact.found, fact.original, Sum);
    return FileFailure::None;
}

// An existing file: left when it holds the package's bytes already, else
// replaced safely.
FileFailure ReplaceSafely(const char* destination, DWORD oldAttributes)
{
    if (AlreadyHolds(destination)) {
        NoteFile(destination, FileStep::Same, nullptr, Sum);
        return FileFailure::None;
    }
    // A read-only file is the user's to unlock; the program never clears it.
    // A file a program holds open is not replaced from under it: Windows 95
    // would delete or move it all the same.
    if ((oldAttributes & FILE_ATTRIBUTE_READONLY) != 0 || FileInUse(destination))
        return FileFailure::DestinationUnwritable;
    return IsPackageFile(destination) ? UpdateOurs(destination, oldAttributes)
                                      : ReplaceAnothers(destination, oldAttributes);
}

// Where no file has the destination's name there is nothing to keep safe:
// the source is expanded under that name at once. This spares the move,
// which costs about as much as expanding a file of 30 kB.
FileFailure ExpandSafely(const char* destination, bool notedAhead)
{
    // A file noted ahead was not there a moment ago; should it be now, the
    // new file's creation fails and it is replaced safely below.
    DWORD oldAttributes = notedAhead ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(destination);
    if (oldAttributes != INVALID_FILE_ATTRIBUTES) return ReplaceSafely(destination, oldAttributes);
    // A file the package had there and that is gone is made anew as what
    // the record found there first.
    FileFact fact;
    bool known = ReadFileFact(destination, fact) && fact.ours();
    FileFailure failure = ExpandAsNew(destination, known ? fact.found : FileStep::Created,
                                      known ? fact.original.c_str() : nullptr, notedAhead);
    if (failure != FileFailure::DestinationUnwritable || !NameTaken()) return failure;
    // The name was taken meanwhile: that file is replaced safely.
    oldAttributes = GetFileAttributesA(destination);
    return ReplaceSafely(destination, oldAttributes == INVALID_FILE_ATTRIBUTES ? 0 : oldAttributes);
}

StringId ReasonText(FileFailure failure)
{
    switch (failure) {
    case FileFailure::SourceUnreadable: return IDS_SOURCE_UNREADABLE;
    case FileFailure::DestinationUnwritable: return IDS_DEST_UNWRITABLE;
    case FileFailure::ExpansionIncomplete: return IDS_EXPANSION_INCOMPLETE;
    case FileFailure::SourceDamaged: return IDS_SOURCE_DAMAGED;
    default: return IDS_MOVE_FAILED;
    }
}

// The file, why it failed, and what each button does. The path is data,
// passed as an argument and never used as a format.
int AskAboutFile(HWND page, const char* destination, FileFailure failure)
{
    FixedText<256> reason;
    reason.assign(LoadText(ReasonText(failure)));
    FixedText<1024> text;
    FormatText(text, LoadText(IDS_FILE_FAILED), destination, reason.c_str());
    return Tell(page, text, MessageCaption, MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION);
}

void RememberSkipped(int disk, int entry)
{
    if (SkippedCount < ListedSkips)
        SkippedFiles[SkippedCount] = {static_cast<int16_t>(disk), static_cast<int16_t>(entry)};
    ++SkippedCount;
}

// The name a failed file is reported by: its destination path, or its
// destination name when the path does not fit.
const char* ReportedName(FixedText<256>& path, int disk, int entry)
{
    return BuildDestPath(path, disk, entry) ? path.c_str() : EntryOf(disk, entry).DestName.c_str();
}

// One box before the registration: up to ten names, then how many more.
void ListSkippedFiles(HWND page)
{
    if (SkippedCount == 0) return;
    FixedText<ListedSkips * 257 + 320> text;
    text.assign(LoadText(IDS_FILES_SKIPPED));
    for (int i = 0; i < SkippedCount && i < ListedSkips; ++i) {
        FixedText<256> path;
        text.append("\n").append(ReportedName(path, SkippedFiles[i].disk, SkippedFiles[i].entry));
    }
    if (SkippedCount > ListedSkips) {
        FixedText<64> more;
        FormatText(more, LoadText(IDS_AND_MORE), SkippedCount - ListedSkips);
        text.append("\n").append(more);
    }
    Tell(page, text, MessageCaption, MB_OK | MB_ICONEXCLAMATION);
}

// A disk is recognised by its first source file. While that file is missing
// the user is asked for the disk by its label (data, never a format); OK
// looks again, Cancel abandons the installation. False when abandoned.
bool AskForDisk(HWND page, int disk)
{
    FixedText<MAX_PATH> source;
    int entry = 1;
    while (entry <= Disks[disk - 1].FileCount && EntryOf(disk, entry).SourceName.empty()) ++entry;
    if (entry > Disks[disk - 1].FileCount || !BuildSourcePath(source, disk, entry)) return true;
    while (GetFileAttributesA(source) == INVALID_FILE_ATTRIBUTES) {
        FixedText<1024> text;
        FormatText(text, LoadText(IDS_INSERT_DISK), Disks[disk - 1].Label.c_str());
        if (Tell(page, text, MessageCaption, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) {
            EndPage(page, PageCancel);
            return false;
        }
    }
    return true;
}

// The record has each new file of the disk ahead of the disk's copy, all in
// one write: a file no one has where the disk puts one. Files found there
// are noted one at a time, at their turn, as what they are found to be. A
// file noted here that is never made costs the rollback nothing.
void NoteDiskAhead(int disk)
{
    const int count = Disks[disk - 1].FileCount;
    FreeBlock(NotedAhead);
    NotedAhead = count > 0 ? static_cast<char*>(AllocBlock(static_cast<std::size_t>(count))) : nullptr;
    if (NotedAhead == nullptr) return;
    HoldAheadLines();
    for (int entry = 1; entry <= count; ++entry) {
        FixedText<256> destination;
        NotedAhead[entry - 1] = !EntryOf(disk, entry).SourceName.empty() && BuildDestPath(destination, disk, entry) &&
                                GetFileAttributesA(destination) == INVALID_FILE_ATTRIBUTES &&
                                NoteCreating(destination);
    }
    // Unwritten, each file is noted again at its turn.
    if (!WriteHeldLines()) std::memset(NotedAhead, 0, static_cast<std::size_t>(count));
}

void ShowFileStatus(const Display& display, const FileEntry& file)
{
    FixedText<256> status;
    status.assign(LoadText(IDS_COPYING)).append(file.SourceName).append("\n\n").append(file.Description);
    ShowStatus(display, status);
}

void CopyOneFile(Display& display, int disk, int entry)
{
    HWND page = display.page;
    const FileEntry& file = EntryOf(disk, entry);
    const int count = Disks[disk - 1].FileCount, percent = entry * 100 / count;
    const DWORD now = GetTickCount();
    bool shown = entry == 1 || entry == count || now - display.shownAt >= ShowEveryMs;
    if (shown) {
        display.shownAt = now;
        ShowFileStatus(display, file);
    }
    // While the disk's first file shows, its new files go into the record.
    if (entry == 1) NoteDiskAhead(disk);

    FixedText<MAX_PATH> source;
    FixedText<256> destination;
    bool sourceFits = BuildSourcePath(source, disk, entry);
    Expected.clear();
    if (sourceFits) ExpectChecksum(source);
    bool destinationFits = BuildDestPath(destination, disk, entry);
    for (bool first = true;; first = false) {
        FileFailure failure = OpenSourceFile(sourceFits ? source.c_str() : nullptr);
        if (first && shown) ShowProgress(display, percent);
        FileFailure expanded = ExpandToDest(page, destinationFits ? destination.c_str() : nullptr,
                                            NotedAhead != nullptr && NotedAhead[entry - 1] != 0);
        if (failure == FileFailure::None) failure = expanded;
        // An entry the script left empty names no file; a cancel wins.
        if (failure == FileFailure::None || file.SourceName.empty() || PageResult == PageCancel) return;
        if (!shown) {  // the box is read against the page: it shows this file
            shown = true;
            ShowFileStatus(display, file);
            ShowProgress(display, percent);
        }
        int answer = AskAboutFile(page, ReportedName(destination, disk, entry), failure);
        RedrawBar(display);
        if (answer == IDRETRY) continue;
        if (answer != IDIGNORE) return EndPage(page, PageCancel);
        RememberSkipped(disk, entry);
        LogLine("skipped %s: %s", ReportedName(destination, disk, entry), LoadText(ReasonText(failure)));
        return;
    }
}

}  // namespace

bool BuildSourcePath(FixedText<MAX_PATH>& path, int disk, int entry)
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

// The source is opened as a Win32 file, whose handle is the HFILE of the LZ
// interface, so that its time can be read; LZInit then takes the file over
// (and answers the same file when it is not compressed). A name the file
// system does not know goes to LZOpenFileA, which also looks for the file
// under its compressed name; such a copy takes the time of the installation.
const char* ChecksumKey(const char* source)
{
    const char* key = source + SetupDir.size() + 1;
    if (key[0] == '.' && key[1] == '\\') key += 2;
    if (key[0] == '\\') ++key;
    return key;
}

void ExpectChecksum(const char* source)
{
    Expected.assign(FindKey(Checksums, ChecksumKey(source)));
}

FileFailure OpenSourceFile(const char* path)
{
    SourceHandle.reset();
    SourceTimeKnown = false;
    SourceDamaged = false;
    if (path != nullptr) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            SourceHandle = OpenLzFile(path, OF_READ);
        } else {
            SourceTimeKnown = GetFileTime(file, nullptr, nullptr, &SourceTime) != FALSE;
            INT source = LZInit(static_cast<INT>(reinterpret_cast<INT_PTR>(file)));
            if (source >= 0) SourceHandle = LzFile(source);
            else CloseHandle(file);  // a compressed file LZInit could not read
        }
    }
    return SourceHandle ? FileFailure::None : FileFailure::SourceUnreadable;
}

FileFailure ExpandToDest(HWND page, const char* path, bool notedAhead)
{
    FileFailure failure = FileFailure::None;
    if (SourceHandle) failure = path != nullptr ? ExpandSafely(path, notedAhead) : FileFailure::DestinationUnwritable;
    SourceHandle.reset();
    PumpPageMessage(page);
    return failure;
}

void CopyAllFiles(HWND page)
{
    SkippedCount = 0;
    FreeBlock(Checksums);
    Checksums = ReadSection(SetupScriptPath(), "Checksums");
    // The unattended run has no page and draws nothing.
    WindowDC dc(page);
    Display display = {page, page != nullptr ? dc.get() : nullptr, GetDlgItem(page, IDC_STATUS), GetDlgItem(page, IDC_PERCENT), {}, -1, 0};
    for (int disk = 1; disk <= DiskCount && PageResult != PageCancel; ++disk) {
        if (disk > 1 && !AskForDisk(page, disk)) break;
        UpdateWindow(page);
        EmptyBar(display);
        HoldFileTimes();
        for (int entry = 1; entry <= Disks[disk - 1].FileCount && PageResult != PageCancel; ++entry)
            CopyOneFile(display, disk, entry);
        WriteFileTimes();
    }
    FreeBlock(NotedAhead);
    NotedAhead = nullptr;
    // A cancelled or aborted installation registers nothing: its files were
    // only partly copied.
    if (PageResult == PageCancel) return;
    ListSkippedFiles(page);
    ShowStatus(display, "Updating Registry...");
    if (page != nullptr) DelayMs(1000);
    UpdateRegistry(1);
}
