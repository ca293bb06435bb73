// The system.ini edit and the move of VMOUSE.VXD, on real files in the
// directories the system gives (C:\windows and C:\windows\system32 in Wine).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "shell/globals.h"
#include "sysconfig/system_ini.h"
#include "tests/support/import_patch.h"
#include "tests/support/test_env.h"

namespace {

const std::string Win98Ini =
    "[boot]\r\nshell=Explorer.exe\r\nmouse.drv=mouse.drv\r\n"
    "[386Enh]\r\nebios=*ebios\r\ndevice=*vshare\r\nmouse=*msmouse\r\nMouseSyncTime=100\r\n"
    "[NonWindowsApp]\r\nmouse=old\r\n";

class SystemIni : public testing::Test {
protected:
    void SetUp() override
    {
        char directory[MAX_PATH];
        GetWindowsDirectoryA(directory, sizeof directory);
        WindowsDir.assign(directory);
        ini = std::string(directory) + "\\system.ini";
        fresh = std::string(directory) + "\\system.new";
        backup = std::string(directory) + "\\system.bak";
        GetSystemDirectoryA(directory, sizeof directory);
        vmm32 = std::string(directory) + "\\VMM32";
        CreateDirectoryA(vmm32.c_str(), nullptr);
    }
    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != 0xFFFFFFFF; }

    std::string ini, fresh, backup, vmm32;
};

}  // namespace

TEST_F(SystemIni, TheFirstMouseLineOfEach386EnhSectionIsReplaced)
{
    const std::string longValue(200, 'v');
    const std::string piece(119 - 7, 'x');  // a read of 119 characters ends just before "mouse="
    struct {
        const char* what;
        std::string input;
        std::string expected;
    } cases[] = {
        {"Windows 98 file", Win98Ini,
         "[boot]\r\nshell=Explorer.exe\r\nmouse.drv=mouse.drv\r\n"
         "[386Enh]\r\nebios=*ebios\r\ndevice=*vshare\r\nmouse=*vmouse\r\nMouseSyncTime=100\r\n"
         "[NonWindowsApp]\r\nmouse=old\r\n"},
        {"already switched", "[386Enh]\r\nmouse=*vmouse\r\n", "[386Enh]\r\nmouse=*vmouse\r\n"},
        {"comments kept", "[386Enh]\r\n;mouse=a\r\n  ; mouse=b\r\nmouse=c\r\n",
         "[386Enh]\r\n;mouse=a\r\n  ; mouse=b\r\nmouse=*vmouse\r\n"},
        {"device naming a mouse kept", "[386Enh]\r\ndevice=C:\\ZORVA\\mouse.386\r\nMouseSyncTime=1\r\nmouse=c\r\n",
         "[386Enh]\r\ndevice=C:\\ZORVA\\mouse.386\r\nMouseSyncTime=1\r\nmouse=*vmouse\r\n"},
        {"key compared as the profile functions do", "[386enh]\r\n  Mouse = *msmouse\r\n",
         "[386enh]\r\nmouse=*vmouse\r\n"},
        {"only the first in a section", "[386Enh]\r\nmouse=a\r\nmouse=b\r\n",
         "[386Enh]\r\nmouse=*vmouse\r\nmouse=b\r\n"},
        {"two sections", "[386Enh]\r\nmouse=a\r\n[x]\r\n[386Enh]\r\nmouse=b\r\n",
         "[386Enh]\r\nmouse=*vmouse\r\n[x]\r\n[386Enh]\r\nmouse=*vmouse\r\n"},
        {"search ends at the next section", "[386Enh]\r\nebios=*ebios\r\n  [Other]\r\nmouse=x\r\n",
         "[386Enh]\r\nebios=*ebios\r\n  [Other]\r\nmouse=x\r\n"},
        {"no mouse line, nothing added", "[386Enh]\r\nebios=*ebios", "[386Enh]\r\nebios=*ebios"},
        {"LF only, text after Ctrl-Z", "[386Enh]\nmouse=a\nx=1\n\x1a[386Enh]\nmouse=b\n",
         "[386Enh]\r\nmouse=*vmouse\r\nx=1\r\n"},
        {"last line without newline", "[386Enh]\r\nmouse=a", "[386Enh]\r\nmouse=*vmouse\r\n"},
        {"long mouse line replaced whole", "[386Enh]\r\nmouse=" + longValue + "\r\nx=1\r\n",
         "[386Enh]\r\nmouse=*vmouse\r\nx=1\r\n"},
        {"long line tested whole", "[386Enh]\r\n" + piece + "mouse=a\r\nmouse=b\r\n",
         "[386Enh]\r\n" + piece + "mouse=a\r\nmouse=*vmouse\r\n"},
        {"empty file", "", ""},
    };
    for (const auto& c : cases) {
        WriteTextFile(ini, c.input);
        EXPECT_TRUE(UpdateSystemIni().lineSet) << c.what;
        EXPECT_EQ(c.expected, ReadTextFile(ini)) << c.what;
        EXPECT_EQ(c.input, ReadTextFile(backup)) << c.what << ": the previous file is the backup";
        EXPECT_FALSE(Exists(fresh)) << c.what;
    }
}

TEST_F(SystemIni, MouseDeviceIsMovedAside)
{
    const std::string vxd = vmm32 + "\\VMOUSE.VXD", bak = vmm32 + "\\VMOUSE.BAK";
    // The backup of an earlier installation is never replaced: it holds the
    // system's own file.
    struct {
        bool vxd, bak;
        bool moved;
        bool vxdAfter;
        const char* bakAfter;  // null: no VMOUSE.BAK
    } cases[] = {
        {true, false, true, false, "vxd"},
        {true, true, false, true, "old bak"},
        {false, true, false, false, "old bak"},
        {false, false, false, false, nullptr},
    };
    for (const auto& c : cases) {
        WriteTextFile(ini, Win98Ini);
        DeleteFileA(vxd.c_str());
        DeleteFileA(bak.c_str());
        if (c.vxd) WriteTextFile(vxd, "vxd");
        if (c.bak) WriteTextFile(bak, "old bak");
        SystemIniSwitch result = UpdateSystemIni();
        EXPECT_EQ(c.moved, result.deviceMoved);
        EXPECT_TRUE(result.lineSet);
        EXPECT_EQ(c.vxdAfter, Exists(vxd));
        EXPECT_EQ(c.bakAfter != nullptr, Exists(bak));
        if (c.bakAfter != nullptr) EXPECT_EQ(c.bakAfter, ReadTextFile(bak));
        EXPECT_EQ(Win98Ini, ReadTextFile(backup)) << "system.ini is edited either way";
    }
}

TEST_F(SystemIni, AZeroByteInALineIsCopiedLikeAnyOther)
{
    const std::string before("[boot]\r\nshell=Explorer.exe\r\ndamaged=a\0b\r\n[386Enh]\r\nmouse=*vmouse, msmouse.vxd\r\n", 79);
    WriteTextFile(ini, before);
    UpdateSystemIni();
    EXPECT_EQ(std::string("[boot]\r\nshell=Explorer.exe\r\ndamaged=a\0b\r\n[386Enh]\r\nmouse=*vmouse\r\n", 66),
              ReadTextFile(ini));
    EXPECT_EQ(before, ReadTextFile(backup));
}

TEST_F(SystemIni, BackupIsReplacedOnEveryRun)
{
    WriteTextFile(backup, "old backup");
    WriteTextFile(ini, "[386Enh]\nmouse=a\n");
    UpdateSystemIni();
    EXPECT_EQ("[386Enh]\nmouse=a\n", ReadTextFile(backup));
    UpdateSystemIni();
    EXPECT_EQ("[386Enh]\r\nmouse=*vmouse\r\n", ReadTextFile(backup));
    EXPECT_EQ("[386Enh]\r\nmouse=*vmouse\r\n", ReadTextFile(ini));
}

namespace {

int WriteCalls;

BOOL WINAPI FailingWrite(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED)
{
    if (written != nullptr) *written = 0;
    return SetLastError(ERROR_DISK_FULL), FALSE;
}

BOOL WINAPI FailingFlush(HANDLE file)
{
    ImportHook<FailingFlush>::Real()(file);
    return SetLastError(ERROR_WRITE_FAULT), FALSE;
}

BOOL WINAPI FailingRead(HANDLE, LPVOID, DWORD, LPDWORD got, LPOVERLAPPED)
{
    if (got != nullptr) *got = 0;
    return SetLastError(ERROR_READ_FAULT), FALSE;
}

// Only the first move (system.ini to system.bak) happens.
BOOL WINAPI FirstMoveOnly(LPCSTR from, LPCSTR to)
{
    if (++WriteCalls > 1) return SetLastError(ERROR_ACCESS_DENIED), FALSE;
    return ImportHook<FirstMoveOnly>::Real()(from, to);
}

// The edit with one file call replaced.
template <auto Replacement>
bool UpdateWith(const char* function)
{
    ImportHook<Replacement> hook("kernel32.dll", function);
    return UpdateSystemIni().lineSet;
}

}  // namespace

TEST_F(SystemIni, AFailedEditLeavesSystemIniAsItWas)
{
    struct {
        const char* what;
        const char* function;  // the file call that fails
        bool (*update)(const char* function);
    } patched[] = {
        {"a write fails", "WriteFile", UpdateWith<FailingWrite>},
        {"system.new cannot be put on the disk", "FlushFileBuffers", UpdateWith<FailingFlush>},
        {"a read fails", "ReadFile", UpdateWith<FailingRead>},
    };
    for (const auto& c : patched) {
        WriteTextFile(ini, Win98Ini);
        WriteTextFile(backup, "old backup");
        WriteCalls = 0;
        EXPECT_FALSE(c.update(c.function)) << c.what;
        EXPECT_EQ(Win98Ini, ReadTextFile(ini)) << c.what;
        EXPECT_EQ("old backup", ReadTextFile(backup)) << c.what;
        EXPECT_FALSE(Exists(fresh)) << c.what;
    }

    // system.ini held open by another program.
    WriteTextFile(ini, Win98Ini);
    HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(UpdateSystemIni().lineSet);
    CloseHandle(held);
    EXPECT_EQ(Win98Ini, ReadTextFile(ini)) << "held open";
    EXPECT_EQ("old backup", ReadTextFile(backup)) << "held open";
    EXPECT_FALSE(Exists(fresh)) << "held open";

    // system.new cannot be created: a directory has its name.
    ASSERT_TRUE(CreateDirectoryA(fresh.c_str(), nullptr));
    EXPECT_FALSE(UpdateSystemIni().lineSet);
    EXPECT_EQ(Win98Ini, ReadTextFile(ini)) << "no system.new";
    EXPECT_EQ("old backup", ReadTextFile(backup)) << "no system.new";
    RemoveDirectoryA(fresh.c_str());

    // The backup cannot be removed, so system.ini cannot take its name.
    DeleteFileA(backup.c_str());
    ASSERT_TRUE(CreateDirectoryA(backup.c_str(), nullptr));
    WriteTextFile(backup + "\\keep", "");
    EXPECT_FALSE(UpdateSystemIni().lineSet);
    EXPECT_EQ(Win98Ini, ReadTextFile(ini)) << "backup in the way";
    EXPECT_FALSE(Exists(fresh)) << "backup in the way";

    // Neither system.new nor the backup can take the name system.ini: the
    // backup is copied, for the system does not start without one.
    DeleteFileA((backup + "\\keep").c_str());
    RemoveDirectoryA(backup.c_str());
    WriteCalls = 0;
    {
        ImportHook<FirstMoveOnly> firstMoveOnly("kernel32.dll", "MoveFileA");
        EXPECT_FALSE(UpdateSystemIni().lineSet);
    }
    EXPECT_EQ(Win98Ini, ReadTextFile(ini)) << "copied back from the backup";
    EXPECT_EQ(Win98Ini, ReadTextFile(backup));
    EXPECT_FALSE(Exists(fresh));

    // No system.ini: none is made, and the old backup stays.
    WriteTextFile(backup, "old backup");
    DeleteFileA(ini.c_str());
    EXPECT_FALSE(UpdateSystemIni().lineSet);
    EXPECT_FALSE(Exists(ini));
    EXPECT_FALSE(Exists(fresh));
    EXPECT_EQ("old backup", ReadTextFile(backup));
}
