// WININIT.INI, edited the safe way: lines added to [rename], pending
// deletes of the installation's files dropped (and done at once), and a
// write that fails leaves every other program's line in place.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "shell/globals.h"
#include "sysconfig/wininit.h"
#include "tests/support/files.h"
#include "tests/support/import_patch.h"
#include "tests/support/test_env.h"

namespace {

std::string Wininit()
{
    return WindowsDirectory() + "\\WININIT.INI";
}

bool Ours(const char* path)
{
    return std::string(path).find("OURS") != std::string::npos;
}

BOOL WINAPI FailingWrite(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED)
{
    if (written != nullptr) *written = 0;
    return SetLastError(ERROR_DISK_FULL), FALSE;
}

}  // namespace

TEST(Wininit, LinesGoIntoTheRenameSectionAndPendingDeletesOfOursAreDone)
{
    WindowsDir.assign(WindowsDirectory().c_str());
    const std::string ours = TestDirectory() + "\\OURS.DLL";
    const struct {
        const char* what;
        bool exists;
        std::string before;
        bool drop;  // DropPendingDeletes, else AddPendingRenames of two lines
        std::string after;
    } cases[] = {
        {"no file", false, "", false, "[rename]\r\nNUL=C:\\A.TMP\r\nC:\\B=C:\\C\r\n"},
        {"no [rename]", true, "[other]\r\nx=1", false, "[other]\r\nx=1\r\n[rename]\r\nNUL=C:\\A.TMP\r\nC:\\B=C:\\C\r\n"},
        {"after the header, others kept", true, "[Rename]\r\nNUL=C:\\OTHER.TMP\r\n[x]\r\n", false,
         "[Rename]\r\nNUL=C:\\A.TMP\r\nC:\\B=C:\\C\r\nNUL=C:\\OTHER.TMP\r\n[x]\r\n"},
        {"only our deletes go", true, "[rename]\r\nNUL=C:\\OTHER.TMP\r\n nul = " + ours + "\r\n[x]\r\nNUL=" + ours + "\r\n",
         true, "[rename]\r\nNUL=C:\\OTHER.TMP\r\n[x]\r\nNUL=" + ours + "\r\n"},
        {"nothing pends", false, "", true, ""},
    };
    for (const auto& c : cases) {
        DeleteFileA(Wininit().c_str());
        if (c.exists) WriteTextFile(Wininit(), c.before);
        WriteTextFile(ours, "in use until the restart");
        if (c.drop) DropPendingDeletes(Ours);
        else EXPECT_EQ(1, AddPendingRenames("NUL=C:\\A.TMP\nC:\\B=C:\\C\n")) << c.what;
        EXPECT_EQ(c.after, ReadTextFile(Wininit())) << c.what;
        EXPECT_EQ(c.drop && c.exists, !FileExists(ours)) << c.what << ": a dropped delete is done at once";
        for (const char* left : {"\\WININIT.NEW", "\\WININIT.OLD"})
            EXPECT_FALSE(FileExists(WindowsDirectory() + left)) << c.what;
    }

    // A write that fails: the file stays as it was, and nothing is left.
    const std::string others = "[rename]\r\nNUL=C:\\OTHER.TMP\r\n";
    WriteTextFile(Wininit(), others);
    {
        ImportHook<FailingWrite> write("kernel32.dll", "WriteFile");
        EXPECT_EQ(0, AddPendingRenames("NUL=C:\\A.TMP\n"));
    }
    EXPECT_EQ(others, ReadTextFile(Wininit()));
    for (const char* left : {"\\WININIT.NEW", "\\WININIT.OLD"}) EXPECT_FALSE(FileExists(WindowsDirectory() + left));
}
