// The record of the PC as it was before the package was installed: the
// registry values the driver registration replaced, the keys the
// installation created, the system.ini switch, and what the installation
// found where it put each file and folder. It lets the uninstaller put the
// PC back as it was. It lives in a file of its own beside the installed
// SETUP.INF, SETUP.REC, one fact per line:
//
//     [Section] key=value
//
// Lines are only ever added, each put on the disk as it is written (a
// record whose end a power cut took is still a record of everything before
// it), and read by the program itself: the profile functions of Windows 95
// read no more than 32,767 characters of a section and 64 KB of a file,
// and a package of some hundred files records more. What is recorded first
// stays, so the first installation's record wins over later ones; a later
// installation, into the same folder or another, carries the record on.
// The installation, the system configuration and the uninstaller all stand
// on it; it stands on the shell alone.
#ifndef SETUP_INSTALLED_RECORD_H
#define SETUP_INSTALLED_RECORD_H

#include <windows.h>

#include "shell/fixed_text.h"

// The record's file in the installation folder.
extern const char* const RecordName;  // "SETUP.REC"

// The record's sections: the mouse types' registry values, the system.ini
// switch, the registry keys the installation created, the application's
// handler, the files and the folders.
extern const char* const RecordSections[7];
extern const char* const SystemIniRecord;   // section: keys MouseLine, SystemBak, VMouseMoved
extern const char* const CreatedKeysRecord; // section: "HKLM\path" or "HKCR\path" = tree | empty
extern const char* const ApplicationRecord; // section: key PropertySheetHandlers
// Section: full path = what was found there, the file as installed (its
// size, last write and the CRC-32 of its bytes), and where the file it
// replaced is kept:
//   created,<size>,<time>,<sum>           no file had the name
//   replaced,<size>,<time>,<sum>,<path>   another file had it; it is kept at path
//   same,<size>,<time>,<sum>              a file already held the package's bytes
// <size> in decimal, <time> 16 hex digits, <sum> 8 hex digits. A later line
// of a file gives the file as it lies now; what was found there stays as
// the first line that found it the package's says.
extern const char* const FilesRecord;
extern const char* const FoldersRecord;     // section: full path = created | found

// The record file of the installation in folder.
bool RecordPathIn(const char* folder, FixedText<MAX_PATH>& path);

// A value of the record of the installation in InstallDir, or def. The
// result lies in one shared buffer that the next call overwrites.
const char* ReadInstalledSetting(const char* section, const char* key, const char* def);

// Records a value unless the key is there already (even empty), so the
// first value recorded stays. A value is recorded up to a line break it may
// hold: the record's lines are never broken.
void WriteInstalledSettingOnce(const char* section, const char* key, const char* value);

// Every line of the record file at path, each ended by a zero and the list
// by a second one, or null when there is none or it cannot be read. The
// caller frees it (FreeBlock).
char* ReadRecordLines(const char* path);

// The section and the "key=value" of a record line; false when the line is
// not in the record's form.
bool SplitRecordLine(const char* line, FixedText<16>& section, const char*& keyAndValue);

// One section of the record of InstallDir's installation as the profile
// functions give a section: "key=value" texts, each key once with its
// merged value, each ended by a zero, the list ended by a second one. Null
// when the section is empty or the memory is not there. The caller frees it.
char* ReadRecordSection(const char* section);

// A whole section of a profile file (the setup script) as
// GetPrivateProfileSectionA gives it. Null when the section is empty or
// missing, or the memory is not there; never a cut section. The caller
// frees it.
char* ReadSection(const char* path, const char* section);

// The value of key (compared without regard to case) in such a list, or
// null. lines may be null.
const char* FindKey(const char* lines, const char* key);

// Before the copy: the installation takes the record up, from previous
// (the record of an installation in another folder) when that holds one,
// else from InstallDir's. Until EndInstalledRecord the record is held in
// memory as well, and lines go into InstallDir's record file.
void KeepInstalledRecord(const char* previous);

// At the end of the installation, complete or not: the record file is
// closed. When the installation completed and the record came from another
// folder, that folder's record file goes: one record serves the PC.
void EndInstalledRecord(bool completed);

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
// with where the original is kept, or "same"), and the file as it lies now,
// its handle closed (only then has the system settled its time): its sum as
// FileSum gives it, or null to have it read.
void NoteFile(const char* path, const char* found, const char* original, const char* sum);

// A folder the installation made, or found there already.
void NoteFolder(const char* path, bool created);

// A path as the record names it: whole, as the system composes it (one
// backslash between parts, no "." or ".."); false when it does not fit.
bool FullPath(const char* path, FixedText<MAX_PATH>& full);

// A file as it lies now, "size,time" as the record writes them; false when
// there is no such file.
bool FileStamp(const char* path, FixedText<32>& stamp);

// The length and CRC-32 of a file's bytes, "length,sum in 8 hex digits" as
// the script's [Checksums] writes them; false when it cannot be read.
// FormatSum writes one.
bool FileSum(const char* path, FixedText<32>& sum);
void FormatSum(FixedText<32>& sum, DWORD length, DWORD crc);

#endif
