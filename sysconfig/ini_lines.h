// The line rules of the system.ini edit: which line is the mouse line that
// the edit replaces. Pure text, without the platform, so that the same code
// is compiled for the host and fuzzed there.
#ifndef SETUP_INI_LINES_H
#define SETUP_INI_LINES_H

// The line that replaces the mouse line, with its newline.
extern const char* const MouseLine;

// Whether the line begins a section: its first character after blanks is "[".
bool IsSectionHeader(const char* line);

// Whether the line is the header of the section name (ignoring the case of
// letters and the blanks around the name, as the profile functions do).
bool IsSection(const char* line, const char* name);

// Whether the line sets key: the text before its first "=", without the
// blanks around it and ignoring case, is key.
bool IsKeyLine(const char* line, const char* key);

// Whether the line sets the key "mouse": the text before its first "=",
// without the blanks around it and ignoring case, is "mouse".
bool IsMouseLine(const char* line);

// One step of the edit, line by line through the file: whether this line is
// replaced by MouseLine. searching starts false; a section header sets it
// to whether the section is [386Enh], and a replacement clears it, so each
// [386Enh] section has at most its first mouse line replaced.
bool ReplacesMouseLine(const char* line, bool& searching);

#endif
