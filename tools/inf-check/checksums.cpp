#include "checksums.h"

#include <cctype>
#include <cstdio>
#include <strings.h>

#include "shell/crc32.h"
#include "tools/szdd/szdd_format.h"

const char* const ChecksumsSection = "Checksums";

namespace {

std::string Hex8(uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

Checksum ChecksumOf(const std::vector<uint8_t>& bytes)
{
    return {bytes.size(), Crc32(0, bytes.data(), bytes.size())};
}

std::string ChecksumText(const Checksum& sum)
{
    return std::to_string(sum.length) + "," + Hex8(sum.crc);
}

bool ParseChecksum(const std::string& value, Checksum& sum)
{
    std::size_t comma = value.find(',');
    if (comma == std::string::npos || comma == 0 || comma > 10 || value.size() != comma + 1 + 8) return false;
    uint64_t length = 0;
    for (std::size_t i = 0; i < comma; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(value[i]))) return false;
        length = length * 10 + static_cast<uint64_t>(value[i] - '0');
    }
    if (length > 0xFFFFFFFFu) return false;
    uint32_t crc = 0;
    for (std::size_t i = comma + 1; i < value.size(); ++i) {
        char c = value[i];
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
        crc = crc << 4 | static_cast<uint32_t>(digit);
    }
    sum = {length, crc};
    return true;
}

std::string ChecksumKey(const FileLine& file)
{
    std::string folder = std::string(file.entry.SourceDir), name = std::string(file.entry.SourceName);
    return folder.empty() || folder == "." ? name : folder + "\\" + name;
}

bool IsScriptItself(const std::string& key) { return strcasecmp(key.c_str(), "SETUP.INF") == 0; }

bool InstalledBytes(const std::vector<uint8_t>& onMedium, bool compressed, std::vector<uint8_t>& installed)
{
    if (!compressed) {
        installed = onMedium;
        return true;
    }
    return ExpandSzdd(onMedium, installed);
}

std::string ChecksumLines::Add(const FileLine& file, const Checksum& sum)
{
    std::string key = ChecksumKey(file), upper = key;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (sum.length > 0xFFFFFFFFu) return key + " is 4 GiB or larger";
    auto found = recorded.find(upper);
    if (found == recorded.end()) {
        recorded[upper] = {sum, file.line};
        text += key + "=" + ChecksumText(sum) + "\r\n";
    } else if (found->second.first.length != sum.length || found->second.first.crc != sum.crc) {
        return key + " is also the source of line " + std::to_string(found->second.second) +
               ", with other contents: one path on the medium holds one file";
    }
    return "";
}

std::string WidestChecksums(const ScriptModel& model)
{
    ChecksumLines lines;
    for (const FileLine& file : model.files)
        if (!IsScriptItself(ChecksumKey(file))) lines.Add(file, {0xFFFFFFFFu, 0});
    return lines.text;
}

void CheckChecksumLines(ScriptModel& model)
{
    // Every section of the name: the profile functions find a key in any.
    for (const IniSection& section : model.ini.sections) {
        if (strcasecmp(section.name.c_str(), ChecksumsSection) != 0) continue;
        for (const IniKey& key : section.keys) {
            Checksum sum;
            if (key.value.empty())
                model.Report(key.line, true,
                             "\"" + key.name + "\" is not a line <source>=<length>,<crc>; nothing is checked by it");
            else if (!ParseChecksum(key.value, sum))
                model.Report(key.line, true,
                             "the checksum of " + key.name + ", \"" + key.value +
                                 "\", is not <length>,<crc>: a decimal byte count below 4 GiB and 8 hex digits");
        }
    }
}

void CheckFileChecksum(ScriptModel& model, const FileLine& file, const std::vector<uint8_t>& onMedium, bool compressed)
{
    std::string key = ChecksumKey(file);
    if (IsScriptItself(key)) return;
    const IniKey* line = model.ini.Key(ChecksumsSection, key.c_str());
    if (line == nullptr) {
        model.Report(file.line, false,
                     key + " has no line in [" + ChecksumsSection + "]: damage to it on the medium cannot be detected");
        return;
    }
    Checksum recorded;
    if (!ParseChecksum(line->value, recorded)) return;  // its form is reported on its own line
    std::vector<uint8_t> installed;
    if (!InstalledBytes(onMedium, compressed, installed)) {
        model.Report(file.line, true, key + " on the medium is damaged: its compressed data breaks off inside a reference");
        return;
    }
    Checksum actual = ChecksumOf(installed);
    if (actual.length != recorded.length || actual.crc != recorded.crc)
        model.Report(file.line, true,
                     key + " on the medium is damaged: " + std::to_string(actual.length) + " bytes with checksum " +
                         Hex8(actual.crc) + ", the script records " + std::to_string(recorded.length) +
                         " bytes with checksum " + Hex8(recorded.crc));
}
