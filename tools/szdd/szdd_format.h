// The "SZDD" format that the platform's LZ expansion (LZOpenFile/LZCopy of
// LZ32) reads, as its COMPRESS tool wrote it: a compressor, and an expander
// of the host's own that the tests and the fuzzer check it with.
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
#ifndef SZDD_FORMAT_H
#define SZDD_FORMAT_H

#include <cstdint>
#include <vector>

// The whole compressed file: header and data. input must be shorter than
// 4 GiB (the header holds a 32-bit length).
std::vector<uint8_t> CompressSzdd(const std::vector<uint8_t>& input, uint8_t replacedCharacter);

// Expands a compressed file as LZ32 does, into output. False when the
// header is not an SZDD header or a reference is cut off by the end of the
// data; the length in the header is not checked (LZ32 does not either).
bool ExpandSzdd(const std::vector<uint8_t>& file, std::vector<uint8_t>& output);

// The expanded length that the header gives.
uint32_t SzddLength(const std::vector<uint8_t>& file);

#endif
