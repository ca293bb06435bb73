// The record, in the installed SETUP.INF, of the PC as it was before the
// package was installed: the registry values the driver registration
// replaced, the keys the installation created, the system.ini switch, and
// what the installation found where it put each file and folder. It lets
// the uninstaller put the PC back as it was. Every entry is written once, so
// the first installation's record wins over later ones; a later
// installation, into the same folder or another, carries the record on.
// The installation, the system configuration and the uninstaller all stand
// on it; it stands on the shell alone.
#ifndef SETUP_INSTALLED_RECORD_H
#define SETUP_INSTALLED_RECORD_H

#include <windows.h>

#include "shell/fixed_text.h"

// The record's sections: the mouse types' registry values, the system.ini
// switch, the registry keys the installation created, the application's
// handler, the files and the folders.
extern const char* const RecordSections[7];
extern const char* const SystemIniRecord;   // section: keys MouseLine, SystemBak, VMouseMoved
extern const char* const CreatedKeysRecord; // section: "HKLM\path" or "HKCR\path" = tree | empty
extern const char* const ApplicationRecord; // section: key PropertySheetHandlers
// Section: full path = what was found there, the file as installed, and
// where the file it replaced is kept:
//   created,<size>,<time>           no file had the name
//   replaced,<size>,<time>,<path>   another file had it; it is kept at path
//   same,<size>,<time>              a file already held the package's bytes
// <size> in decimal, <time> the last write as 16 hex digits.
extern const char* const FilesRecord;
extern const char* const FoldersRecord;     // section: full path = created | found

// A value of the installed SETUP.INF (the one in InstallDir), or def. The
// result lies in one shared buffer that the next call overwrites.
const char* ReadInstalledSetting(const char* section, const char* key, const char* def);

// Writes a value into the installed SETUP.INF unless the key is there
// already (even empty), so the first value recorded stays.
void WriteInstalledSettingOnce(const char* section, const char* key, const char* value);

// Records value under key once, as WriteInstalledSettingOnce does, quoted
// when it begins or ends with a blank or a quotation mark: the profile
// functions would drop those (the system's driver date " 5-11-1998" begins
// with a blank).
void RecordValueOnce(const char* section, const char* key, const char* value);

// A whole section of a profile file as GetPrivateProfileSectionA gives it:
// "key=value" texts, each ended by a zero, the list ended by a second one.
// Null when the section is empty or missing, or the memory is not there;
// never a cut section. The caller frees it.
char* ReadSection(const char* path, const char* section);

// The value of key (compared without regard to case) in such a list, or
// null. lines may be null.
const char* FindKey(const char* lines, const char* key);

// Before the copy: keeps the record in memory, since the copy replaces the
// installed SETUP.INF with the medium's fresh one. It is taken from
// previousScript (the SETUP.INF of an installation in another folder) when
// that holds a record, else from InstallDir's SETUP.INF.
void KeepInstalledRecord(const char* previousScript);

// After the copy, before anything is recorded: the record sections that the
// medium's fresh SETUP.INF brought (another PC's) are cleared, and the kept
// ones, but for the files and folders, written into it. Does its work once;
// later calls do nothing.
void RestoreInstalledRecord();

// Before a key is created: records the first part of its path that does not
// exist yet (nothing when the key exists). kind "tree": the uninstaller
// deletes the key with everything in it; "empty": only when it holds no
// values by then. Keys created on the way to a "tree" key are "empty" ones.
void RecordCreatedKey(HKEY root, const char* path, const char* kind);

// Whether the record names the file at path as the package's: created or
// replaced by this installation or an earlier one.
bool IsPackageFile(const char* path);

// Moves the file at path, another's that the package replaces, to a free
// name in the folder ORIGINAL of InstallDir (created when needed), where
// the uninstaller finds it. False when it could not be moved: the file is
// then where it was.
bool KeepOriginal(const char* path, FixedText<MAX_PATH>& original);

// What the installation found where it put a file ("created", "replaced"
// with where the original is kept, or "same"), and the file as it lies now:
// stamp as FileStamp gives it, or null to have it looked up.
void NoteFile(const char* path, const char* found, const char* original, const char* stamp);

// A folder the installation made, or found there already.
void NoteFolder(const char* path, bool created);

// At the end of the installation, complete or not: the files and folders
// noted, merged into the kept record (what an earlier installation found
// stays; the file as it lies now is what counts), go into the installed
// SETUP.INF. When the installation completed and the record came from
// another folder, that folder's SETUP.INF loses its record: one record
// serves the PC.
void WriteFileRecord(bool completed);

// A path as the record names it: whole, as the system composes it (one
// backslash between parts, no "." or ".."); false when it does not fit.
bool FullPath(const char* path, FixedText<MAX_PATH>& full);

// A file as it lies now, "size,time" as the record writes them; false when
// there is no such file. FormatStamp writes one from what a handle tells.
bool FileStamp(const char* path, FixedText<32>& stamp);
void FormatStamp(FixedText<32>& stamp, DWORD size, const FILETIME& written);

// Whether two such stamps name one file as it was: the same size, and times
// less than two seconds apart (a FAT disk keeps a file's time to the even
// second, whatever it was set to).
bool SameStamp(const char* a, const char* b);

#endif
