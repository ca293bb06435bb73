// The text rules of SETUP.INF's file and program-group lines: the fields,
// their cut to the widths of the records, and the directories a keyword
// gives. Pure text, without the platform, so that the same code is
// compiled for the host and fuzzed there.
#ifndef SETUP_SCRIPT_LINES_H
#define SETUP_SCRIPT_LINES_H

#include "shell/script_records.h"
#include "shell/fixed_text.h"

// Copies the next comma-separated field of a script line into field, without
// the blanks around it, and returns where the following field begins (the
// end of the line when there is none, so further calls give empty fields).
const char* SplitField(const char* position, FixedText<256>& field);

// A file line: source name, destination name and description, each cut to
// its field's width, and the fourth field, the directory keyword, whole.
void SplitFileLine(const char* line, FileEntry& entry, FixedText<256>& keyword);

// A program-group line: file, title and extra, each cut to its width.
void SplitGroupLine(const char* line, GroupItem& item);

// SourceDir, DestDir and Absolute of a file whose keyword is directory
// keyword k (0 RootDir, 1..6 SubDir1..SubDir6, 7 WinDir, 8 WinSystemDir,
// 9 WinInfDir), whose DirectoryName value is directoryName. False when a
// directory does not fit its field: a path is never cut.
bool SetEntryDirectories(int k, const char* directoryName, const char* windowsDir, FileEntry& entry);

#endif
