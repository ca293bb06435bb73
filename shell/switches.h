// The command line of SETUP.EXE. "-u" (the driver-only run) is read by
// WinMain itself; every other command line is read here. One that begins
// with /S asks for the unattended installation:
//   SETUP.EXE /S [/MOUSE=PS2|/MOUSE=SERIAL] [/DIR=path] [/RESTART] [/LOG=path]
// the switches in any order and in any case, a path with blanks quoted
// (/DIR="C:\Program Files\Zorva"). Without /S only /LOG counts, and the
// wizard runs as it always has.
#ifndef SETUP_SWITCHES_H
#define SETUP_SWITCHES_H

#include <windows.h>

#include "shell/fixed_text.h"

struct Switches {
    bool unattended;          // /S, the first word
    bool restart;             // /RESTART
    int mouse;                // /MOUSE: -1 not given, 0 PS/2, 1 serial
    FixedText<256> dir;       // /DIR, empty when not given
    FixedText<MAX_PATH> log;  // /LOG, empty when not given
};

// Reads the switches of commandLine. False when the unattended run is asked
// for with a word it does not know, a switch without its value, or a path
// too long to hold whole: such a run installs nothing.
bool ReadSwitches(const char* commandLine, Switches& switches);

// What the unattended run ends with.
enum ExitCode {
    Installed = 0,        // everything installed
    Incomplete = 1,       // installed, but a file was skipped or system.ini not switched (the log names it)
    NotWindows9x = 2,     // the platform is not Windows 95 or 98
    ScriptUnreadable = 3, // SETUP.INF is missing, unreadable or refused
    FolderRefused = 4,    // the folder cannot be used or created
    NoSpace = 5,          // too little free space on the folder's drive
    DiskMissing = 6,      // a disk of the medium was not there
    BadCommandLine = 7,   // a switch not understood
    ProgramDamaged = 8,   // SETUP.EXE itself is damaged
    LeftRunRefused = 9,   // an unfinished installation cannot be taken back, or one is under way
};

#endif
