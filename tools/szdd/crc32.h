// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320, start
// and final XOR 0xFFFFFFFF): the checksum SETUP.INF records of each file.
// Pure C++ without the platform, so that the setup program and the host
// tools compute it with the same code.
#ifndef SZDD_CRC32_H
#define SZDD_CRC32_H

#include <cstddef>
#include <cstdint>

// The CRC-32 of the bytes that came before (0 for none) continued over n
// more bytes: Crc32(Crc32(0, a, na), b, nb) is the CRC-32 of a followed by b,
// so a file can be checked in pieces as it is read. Crc32(0, "123456789", 9)
// is 0xCBF43926.
uint32_t Crc32(uint32_t crc, const void* data, std::size_t n);

#endif
