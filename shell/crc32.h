// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320), over
// bytes that may come in pieces. Pure C++, so the host's medium builder and
// checker compute the very same sums the program does.
#ifndef SETUP_CRC32_H
#define SETUP_CRC32_H

#include <cstddef>
#include <cstdint>

// The sum of the bytes that came before (0 for none) carried over size more
// bytes: Crc32(Crc32(0, a, na), b, nb) is the sum of a followed by b, so a
// file is summed in the pieces it is read in. Crc32(0, "123456789", 9) is
// 0xCBF43926. The first call builds a table: not from two threads at once.
uint32_t Crc32(uint32_t sum, const void* data, std::size_t size);

#endif
