// szdd: compresses one file into the "SZDD" format that the platform's LZ
// expansion (LZOpenFile/LZCopy of LZ32) reads (szdd_format.h).
//
//   szdd INPUT OUTPUT
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "szdd_format.h"

namespace {

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
    std::vector<uint8_t> output = CompressSzdd(input, ReplacedCharacter(argv[1]));
    if (!WriteFile(argv[2], output)) {
        std::fprintf(stderr, "szdd: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
