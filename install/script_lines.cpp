#include "install/script_lines.h"

const char* SplitField(const char* position, FixedText<256>& field)
{
    while (*position == ' ') ++position;
    std::size_t length = 0;
    while (position[length] != '\0' && position[length] != ',') ++length;
    field.clear();
    for (std::size_t i = 0; i < length && i < field.Capacity - 1; ++i) field[i] = position[i];
    std::size_t end = length < field.Capacity - 1 ? length : field.Capacity - 1;
    while (end > 0 && field[end - 1] == ' ') --end;
    field[end] = '\0';
    return position[length] == ',' ? position + length + 1 : position + length;
}

void SplitFileLine(const char* line, FileEntry& entry, FixedText<256>& keyword)
{
    FixedText<256> field;
    const char* position = SplitField(line, field);
    entry.SourceName.assign(field);
    position = SplitField(position, field);
    entry.DestName.assign(field);
    position = SplitField(position, field);
    entry.Description.assign(field);
    SplitField(position, keyword);
}

void SplitGroupLine(const char* line, GroupItem& item)
{
    FixedText<256> field;
    const char* position = SplitField(line, field);
    item.ItemFile.assign(field);
    position = SplitField(position, field);
    item.ItemTitle.assign(field);
    SplitField(position, field);
    item.ItemExtra.assign(field);
}

bool SetEntryDirectories(int k, const char* directoryName, const char* windowsDir, FileEntry& entry)
{
    if (!entry.SourceDir.assignWhole(directoryName)) return false;
    switch (k) {
    case WinDirKeyword:
        entry.Absolute = 1;
        return entry.DestDir.assignWhole(windowsDir);
    case WinSystemDirKeyword:
        entry.Absolute = 1;
        return entry.DestDir.assignWhole(windowsDir) && entry.DestDir.appendWhole("\\SYSTEM");
    case WinInfDirKeyword:
        entry.Absolute = 1;
        return entry.DestDir.assignWhole(windowsDir) && entry.DestDir.appendWhole("\\INF");
    default:
        return entry.DestDir.assignWhole(directoryName);
    }
}
