// Text files read line by line, whatever the length of a line, and edited
// safely: a complete new file beside the old one, then the swap.
#ifndef SETUP_LINE_FILE_H
#define SETUP_LINE_FILE_H

#include <cstddef>

#include "shell/text_buffer.h"
#include "shell/text_file.h"

enum class LineRead { Line, End, Failed };

// The next line with its newline (the last line of the file may lack one).
// Text mode has turned CR LF into the newline and ends the input at Ctrl-Z.
LineRead ReadLine(TextReader& input, TextBuffer& line);

// What an edit does with one line (with its newline), and once more with a
// null line after the last: it writes what the line becomes into out, or
// nothing to drop it. False when a write failed.
using LineEdit = bool (*)(TextWriter& out, const char* line, std::size_t length, void* state);

// Writes text into out; false when it did not all go.
bool Put(TextWriter& out, const char* text, std::size_t length);
bool Put(TextWriter& out, const char* text);

// Copies the file at path through edit into fresh (a missing file reads as
// empty); only a complete copy replaces it: the old file takes the name
// backup, fresh takes its name, and the backup stays when keepBackup. On
// any failure path keeps its name and content, and no fresh is left behind.
// 1 when replaced. Windows 9x caches profile files and may write a cached
// copy back over the new one: the cache is flushed before the file is read
// and after it was replaced.
int RewriteFile(const char* path, const char* fresh, const char* backup, bool keepBackup, LineEdit edit,
                void* state);

#endif
