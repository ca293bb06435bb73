// The records of the setup script's model: the files to install, the source
// disks and the program-group items. FileEntry and GroupItem records lie back
// to back in the one zero-filled install-list block, so they hold only
// fixed-width texts and integers.
#ifndef SETUP_SCRIPT_RECORDS_H
#define SETUP_SCRIPT_RECORDS_H

#include <cstdint>

#include "shell/fixed_text.h"

constexpr int MaxDisks = 6;
constexpr int DirectoryKeywordCount = 10;  // RootDir, SubDir1..SubDir6, WinDir, WinSystemDir, WinInfDir
// The keywords whose files go into the Windows directories, by their index.
constexpr int WinDirKeyword = 7;
constexpr int WinSystemDirKeyword = 8;
constexpr int WinInfDirKeyword = 9;
constexpr int SubDirCount = 6;
constexpr int MaxGroupItems = 10;

struct FileEntry {
    FixedText<40> SourceDir;   // subdirectory of SetupDir holding the source file
    FixedText<40> DestDir;     // relative to InstallDir, or a full path when Absolute
    FixedText<15> SourceName;
    FixedText<15> DestName;
    FixedText<62> Description; // shown under the file name while it is copied
    int32_t Absolute;          // 1 for the Windows directory keywords
};

struct GroupItem {
    FixedText<15> ItemFile;
    FixedText<40> ItemTitle;
    FixedText<5> ItemExtra;
};

struct DiskSlot {
    FixedText<256> Label;      // a disk exists when it has a label; the disk prompt names it
    int16_t FileCount;
    FileEntry* FirstEntry;     // into the install list
};

#endif
