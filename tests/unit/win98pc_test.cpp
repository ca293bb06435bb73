// WIN98PC.EXE, run in this test's own prefix, must leave a Windows 98 PC
// that the setup program recognises: one active mouse in the device list of
// HKEY_DYN_DATA (found by the program's own search), its device and class
// keys, the [386Enh] mouse line and VMM32\VMOUSE.VXD. The test process keeps
// the prefix's wineserver running, so the device list that the child wrote
// is still there to read.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "shell/fixed_text.h"
#include "sysconfig/driver_registration.h"
#include "tests/support/test_env.h"
#include "tests/support/registry.h"

namespace {

const std::string ClassKey = "System\\CurrentControlSet\\Services\\Class\\Mouse\\0000";

// Runs WIN98PC.EXE with arguments; its output goes to outputPath.
DWORD RunWin98Pc(const std::string& arguments, const std::string& outputPath)
{
    return RunProgram("\"" + WindowsPathOf(WIN98PC_EXE_UNIX_PATH) + "\" " + arguments, outputPath);
}

std::string Vmm32Directory()
{
    return SystemDirectory() + "\\VMM32";
}

std::string ActiveKey(const char* pattern)
{
    FixedText<80> key;
    return FindActiveHardwareKey(pattern, key) ? key.c_str() : "<none>";
}

TEST(Win98Pc, SeedsAPcWithOneActiveMouse)
{
    const struct {
        const char* mode;
        const char* ps2Key;     // what the program's PS/2 search finds
        const char* serialKey;  // what its serial search finds
        const char* description;
        const char* infSection;
    } pcs[] = {
        // In this order, and then once more: each seeding replaces the one
        // before, so the mouse of the previous PC must be gone.
        {"serial", "<none>", "ROOT\\*PNP0F0C\\0000", "Standard Serial Mouse", "SERIAL_Inst"},
        {"ps2", "BIOS\\*PNP0F13\\0C", "<none>", "Standard PS/2 Port Mouse", "PS2_Inst"},
        {"serial", "<none>", "ROOT\\*PNP0F0C\\0000", "Standard Serial Mouse", "SERIAL_Inst"},
    };
    const std::string systemIni = WindowsDirectory() + "\\system.ini";
    const std::string output = TestDirectory() + "\\win98pc.out";
    CreateDirectoryA(Vmm32Directory().c_str(), nullptr);
    for (const auto& pc : pcs) {
        SCOPED_TRACE(pc.mode);
        // Leftovers of an installation, which a fresh PC does not have.
        WriteTextFile(WindowsDirectory() + "\\system.bak", "old");
        WriteTextFile(Vmm32Directory() + "\\VMOUSE.BAK", "old");

        ASSERT_EQ(0u, RunWin98Pc(pc.mode, output)) << ReadTextFile(output);

        std::string ps2 = ActiveKey("BIOS\\*PNP0F13\\");
        if (ps2 == "<none>") ps2 = ActiveKey("BIOS\\*PNP0F0E\\");
        if (ps2 == "<none>") ps2 = ActiveKey("ROOT\\*PNP0F0E\\");
        std::string serial = ActiveKey("ROOT\\*PNP0F0C\\");
        if (serial == "<none>") serial = ActiveKey("SERENUM\\ZKV0005\\");
        EXPECT_EQ(pc.ps2Key, ps2);
        EXPECT_EQ(pc.serialKey, serial);

        const std::string device = "Enum\\" + (ps2 != "<none>" ? ps2 : serial);
        EXPECT_EQ("Mouse", TextOf(HKEY_LOCAL_MACHINE, device, "Class"));
        EXPECT_EQ(pc.description, TextOf(HKEY_LOCAL_MACHINE, device, "DeviceDesc"));
        EXPECT_EQ("(Standard mouse types)", TextOf(HKEY_LOCAL_MACHINE, device, "Mfg"));
        EXPECT_EQ("Mouse\\0000", TextOf(HKEY_LOCAL_MACHINE, device, "Driver"));
        StoredValue flags = ReadStored(HKEY_LOCAL_MACHINE, device, "ConfigFlags");
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), flags.type);
        EXPECT_EQ(std::string(4, '\0'), flags.data);

        EXPECT_EQ(pc.description, TextOf(HKEY_LOCAL_MACHINE, ClassKey, "DriverDesc"));
        EXPECT_EQ("*vmouse", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "DevLoader"));
        EXPECT_EQ("mouse.drv", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "MouseDriver"));
        EXPECT_EQ("MSMOUSE.INF", TextOf(HKEY_LOCAL_MACHINE, ClassKey, "InfPath"));
        EXPECT_EQ(pc.infSection, TextOf(HKEY_LOCAL_MACHINE, ClassKey, "InfSection"));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\Mouse\\0001"));

        // Read as the system reads it, and as text: the mouse line is the
        // first line of [386Enh] that holds "mouse", lines end in CR LF,
        // and the prefix's own sections are kept.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, systemIni.c_str());
        char value[128] = {};
        GetPrivateProfileStringA("386Enh", "mouse", "<absent>", value, sizeof value, systemIni.c_str());
        EXPECT_STREQ("*vmouse, msmouse.vxd", value);
        GetPrivateProfileStringA("drivers32", "msacm.imaadpcm", "<absent>", value, sizeof value, systemIni.c_str());
        EXPECT_STRNE("<absent>", value) << "Wine's [drivers32] section was dropped";
        std::string text = ReadTextFile(systemIni);
        size_t section = text.find("\r\n[386Enh]\r\n");
        ASSERT_NE(std::string::npos, section);
        EXPECT_EQ(text.find("\r\nmouse=*vmouse, msmouse.vxd\r\n", section) + 2, text.find("mouse", section + 10))
            << "the mouse line is the first line of [386Enh] that holds \"mouse\"";
        EXPECT_EQ(std::string::npos, text.find("[386Enh]", section + 10)) << "one [386Enh] section";

        const std::string vxd = ReadTextFile(Vmm32Directory() + "\\VMOUSE.VXD");
        EXPECT_NE(std::string::npos, vxd.find("stand-in")) << vxd;
        EXPECT_FALSE(FileExists(Vmm32Directory() + "\\VMOUSE.BAK"));
        EXPECT_FALSE(FileExists(WindowsDirectory() + "\\system.bak"));
    }
}

TEST(Win98Pc, ReportsTheMouseConfiguration)
{
    const std::string output = TestDirectory() + "\\win98pc.out";
    ASSERT_EQ(0u, RunWin98Pc("ps2", output));
    ASSERT_EQ(0u, RunWin98Pc("report", output));
    const std::string report = ReadTextFile(output);
    for (const char* expected : {"BIOS\\*PNP0F13\\0C", "active Enum\\BIOS\\*PNP0F13\\0C", "Standard PS/2 Port Mouse",
                                 "Class\\Mouse\\0000", "\"*vmouse\"", "mouse=*vmouse, msmouse.vxd", "VMOUSE.VXD"})
        EXPECT_NE(std::string::npos, report.find(expected)) << expected << " in\n" << report;
}

}  // namespace
