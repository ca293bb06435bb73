#include "install/setup_script.h"

#include <windows.h>

#include "record/installed_record.h"
#include "shell/memory.h"
#include "shell/script_limits.h"
#include "shell/globals.h"
#include "shell/handles.h"
#include "shell/services.h"

namespace {

FixedText<MAX_PATH> ScriptPath;  // SetupDir + "\SETUP.INF"

// A text value of SETUP.INF, cut to 255 characters as the model reads it.
void ReadText(const char* section, const char* key, const char* def, FixedText<256>& out)
{
    GetPrivateProfileStringA(section, key, def, out.data(), static_cast<DWORD>(out.Capacity), ScriptPath);
}

// A value that must not be cut: false when it is longer than a script line.
bool ReadWholeLine(const char* section, const char* key, const char* def, FixedText<256>& out)
{
    char wide[1024];
    DWORD length = GetPrivateProfileStringA(section, key, def, wide, sizeof wide, ScriptPath);
    return length <= MaxLine && out.assignWhole(wide);
}

template <std::size_t N>
void ReadField(StringId section, StringId key, const char* def, FixedText<N>& field)
{
    FixedText<256> value;
    ReadText(LoadText(section), LoadText(key), def, value);
    field.assign(value);  // cut to the field's width
}

int ReadInt(StringId section, const char* key, int def)
{
    return static_cast<int>(GetPrivateProfileIntA(LoadText(section), key, def, ScriptPath));
}

// SetupDir and the script's path, from a program anywhere: on a drive or a
// share, as deep as Windows allows a path to go, as long as the script's
// path is a path Windows allows too. The directory ends at the program's
// last backslash after the first character.
bool LoadSetupDir()
{
    ScriptPath.clear();
    FixedText<MAX_PATH> path;
    if (!ReadProgramPath(path)) return false;
    char* end = nullptr;
    for (char* p = CharNextA(path.data()); *p != '\0'; p = CharNextA(p))
        if (*p == '\\') end = p;
    if (end != nullptr) *end = '\0';
    if (!ScriptPath.assignWhole(path) || !ScriptPath.appendWhole("\\SETUP.INF")) ScriptPath.clear();
    return !ScriptPath.empty() && SetupDir.assignWhole(path);
}

// ProductName, a blank and "Setup Program": the caption of every message box.
void SetMessageCaption()
{
    if (ScriptPath.empty()) ProductName.assign("Zorva");
    else ReadField(IDS_MAIN, IDS_PRODUCT_NAME, "Zorva", ProductName);
    MessageCaption.assign(ProductName).append(" ").append(LoadText(IDS_SETUP_PROGRAM));
}

// ProgramFilesDir of the system, or the usual folder when it cannot be read.
void ReadProgramFilesDir(FixedText<81>& base)
{
    base.assign("C:\\Program Files");
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, KEY_ALL_ACCESS,
                      key.receive()) != ERROR_SUCCESS)
        return;
    char value[81];
    DWORD size = 80;
    if (RegQueryValueExA(key.get(), "ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) !=
        ERROR_SUCCESS)
        return;
    value[size] = '\0';  // the stored value need not end in a terminator
    base.assign(value);
}

// The destination: a drive-qualified default lands on the Windows drive; any
// other goes below the system's program-files folder.
bool SetInstallDir()
{
    FixedText<256> path;
    if (!ReadWholeLine(LoadText(IDS_MAIN), LoadText(IDS_DEFAULT_PATH), "C:\\ZORVA", path)) return false;
    if (path.size() > 2 && path[1] == ':') {
        path[0] = WindowsDir[0];
        return InstallDir.assignWhole(path);
    }
    FixedText<81> base;
    ReadProgramFilesDir(base);
    return InstallDir.assignWhole(base) && (path[0] == '\\' || InstallDir.appendWhole("\\")) &&
           InstallDir.appendWhole(path);
}

void ReadDiskLabels()
{
    DiskCount = 0;
    for (int i = 0; i < MaxDisks; ++i) {
        ReadText(LoadText(IDS_DISK_LABEL), LoadText(IDS_DISK1 + i), "", Disks[i].Label);
        if (!Disks[i].Label.empty()) ++DiskCount;
    }
}

bool ReadFileCounts()
{
    int total = 0;
    for (int i = 0; i < DiskCount; ++i) {
        int count = ReadInt(IDS_FILE_COUNTS, LoadText(IDS_DISK1 + i), 0);
        if (count < 0) count = 0;
        total += count;
        if (count > MaxTotalFiles || total > MaxTotalFiles) return false;
        Disks[i].FileCount = static_cast<int16_t>(count);
    }
    TotalFileCount = static_cast<int16_t>(total);
    return true;
}

void SetFirstEntries()
{
    FileEntry* next = static_cast<FileEntry*>(InstallListBase);
    for (int i = 0; i <= DiskCount; ++i) {
        Disks[i].FirstEntry = next;
        if (i < DiskCount) next += Disks[i].FileCount;
    }
}

// SourceDir, DestDir and Absolute from the directory keyword of a file line.
// Keywords match as the platform compares texts without regard to case.
bool ApplyDirectoryKeyword(const char* keyword, FileEntry& entry)
{
    for (int k = 0; k < DirectoryKeywordCount; ++k) {
        if (lstrcmpiA(keyword, LoadText(IDS_ROOT_DIR + k)) != 0) continue;
        return SetEntryDirectories(k, DirectoryNames[k], WindowsDir, entry);
    }
    return true;  // no keyword: the file goes from SetupDir into InstallDir
}

// A value of a section read whole, as GetPrivateProfileStringA gives it:
// without the blanks around it or a pair of quotes that encloses it; false
// when it is longer than a script line.
bool ProfileValue(const char* value, FixedText<256>& out)
{
    while (*value == ' ' || *value == '\t') ++value;
    std::size_t length = 0;
    for (std::size_t i = 0; value[i] != '\0'; ++i)
        if (value[i] != ' ' && value[i] != '\t') length = i + 1;
    if (length >= 2 && value[0] == '"' && value[length - 1] == '"') ++value, length -= 2;
    if (length > MaxLine) return false;
    out.assign(value);  // cut past the blanks at its end, which go
    out.truncate(length);
    return true;
}

// Each disk's section is read whole, once: every look-up by the profile
// functions opens the script again, and a disk may have hundreds of lines.
bool ReadFileEntries()
{
    for (int i = 0; i < DiskCount; ++i) {
        char* lines = ReadSection(ScriptPath, LoadText(IDS_DISK1 + i));
        bool sound = true;
        for (int n = 1; sound && n <= Disks[i].FileCount; ++n) {
            FixedText<16> key;
            FormatText(key, "%d", n);
            const char* value = FindKey(lines, key);
            FixedText<256> line;
            sound = value == nullptr || ProfileValue(value, line);
            if (!sound || line.empty()) continue;  // an empty entry stays all zero and names no file
            FileEntry& entry = Disks[i].FirstEntry[n - 1];
            FixedText<256> keyword;
            SplitFileLine(line, entry, keyword);
            sound = ApplyDirectoryKeyword(keyword, entry);
        }
        FreeBlock(lines);
        if (!sound) return false;
    }
    return true;
}

void ReadGroupItems()
{
    GroupItem* item = reinterpret_cast<GroupItem*>(Disks[DiskCount].FirstEntry);
    for (int k = 0; k < MaxGroupItems; ++k) GroupItems[k] = item + k;
    GroupItemCount = 0;
    for (int k = 1; k <= MaxGroupItems; ++k) {
        FixedText<16> key;
        FormatText(key, "%d", k);
        FixedText<256> line;
        ReadText(LoadText(IDS_PM_INFO), key, "", line);
        if (line.empty()) break;
        ++GroupItemCount;
        SplitGroupLine(line, *GroupItems[k - 1]);
    }
}

void ReadStartupTexts()
{
    ReadField(IDS_STARTUP, IDS_FILE_NAME, "", StartupFileName);
    ReadField(IDS_STARTUP, IDS_TITLE, "", StartupTitle);
    ReadField(IDS_STARTUP, IDS_MFG, "", Mfg);
    ReadField(IDS_STARTUP, IDS_MOUSE_DRIVER, "", MouseDriver);
    ReadField(IDS_STARTUP, IDS_MOUSE_INF, "", MouseInf);
    ReadField(IDS_STARTUP, IDS_DRIVER_DATE, "", DriverDate);
    ReadField(IDS_STARTUP, IDS_PS2_INF_SECTION, "", PS2InfSection);
    ReadField(IDS_STARTUP, IDS_SERIAL_INF_SECTION, "", SerialInfSection);
    ReadField(IDS_STARTUP, IDS_PS2_NAME, "", PS2Name);
    ReadField(IDS_STARTUP, IDS_SERIAL_NAME, "", SerialName);
}

bool LoadScript()
{
    MessageCaption.clear();
    if (!LoadSetupDir()) return false;
    if (WindowsDir.empty() || WindowsDir.size() > MaxShortPath) return false;
    if (!SetInstallDir()) return false;
    ReadField(IDS_MAIN, IDS_GROUP_NAME, "ZORVA.GRP", GroupName);
    ReadField(IDS_MAIN, IDS_GROUP_TITLE, "ZORVA", GroupTitle);
    SetMessageCaption();
    // Kept as the script gives it: a value of 32768 or more is not wrapped
    // into a negative number that every drive would pass.
    MinimumSpace = ReadInt(IDS_MAIN, LoadText(IDS_MINIMUM_SPACE), 1024);
    ReadDiskLabels();
    for (int k = 0; k < DirectoryKeywordCount; ++k) {
        ReadText(LoadText(IDS_DIRECTORY_NAME), LoadText(IDS_ROOT_DIR + k), "", DirectoryNames[k]);
    }
    if (!ReadFileCounts()) return false;
    if (!AllocInstallList(TotalFileCount)) return false;
    SetFirstEntries();
    if (!ReadFileEntries()) return false;
    ReadGroupItems();
    OEM = ReadInt(IDS_MAIN, "OEM", 0);
    SerialMouse = ReadInt(IDS_MAIN, "DefaultSerialMouse", 1);
    ReadStartupTexts();
    return true;
}

}  // namespace

const char* SetupScriptPath()
{
    return ScriptPath;
}

int LoadInstalledScript()
{
    if (!LoadScript()) return 0;
    InstallDir.assign(SetupDir);
    return 1;
}

int LoadSetupScript()
{
    if (LoadScript()) return 1;
    // The refusal is told in a box whose caption is MessageCaption; a script
    // refused before its product name was read (a destination that does not
    // fit) would otherwise give that box an empty title.
    if (MessageCaption.empty()) SetMessageCaption();
    FreeInstallList();  // nothing of a refused script is used
    return 0;
}
