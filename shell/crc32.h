// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320), over
// bytes that may come in pieces. Pure C++, so the host's medium builder and
// checker compute the very same sums the program does.
#ifndef SETUP_CRC32_H
#define SETUP_CRC32_H

#include <cstddef>
#include <cstdint>

// The sum so far (0 before the first piece) carried over size more bytes.
uint32_t Crc32(uint32_t sum, const void* data, std::size_t size);

#endif
