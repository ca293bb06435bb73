// Our SZDD compressor (tools/szdd) against the platform's own expansion: the
// build compresses a set of samples with the host tool, and here Wine's LZ32
// (LZOpenFileA, LZCopy, LZClose, as the copy engine calls them) expands each
// one, to be compared with its original byte for byte.
#include <gtest/gtest.h>

#include <windows.h>

#include <lzexpand.h>

#include <cstdint>
#include <string>

#include "tests/support/test_env.h"

namespace {

const char* const Signature = "SZDD\x88\xF0\x27\x33";
const size_t HeaderSize = 14;

std::string Fixture(const std::string& name)
{
    return WindowsPathOf(SZDD_FIXTURES_UNIX_PATH) + "\\" + name;
}

// The name COMPRESS -r gives: the last character replaced by "_".
std::string CompressedName(const std::string& name)
{
    return name.substr(0, name.size() - 1) + "_";
}

uint32_t HeaderLength(const std::string& compressed)
{
    uint32_t length = 0;
    for (int i = 3; i >= 0; --i) length = (length << 8) | static_cast<uint8_t>(compressed[10 + i]);
    return length;
}

// Bytes an encoder that never finds a reference would write: every byte a
// literal, one flag byte per eight.
size_t AllLiteralSize(size_t length)
{
    return HeaderSize + length + (length + 7) / 8;
}

struct Expansion {
    LONG result;        // what LZCopy returned
    std::string bytes;  // what the destination holds afterwards
    LONG named;         // the length LZSeek finds at the end beforehand
};

// Expands source into a destination that first holds marker bytes, so that
// anything LZCopy leaves unwritten shows.
Expansion Expand(const std::string& source)
{
    const std::string destination = TestDirectory() + "\\expanded.out";
    WriteTextFile(destination, std::string(20000, '\xEE'));
    OFSTRUCT sourceInfo = {}, destinationInfo = {};
    INT in = LZOpenFileA(const_cast<char*>(source.c_str()), &sourceInfo, OF_READ);
    INT out = LZOpenFileA(const_cast<char*>(destination.c_str()), &destinationInfo, OF_CREATE);
    EXPECT_GE(in, 0) << source;
    EXPECT_GE(out, 0) << destination;
    LONG named = LZSeek(in, 0, 2);
    LZSeek(in, 0, 0);
    Expansion expansion = {LZCopy(in, out), "", named};
    LZClose(out);
    LZClose(in);
    expansion.bytes = ReadTextFile(destination);
    DeleteFileA(destination.c_str());
    return expansion;
}

TEST(Szdd, ThePlatformExpandsEverySampleToItsOriginal)
{
    const char* const samples[] = {
        "EMPTY.DAT",    // header only
        "ONE.DAT",      // one literal, the flag byte mostly unused
        "FIFTEEN.DAT",  // under 16 bytes: a partial second flag group
        "BLANKS.TXT",   // references into the ring's initial blanks
        "TEXT.TXT",     // long and overlapping references
        "RANDOM.DAT",   // next to no references
        "REPEATS.DAT",  // over 4096 bytes: the ring wraps; a reference 4095 back
        "SIXTEEN.DAT",  // two whole flag groups
        "RING.TXT",     // the ring's size
        "RINGPLUS.TXT", // one byte past it
        "LARGE.DAT",    // 700,000 bytes
    };
    for (const std::string name : samples) {
        SCOPED_TRACE(name);
        const std::string original = ReadTextFile(Fixture(name));
        const std::string compressed = ReadTextFile(Fixture(CompressedName(name)));
        ASSERT_GE(compressed.size(), HeaderSize);
        EXPECT_EQ(std::string(Signature, 8), compressed.substr(0, 8));
        EXPECT_EQ('A', compressed[8]);
        EXPECT_EQ(name.back(), compressed[9]) << "the character the compressed name replaces";
        EXPECT_EQ(original.size(), HeaderLength(compressed));

        Expansion expansion = Expand(Fixture(CompressedName(name)));
        EXPECT_EQ(static_cast<LONG>(original.size()), expansion.result);
        EXPECT_EQ(original.size(), expansion.bytes.size());
        EXPECT_TRUE(expansion.bytes == original) << "expanded bytes differ from the original";
    }
}

// A compressor that wrote only literals would pass the test above; these
// samples must come out smaller, so the references were made and read back.
TEST(Szdd, RepeatedTextIsWrittenAsReferences)
{
    const struct {
        const char* name;
        size_t atMost;  // compressed size
    } cases[] = {
        // 40 blanks in three references, the 10 other bytes as literals:
        // 13 items in two flag groups.
        {"BLANKS.TXT", HeaderSize + 2 + 3 * 2 + 10},
        {"TEXT.TXT", ReadTextFile(Fixture("TEXT.TXT")).size() / 4},
        // The 300-byte block that recurs 4095 bytes later.
        {"REPEATS.DAT", AllLiteralSize(ReadTextFile(Fixture("REPEATS.DAT")).size()) - 250},
    };
    for (const auto& c : cases)
        EXPECT_LE(ReadTextFile(Fixture(CompressedName(c.name))).size(), c.atMost) << c.name;
}

// What LZ32 makes of a damaged compressed file, which the copy engine must
// tell from a good one by itself. Observed on Wine 8; Windows 98 not checked.
TEST(Szdd, DamagedSourcesAreNotReportedAsErrorsByWine)
{
    const std::string good = ReadTextFile(Fixture("TEXT.TX_"));
    const std::string expanded = ReadTextFile(Fixture("TEXT.TXT"));
    ASSERT_GT(good.size(), 1000u);
    const LONG whole = static_cast<LONG>(expanded.size());
    std::string unknownMode = good;
    unknownMode[8] = 'B';
    const struct {
        const char* what;
        std::string source;
        LONG result;           // what LZCopy returns
        std::string produced;  // what the destination holds
        LONG named;            // the length LZSeek gives before the copy
    } cases[] = {
        // Expansion stops where the data ends and the count is returned as
        // a success; only the header's length shows that bytes are missing.
        {"data cut in half", good.substr(0, good.size() / 2), -1, "", whole},
        {"header without data", good.substr(0, HeaderSize), 0, "", whole},
        // A header too short to read is no LZ file to LZ32: its bytes are
        // copied as they are.
        {"header cut", good.substr(0, 10), 10, good.substr(0, 10), 10},
        // Another mode: LZOpenFileA opens the file, LZCopy writes nothing and
        // returns 0, as for an empty file.
        {"unknown mode", unknownMode, 0, "", static_cast<LONG>(good.size())},
    };
    const std::string source = TestDirectory() + "\\DAMAGED.TX_";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteTextFile(source, c.source);
        Expansion expansion = Expand(source);
        // The copy engine compares the result with this length: only the
        // header cut to a plain file gets through.
        EXPECT_EQ(c.named, expansion.named);
        if (c.result >= 0) {
            EXPECT_EQ(c.result, expansion.result);
            EXPECT_TRUE(expansion.bytes == c.produced);
        } else {
            // Cut data: a prefix of the original, with its length as result.
            EXPECT_GT(expansion.result, 0);
            EXPECT_LT(static_cast<size_t>(expansion.result), expanded.size());
            EXPECT_EQ(static_cast<size_t>(expansion.result), expansion.bytes.size());
            EXPECT_TRUE(expanded.compare(0, expansion.bytes.size(), expansion.bytes) == 0);
        }
    }
    DeleteFileA(source.c_str());
}

}  // namespace
