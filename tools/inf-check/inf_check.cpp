// inf-check: reads a SETUP.INF as the setup program does and reports, in the
// form compilers use, what the program would silently do with a mistake.
// With --medium, the medium too: a folder (or one of floppies DISK1/,
// DISK2/ ...), or an image mkmedium wrote: a floppy image (DISK1.IMG with
// the other DISKn.IMG beside it, or one on its own) or a CD image, read out
// with the tools that wrote it. An image's own SETUP.INF is checked when no
// script is named, and its files are named "IMAGE::PATH".
// Usage: inf-check [--medium DIR] SETUP.INF
//        inf-check --medium IMAGE [SETUP.INF]
// Exit status 1 when there is an error, 2 on wrong usage or an image that
// cannot be read.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <strings.h>

#include "images.h"
#include "script_rules.h"

namespace fs = std::filesystem;

namespace {

// The number n of an image named DISKn.IMG (in any case); 0 for another name.
int DiskNumber(const fs::path& image)
{
    std::string name = image.filename().string();
    if (name.size() != 9 || strncasecmp(name.c_str(), "DISK", 4) != 0 || strcasecmp(name.c_str() + 5, ".IMG") != 0 ||
        name[4] < '1' || name[4] > '6')
        return 0;
    return name[4] - '0';
}

// A temporary folder, removed with all it holds at the end of its scope.
struct TemporaryFolder {
    std::string path;
    TemporaryFolder()
    {
        char name[] = "/tmp/inf-check.XXXXXX";
        if (mkdtemp(name) != nullptr) path = name;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
};

// Reads the medium of an image out into folder: a CD as a folder medium,
// floppies as DISK1/, DISK2/ ..., the set of DISKn.IMG beside a DISK1.IMG.
// How the read-out paths are named in findings goes into model.
bool ReadMedium(const fs::path& image, ImageKind kind, const std::string& folder, ScriptModel& model)
{
    std::string error;
    if (kind == ImageKind::Cd) {
        model.shownPath = [=](const std::string& path) { return image.string() + "::" + path.substr(folder.size() + 1); };
        if (ReadImage(image.string(), kind, folder, error)) return true;
    } else {
        // DISKn.IMG of a set is disk n; the set is the images from DISK1.IMG on.
        bool set = DiskNumber(image) != 0;
        model.shownPath = [=](const std::string& path) {
            std::string disk = path.substr(folder.size() + 1, 5), rest = path.substr(folder.size() + 7);
            return (set ? (image.parent_path() / (disk + ".IMG")).string() : image.string()) + "::" + rest;
        };
        for (int n = 1; n <= 6; ++n) {
            fs::path disk = set ? image.parent_path() / ("DISK" + std::to_string(n) + ".IMG") : image;
            if (n > 1 && (!set || !fs::is_regular_file(disk))) return true;
            if (!ReadImage(disk.string(), kind, folder + "/DISK" + std::to_string(n), error)) break;
        }
        if (error.empty()) return true;
    }
    std::cerr << "inf-check: " << image.string() << " cannot be read: " << error << "\n";
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string medium, script;
    bool wrong = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--medium") == 0 && i + 1 < argc) medium = argv[++i];
        else if (script.empty() && argv[i][0] != '-') script = argv[i];
        else wrong = true;
    }
    ImageKind kind = !medium.empty() && fs::is_regular_file(medium) ? KindOfImage(medium) : ImageKind::None;
    if (!wrong && !medium.empty() && !fs::is_directory(medium) && kind == ImageKind::None) {
        std::cerr << "inf-check: " << medium << " is neither a folder nor a floppy or CD image\n";
        return 2;
    }
    if (wrong || (script.empty() && kind == ImageKind::None)) {
        std::cerr << "usage: inf-check [--medium DIR] SETUP.INF\n       inf-check --medium IMAGE [SETUP.INF]\n";
        return 2;
    }
    ScriptModel model;
    std::string name = script;
    TemporaryFolder readOut;
    if (kind != ImageKind::None) {
        if (readOut.path.empty() || !ReadMedium(medium, kind, readOut.path, model)) return 2;
        medium = readOut.path;
        if (script.empty()) {
            script = medium + (kind == ImageKind::Cd ? "/SETUP.INF" : "/DISK1/SETUP.INF");
            name = model.shownPath(script);
        }
    }
    CheckScript(script, medium, model);
    return PrintFindings(model, name) > 0 ? 1 : 0;
}
