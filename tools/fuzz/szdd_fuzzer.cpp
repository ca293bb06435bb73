// The SZDD compressor: what it writes expands, by the host's own expander
// written from the format's description, to exactly its input, and the
// header gives that length. On short inputs its parse also costs no more
// than the least the format allows, found here by brute force: a fault in
// the match search (a candidate missed, the window cut short) shows as a
// larger parse long before anyone compares file sizes. The expander itself
// must survive any file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tools/szdd/szdd_format.h"

namespace {

constexpr std::size_t HeaderSize = 14;
constexpr std::size_t Window = 4095;  // the compressor's reach back, blanks before the text
constexpr std::size_t BruteForceLimit = 160;

// The parse's cost in bits: 9 for a literal (its flag and byte), 17 for a
// reference (its flag and two bytes). Flag bytes are read as the expander
// reads them.
int64_t ParseBits(const std::vector<uint8_t>& file)
{
    int64_t bits = 0;
    for (std::size_t at = HeaderSize; at < file.size();) {
        uint8_t flags = file[at++];
        for (int bit = 0; bit < 8 && at < file.size(); ++bit) {
            bool literal = (flags >> bit) & 1;
            at += literal ? 1 : 2;
            bits += literal ? 9 : 17;
        }
    }
    return bits;
}

// Every distance at every position, then the cheapest parse from the end
// back: a reference may take any length from 3 up to the longest match.
int64_t LeastBits(const std::vector<uint8_t>& input)
{
    std::vector<uint8_t> text(Window, ' ');
    text.insert(text.end(), input.begin(), input.end());
    const std::size_t count = input.size();
    std::vector<int64_t> bits(count + 1, 0);
    for (std::size_t i = count; i-- > 0;) {
        const std::size_t at = Window + i;
        std::size_t longest = 0;
        // Past i + 18 a candidate lies wholly in the blanks: one such stands
        // for all of them.
        for (std::size_t distance = 1; distance <= std::min(Window, i + 18); ++distance) {
            std::size_t length = 0;
            while (length < 18 && i + length < count && text[at - distance + length] == text[at + length]) ++length;
            longest = std::max(longest, length);
        }
        bits[i] = 9 + bits[i + 1];
        for (std::size_t length = 3; length <= longest; ++length) bits[i] = std::min(bits[i], 17 + bits[i + length]);
    }
    return bits[0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::vector<uint8_t> input(data, data + size);
    std::vector<uint8_t> file = CompressSzdd(input, 'E');
    std::vector<uint8_t> expanded;
    if (!ExpandSzdd(file, expanded) || expanded != input || SzddLength(file) != size) std::abort();
    if (size <= BruteForceLimit && ParseBits(file) != LeastBits(input)) std::abort();

    // The input read as a compressed file: any result, but no crash.
    std::vector<uint8_t> header = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0, 0, 0, 0, 0};
    header.insert(header.end(), data, data + size);
    ExpandSzdd(header, expanded);
    return 0;
}
