// The program's string table and the small services several parts share.
#ifndef SETUP_SERVICES_H
#define SETUP_SERVICES_H

#include <windows.h>

#include <cstdint>

#include "resource.h"
#include "shell/fixed_text.h"
#include "shell/format_text.h"

using StringId = uint16_t;

// The text of a string-table entry, or null when the table has none. It lies
// in one of four buffers used in turn, so it stays valid through the next
// three calls; a caller that needs it longer copies it.
const char* LoadText(StringId id);

// The notice that the installation was abandoned, owned by a page.
void ShowNotCompleted(HWND owner);

// WindowsDir from GetWindowsDirectoryA with the limit of 80: a longer
// directory leaves it empty, which the script loader refuses.
void ReadWindowsDirectory();

// The program's own file as a full path, false when it cannot be read or
// is longer than Windows allows (MAX_PATH - 1). Windows names a program
// started from a share "\\server\share\dir\SETUP.EXE"; Wine names it
// "UNC\server\share\dir\SETUP.EXE" (its NT path without the "\??\"),
// which would read as a folder below the current one, so that form is
// given as Windows gives it.
bool ReadProgramPath(FixedText<MAX_PATH>& path);

// 1 when path names an existing directory, else 0 (a file gives 0).
int DirectoryExists(const char* path);

// Whether two paths name the same file or folder (long or short names,
// without regard to case).
bool SamePath(const char* a, const char* b);

// Whether another program holds the file open. Windows 95 deletes and moves
// a file that is open all the same, so a failed delete cannot tell: the
// file is opened for this program alone, which a file open elsewhere
// refuses.
bool FileInUse(const char* path);

// The install-list block for n file entries and the ten group items; 1 on
// success, 0 when n is negative or the memory is not available.
int AllocInstallList(int16_t n);
void FreeInstallList();

#endif
