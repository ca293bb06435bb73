#include "shell/crc32.h"

#include <cstring>

namespace {

// Eight tables, built at the first sum: 8 KB of zeros cost no room in the
// program file, where tables of constants would. Table[k][n] is the sum of
// byte n followed by k zero bytes, so eight bytes are summed in one step
// (the sum would otherwise cost more than the expansion itself).
uint32_t Table[8][256];

void BuildTables()
{
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        Table[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n)
        for (int k = 1; k < 8; ++k) Table[k][n] = Table[0][Table[k - 1][n] & 0xFF] ^ (Table[k - 1][n] >> 8);
}

}  // namespace

uint32_t Crc32(uint32_t sum, const void* data, std::size_t size)
{
    if (Table[0][1] == 0) BuildTables();
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    uint32_t c = ~sum;
    for (; size >= 8; size -= 8, bytes += 8) {
        uint32_t low, high;
        std::memcpy(&low, bytes, 4);  // the byte order of little-endian x86
        std::memcpy(&high, bytes + 4, 4);
        low ^= c;
        c = Table[7][low & 0xFF] ^ Table[6][(low >> 8) & 0xFF] ^ Table[5][(low >> 16) & 0xFF] ^ Table[4][low >> 24] ^
            Table[3][high & 0xFF] ^ Table[2][(high >> 8) & 0xFF] ^ Table[1][(high >> 16) & 0xFF] ^ Table[0][high >> 24];
    }
    for (; size > 0; --size) c = Table[0][(c ^ *bytes++) & 0xFF] ^ (c >> 8);
    return ~c;
}
