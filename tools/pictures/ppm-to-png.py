#!/usr/bin/env python3
"""ppm-to-png.py IN.ppm OUT.png: a binary PPM (P6, as AUTOPILOT.EXE writes
its pictures) as a PNG that depends on the pixels alone: no time, no text,
no gamma or other chunks: IHDR, IDAT and IEND only. The same pixels give
the same bytes, given the same zlib."""
import struct
import sys
import zlib


def read_ppm(path):
    with open(path, "rb") as file:
        data = file.read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit(f"{path}: not a binary PPM with 8-bit samples")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[at + 1:]
    if len(pixels) != width * height * 3:
        sys.exit(f"{path}: {len(pixels)} bytes of pixels for {width} x {height}")
    return width, height, pixels


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def png(width, height, pixels):
    row_bytes = width * 3
    # Each row unfiltered (filter type 0), eight-bit RGB.
    rows = b"".join(b"\0" + pixels[y * row_bytes:(y + 1) * row_bytes] for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) +
            chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: ppm-to-png.py IN.ppm OUT.png")
    width, height, pixels = read_ppm(sys.argv[1])
    with open(sys.argv[2], "wb") as file:
        file.write(png(width, height, pixels))


main()
