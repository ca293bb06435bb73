#include "shell/text_file.h"

TextReader::TextReader(const char* path)
    : file_(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

bool TextReader::fill()
{
    position_ = 0;
    length_ = 0;
    if (ended_ || !file_) return false;
    if (!ReadFile(file_.get(), buffer_, sizeof buffer_, &length_, nullptr)) {
        failed_ = ended_ = true;
        length_ = 0;
    }
    if (length_ == 0) ended_ = true;
    return length_ != 0;
}

int TextReader::next()
{
    for (;;) {
        if (position_ == length_ && !fill()) return -1;
        char c = buffer_[position_++];
        if (c == '\x1A') {  // the end of a text, as MS-DOS wrote them
            ended_ = true;
            length_ = position_ = 0;
            return -1;
        }
        if (c != '\r') return static_cast<unsigned char>(c);
        // CR LF is one newline; a CR alone stays what it is.
        if (position_ == length_ && !fill()) return '\r';
        if (buffer_[position_] != '\n') return '\r';
    }
}

TextWriter::TextWriter(const char* path)
    : file_(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

bool TextWriter::flush()
{
    DWORD written = 0;
    if (!failed_ && length_ != 0 && (!WriteFile(file_.get(), buffer_, length_, &written, nullptr) || written != length_))
        failed_ = true;
    length_ = 0;
    return !failed_;
}

bool TextWriter::put(const char* text, std::size_t length)
{
    if (!file_) return false;
    for (std::size_t i = 0; i < length && !failed_; ++i) {
        // Room for a CR LF pair.
        if (length_ + 2 > sizeof buffer_ && !flush()) break;
        if (text[i] == '\n') buffer_[length_++] = '\r';
        buffer_[length_++] = text[i];
    }
    return !failed_;
}

bool TextWriter::close()
{
    if (!file_) return false;
    bool complete = flush() && FlushFileBuffers(file_.get());
    complete = CloseHandle(file_.release()) && complete;
    return complete;
}
