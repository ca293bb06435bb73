// Disk images of a medium, written and read with Debian's tools: FAT12 images
// of 1.44 MB floppies with mtools (mformat, mmd, mcopy), ISO 9660 images of a
// CD with xorriso. Both hold short names only, in capitals, as Windows 95
// reads them from a floppy (no long names) or a CD (level 1, no Joliet).
#ifndef INF_CHECK_IMAGES_H
#define INF_CHECK_IMAGES_H

#include <cstdint>
#include <string>
#include <vector>

// What the data area of a 1.44 MB floppy holds: 2847 clusters of 512 bytes.
constexpr uint64_t FloppyBytes = 1457664;

enum class ImageKind { None, Floppy, Cd };

// A disk's label as the image holds it: in capitals, each character the
// file system refuses in a label as "_", cut to 11 characters (a floppy) or
// 32 (a CD). A longer label that ends in a number keeps the number, so that
// the disks of a set stay apart: "Zorva Wheel Mouse Disk 2" is "ZORVA WHE 2"
// on a floppy.
std::string ImageLabel(const std::string& label, ImageKind kind);

// Why a file or folder name of the medium cannot be on an image of the kind
// as it is, or "": a floppy takes 8.3 names, a CD level 1 names (8.3 of
// letters, digits and "_"; folders without an extension).
std::string ImageNameProblem(const std::string& name, bool folder, ImageKind kind);

// A file of the image: where it is on the host, and its path in the image
// ("HELP/USING.TX_"). Paths that differ only in case are one file, written
// once.
struct ImageFile {
    std::string host;
    std::string path;
};

// Writes the image afresh; false with the tool's words in error. A floppy's
// files keep their modification times to the 2 seconds FAT keeps, a CD's to
// the second; the serial number tells the disks of a set apart.
bool WriteFloppyImage(const std::string& image, const std::vector<ImageFile>& files, const std::string& label,
                      uint32_t serial, std::string& error);
bool WriteCdImage(const std::string& image, const std::vector<ImageFile>& files, const std::string& label,
                  std::string& error);

// The kind of a file by its contents: an ISO 9660 volume descriptor at
// 32 KiB, or a boot sector's signature.
ImageKind KindOfImage(const std::string& path);

// The image's files read out into folder, which is created, with their times;
// every file and folder writable, so that the copy can be removed.
bool ReadImage(const std::string& image, ImageKind kind, const std::string& folder, std::string& error);

#endif
