// The record, in the installed SETUP.INF, of the PC as it was before the
// package was installed: the registry values the driver registration
// replaced, the keys the installation created, the system.ini switch. It
// lets the uninstaller put the PC back as it was. Every entry is written
// once, so the first installation's record wins over later ones. The
// installation, the system configuration and the uninstaller all stand on
// it; it stands on the shell alone.
#ifndef SETUP_INSTALLED_RECORD_H
#define SETUP_INSTALLED_RECORD_H

#include <windows.h>

// The record's sections: the mouse types' registry values, the system.ini
// switch, and the registry keys the installation created.
extern const char* const RecordSections[5];
extern const char* const SystemIniRecord;   // section: keys MouseLine, SystemBak, VMouseMoved
extern const char* const CreatedKeysRecord; // section: "HKLM\path" or "HKCR\path" = tree | empty
extern const char* const ApplicationRecord; // section: key PropertySheetHandlers

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

// Before the copy: keeps the record sections of an installed SETUP.INF in
// memory, since the copy replaces that file with the medium's fresh one.
void KeepInstalledRecord();

// After the copy, before anything is recorded: writes the kept sections
// into the fresh SETUP.INF. Does its work once; later calls do nothing.
void RestoreInstalledRecord();

// Before a key is created: records the first part of its path that does not
// exist yet (nothing when the key exists). kind "tree": the uninstaller
// deletes the key with everything in it; "empty": only when it holds no
// values by then. Keys created on the way to a "tree" key are "empty" ones.
void RecordCreatedKey(HKEY root, const char* path, const char* kind);

#endif
