#include "shell/self_check.h"

#include <windows.h>

#include <cstring>

#include "shell/globals.h"
#include "shell/handles.h"
#include "shell/services.h"
#include "shell/setup_log.h"

bool ProgramFileIntact()
{
    // The whole file at once: both programs are far smaller than this, and a
    // zero-filled block costs no room in the program file.
    static unsigned char image[0x20000];
    FixedText<MAX_PATH> path;
    DWORD size = 0;
    if (!ReadProgramPath(path)) return true;  // nothing to read it by
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return true;  // unreadable is not damaged: the run goes on
    if (!ReadFile(file.get(), image, sizeof image, &size, nullptr) || size < 0x40) return false;
    if (size == sizeof image) return true;  // no program of the package is this large
    // The checksum lies 64 bytes into the optional header, after the 4-byte
    // signature and the 20-byte file header.
    DWORD field, recorded;
    std::memcpy(&field, image + 0x3C, 4);
    field += 4 + 20 + 64;
    if (field > size - 4) return false;
    std::memcpy(&recorded, image + field, 4);
    if (recorded == 0) return true;
    // The file's 16-bit words summed with their carries folded in, the
    // checksum itself read as zero, plus the file's length.
    std::memset(image + field, 0, 4);
    DWORD sum = 0;
    for (DWORD i = 0; i < size; i += 2) {
        sum += image[i] | image[i + 1] << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + size == recorded;
}

bool ProgramFileIntactOrTellUser()
{
    if (ProgramFileIntact()) return true;
    Tell(nullptr, LoadText(IDS_PROGRAM_DAMAGED), "Setup", MB_OK | MB_ICONSTOP);
    return false;
}
