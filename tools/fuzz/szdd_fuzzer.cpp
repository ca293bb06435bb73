// The SZDD compressor: what it writes expands, by the host's own expander
// written from the format's description, to exactly its input, and the
// header gives that length. The expander itself must survive any file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tools/szdd/szdd_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::vector<uint8_t> input(data, data + size);
    std::vector<uint8_t> file = CompressSzdd(input, 'E');
    std::vector<uint8_t> expanded;
    if (!ExpandSzdd(file, expanded) || expanded != input || SzddLength(file) != size) std::abort();

    // The input read as a compressed file: any result, but no crash.
    std::vector<uint8_t> header = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0, 0, 0, 0, 0};
    header.insert(header.end(), data, data + size);
    ExpandSzdd(header, expanded);
    return 0;
}
