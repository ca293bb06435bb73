// The widths and limits by which SETUP.INF is read, without the platform, so
// that the program and the host tools (inf-check, mkmedium) hold one copy.
#ifndef SETUP_SCRIPT_LIMITS_H
#define SETUP_SCRIPT_LIMITS_H

#include <cstddef>

// Windows and the model hold these paths in 80-byte fields.
constexpr std::size_t MaxShortPath = 79;
// A script value is read into 256 bytes: a longer one is cut, and a value
// that must not be cut (a file line, DefaultPath) is refused.
constexpr std::size_t MaxLine = 255;
// The install list holds at most this many files in all.
constexpr int MaxTotalFiles = 32767;

// The sizes (width + 1) of the texts the script's [Main] and [Startup] keys
// are read into.
constexpr std::size_t ProductNameSize = 72;
constexpr std::size_t GroupNameSize = 20;
constexpr std::size_t GroupTitleSize = 48;
constexpr std::size_t StartupTextSize = 256;  // FileName, Title
constexpr std::size_t DriverTextSize = 40;    // Mfg .. SeialName

#endif
