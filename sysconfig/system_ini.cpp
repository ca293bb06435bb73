#include "sysconfig/system_ini.h"

#include <windows.h>

#include <cstring>

#include "shell/globals.h"
#include "shell/handles.h"
#include "record/installed_record.h"
#include "sysconfig/ini_lines.h"
#include "sysconfig/line_file.h"

namespace {

// The edit of system.ini: the first mouse line of each [386Enh] section
// becomes the replacement (a line with its newline).
struct MouseLineEdit {
    const char* replacement;
    bool searching;
};

bool EditMouseLine(TextWriter& out, const char* line, std::size_t length, void* state)
{
    auto& edit = *static_cast<MouseLineEdit*>(state);
    if (line == nullptr) return true;
    if (ReplacesMouseLine(line, edit.searching)) return Put(out, edit.replacement);
    return Put(out, line, length);
}

bool WindowsPath(FixedText<MAX_PATH>& path, const char* name)
{
    return path.assignWhole(WindowsDir) && path.appendWhole(name);
}

// system.ini is replaced only by a complete copy; on any failure it keeps
// its name and content and no system.new is left behind. A missing
// system.ini stays missing. 1 when replaced.
int EditSystemIni(const char* replacement)
{
    FixedText<MAX_PATH> ini, fresh, backup;
    if (!WindowsPath(ini, "\\system.ini") || !WindowsPath(fresh, "\\system.new") ||
        !WindowsPath(backup, "\\system.bak") || GetFileAttributesA(ini) == INVALID_FILE_ATTRIBUTES)
        return 0;
    MouseLineEdit edit = {replacement, false};
    return RewriteFile(ini, fresh, backup, true, EditMouseLine, &edit);
}

// Moves VMM32\VMOUSE.VXD aside so that the system no longer loads a device
// file of that name; 0 when it was moved, else -1.
int MoveMouseDevice()
{
    char system[80];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system) return -1;
    FixedText<MAX_PATH> device, backup;
    if (!device.assign(system).appendWhole("\\VMM32\\VMOUSE.VXD") ||
        !backup.assign(system).appendWhole("\\VMM32\\VMOUSE.BAK"))
        return -1;
    if (GetFileAttributesA(device) == 0xFFFFFFFF) return -1;
    // The backup of an earlier installation holds the system's own file; a
    // later one must not replace it with whatever stands there now.
    if (GetFileAttributesA(backup) != 0xFFFFFFFF) return -1;
    // The record has the move first: the uninstaller looks for the backup.
    if (!InstallDir.empty()) WriteInstalledSettingOnce(Section::SystemIni, "VMouseMoved", "1");
    return MoveFileA(device, backup) ? 0 : -1;
}

// Before system.ini is edited: its [386Enh] mouse line and whether a
// system.bak exists.
void RecordSystemIniBefore()
{
    if (InstallDir.empty()) return;  // no installation to record for
    FixedText<256> line;
    if (FindMouseLine(line)) WriteInstalledSettingOnce(Section::SystemIni, "MouseLine", line);
    FixedText<MAX_PATH> backup;
    if (WindowsPath(backup, "\\system.bak"))
        WriteInstalledSettingOnce(Section::SystemIni, "SystemBak",
                                  GetFileAttributesA(backup) != INVALID_FILE_ATTRIBUTES ? "1" : "0");
}

}  // namespace

SystemIniSwitch UpdateSystemIni()
{
    RecordSystemIniBefore();
    SystemIniSwitch result = {EditSystemIni(MouseLine) == 1, MoveMouseDevice() == 0};
    return result;
}

int FindMouseLine(FixedText<256>& line)
{
    line.clear();
    FixedText<MAX_PATH> ini;
    if (!WindowsPath(ini, "\\system.ini")) return 0;
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini);  // what a cached copy holds is on the disk
    TextReader input(ini);
    if (!input.opened()) return 0;
    TextBuffer read;
    bool searching = false;
    while (ReadLine(input, read) == LineRead::Line) {
        const char* text = read.c_str();
        if (IsSectionHeader(text)) searching = IsSection(text, "386Enh");
        if (!searching || !IsMouseLine(text)) continue;
        std::size_t length = read.length();
        if (length > 0 && text[length - 1] == '\n') --length;
        if (length >= line.Capacity) return 0;  // never a cut line
        for (std::size_t i = 0; i < length; ++i) line[i] = text[i];
        line[length] = '\0';
        return 1;
    }
    return 0;
}

int ReplaceMouseLine(const char* line)
{
    FixedText<260> replacement;
    if (!replacement.assignWhole(line) || !replacement.appendWhole("\n")) return 0;
    return EditSystemIni(replacement);
}
