#include "sysconfig/system_ini.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/globals.h"
#include "shell/handles.h"
#include "record/installed_record.h"
#include "sysconfig/ini_lines.h"

namespace {

// One line of system.ini, whatever its length: a line is tested whole, so a
// piece of a long line can never pass for the mouse line.
class LineBuffer {
public:
    LineBuffer() = default;
    LineBuffer(const LineBuffer&) = delete;
    LineBuffer& operator=(const LineBuffer&) = delete;
    ~LineBuffer() { std::free(text_); }

    const char* c_str() const { return text_ != nullptr ? text_ : ""; }
    std::size_t length() const { return length_; }
    void clear()
    {
        length_ = 0;
        if (text_ != nullptr) text_[0] = '\0';
    }

    // False when the memory is not available; the line is then incomplete.
    bool append(const char* piece, std::size_t n)
    {
        if (length_ + n + 1 > capacity_) {
            std::size_t capacity = capacity_ != 0 ? capacity_ : 256;
            while (capacity < length_ + n + 1) {
                if (capacity > 0x10000000) return false;
                capacity *= 2;
            }
            char* grown = static_cast<char*>(std::malloc(capacity));
            if (grown == nullptr) return false;
            if (length_ != 0) std::memcpy(grown, text_, length_);
            std::free(text_);
            text_ = grown;
            capacity_ = capacity;
        }
        std::memcpy(text_ + length_, piece, n);
        length_ += n;
        text_[length_] = '\0';
        return true;
    }

private:
    char* text_ = nullptr;
    std::size_t length_ = 0;
    std::size_t capacity_ = 0;
};

enum class LineRead { Line, End, Failed };

// The next line with its newline (the last line of the file may lack one).
// Text mode has turned CR LF into the newline and ends the input at Ctrl-Z.
// Read a character at a time, so that a stray zero byte is copied like any
// other character instead of cutting the line.
LineRead ReadLine(FILE* input, LineBuffer& line)
{
    line.clear();
    int c;
    while ((c = std::fgetc(input)) != EOF) {
        char character = static_cast<char>(c);
        if (!line.append(&character, 1)) return LineRead::Failed;
        if (character == '\n') return LineRead::Line;
    }
    // EOF stands both for the end and for a read error; a copy that stopped
    // at an error must not replace the file.
    if (std::ferror(input) != 0) return LineRead::Failed;
    return line.length() != 0 ? LineRead::Line : LineRead::End;
}

// Copies system.ini to system.new with the first mouse line of each [386Enh]
// section replaced by replacement (a line with its newline); false when the
// copy is not complete.
bool CopyWithMouseLine(FILE* input, FILE* output, const char* replacement)
{
    LineBuffer line;
    bool searching = false;
    for (;;) {
        LineRead read = ReadLine(input, line);
        if (read == LineRead::Failed) return false;
        if (read == LineRead::End) return true;
        const char* text = line.c_str();
        std::size_t length = line.length();
        if (ReplacesMouseLine(text, searching)) {
            text = replacement;
            length = std::strlen(replacement);
        }
        if (std::fwrite(text, 1, length, output) != length) return false;
    }
}

bool WindowsPath(FixedText<MAX_PATH>& path, const char* name)
{
    return path.assignWhole(WindowsDir) && path.appendWhole(name);
}

// system.ini is replaced only by a complete copy; on any failure it keeps
// its name and content and no system.new is left behind. 1 when replaced.
int EditSystemIni(const char* replacement)
{
    FixedText<MAX_PATH> ini, fresh, backup;
    if (!WindowsPath(ini, "\\system.ini") || !WindowsPath(fresh, "\\system.new") ||
        !WindowsPath(backup, "\\system.bak"))
        return 0;
    StdioFile input(std::fopen(ini, "rt"));
    if (!input) return 0;
    StdioFile output(std::fopen(fresh, "wt"));
    if (!output) return 0;
    bool complete = CopyWithMouseLine(input.get(), output.get(), replacement);
    input.reset();
    // The close writes what is still buffered; its failure leaves a short copy.
    complete = std::fclose(output.release()) == 0 && complete;
    if (!complete) {
        DeleteFileA(fresh);
        return 0;
    }
    DeleteFileA(backup);
    if (!MoveFileA(ini, backup)) {
        DeleteFileA(fresh);
        return 0;
    }
    if (!MoveFileA(fresh, ini)) {
        // Put the original back under its name; should even that move fail,
        // a copy of it, for Windows does not start without a system.ini.
        if (!MoveFileA(backup, ini)) CopyFileA(backup, ini, TRUE);
        DeleteFileA(fresh);
        return 0;
    }
    return 1;
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
    return MoveFileA(device, backup) ? 0 : -1;
}

// Before system.ini is edited: its [386Enh] mouse line (quoted, so the
// profile functions keep its blanks) and whether a system.bak exists.
void RecordSystemIniBefore()
{
    if (InstallDir.empty()) return;  // no installation to record for
    FixedText<256> line;
    if (FindMouseLine(line)) RecordValueOnce(SystemIniRecord, "MouseLine", line);
    FixedText<MAX_PATH> backup;
    if (WindowsPath(backup, "\\system.bak"))
        WriteInstalledSettingOnce(SystemIniRecord, "SystemBak",
                                  GetFileAttributesA(backup) != INVALID_FILE_ATTRIBUTES ? "1" : "0");
}

}  // namespace

SystemIniSwitch UpdateSystemIni()
{
    RecordSystemIniBefore();
    SystemIniSwitch result = {EditSystemIni(MouseLine) == 1, MoveMouseDevice() == 0};
    if (result.deviceMoved && !InstallDir.empty()) WriteInstalledSettingOnce(SystemIniRecord, "VMouseMoved", "1");
    return result;
}

int FindMouseLine(FixedText<256>& line)
{
    line.clear();
    FixedText<MAX_PATH> ini;
    if (!WindowsPath(ini, "\\system.ini")) return 0;
    StdioFile input(std::fopen(ini, "rt"));
    if (!input) return 0;
    LineBuffer read;
    bool searching = false;
    while (ReadLine(input.get(), read) == LineRead::Line) {
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
