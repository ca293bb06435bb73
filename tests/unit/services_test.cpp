// The text loader and the small shared services, against Wine's real
// resources, files and memory.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "shell/globals.h"
#include "record/installed_record.h"
#include "shell/crc32.h"
#include "shell/services.h"
#include "tests/support/robot.h"
#include "tests/support/test_env.h"

TEST(LoadText, FourBuffersInTurnTheFifthReusesTheFirst)
{
    const char* first = LoadText(IDS_DISK1);
    const char* second = LoadText(IDS_DISK2);
    const char* third = LoadText(IDS_DISK3);
    const char* fourth = LoadText(IDS_DISK4);
    EXPECT_STREQ("Disk1", first);
    EXPECT_NE(first, second);
    EXPECT_NE(second, third);
    EXPECT_NE(third, fourth);
    EXPECT_NE(first, fourth);

    const char* fifth = LoadText(IDS_MAIN);
    EXPECT_EQ(first, fifth);
    EXPECT_STREQ("Main", first);
    EXPECT_STREQ("Disk2", second);
    EXPECT_STREQ("Disk3", third);
    EXPECT_STREQ("Disk4", fourth);
}

TEST(LoadText, MissingIdsGiveNull)
{
    EXPECT_EQ(nullptr, LoadText(21));
    EXPECT_EQ(nullptr, LoadText(31));
    EXPECT_EQ(nullptr, LoadText(68));
    // A miss still advances the rotation: the next text lands in a new buffer.
    const char* a = LoadText(IDS_MAIN);
    EXPECT_EQ(nullptr, LoadText(21));
    const char* b = LoadText(IDS_STARTUP);
    EXPECT_NE(a, b);
    EXPECT_STREQ("Main", a);
}

TEST(DirectoryExists, DirectoriesOnlyNotFilesNorMissingPaths)
{
    std::string file = TestDirectory() + "\\plain.txt";
    WriteTextFile(file, "x");
    std::string directory = TestDirectory() + "\\sub";
    CreateDirectoryA(directory.c_str(), nullptr);

    struct {
        std::string path;
        int expected;
    } cases[] = {
        {"C:\\", 1},
        {TestDirectory(), 1},
        {directory, 1},
        {file, 0},
        {TestDirectory() + "\\missing", 0},
        {"Q:\\", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, DirectoryExists(c.path.c_str())) << c.path;
}

TEST(InstallList, BlockIsZeroFilledAndHoldsEntriesThenTenGroupItems)
{
    for (int16_t n : {0, 1, 8, 1000}) {
        ASSERT_EQ(1, AllocInstallList(n)) << n;
        ASSERT_NE(nullptr, InstallListHandle);
        ASSERT_NE(nullptr, InstallListBase);
        size_t expected = n * sizeof(FileEntry) + 10 * sizeof(GroupItem);
        EXPECT_GE(GlobalSize(InstallListHandle), expected) << n;
        const auto* bytes = static_cast<const unsigned char*>(InstallListBase);
        size_t nonZero = 0;
        for (size_t i = 0; i < expected; ++i) nonZero += bytes[i] != 0;
        EXPECT_EQ(0u, nonZero) << n;
        FreeInstallList();
        EXPECT_EQ(nullptr, InstallListHandle);
    }
}

TEST(InstallList, NegativeCountIsRefusedAndReleaseIsSafeTwice)
{
    EXPECT_EQ(0, AllocInstallList(-1));
    EXPECT_EQ(nullptr, InstallListHandle);
    FreeInstallList();
    ASSERT_EQ(1, AllocInstallList(3));
    FreeInstallList();
    FreeInstallList();
    EXPECT_EQ(nullptr, InstallListBase);
}

TEST(ShowNotCompleted, NamesTheProductCaptionedAndOwnedByThePage)
{
    ProductName.assign("Zorva Wheel");
    MessageCaption.assign("Zorva Wheel Setup Program");
    HWND page = CreateWindowA("STATIC", "page", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Instance, nullptr);
    MessageBoxSeen box;
    Robot robot([&] { box = DismissMessageBox(); });
    ShowNotCompleted(page);
    robot.join();
    ASSERT_TRUE(box.seen);
    EXPECT_EQ("Zorva Wheel installation is not completed !", box.text);
    EXPECT_EQ("Zorva Wheel Setup Program", box.caption);
    EXPECT_EQ(page, box.owner);
    DestroyWindow(page);

    // An empty product name leaves only the tail, with its leading blank.
    ProductName.clear();
    Robot again([&] { box = DismissMessageBox(); });
    ShowNotCompleted(nullptr);
    again.join();
    EXPECT_EQ(" installation is not completed !", box.text);
}

TEST(FixedText, CutsWhereAllowedAndRefusesWholePathsThatDoNotFit)
{
    FixedText<6> text;
    EXPECT_TRUE(text.empty());
    text.assign("abcdefgh");
    EXPECT_STREQ("abcde", text);
    text.assign("ab").append("cdefgh");
    EXPECT_STREQ("abcde", text);
    text.assign(nullptr);
    EXPECT_STREQ("", text);

    FixedText<6> path;
    EXPECT_TRUE(path.assignWhole("C:\\AB"));
    EXPECT_FALSE(path.assignWhole("C:\\ABC"));  // 6 characters need 7 bytes
    EXPECT_STREQ("C:\\AB", path);
    EXPECT_FALSE(path.appendWhole("\\"));
    EXPECT_STREQ("C:\\AB", path);
    path.assign("C:");
    EXPECT_TRUE(path.appendWhole("\\AB"));
    EXPECT_STREQ("C:\\AB", path);
}

// The sum the medium builder records and the copy compares: zlib's CRC-32,
// the same whether the bytes come whole or in pieces of any size.
TEST(Crc32, IsZlibsSumWholeOrInPieces)
{
    EXPECT_EQ(0xCBF43926u, Crc32(0, "123456789", 9));
    EXPECT_EQ(0u, Crc32(0, "", 0));
    std::string data;
    for (int i = 0; i < 1000; ++i) data += static_cast<char>(i * 7 + i / 13);
    uint32_t bitwise = 0xFFFFFFFFu;  // one bit at a time, as the polynomial defines it
    for (unsigned char byte : data) {
        bitwise ^= byte;
        for (int k = 0; k < 8; ++k) bitwise = (bitwise & 1) != 0 ? 0xEDB88320u ^ (bitwise >> 1) : bitwise >> 1;
    }
    const uint32_t whole = Crc32(0, data.data(), data.size());
    EXPECT_EQ(~bitwise, whole);
    for (size_t cut : {1u, 7u, 8u, 9u, 500u, 999u})
        EXPECT_EQ(whole, Crc32(Crc32(0, data.data(), cut), data.data() + cut, data.size() - cut)) << cut;
}

// The record's keys: a path is found whatever the case of its letters, and
// only whole.
TEST(Record, KeysAreFoundWhateverTheirCaseAndOnlyWhole)
{
    const char lines[] = "C:\\Zorva\\A.TXT=created\0C:\\Zorva\\AB.TXT=same\0C:\\ZORVA\\\xC4.TXT=found\0";
    EXPECT_STREQ("created", FindKey(lines, "c:\\zorva\\a.txt"));
    EXPECT_STREQ("same", FindKey(lines, "C:\\Zorva\\AB.TXT"));
    EXPECT_EQ(nullptr, FindKey(lines, "C:\\Zorva\\A.TX"));
    EXPECT_EQ(nullptr, FindKey(lines, "C:\\Zorva\\B.TXT"));
    EXPECT_STREQ("found", FindKey(lines, "C:\\Zorva\\\xC4.TXT")) << "a character of the code page";
    EXPECT_EQ(nullptr, FindKey(nullptr, "C:\\Zorva\\A.TXT"));
}
