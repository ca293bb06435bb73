#include "shell/format_text.h"

#include <windows.h>

void FormatInto(char* out, std::size_t size, const char* format, va_list args)
{
    char wide[1025];  // wvsprintfA writes at most 1024 characters and the terminator
    wvsprintfA(wide, format, args);
    lstrcpynA(out, wide, static_cast<int>(size));
}
