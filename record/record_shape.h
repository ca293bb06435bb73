// The shape of the record of the installation: its sections, what each
// holds, and the one form of what the record says of a file. A record is a
// text file of lines, one fact each, only ever added to:
//
//     [Section] key=value
//
// A new kind of fact is one row of RecordSections; a new field of a file's
// fact goes into FileFact, FormatFileFact and ParseFileFact alone.
#ifndef SETUP_RECORD_SHAPE_H
#define SETUP_RECORD_SHAPE_H

#include <windows.h>

#include <cstring>

#include "shell/fixed_text.h"

enum class Section { PS2, Serial, SystemIni, Created, Application, Files, Folders, Run, Count };

// How the record itself checks a line's value; the uninstaller checks on
// top what the key and value may name.
enum class ValueForm {
    Any,       // a registry value or a line of system.ini as it was, or empty
    KeyKind,   // "tree" (removed with everything in it) or "empty" (only when it holds nothing)
    FileFact,  // what was found where a file was put: see FileFact
    Folder,    // "created" or "found"
    Run,       // begun=folder, carried=record, ended=complete|undone
};

struct SectionShape {
    const char* name;
    const char* holds;
    // Written once the copy is done: an installation that ends before then
    // has nothing of the section to undo.
    bool atEnd;
    ValueForm form;
};

extern const SectionShape RecordSections[static_cast<int>(Section::Count)];

inline const char* SectionName(Section s)
{
    return RecordSections[static_cast<int>(s)].name;
}

// The section a line's name gives; Section::Count when none.
Section SectionNamed(const char* name);

// Whether value is in the form section's lines take.
bool ValueFormSound(Section section, const char* value);

// What the record says of a file. A line is written ahead of each change
// (an "-ing" word: the change may have happened or not when the program
// stopped) and one after it, with the file as it then lies:
//   creating                                 no file had the name; one is made
//   replacing,<size>,<sum>,<original>        another's file, these bytes, is kept at original
//   updating,<temporary name>                the package's file is replaced through a temporary
//                                            file of that name in its folder
//   created,<size>,<time>,<sum>              made
//   replaced,<size>,<time>,<sum>,<original>  made in the place of another's, kept at original
//   same,<size>,<time>,<sum>                 a file already held the package's bytes
// <size> in decimal, <time> (the last write) in 16 hex digits, <sum> the
// CRC-32 of the bytes in 8.
enum class FileStep { Creating, Replacing, Updating, Created, Replaced, Same, Count };

struct FileFact {
    FileStep step = FileStep::Same;   // the line's, or the last line's of a merged fact
    FileStep found = FileStep::Same;  // what the installation found there: Created, Replaced or Same
    FixedText<24> size;               // decimal
    FixedText<20> time;               // the file's last write, 16 hex digits (done steps)
    FixedText<12> sum;                // CRC-32, 8 hex digits
    FixedText<16> temporary;          // updating: the temporary file's name
    FixedText<MAX_PATH> original;     // replacing, replaced

    // Written ahead of a change: whether it happened is for the disk to tell.
    bool ahead() const { return step == FileStep::Creating || step == FileStep::Replacing || step == FileStep::Updating; }
    // The package's: made by the installation or in the place of another's.
    bool ours() const { return found == FileStep::Created || found == FileStep::Replaced; }
    // "size,sum" as FileSum gives them, and back.
    void lengthAndSum(FixedText<32>& text) const { text.assign(size).append(",").append(sum); }
    void takeLengthAndSum(const char* text)
    {
        const char* comma = std::strchr(text, ',');
        size.assign(text);
        size.truncate(static_cast<std::size_t>(comma - text));
        sum.assign(comma + 1);
    }
};

// False when value is not in one of the forms above.
bool ParseFileFact(const char* value, FileFact& fact);
bool FormatFileFact(const FileFact& fact, FixedText<MAX_PATH + 64>& value);

// What the lines of one file say together: once the package's, the file
// stays what was found first, with its original, and takes each later
// line's state (the file as it lies now, or a change under way).
void MergeFileFact(FileFact& merged, const FileFact& later);

#endif
