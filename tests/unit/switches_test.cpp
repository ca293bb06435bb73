// The command line of SETUP.EXE: what each is read as, and which the
// unattended run refuses.
#include <gtest/gtest.h>

#include <string>

#include "shell/switches.h"

TEST(Switches, ReadAsTheAdministratorMeantAndRefusedWhenNot)
{
    const std::string longPath(300, 'x');
    const struct {
        std::string line;
        bool understood, unattended, restart;
        int mouse;
        const char* dir;
        const char* log;
    } cases[] = {
        {"", true, false, false, -1, "", ""},
        {"/S", true, true, false, -1, "", ""},
        {"/s /mouse=serial /Dir=\"C:\\Program Files\\Zorva\" /RESTART /LOG=C:\\a.log  ", true, true, true, 1,
         "C:\\Program Files\\Zorva", "C:\\a.log"},
        {"  /S \"/DIR=C:\\Some Folder\" /MOUSE=Ps2", true, true, false, 0, "C:\\Some Folder", ""},
        // The wizard's command line: only /LOG counts, the rest is ignored as always.
        {"/LOG=\"C:\\My Logs\\setup.log\" /DIR=C:\\X /whatever", true, false, false, -1, "", "C:\\My Logs\\setup.log"},
        {"/RESTART /S", true, false, false, -1, "", ""},
        {"/LOG=" + longPath, true, false, false, -1, "", ""},
        // Refused: unknown, incomplete or too long.
        {"/S /MOUSE=USB", false, true, false, -1, "", ""},
        {"/S /DIR=", false, true, false, -1, "", ""},
        {"/S /LOG", false, true, false, -1, "", ""},
        {"/S /S", false, true, false, -1, "", ""},
        {"/S /RESTARTNOW", false, true, false, -1, "", ""},
        {"/S \"\" /RESTART", false, true, false, -1, "", ""},
        {"/S /DIR=C:\\" + longPath, false, true, false, -1, "", ""},
        {"/SILENT", true, false, false, -1, "", ""},
    };
    for (const auto& c : cases) {
        Switches s;
        EXPECT_EQ(c.understood, ReadSwitches(c.line.c_str(), s)) << c.line;
        EXPECT_EQ(c.unattended, s.unattended) << c.line;
        if (!c.understood) continue;
        EXPECT_EQ(c.restart, s.restart) << c.line;
        EXPECT_EQ(c.mouse, s.mouse) << c.line;
        EXPECT_STREQ(c.dir, s.dir) << c.line;
        EXPECT_STREQ(c.log, s.log) << c.line;
    }
}
