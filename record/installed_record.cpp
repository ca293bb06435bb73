#include "record/installed_record.h"

#include <cstdlib>
#include <cstring>

#include "shell/fixed_text.h"
#include "shell/globals.h"
#include "shell/handles.h"

const char* const SystemIniRecord = "SystemIni";
const char* const CreatedKeysRecord = "Created";
const char* const ApplicationRecord = "Application";
const char* const RecordSections[5] = {"PS2", "Serial", SystemIniRecord, CreatedKeysRecord, ApplicationRecord};

namespace {

constexpr int SectionCount = sizeof RecordSections / sizeof RecordSections[0];

// The sections as GetPrivateProfileSectionA gives them: "key=value" texts,
// each ended by a zero, the list ended by a second one. Allocated only while
// kept: a static block of this size would go into the program file.
constexpr DWORD SectionBytes = 8192;
char* Kept[SectionCount];

bool InstalledScript(FixedText<MAX_PATH>& path)
{
    return path.assignWhole(InstallDir) && path.appendWhole("\\SETUP.INF");
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

void KeepInstalledRecord()
{
    FixedText<MAX_PATH> path;
    bool exists = InstalledScript(path) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    for (int s = 0; s < SectionCount; ++s) {
        std::free(Kept[s]);
        Kept[s] = nullptr;
        if (!exists) continue;
        char* lines = static_cast<char*>(std::malloc(SectionBytes));
        if (lines == nullptr) continue;
        DWORD length = GetPrivateProfileSectionA(RecordSections[s], lines, SectionBytes, path);
        // A section too long for the buffer comes back cut (length = size
        // - 2); a cut record is not written back over a whole one.
        if (length > 0 && length < SectionBytes - 2) Kept[s] = lines;
        else std::free(lines);
    }
}

void RestoreInstalledRecord()
{
    FixedText<MAX_PATH> path;
    bool written = false;
    for (int s = 0; s < SectionCount; ++s) {
        if (Kept[s] == nullptr) continue;
        if (InstalledScript(path)) WritePrivateProfileSectionA(RecordSections[s], Kept[s], path);
        std::free(Kept[s]);
        Kept[s] = nullptr;
        written = true;
    }
    if (written) WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);  // to the file now
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
