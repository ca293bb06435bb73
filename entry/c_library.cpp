// The few C library functions SETUP.EXE and UNINSTAL.EXE use, linked into
// them: msvcrt.dll came with later releases of Windows and with other
// programs, and a retail Windows 95 PC without it refuses to load a program
// that imports it. The compiler also calls memcpy, memmove and memset by
// these names for copies and fills of its own. They have the meanings of
// the "C" locale: bytes compared as unsigned characters, no code page.
//
// Built with -ffreestanding: otherwise the compiler would see the loops
// below for what they are and call the very functions they implement.
// Only the two programs and the sample's companions link this file; the
// test executables keep their own C runtime, whose functions mean the same.
#include <cstddef>

extern "C" {

void* memcpy(void* to, const void* from, std::size_t n)
{
    auto* d = static_cast<unsigned char*>(to);
    auto* s = static_cast<const unsigned char*>(from);
    while (n-- != 0) *d++ = *s++;
    return to;
}

void* memmove(void* to, const void* from, std::size_t n)
{
    auto* d = static_cast<unsigned char*>(to);
    auto* s = static_cast<const unsigned char*>(from);
    if (d <= s || d >= s + n) return memcpy(to, from, n);
    while (n-- != 0) d[n] = s[n];  // overlapping, the destination above: from the end
    return to;
}

void* memset(void* to, int value, std::size_t n)
{
    auto* d = static_cast<unsigned char*>(to);
    while (n-- != 0) *d++ = static_cast<unsigned char>(value);
    return to;
}

int memcmp(const void* a, const void* b, std::size_t n)
{
    auto* x = static_cast<const unsigned char*>(a);
    auto* y = static_cast<const unsigned char*>(b);
    for (; n != 0; --n, ++x, ++y)
        if (*x != *y) return *x < *y ? -1 : 1;
    return 0;
}

std::size_t strlen(const char* text)
{
    const char* end = text;
    while (*end != '\0') ++end;
    return static_cast<std::size_t>(end - text);
}

// A search for the zero finds the end, as the standard says.
char* strchr(const char* text, int c)
{
    for (;; ++text) {
        if (*text == static_cast<char>(c)) return const_cast<char*>(text);
        if (*text == '\0') return nullptr;
    }
}

int strncmp(const char* a, const char* b, std::size_t n)
{
    for (; n != 0; --n, ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
    return 0;
}

int strcmp(const char* a, const char* b)
{
    return strncmp(a, b, static_cast<std::size_t>(-1));
}

char* strstr(const char* text, const char* part)
{
    std::size_t length = strlen(part);
    for (;; ++text) {
        if (strncmp(text, part, length) == 0) return const_cast<char*>(text);
        if (*text == '\0') return nullptr;
    }
}

}  // extern "C"
