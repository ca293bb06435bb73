// The one type for every fixed-width text: a char[N] that is always
// terminated. assign and append cut at N - 1 characters, for values that are
// cut by design (names, descriptions, labels). assignWhole and appendWhole
// refuse a text that does not fit and leave the old one, for paths, which
// are never cut.
#ifndef SETUP_FIXED_TEXT_H
#define SETUP_FIXED_TEXT_H

#include <cstddef>
#include <cstring>

// The work of every width, once in the program rather than once per width.
namespace FixedTextWork {
[[gnu::noinline]] inline std::size_t Length(const char* chars, std::size_t n)
{
    std::size_t used = 0;  // no strnlen: the programs link no C runtime
    while (used < n && chars[used] != '\0') ++used;
    return used;
}

[[gnu::noinline]] inline void Append(char* chars, std::size_t n, const char* s)
{
    std::size_t used = Length(chars, n);
    if (s != nullptr)
        while (used < n - 1 && *s != '\0') chars[used++] = *s++;
    chars[used] = '\0';
}

[[gnu::noinline]] inline bool AppendWhole(char* chars, std::size_t n, const char* s, bool replace)
{
    std::size_t used = replace ? 0 : Length(chars, n);
    if (s == nullptr || used + std::strlen(s) >= n) return false;
    chars[used] = '\0';
    Append(chars, n, s);
    return true;
}
}  // namespace FixedTextWork

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

    std::size_t size() const { return FixedTextWork::Length(chars, N); }
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
        FixedTextWork::Append(chars, N, s);
        return *this;
    }

    bool assignWhole(const char* s) { return FixedTextWork::AppendWhole(chars, N, s, true); }
    bool appendWhole(const char* s) { return FixedTextWork::AppendWhole(chars, N, s, false); }
};

#endif
