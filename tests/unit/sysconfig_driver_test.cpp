// The driver registration against Wine's real registry, seeded as a Windows
// 98 PC has it: the active devices under HKEY_DYN_DATA (kept only while the
// wineserver runs, so every test seeds its own), the device keys under
// HKLM\Enum and the mouse class instances.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "record/installed_record.h"
#include "shell/globals.h"
#include "shell/services.h"
#include "sysconfig/driver_registration.h"
#include "tests/support/files.h"
#include "tests/support/import_patch.h"
#include "tests/support/test_env.h"
#include "tests/support/registry.h"
#include "tests/support/value_log.h"

namespace {

using Devices = std::vector<std::pair<std::string, std::string>>;  // list entry, hardware key

const std::string ActiveList = "Config Manager\\Enum";
const std::string ClassRoot = "System\\CurrentControlSet\\Services\\Class\\";
const std::string RootEntry = "Enum\\Root\\ZorvaMouse\\0000";
const char* const OldDesc = "Standard mouse";
const char* const OldMfg = "(Standard mouse types)";

class DriverRegistration : public testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryA(installDir.c_str(), nullptr);
        InstallDir.assign(installDir.c_str());
        Mfg.assign("Zorva");
        MouseDriver.assign("QXMOUSE.DRV");
        MouseInf.assign("QXMOUSE.INF");
        DriverDate.assign("12-1-1998");
        PS2InfSection.assign("QX_PS2");
        SerialInfSection.assign("QX_SER");
        PS2Name.assign("Zorva PS/2 Wheel Mouse");
        SerialName.assign("Zorva Serial Wheel Mouse");
        Reset();
    }
    void TearDown() override { Reset(); }

    // Clears what a case seeds and what the program writes.
    void Reset()
    {
        DeleteTree(HKEY_DYN_DATA, "Config Manager");
        DeleteTree(HKEY_LOCAL_MACHINE, "Enum");
        DeleteTree(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class");  // none on a fresh PC
        DeleteFileA(script.c_str());
        MouseTypeName.clear();
    }
    // Active devices, each with a device key as the system leaves it.
    void Activate(const Devices& devices, bool withDeviceKeys = true)
    {
        for (const auto& d : devices) {
            SetText(HKEY_DYN_DATA, ActiveList + "\\" + d.first, "HardWareKey", d.second);
            if (!withDeviceKeys) continue;
            SetText(HKEY_LOCAL_MACHINE, "Enum\\" + d.second, "DeviceDesc", OldDesc);
            SetText(HKEY_LOCAL_MACHINE, "Enum\\" + d.second, "Mfg", OldMfg);
        }
    }
    std::string Recorded(const char* section, const char* key) { return RecordedIn(installDir, section, key); }
    std::vector<std::string> RecordedKeys(const char* section) { return RecordedKeysIn(installDir, section); }
    void ExpectClassKey(const std::string& instance, const char* type, const char* desc, const char* infSection,
                        const char* devLoader = "*vmouse")
    {
        const std::pair<const char*, const char*> values[] = {
            {"DevLoader", devLoader},   {"MouseType", type},         {"MouseDriver", "QXMOUSE.DRV"},
            {"InfPath", "QXMOUSE.INF"}, {"DriverDesc", desc},        {"DriverDate", "12-1-1998"},
            {"InfSection", infSection}};
        for (const auto& v : values)
            EXPECT_EQ(v.second, TextOf(HKEY_LOCAL_MACHINE, ClassRoot + instance, v.first)) << instance << v.first;
    }
    struct PathCase {
        const char* what;
        Devices active;
        std::string registered;  // the hardware key expected to be registered
    };
    // Each case from a clean registry: the registered device gets the driver,
    // a new class instance and a record; every other device is untouched.
    void RunPathCases(int32_t serialMouse, const char* type, const char* desc, const char* infSection,
                      const std::vector<PathCase>& cases)
    {
        for (const PathCase& c : cases) {
            Reset();
            Activate(c.active);
            SerialMouse = serialMouse;
            RegisterMouseDriver();
            const std::string device = "Enum\\" + c.registered;
            EXPECT_STREQ(type, MouseTypeName) << c.what;
            EXPECT_EQ(desc, TextOf(HKEY_LOCAL_MACHINE, device, "DeviceDesc")) << c.what;
            EXPECT_EQ("Zorva", TextOf(HKEY_LOCAL_MACHINE, device, "Mfg")) << c.what;
            StoredValue flags = ReadStored(HKEY_LOCAL_MACHINE, device, "ConfigFlags");
            EXPECT_EQ(static_cast<DWORD>(REG_BINARY), flags.type) << c.what;
            EXPECT_EQ(std::string(4, '\0'), flags.data) << c.what;
            EXPECT_EQ("Mouse\\0000", TextOf(HKEY_LOCAL_MACHINE, device, "Driver")) << c.what;
            ExpectClassKey("Mouse\\0000", type, desc, infSection);
            EXPECT_EQ(device, Recorded(type, "SubKey1")) << c.what;
            EXPECT_EQ(OldDesc, Recorded(type, "DeviceDesc")) << c.what;
            EXPECT_EQ(OldMfg, Recorded(type, "Mfg")) << c.what;
            for (const auto& other : c.active) {
                if (other.second == c.registered) continue;
                EXPECT_EQ(OldDesc, TextOf(HKEY_LOCAL_MACHINE, "Enum\\" + other.second, "DeviceDesc")) << c.what;
                EXPECT_EQ("<absent>", TextOf(HKEY_LOCAL_MACHINE, "Enum\\" + other.second, "Driver")) << c.what;
            }
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, RootEntry)) << c.what;
        }
    }

    const std::string installDir = TestDirectory() + "\\Zorva";
    const std::string script = installDir + "\\SETUP.REC";  // the record
};

// The values set while the run's journal lacks the line of what they held.
std::vector<std::string> SetUnrecorded;

LONG WINAPI RecordedFirst(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    const std::string line = std::string("[PS2] ") + (name != nullptr ? name : "@") + "=";
    if (ReadTextFile(std::string(WindowsDir.c_str()) + "\\SETUP.RUN").find(line) == std::string::npos)
        SetUnrecorded.push_back(line);
    return ImportHook<RecordedFirst>::Real()(key, name, reserved, type, data, size);
}

}  // namespace

TEST_F(DriverRegistration, PS2PatternsInOrderAndTheLastMatchingDeviceWins)
{
    const std::string longest = "BIOS\\*PNP0F13\\" + std::string(60, 'x');  // 74: "Enum\" + key fills 79
    RunPathCases(0, "PS2", "Zorva PS/2 Wheel Mouse", "QX_PS2",
                 {
            {"PS/2 port", {{"C1", "BIOS\\*PNP0F13\\0000"}}, "BIOS\\*PNP0F13\\0000"},
            {"BIOS PS/2 mouse", {{"C1", "BIOS\\*PNP0F0E\\0000"}}, "BIOS\\*PNP0F0E\\0000"},
            {"root PS/2 mouse", {{"C1", "ROOT\\*PNP0F0E\\0000"}}, "ROOT\\*PNP0F0E\\0000"},
            {"last of two", {{"C1", "BIOS\\*PNP0F13\\0000"}, {"C2", "BIOS\\*PNP0F13\\0001"}}, "BIOS\\*PNP0F13\\0001"},
            {"first pattern first", {{"C1", "BIOS\\*PNP0F13\\0000"}, {"C2", "ROOT\\*PNP0F0E\\0000"}},
             "BIOS\\*PNP0F13\\0000"},
            {"serial also active", {{"C1", "ROOT\\*PNP0F0C\\0000"}, {"C2", "BIOS\\*PNP0F0E\\0000"}},
             "BIOS\\*PNP0F0E\\0000"},
            {"74-character key", {{"C1", longest}}, longest},
        });
}

TEST_F(DriverRegistration, SerialPatternsWhetherOrNotAPS2DeviceIsActive)
{
    RunPathCases(1, "Serial", "Zorva Serial Wheel Mouse", "QX_SER",
        {
            {"root serial mouse", {{"C1", "ROOT\\*PNP0F0C\\0000"}}, "ROOT\\*PNP0F0C\\0000"},
            {"serial PnP mouse", {{"C1", "SERENUM\\ZKV0005\\0001"}}, "SERENUM\\ZKV0005\\0001"},
            {"first pattern first", {{"C1", "ROOT\\*PNP0F0C\\0000"}, {"C2", "SERENUM\\ZKV0005\\0001"}},
             "ROOT\\*PNP0F0C\\0000"},
            {"PS/2 also active", {{"C1", "BIOS\\*PNP0F13\\0000"}, {"C2", "ROOT\\*PNP0F0C\\0000"}},
             "ROOT\\*PNP0F0C\\0000"},
        });
}

TEST_F(DriverRegistration, NothingIsWrittenWithoutAMatchingPath)
{
    struct {
        const char* what;
        int32_t serialMouse;
        Devices active;
        bool deviceKeys;
    } cases[] = {
        {"PS/2 chosen, only a serial device", 0, {{"C1", "ROOT\\*PNP0F0C\\0000"}}, true},
        {"PS/2 chosen, nothing active", 0, {}, true},
        {"pattern is case-sensitive", 0, {{"C1", "bios\\*pnp0f13\\0000"}}, true},
        {"device key missing", 0, {{"C1", "BIOS\\*PNP0F13\\0000"}}, false},
        {"type 2, PS/2 active", 2, {{"C1", "BIOS\\*PNP0F13\\0000"}}, true},
        {"type 2, serial active", 2, {{"C1", "ROOT\\*PNP0F0C\\0000"}}, true},
        {"type 2, nothing active", 2, {}, true},
    };
    for (const auto& c : cases) {
        Reset();
        Activate(c.active, c.deviceKeys);
        SerialMouse = c.serialMouse;
        SetValueLog log;
        RegisterMouseDriver();
        EXPECT_EQ(std::vector<ValueWrite>{}, log.writes()) << c.what;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ClassRoot + "Mouse")) << c.what;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, RootEntry)) << c.what;
        EXPECT_EQ(0xFFFFFFFF, GetFileAttributesA(script.c_str())) << c.what << ": nothing recorded";
    }
}

TEST_F(DriverRegistration, UnenumeratedSerialMouseGetsARootEntry)
{
    Activate({{"C1", "BIOS\\*PNP0F13\\0000"}});
    SerialMouse = 1;
    {
        SetValueLog log;
        RegisterMouseDriver();
        std::vector<ValueWrite> expected = {
            Sz("Class", "Mouse"), Sz("DeviceDesc", "Zorva Serial Wheel Mouse"), Sz("Mfg", "Zorva"),
            ZeroFlags("ConfigFlags"), ZeroFlags("DetFlags"), Sz("DetFunc", "*:DETECTSERIALMOUSE"),
            Sz("Driver", "Mouse\\0000"),
            // the new class instance
            Sz("DevLoader", "*vmouse"), Sz("MouseType", "Serial"), Sz("MouseDriver", "QXMOUSE.DRV"),
            Sz("InfPath", "QXMOUSE.INF"), Sz("DriverDesc", "Zorva Serial Wheel Mouse"),
            Sz("DriverDate", "12-1-1998"), Sz("InfSection", "QX_SER")};
        EXPECT_EQ(expected, log.writes());
    }
    EXPECT_EQ("Mouse", TextOf(HKEY_LOCAL_MACHINE, RootEntry, "Class"));
    EXPECT_EQ("Mouse\\0000", TextOf(HKEY_LOCAL_MACHINE, RootEntry, "Driver"));
    EXPECT_EQ(std::string(4, '\0'), ReadStored(HKEY_LOCAL_MACHINE, RootEntry, "DetFlags").data);
    ExpectClassKey("Mouse\\0000", "Serial", "Zorva Serial Wheel Mouse", "QX_SER");
    EXPECT_EQ(OldDesc, TextOf(HKEY_LOCAL_MACHINE, "Enum\\BIOS\\*PNP0F13\\0000", "DeviceDesc"));
    // No value is replaced on this path; the keys it creates are recorded,
    // each by the first part of its path that was not there, for removal.
    EXPECT_TRUE(RecordedKeys("Serial").empty());
    // Here even the class root is missing: keys made on the way go only when
    // empty.
    const std::vector<std::string> created = {"HKLM\\Enum\\Root", "HKLM\\Enum\\Root\\ZorvaMouse\\0000",
                                              "HKLM\\System\\CurrentControlSet\\Services\\Class",
                                              "HKLM\\" + ClassRoot + "Mouse\\0000"};
    EXPECT_EQ(created, RecordedKeys("Created"));
    const char* kinds[] = {"empty", "tree", "empty", "tree"};
    for (size_t i = 0; i < created.size(); ++i) EXPECT_EQ(kinds[i], Recorded("Created", created[i].c_str())) << i;

    // Every run takes a new class instance; the earlier one stays.
    RegisterMouseDriver();
    EXPECT_EQ("Mouse\\0001", TextOf(HKEY_LOCAL_MACHINE, RootEntry, "Driver"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ClassRoot + "Mouse\\0000"));
}

TEST_F(DriverRegistration, NextMouseClassInstanceTakesTheFirstGap)
{
    struct {
        const char* what;
        std::vector<std::string> entries;  // null list: no Mouse class key at all
        bool classKey;
        const char* expected;
    } cases[] = {
        {"gap", {"0000", "0001", "0003"}, true, "Mouse\\0002"},
        {"no gap", {"0000", "0001"}, true, "Mouse\\0002"},
        {"first entry 0001", {"0001", "0002"}, true, "Mouse\\0000"},
        {"no entries", {}, true, "Mouse\\0000"},
        {"no Mouse key", {}, false, "Mouse\\0000"},
        {"name too long for the field is passed over", {"0000", "0001", std::string(90, '0')}, true, "Mouse\\0002"},
        // A lower name after 0002 makes the gap rule point at 0002, which is
        // taken: the next free number is used instead.
        {"out of order", {"0000", "0001", "0002", "1"}, true, "Mouse\\0003"},
        {"name that is no number", {"0000", "Legacy"}, true, "Mouse\\0001"},
    };
    for (const auto& c : cases) {
        Reset();
        if (c.classKey) CreateKey(HKEY_LOCAL_MACHINE, ClassRoot + "Mouse");
        for (const std::string& e : c.entries) CreateKey(HKEY_LOCAL_MACHINE, ClassRoot + "Mouse\\" + e);
        FixedText<80> instance;
        instance.assign("marker");
        EXPECT_EQ(1, NextMouseClassInstance(instance)) << c.what;
        EXPECT_STREQ(c.expected, instance) << c.what;
    }
}

TEST_F(DriverRegistration, ExistingClassKeyIsUpdatedInPlaceAndItsValuesRecorded)
{
    const std::string device = "Enum\\BIOS\\*PNP0F13\\0000";
    const std::string classKey = ClassRoot + "Mouse\\0000";
    Activate({{"C1", "BIOS\\*PNP0F13\\0000"}});
    SetText(HKEY_LOCAL_MACHINE, device, "Driver", "Mouse\\0000");
    SetText(HKEY_LOCAL_MACHINE, classKey, "DevLoader", "*msmouse");
    SetText(HKEY_LOCAL_MACHINE, classKey, "MouseDriver", "MSMOUSE.DRV");
    SetText(HKEY_LOCAL_MACHINE, classKey, "InfPath", "MSMOUSE.INF");
    SetText(HKEY_LOCAL_MACHINE, classKey, "DriverDesc", OldDesc);
    SetText(HKEY_LOCAL_MACHINE, classKey, "InfSection", "PS2_Inst");  // no DriverDate
    SerialMouse = 0;
    // In a run, what each value held is on the disk before it changes.
    ReadWindowsDirectory();
    ASSERT_TRUE(BeginRun());
    SetUnrecorded.clear();
    {
        ImportHook<RecordedFirst> set("advapi32.dll", "RegSetValueExA");
        RegisterMouseDriver();
    }
    EndRun(true);
    ASSERT_TRUE(SettleRecord());
    EXPECT_EQ(std::vector<std::string>{}, SetUnrecorded);

    ExpectClassKey("Mouse\\0000", "PS2", "Zorva PS/2 Wheel Mouse", "QX_PS2", "*msmouse");
    EXPECT_EQ("Mouse\\0000", TextOf(HKEY_LOCAL_MACHINE, device, "Driver"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ClassRoot + "Mouse\\0001"));
    // Beyond the replaced texts, what the uninstaller needs: the device's
    // flags (hex, empty when absent) and the class key's "MouseType".
    std::vector<std::string> keys = {"SubKey1",    "DeviceDesc", "ConfigFlags", "Mfg",        "SubKey2",  "MouseDriver",
                                     "InfPath",    "DriverDesc", "DriverDate",  "InfSection", "MouseType"};
    EXPECT_EQ(keys, RecordedKeys("PS2"));
    std::vector<std::string> values = {device,        OldDesc, "", OldMfg,     classKey, "MSMOUSE.DRV",
                                       "MSMOUSE.INF", OldDesc, "", "PS2_Inst", ""};
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(values[i], Recorded("PS2", keys[i].c_str())) << keys[i];
}

TEST_F(DriverRegistration, ClassKeyNamedByTheDeviceIsCreatedWhenMissing)
{
    const std::string device = "Enum\\ROOT\\*PNP0F0C\\0000";
    Activate({{"C1", "ROOT\\*PNP0F0C\\0000"}});
    SetText(HKEY_LOCAL_MACHINE, device, "Driver", "Mouse\\0005");
    SerialMouse = 1;
    RegisterMouseDriver();
    EXPECT_EQ("Mouse\\0005", TextOf(HKEY_LOCAL_MACHINE, device, "Driver"));
    ExpectClassKey("Mouse\\0005", "Serial", "Zorva Serial Wheel Mouse", "QX_SER");
    EXPECT_EQ(ClassRoot + "Mouse\\0005", Recorded("Serial", "SubKey2"));
    EXPECT_EQ("<none>", Recorded("Serial", "MouseDriver")) << "a new key has nothing to record";
}

TEST_F(DriverRegistration, RecordIsWrittenOnceEvenWhenEmpty)
{
    const std::string device = "Enum\\BIOS\\*PNP0F0E\\0000";
    SetText(HKEY_DYN_DATA, ActiveList + "\\C1", "HardWareKey", "BIOS\\*PNP0F0E\\0000");
    SetText(HKEY_LOCAL_MACHINE, device, "Mfg", OldMfg);  // and no DeviceDesc
    SerialMouse = 0;
    UpdateRegistry(0);  // as the driver-only run does
    EXPECT_EQ("", Recorded("PS2", "DeviceDesc"));
    EXPECT_EQ("<none>", Recorded("PS2", "SubKey2"));

    SetText(HKEY_LOCAL_MACHINE, device, "Mfg", "Changed maker");
    UpdateRegistry(0);
    EXPECT_EQ(device, Recorded("PS2", "SubKey1"));
    EXPECT_EQ(OldMfg, Recorded("PS2", "Mfg")) << "the first run's record stays";
    EXPECT_EQ("", Recorded("PS2", "DeviceDesc")) << "the value was not there: a later run must not record ours";
    EXPECT_EQ("", Recorded("PS2", "Driver")) << "the first run gave the device its class instance";
    // The second run finds the class instance of the first and updates it.
    EXPECT_EQ(ClassRoot + "Mouse\\0000", Recorded("PS2", "SubKey2"));
    EXPECT_EQ("QXMOUSE.DRV", Recorded("PS2", "MouseDriver"));
    EXPECT_EQ("Mouse\\0000", TextOf(HKEY_LOCAL_MACHINE, device, "Driver"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ClassRoot + "Mouse\\0001"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{6A1C3F20-5B7E-11d1-9C4A-0080C7E21D55}"));
}

TEST_F(DriverRegistration, HardwareKeysThatDoNotFitNeverMatch)
{
    const std::string fits = "BIOS\\*PNP0F13\\" + std::string(60, 'x');  // 74 characters
    const std::string tooLong = fits + "y";
    struct {
        const char* what;
        Devices active;
        int result;
        std::string key;
    } cases[] = {
        {"75 characters", {{"C1", tooLong}}, 0, "marker"},
        {"74 before 75", {{"C1", fits}, {"C2", tooLong}}, 1, fits},
        {"beyond the 128-byte read", {{"C1", "BIOS\\*PNP0F13\\" + std::string(200, 'x')}}, 0, "marker"},
        {"empty HardWareKey", {{"C1", ""}}, 0, "marker"},
        {"pattern inside the key", {{"C1", "X\\BIOS\\*PNP0F13\\0000"}}, 1, "X\\BIOS\\*PNP0F13\\0000"},
        // A list entry whose name does not fit 80 bytes is passed over.
        {"long entry name first", {{std::string(90, '0'), "BIOS\\*PNP0F13\\0009"}, {"C1", "BIOS\\*PNP0F13\\0000"}},
         1, "BIOS\\*PNP0F13\\0000"},
    };
    for (const auto& c : cases) {
        Reset();
        Activate(c.active, false);
        FixedText<80> key;
        key.assign("marker");
        EXPECT_EQ(c.result, FindActiveHardwareKey("BIOS\\*PNP0F13\\", key)) << c.what;
        EXPECT_EQ(c.key, std::string(key)) << c.what;
    }
    Reset();
    FixedText<80> key;
    EXPECT_EQ(0, FindActiveHardwareKey("BIOS\\*PNP0F13\\", key)) << "no device list";
}

TEST_F(DriverRegistration, ValuesAreReadWithinEightyBytes)
{
    for (size_t length : {79, 80}) {
        Reset();
        Activate({{"C1", "BIOS\\*PNP0F13\\0000"}});
        SetText(HKEY_LOCAL_MACHINE, "Enum\\BIOS\\*PNP0F13\\0000", "DeviceDesc", std::string(length, 'd'));
        SerialMouse = 0;
        RegisterMouseDriver();
        // A value that does not fit with its terminator reads as empty.
        EXPECT_EQ(length == 79 ? std::string(79, 'd') : "", Recorded("PS2", "DeviceDesc")) << length;
    }
}
