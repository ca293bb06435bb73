#include "crc32.h"

namespace {

// Built at the first call rather than written out as a constant: the setup
// program must stay within 64 KiB, and a zero-filled array takes no room in
// the file. No constructor fills it either, since the program starts without
// the C runtime's start-up code. So the first call must not race another.
uint32_t Table[256];
bool TableBuilt = false;

void BuildTable()
{
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        Table[i] = c;
    }
    TableBuilt = true;
}

}  // namespace

uint32_t Crc32(uint32_t crc, const void* data, std::size_t n)
{
    if (!TableBuilt) BuildTable();
    const unsigned char* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) crc = Table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
