// Reading and writing the registry values of the system configuration.
#ifndef SETUP_REGISTRY_VALUES_H
#define SETUP_REGISTRY_VALUES_H

#include <windows.h>

#include <cstring>

#include "shell/fixed_text.h"
#include "shell/handles.h"

inline RegKey OpenRegistryKey(HKEY root, const char* path)
{
    RegKey key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS) key.reset();
    return key;
}

// Creates the key, or opens it when it exists.
inline RegKey CreateRegistryKey(HKEY root, const char* path)
{
    RegKey key;
    if (RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.receive(),
                        nullptr) != ERROR_SUCCESS)
        key.reset();
    return key;
}

// Every value the installation writes is written here, and logged with
// what it held before, under the key the last LogKey named.
void SetValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size);
void LogKey(HKEY root, const char* path);

// A text value with its terminator. A null name sets the key's unnamed value.
inline void SetTextValue(HKEY key, const char* name, const char* text)
{
    SetValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text) + 1));
}

// The flag values are four zero bytes.
inline void SetZeroFlags(HKEY key, const char* name)
{
    static const BYTE zero[4] = {};
    SetValue(key, name, REG_BINARY, zero, sizeof zero);
}

// Reads a value into a text of N bytes. A value that is absent, unreadable
// or too long for the text with its terminator reads as the empty text; the
// type is not examined.
template <std::size_t N>
void ReadTextValue(HKEY key, const char* name, FixedText<N>& out)
{
    char data[N];
    DWORD size = N;
    out.clear();
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return;
    if (size > 0 && data[size - 1] == '\0') --size;
    if (size >= N) return;  // stored without a terminator and no room for one
    data[size] = '\0';
    out.assign(data);
}

#endif
