// The test platform itself: each test process runs in a Windows 98 prefix of
// its own, from C:\test.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/test_env.h"

TEST(Platform, PrefixPlaysWindows98)
{
    DWORD version = GetVersion();
    EXPECT_NE(0u, version & 0x80000000u) << "bit 31 marks the Windows 95/98 family";
    EXPECT_EQ(4u, LOBYTE(LOWORD(version)));
    EXPECT_EQ(10u, HIBYTE(LOWORD(version)));
}

TEST(Platform, ProgramRunsFromItsOwnDirectory)
{
    EXPECT_EQ("C:\\test", TestDirectory());
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_STRCASEEQ("C:\\windows", windows);
}
