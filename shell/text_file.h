// Text files read and written through the system's own file calls, as the
// C library's text mode has them: CR LF reads as LF, LF is written as
// CR LF, and a Ctrl-Z ends what is read.
#ifndef SETUP_TEXT_FILE_H
#define SETUP_TEXT_FILE_H

#include <windows.h>

#include <cstddef>

#include "shell/handles.h"

class TextReader {
public:
    // Opened for reading, shared with other readers and writers.
    explicit TextReader(const char* path);
    bool opened() const { return file_.valid(); }
    // The next character, or -1 at the end of the text or on a read error,
    // which failed() then tells.
    int next();
    bool failed() const { return failed_; }

private:
    bool fill();
    FileHandle file_;
    char buffer_[4096];
    DWORD length_ = 0, position_ = 0;
    bool ended_ = false, failed_ = false;
};

class TextWriter {
public:
    // Created, or emptied when it is there.
    explicit TextWriter(const char* path);
    ~TextWriter() { close(); }
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;
    bool opened() const { return file_.valid(); }
    // False once a write failed; everything after it is dropped.
    bool put(const char* text, std::size_t length);
    // Writes what is buffered and puts it on the disk (a power cut after a
    // rename must not find the new file empty); true when every byte was
    // written. A later call (the destructor's) finds it closed: false.
    bool close();

private:
    bool flush();
    FileHandle file_;
    char buffer_[4096];
    DWORD length_ = 0;
    bool failed_ = false;
};

#endif
