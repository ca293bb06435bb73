// Registry helpers of the tests and of WIN98PC.EXE: seeding keys as a
// Windows 98 PC has them and reading back what the program wrote.
#ifndef SETUP_TEST_REGISTRY_H
#define SETUP_TEST_REGISTRY_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// A value as stored; present is false when there is none.
struct StoredValue {
    bool present = false;
    DWORD type = 0;
    std::string data;  // the raw bytes, terminator included
};

inline StoredValue ReadStored(HKEY root, const std::string& path, const char* name)
{
    StoredValue value;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return value;
    char data[1024];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) {
        value.present = true;
        value.data.assign(data, size);
    }
    RegCloseKey(key);
    return value;
}

// A REG_SZ value's text; "<absent>" or "<type N>" when it is not one.
inline std::string TextOf(HKEY root, const std::string& path, const char* name)
{
    StoredValue value = ReadStored(root, path, name);
    if (!value.present) return "<absent>";
    if (value.type != REG_SZ) return "<type " + std::to_string(value.type) + ">";
    if (value.data.empty() || value.data.back() != '\0') return "<no terminator>";
    return value.data.substr(0, value.data.size() - 1);
}

inline bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

inline bool SetText(HKEY root, const std::string& path, const char* name, const std::string& text)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// The 4-byte flags that Windows 98 keeps as binary zeros.
inline bool SetZeroFlags(HKEY root, const std::string& path, const char* name)
{
    static const BYTE zeros[4] = {};
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, name, 0, REG_BINARY, zeros, sizeof zeros);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

inline bool CreateKey(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The names of a key's subkeys, in the registry's order.
inline std::vector<std::string> SubkeyNames(HKEY root, const std::string& path)
{
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    RegCloseKey(key);
    return names;
}

// Deletes a key with everything below it (Windows 98 has no such call).
inline void DeleteTree(HKEY root, const std::string& path)
{
    for (const std::string& n : SubkeyNames(root, path)) DeleteTree(root, path + "\\" + n);
    RegDeleteKeyA(root, path.c_str());
}

// Every key and value below a key, as text by name ("HKLM\\path" for a key,
// "HKLM\\path \"name\"" for a value), for comparing the registry before
// and after a run.
inline void AddRegistryTree(std::map<std::string, std::string>& state, HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    const std::string label = (root == HKEY_CLASSES_ROOT ? "HKCR\\" : "HKLM\\") + path;
    state[label] = "<key>";
    char name[256];
    std::vector<BYTE> data(4096);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name, dataSize = static_cast<DWORD>(data.size()), type = 0;
        LONG result = RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data.data(), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) continue;
        state[label + " \"" + name + "\""] =
            std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data.data()), dataSize);
    }
    RegCloseKey(key);
    for (const std::string& subkey : SubkeyNames(root, path)) AddRegistryTree(state, root, path + "\\" + subkey);
}

#endif
