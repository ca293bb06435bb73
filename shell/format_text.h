// Texts formatted by the system's wvsprintfA into fixed widths, cut where
// they do not fit. The log and the small services both stand on it.
#ifndef SETUP_FORMAT_TEXT_H
#define SETUP_FORMAT_TEXT_H

#include <cstdarg>
#include <cstddef>

#include "shell/fixed_text.h"

// wvsprintfA into size bytes at out, cut to size - 1 characters.
void FormatInto(char* out, std::size_t size, const char* format, va_list args);

// wvsprintfA into a fixed text, cut to its width. The format is always one
// of the program's own texts, never script or user text.
template <std::size_t N>
void FormatText(FixedText<N>& out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatInto(out.data(), N, format, args);
    va_end(args);
}

#endif
