#include "sysconfig/driver_registration.h"

#include <windows.h>

#include <cstring>

#include "record/installed_record.h"
#include "shell/globals.h"
#include "shell/handles.h"
#include "shell/services.h"
#include "sysconfig/application_registration.h"
#include "sysconfig/registry_values.h"

namespace DriverKeys {
const char* const RootEntry = "Enum\\Root\\ZorvaMouse\\0000";
const char* const ClassRoot = "System\\CurrentControlSet\\Services\\Class\\";
const char* const MouseClass = "System\\CurrentControlSet\\Services\\Class\\Mouse";
const char* const HardwarePatterns[5] = {"BIOS\\*PNP0F13\\", "BIOS\\*PNP0F0E\\", "ROOT\\*PNP0F0E\\",
                                         "ROOT\\*PNP0F0C\\", "SERENUM\\ZKV0005\\"};
}  // namespace DriverKeys

namespace {

const char* const ActiveDevices = "Config Manager\\Enum";
using DriverKeys::ClassRoot;
using DriverKeys::MouseClass;
using DriverKeys::RootEntry;
using DriverKeys::HardwarePatterns;

// The device path "Enum\" + hardware key lives in an 80-byte field.
constexpr std::size_t MaxHardwareKey = 80 - 1 - 5;

// What differs between the two mouse types.
struct MouseType {
    const char* typeName;  // the record's section and the class value "MouseType"
    const char* description;
    const char* infSection;
};

// Previous values go into the section of the mouse type being registered.
void Record(const char* key, const char* value)
{
    WriteInstalledSettingOnce(SectionNamed(MouseTypeName) == Section::Serial ? Section::Serial : Section::PS2, key, value);
}

// The C library's text-to-integer rule (white space, a sign, digits), kept
// in 16 bits as the instance numbers are.
int16_t InstanceNumber(const char* name)
{
    while (*name == ' ' || (*name >= '\t' && *name <= '\r')) ++name;
    bool negative = *name == '-';
    if (*name == '-' || *name == '+') ++name;
    uint32_t n = 0;
    while (*name >= '0' && *name <= '9') n = n * 10 + static_cast<uint32_t>(*name++ - '0');
    return static_cast<int16_t>(negative ? 0u - n : n);
}

// The subkey name at index, or false at the end of the list. A name too long
// for the 80-byte field is no device or instance of this registration and is
// passed over, rather than ending the list early.
bool NextSubkey(HKEY key, DWORD& index, char (&name)[80])
{
    for (;; ++index) {
        DWORD size = sizeof name;
        LONG result = RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS) return true;
        if (result != ERROR_MORE_DATA) return false;
    }
}

// A binary value as hex digits, for the record; empty when it is absent.
void RecordBinaryValue(HKEY key, const char* name)
{
    BYTE data[32];
    DWORD size = sizeof data;
    FixedText<80> hex;
    if (RegQueryValueExA(key, name, nullptr, nullptr, data, &size) == ERROR_SUCCESS) {
        for (DWORD i = 0; i < size; ++i) {
            const char digits[] = {"0123456789ABCDEF"[data[i] >> 4], "0123456789ABCDEF"[data[i] & 15], '\0'};
            hex.append(digits);
        }
    }
    Record(name, hex);
}

bool SubkeyExists(HKEY key, const char* name)
{
    return static_cast<bool>(OpenRegistryKey(key, name));
}

void RegisterFoundDevice(const char* hardwareKey, const MouseType& type)
{
    FixedText<80> devicePath;
    if (!devicePath.assign("Enum\\").appendWhole(hardwareKey)) return;
    RegKey device = OpenRegistryKey(HKEY_LOCAL_MACHINE, devicePath);
    MouseTypeName.assign(type.typeName);
    if (!device) return;
    LogKey(HKEY_LOCAL_MACHINE, devicePath);

    // What the key held goes into the record in one write, ahead of the
    // first change: a flush costs a turn of the disk.
    HoldAheadLines();
    Record("SubKey1", devicePath);
    FixedText<80> previous;
    ReadTextValue(device.get(), "DeviceDesc", previous);
    Record("DeviceDesc", previous);
    RecordBinaryValue(device.get(), "ConfigFlags");
    ReadTextValue(device.get(), "Mfg", previous);
    Record("Mfg", previous);
    WriteHeldLines();
    SetTextValue(device.get(), "DeviceDesc", type.description);
    SetZeroFlags(device.get(), "ConfigFlags");
    SetTextValue(device.get(), "Mfg", Mfg);

    FixedText<80> driver;
    ReadTextValue(device.get(), "Driver", driver);
    if (!driver.empty()) {
        UpdateMouseClassKey(driver, type.description, type.infSection);
        return;
    }
    NextMouseClassInstance(driver);
    Record("Driver", "");  // there was none: the uninstaller removes ours
    SetTextValue(device.get(), "Driver", driver);
    CreateMouseClassKey(driver, type.description, type.infSection);
}

// A serial mouse the system has not enumerated gets a device entry of its
// own, which the system's serial-mouse detection looks after.
void RegisterRootEntry()
{
    RecordCreatedKey(HKEY_LOCAL_MACHINE, RootEntry, "tree");
    RegKey entry = CreateRegistryKey(HKEY_LOCAL_MACHINE, RootEntry);
    MouseTypeName.assign("Serial");
    if (!entry) return;
    LogKey(HKEY_LOCAL_MACHINE, RootEntry);
    SetTextValue(entry.get(), "Class", "Mouse");
    SetTextValue(entry.get(), "DeviceDesc", SerialName);
    SetTextValue(entry.get(), "Mfg", Mfg);
    SetZeroFlags(entry.get(), "ConfigFlags");
    SetZeroFlags(entry.get(), "DetFlags");
    SetTextValue(entry.get(), "DetFunc", "*:DETECTSERIALMOUSE");
    FixedText<80> instance;
    NextMouseClassInstance(instance);
    SetTextValue(entry.get(), "Driver", instance);
    CreateMouseClassKey(instance, SerialName, SerialInfSection);
}

bool ClassPath(const char* instance, FixedText<128>& path)
{
    return path.assign(ClassRoot).appendWhole(instance);
}

}  // namespace

void UpdateRegistry(int32_t includeApplication)
{
    if (includeApplication != 0) RegisterApplication();
    RegisterMouseDriver();
}

void RegisterMouseDriver()
{
    const MouseType ps2 = {"PS2", PS2Name, PS2InfSection};
    const MouseType serial = {"Serial", SerialName, SerialInfSection};
    FixedText<80> hardwareKey;

    bool ps2Active = FindActiveHardwareKey(HardwarePatterns[0], hardwareKey) ||
                     FindActiveHardwareKey(HardwarePatterns[1], hardwareKey) ||
                     FindActiveHardwareKey(HardwarePatterns[2], hardwareKey);
    if (ps2Active && SerialMouse == 0) {
        RegisterFoundDevice(hardwareKey, ps2);
        return;
    }
    bool serialActive = FindActiveHardwareKey(HardwarePatterns[3], hardwareKey) ||
                        FindActiveHardwareKey(HardwarePatterns[4], hardwareKey);
    if (SerialMouse != 1) return;
    if (serialActive) RegisterFoundDevice(hardwareKey, serial);
    else RegisterRootEntry();
}

int FindActiveHardwareKey(const char* pattern, FixedText<80>& hardwareKey)
{
    RegKey list = OpenRegistryKey(HKEY_DYN_DATA, ActiveDevices);
    if (!list) return 0;
    int found = 0;
    char name[80];
    for (DWORD index = 0; NextSubkey(list.get(), index, name); ++index) {
        FixedText<128> value;
        {
            RegKey device = OpenRegistryKey(list.get(), name);
            if (!device) continue;
            ReadTextValue(device.get(), "HardWareKey", value);
        }
        // A longer key could only be cut, and a cut key names another device.
        if (value.size() > MaxHardwareKey || std::strstr(value, pattern) == nullptr) continue;
        hardwareKey.assign(value);
        found = 1;
    }
    return found;
}

int NextMouseClassInstance(FixedText<80>& instance)
{
    int16_t last = -1;
    RegKey mouse = OpenRegistryKey(HKEY_LOCAL_MACHINE, MouseClass);
    if (mouse) {
        char name[80];
        for (DWORD index = 0; NextSubkey(mouse.get(), index, name); ++index) {
            int16_t n = InstanceNumber(name);
            if (n - last > 1) break;  // the first gap is the free number
            last = n;
        }
    }
    int number = last + 1;
    FormatText(instance, "Mouse\\%04d", number);
    // Names out of their rising order (a "1" after "0002", a name that is no
    // number) can lead to a number that is taken; the class instance of
    // another device must not be overwritten, so the next free one is taken.
    while (mouse && number < 0x7FFF && SubkeyExists(mouse.get(), instance.c_str() + 6))
        FormatText(instance, "Mouse\\%04d", ++number);
    return 1;
}

void UpdateMouseClassKey(const char* instance, const char* description, const char* infSection)
{
    FixedText<128> path;
    if (!ClassPath(instance, path)) return;
    RegKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, path);
    if (!key) {
        Record("SubKey2", path);
        CreateMouseClassKey(instance, description, infSection);
        return;
    }
    LogKey(HKEY_LOCAL_MACHINE, path);
    const struct {
        const char* name;
        const char* value;
    } values[] = {
        {"MouseDriver", MouseDriver}, {"InfPath", MouseInf},      {"DriverDesc", description},
        {"DriverDate", DriverDate},   {"InfSection", infSection}, {"MouseType", MouseTypeName},
    };
    // As with the device's key: what it held first, in one write.
    HoldAheadLines();
    Record("SubKey2", path);
    for (const auto& v : values) {
        FixedText<80> previous;
        ReadTextValue(key.get(), v.name, previous);
        Record(v.name, previous);
    }
    WriteHeldLines();
    for (const auto& v : values) SetTextValue(key.get(), v.name, v.value);
}

void CreateMouseClassKey(const char* instance, const char* description, const char* infSection)
{
    FixedText<128> path;
    if (!ClassPath(instance, path)) return;
    RecordCreatedKey(HKEY_LOCAL_MACHINE, path, "tree");
    RegKey key = CreateRegistryKey(HKEY_LOCAL_MACHINE, path);
    if (!key) return;
    LogKey(HKEY_LOCAL_MACHINE, path);
    SetTextValue(key.get(), "DevLoader", "*vmouse");
    SetTextValue(key.get(), "MouseType", MouseTypeName);
    SetTextValue(key.get(), "MouseDriver", MouseDriver);
    SetTextValue(key.get(), "InfPath", MouseInf);
    SetTextValue(key.get(), "DriverDesc", description);
    SetTextValue(key.get(), "DriverDate", DriverDate);
    SetTextValue(key.get(), "InfSection", infSection);
}
