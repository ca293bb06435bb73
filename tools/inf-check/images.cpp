#include "images.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string TrimBlanks(const std::string& s)
{
    std::size_t begin = s.find_first_not_of(' ');
    return begin == std::string::npos ? "" : s.substr(begin, s.find_last_not_of(' ') - begin + 1);
}

// Runs a tool, its output and errors gathered in output; true when it ends
// with status 0. Arguments go to it as they are, never through a shell.
bool Run(const std::vector<std::string>& arguments, std::string& output)
{
    output.clear();
    int ends[2];
    if (pipe(ends) != 0) return output = "cannot make a pipe", false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);  // a tool that asks gets no answer
    posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 2);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    posix_spawn_file_actions_addclose(&actions, ends[1]);
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (spawned != 0) {
        close(ends[0]);
        const char* package = arguments[0] == "xorriso" ? "xorriso" : "mtools";
        output = arguments[0] + " cannot be run (" + std::strerror(spawned) + "): install Debian's " + package +
                 " (tools/setup-host.sh does)";
        return false;
    }
    char buffer[4096];
    ssize_t n;
    while ((n = read(ends[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<std::size_t>(n));
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!output.empty() && output.back() == '\n') output.pop_back();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RunOrTell(const std::vector<std::string>& arguments, std::string& error)
{
    std::string output;
    if (Run(arguments, output)) return true;
    error = arguments[0] + ": " + output;
    return false;
}

// The files once each, by their paths in capitals, and every folder that
// holds one, each after the folder it lies in.
void Layout(const std::vector<ImageFile>& files, std::vector<ImageFile>& unique, std::vector<std::string>& folders)
{
    std::set<std::string> paths, made;
    for (const ImageFile& f : files) {
        std::string path = Upper(f.path);
        if (!paths.insert(path).second) continue;
        unique.push_back({f.host, path});
        for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
            made.insert(path.substr(0, slash));
    }
    folders.assign(made.begin(), made.end());  // a folder sorts before those below it
}

}  // namespace

std::string ImageLabel(const std::string& label, ImageKind kind)
{
    const std::size_t width = kind == ImageKind::Cd ? 32 : 11;
    std::string text;
    for (unsigned char c : label) {
        bool fits = kind == ImageKind::Cd ? std::isalnum(c) || c == '_' || c == ' '
                                          : c >= 0x20 && c < 0x7F && std::strchr("\"*+,./:;<=>?[\\]|", c) == nullptr;
        text += fits ? static_cast<char>(std::toupper(c)) : '_';
    }
    text = TrimBlanks(text);
    if (text.size() <= width) return text;
    std::size_t digits = text.find_last_not_of("0123456789") + 1;
    std::string number = text.substr(digits);
    if (!number.empty() && text[digits - 1] == ' ') number = " " + number;
    if (number.size() >= width) number.clear();
    return TrimBlanks(text.substr(0, width - number.size())) + number;
}

std::string ImageNameProblem(const std::string& name, bool folder, ImageKind kind)
{
    std::size_t dot = name.find('.');
    std::string base = name.substr(0, dot), extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    bool fits = !base.empty() && base.size() <= 8 && extension.size() <= 3 &&
                extension.find('.') == std::string::npos && name.back() != '.';
    for (unsigned char c : base + extension) {
        if (kind == ImageKind::Cd) fits = fits && (std::isalnum(c) || c == '_');
        else fits = fits && c > 0x20 && c < 0x7F && std::strchr("\"*+,/:;<=>?[\\]|", c) == nullptr;
    }
    if (kind == ImageKind::Cd && folder) fits = fits && extension.empty() && dot == std::string::npos;
    if (fits) return "";
    if (kind == ImageKind::Floppy) return "a floppy image holds 8.3 names only";
    return folder ? "a CD image holds level 1 names only: folders of up to 8 letters, digits and \"_\""
                  : "a CD image holds level 1 names only: 8.3 names of letters, digits and \"_\"";
}

bool WriteFloppyImage(const std::string& image, const std::vector<ImageFile>& files, const std::string& label,
                      uint32_t serial, std::string& error)
{
    std::vector<ImageFile> unique;
    std::vector<std::string> folders;
    Layout(files, unique, folders);
    char serialText[9];
    std::snprintf(serialText, sizeof serialText, "%08X", static_cast<unsigned>(serial));
    std::error_code ignored;
    fs::remove(image, ignored);
    std::vector<std::string> format = {"mformat", "-i", image, "-C", "-f", "1440", "-N", serialText};
    if (!label.empty()) format.insert(format.end(), {"-v", label});
    format.push_back("::");
    if (!RunOrTell(format, error)) return false;
    if (!folders.empty()) {
        std::vector<std::string> make = {"mmd", "-i", image};
        for (const std::string& folder : folders) make.push_back("::/" + folder);
        if (!RunOrTell(make, error)) return false;
    }
    // One call a file, named in capitals: mcopy would otherwise keep a
    // host name's small letters in a long name that Windows 95 shows.
    for (const ImageFile& f : unique)
        if (!RunOrTell({"mcopy", "-i", image, "-m", "-o", f.host, "::/" + f.path}, error)) return false;
    return true;
}

bool WriteCdImage(const std::string& image, const std::vector<ImageFile>& files, const std::string& label,
                  std::string& error)
{
    std::vector<ImageFile> unique;
    std::vector<std::string> folders;
    Layout(files, unique, folders);
    std::error_code ignored;
    fs::remove(image, ignored);
    // ISO 9660 names alone, as Windows 95's CD-ROM file system reads them:
    // no Rock Ridge or Joliet names that differ from them.
    std::vector<std::string> write = {"xorriso", "-report_about", "SORRY", "-outdev", image, "-volid", label,
                                      "-compliance", "iso_9660_level=1", "-rockridge", "off", "-joliet", "off"};
    for (const ImageFile& f : unique) write.insert(write.end(), {"-map", f.host, "/" + f.path});
    write.push_back("-commit");
    return RunOrTell(write, error);
}

ImageKind KindOfImage(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> start(32774);
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    std::size_t read = static_cast<std::size_t>(in.gcount());
    if (read >= 32774 && std::memcmp(start.data() + 32769, "CD001", 5) == 0) return ImageKind::Cd;
    if (read >= 512 && static_cast<unsigned char>(start[510]) == 0x55 && static_cast<unsigned char>(start[511]) == 0xAA)
        return ImageKind::Floppy;
    return ImageKind::None;
}

bool ReadImage(const std::string& image, ImageKind kind, const std::string& folder, std::string& error)
{
    setenv("MTOOLS_SKIP_CHECK", "1", 0);  // an image another tool made may have an odd geometry
    std::error_code failed;
    fs::create_directories(folder, failed);
    if (failed) return error = "cannot make " + folder, false;
    bool read = kind == ImageKind::Cd
                    ? RunOrTell({"xorriso", "-report_about", "SORRY", "-osirrox", "on", "-indev", image, "-extract", "/",
                                 folder},
                                error)
                    : RunOrTell({"mcopy", "-i", image, "-s", "-m", "-n", "::/*", folder}, error);
    // A CD's files come out read-only.
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder, failed))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, failed);
    return read;
}
