// szdd-samples: writes the originals of the SZDD test fixtures into a
// directory; the build compresses each one with szdd and the LZ32 test
// expands them under Wine and compares. Each sample aims at one way an
// LZSS writer goes wrong.
//
//   szdd-samples DIRECTORY
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Fixed-seed xorshift, so every build writes the same bytes.
class Noise {
public:
    uint8_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<uint8_t>(state_ >> 11);
    }
    Bytes Take(size_t n)
    {
        Bytes bytes(n);
        for (uint8_t& b : bytes) b = Next();
        return bytes;
    }

private:
    uint32_t state_ = 0x2545F491u;
};

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

void Append(Bytes& to, const Bytes& from)
{
    to.insert(to.end(), from.begin(), from.end());
}

// Several kilobytes of lines that repeat with small changes: long references,
// and runs where a reference overlaps the bytes it produces.
Bytes RepetitiveText()
{
    std::string text;
    for (int i = 0; i < 120; ++i) {
        text += "[Disk" + std::to_string(i % 6 + 1) + "]\r\n";
        text += std::to_string(i) + "=QXMAIN.EX_,QXMAIN.EXE,Rollvane wheel application,RootDir\r\n";
        text += "--------------------------------------------------------------\r\n";
    }
    return Text(text);
}

// Over 4096 bytes, so the ring wraps, with a block repeated at exactly the
// farthest distance a reference reaches (4095) and again farther away,
// where it must be written out anew.
Bytes LongDistanceRepeats()
{
    Noise noise;
    Bytes block = noise.Take(300);
    Bytes bytes = block;
    Append(bytes, noise.Take(4095 - block.size()));
    Append(bytes, block);  // starts 4095 bytes after the first copy
    Append(bytes, noise.Take(5000));
    Append(bytes, block);  // 9395 bytes after the second copy: out of reach
    Append(bytes, Text("tail"));
    return bytes;
}

bool Write(const std::string& path, const Bytes& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace

// length bytes of the repetitive text with a stretch of noise now and then.
Bytes Mixed(std::size_t length)
{
    Noise noise;
    Bytes text = RepetitiveText(), bytes;
    while (bytes.size() < length) {
        Append(bytes, text);
        Append(bytes, noise.Take(997));
    }
    bytes.resize(length);
    return bytes;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: szdd-samples DIRECTORY\n");
        return 2;
    }
    Noise noise;
    const struct {
        const char* name;
        Bytes bytes;
    } samples[] = {
        {"EMPTY.DAT", {}},
        {"ONE.DAT", {0x5A}},
        // One item short of two flag groups: the last group is partial.
        {"FIFTEEN.DAT", Text("Rollvane wheel!")},
        // Leading blanks: references into the ring's initial blanks, before
        // any byte has been produced.
        {"BLANKS.TXT", Text("                                        indented\r\n")},
        {"TEXT.TXT", RepetitiveText()},
        {"RANDOM.DAT", noise.Take(3000)},
        {"REPEATS.DAT", LongDistanceRepeats()},
        // Two whole flag groups; the ring's size, and one byte past it.
        {"SIXTEEN.DAT", Text("Zorva wheel 1998")},
        {"RING.TXT", Mixed(4096)},
        {"RINGPLUS.TXT", Mixed(4097)},
        // Large, text and noise by turns: the ring wraps many times over.
        {"LARGE.DAT", Mixed(700000)},
    };
    std::string directory = argv[1];
    for (const auto& sample : samples) {
        if (!Write(directory + "/" + sample.name, sample.bytes)) {
            std::fprintf(stderr, "szdd-samples: cannot write %s/%s\n", directory.c_str(), sample.name);
            return 1;
        }
    }
    return 0;
}
