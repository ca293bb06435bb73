// The run's log, for an administrator or a support line: what the run did,
// one line per step, in plain text with CR LF. It is written only when the
// command line names it (/LOG=path); a log that cannot be written is given
// up, never the installation.
#ifndef SETUP_SETUP_LOG_H
#define SETUP_SETUP_LOG_H

#include <windows.h>

// Set for the unattended run (/S): nobody is there to answer, and no window
// appears.
extern bool Unattended;

// Opens the log at path, after what it already holds: each run begins with
// its own line. A path that cannot be opened leaves the log off.
void OpenLog(const char* path);
void CloseLog();

// The start of a program's run as its switches ask: Unattended set, the log
// opened when /LOG names one, and its first line, the time, the program and
// its command line.
struct Switches;
void StartRun(const Switches& switches, const char* program, const char* commandLine);
bool LogOpen();

// One line. The format is always one of the program's own texts; its
// arguments are data, and a line break among them becomes a blank.
void LogLine(const char* format, ...);

// A message box, or in the unattended run the answer decided for it: a file
// that cannot be installed is skipped (Ignore), a disk that is missing ends
// the run (Cancel), and a notice is taken (OK). Either way the log gets the
// text and the answer.
int Tell(HWND owner, const char* text, const char* caption, UINT style);

#endif
