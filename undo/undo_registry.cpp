// The registry, back as it was: the values the driver registration replaced
// get their recorded values again, values it added go, and the keys the
// installation created and the application entries are removed. A value
// that no longer holds what the installation wrote was changed since; it
// stays, and the report names it.
#include "undo/undo_registry.h"

#include <cstring>

#include "record/installed_record.h"
#include "shell/memory.h"
#include "shell/globals.h"
#include "sysconfig/application_registration.h"
#include "sysconfig/driver_registration.h"
#include "sysconfig/registry_values.h"
#include "shell/setup_log.h"
#include "undo/outcome.h"

namespace {

// The default that tells a key the record lacks from one recorded empty.
const char* const NotRecorded = "\x01";

bool Recorded(Section section, const char* key, FixedText<256>& value)
{
    value.assign(ReadInstalledSetting(section, key, NotRecorded));
    return std::strcmp(value, NotRecorded) != 0;
}

bool ValueExists(HKEY key, const char* name)
{
    return RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void LeaveValue(const char* keyPath, const char* name, const char* why)
{
    FixedText<320> what;
    what.assign("\"").append(name).append("\" of ").append(keyPath);
    Leave(what, why);
}

// A text value the installation set to ours. An empty record means the
// value was not there before.
void RestoreText(HKEY key, const char* keyPath, Section section, const char* name, const char* ours)
{
    FixedText<256> old, now;
    bool recorded = Recorded(section, name, old);
    bool present = ValueExists(key, name);
    ReadTextValue(key, name, now);
    if (present && std::strcmp(now, ours) == 0) {
        if (!recorded) return LeaveValue(keyPath, name, "the installation recorded no earlier value");
        if (old.empty()) RegDeleteValueA(key, name);
        else SetTextValue(key, name, old);
        ++Result->valuesRestored;
        LogLine("registry: \"%s\" of %s is back as it was", name, keyPath);
        return;
    }
    bool asBefore = !recorded || (old.empty() ? !present : present && std::strcmp(now, old) == 0);
    if (!asBefore) LeaveValue(keyPath, name, "changed since the installation");
}

// A binary value the installation set to four zero bytes; its record is in
// hex digits.
void RestoreFlags(HKEY key, Section section, const char* name)
{
    FixedText<256> old;
    if (!Recorded(section, name, old)) return;
    BYTE now[32];
    DWORD size = sizeof now;
    bool present = RegQueryValueExA(key, name, nullptr, nullptr, now, &size) == ERROR_SUCCESS;
    bool ours = present && size == 4 && now[0] == 0 && now[1] == 0 && now[2] == 0 && now[3] == 0;
    if (!ours) return;
    if (old.empty()) {
        RegDeleteValueA(key, name);
        ++Result->valuesRestored;
        return;
    }
    BYTE data[32];
    DWORD length = 0;
    for (std::size_t i = 0; i + 1 < old.size() && length < sizeof data; i += 2) {
        auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
        data[length++] = static_cast<BYTE>(digit(old[i]) << 4 | digit(old[i + 1]));
    }
    RegSetValueExA(key, name, 0, REG_BINARY, data, length);
    ++Result->valuesRestored;
}

// One mouse type's record: the device key, then its class key. False when
// the record holds nothing for this type.
bool RestoreMouseRecord(Section section, const char* description, const char* infSection)
{
    FixedText<256> devicePath, classPath, driver;
    if (!Recorded(section, "SubKey1", devicePath) || devicePath.empty()) return false;
    RegKey device = OpenRegistryKey(HKEY_LOCAL_MACHINE, devicePath);
    if (!device) {
        Leave(devicePath, "the device's key is no longer there");
        return true;
    }
    RestoreText(device.get(), devicePath, section, "DeviceDesc", description);
    RestoreText(device.get(), devicePath, section, "Mfg", Mfg);
    RestoreFlags(device.get(), section, "ConfigFlags");
    // "Driver" recorded empty: the installation gave the device a class
    // instance of its own (a created key, removed below). Only a value that
    // still names that instance goes.
    if (Recorded(section, "Driver", driver) && driver.empty() && ValueExists(device.get(), "Driver")) {
        FixedText<80> now;
        ReadTextValue(device.get(), "Driver", now);
        FixedText<300> created;
        created.assign("HKLM\\").append(DriverKeys::ClassRoot).append(now);
        if (!now.empty() && lstrcmpiA(ReadInstalledSetting(Section::Created, created, ""), "tree") == 0) {
            RegDeleteValueA(device.get(), "Driver");
            ++Result->valuesRestored;
        } else {
            LeaveValue(devicePath, "Driver", "changed since the installation");
        }
    }
    if (!Recorded(section, "SubKey2", classPath) || classPath.empty()) return true;
    RegKey instance = OpenRegistryKey(HKEY_LOCAL_MACHINE, classPath);
    if (!instance) {
        Leave(classPath, "the driver's key is no longer there");
        return true;
    }
    const struct {
        const char* name;
        const char* ours;
    } values[] = {
        {"MouseDriver", MouseDriver}, {"InfPath", MouseInf},      {"DriverDesc", description},
        {"DriverDate", DriverDate},   {"InfSection", infSection}, {"MouseType", SectionName(section)},
    };
    for (const auto& v : values) RestoreText(instance.get(), classPath, section, v.name, v.ours);
    return true;
}

// Windows 95 deletes a key with its subkeys; Windows NT does not: the
// subkeys go first.
void DeleteTree(HKEY root, const char* path)
{
    {
        RegKey key = OpenRegistryKey(root, path);
        if (!key) return;
        char name[256];
        for (;;) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            FixedText<512> child;
            if (!child.assign(path).appendWhole("\\") || !child.appendWhole(name)) break;
            DeleteTree(root, child);
            if (OpenRegistryKey(root, child)) break;  // it would not go: stop rather than loop
        }
    }
    RegDeleteKeyA(root, path);
}

// Whether a key, or any key below it, holds a value. A key the installation
// created on the way to its own may have been given to others since.
bool HoldsValues(HKEY root, const char* path)
{
    RegKey key = OpenRegistryKey(root, path);
    if (!key) return false;
    char name[256];
    DWORD size = sizeof name;
    if (RegEnumValueA(key.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) return true;
    for (DWORD index = 0;; ++index) {
        size = sizeof name;
        if (RegEnumKeyExA(key.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        FixedText<512> child;
        if (child.assign(path).appendWhole("\\") && child.appendWhole(name) && HoldsValues(root, child)) return true;
    }
    return false;
}

// The keys the installation created, of one kind, the last created first:
// "tree" keys go with all they hold; "empty" ones only when no value is
// left in them or below them. How many the record names.
int RemoveCreatedKeys(const char* kind)
{
    char* lines = ReadRecordSection(Section::Created);
    const char* ends[512];
    int count = 0;
    for (const char* line = lines; line != nullptr && *line != '\0' && count < 512; line += std::strlen(line) + 1)
        ends[count++] = line;
    int named = 0;
    bool tree = lstrcmpiA(kind, "tree") == 0;
    while (count-- > 0) {
        const char* line = ends[count];
        const char* equals = std::strchr(line, '=');
        if (equals == nullptr || lstrcmpiA(equals + 1, kind) != 0 || equals - line < 6) continue;
        FixedText<264> path;
        path.assign(line + 5);
        path.truncate(static_cast<std::size_t>(equals - line - 5));
        HKEY root = std::strncmp(line, "HKCR\\", 5) == 0 ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
        ++named;
        if (!tree && HoldsValues(root, path)) continue;
        if (RegKey there = OpenRegistryKey(root, path)) {
            there.reset();
            DeleteTree(root, path);
            ++Result->keysRemoved;
            LogLine("registry: removed %s%s", root == HKEY_CLASSES_ROOT ? "HKCR\\" : "HKLM\\", path.c_str());
        }
    }
    FreeBlock(lines);
    return named;
}

void RemoveApplicationEntries()
{
    if (OpenRegistryKey(HKEY_CLASSES_ROOT, ApplicationKeys::Class) ||
        OpenRegistryKey(HKEY_LOCAL_MACHINE, ApplicationKeys::Uninstall))
        Result->done.append("- the property page, the program started at logon and the uninstall entry\n"),
            LogLine("registry: removed the property page, the program started at logon and the uninstall entry");
    DeleteTree(HKEY_CLASSES_ROOT, ApplicationKeys::Class);
    DeleteTree(HKEY_LOCAL_MACHINE, ApplicationKeys::Handler);
    // The handlers key names one handler; only when that is still ours does
    // it get back the one it named before, or none.
    if (RegKey handlers = OpenRegistryKey(HKEY_LOCAL_MACHINE, ApplicationKeys::Handlers)) {
        FixedText<80> named;
        ReadTextValue(handlers.get(), nullptr, named);
        FixedText<256> before;
        bool recorded = Recorded(Section::Application, "PropertySheetHandlers", before) && !before.empty();
        if (std::strcmp(named, "QXMousePage") == 0) {
            if (recorded) SetTextValue(handlers.get(), nullptr, before);
            else RegDeleteValueA(handlers.get(), "");
        }
    }
    if (RegKey run = OpenRegistryKey(HKEY_LOCAL_MACHINE, ApplicationKeys::Run)) RegDeleteValueA(run.get(), "Rollvane");
    DeleteTree(HKEY_LOCAL_MACHINE, ApplicationKeys::Uninstall);
}

}  // namespace

void UndoRegistry(bool applicationEntries, bool wholeInstallation)
{
    bool ps2 = RestoreMouseRecord(Section::PS2, PS2Name, PS2InfSection);
    bool serial = RestoreMouseRecord(Section::Serial, SerialName, SerialInfSection);
    int created = RemoveCreatedKeys("tree");
    if (!ps2 && !serial && created == 0 && wholeInstallation)
        Leave("the mouse driver's device settings", "the record of the installation names none of them");
    else if (Result->valuesRestored + Result->keysRemoved > 0)
        Result->done.append("- the mouse settings the installation replaced are back\n");
    if (applicationEntries) RemoveApplicationEntries();
    RemoveCreatedKeys("empty");
}
