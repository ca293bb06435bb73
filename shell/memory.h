// Blocks of memory from the system's own allocator: the program links no
// C runtime, so there is no malloc.
#ifndef SETUP_MEMORY_H
#define SETUP_MEMORY_H

#include <windows.h>

#include <cstddef>

// A fixed block of size bytes, or null when the memory is not there.
inline void* AllocBlock(std::size_t size)
{
    return GlobalAlloc(GMEM_FIXED, size);
}

// Takes null too.
inline void FreeBlock(void* block)
{
    if (block != nullptr) GlobalFree(block);
}

#endif
