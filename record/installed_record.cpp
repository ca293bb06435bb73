#include "record/installed_record.h"

#include <cstring>

#include "shell/crc32.h"
#include "shell/fixed_text.h"
#include "shell/globals.h"
#include "shell/handles.h"
#include "shell/memory.h"
#include "shell/services.h"
#include "shell/setup_log.h"
#include "shell/text_buffer.h"

const char* const RecordName = "SETUP.REC";
const char* const JournalName = "SETUP.RUN";
const char* const UninstallEntryKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Rollvane";

namespace {

using Path = FixedText<MAX_PATH>;

// While a journal is the record (a run of this process, or one another left)
// its lines are also here, each ended by a zero: the copy asks of every file
// whether it is the package's. Viewing: reads see only View, the changes of
// the run being undone.
TextBuffer Lines;
TextBuffer View;
bool Loaded = false;
bool Open = false;
bool Viewing = false;
FileHandle Journal;
// The lines ahead of changes held back for one write, and whether they are.
TextBuffer Held;
bool Holding = false;
// Facts of files made whose times are still to be read (HoldFileTimes),
// each a whole line with its time left as TimeToRead. A file's time is
// settled once its handle is closed, and one look at a folder reads the
// times of all its files, where a look at each costs as much as a small
// file's copy.
TextBuffer Unstamped;
bool Stamping = false;
constexpr char TimeToRead[] = "????????????????";  // no path holds a "?": its first marks the line

bool WriteTimedFacts();

const char* RunSection()
{
    return SectionName(Section::Run);
}

// Whether the first length characters of a and b are the same without
// regard to case, with no "=" or end among a's. Plain ASCII is compared
// here, a byte at a time, and the first byte that differs ends it: a record
// holds hundreds of keys of one length, and the copy looks for a key among
// them for every file. Text with a character of the code page (a trail byte
// may look like a letter) goes to the system's comparison.
bool SameText(const char* a, const char* b, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (a[i] == '\0' || a[i] == '=' || b[i] == '\0') return false;
        if ((a[i] | b[i]) & 0x80) {
            Path x, y;
            if (length >= x.Capacity) return false;
            for (std::size_t k = i; k < length; ++k)
                if (a[k] == '\0' || a[k] == '=' || b[k] == '\0') return false;
            x.assign(a), y.assign(b);
            x.truncate(length), y.truncate(length);
            return lstrcmpiA(x, y) == 0;
        }
        char c = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
        char d = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
        if (c != d) return false;
    }
    return true;
}

// Whether the line a starts with the key b, of that length.
bool SameKey(const char* a, const char* b, std::size_t length)
{
    return SameText(a, b, length) && b[length] == '\0';
}

// The key of a "key=value" line, to compare with another.
bool KeyOf(const char* line, Path& key)
{
    const char* equals = std::strchr(line, '=');
    if (equals == nullptr || static_cast<std::size_t>(equals - line) >= key.Capacity) return false;
    key.assign(line);
    key.truncate(static_cast<std::size_t>(equals - line));
    return true;
}

// Whether a "key=value" line is key's; then the value. Compared where the
// line lies: the copy asks this of hundreds of lines for every file.
const char* ValueFor(const char* keyAndValue, const char* key)
{
    std::size_t length = std::strlen(key);
    if (!SameKey(keyAndValue, key, length) || keyAndValue[length] != '=') return nullptr;
    return keyAndValue + length + 1;
}

const char* Next(const char* line)
{
    return line + std::strlen(line) + 1;
}

// The value of a line of section, or null: "[section] key=value", looked
// at where it lies.
const char* LineValue(const char* line, const char* section, const char* key)
{
    std::size_t length = std::strlen(section);
    if (*key == '\0' || line[0] != '[' || std::strncmp(line + 1, section, length) != 0 || line[length + 1] != ']' ||
        line[length + 2] != ' ')
        return nullptr;
    return ValueFor(line + length + 3, key);
}

// What the lines say of a file, merged; false when they say nothing.
bool MergedFile(const char* lines, const char* key, FileFact& merged)
{
    bool found = false;
    for (const char* line = lines; *line != '\0'; line = Next(line)) {
        const char* value = LineValue(line, SectionName(Section::Files), key);
        if (value == nullptr) continue;
        FileFact fact;
        if (!ParseFileFact(value, fact)) continue;
        if (found) MergeFileFact(merged, fact);
        else merged = fact;
        found = true;
    }
    return found;
}

// The first value the lines hold for key in section.
const char* FirstValue(const char* lines, const char* section, const char* key)
{
    for (const char* line = lines; *line != '\0'; line = Next(line))
        if (const char* value = LineValue(line, section, key)) return value;
    return nullptr;
}

// The lines of a record file into to, each ended by a zero; the block they
// came in is freed.
void TakeLines(TextBuffer& to, char* lines)
{
    for (const char* line = lines; line != nullptr && *line != '\0'; line = Next(line))
        to.append(line, std::strlen(line) + 1);
    FreeBlock(lines);
}

// The lines the record holds now: the journal's (or only the run's changes
// while they are undone), or the file's of InstallDir, read into scratch.
const char* CurrentLines(TextBuffer& scratch, bool timesFirst = true)
{
    if (timesFirst) WriteTimedFacts();
    if (Viewing) return View.c_str();
    if (Loaded) return Lines.c_str();
    Path path;
    scratch.clear();
    if (RecordPathIn(InstallDir, path)) TakeLines(scratch, ReadRecordLines(path));
    return scratch.c_str();
}

// Lines into a file, each with CR LF, put on the disk when asked; false
// when a write failed.
bool WriteLines(HANDLE file, const char* lines, bool flush)
{
    TextBuffer text;
    for (const char* line = lines; *line != '\0'; line = Next(line))
        text.append(line, std::strlen(line)), text.append("\r\n", 2);
    DWORD written = 0;
    return WriteFile(file, text.c_str(), static_cast<DWORD>(text.length()), &written, nullptr) &&
           written == text.length() && (!flush || FlushFileBuffers(file));
}

FileHandle OpenForAdding(const char* path, DWORD disposition)
{
    FileHandle file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (file) SetFilePointer(file.get(), 0, nullptr, FILE_END);
    return file;
}

// One line more: into the journal (on the disk before the call returns when
// flush says so: a line ahead of a change), or, outside a run, into
// InstallDir's record file. False when it could not be written.
void FormatLine(TextBuffer& line, const char* section, const char* key, const char* value)
{
    line.append("[", 1), line.append(section, std::strlen(section)), line.append("] ", 2);
    line.append(key, std::strlen(key)), line.append("=", 1);
    std::size_t length = 0;
    while (value[length] != '\0' && value[length] != '\r' && value[length] != '\n') ++length;
    line.append(value, length), line.append("", 1);
}

bool AddLine(const char* section, const char* key, const char* value, bool flush = true)
{
    TextBuffer line;
    FormatLine(line, section, key, value);
    if (!Loaded) {
        Path path;
        FileHandle file = RecordPathIn(InstallDir, path) ? OpenForAdding(path, OPEN_ALWAYS) : FileHandle();
        return file && WriteLines(file.get(), line.c_str(), true);
    }
    Lines.append(line.c_str(), line.length());
    if (Holding && flush) return Held.append(line.c_str(), line.length());
    return Journal && WriteLines(Journal.get(), line.c_str(), flush);
}

// Whether a fact of the file at the full path waits for its time.
bool TimeToReadOf(const char* full)
{
    for (const char* line = Unstamped.c_str(); *line != '\0'; line = Next(line))
        if (LineValue(line, SectionName(Section::Files), full) != nullptr) return true;
    return false;
}

bool AddFileLine(const Path& path, const FileFact& fact, bool flush)
{
    FixedText<MAX_PATH + 64> value;
    // A file's lines stay in the order of its changes.
    if (TimeToReadOf(path)) WriteTimedFacts();
    return FormatFileFact(fact, value) && AddLine(SectionName(Section::Files), path, value, flush);
}

// The name part of a full path, and the length of its folder.
const char* NamePart(const char* full, std::size_t& folderLength)
{
    const char* slash = nullptr;
    for (const char* c = full; *c != '\0'; ++c)
        if (*c == '\\') slash = c;
    folderLength = slash != nullptr ? static_cast<std::size_t>(slash - full) : 0;
    return slash != nullptr ? slash + 1 : full;
}

// The time of each waiting fact of a file in the folder of the line first,
// from one look at the folder.
void ReadFolderTimes(char* first)
{
    const std::size_t keyAt = std::strlen(SectionName(Section::Files)) + 3;  // "[Files] "
    std::size_t folderLength, count = 0;
    NamePart(first + keyAt, folderLength);
    // The waiting lines of that folder: where each name lies, and its time.
    struct Waiting {
        const char* name;
        std::size_t length;
        char* time;
    };
    for (const char* line = first; *line != '\0'; line = Next(line)) ++count;
    auto* waiting = static_cast<Waiting*>(AllocBlock(count * sizeof(Waiting)));
    if (waiting == nullptr) return;
    count = 0;
    for (char* line = first; *line != '\0'; line = const_cast<char*>(Next(line))) {
        char* time = std::strchr(line, TimeToRead[0]);
        const char* equals = std::strchr(line + keyAt, '=');
        std::size_t otherFolder;
        const char* name = equals != nullptr ? NamePart(line + keyAt, otherFolder) : nullptr;
        if (time != nullptr && time[-1] == ',' && name != nullptr && name < equals && otherFolder == folderLength &&
            SameText(line + keyAt, first + keyAt, folderLength))
            waiting[count++] = {name, static_cast<std::size_t>(equals - name), time};
    }
    Path pattern;
    pattern.assign(first + keyAt);
    pattern.truncate(folderLength);
    WIN32_FIND_DATAA found;
    HANDLE search = pattern.appendWhole("\\*.*") ? FindFirstFileA(pattern, &found) : INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
            for (std::size_t k = 0; k < count; ++k) {
                const Waiting& file = waiting[k];
                if (file.time[0] != TimeToRead[0] ||
                    !(SameKey(file.name, found.cFileName, file.length) ||
                      SameKey(file.name, found.cAlternateFileName, file.length)))
                    continue;
                FixedText<20> digits;
                FormatText(digits, "%08lX%08lX", found.ftLastWriteTime.dwHighDateTime,
                           found.ftLastWriteTime.dwLowDateTime);
                std::memcpy(file.time, digits.c_str(), 16);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    // What the look did not find (a name the folder does not list so) is
    // looked up by itself; a file gone meanwhile keeps no time.
    for (std::size_t k = 0; k < count; ++k) {
        const Waiting& file = waiting[k];
        Path path;
        FixedText<32> stamp;
        if (file.time[0] != TimeToRead[0] || !path.assignWhole(first + keyAt)) continue;
        path.truncate(folderLength);
        path.append("\\").append(file.name);
        path.truncate(folderLength + 1 + file.length);
        if (FileStamp(path, stamp)) std::memcpy(file.time, std::strchr(stamp, ',') + 1, 16);
        else file.time[0] = '-';  // no longer waiting, and never written
    }
    FreeBlock(waiting);
}

// The waiting facts with their times, into the record.
bool WriteTimedFacts()
{
    char* lines = Unstamped.data();
    if (lines == nullptr) return true;
    for (char* line = lines; *line != '\0'; line = const_cast<char*>(Next(line))) {
        const char* time = std::strchr(line, TimeToRead[0]);
        if (time != nullptr && time[-1] == ',') ReadFolderTimes(line);
    }
    // A file gone meanwhile has no fact; the line ahead of its making says
    // enough.
    TextBuffer timed;
    for (const char* line = lines; *line != '\0'; line = Next(line)) {
        const char* time = std::strchr(line, TimeToRead[0]);
        if (time == nullptr) timed.append(line, std::strlen(line) + 1);
    }
    Unstamped.clear();
    if (timed.length() == 0) return true;
    Lines.append(timed.c_str(), timed.length());
    return Journal && WriteLines(Journal.get(), timed.c_str(), false);
}

// The lines of the last run: from its "[Run] begun=" line on; null when
// none began.
const char* LastRunBegins(const char* lines, FixedText<MAX_PATH>* folder = nullptr)
{
    const char* begins = nullptr;
    for (const char* line = lines; *line != '\0'; line = Next(line))
        if (const char* value = LineValue(line, RunSection(), "begun")) {
            begins = line;
            if (folder != nullptr) folder->assign(value);
        }
    return begins;
}

// Whether the lines before the end hold the section and key of line.
bool HeldBefore(const char* lines, const char* end, const char* line)
{
    FixedText<16> section;
    const char* keyAndValue;
    Path key;
    if (!SplitRecordLine(line, section, keyAndValue) || !KeyOf(keyAndValue, key)) return false;
    for (const char* earlier = lines; earlier < end; earlier = Next(earlier))
        if (LineValue(earlier, section, key) != nullptr) return true;
    return false;
}

// The record of the earlier installation: the one whose uninstaller the
// uninstall entry names, when that is another folder's and holds one, else
// InstallDir's own.
char* EarlierRecord(Path& from)
{
    Path own;
    bool haveOwn = RecordPathIn(InstallDir, own);
    RegKey entry;
    char command[MAX_PATH] = "";
    DWORD size = sizeof command - 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallEntryKey, 0, KEY_READ, entry.receive()) == ERROR_SUCCESS &&
        RegQueryValueExA(entry.get(), "UninstallString", nullptr, nullptr, reinterpret_cast<BYTE*>(command),
                         &size) == ERROR_SUCCESS) {
        // "folder\UNINSTAL.EXE", quoted when it holds a blank.
        const char* start = command[0] == '"' ? command + 1 : command;
        const char* name = std::strstr(start, "\\UNINSTAL.EXE");
        if (name != nullptr && from.assignWhole(start)) {
            from.truncate(static_cast<std::size_t>(name - start) + 1);
            if (from.appendWhole(RecordName) && !(haveOwn && SamePath(from, own)))
                if (char* lines = ReadRecordLines(from)) return lines;
        }
    }
    from = own;
    return haveOwn ? ReadRecordLines(own) : nullptr;
}

// The lines into path whole: a new file beside it, put on the disk, then in
// its place (Windows 9x cannot move a file over another).
bool WriteRecordFile(const char* path, const char* lines)
{
    Path temporary;
    if (!temporary.assignWhole(path)) return false;
    temporary[temporary.size() - 1] = '$';
    {
        FileHandle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file || !WriteLines(file.get(), lines, true)) return false;
    }
    DeleteFileA(path);
    return MoveFileA(temporary, path) != FALSE;
}

void CloseJournal()
{
    Journal.reset();
    Lines.clear();
    View.clear();
    Held.clear();
    Unstamped.clear();
    Loaded = Open = Viewing = Holding = Stamping = false;
}

}  // namespace

bool RecordPathIn(const char* folder, Path& path)
{
    return path.assignWhole(folder) && path.appendWhole("\\") && path.appendWhole(RecordName);
}

bool JournalPath(Path& path)
{
    char windows[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    return length != 0 && length < sizeof windows && path.assignWhole(windows) && path.appendWhole("\\") &&
           path.appendWhole(JournalName);
}

const char* ReadInstalledSetting(Section section, const char* key, const char* def)
{
    static FixedText<256> value;
    TextBuffer scratch;
    const char* found = FirstValue(CurrentLines(scratch), SectionName(section), key);
    return value.assign(found != nullptr ? found : def);
}

void WriteInstalledSettingOnce(Section section, const char* key, const char* value)
{
    TextBuffer scratch;
    // A key recorded empty stays too: it says the value was not there, and a
    // later run would otherwise record the package's own value over it.
    if (FirstValue(CurrentLines(scratch), SectionName(section), key) == nullptr)
        AddLine(SectionName(section), key, value);
}

char* ReadRecordLines(const char* path)
{
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD size = file ? GetFileSize(file.get(), nullptr) : INVALID_FILE_SIZE;
    if (size == INVALID_FILE_SIZE || size > 0x1000000) return nullptr;
    char* text = static_cast<char*>(AllocBlock(size + 2));
    DWORD got = 0;
    if (text == nullptr) return nullptr;
    if (!ReadFile(file.get(), text, size, &got, nullptr) || got != size) return FreeBlock(text), nullptr;
    // A last line that lacks its line end was broken off: it is not taken.
    while (size > 0 && text[size - 1] != '\n') --size;
    // Line ends become zeros; empty lines go, so that only the list's end
    // has two zeros in a row.
    DWORD out = 0;
    for (DWORD i = 0; i < size; ++i) {
        char c = text[i] == '\r' || text[i] == '\n' ? '\0' : text[i];
        if (c != '\0' || (out > 0 && text[out - 1] != '\0')) text[out++] = c;
    }
    text[out] = '\0';
    if (out == 0) return FreeBlock(text), nullptr;
    return text;
}

bool SplitRecordLine(const char* line, FixedText<16>& section, const char*& keyAndValue)
{
    const char* close = line[0] == '[' ? std::strchr(line, ']') : nullptr;
    if (close == nullptr || close - line - 1 >= static_cast<int>(section.Capacity) || close[1] != ' ') return false;
    section.assign(line + 1);
    section.truncate(static_cast<std::size_t>(close - line - 1));
    keyAndValue = close + 2;
    const char* equals = std::strchr(keyAndValue, '=');
    return equals != nullptr && equals != keyAndValue;
}

char* CurrentRecordLines()
{
    TextBuffer scratch;
    const char* lines = CurrentLines(scratch);
    std::size_t length = 0;
    for (const char* line = lines; *line != '\0'; line = Next(line)) length += std::strlen(line) + 1;
    if (length == 0) return nullptr;
    char* block = static_cast<char*>(AllocBlock(length + 1));
    if (block != nullptr) std::memcpy(block, lines, length + 1);
    return block;
}

// The lines of section whose key comes first at them, with that key.
template <typename Visit>
void ForEachKey(const char* lines, const char* section, Visit visit)
{
    TextBuffer seen;
    FixedText<16> lineSection;
    const char* keyAndValue;
    for (const char* line = lines; *line != '\0'; line = Next(line)) {
        Path key;
        if (!SplitRecordLine(line, lineSection, keyAndValue) || std::strcmp(lineSection, section) != 0 ||
            !KeyOf(keyAndValue, key) || FindKey(seen.length() != 0 ? seen.c_str() : nullptr, key) != nullptr)
            continue;
        seen.append(key, key.size()), seen.append("=", 2);
        visit(line, key);
    }
}

char* ReadRecordSection(Section section)
{
    TextBuffer scratch, merged;
    const char* name = SectionName(section);
    ForEachKey(CurrentLines(scratch), name, [&](const char* line, const Path& key) {
        const char* value = FirstValue(line, name, key);
        merged.append(key, key.size()), merged.append("=", 1), merged.append(value, std::strlen(value) + 1);
    });
    if (merged.length() == 0) return nullptr;
    char* block = static_cast<char*>(AllocBlock(merged.length() + 1));
    if (block != nullptr) std::memcpy(block, merged.c_str(), merged.length() + 1);
    return block;
}

void ForEachFile(FileVisitor visit, void* context)
{
    TextBuffer scratch;
    ForEachKey(CurrentLines(scratch), SectionName(Section::Files), [&](const char* line, const Path& key) {
        FileFact fact;
        if (MergedFile(line, key, fact)) visit(key, fact, context);
    });
}

bool ReadFileFact(const char* path, FileFact& fact)
{
    Path full;
    TextBuffer scratch;
    if (!FullPath(path, full)) return false;
    if (TimeToReadOf(full)) WriteTimedFacts();
    return MergedFile(CurrentLines(scratch, false), full, fact);
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
    for (const char* line = lines; line != nullptr && *line != '\0'; line = Next(line))
        if (const char* value = ValueFor(line, key)) return value;
    return nullptr;
}

bool BeginRun()
{
    if (Open) return true;
    CloseJournal();
    Path journal, carried;
    if (!JournalPath(journal)) return false;
    TakeLines(Lines, EarlierRecord(carried));
    Journal = FileHandle(CreateFileA(journal, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    Loaded = Open = true;
    bool written = Journal && WriteLines(Journal.get(), Lines.c_str(), false) &&
                   (Lines.length() == 0 || AddLine(RunSection(), "carried", carried, false)) &&
                   AddLine(RunSection(), "begun", InstallDir);
    if (!written) {
        CloseJournal();
        DeleteFileA(journal);
    }
    return written;
}

bool RunOpen()
{
    return Open;
}

void EndRun(bool completed)
{
    WriteFileTimes();
    if (Loaded) AddLine(RunSection(), "ended", completed ? "complete" : "undone");
    Open = Viewing = false;
}

bool SettleRecord()
{
    if (!Loaded) return true;
    const char* lines = Lines.c_str();
    Path folder, carried, target;
    const char* begins = LastRunBegins(lines, &folder);
    const char* ended = begins != nullptr ? FirstValue(begins, RunSection(), "ended") : nullptr;
    if (ended == nullptr) return false;
    bool complete = std::strcmp(ended, "complete") == 0;
    // What the record keeps: all but the note of where it was carried from,
    // and of a run undone only what it found the package's already.
    TextBuffer kept;
    bool facts = false;
    for (const char* line = lines; *line != '\0'; line = Next(line)) {
        if (const char* from = LineValue(line, RunSection(), "carried")) {
            carried.assign(from);
            continue;
        }
        FixedText<16> section;
        const char* keyAndValue;
        bool run = SplitRecordLine(line, section, keyAndValue) && std::strcmp(section, RunSection()) == 0;
        if (!complete && line > begins && !run && !HeldBefore(lines, begins, line)) continue;
        kept.append(line, std::strlen(line) + 1);
        facts = facts || !run;
    }
    if (complete) RecordPathIn(folder, target);
    else target = carried;
    if (!target.empty() && facts && !WriteRecordFile(target, kept.c_str())) return false;
    // The record now lives in one folder; the one it came from keeps none.
    if (complete && !carried.empty() && !SamePath(carried, target)) DeleteFileA(carried);
    Path journal;
    CloseJournal();
    if (JournalPath(journal)) DeleteFileA(journal);
    return true;
}

LeftRun FindLeftRun()
{
    if (Open) return LeftRun::None;
    CloseJournal();
    Path journal, folder;
    if (!JournalPath(journal)) return LeftRun::None;
    if (GetFileAttributesA(journal) == INVALID_FILE_ATTRIBUTES) return LeftRun::None;
    // The run that writes it holds it open for itself: it is not left.
    Journal = FileHandle(CreateFileA(journal, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!Journal) return LeftRun::InUse;
    TakeLines(Lines, ReadRecordLines(journal));
    const char* begins = LastRunBegins(Lines.c_str(), &folder);
    if (begins == nullptr) {
        // It stopped before its first change: there is nothing to take up.
        CloseJournal();
        DeleteFileA(journal);
        return LeftRun::None;
    }
    // Lines are added after the last whole one: a line a power cut broke
    // off goes.
    {
        DWORD whole = 0;
        for (const char* line = Lines.c_str(); *line != '\0'; line = Next(line)) whole += std::strlen(line) + 2;
        SetFilePointer(Journal.get(), static_cast<LONG>(whole), nullptr, FILE_BEGIN);
        SetEndOfFile(Journal.get());
    }
    Loaded = true;
    InstallDir.assign(folder);
    return FirstValue(begins, RunSection(), "ended") != nullptr ? LeftRun::Ended : LeftRun::Unfinished;
}

bool ReadOnlyRunChanges()
{
    const char* lines = Lines.c_str();
    const char* begins = LastRunBegins(lines);
    View.clear();
    bool earlier = false;
    FixedText<16> section;
    const char* keyAndValue;
    for (const char* line = lines; begins != nullptr && *line != '\0'; line = Next(line)) {
        bool fact = SplitRecordLine(line, section, keyAndValue) && std::strcmp(section, RunSection()) != 0;
        if (line < begins) earlier = earlier || fact;
        else if (fact && !HeldBefore(lines, begins, line)) View.append(line, std::strlen(line) + 1);
    }
    Viewing = true;
    return earlier;
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
        WriteInstalledSettingOnce(Section::Created, name, whole ? kind : "empty");
        if (!whole && std::strcmp(kind, "empty") != 0) {
            name.assign(rootName).append(path);
            WriteInstalledSettingOnce(Section::Created, name, kind);
        }
        return;
    }
}

bool FullPath(const char* path, Path& full)
{
    char buffer[MAX_PATH];
    DWORD length = GetFullPathNameA(path, sizeof buffer, buffer, nullptr);
    return length != 0 && length < sizeof buffer && full.assignWhole(buffer);
}

bool IsPackageFile(const char* path)
{
    FileFact fact;
    // Another's file that was to be kept and is not: the move never happened.
    return ReadFileFact(path, fact) && fact.ours() &&
           !(fact.step == FileStep::Replacing && GetFileAttributesA(fact.original) == INVALID_FILE_ATTRIBUTES);
}

bool KeepOriginal(const char* path, Path& original)
{
    Path folder, composed;
    if (!composed.assignWhole(InstallDir) || !composed.appendWhole("\\ORIGINAL") || !FullPath(composed, folder) ||
        !MakeFolder(folder))
        return false;
    // The name part, as the system finds it in a path of any code page.
    char full[MAX_PATH];
    char* name = nullptr;
    DWORD length = GetFullPathNameA(path, sizeof full, full, &name);
    FixedText<32> sum;
    if (length == 0 || length >= sizeof full || name == nullptr || !FileSum(full, sum)) return false;
    // Two originals of one name (from different folders) get numbers.
    for (char n = '0'; n <= '9'; ++n) {
        const char prefix[] = {n, '_', '\0'};
        if (!original.assignWhole(folder) || !original.appendWhole("\\") ||
            !original.appendWhole(n == '0' ? "" : prefix) || !original.appendWhole(name))
            return false;
        if (GetFileAttributesA(original) != INVALID_FILE_ATTRIBUTES) continue;
        // The record names the file and its bytes before it moves: a copy to
        // another drive that a power cut broke off is known by its sum.
        FileFact fact;
        fact.step = FileStep::Replacing;
        fact.takeLengthAndSum(sum);
        fact.original = original;
        if (!AddFileLine(Path().assign(full), fact, true)) return false;
        if (MoveFileA(full, original)) return true;
        // Another drive: a copy, and the file goes only once the copy is whole.
        if (CopyFileA(full, original, TRUE)) {
            if (DeleteFileA(full)) return true;
            DeleteFileA(original);
        }
        return false;
    }
    return false;
}

bool NoteCreating(const char* path)
{
    Path full;
    FileFact fact;
    fact.step = FileStep::Creating;
    return FullPath(path, full) && AddFileLine(full, fact, true);
}

void HoldFileTimes()
{
    Stamping = Loaded && !Viewing;
}

bool WriteFileTimes()
{
    Stamping = false;
    return WriteTimedFacts();
}

void HoldAheadLines()
{
    Holding = Loaded;
}

bool WriteHeldLines()
{
    Holding = false;
    bool written = Held.length() == 0 || (Journal && WriteLines(Journal.get(), Held.c_str(), true));
    Held.clear();
    return written;
}

bool NoteUpdating(const char* path, const char* temporaryName)
{
    Path full;
    FileFact fact;
    fact.step = FileStep::Updating;
    fact.temporary.assign(temporaryName);
    return FullPath(path, full) && AddFileLine(full, fact, true);
}

bool FileStamp(const char* path, FixedText<32>& stamp)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    FormatText(stamp, "%lu,%08lX%08lX", found.nFileSizeLow, found.ftLastWriteTime.dwHighDateTime,
               found.ftLastWriteTime.dwLowDateTime);
    return true;
}

bool FileSum(const char* path, FixedText<32>& sum)
{
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    static char chunk[32768];
    DWORD got = 0, length = 0;
    uint32_t crc = 0;
    if (!file) return false;
    while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        crc = Crc32(crc, chunk, got);
        length += got;
    }
    FormatSum(sum, length, crc);
    return true;
}

void FormatSum(FixedText<32>& sum, DWORD length, DWORD crc)
{
    FormatText(sum, "%lu,%08lX", static_cast<unsigned long>(length), static_cast<unsigned long>(crc));
}

void NoteFile(const char* path, FileStep found, const char* original, const char* sum)
{
    FixedText<32> stamp, read;
    Path full;
    bool later = Stamping && Loaded && !Viewing;
    if ((!later && !FileStamp(path, stamp)) || !FullPath(path, full)) return;
    if (sum == nullptr && FileSum(path, read)) sum = read;
    if (sum == nullptr) return;
    FileFact fact;
    fact.step = found;
    fact.takeLengthAndSum(sum);
    fact.time.assign(later ? TimeToRead : std::strchr(stamp, ',') + 1);
    bool kept = original != nullptr && *original != '\0';
    if (kept && !fact.original.assignWhole(original)) return;
    // After the change: the next line ahead of one puts this on the disk too.
    FixedText<MAX_PATH + 64> value;
    if (later && TimeToReadOf(full)) WriteTimedFacts();
    if (!later) AddFileLine(full, fact, false);
    else if (FormatFileFact(fact, value)) FormatLine(Unstamped, SectionName(Section::Files), full, value);
    if (found == FileStep::Same) LogLine("identical, left %s", full.c_str());
    else if (kept) LogLine("installed %s (the file there before is kept as %s)", full.c_str(), original);
    else LogLine("installed %s", full.c_str());
}

bool MakeFolder(const char* path)
{
    Path full;
    TextBuffer scratch;
    if (!FullPath(path, full)) return false;
    const char* section = SectionName(Section::Folders);
    bool recorded = FirstValue(CurrentLines(scratch), section, full) != nullptr;
    if (DirectoryExists(full)) {
        if (!recorded) AddLine(section, full, "found", false), LogLine("folder %s found", full.c_str());
        return true;
    }
    if (!recorded && !AddLine(section, full, "created")) return false;
    if (!CreateDirectoryA(full, nullptr)) return false;
    LogLine("folder %s created", full.c_str());
    return true;
}
