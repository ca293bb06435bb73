#include "tests/support/files.h"

#include <windows.h>

#include <cstdio>

bool WriteTextFile(const std::string& path, const std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool whole = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && whole;
}

std::string ReadTextFile(const std::string& path)
{
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return text;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
    std::fclose(file);
    return text;
}

std::string WindowsDirectory()
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}

std::string SystemDirectory()
{
    char path[MAX_PATH];
    GetSystemDirectoryA(path, sizeof path);
    return path;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// The record's lines as (section, key, value), in order.
struct RecordLine {
    std::string section, key, value;
};

std::vector<RecordLine> RecordLines(const std::string& folder)
{
    std::vector<RecordLine> lines;
    std::string text = ReadTextFile(folder + "\\SETUP.REC");
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t close = line.find("] "), equals = line.find('=', close);
        if (line.empty() || line[0] != '[' || close == std::string::npos || equals == std::string::npos) continue;
        lines.push_back({line.substr(1, close - 1), line.substr(close + 2, equals - close - 2), line.substr(equals + 1)});
    }
    return lines;
}

bool SameText(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

}  // namespace

std::string RecordedIn(const std::string& folder, const std::string& section, const std::string& key)
{
    for (const RecordLine& line : RecordLines(folder))
        if (line.section == section && SameText(line.key, key)) return line.value;
    return "<none>";
}

std::vector<std::string> RecordedKeysIn(const std::string& folder, const std::string& section)
{
    std::vector<std::string> keys;
    for (const RecordLine& line : RecordLines(folder)) {
        bool known = false;
        for (const std::string& key : keys) known = known || SameText(key, line.key);
        if (line.section == section && !known) keys.push_back(line.key);
    }
    return keys;
}

void AddToRecord(const std::string& folder, const std::string& section, const std::string& key,
                 const std::string& value)
{
    std::string path = folder + "\\SETUP.REC";
    WriteTextFile(path, ReadTextFile(path) + "[" + section + "] " + key + "=" + value + "\r\n");
}
