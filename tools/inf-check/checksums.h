// The [Checksums] section of SETUP.INF: for each source file on the medium,
// the length and CRC-32 of the bytes the setup program installs from it
// (expanded, when the file is compressed), as "<key>=<length>,<crc>".
// mkmedium writes it after the other sections; inf-check --medium verifies
// the medium's files by it, so that a flipped byte on a floppy or a cut
// download is found before the medium ships.
#ifndef INF_CHECK_CHECKSUMS_H
#define INF_CHECK_CHECKSUMS_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "script_rules.h"

extern const char* const ChecksumsSection;

struct Checksum {
    uint64_t length = 0;  // the section holds 32 bits; a larger file never matches
    uint32_t crc = 0;
};

Checksum ChecksumOf(const std::vector<uint8_t>& bytes);

// "<length>,<crc>": decimal, and exactly 8 uppercase hex digits.
std::string ChecksumText(const Checksum& sum);

// A value of the section; false when it is not a decimal length below
// 4 GiB, a comma and 8 hex digits (either case), with nothing else.
bool ParseChecksum(const std::string& value, Checksum& sum);

// The source path of a file line on the medium, as the setup program
// composes it: "<DirectoryName folder>\<source name>", the name alone when
// the folder is empty or ".". Keys compare without regard to case.
std::string ChecksumKey(const FileLine& file);

// Whether a key names the script itself, which cannot record its own
// checksum: every line written changes the bytes it would describe.
bool IsScriptItself(const std::string& key);

// The bytes installed from a source file as it lies on the medium: the
// expansion when compressed, else the file itself. False when the
// compressed data breaks off inside a reference.
bool InstalledBytes(const std::vector<uint8_t>& onMedium, bool compressed, std::vector<uint8_t>& installed);

// The section as mkmedium writes it: each source path once, in the order of
// the file lines, with the length and CRC-32 of what the program installs
// from it.
struct ChecksumLines {
    std::string text = "[" + std::string(ChecksumsSection) + "]\r\n";
    std::map<std::string, std::pair<Checksum, int>> recorded;  // by key in capitals: the sum and its line

    // An empty text, or why the file cannot be recorded: two file lines with
    // one source path name one file on the medium, so their sums must agree.
    std::string Add(const FileLine& file, const Checksum& sum);
};

// The section mkmedium writes for the script's file lines, each length at
// its widest (10 digits): the one it writes from any payload is no longer.
std::string WidestChecksums(const ScriptModel& model);

// The form of each line of the section, when the script has one.
void CheckChecksumLines(ScriptModel& model);

// A file line's file on the medium against the section: damaged, or not
// recorded. Call only when the script has the section.
void CheckFileChecksum(ScriptModel& model, const FileLine& file, const std::vector<uint8_t>& onMedium, bool compressed);

#endif
