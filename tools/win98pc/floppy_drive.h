// Drive A: as a floppy drive, with a folder of the host as the disk in it,
// and drive D: as a CD-ROM drive. A label and serial number for the volume
// are Wine's .windows-label and .windows-serial files in the folder.
#ifndef SETUP_TOOLS_FLOPPY_DRIVE_H
#define SETUP_TOOLS_FLOPPY_DRIVE_H

#include <string>

// Puts the host folder (a Unix path) into drive A: as a disk, defining the
// drive as a removable one; false when Wine's mount manager refuses.
bool InsertDisk(const std::string& unixFolder);

// Defines drive D: as a CD-ROM drive with the host folder as its CD.
bool InsertCd(const std::string& unixFolder);

#endif
