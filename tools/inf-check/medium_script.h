// SETUP.INF as mkmedium writes it onto the medium, and the sizes Windows 95's
// profile functions read of it. The installed copy is that very file, so
// inf-check can tell an author before mkmedium runs whether it will fit.
#ifndef INF_CHECK_MEDIUM_SCRIPT_H
#define INF_CHECK_MEDIUM_SCRIPT_H

#include <cstddef>
#include <string>
#include <vector>

// Windows 95 reads at most this many characters of a section, and, as
// Windows 3.x did, only the first 64 KB of a file; past either it reads the
// profile cut, without a word.
constexpr std::size_t MaxSectionBytes = 32767;
constexpr std::size_t MaxProfileBytes = 65535;

// The script as the medium gets it, CR LF line ends as on a PC: the lines as
// the author wrote them, but the disk sections replaced by diskSections where
// the first of them stood (kept as they are when diskSections is empty), and
// any [Checksums] section of the author's replaced by checksums, after all
// the others. An old section is never kept: its lines would be found first.
std::string RewriteScript(const std::string& path, const std::string& diskSections, const std::string& checksums);

// A part of a profile that Windows 95 would read cut.
struct ProfileBreak {
    std::string section;  // "" for the file as a whole
    int line;             // the section's header; 1 for the file
    std::string message;
};

// Each section of text over MaxSectionBytes, measured as the bytes of its
// lines (every line after its header up to the next header, line ends
// included: more than the profile functions keep of it, never less), and
// the text over MaxProfileBytes. The messages name the text as what.
std::vector<ProfileBreak> ProfileBreaks(const std::string& text, const std::string& what);

#endif
