// The copy engine of the Install page: every file of every disk, from the
// program's directory tree into the destination, expanded on the way.
#ifndef SETUP_COPY_ENGINE_H
#define SETUP_COPY_ENGINE_H

#include <windows.h>

#include "shell/fixed_text.h"
#include "shell/handles.h"

// The source file open between OpenSourceFile and ExpandToDest.
extern LzFile SourceHandle;

// The files CopyAllFiles skipped, as the user chose or, in the unattended
// run, as decided for a file that cannot be installed.
extern int SkippedCount;

// The five ways one file can fail.
enum class FileFailure { None, SourceUnreadable, DestinationUnwritable, ExpansionIncomplete, MoveFailed, SourceDamaged };

// Copies every file, disk by disk, showing them on the page with a per-disk
// percentage and bar (files quicker than the eye at most every 50 ms), then
// updates the registry. Before the first file of disk 2 and later it asks
// for the disk while that file is missing. A file that fails is reported,
// and the user aborts, retries or skips it; skipped files are listed before
// the registry is updated. Stops between files when the user cancels or
// aborts (PageResult 0), and then registers nothing. Without a page (the
// unattended run) it shows nothing.
void CopyAllFiles(HWND page);

// The two paths of entry n (from 1) of disk d (from 1), each part joined by
// one backslash: SetupDir, SourceDir, SourceName; and InstallDir (unless the
// entry is absolute), DestDir, DestName. False when the path does not fit:
// the file is then reported, never cut. A source may be as long as Windows
// allows a path: the medium may lie deep in a share.
bool BuildSourcePath(FixedText<MAX_PATH>& path, int disk, int entry);
bool BuildDestPath(FixedText<256>& path, int disk, int entry);

// The key of a file's line in the script's [Checksums]: its path on the
// medium (source, as BuildSourcePath composed it) from the medium's root; a
// file in the root (no folder, or ".") by its name alone.
const char* ChecksumKey(const char* source);

// What the script's [Checksums] records of the file at source (a path
// BuildSourcePath composed): the length and CRC-32 of the bytes it
// installs. The copy compares them before the file takes its place; a
// script that records none leaves the file unchecked.
void ExpectChecksum(const char* source);

// The two halves of one file's copy; the second ends by letting the page
// handle one pending message. (A pending click is thus handled once the
// file is copied, as it would be between the halves, since the file in
// progress is always finished; a second chance in between costs each file
// a round trip to the window system.) A null path (one that did not fit)
// opens nothing. notedAhead: the record has the new file ahead already.
FileFailure OpenSourceFile(const char* path);
FileFailure ExpandToDest(HWND page, const char* path, bool notedAhead = false);

#endif
