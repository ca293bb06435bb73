// A program checks its own file before it shows anything: a floppy that went
// bad or a download that arrived cut must not run a damaged setup.
#ifndef SETUP_SELF_CHECK_H
#define SETUP_SELF_CHECK_H

// Whether the program's file, as it lies on the disk, still sums to the
// checksum its PE header records (every link of both programs sets it). A
// header that records none counts as intact.
bool ProgramFileIntact();

// The check, and when it fails the one box that says so; false then, and
// the program ends without touching the PC.
bool ProgramFileIntactOrTellUser();

#endif
