// szdd: compresses one file into the "SZDD" format that the platform's LZ
// expansion (LZOpenFile/LZCopy of LZ32) reads, as its COMPRESS tool wrote it.
//
//   szdd INPUT OUTPUT
//
// Layout: the 8-byte signature, the compression mode 'A', the character that
// the compressed name replaces by "_" (0 when none is replaced), the expanded
// length as 32-bit little endian, then LZSS data. The expander keeps a 4096-
// byte ring of the text already produced, filled with blanks at the start, and
// writes its first byte at position 4096 - 16. Each flag byte governs the next
// eight items, lowest bit first: a set bit is one literal byte, a clear bit a
// two-byte reference "copy 3..18 bytes from ring position P": the low 8 bits
// of P, then the high 4 bits of P in the upper nibble and length - 3 in the
// lower one. The data simply ends after the last item; the expander stops
// when its input runs out, whatever the header says.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int RingSize = 4096;
constexpr int FirstRingPosition = RingSize - 16;
constexpr int MinMatch = 3;
constexpr int MaxMatch = 18;
// A distance of 4096 would name the very ring slot the expander is about to
// write; whether a reader takes the old byte first is not something to rely
// on, so references reach back at most 4095 bytes.
constexpr int MaxDistance = RingSize - 1;
constexpr int MaxChain = 512;  // candidates tried per position: enough for these small files

struct Reference {
    int length = 0;
    int distance = 0;
};

// Greedy LZSS over a hash chain of 3-byte prefixes. The text is preceded by
// MaxDistance blanks, which is what the expander's initial ring holds: a run
// of blanks early in the file can be taken from there.
class Compressor {
public:
    explicit Compressor(const std::vector<uint8_t>& input)
        : text_(MaxDistance, ' '), head_(1 << 16, -1)
    {
        text_.insert(text_.end(), input.begin(), input.end());
        previous_.assign(text_.size(), -1);
    }

    std::vector<uint8_t> Run()
    {
        for (int i = 0; i < MaxDistance; ++i) Insert(i);
        int position = MaxDistance;
        const int end = static_cast<int>(text_.size());
        while (position < end) {
            Reference reference = LongestMatch(position);
            if (reference.length >= MinMatch) {
                EmitReference(position, reference);
                for (int k = 0; k < reference.length; ++k) Insert(position + k);
                position += reference.length;
            } else {
                EmitLiteral(text_[position]);
                Insert(position);
                ++position;
            }
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
        int produced = position - MaxDistance;
        int ring = (FirstRingPosition + produced - reference.distance) & (RingSize - 1);
        out_.push_back(static_cast<uint8_t>(ring & 0xFF));
        out_.push_back(static_cast<uint8_t>(((ring >> 4) & 0xF0) | (reference.length - MinMatch)));
        ++itemsInGroup_;
    }
    std::vector<uint8_t> text_;
    std::vector<int> head_;
    std::vector<int> previous_;
    std::vector<uint8_t> out_;
    size_t flagIndex_ = 0;
    int itemsInGroup_ = 0;
};

bool ReadFile(const char* path, std::vector<uint8_t>& data)
{
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) data.insert(data.end(), chunk, chunk + n);
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool WriteFile(const char* path, const std::vector<uint8_t>& data)
{
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    return std::fclose(file) == 0 && ok;
}

// The character that COMPRESS -r replaces by "_": the last one of a name
// whose extension has three characters ("QXMAIN.EXE" -> "QXMAIN.EX_").
// Shorter extensions get "_" appended and lose nothing, hence 0.
uint8_t ReplacedCharacter(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot - 1 < 3) return 0;
    return static_cast<uint8_t>(name.back());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: szdd INPUT OUTPUT\n");
        return 2;
    }
    std::vector<uint8_t> input;
    if (!ReadFile(argv[1], input)) {
        std::fprintf(stderr, "szdd: cannot read %s\n", argv[1]);
        return 1;
    }
    if (input.size() > 0xFFFFFFFFu) {
        std::fprintf(stderr, "szdd: %s is too large for a 32-bit length\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> output = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', ReplacedCharacter(argv[1])};
    uint32_t length = static_cast<uint32_t>(input.size());
    for (int shift = 0; shift < 32; shift += 8) output.push_back(static_cast<uint8_t>(length >> shift));
    std::vector<uint8_t> data = Compressor(input).Run();
    output.insert(output.end(), data.begin(), data.end());
    if (!WriteFile(argv[2], output)) {
        std::fprintf(stderr, "szdd: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
