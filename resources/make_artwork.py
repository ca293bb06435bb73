#!/usr/bin/python3
"""Draws the setup program's bitmaps and icons into resources/art/.

Everything is drawn from code, so running the script again gives
byte-identical files. BMP and ICO files are written by hand: PIL cannot
write 4-bit or run-length encoded BMPs, and the headers here are exactly
what Windows 95 reads (BITMAPINFOHEADER, bottom-up rows, full palette).
Bitmaps are run-length encoded (BI_RLE4, BI_RLE8), which the system's
bitmap loader expands; icons stay uncompressed, as icons must.
"""
import os
import struct

from PIL import Image, ImageDraw, ImageFont

ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "art")
FONTS = "/usr/share/fonts/truetype/dejavu/"

# The standard Windows 16-colour palette, in its usual order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, BLUE, MAGENTA, WHITE = 0, 4, 7, 8, 12, 13, 15

BAYER8 = [
    [0, 32, 8, 40, 2, 34, 10, 42], [48, 16, 56, 24, 50, 18, 58, 26],
    [12, 44, 4, 36, 14, 46, 6, 38], [60, 28, 52, 20, 62, 30, 54, 22],
    [3, 35, 11, 43, 1, 33, 9, 41], [51, 19, 59, 27, 49, 17, 57, 25],
    [15, 47, 7, 39, 13, 45, 5, 37], [63, 31, 55, 23, 61, 29, 53, 21],
]


# --- file writers -----------------------------------------------------------

def pack_rows(rows, width, bpp):
    """Pixel rows (top first) as bottom-up DIB bits, each row padded to 4 bytes."""
    stride = (width * bpp + 31) // 32 * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        if bpp == 8:
            line.extend(row)
        elif bpp == 4:
            for x in range(0, width, 2):
                hi = row[x]
                lo = row[x + 1] if x + 1 < width else 0
                line.append(hi << 4 | lo)
        elif bpp == 1:
            for x in range(0, width, 8):
                byte = 0
                for bit in range(8):
                    if x + bit < width and row[x + bit]:
                        byte |= 0x80 >> bit
                line.append(byte)
        line.extend(b"\0" * (stride - len(line)))
        out.extend(line)
    return bytes(out)


BI_RGB, BI_RLE8, BI_RLE4 = 0, 1, 2


def rle_rows(rows, bpp):
    """Bottom-up BI_RLE8 (bpp 8) or BI_RLE4 (bpp 4) data of pixel rows (top first).

    An encoded run is a count and a byte: in RLE8 the byte is one index,
    repeated; in RLE4 it holds two, which the run alternates (high nibble
    first), so a two-colour dither pattern is one run too. Absolute mode
    (0, count of 3 or more, the pixels packed, padded to a 16-bit boundary)
    takes the stretches where runs are short. Each row is split into runs
    and stretches at the least cost in bytes (a shortest path over the
    row's pixels), and ends with 0 0, the last with 0 1 (end of bitmap).
    """
    def run_at(row, x):
        # Pixels from x that one encoded run covers, at most 255, and its byte.
        a = row[x]
        b = a if bpp == 8 or x + 1 >= len(row) else row[x + 1]
        n = 1
        while x + n < len(row) and n < 255 and row[x + n] == (a if n % 2 == 0 else b):
            n += 1
        return n, a if bpp == 8 else a << 4 | b

    def packed(pixels):
        if bpp == 8:
            data = bytes(pixels)
        else:
            pairs = pixels + [0] * (len(pixels) % 2)
            data = bytes(pairs[i] << 4 | pairs[i + 1] for i in range(0, len(pairs), 2))
        return data + b"\0" * (len(data) % 2)

    def stretch_cost(n):
        data = n if bpp == 8 else (n + 1) // 2
        return 2 + data + data % 2

    out = bytearray()
    for row in reversed(rows):
        width = len(row)
        # cost[x]: the fewest bytes for the pixels from x to the row's end;
        # step[x]: how many pixels the first piece takes, and whether a run.
        cost = [0] * (width + 1)
        step = [None] * width
        for x in range(width - 1, -1, -1):
            cost[x], k = min((2 + cost[x + k], k) for k in range(1, run_at(row, x)[0] + 1))
            step[x] = (k, True)
            for k in range(3, min(255, width - x) + 1):
                if stretch_cost(k) + cost[x + k] < cost[x]:
                    cost[x], step[x] = stretch_cost(k) + cost[x + k], (k, False)
        x = 0
        while x < width:
            k, run = step[x]
            out += bytes((k, run_at(row, x)[1])) if run else bytes((0, k)) + packed(row[x:x + k])
            x += k
        out += b"\0\0"
    out[-1] = 1
    return bytes(out)


def info_header(width, height, bpp, image_size, compression=BI_RGB, used=0):
    # biClrUsed 0: the palette has the full 2^bpp entries; else that many.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, compression,
                       image_size, 0, 0, used, 0)


def palette_bytes(palette, count):
    palette = list(palette) + [(0, 0, 0)] * (count - len(palette))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def write_bmp(name, rows, palette, bpp):
    height, width = len(rows), len(rows[0])
    bits = rle_rows(rows, bpp)
    compression = BI_RLE8 if bpp == 8 else BI_RLE4
    # A 256-colour picture carries only the colours it uses (biClrUsed), as
    # every Windows since 3.0 reads it: the unused entries would cost 4
    # bytes each. The 16-colour ones keep the full standard palette.
    used = len(palette) if bpp == 8 else 0
    body = (info_header(width, height, bpp, len(bits), compression, used) +
            palette_bytes(palette, used or 1 << bpp) + bits)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + len(body) - len(bits))
    with open(os.path.join(ART, name), "wb") as f:
        f.write(head + body)


def write_ico(name, rows):
    """A 32 x 32, 16-colour icon; None in rows marks a transparent pixel."""
    size = len(rows)
    colour = [[BLACK if p is None else p for p in row] for row in rows]
    mask = [[1 if p is None else 0 for p in row] for row in rows]
    xor_bits = pack_rows(colour, size, 4)
    and_bits = pack_rows(mask, size, 1)
    # An icon image's height counts the colour bitmap and the mask together.
    image = info_header(size, 2 * size, 4, len(xor_bits) + len(and_bits))
    image += palette_bytes(VGA, 16) + xor_bits + and_bits
    head = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    with open(os.path.join(ART, name), "wb") as f:
        f.write(head + entry + image)


# --- drawing helpers --------------------------------------------------------

def smooth_mask(width, height, draw, scale=4):
    """A hard-edged mask whose outline was drawn at four times the size."""
    big = Image.new("L", (width * scale, height * scale), 0)
    draw(ImageDraw.Draw(big), scale)
    small = big.resize((width, height), Image.BOX)
    return [[small.getpixel((x, y)) >= 128 for x in range(width)] for y in range(height)]


def paint(rows, mask, index):
    for y, line in enumerate(mask):
        for x, on in enumerate(line):
            if on:
                rows[y][x] = index


def shifted(mask, dx, dy):
    h, w = len(mask), len(mask[0])
    return [[0 <= x - dx < w and 0 <= y - dy < h and mask[y - dy][x - dx]
             for x in range(w)] for y in range(h)]


def minus(a, b):
    return [[p and not q for p, q in zip(ra, rb)] for ra, rb in zip(a, b)]


def both(a, b):
    return [[p and q for p, q in zip(ra, rb)] for ra, rb in zip(a, b)]


def inner(mask):
    """The mask less its one-pixel edge."""
    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        mask = both(mask, shifted(mask, dx, dy))
    return mask


def bezier(p0, p1, p2, p3, steps=40):
    pts = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        pts.append(tuple(u ** 3 * a + 3 * u * u * t * b + 3 * u * t * t * c + t ** 3 * d
                         for a, b, c, d in zip(p0, p1, p2, p3)))
    return pts


def text_mask(width, height, text, font, origin):
    """Lettering as a 1-bit mask: no antialiasing, so no blended fringe pixels."""
    img = Image.new("1", (width, height), 0)
    ImageDraw.Draw(img).text(origin, text, font=font, fill=1)
    return [[img.getpixel((x, y)) != 0 for x in range(width)] for y in range(height)]


def fit_font(path, text, max_w, max_h):
    size = 8
    while True:
        font = ImageFont.truetype(path, size + 1)
        l, t, r, b = font.getbbox(text)
        if r - l > max_w or b - t > max_h:
            return ImageFont.truetype(path, size)
        size += 1


def lettering(width, height, text, font_file, shadow, text_height=None):
    """White lettering on magenta, with an optional dark shadow 2 pixels down-right.
    text_height caps the letters' height below the picture's: every row of
    lettering costs runs, and SETUP.EXE must stay within 64 KiB."""
    offset = 2 if shadow is not None else 0
    most = height - 8 - offset if text_height is None else min(height - 8 - offset, text_height)
    font = fit_font(FONTS + font_file, text, width - 8 - offset, most)
    l, t, r, b = font.getbbox(text)
    origin = (4 - l, (height - offset - (b - t)) // 2 - t)
    letters = text_mask(width, height, text, font, origin)
    rows = [[MAGENTA] * width for _ in range(height)]
    if shadow is not None:
        paint(rows, shifted(letters, offset, offset), shadow)
    paint(rows, letters, WHITE)
    return rows


# --- the pictures -----------------------------------------------------------

def side_picture():
    """The pages' side picture: a wheel mouse on the backdrop's blue gradient."""
    w, h = 118, 234
    rows = []
    for y in range(h):
        level = 255 - 235 * y / (h - 1)          # bright blue down to near black
        lo, hi, span = (NAVY, BLUE, (128, 255)) if level >= 128 else (BLACK, NAVY, (0, 128))
        t = (level - span[0]) / (span[1] - span[0])
        # Three steps between two colours: either one, or the two in a
        # checkerboard. Run-length encoding stores a checkerboard row as
        # one run, where an ordered dither costs a byte for every two pixels.
        step = 0 if t < 1 / 3 else 2 if t > 2 / 3 else 1
        rows.append([hi if step == 2 or (step == 1 and (x + y) % 2) else lo for x in range(w)])

    body_box = (22, 104, 96, 218)
    cable = bezier((59, 106), (60, 70), (20, 60), (34, 0))

    def body(d, s):
        d.ellipse([c * s for c in body_box], fill=255)

    def cable_line(d, s):
        d.line([(x * s, y * s) for x, y in cable], fill=255, width=3 * s)

    def wheel(d, s):
        d.rounded_rectangle([53 * s, 118 * s, 65 * s, 142 * s], radius=5 * s, fill=255)

    def split(d, s):
        d.line([(59 * s, 104 * s), (59 * s, 150 * s)], fill=255, width=s)
        d.arc([28 * s, 110 * s, 90 * s, 170 * s], 20, 160, fill=255, width=s)

    body_m = smooth_mask(w, h, body)
    cable_m = smooth_mask(w, h, cable_line)
    paint(rows, shifted(cable_m, 1, 1), BLACK)
    paint(rows, cable_m, SILVER)
    paint(rows, shifted(body_m, 2, 3), BLACK)              # cast shadow
    paint(rows, body_m, SILVER)
    paint(rows, minus(body_m, shifted(body_m, 3, 4)), WHITE)  # lit upper-left rim
    paint(rows, minus(body_m, shifted(body_m, -3, -4)), GREY)  # shaded lower-right rim
    paint(rows, both(smooth_mask(w, h, split), inner(body_m)), GREY)
    wheel_m = smooth_mask(w, h, wheel)
    paint(rows, wheel_m, BLACK)
    paint(rows, inner(wheel_m), NAVY)
    for y in range(121, 141, 3):                              # the wheel's ridges
        for x in range(56, 63):
            if wheel_m[y][x]:
                rows[y][x] = BLUE
    return rows


def title():
    return lettering(217, 50, "Mouse Setup", "DejaVuSans-BoldOblique.ttf", NAVY)


def banner():
    return lettering(490, 43, "Smooth scrolling at your fingertips", "DejaVuSans-Oblique.ttf", None, 17)


# The mouse pictures' colours: enough for their soft edges; fewer make
# longer runs and a shorter palette, and SETUP.EXE must stay within 64 KiB.
MOUSE_COLOURS = 16


def mouse_picture(serial):
    """70 x 55, 256 colours: a wheel mouse and the plug at the end of its cable."""
    s = 4
    w, h = 70, 55
    face = (192, 192, 192)                     # the pages' button-face grey
    img = Image.new("RGB", (w * s, h * s), face)
    d = ImageDraw.Draw(img)

    def box(*c):
        return [v * s for v in c]

    # Cable: from the mouse's nose round to the plug on the left.
    plug_at = (16, 37)
    path = bezier((46, 12), (46, 2), (14, 2), (plug_at[0], plug_at[1] - 12))
    d.line([(x * s, y * s) for x, y in path], fill=(40, 40, 60), width=2 * s)

    # Mouse body with a soft shadow, a light rim and a blue wheel.
    d.ellipse(box(34, 11, 62, 51), fill=(120, 120, 130))
    d.ellipse(box(32, 9, 60, 49), fill=(30, 30, 45))
    d.ellipse(box(33, 10, 59, 48), fill=(236, 238, 244))
    d.ellipse(box(36, 13, 59, 48), fill=(208, 212, 224))
    d.line(box(46, 10, 46, 26), fill=(120, 124, 140), width=s)
    d.arc(box(35, 12, 57, 36), 20, 160, fill=(120, 124, 140), width=s)
    d.rounded_rectangle(box(44, 15, 48, 24), radius=2 * s, fill=(0, 0, 160), outline=(0, 0, 60), width=s)
    for y in (17, 19, 21):
        d.line(box(45, y, 47, y), fill=(90, 110, 255), width=s // 2)

    x0, y0 = plug_at
    if serial:
        # A 9-pin D plug seen from the front: trapezoid shell, 5 + 4 pins.
        d.rectangle(box(x0 - 4, y0 - 13, x0 + 4, y0 - 6), fill=(70, 70, 90))
        d.rounded_rectangle(box(x0 - 14, y0 - 7, x0 + 14, y0 + 11), radius=2 * s,
                            fill=(60, 60, 80), outline=(20, 20, 30), width=s)
        shell = [(x0 - 11, y0 - 4), (x0 + 11, y0 - 4), (x0 + 8, y0 + 8), (x0 - 8, y0 + 8)]
        d.polygon([(x * s, y * s) for x, y in shell], fill=(200, 204, 214), outline=(90, 90, 100))
        for i in range(5):
            cx, cy = x0 - 7.2 + i * 3.6, y0
            d.ellipse(box(cx - 1, cy - 1, cx + 1, cy + 1), fill=(30, 30, 50))
        for i in range(4):
            cx, cy = x0 - 5.4 + i * 3.6, y0 + 4
            d.ellipse(box(cx - 1, cy - 1, cx + 1, cy + 1), fill=(30, 30, 50))
    else:
        # A round 6-pin PS/2 plug seen from the front: metal ring, pins, key.
        d.rectangle(box(x0 - 4, y0 - 13, x0 + 4, y0 - 7), fill=(70, 70, 90))
        d.ellipse(box(x0 - 10, y0 - 9, x0 + 10, y0 + 11), fill=(60, 60, 80), outline=(20, 20, 30), width=s)
        d.ellipse(box(x0 - 8, y0 - 7, x0 + 8, y0 + 9), fill=(200, 204, 214))
        d.ellipse(box(x0 - 6, y0 - 5, x0 + 6, y0 + 7), fill=(40, 40, 60))
        d.rectangle(box(x0 - 1, y0 - 6, x0 + 1, y0 - 3), fill=(200, 204, 214))
        for cx, cy in ((x0 - 3.5, y0 - 1.5), (x0 + 3.5, y0 - 1.5), (x0 - 4, y0 + 2.5),
                       (x0 + 4, y0 + 2.5), (x0 - 1.5, y0 + 5), (x0 + 1.5, y0 + 5)):
            d.ellipse(box(cx - 0.8, cy - 0.8, cx + 0.8, cy + 0.8), fill=(230, 200, 90))

    small = img.resize((w, h), Image.BOX)
    pixels = [small.getpixel((x, y)) for y in range(h) for x in range(w)]
    colours = sorted(set(pixels))
    if len(colours) > MOUSE_COLOURS:
        small = small.quantize(MOUSE_COLOURS, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        small = small.convert("RGB")
        pixels = [small.getpixel((x, y)) for y in range(h) for x in range(w)]
        colours = sorted(set(pixels))
    index = {c: i for i, c in enumerate(colours)}
    rows = [[index[pixels[y * w + x]] for x in range(w)] for y in range(h)]
    return rows, colours


def icon_canvas():
    img = Image.new("P", (32, 32), 255)        # 255: transparent
    img.putpalette([c for rgb in VGA for c in rgb] + [0] * (3 * 240))
    return img, ImageDraw.Draw(img)


def icon_rows(img):
    return [[None if img.getpixel((x, y)) == 255 else img.getpixel((x, y))
             for x in range(32)] for y in range(32)]


def setup_icon():
    """A wheel mouse with a blue arrow pointing down into it: install."""
    img, d = icon_canvas()
    d.line([(14, 10), (14, 6), (10, 3), (4, 3), (2, 6)], fill=BLACK)
    d.ellipse([7, 9, 26, 31], fill=BLACK)
    d.ellipse([8, 10, 25, 30], fill=SILVER)
    d.arc([8, 10, 25, 30], 160, 290, fill=WHITE)
    d.arc([8, 10, 25, 30], 340, 100, fill=GREY)
    d.line([(16, 10), (16, 18)], fill=GREY)
    d.line([(9, 18), (24, 18)], fill=GREY)
    d.rectangle([15, 12, 17, 16], fill=NAVY)
    d.point([(16, 13), (16, 15)], fill=BLUE)
    d.polygon([(23, 0), (29, 0), (29, 6), (31, 6), (26, 12), (21, 6), (23, 6)], fill=BLUE, outline=NAVY)
    return icon_rows(img)


def main():
    os.makedirs(ART, exist_ok=True)
    write_bmp("side.bmp", side_picture(), VGA, 4)
    write_bmp("title.bmp", title(), VGA, 4)
    write_bmp("banner.bmp", banner(), VGA, 4)
    for name, serial in (("ps2mouse.bmp", False), ("serialmouse.bmp", True)):
        rows, colours = mouse_picture(serial)
        write_bmp(name, rows, colours, 8)
    write_ico("setup.ico", setup_icon())


if __name__ == "__main__":
    main()
