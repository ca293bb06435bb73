#include "sysconfig/line_file.h"

#include <windows.h>

#include <cstring>

// Read a character at a time, so that a stray zero byte is copied like any
// other character instead of cutting the line.
LineRead ReadLine(TextReader& input, TextBuffer& line)
{
    line.clear();
    int c;
    while ((c = input.next()) != -1) {
        char character = static_cast<char>(c);
        if (!line.append(&character, 1)) return LineRead::Failed;
        if (character == '\n') return LineRead::Line;
    }
    // The end and a read error look alike; a copy that stopped at an error
    // must not replace the file.
    if (input.failed()) return LineRead::Failed;
    return line.length() != 0 ? LineRead::Line : LineRead::End;
}

bool Put(TextWriter& out, const char* text, std::size_t length)
{
    return out.put(text, length);
}

bool Put(TextWriter& out, const char* text)
{
    return Put(out, text, std::strlen(text));
}

namespace {

// Every line through the edit, then the edit's end; false when the copy is
// not complete.
bool CopyLines(TextReader& input, TextWriter& output, LineEdit edit, void* state)
{
    TextBuffer line;
    for (;;) {
        LineRead read = input.opened() ? ReadLine(input, line) : LineRead::End;
        if (read == LineRead::Failed) return false;
        if (read == LineRead::End) return edit(output, nullptr, 0, state);
        if (!edit(output, line.c_str(), line.length(), state)) return false;
    }
}

}  // namespace

int RewriteFile(const char* path, const char* fresh, const char* backup, bool keepBackup, LineEdit edit,
                void* state)
{
    bool existed = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
    bool complete;
    {
        TextReader input(path);
        if (existed && !input.opened()) return 0;  // there, but it cannot be read
        TextWriter output(fresh);
        if (!output.opened()) return 0;
        complete = CopyLines(input, output, edit, state);
        // The close writes what is still buffered; its failure leaves a short copy.
        complete = output.close() && complete;
    }
    if (!complete) {
        DeleteFileA(fresh);
        return 0;
    }
    if (existed) {
        DeleteFileA(backup);
        if (!MoveFileA(path, backup)) {
            DeleteFileA(fresh);
            return 0;
        }
    }
    if (!MoveFileA(fresh, path)) {
        // Put the original back under its name; should even that move fail,
        // a copy of it, for Windows does not start without a system.ini.
        if (existed && !MoveFileA(backup, path)) CopyFileA(backup, path, TRUE);
        DeleteFileA(fresh);
        return 0;
    }
    if (!keepBackup) DeleteFileA(backup);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
    return 1;
}
