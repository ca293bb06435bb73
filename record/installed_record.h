// The record of the PC as it was before the package was installed: the
// registry values the driver registration replaced, the keys the
// installation created, the system.ini switch, and what the installation
// found where it put each file and folder (record/record_shape.h gives its
// form). It lets the uninstaller put the PC back as it was, and lets any
// later run take back an installation that did not finish.
//
// A run of the installation writes its record into the run's journal,
// SETUP.RUN in the Windows folder, which exists from before the first change
// until the run has ended: the record carried from an earlier installation
// first, then "[Run] begun=folder", then a line ahead of each change, put on
// the disk before the change is made (a power cut can take the change, never
// its record), and a line after it. At the end ("[Run] ended=complete" or
// "ended=undone") the journal's record takes its place as SETUP.REC beside
// the installed SETUP.INF, and the journal goes. Should the program stop
// before, the next run finds the journal where it always is.
//
// The record is read by the program itself, never by the profile
// functions: those of Windows 95 read no more than 32,767 characters of a
// section and 64 KB of a file. What is recorded first of a key stays, so
// the first installation's record wins over later ones. The installation,
// the system configuration and the uninstaller stand on it; it stands on
// the shell alone.
#ifndef SETUP_INSTALLED_RECORD_H
#define SETUP_INSTALLED_RECORD_H

#include <windows.h>

#include "record/record_shape.h"
#include "shell/fixed_text.h"

extern const char* const RecordName;   // "SETUP.REC", beside the installed SETUP.INF
extern const char* const JournalName;  // "SETUP.RUN", in the Windows folder
// The package's uninstall entry, whose command names the folder of the
// installation on this PC.
extern const char* const UninstallEntryKey;

// The record file of the installation in folder; the journal of a run.
bool RecordPathIn(const char* folder, FixedText<MAX_PATH>& path);
bool JournalPath(FixedText<MAX_PATH>& path);

// A value of the record (the open run's, else the record of InstallDir's
// installation), or def. The result lies in one shared buffer that the next
// call overwrites.
const char* ReadInstalledSetting(Section section, const char* key, const char* def);

// Records a value unless the key is there already (even empty), so the
// first value recorded stays; on the disk before the call returns. A value
// is recorded up to a line break it may hold: the record's lines are never
// broken.
void WriteInstalledSettingOnce(Section section, const char* key, const char* value);

// Every line of the record file at path, each ended by a zero and the list
// by a second one, or null when there is none or it cannot be read. A last
// line without its line end (a write a power cut broke off) is not taken.
// The caller frees it (FreeBlock).
char* ReadRecordLines(const char* path);

// The section and the "key=value" of a record line; false when the line is
// not in the record's form.
bool SplitRecordLine(const char* line, FixedText<16>& section, const char*& keyAndValue);

// Every line the record holds now, as ReadRecordLines gives them, or null.
// The caller frees it.
char* CurrentRecordLines();

// One section of the record (not Files) as the profile functions give a
// section: "key=value" texts, each key once with its first value, each ended by a
// zero, the list ended by a second one. Null when the section is empty or
// the memory is not there. The caller frees it.
char* ReadRecordSection(Section section);

// Every file the record names, in the order it first names them, with what
// its lines say merged.
using FileVisitor = void (*)(const char* path, const FileFact& fact, void* context);
void ForEachFile(FileVisitor visit, void* context);

// What the record says of the file at path, all its lines merged; false
// when it says nothing.
bool ReadFileFact(const char* path, FileFact& fact);

// A whole section of a profile file (the setup script) as
// GetPrivateProfileSectionA gives it. Null when the section is empty or
// missing, or the memory is not there; never a cut section. The caller
// frees it.
char* ReadSection(const char* path, const char* section);

// The value of key (compared without regard to case) in such a list, or
// null. lines may be null.
const char* FindKey(const char* lines, const char* key);

// A run of the installation into InstallDir begins, unless one is open: its
// journal holds the record of the earlier installation (the one the
// uninstall entry names, else InstallDir's own) and the run's beginning.
// False when the journal cannot be written: nothing may be changed then.
bool BeginRun();
bool RunOpen();

// The end of the open run is written; SettleRecord then puts its record in
// place.
void EndRun(bool completed);

// The journal's record in place: a completed run's as InstallDir's
// SETUP.REC (the record of another folder it carried goes), an undone run's
// lines dropped and the rest back where it was carried from. Then the
// journal goes. False when that could not be written: the journal stays.
bool SettleRecord();

// A run that another process left: none, one that did not end, or one that
// ended and whose record is still to settle. The journal is then the
// record, and InstallDir the folder of the run. InUse: another process
// holds the journal open, its run is under way.
enum class LeftRun { None, Unfinished, Ended, InUse };
LeftRun FindLeftRun();

// Of the open run, only what it changed first is read from now on: the keys
// the record did not hold before the run began (what the run found there
// is what it undoes). True when the record held anything before the run.
bool ReadOnlyRunChanges();

// Before a key is created: records the first part of its path that does not
// exist yet (nothing when the key exists). kind "tree": the uninstaller
// deletes the key with everything in it; "empty": only when it holds no
// values by then. Keys created on the way to a "tree" key are "empty" ones.
void RecordCreatedKey(HKEY root, const char* path, const char* kind);

// Whether the record names the file at path as the package's, as it lies
// now: made or replaced by this installation or an earlier one.
bool IsPackageFile(const char* path);

// Moves the file at path, another's that the package replaces, to a free
// name in the folder ORIGINAL of InstallDir (created when needed), where
// the uninstaller finds it; the record has it first. False when it could
// not be moved: the file is then where it was.
bool KeepOriginal(const char* path, FixedText<MAX_PATH>& original);

// Ahead of a change of the file at path: a new file made where none is, or
// the package's own replaced through the temporary file of that name in its
// folder. False when the record cannot be written: the change is not made.
bool NoteCreating(const char* path);
bool NoteUpdating(const char* path, const char* temporaryName);

// Lines ahead of many changes at once (a disk's new files): from
// HoldAheadLines on, a line ahead of a change waits, and WriteHeldLines puts
// all of them on the disk in one write and one flush, before the first of
// those changes is made. A flush costs a turn of the disk on a real PC.
// Outside a run each line is written as it comes. False when they could not
// be written: none of the changes is made.
void HoldAheadLines();
bool WriteHeldLines();

// The facts of files made wait for their times from HoldFileTimes on, and
// WriteFileTimes reads the times of all of them, a look at each folder,
// and puts the facts into the record. A reading of the record, or a change
// of a waiting file, writes them first. The rollback needs none of them:
// the lines ahead of the changes name every file.
void HoldFileTimes();
bool WriteFileTimes();

// After the change, or for a file found as the package has it: what was
// found there (Created, Replaced with where the original is kept, or Same)
// and the file as it lies now, its handle closed (only then has the system
// settled its time): its sum as FileSum gives it, or null to have it read.
void NoteFile(const char* path, FileStep found, const char* original, const char* sum);

// The folder at path, made when it is missing, the record having it first;
// or noted as found. False when it is not there.
bool MakeFolder(const char* path);

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
