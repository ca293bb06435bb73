#include "shell/text_buffer.h"

#include <cstring>

#include "shell/memory.h"

TextBuffer::~TextBuffer()
{
    FreeBlock(text_);
}

bool TextBuffer::append(const char* piece, std::size_t n)
{
    if (length_ + n + 1 > capacity_) {
        std::size_t capacity = capacity_ != 0 ? capacity_ : 256;
        while (capacity < length_ + n + 1) {
            if (capacity > 0x10000000) return false;
            capacity *= 2;
        }
        char* grown = static_cast<char*>(AllocBlock(capacity));
        if (grown == nullptr) return false;
        if (length_ != 0) std::memcpy(grown, text_, length_);
        FreeBlock(text_);
        text_ = grown;
        capacity_ = capacity;
    }
    std::memcpy(text_ + length_, piece, n);
    length_ += n;
    text_[length_] = '\0';
    return true;
}
