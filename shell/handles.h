// Owners for the system's handles: each closes what it holds when it goes
// out of scope, and can be moved but not copied.
#ifndef SETUP_HANDLES_H
#define SETUP_HANDLES_H

#include <windows.h>

#include <lzexpand.h>

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
    // Gives up ownership, for a close whose result matters.
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }
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

// A memory device context (CreateCompatibleDC).
struct MemoryDCTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC dc) { DeleteDC(dc); }
};
using MemoryDC = UniqueHandle<HDC, MemoryDCTraits>;

// A GDI object the program created: a brush, pen or bitmap. Stock objects
// are never put in one. Declare it before the SelectGuard that selects it,
// so that it is deselected before it is deleted.
template <typename Object>
struct GdiObjectTraits {
    static Object Invalid() { return nullptr; }
    static void Close(Object object) { DeleteObject(object); }
};
using Brush = UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>>;
using Pen = UniqueHandle<HPEN, GdiObjectTraits<HPEN>>;
using Bitmap = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;

// Selects an object into a device context for the guard's lifetime, then
// selects back the object it displaced.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectGuard()
    {
        if (previous_ != nullptr) SelectObject(dc_, previous_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The device context of a window's client area (GetDC), released with the
// window it came from.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC()
    {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDC(WindowDC&& other) noexcept
        : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    WindowDC& operator=(WindowDC&&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint for the lifetime of the object, EndPaint at its end.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const { return dc_; }
    // The area to repaint, in client coordinates.
    const RECT& area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// A file opened with CreateFileA.
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE file) { CloseHandle(file); }
};
using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;

// A file opened through the LZ expansion interface. Every failed open gives
// a negative value, held here as the one invalid value -1.
struct LzFileTraits {
    static INT Invalid() { return -1; }
    static void Close(INT file) { LZClose(file); }
};
using LzFile = UniqueHandle<INT, LzFileTraits>;

inline LzFile OpenLzFile(const char* path, WORD style)
{
    OFSTRUCT info = {};
    INT file = LZOpenFileA(const_cast<char*>(path), &info, style);
    return LzFile(file < 0 ? -1 : file);
}

#endif
