// system.ini, the mouse device file and the package's files and folders
// back as they were, from the record.
#ifndef UNDO_UNDO_FILES_H
#define UNDO_UNDO_FILES_H

// The [386Enh] mouse line and VMM32\VMOUSE.VXD, as recorded.
void UndoSystemIni();

// The files the installation created go, those it replaced come back from
// where they were kept, and the folders it made go once empty; a file that
// changed since the installation stays. A file that cannot go now (this
// program among them) goes at the next start of Windows through WININIT.INI.
// With deleteRecord the record file goes before the folders do.
void UndoFiles(bool deleteRecord);

// A replacement of the package's own file that was under way ends: its
// temporary file takes the file's place when the file is gone, else goes.
void SettleTemporaries();

#endif
