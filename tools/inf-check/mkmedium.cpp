// mkmedium: lays out an installation medium from a SETUP.INF and the
// package's files, which lie under their destination names in the payload
// folders (looked for as <folder>/<DirectoryName>/<name>, then
// <folder>/<name>, in the order given). SETUP.EXE and the script lie in the
// medium's root; each file lies in its DirectoryName folder under its source
// name, compressed (SZDD) when that name ends in "_". The script is checked
// first, as inf-check checks it, and nothing is built when it has errors.
//
// With --disk-size BYTES the files are spread over DISK1/, DISK2/ ... in the
// order of the script, each disk filled as far as its size allows (512-byte
// clusters, 224 entries in the root folder, one of them the label), and the
// script's [DiskLabel], [FileCounts] and [DiskN] sections are written to
// match. A disk from the second on is recognised by its first file, so that
// is where the setup program looks when it asks for the disk.
//
// --floppy-images lays out the disks so (of a 1.44 MB floppy when no
// --disk-size is given) and writes beside them DISK1.IMG, DISK2.IMG ...,
// FAT12 images of 1.44 MB floppies labelled by [DiskLabel]. --cd-image writes
// the medium in one folder and beside it OUTPUT_DIR.ISO, an ISO 9660 image
// labelled by the first disk's label. Their names must be ones the image
// holds as they are (images.h); nothing is built otherwise.
//
// A payload folder given with --text holds texts with Unix line ends: they
// are laid out with CR LF, as on a PC. The script is always written so.
//
// The script gets a [Checksums] section after all the others (any section of
// that name it had is replaced): for each source file, the length and CRC-32
// of the bytes the setup program installs from it, which inf-check --medium
// verifies the laid-out medium by. No medium is built whose script, so
// written, Windows 95 would read cut (see medium_script.h).
//
// Usage: mkmedium [--disk-size BYTES] [--floppy-images | --cd-image] SETUP.INF OUTPUT_DIR [--text] PAYLOAD_DIR...
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "checksums.h"
#include "images.h"
#include "medium_script.h"
#include "resources/resource.h"
#include "script_rules.h"
#include "shell/crc32.h"
#include "tools/szdd/szdd_format.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t Cluster = 512;
constexpr int RootEntries = 224 - 1;  // the volume label takes an entry
constexpr uint64_t EntrySize = 32;

std::vector<uint8_t> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

uint64_t Clusters(uint64_t bytes) { return (bytes + Cluster - 1) / Cluster * Cluster; }

// A file of the medium: where it goes below the disk's folder, and its bytes.
struct MediumFile {
    std::string folder;  // "" for the root
    std::string name;
    std::vector<uint8_t> bytes;
    int scriptIndex;     // into ScriptModel::files; -1 for SETUP.EXE and the script
};

// What a disk holds on a FAT floppy: the files' clusters, the clusters of
// each folder's entries ("." and ".." and one per file or folder in it), and
// the root's entries (one per file or folder there).
struct DiskUse {
    std::map<std::string, int> folderEntries;
    uint64_t fileBytes = 0;
    int rootEntries = 0;

    void Add(const MediumFile& file)
    {
        fileBytes += Clusters(file.bytes.size());
        if (file.folder.empty()) {
            ++rootEntries;
        } else {
            AddFolder(file.folder);
            ++folderEntries[file.folder];
        }
    }
    // A folder, and each folder it lies in ("DOCS/EN" is an entry of DOCS).
    void AddFolder(const std::string& folder)
    {
        if (folderEntries.count(folder) != 0) return;
        folderEntries[folder] = 2;
        std::size_t slash = folder.rfind('/');
        if (slash == std::string::npos) {
            ++rootEntries;
        } else {
            AddFolder(folder.substr(0, slash));
            ++folderEntries[folder.substr(0, slash)];
        }
    }
    uint64_t Bytes() const
    {
        uint64_t total = fileBytes;
        for (const auto& f : folderEntries) total += Clusters(f.second * EntrySize);
        return total;
    }
};

bool Fits(const DiskUse& use, const MediumFile& file, uint64_t size)
{
    DiskUse after = use;
    after.Add(file);
    return after.Bytes() <= size && after.rootEntries <= RootEntries;
}

std::string FolderOf(const FileLine& file)
{
    std::string folder = std::string(file.entry.SourceDir);
    std::replace(folder.begin(), folder.end(), '\\', '/');
    return folder == "." ? "" : folder;
}

struct Payload {
    std::string folder;
    bool text;
};

std::vector<uint8_t> WithCrLf(const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) out.push_back('\r');
        out.push_back(bytes[i]);
    }
    return out;
}

// The bytes of a payload file, or false when no folder has it.
bool ReadPayload(const std::vector<Payload>& payloads, const std::string& folder, const std::string& name,
                 std::vector<uint8_t>& bytes)
{
    for (const Payload& payload : payloads) {
        for (const fs::path& candidate : {fs::path(payload.folder) / folder / name, fs::path(payload.folder) / name}) {
            if (fs::is_regular_file(candidate)) {
                bytes = ReadBytes(candidate);
                if (payload.text) bytes = WithCrLf(bytes);
                return true;
            }
        }
    }
    return false;
}

// The label of disk n: the script's own, else the first disk's with its
// number changed ("Zorva Disk 1" -> "Zorva Disk 3").
std::string LabelOf(const ScriptModel& model, int n)
{
    std::string label = model.ini.Value(Text(IDS_DISK_LABEL), Text(IDS_DISK1 + n - 1));
    if (!label.empty()) return label;
    std::string first = model.ini.Value(Text(IDS_DISK_LABEL), Text(IDS_DISK1));
    if (!first.empty() && first.back() == '1') return first.substr(0, first.size() - 1) + std::to_string(n);
    return first + " " + std::to_string(n);
}

// The disk sections of a layout: [DiskLabel], [FileCounts] and [DiskN].
std::string DiskSections(const ScriptModel& model, const std::vector<std::vector<int>>& disks)
{
    std::ostringstream sections;
    sections << "[" << Text(IDS_DISK_LABEL) << "]\r\n";
    for (std::size_t d = 0; d < disks.size(); ++d)
        sections << Text(IDS_DISK1 + d) << "=" << LabelOf(model, static_cast<int>(d + 1)) << "\r\n";
    sections << "\r\n[" << Text(IDS_FILE_COUNTS) << "]\r\n";
    for (std::size_t d = 0; d < disks.size(); ++d) sections << Text(IDS_DISK1 + d) << "=" << disks[d].size() << "\r\n";
    for (std::size_t d = 0; d < disks.size(); ++d) {
        sections << "\r\n[" << Text(IDS_DISK1 + d) << "]\r\n";
        int n = 0;
        for (int index : disks[d]) {
            const FileLine& file = model.files[index];
            const IniKey* key = model.ini.Key(Text(IDS_DISK1 + file.disk - 1), std::to_string(file.number).c_str());
            sections << ++n << "=" << key->value << "\r\n";
        }
    }
    sections << "\r\n";
    return sections.str();
}

// A file line naming SETUP.EXE or SETUP.INF in the root: the very files the
// medium's root holds anyway.
bool IsSetupFile(const MediumFile& f)
{
    return f.folder.empty() && (strcasecmp(f.name.c_str(), "SETUP.EXE") == 0 || strcasecmp(f.name.c_str(), "SETUP.INF") == 0);
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

int Fail(const std::string& message)
{
    std::cerr << "mkmedium: " << message << "\n";
    return 1;
}

// Whether Windows 95 reads the script as written whole; why not on stderr.
// The installed copy is this very file, so it must fit too.
bool ReadWhole(const std::string& written)
{
    std::vector<ProfileBreak> breaks = ProfileBreaks(written, "the medium's SETUP.INF");
    for (const ProfileBreak& b : breaks) Fail(b.message);
    return breaks.empty();
}

// Why the medium's names cannot be on an image of the kind, or "": every
// folder and file name as it is, and on a CD at most 8 levels of folders
// with the root.
std::string NameProblem(const ScriptModel& model, ImageKind kind)
{
    for (const FileLine& line : model.files) {
        const std::string folder = FolderOf(line), name = std::string(line.entry.SourceName);
        std::string rest = folder;
        int depth = 1;
        for (std::size_t slash; !rest.empty(); rest = slash == std::string::npos ? "" : rest.substr(slash + 1)) {
            slash = rest.find('/');
            std::string part = rest.substr(0, slash), problem = ImageNameProblem(part, true, kind);
            if (!problem.empty()) return "the folder \"" + part + "\": " + problem;
            if (++depth > 8 && kind == ImageKind::Cd) return "the folder \"" + folder + "\": a CD holds 8 levels of folders";
        }
        std::string problem = ImageNameProblem(name, false, kind);
        if (!problem.empty()) return "\"" + name + "\": " + problem;
    }
    return "";
}

// The files of a folder medium, or of one disk, as an image holds them.
void AddImageFile(std::vector<ImageFile>& files, const fs::path& root, const std::string& folder, const std::string& name)
{
    files.push_back({(root / folder / name).string(), folder.empty() ? name : folder + "/" + name});
}

}  // namespace

int main(int argc, char** argv)
{
    uint64_t diskSize = 0;
    std::vector<std::string> arguments;
    std::vector<Payload> payloads;
    bool text = false, floppyImages = false, cdImage = false, sizeGiven = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--disk-size") == 0 && i + 1 < argc) {
            diskSize = std::strtoull(argv[++i], nullptr, 10);
            sizeGiven = true;
        } else if (std::strcmp(argv[i], "--floppy-images") == 0) {
            floppyImages = true;
        } else if (std::strcmp(argv[i], "--cd-image") == 0) {
            cdImage = true;
        } else if (std::strcmp(argv[i], "--text") == 0) {
            text = true;
        } else if (arguments.size() < 2) {
            arguments.push_back(argv[i]);
        } else {
            payloads.push_back({argv[i], text});
            text = false;
        }
    }
    if (floppyImages && !sizeGiven) diskSize = FloppyBytes;
    if (payloads.empty() || (sizeGiven && diskSize < Cluster) || (cdImage && (floppyImages || sizeGiven))) {
        std::cerr << "usage: mkmedium [--disk-size BYTES] [--floppy-images | --cd-image] SETUP.INF OUTPUT_DIR [--text] "
                     "PAYLOAD_DIR...\n";
        return 2;
    }
    if (floppyImages && diskSize > FloppyBytes)
        return Fail("a floppy image holds " + std::to_string(FloppyBytes) + " bytes, less than the disk size " +
                    std::to_string(diskSize));
    const std::string script = arguments[0];
    // "OUT/" is the folder OUT, beside which OUT.ISO goes.
    std::string outputName = arguments[1];
    while (outputName.size() > 1 && outputName.back() == '/') outputName.pop_back();
    const fs::path output = outputName, iso = outputName + ".ISO";

    ScriptModel model;
    model.checkChecksums = false;
    model.checkSize = false;
    CheckScript(script, "", model);
    if (PrintFindings(model, script) > 0) return Fail("the script has errors; no medium is built");
    ImageKind imageKind = floppyImages ? ImageKind::Floppy : cdImage ? ImageKind::Cd : ImageKind::None;
    std::string nameProblem = imageKind == ImageKind::None ? "" : NameProblem(model, imageKind);
    if (!nameProblem.empty()) return Fail(nameProblem + "; no medium is built");

    // SETUP.EXE and the script lie in the root of the first disk; a file line
    // that names either is that same file. The script gets no checksum: it
    // cannot record its own.
    std::vector<MediumFile> files;
    ChecksumLines checksums;
    MediumFile setupExe{"", "SETUP.EXE", {}, -1};
    if (!ReadPayload(payloads, "", "SETUP.EXE", setupExe.bytes)) return Fail("SETUP.EXE is in none of the payload folders");
    for (std::size_t i = 0; i < model.files.size(); ++i) {
        const FileLine& line = model.files[i];
        std::string source = std::string(line.entry.SourceName), dest = std::string(line.entry.DestName);
        std::string folder = FolderOf(line);
        std::string where = script + ":" + std::to_string(line.line) + ": ";
        if (folder.empty() && (strcasecmp(source.c_str(), "SETUP.EXE") == 0 || strcasecmp(source.c_str(), "SETUP.INF") == 0)) {
            if (line.disk != 1 && diskSize == 0) return Fail(source + " must be a file of the first disk");
            files.push_back({"", source, {}, static_cast<int>(i)});  // placed with the first disk's root
            std::string clash = IsScriptItself(ChecksumKey(line)) ? "" : checksums.Add(line, ChecksumOf(setupExe.bytes));
            if (!clash.empty()) return Fail(where + clash);
            continue;
        }
        std::vector<uint8_t> bytes;
        if (!ReadPayload(payloads, folder, dest, bytes)) return Fail(where + dest + " is in none of the payload folders");
        std::string clash = checksums.Add(line, ChecksumOf(bytes));
        if (!clash.empty()) return Fail(where + clash);
        if (!source.empty() && source.back() == '_') {
            std::size_t dot = dest.rfind('.');
            uint8_t replaced = dot != std::string::npos && dest.size() - dot - 1 >= 3 ? static_cast<uint8_t>(dest.back()) : 0;
            bytes = CompressSzdd(bytes, replaced);
        }
        files.push_back({folder, source, std::move(bytes), static_cast<int>(i)});
    }

    std::error_code ignored;
    fs::remove_all(output, ignored);
    if (cdImage) fs::remove(iso, ignored);
    if (diskSize == 0) {
        // One medium, as the script lays it out.
        std::string written = RewriteScript(script, "", checksums.text);
        if (!ReadWhole(written)) return 1;
        if (!WriteBytes(output / "SETUP.EXE", setupExe.bytes) || !WriteBytes(output / "SETUP.INF", Bytes(written)))
            return Fail("cannot write " + output.string());
        std::vector<ImageFile> onCd;
        AddImageFile(onCd, output, "", "SETUP.EXE");
        AddImageFile(onCd, output, "", "SETUP.INF");
        for (const MediumFile& f : files) {
            if (IsSetupFile(f)) continue;
            if (!WriteBytes(output / f.folder / f.name, f.bytes))
                return Fail("cannot write " + (output / f.folder / f.name).string());
            AddImageFile(onCd, output, f.folder, f.name);
        }
        std::cout << "mkmedium: " << files.size() << " files in " << output.string() << "\n";
        if (!cdImage) return 0;
        std::string label = ImageLabel(LabelOf(model, 1), ImageKind::Cd), error;
        if (!WriteCdImage(iso.string(), onCd, label, error)) return Fail(error);
        std::cout << "mkmedium: " << iso.string() << ", a CD image labelled \"" << label << "\" ("
                  << (fs::file_size(iso, ignored) + 1023) / 1024 << " KB)\n";
        return 0;
    }

    // Disks: the script is rewritten until its own size on disk 1 agrees
    // with the layout it describes (it grows with the disks' sections).
    std::vector<std::vector<int>> disks;
    std::string rewritten = RewriteScript(script, DiskSections(model, {{}}), checksums.text);
    for (int attempt = 0; attempt < 4; ++attempt) {
        disks.assign(1, {});
        DiskUse use;
        use.Add(setupExe);
        use.Add({"", "SETUP.INF", std::vector<uint8_t>(rewritten.size()), -1});
        if (use.Bytes() > diskSize) return Fail("SETUP.EXE and SETUP.INF alone do not fit a disk of " + std::to_string(diskSize) + " bytes");
        for (const MediumFile& f : files) {
            if (IsSetupFile(f)) {
                disks[0].push_back(f.scriptIndex);  // already counted on disk 1
                continue;
            }
            DiskUse alone;
            if (!Fits(alone, f, diskSize))
                return Fail(script + ":" + std::to_string(model.files[f.scriptIndex].line) + ": " + f.name + " (" +
                            std::to_string(f.bytes.size()) + " bytes on the medium) is larger than a disk of " +
                            std::to_string(diskSize) + " bytes");
            if (!Fits(use, f, diskSize)) {
                // A file that the setup program copies from the first disk's
                // root must stay there, so disks only follow the first.
                disks.emplace_back();
                use = DiskUse();
            }
            use.Add(f);
            disks.back().push_back(f.scriptIndex);
        }
        if (disks.size() > static_cast<std::size_t>(MaxDisks))
            return Fail("the files need " + std::to_string(disks.size()) + " disks; the program reads at most " + std::to_string(MaxDisks));
        std::string next = RewriteScript(script, DiskSections(model, disks), checksums.text);
        bool settled = Clusters(next.size()) == Clusters(rewritten.size());
        rewritten = next;
        if (settled) break;
    }

    if (!ReadWhole(rewritten)) return 1;
    std::vector<std::vector<ImageFile>> onFloppy(disks.size());
    for (std::size_t d = 0; d < disks.size(); ++d) {
        fs::path disk = output / ("DISK" + std::to_string(d + 1));
        fs::create_directories(disk);
        if (d == 0 && (!WriteBytes(disk / "SETUP.EXE", setupExe.bytes) || !WriteBytes(disk / "SETUP.INF", Bytes(rewritten))))
            return Fail("cannot write " + disk.string());
        if (d == 0) AddImageFile(onFloppy[d], disk, "", "SETUP.EXE"), AddImageFile(onFloppy[d], disk, "", "SETUP.INF");
        for (int index : disks[d]) {
            for (const MediumFile& f : files) {
                if (f.scriptIndex != index || IsSetupFile(f)) continue;
                if (!WriteBytes(disk / f.folder / f.name, f.bytes)) return Fail("cannot write " + (disk / f.folder / f.name).string());
                AddImageFile(onFloppy[d], disk, f.folder, f.name);
            }
        }
    }
    std::cout << "mkmedium: " << files.size() << " files on " << disks.size() << (disks.size() == 1 ? " disk" : " disks")
              << " of " << diskSize << " bytes\n";
    for (std::size_t d = 0; floppyImages && d < disks.size(); ++d) {
        const std::string image = (output / ("DISK" + std::to_string(d + 1) + ".IMG")).string();
        const std::string label = ImageLabel(LabelOf(model, static_cast<int>(d + 1)), ImageKind::Floppy);
        // A serial number of its own for each disk of each package: Windows
        // tells by it that the disk in the drive was changed.
        std::string named = label + "/" + std::to_string(d + 1) + "/" + rewritten;
        std::string error;
        if (!WriteFloppyImage(image, onFloppy[d], label, Crc32(0, named.data(), named.size()), error)) return Fail(error);
        std::cout << "mkmedium: " << image << ", a 1.44 MB floppy image labelled \"" << label << "\"\n";
    }
    return 0;
}
