#include "shell/crc32.h"

namespace {

// Built at the first sum: a kilobyte of zeros costs no room in the program
// file, where a table of constants would.
uint32_t Table[256];

void BuildTable()
{
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        Table[n] = c;
    }
}

}  // namespace

uint32_t Crc32(uint32_t sum, const void* data, std::size_t size)
{
    if (Table[1] == 0) BuildTable();
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    uint32_t c = ~sum;
    for (std::size_t i = 0; i < size; ++i) c = Table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return ~c;
}
