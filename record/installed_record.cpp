#include "record/installed_record.h"

#include <cstring>

#include "shell/memory.h"
#include "shell/fixed_text.h"
#include "shell/globals.h"
#include "shell/handles.h"
#include "shell/text_buffer.h"
#include "shell/services.h"
#include "shell/setup_log.h"

const char* const SystemIniRecord = "SystemIni";
const char* const CreatedKeysRecord = "Created";
const char* const ApplicationRecord = "Application";
const char* const FilesRecord = "Files";
const char* const FoldersRecord = "Folders";
const char* const RecordSections[7] = {"PS2",           "Serial",    SystemIniRecord, CreatedKeysRecord,
                                       ApplicationRecord, FilesRecord, FoldersRecord};

namespace {

constexpr int SectionCount = sizeof RecordSections / sizeof RecordSections[0];
constexpr int FilesSection = 5, FoldersSection = 6;

// The sections kept between KeepInstalledRecord and their writing, and the
// SETUP.INF they came from.
char* Kept[SectionCount];
FixedText<MAX_PATH> KeptFrom;
bool RecordTaken = false;  // kept and not yet restored

// Lines in the form of a profile section, grown as they come: "key=value"
// texts, each ended by a zero, and a second zero after the last (the
// buffer's own).
struct Lines {
    TextBuffer buffer;

    const char* text() const { return buffer.length() != 0 ? buffer.c_str() : nullptr; }
    void clear() { buffer.clear(); }
    // Pieces of one line; the line ends with end().
    bool add(const char* piece) { return buffer.append(piece, std::strlen(piece)); }
    void end() { buffer.append("", 1); }
};

Lines NotedFiles, NotedFolders;

bool InstalledScript(FixedText<MAX_PATH>& path)
{
    return path.assignWhole(InstallDir) && path.appendWhole("\\SETUP.INF");
}

// The key of a line, to compare with another path.
bool KeyOf(const char* line, FixedText<MAX_PATH>& key)
{
    const char* equals = std::strchr(line, '=');
    if (equals == nullptr || static_cast<std::size_t>(equals - line) >= key.Capacity) return false;
    key.assign(line);
    key.truncate(static_cast<std::size_t>(equals - line));
    return true;
}

// Two keys of one length, without regard to case. Plain ASCII is compared
// here, a byte at a time: the comparison that knows the code page costs
// more, and a record holds hundreds of keys of one length. A key with a
// character of the code page (a trail byte may look like a letter) goes to
// the system's comparison.
bool SameKey(const char* a, const char* b)
{
    for (; *a != '\0'; ++a, ++b) {
        if ((*a | *b) & 0x80) return lstrcmpiA(a, b) == 0;
        char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 32) : *a;
        char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 32) : *b;
        if (x != y) return false;
    }
    return *b == '\0';
}

// A file found as the package's: created or replaced.
bool Ours(const char* value)
{
    return value != nullptr && (std::strncmp(value, "created,", 8) == 0 || std::strncmp(value, "replaced,", 9) == 0);
}

// The part of a value after its first field ("size,time" of a file).
const char* AfterKind(const char* value)
{
    const char* comma = std::strchr(value, ',');
    return comma != nullptr ? comma + 1 : "";
}

// One line of the merged files: what the kept record found there stays,
// with the file as it lies now; the original's place stays with it.
void MergeFileLine(Lines& out, const char* key, const char* kept, const char* noted)
{
    if (Ours(kept) && noted != nullptr) {
        const char* comma = std::strchr(kept, ',');
        const char* original = std::strchr(AfterKind(AfterKind(kept)), ',');
        FixedText<16> kind;
        kind.assign(kept);
        kind.truncate(static_cast<std::size_t>(comma - kept));
        FixedText<64> stamp;
        stamp.assign(AfterKind(noted));
        if (const char* cut = std::strchr(AfterKind(stamp), ',')) stamp.truncate(static_cast<std::size_t>(cut - stamp));
        out.add(key), out.add("="), out.add(kind), out.add(","), out.add(stamp);
        if (original != nullptr) out.add(original);
        return out.end();
    }
    out.add(key), out.add("="), out.add(noted != nullptr ? noted : kept), out.end();
}

// The kept lines, each merged with the noted one of its key, then the noted
// lines that are new; a folder keeps what the first installation found.
void Merge(Lines& out, const char* kept, const Lines& noted, bool files)
{
    FixedText<MAX_PATH> key;
    for (const char* line = kept; line != nullptr && *line != '\0'; line += std::strlen(line) + 1) {
        if (!KeyOf(line, key)) continue;
        const char* value = line + key.size() + 1;
        if (files) MergeFileLine(out, key, value, FindKey(noted.text(), key));
        else out.add(line), out.end();
    }
    for (const char* line = noted.text(); line != nullptr && *line != '\0'; line += std::strlen(line) + 1) {
        if (KeyOf(line, key) && FindKey(out.text(), key) == nullptr) out.add(line), out.end();
    }
}

// Writes a section whole, or clears it when lines is empty.
void WriteSection(const char* path, const char* section, const char* lines)
{
    if (lines == nullptr || *lines == '\0') WritePrivateProfileStringA(section, nullptr, nullptr, path);
    else WritePrivateProfileSectionA(section, lines, path);
}

void Free(int s)
{
    FreeBlock(Kept[s]);
    Kept[s] = nullptr;
}

// Keeps the record of one SETUP.INF; false when it holds none.
bool KeepFrom(const char* path)
{
    bool any = false;
    for (int s = 0; s < SectionCount; ++s) {
        Free(s);
        Kept[s] = ReadSection(path, RecordSections[s]);
        any = any || Kept[s] != nullptr;
    }
    if (any) KeptFrom.assign(path);
    return any;
}

}  // namespace

const char* ReadInstalledSetting(const char* section, const char* key, const char* def)
{
    static FixedText<256> value;
    FixedText<MAX_PATH> path;
    if (!InstalledScript(path)) return value.assign(def);
    GetPrivateProfileStringA(section, key, def, value.data(), static_cast<DWORD>(value.Capacity), path);
    return value;
}

void WriteInstalledSettingOnce(const char* section, const char* key, const char* value)
{
    FixedText<MAX_PATH> path;
    if (!InstalledScript(path)) return;
    // A key recorded empty stays too: it says the value was not there, and a
    // later run would otherwise record the package's own value over it.
    if (*ReadInstalledSetting(section, key, "\x01") != '\x01') return;
    WritePrivateProfileStringA(section, key, value, path);
}

char* ReadSection(const char* path, const char* section)
{
    for (DWORD size = 8192; size <= 0x100000; size *= 2) {
        char* lines = static_cast<char*>(AllocBlock(size));
        if (lines == nullptr) return nullptr;
        DWORD length = GetPrivateProfileSectionA(section, lines, size, path);
        // A section too long for the buffer comes back cut (length = size - 2).
        if (length > 0 && length < size - 2) return lines;
        FreeBlock(lines);
        if (length == 0) return nullptr;
    }
    return nullptr;
}

const char* FindKey(const char* lines, const char* key)
{
    std::size_t length = std::strlen(key);
    FixedText<MAX_PATH> candidate;
    for (const char* line = lines; line != nullptr && *line != '\0';) {
        std::size_t lineLength = std::strlen(line);
        if (lineLength > length && line[length] == '=' && KeyOf(line, candidate) && SameKey(candidate, key))
            return line + length + 1;
        line += lineLength + 1;
    }
    return nullptr;
}

void KeepInstalledRecord(const char* previousScript)
{
    RecordTaken = true;
    NotedFiles.clear();
    NotedFolders.clear();
    KeptFrom.clear();
    FixedText<MAX_PATH> path;
    if (previousScript != nullptr && KeepFrom(previousScript)) return;
    if (InstalledScript(path)) KeepFrom(path);
}

void RestoreInstalledRecord()
{
    FixedText<MAX_PATH> path;
    if (!RecordTaken || !InstalledScript(path)) return;
    RecordTaken = false;
    for (int s = 0; s < SectionCount; ++s) {
        if (s >= FilesSection) {
            WriteSection(path, RecordSections[s], nullptr);  // written at the end
            continue;
        }
        WriteSection(path, RecordSections[s], Kept[s]);
        Free(s);
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);  // to the file now
}

void RecordValueOnce(const char* section, const char* key, const char* value)
{
    std::size_t length = std::strlen(value);
    auto special = [](char c) { return c == ' ' || c == '\t' || c == '"'; };
    FixedText<260> quoted;
    if (length == 0 || !(special(value[0]) || special(value[length - 1])) ||
        !quoted.assign("\"").appendWhole(value) || !quoted.appendWhole("\""))
        return WriteInstalledSettingOnce(section, key, value);
    WriteInstalledSettingOnce(section, key, quoted);
}

void RecordCreatedKey(HKEY root, const char* path, const char* kind)
{
    std::size_t length = std::strlen(path);
    if (length == 0 || length >= 256) return;
    for (std::size_t i = 1; i <= length; ++i) {
        if (i < length && path[i] != '\\') continue;
        FixedText<256> part;
        part.assign(path);
        part.truncate(i);
        RegKey key;
        if (RegOpenKeyExA(root, part, 0, KEY_READ, key.receive()) == ERROR_SUCCESS) continue;
        const char* rootName = root == HKEY_CLASSES_ROOT ? "HKCR\\" : "HKLM\\";
        FixedText<264> name;
        name.assign(rootName).append(part);
        // Keys made on the way to one of ours may come to hold others' keys:
        // only the key itself goes with all it holds.
        bool whole = i == length;
        WriteInstalledSettingOnce(CreatedKeysRecord, name, whole ? kind : "empty");
        if (!whole && std::strcmp(kind, "empty") != 0) {
            name.assign(rootName).append(path);
            WriteInstalledSettingOnce(CreatedKeysRecord, name, kind);
        }
        return;
    }
}

bool FullPath(const char* path, FixedText<MAX_PATH>& full)
{
    char buffer[MAX_PATH];
    DWORD length = GetFullPathNameA(path, sizeof buffer, buffer, nullptr);
    return length != 0 && length < sizeof buffer && full.assignWhole(buffer);
}

bool IsPackageFile(const char* path)
{
    FixedText<MAX_PATH> full;
    return FullPath(path, full) && (Ours(FindKey(Kept[FilesSection], full)) || Ours(FindKey(NotedFiles.text(), full)));
}

bool KeepOriginal(const char* path, FixedText<MAX_PATH>& original)
{
    FixedText<MAX_PATH> folder, composed;
    if (!composed.assignWhole(InstallDir) || !composed.appendWhole("\\ORIGINAL") || !FullPath(composed, folder))
        return false;
    if (CreateDirectoryA(folder, nullptr)) NoteFolder(folder, true);
    // The name part, as the system finds it in a path of any code page.
    char full[MAX_PATH];
    char* name = nullptr;
    DWORD length = GetFullPathNameA(path, sizeof full, full, &name);
    if (length == 0 || length >= sizeof full || name == nullptr) return false;
    // Two originals of one name (from different folders) get numbers.
    for (char n = '0'; n <= '9'; ++n) {
        const char prefix[] = {n, '_', '\0'};
        if (!original.assignWhole(folder) || !original.appendWhole("\\") ||
            !original.appendWhole(n == '0' ? "" : prefix) || !original.appendWhole(name))
            return false;
        if (GetFileAttributesA(original) != INVALID_FILE_ATTRIBUTES) continue;
        if (MoveFileA(path, original)) return true;
        // Another drive: a copy, and the file goes only once the copy is whole.
        if (CopyFileA(path, original, TRUE)) {
            if (DeleteFileA(path)) return true;
            DeleteFileA(original);
        }
        return false;
    }
    return false;
}

bool FileStamp(const char* path, FixedText<32>& stamp)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    FormatStamp(stamp, found.nFileSizeLow, found.ftLastWriteTime);
    return true;
}

void FormatStamp(FixedText<32>& stamp, DWORD size, const FILETIME& written)
{
    FormatText(stamp, "%lu,%08lX%08lX", size, written.dwHighDateTime, written.dwLowDateTime);
}

namespace {

// The size and the time of a stamp; false when it is not one.
bool ReadStamp(const char* stamp, unsigned long& size, unsigned long long& time)
{
    size = 0;
    time = 0;
    const char* c = stamp;
    for (; *c >= '0' && *c <= '9'; ++c) size = size * 10 + static_cast<unsigned long>(*c - '0');
    if (c == stamp || *c++ != ',') return false;
    int digits = 0;
    for (; digits < 16; ++digits, ++c) {
        int d = *c >= '0' && *c <= '9' ? *c - '0' : *c >= 'A' && *c <= 'F' ? *c - 'A' + 10 : -1;
        if (d < 0) return false;
        time = time << 4 | static_cast<unsigned>(d);
    }
    return *c == '\0';
}

}  // namespace

bool SameStamp(const char* a, const char* b)
{
    unsigned long sizeA, sizeB;
    unsigned long long timeA, timeB;
    if (!ReadStamp(a, sizeA, timeA) || !ReadStamp(b, sizeB, timeB) || sizeA != sizeB) return false;
    unsigned long long apart = timeA > timeB ? timeA - timeB : timeB - timeA;
    return apart < 20000000ull;  // two seconds in 100-nanosecond steps
}

void NoteFile(const char* path, const char* found, const char* original, const char* given)
{
    FixedText<32> stamp;
    FixedText<MAX_PATH> full;
    if (given != nullptr) stamp.assign(given);
    if ((given == nullptr && !FileStamp(path, stamp)) || !FullPath(path, full)) return;
    NotedFiles.add(full), NotedFiles.add("="), NotedFiles.add(found), NotedFiles.add(","), NotedFiles.add(stamp);
    bool kept = original != nullptr && *original != '\0';
    if (kept) NotedFiles.add(","), NotedFiles.add(original);
    NotedFiles.end();
    if (found[0] == 's') LogLine("identical, left %s", full.c_str());
    else if (kept) LogLine("installed %s (the file there before is kept as %s)", full.c_str(), original);
    else LogLine("installed %s", full.c_str());
}

void NoteFolder(const char* path, bool created)
{
    FixedText<MAX_PATH> full;
    if (!FullPath(path, full) || FindKey(NotedFolders.text(), full) != nullptr) return;
    NotedFolders.add(full), NotedFolders.add(created ? "=created" : "=found"), NotedFolders.end();
    LogLine("folder %s %s", full.c_str(), created ? "created" : "found");
}

void WriteFileRecord(bool completed)
{
    FixedText<MAX_PATH> path;
    if (InstalledScript(path)) {
        // The record now lives here; the folder it came from keeps none. Its
        // SETUP.INF, changed so, is still the package's file as it is now.
        if (completed && !KeptFrom.empty() && !SamePath(KeptFrom, path)) {
            for (const char* section : RecordSections) WriteSection(KeptFrom, section, nullptr);
            WritePrivateProfileStringA(nullptr, nullptr, nullptr, KeptFrom);
            NoteFile(KeptFrom, "same", nullptr, nullptr);
        }
        Lines files, folders;
        Merge(files, Kept[FilesSection], NotedFiles, true);
        Merge(folders, Kept[FoldersSection], NotedFolders, false);
        WriteSection(path, FilesRecord, files.text());
        WriteSection(path, FoldersRecord, folders.text());
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
    }
    for (int s = 0; s < SectionCount; ++s) Free(s);
    NotedFiles.clear();
    NotedFolders.clear();
}
