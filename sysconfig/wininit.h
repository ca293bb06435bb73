// WININIT.INI: what Windows 9x does with files at its next start, before
// anything runs. In its [rename] section "NUL=path" deletes a file and
// "dest=source" moves source to dest (short paths; Windows 9x has no
// MoveFileExA that works). The file is edited as system.ini is: a complete
// new file, then the swap; other programs' lines are never lost.
#ifndef SETUP_WININIT_H
#define SETUP_WININIT_H

// Adds lines ("dest=source\n" each) to the [rename] section, after its
// header, or in a new section at the end. 1 when written.
int AddPendingRenames(const char* lines);

// The lines of [rename] that delete a file the installation puts in place
// (installs says which) are dropped, and such a file is deleted now, as the
// restart would have deleted it: the restart must not take the new file.
void DropPendingDeletes(bool (*installs)(const char* path));

#endif
