#!/usr/bin/env python3
"""Makes a copy of an installation medium runnable in the x86_64 flavour.

The medium's SETUP.EXE and UNINSTAL.EXE are the i686 product, which a host
without i386 execution cannot run. In the copy, each of them that is an
i386 program is replaced by the x86-64 build of the same code, and its
line in the script's [Checksums] section gets the new length and CRC-32,
so that the setup installs it as it would the original. Everything else
stays as the author laid it out. Prints one line per file replaced.

Usage: medium-for-flavour.py MEDIUM_COPY BUILD_DIR
"""
import pathlib
import struct
import sys
import zlib

PROGRAMS = ("SETUP.EXE", "UNINSTAL.EXE")
I386 = 0x14C


def machine(path):
    data = path.read_bytes()[:4096]
    if len(data) < 64 or data[:2] != b"MZ":
        return None
    header = struct.unpack_from("<I", data, 0x3C)[0]
    if data[header:header + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", data, header + 4)[0]


def main(medium, build):
    medium, build = pathlib.Path(medium), pathlib.Path(build)
    disks = [medium] if (medium / "SETUP.INF").is_file() else sorted(medium.glob("DISK[1-9]"))
    script = disks[0] / "SETUP.INF"
    sums = {}
    for disk in disks:
        for path in sorted(disk.rglob("*")):
            if path.name.upper() in PROGRAMS and path.is_file() and machine(path) == I386:
                program = (build / path.name.upper()).read_bytes()
                path.write_bytes(program)
                key = "\\".join(path.relative_to(disk).parts).upper()
                sums[key] = "%d,%08X" % (len(program), zlib.crc32(program))
                print("%s: the x86-64 build in place of the i686 one" % path.relative_to(medium))
    if not sums:
        return
    lines = script.read_bytes().split(b"\r\n")
    inside = False
    for i, line in enumerate(lines):
        text = line.decode("latin-1").strip()
        if text.startswith("["):
            inside = text.lower() == "[checksums]"
        elif inside and "=" in text:
            key = text.split("=", 1)[0].strip()
            if key.upper() in sums:
                lines[i] = ("%s=%s" % (key, sums[key.upper()])).encode("latin-1")
    script.write_bytes(b"\r\n".join(lines))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    main(*sys.argv[1:])
