// The uninstaller's check of a record, and of the journal of a run that did
// not finish: every line must be one an installation of this package can
// have written. A record edited or damaged to name anything else is
// refused whole, naming the first such line.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "install/setup_script.h"
#include "record/installed_record.h"
#include "shell/globals.h"
#include "shell/services.h"
#include "tests/support/files.h"
#include "tests/support/test_env.h"
#include "undo/record_check.h"

TEST(RecordCheck, ALineNamingWhatNoInstallationMadeIsRefused)
{
    ReadWindowsDirectory();
    const std::string folder = TestDirectory(), windows = WindowsDir.c_str();
    WriteTextFile(folder + "\\SETUP.INF",
                  "[Main]\r\nProductName=Zorva\r\nGroupTitle=Zorva\r\n[DiskLabel]\r\nDisk1=One\r\n[FileCounts]\r\nDisk1=2\r\n"
                  "[DirectoryName]\r\nRootDir=.\r\nWinInfDir=INF\r\n"
                  "[Disk1]\r\n1=A.TXT,A.TXT,A,RootDir\r\n2=QX.INF,QX.INF,Driver,WinInfDir\r\n");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, (folder + "\\SETUP.INF").c_str());
    ASSERT_EQ(1, LoadInstalledScript());
    const std::string inf = windows + "\\INF\\QX.INF", stamp = "1,0000000000000001,00000001";
    const std::string sound = "[Folders] " + folder + "=found\r\n[Folders] " + folder + "\\ORIGINAL=created\r\n"
                              "[Run] begun=" + folder + "\r\n"
                              "[Files] " + folder + "\\A.TXT=creating\r\n"
                              "[Files] " + folder + "\\A.TXT=created," + stamp + "\r\n"
                              "[Files] " + inf + "=replacing,1,00000001," + folder + "\\ORIGINAL\\QX.INF\r\n"
                              "[Files] " + inf + "=replaced," + stamp + "," + folder + "\\ORIGINAL\\QX.INF\r\n"
                              "[Files] " + inf + "=updating,~stp0001.tmp\r\n"
                              "[Created] HKLM\\Enum\\Root\\ZorvaMouse\\0000=tree\r\n"
                              "[SystemIni] MouseLine=mouse=*vmouse, msmouse.vxd\r\n"
                              "[Run] ended=complete\r\n";
    const std::string record = folder + "\\SETUP.REC";
    FixedText<600> offending;
    WriteTextFile(record, sound);
    ASSERT_TRUE(RecordIsSound(offending)) << offending.c_str();

    const std::string lines[] = {
        "[Files] " + windows + "\\WIN.INI=created," + stamp,
        "[Files] " + folder + "\\..\\..\\windows\\WIN.INI=created," + stamp,
        "[Files] " + folder + "\\A.TXT=replaced," + stamp + "," + windows + "\\WIN.INI",
        "[Files] " + folder + "\\A.TXT=replacing,1,00000001," + windows + "\\WIN.INI",
        "[Files] " + folder + "\\A.TXT=created,1",
        "[Files] " + folder + "\\A.TXT=updating,..\\..\\WIN.INI",
        "[Files] " + folder + "\\A.TXT=moved",
        "[Folders] " + windows + "=created",
        "[Folders] C:\\=found",
        "[Folders] " + folder + "\\SUB=made",
        "[Created] HKLM\\SOFTWARE\\SomeoneElse=tree",
        "[Created] HKLM\\System\\CurrentControlSet\\Services\\Class=tree",
        "[Created] HKLM\\Enum\\Root\\ZorvaMouse\\0000=all",
        "[PS2] SubKey2=SOFTWARE\\SomeoneElse",
        "[Serial] SubKey1=SOFTWARE\\SomeoneElse",
        "[SystemIni] MouseLine=shell=another.exe",
        "[Run] begun=" + windows,
        "[Run] carried=" + windows + "\\WIN.INI",
        "[Run] ended=later",
        "[Run] paused=" + folder,
        "[Elsewhere] Key=a section no installation writes",
        "a line not in the record's form",
    };
    for (const std::string& line : lines) {
        WriteTextFile(record, sound + line + "\r\n");
        offending.clear();
        EXPECT_FALSE(RecordIsSound(offending)) << line;
        EXPECT_EQ(line, offending.c_str());
    }
    WriteTextFile(record, sound + "[Files] " + folder + "\\A.TXT=creat");
    EXPECT_TRUE(RecordIsSound(offending)) << "a last line a power cut broke off is not read";
    FreeInstallList();
}
