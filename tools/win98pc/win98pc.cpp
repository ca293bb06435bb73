// WIN98PC.EXE: makes the Wine prefix it runs in look like a Windows 98 PC
// with an active mouse, as the setup program finds one before an
// installation, and reports the mouse configuration afterwards.
//
//   WIN98PC ps2      an active PS/2 mouse
//   WIN98PC serial   an active serial mouse on COM1
//   WIN98PC report   prints the active devices, the mouse device keys and
//                    their class keys, the [386Enh] mouse line and the files
//                    that the mouse device switch touches
//   WIN98PC floppy UNIX_FOLDER   drive A: a floppy drive, the folder the
//                    disk in it (again: the disk is swapped)
//   WIN98PC cdrom UNIX_FOLDER    drive D: a CD-ROM drive, the folder its CD
//   WIN98PC shortcuts FOLDER     prints the shortcuts of a Start-menu group
//
// Seeding starts from scratch each time (the device list, HKLM\Enum, the
// mouse class keys, system.ini's Windows 98 sections, the backups), so
// "ps2" after "serial" gives the same PC as "ps2" alone.
//
// The active device list lives under HKEY_DYN_DATA, which Wine keeps only
// while the prefix's wineserver runs: seed, run the setup program and report
// within one wineserver session (for example after "wineserver -p").
//
// Its registry and file helpers are the tests' own.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/registry.h"
#include "tools/win98pc/floppy_drive.h"
#include "tools/win98pc/shortcuts.h"

namespace {

const char* const ActiveList = "Config Manager\\Enum";
const char* const EnumRoot = "Enum";
const char* const MouseClass = "System\\CurrentControlSet\\Services\\Class\\Mouse";

// A value as Windows 98 stores it: text, or the 4-byte flags it keeps as
// binary zeros.
struct Value {
    const char* name;  // nullptr: the key's unnamed value
    const char* text;  // nullptr: REG_BINARY 00 00 00 00
};

struct Device {
    const char* node;         // the device node's name in the active list
    const char* hardwareKey;  // its "HardWareKey": the device key under Enum
    std::vector<Value> values;
};

// The devices every seeded PC has besides its mouse. Windows 98 names BIOS
// devices by node number and root-enumerated ones by instance; the active
// list spells the enumerator in capitals, the Enum key keeps its own case
// (the registry does not care).
const std::vector<Device> CommonDevices = {
    {"C29A0110", "ROOT\\*PNP0C01\\0000",
     {{"Class", "System"}, {"HardwareID", "*PNP0C01"}, {"DeviceDesc", "System board"},
      {"Mfg", "(Standard system devices)"}, {"ConfigFlags", nullptr}}},
    {"C29A0A40", "BIOS\\*PNP0303\\05",
     {{"Class", "Keyboard"}, {"HardwareID", "*PNP0303"}, {"DeviceDesc", "Standard 101/102-Key Keyboard"},
      {"Mfg", "(Standard keyboards)"}, {"ConfigFlags", nullptr}}},
    {"C29A0C70", "BIOS\\*PNP0501\\0A",
     {{"Class", "Ports"}, {"HardwareID", "*PNP0501"}, {"DeviceDesc", "Communications Port"},
      {"Mfg", "(Standard port types)"}, {"PortName", "COM1"}, {"ConfigFlags", nullptr}}},
};

struct MousePc {
    const char* command;
    Device device;
    const char* enumPath;  // the device key as Windows 98 spells it
    std::vector<Value> classValues;
};

const std::vector<MousePc> MousePcs = {
    {"ps2",
     {"C29A0D90", "BIOS\\*PNP0F13\\0C",
      {{"Class", "Mouse"}, {"HardwareID", "*PNP0F13"}, {"DeviceDesc", "Standard PS/2 Port Mouse"},
       {"Mfg", "(Standard mouse types)"}, {"Driver", "Mouse\\0000"}, {"ConfigFlags", nullptr}}},
     "BIOS\\*PNP0F13\\0C",
     {{"DriverDesc", "Standard PS/2 Port Mouse"}, {"DevLoader", "*vmouse"}, {"MouseDriver", "mouse.drv"},
      {"InfPath", "MSMOUSE.INF"}, {"InfSection", "PS2_Inst"}, {"DriverDate", " 5-11-1998"},
      {"MatchingDeviceId", "*PNP0F13"}}},
    {"serial",
     {"C29A1B20", "ROOT\\*PNP0F0C\\0000",
      {{"Class", "Mouse"}, {"HardwareID", "*PNP0F0C"}, {"DeviceDesc", "Standard Serial Mouse"},
       {"Mfg", "(Standard mouse types)"}, {"Driver", "Mouse\\0000"}, {"ConfigFlags", nullptr}}},
     "Root\\*PNP0F0C\\0000",
     {{"DriverDesc", "Standard Serial Mouse"}, {"DevLoader", "*vmouse"}, {"MouseDriver", "mouse.drv"},
      {"InfPath", "MSMOUSE.INF"}, {"InfSection", "SERIAL_Inst"}, {"DriverDate", " 5-11-1998"},
      {"MatchingDeviceId", "*PNP0F0C"}}},
};

// The Windows 98 sections of system.ini, for a PC with the standard mouse
// device. Sections of the prefix's own file that are not listed here (Wine's
// [mci] and [drivers32]) are kept after them.
const char* const SystemIniSections[] = {
    "[boot]",
    "oemfonts.fon=vgaoem.fon",
    "shell=Explorer.exe",
    "system.drv=system.drv",
    "drivers=mmsystem.dll power.drv",
    "user.exe=user.exe",
    "gdi.exe=gdi.exe",
    "sound.drv=mmsound.drv",
    "dibeng.drv=dibeng.dll",
    "comm.drv=comm.drv",
    "mouse.drv=mouse.drv",
    "keyboard.drv=keyboard.drv",
    "fonts.fon=vgasys.fon",
    "fixedfon.fon=vgafix.fon",
    "display.drv=pnpdrvr.drv",
    "386Grabber=vgafull.3gr",
    "*DisplayFallback=0",
    "",
    "[keyboard]",
    "keyboard.dll=",
    "oemansi.bin=",
    "subtype=",
    "type=4",
    "",
    "[boot.description]",
    "system.drv=Standard PC",
    "aspect=100,96,96",
    "display.drv=Standard Display Adapter (VGA)",
    "keyboard.typ=Standard 101/102-Key Keyboard",
    "mouse.drv=Standard mouse",
    "codepage=1252",
    "woafont.fon=English (437)",
    "language.dll=English (American)",
    "",
    "[386Enh]",
    "ebios=*ebios",
    "woafont=dosapp.fon",
    "mouse=*vmouse, msmouse.vxd",
    "device=*dynapage",
    "device=*vcd",
    "device=*vpd",
    "device=*int13",
    "device=*enable",
    "keyboard=*vkd",
    "display=*vdd,*vflatd",
    "",
    "[NonWindowsApp]",
    "TTInitialSizes=4 5 6 7 8 9 10 11 12 13 14 15 16 18 20 22",
    "",
    "[power.drv]",
    "",
    "[drivers]",
    "wavemapper=*.drv",
    "MSACM.imaadpcm=*.acm",
    "MSACM.msadpcm=*.acm",
    "",
    "[vcache]",
    "",
    "[Password Lists]",
    "",
};

const char* const VmouseStandIn =
    "VMOUSE.VXD stand-in, written by WIN98PC.EXE into a Wine prefix that plays a\r\n"
    "Windows 98 PC. It is not a virtual device driver: it only takes the place of\r\n"
    "the mouse device file that Windows 98 keeps in SYSTEM\\VMM32, so that a setup\r\n"
    "program can find it and move it aside.\r\n";

bool WriteKey(HKEY root, const std::string& path, const std::vector<Value>& values)
{
    if (!CreateKey(root, path)) {
        std::fprintf(stderr, "WIN98PC: cannot create key %s\n", path.c_str());
        return false;
    }
    for (const Value& value : values) {
        bool written = value.text != nullptr ? SetText(root, path, value.name, value.text)
                                             : SetZeroFlags(root, path, value.name);
        if (!written) {
            std::fprintf(stderr, "WIN98PC: cannot write %s in %s\n", value.name ? value.name : "(default)",
                         path.c_str());
            return false;
        }
    }
    return true;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool IsSectionHeader(const std::string& line)
{
    return !line.empty() && line[0] == '[';
}

bool IsOurSection(const std::string& header)
{
    for (const char* line : SystemIniSections)
        if (IsSectionHeader(line) && lstrcmpiA(line, header.c_str()) == 0) return true;
    return false;
}

bool SeedSystemIni()
{
    const std::string path = WindowsDirectory() + "\\system.ini";
    std::string text;
    for (const char* line : SystemIniSections) text += std::string(line) + "\r\n";
    bool keep = false;
    for (const std::string& line : Lines(ReadTextFile(path))) {
        if (IsSectionHeader(line)) keep = !IsOurSection(line);
        if (keep) text += line + "\r\n";
    }
    if (!WriteTextFile(path, text)) {
        std::fprintf(stderr, "WIN98PC: cannot write %s\n", path.c_str());
        return false;
    }
    // A PC before any installation: no backups of an earlier switch.
    DeleteFileA((WindowsDirectory() + "\\system.bak").c_str());
    DeleteFileA((WindowsDirectory() + "\\system.new").c_str());
    return true;
}

bool SeedVmouse()
{
    const std::string directory = SystemDirectory() + "\\VMM32";
    CreateDirectoryA(directory.c_str(), nullptr);
    DeleteFileA((directory + "\\VMOUSE.BAK").c_str());
    if (!WriteTextFile(directory + "\\VMOUSE.VXD", VmouseStandIn)) {
        std::fprintf(stderr, "WIN98PC: cannot write %s\\VMOUSE.VXD\n", directory.c_str());
        return false;
    }
    return true;
}

bool SeedDevice(const Device& device, const std::string& enumPath)
{
    return WriteKey(HKEY_DYN_DATA, std::string(ActiveList) + "\\" + device.node,
                    {{"HardWareKey", device.hardwareKey}, {"Problem", nullptr}}) &&
           WriteKey(HKEY_LOCAL_MACHINE, std::string(EnumRoot) + "\\" + enumPath, device.values);
}

int Seed(const MousePc& pc)
{
    DeleteTree(HKEY_DYN_DATA, ActiveList);
    DeleteTree(HKEY_LOCAL_MACHINE, EnumRoot);
    DeleteTree(HKEY_LOCAL_MACHINE, MouseClass);
    bool ok = true;
    for (const Device& device : CommonDevices) {
        // Root devices live under "Root", as Windows 98 names that key.
        std::string path = device.hardwareKey;
        if (path.compare(0, 5, "ROOT\\") == 0) path.replace(0, 4, "Root");
        ok = ok && SeedDevice(device, path);
    }
    ok = ok && SeedDevice(pc.device, pc.enumPath);
    ok = ok && WriteKey(HKEY_LOCAL_MACHINE, MouseClass, {{nullptr, "Mouse"}});
    ok = ok && WriteKey(HKEY_LOCAL_MACHINE, std::string(MouseClass) + "\\0000", pc.classValues);
    ok = ok && SeedSystemIni() && SeedVmouse();
    if (!ok) return 1;
    std::printf("Seeded a Windows 98 PC with an active %s mouse: %s\n", pc.command, pc.device.hardwareKey);
    return 0;
}

// ---- report ----

void PrintValues(HKEY key)
{
    char name[256];
    BYTE data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        std::printf("    %-18s ", nameSize ? name : "(default)");
        if (type == REG_SZ) {
            std::printf("\"%.*s\"\n", static_cast<int>(dataSize ? dataSize - 1 : 0), reinterpret_cast<char*>(data));
        } else {
            if (type == REG_BINARY) std::printf("binary");
            else std::printf("type %lu", static_cast<unsigned long>(type));
            for (DWORD b = 0; b < dataSize; ++b) std::printf(" %02X", data[b]);
            std::printf("\n");
        }
    }
}

void PrintKey(HKEY root, const std::string& path, const char* label)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        std::printf("  %s %s: absent\n", label, path.c_str());
        return;
    }
    std::printf("  %s %s:\n", label, path.c_str());
    PrintValues(key);
    RegCloseKey(key);
}

// Every device key three levels below Enum (enumerator\device\instance).
std::vector<std::string> DeviceKeys()
{
    std::vector<std::string> paths;
    for (const std::string& enumerator : SubkeyNames(HKEY_LOCAL_MACHINE, EnumRoot)) {
        const std::string level1 = std::string(EnumRoot) + "\\" + enumerator;
        for (const std::string& device : SubkeyNames(HKEY_LOCAL_MACHINE, level1))
            for (const std::string& instance : SubkeyNames(HKEY_LOCAL_MACHINE, level1 + "\\" + device))
                paths.push_back(enumerator + "\\" + device + "\\" + instance);
    }
    return paths;
}

int Report()
{
    std::vector<std::string> active;
    std::printf("Active devices (HKEY_DYN_DATA\\%s):\n", ActiveList);
    {
        for (const std::string& node : SubkeyNames(HKEY_DYN_DATA, ActiveList)) {
            std::string hardwareKey = TextOf(HKEY_DYN_DATA, std::string(ActiveList) + "\\" + node, "HardWareKey");
            std::printf("  %-10s %s\n", node.c_str(), hardwareKey.c_str());
            active.push_back(hardwareKey);
        }
        if (active.empty())
            std::printf("  none (the list lives only while the wineserver that was running at seeding runs)\n");
    }

    std::printf("Mouse devices (HKEY_LOCAL_MACHINE\\%s):\n", EnumRoot);
    std::vector<std::string> classKeys;
    for (const std::string& path : DeviceKeys()) {
        std::string full = std::string(EnumRoot) + "\\" + path;
        if (lstrcmpiA(TextOf(HKEY_LOCAL_MACHINE, full, "Class").c_str(), "Mouse") != 0) continue;
        bool isActive = false;
        for (const std::string& a : active) isActive = isActive || lstrcmpiA(a.c_str(), path.c_str()) == 0;
        PrintKey(HKEY_LOCAL_MACHINE, full, isActive ? "active" : "inactive");
    }

    std::printf("Mouse class instances (HKEY_LOCAL_MACHINE\\%s):\n", MouseClass);
    for (const std::string& instance : SubkeyNames(HKEY_LOCAL_MACHINE, MouseClass))
        PrintKey(HKEY_LOCAL_MACHINE, std::string(MouseClass) + "\\" + instance, "instance");

    const std::string systemIni = WindowsDirectory() + "\\system.ini";
    std::printf("Mouse lines of [386Enh] in %s:\n", systemIni.c_str());
    bool inSection = false;
    for (const std::string& line : Lines(ReadTextFile(systemIni))) {
        if (IsSectionHeader(line)) inSection = lstrcmpiA(line.c_str(), "[386Enh]") == 0;
        std::string lower = line;
        CharLowerA(&lower[0]);
        if (inSection && lower.find("mouse") != std::string::npos) std::printf("  %s\n", line.c_str());
    }

    std::printf("Files:\n");
    const std::string vmm32 = SystemDirectory() + "\\VMM32";
    for (const std::string& path : {systemIni, WindowsDirectory() + "\\system.bak", vmm32 + "\\VMOUSE.VXD",
                                    vmm32 + "\\VMOUSE.BAK"}) {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA(path.c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) {
            std::printf("  %-45s absent\n", path.c_str());
        } else {
            FindClose(find);
            std::printf("  %-45s %lu bytes\n", path.c_str(), static_cast<unsigned long>(found.nFileSizeLow));
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2) {
        if (lstrcmpiA(argv[1], "report") == 0) return Report();
        for (const MousePc& pc : MousePcs)
            if (lstrcmpiA(argv[1], pc.command) == 0) return Seed(pc);
    }
    if (argc == 3 && lstrcmpiA(argv[1], "floppy") == 0) {
        if (InsertDisk(argv[2])) return 0;
        std::fprintf(stderr, "WIN98PC: drive A: cannot hold %s (error %lu)\n", argv[2], GetLastError());
        return 1;
    }
    if (argc == 3 && lstrcmpiA(argv[1], "cdrom") == 0) {
        if (InsertCd(argv[2])) return 0;
        std::fprintf(stderr, "WIN98PC: drive D: cannot hold %s (error %lu)\n", argv[2], GetLastError());
        return 1;
    }
    if (argc == 3 && lstrcmpiA(argv[1], "shortcuts") == 0) return PrintShortcuts(argv[2]);
    std::fprintf(stderr, "usage: WIN98PC ps2 | serial | report | floppy UNIX_FOLDER | cdrom UNIX_FOLDER | shortcuts FOLDER\n");
    return 2;
}
