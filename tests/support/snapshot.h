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

#endif
