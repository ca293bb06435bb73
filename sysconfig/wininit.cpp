#include "sysconfig/wininit.h"

#include <windows.h>

#include <cstring>

#include "shell/fixed_text.h"
#include "shell/globals.h"
#include "sysconfig/ini_lines.h"
#include "sysconfig/line_file.h"

namespace {

struct Edit {
    const char* lines;              // to add
    bool (*installs)(const char*);  // to drop
    bool inRename;
    bool added;
    bool atLineStart;
};

bool AddAfterHeader(TextWriter& out, const char* line, std::size_t length, void* state)
{
    auto& edit = *static_cast<Edit*>(state);
    if (line == nullptr)
        return edit.added || ((edit.atLineStart || Put(out, "\n")) && Put(out, "[rename]\n") && Put(out, edit.lines));
    if (!Put(out, line, length)) return false;
    edit.atLineStart = line[length - 1] == '\n';
    if (edit.added || !IsSectionHeader(line) || !IsSection(line, "rename")) return true;
    edit.added = true;
    return (edit.atLineStart || Put(out, "\n")) && Put(out, edit.lines);
}

// The path of a "NUL=path" line, without blanks and the newline.
bool DeletedPath(const char* line, FixedText<MAX_PATH>& path)
{
    if (!IsKeyLine(line, "NUL")) return false;
    const char* start = std::strchr(line, '=') + 1;
    while (*start == ' ' || *start == '\t') ++start;
    path.assign(start);
    std::size_t length = path.size();
    while (length > 0 && (path[length - 1] == '\n' || path[length - 1] == ' ' || path[length - 1] == '\t')) --length;
    path.truncate(length);
    return length > 0;
}

bool DropDeletes(TextWriter& out, const char* line, std::size_t length, void* state)
{
    auto& edit = *static_cast<Edit*>(state);
    if (line == nullptr) return true;
    if (IsSectionHeader(line)) edit.inRename = IsSection(line, "rename");
    FixedText<MAX_PATH> path;
    if (edit.inRename && DeletedPath(line, path) && edit.installs(path)) {
        DeleteFileA(path);
        return true;
    }
    return Put(out, line, length);
}

int Rewrite(Edit& edit, LineEdit how)
{
    FixedText<MAX_PATH> path, fresh, old;
    if (!path.assignWhole(WindowsDir) || !path.appendWhole("\\WININIT.INI") || !fresh.assignWhole(WindowsDir) ||
        !fresh.appendWhole("\\WININIT.NEW") || !old.assignWhole(WindowsDir) || !old.appendWhole("\\WININIT.OLD"))
        return 0;
    if (edit.installs != nullptr && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return 1;  // nothing pends
    return RewriteFile(path, fresh, old, false, how, &edit);
}

}  // namespace

int AddPendingRenames(const char* lines)
{
    Edit edit = {lines, nullptr, false, false, true};
    return Rewrite(edit, AddAfterHeader);
}

void DropPendingDeletes(bool (*installs)(const char* path))
{
    Edit edit = {nullptr, installs, false, false, true};
    Rewrite(edit, DropDeletes);
}
