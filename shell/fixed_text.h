// The one type for every fixed-width text: a char[N] that is always
// terminated. assign and append cut at N - 1 characters, for values that are
// cut by design (names, descriptions, labels). assignWhole and appendWhole
// refuse a text that does not fit and leave the old one, for paths, which
// are never cut.
#ifndef SETUP_FIXED_TEXT_H
#define SETUP_FIXED_TEXT_H

#include <cstddef>
#include <cstring>

template <std::size_t N>
struct FixedText {
    static_assert(N >= 1, "a text needs room for its terminator");
    static constexpr std::size_t Capacity = N;

    // Zero-filled, so a record in a zero-filled block holds empty texts.
    char chars[N] = {};

    char* data() { return chars; }
    const char* c_str() const { return chars; }
    operator const char*() const { return chars; }
    // Both index types, so that text[1] does not compete with the conversion.
    char& operator[](std::size_t i) { return chars[i]; }
    char operator[](std::size_t i) const { return chars[i]; }
    char& operator[](int i) { return chars[i]; }
    char operator[](int i) const { return chars[i]; }

    std::size_t size() const
    {
        std::size_t n = 0;  // no strnlen: the msvcrt.dll of Windows 95 lacks it
        while (n < N && chars[n] != '\0') ++n;
        return n;
    }
    bool empty() const { return chars[0] == '\0'; }
    void clear() { chars[0] = '\0'; }

    // Ends the text after n characters (no effect when it is shorter).
    void truncate(std::size_t n)
    {
        if (n < N) chars[n] = '\0';
    }

    FixedText& assign(const char* s)
    {
        clear();
        return append(s);
    }

    FixedText& append(const char* s)
    {
        std::size_t used = size();
        if (s == nullptr) return *this;
        while (used < N - 1 && *s != '\0') chars[used++] = *s++;
        chars[used] = '\0';
        return *this;
    }

    bool assignWhole(const char* s)
    {
        if (s == nullptr || std::strlen(s) >= N) return false;
        return assign(s), true;
    }

    bool appendWhole(const char* s)
    {
        if (s == nullptr || size() + std::strlen(s) >= N) return false;
        return append(s), true;
    }
};

#endif
