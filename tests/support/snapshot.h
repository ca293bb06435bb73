// A PC's state by name, for comparing it before and after a run: files and
// folders (AddFiles) and registry trees (AddRegistryTree).
#ifndef SETUP_TEST_SNAPSHOT_H
#define SETUP_TEST_SNAPSHOT_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/registry.h"

using Snapshot = std::map<std::string, std::string>;

enum class FileView {
    Bytes,    // a file's bytes, or its size when it is large
    Stamped,  // its size and the time of its last write: cheap for a whole drive
};

// Every file and folder ("<folder>") in a folder, and below it when deep,
// but for the paths skipped (compared without regard to case).
inline void AddFiles(Snapshot& shot, const std::string& folder, const std::vector<std::string>& skipped,
                     FileView view = FileView::Bytes, bool deep = true)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName, path = folder + "\\" + name;
        if (name == "." || name == "..") continue;
        bool skip = false;
        for (const std::string& s : skipped) skip = skip || lstrcmpiA(path.c_str(), s.c_str()) == 0;
        if (skip) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            shot[path] = "<folder>";
            if (deep) AddFiles(shot, path, skipped, view);
        } else if (view == FileView::Stamped || found.nFileSizeLow >= 65536) {
            shot[path] = std::to_string(found.nFileSizeLow) + " " + std::to_string(found.ftLastWriteTime.dwLowDateTime) +
                         " " + std::to_string(found.ftLastWriteTime.dwHighDateTime);
        } else {
            shot[path] = ReadTextFile(path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// What differs, one line each: "+ x" is new, "- x" is gone, "~ x" differs.
inline std::string Differences(const Snapshot& before, const Snapshot& after)
{
    std::string lines;
    for (const auto& [name, value] : before) {
        auto now = after.find(name);
        if (now == after.end()) lines += "- " + name + "\n";
        else if (now->second != value) lines += "~ " + name + "\n";
    }
    for (const auto& [name, value] : after)
        if (before.count(name) == 0) lines += "+ " + name + "\n";
    return lines;
}

// Puts the PC back as before holds it, now being what it holds instead:
// what is new goes (deepest first), what changed or went comes back (parents
// first). A file comes back by its bytes, so only one held by them can.
inline void RestoreSnapshot(const Snapshot& before, const Snapshot& now)
{
    // "HKLM\\path" is a key, "HKLM\\path \"name\"" one of its values.
    auto registry = [](const std::string& label, HKEY& root, std::string& path, std::string& value) {
        if (label.compare(0, 5, "HKLM\\") != 0 && label.compare(0, 5, "HKCR\\") != 0) return false;
        root = label[2] == 'L' ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
        size_t quote = label.back() == '"' ? label.find(" \"") : std::string::npos;
        path = label.substr(5, quote == std::string::npos ? std::string::npos : quote - 5);
        value = quote == std::string::npos ? "" : label.substr(quote + 2, label.size() - quote - 3);
        return true;
    };
    HKEY root;
    std::string path, name;
    for (auto at = now.rbegin(); at != now.rend(); ++at) {
        if (before.count(at->first) != 0) continue;
        if (!registry(at->first, root, path, name)) {
            SetFileAttributesA(at->first.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (at->second == "<folder>") RemoveDirectoryA(at->first.c_str());
            else DeleteFileA(at->first.c_str());
        } else if (at->second == "<key>") {
            DeleteTree(root, path);
        } else if (HKEY key; RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, name.c_str());
            RegCloseKey(key);
        }
    }
    for (const auto& [label, value] : before) {
        auto at = now.find(label);
        if (at != now.end() && at->second == value) continue;
        if (!registry(label, root, path, name)) {
            if (value == "<folder>") CreateDirectoryA(label.c_str(), nullptr);
            else WriteTextFile(label, value);
        } else if (value == "<key>") {
            CreateKey(root, path);
        } else if (HKEY key; RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                             nullptr) == ERROR_SUCCESS) {
            size_t colon = value.find(':');  // "type:data"
            RegSetValueExA(key, name.c_str(), 0, std::stoul(value.substr(0, colon)),
                           reinterpret_cast<const BYTE*>(value.data() + colon + 1),
                           static_cast<DWORD>(value.size() - colon - 1));
            RegCloseKey(key);
        }
    }
}

#endif
