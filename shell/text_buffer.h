#ifndef SETUP_TEXT_BUFFER_H
#define SETUP_TEXT_BUFFER_H

#include <cstddef>

// A text of any length, grown as it comes, always ended by a zero: a line
// of a text file (tested whole, so a piece of a long line can never pass
// for another), or lines of a profile section.
class TextBuffer {
public:
    TextBuffer() = default;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;
    ~TextBuffer();

    const char* c_str() const { return text_ != nullptr ? text_ : ""; }
    std::size_t length() const { return length_; }
    // The text to change in place (its length stays); null while empty.
    char* data() { return length_ != 0 ? text_ : nullptr; }
    void clear()
    {
        length_ = 0;
        if (text_ != nullptr) text_[0] = '\0';
    }

    // False when the memory is not available; the text is then incomplete.
    bool append(const char* piece, std::size_t n);

private:
    char* text_ = nullptr;
    std::size_t length_ = 0;
    std::size_t capacity_ = 0;
};

#endif
