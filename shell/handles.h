// Owners for the system's handles: each closes what it holds when it goes
// out of scope, and can be moved but not copied.
#ifndef SETUP_HANDLES_H
#define SETUP_HANDLES_H

#include <windows.h>

#include <utility>

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : handle_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) reset(std::exchange(other.handle_, Traits::Invalid()));
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return valid(); }
    // For calls that fill in a handle: closes the old one first.
    Handle* receive()
    {
        reset();
        return &handle_;
    }
    void reset(Handle h = Traits::Invalid())
    {
        if (valid()) Traits::Close(handle_);
        handle_ = h;
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};
using RegKey = UniqueHandle<HKEY, RegKeyTraits>;

#endif
