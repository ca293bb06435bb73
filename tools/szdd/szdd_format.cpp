#include "szdd_format.h"

#include <algorithm>

namespace {

const uint8_t Signature[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr std::size_t HeaderSize = 14;

constexpr int RingSize = 4096;
constexpr int FirstRingPosition = RingSize - 16;
constexpr int MinMatch = 3;
constexpr int MaxMatch = 18;
// A distance of 4096 would name the very ring slot the expander is about to
// write; whether a reader takes the old byte first is not something to rely
// on, so references reach back at most 4095 bytes.
constexpr int MaxDistance = RingSize - 1;
// The expander's ring starts full of blanks. Of those before the text only
// the last MaxMatch + 1 are kept: an older blank starts the same all-blank
// match, farther back, and the search keeps the nearer of equal matches
// anyway. A chain of 4095 blanks walked at every "   " of the text costs
// much time and gains not one byte.
constexpr int Blanks = MaxMatch + 1;
constexpr int MaxChain = RingSize;  // every candidate in the window: the longest match, always

struct Reference {
    int length = 0;
    int distance = 0;
};

// LZSS over a hash chain of 3-byte prefixes, parsed for the least size. The text is preceded by
// blanks, which is what the expander's initial ring holds: a run of blanks
// early in the file can be taken from there.
class Compressor {
public:
    // heads: the table of chain heads, one per hash value, every head -1
    // (no chain yet). The caller keeps one table for every run, and each run
    // empties only the heads it set: 256 KiB allocated or cleared each time
    // would dominate the time of a small file (under the fuzzer's
    // AddressSanitizer many times over).
    Compressor(const std::vector<uint8_t>& input, std::vector<int>& heads)
        : text_(Blanks, ' '), head_(heads)
    {
        if (head_.empty()) head_.assign(1 << 16, -1);
        text_.insert(text_.end(), input.begin(), input.end());
        previous_.assign(text_.size(), -1);
    }
    ~Compressor()
    {
        for (int i = 0; i + MinMatch <= static_cast<int>(text_.size()); ++i) head_[Hash(i)] = -1;
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    // The parse of least size: a literal costs 9 bits (its flag and byte), a
    // reference 17, whatever its length. Each position's longest match is
    // found first; a reference may then take any length up to it (a shorter
    // prefix of the same match), so the cheapest way from each position to
    // the end, computed backwards, is the smallest output the format allows
    // with these matches. Greedy parsing gave about 3% more.
    std::vector<uint8_t> Run()
    {
        for (int i = 0; i < Blanks; ++i) Insert(i);
        const int start = Blanks;
        const int end = static_cast<int>(text_.size());
        const int count = end - start;
        std::vector<Reference> longest(count);
        for (int position = start; position < end; ++position) {
            longest[position - start] = LongestMatch(position);
            Insert(position);
        }
        std::vector<int64_t> cost(count + 1, 0);
        std::vector<int> step(count, 1);  // the length taken at each position: 1 a literal
        for (int i = count - 1; i >= 0; --i) {
            cost[i] = 9 + cost[i + 1];
            for (int length = MinMatch; length <= longest[i].length; ++length) {
                if (17 + cost[i + length] < cost[i]) {
                    cost[i] = 17 + cost[i + length];
                    step[i] = length;
                }
            }
        }
        for (int i = 0; i < count; i += step[i]) {
            if (step[i] == 1) EmitLiteral(text_[start + i]);
            else EmitReference(start + i, {step[i], longest[i].distance});
        }
        return out_;
    }

private:
    int Hash(int i) const
    {
        return ((text_[i] << 8) ^ (text_[i + 1] << 4) ^ text_[i + 2]) & 0xFFFF;
    }
    void Insert(int i)
    {
        if (i + MinMatch > static_cast<int>(text_.size())) return;
        int h = Hash(i);
        previous_[i] = head_[h];
        head_[h] = i;
    }
    Reference LongestMatch(int position) const
    {
        Reference best;
        const int end = static_cast<int>(text_.size());
        if (position + MinMatch > end) return best;
        const int limit = std::min(MaxMatch, end - position);
        int tries = 0;
        for (int candidate = head_[Hash(position)]; candidate >= 0 && tries < MaxChain;
             candidate = previous_[candidate], ++tries) {
            int distance = position - candidate;
            if (distance > MaxDistance) break;  // the chain only gets older
            // Only a longer match counts: a candidate that differs at the
            // byte past the best so far is passed over at once (a third less
            // time on executables, where long runs share their prefixes).
            if (text_[candidate + best.length] != text_[position + best.length]) continue;
            // The expander copies byte by byte, so a reference may overlap
            // the bytes it produces (distance < length), as in a run.
            int length = 0;
            while (length < limit && text_[candidate + length] == text_[position + length]) ++length;
            if (length > best.length) {
                best = {length, distance};
                if (length == limit) break;
            }
        }
        return best;
    }
    // Every eighth item starts a group with a flag byte of its own.
    void BeginItem()
    {
        if (itemsInGroup_ == 8) itemsInGroup_ = 0;
        if (itemsInGroup_ == 0) {
            flagIndex_ = out_.size();
            out_.push_back(0);
        }
    }
    void EmitLiteral(uint8_t byte)
    {
        BeginItem();
        out_[flagIndex_] |= static_cast<uint8_t>(1u << itemsInGroup_);
        out_.push_back(byte);
        ++itemsInGroup_;
    }
    void EmitReference(int position, Reference reference)
    {
        BeginItem();
        // Ring position of the source: the expander writes output byte n
        // (counted from 0) at FirstRingPosition + n.
        int produced = position - Blanks;
        int ring = (FirstRingPosition + produced - reference.distance) & (RingSize - 1);
        out_.push_back(static_cast<uint8_t>(ring & 0xFF));
        out_.push_back(static_cast<uint8_t>(((ring >> 4) & 0xF0) | (reference.length - MinMatch)));
        ++itemsInGroup_;
    }
    std::vector<uint8_t> text_;
    std::vector<int>& head_;
    std::vector<int> previous_;
    std::vector<uint8_t> out_;
    size_t flagIndex_ = 0;
    int itemsInGroup_ = 0;
};

}  // namespace

std::vector<uint8_t> CompressSzdd(const std::vector<uint8_t>& input, uint8_t replacedCharacter)
{
    std::vector<uint8_t> output(Signature, Signature + 8);
    output.push_back('A');
    output.push_back(replacedCharacter);
    uint32_t length = static_cast<uint32_t>(input.size());
    for (int shift = 0; shift < 32; shift += 8) output.push_back(static_cast<uint8_t>(length >> shift));
    static std::vector<int> heads;
    std::vector<uint8_t> data = Compressor(input, heads).Run();
    output.insert(output.end(), data.begin(), data.end());
    return output;
}

uint32_t SzddLength(const std::vector<uint8_t>& file)
{
    if (file.size() < HeaderSize) return 0;
    return static_cast<uint32_t>(file[10]) | static_cast<uint32_t>(file[11]) << 8 |
           static_cast<uint32_t>(file[12]) << 16 | static_cast<uint32_t>(file[13]) << 24;
}

bool ExpandSzdd(const std::vector<uint8_t>& file, std::vector<uint8_t>& output)
{
    output.clear();
    if (file.size() < HeaderSize || !std::equal(Signature, Signature + 8, file.begin()) || file[8] != 'A')
        return false;
    uint8_t ring[RingSize];
    std::fill(ring, ring + RingSize, ' ');
    int next = FirstRingPosition;
    std::size_t at = HeaderSize;
    while (at < file.size()) {
        uint8_t flags = file[at++];
        for (int bit = 0; bit < 8 && at < file.size(); ++bit) {
            if (flags & (1u << bit)) {
                uint8_t byte = file[at++];
                output.push_back(byte);
                ring[next] = byte;
                next = (next + 1) & (RingSize - 1);
                continue;
            }
            if (at + 2 > file.size()) return false;
            int position = file[at] | (file[at + 1] & 0xF0) << 4;
            int length = (file[at + 1] & 0x0F) + MinMatch;
            at += 2;
            for (int k = 0; k < length; ++k) {
                uint8_t byte = ring[(position + k) & (RingSize - 1)];
                output.push_back(byte);
                ring[next] = byte;
                next = (next + 1) & (RingSize - 1);
            }
        }
    }
    return true;
}
