#!/usr/bin/env python3
"""Writes the program icon and the browse-button pictures from the pixel art below.

Run it after changing a drawing and commit its output with it: the build reads the
.ico and .bmp files and never needs Python.

    python3 resources/draw.py

Each drawing is a grid of characters, one per pixel, in the 16-colour palette:

    k black    r maroon   g green    o olive    n navy     p purple   t teal
    s silver   d grey     R red      G lime     Y yellow   B blue     M fuchsia
    C aqua     W white    . background

The browse pictures use silver (192, 192, 192) as background, which the editor draws
transparent, so silver is not used inside them. In the icon "." is transparent.
"""

import os
import struct

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
CODES = "krgonptsdRGYBMCW"
SILVER = CODES.index("s")

BROWSE_OPEN = """
................
..........kkkkk.
...........kGGk.
..........kGGGk.
.........kGGkGk.
........kGGk.kk.
.kkkk..kGGk.....
kWYWYk..kk......
kYWYYWkkkkkk....
kYYkkkkkkkkkkkkk
kYkYYYYYYYYYYYk.
kYkYYYYYYYYYYYk.
kkYYYYYYYYYYYk..
kkYYYYYYYYYYYk..
kkkkkkkkkkkkk...
................
"""

BROWSE_SAVE = """
................
.kkkkkkkkkkkkk..
.knWWWWWWWWWWnk.
.knWWWWWWWWWWnk.
.knWddddddddWnk.
.knWWWWWWWWWWnk.
.knWddddddddWnk.
.knWWWWWWWWWWnk.
.knnnnnnnnnnnnk.
.knnnnnnnnnnnnk.
.knnWWWWWWWWnnk.
.knnWWnnWWWWnnk.
.knnWWnnWWWWnnk.
.knnWWnnWWWWnnk.
.kkkkkkkkkkkkkk.
................
"""

BROWSE_DOCUMENT = """
................
...kkkkkkk......
...kWWWWWkk.....
...kWWWWWkWk....
...kWddddkkkk...
...kWWWWWWWWk...
...kWddddddWk...
...kWWWWWWWWk...
...kWddddddWk...
...kWWWWWWWWk...
...kWddddddWk...
...kWWWWWWWWk...
...kWddddddWk...
...kWWWWWWWWk...
...kkkkkkkkkk...
................
"""

BROWSE_FOLDER = """
................
................
................
..kkkkk.........
.kYWYWYk........
.kkkkkkkkkkkkkk.
.kWWWWWWWWWWWWok
.kWYYYYYYYYYYYok
.kWYYYYYYYYYYYok
.kWYYYYYYYYYYYok
.kWYYYYYYYYYYYok
.kWYYYYYYYYYYYok
.kWYYYYYYYYYYYok
.koooooooooooook
..kkkkkkkkkkkkkk
................
"""

# The program icon: a folder with a blue arrow leaving it upwards, towards the
# folder that is opened.
ICON_32 = """
.....................kkkkkkkkkk.
......................kBBBBBBBk.
.......................kCBBBBBk.
......................kCBBBBBBk.
.....................kCBBBBBBBk.
....................kCBBBBkBBBk.
...................kCBBBBk.kBBk.
..................kCBBBBk...kBk.
.................kCBBBBk.....kk.
................kCBBBBk.........
...kkkkkkkk....kCBBBBk..........
..kYWYWYWYYk..kCBBBBk...........
.kYWYYYYYYYYkkCBBBBkkkkkkkkkk...
.kWYYYYYYYYYYCBBBBkYYYYYYYYYok..
.kYYYYYYYYYYCBBBBkYYYYYYYYYYok..
.kYYYkkkkkkCBBBBkkkkkkkkkkkkkkkk
.kYYkWWWWWWkBBkWWWWWWWWWWWWWWWok
.kYYkWYYYYYYkkYYYYYYYYYYYYYYYYok
.kYkWYYYYYYYYYYYYYYYYYYYYYYYYok.
.kYkWYYYYYYYYYYYYYYYYYYYYYYYYok.
.kYkWYYYYYYYYYYYYYYYYYYYYYYYYok.
.kkWYYYYYYYYYYYYYYYYYYYYYYYYok..
.kkWYYYYYYYYYYYYYYYYYYYYYYYYok..
.kkWYYYYYYYYYYYYYYYYYYYYYYYYok..
.kWYYYYYYYYYYYYYYYYYYYYYYYYok...
.kWYYYYYYYYYYYYYYYYYYYYYYYYok...
.kWYYYYYYYYYYYYYYYYYYYYYYYYok...
.kYYYYYYYYYYYYYYYYYYYYYYYYok....
.koooooooooooooooooooooooook....
.kkkkkkkkkkkkkkkkkkkkkkkkkk.....
................................
................................
"""

ICON_16 = """
..........kkkkk.
...........kBBk.
..........kBBBk.
.........kBBkBk.
.kkkk...kBBk.kk.
kYWYWk.kBBk.....
kYYYYkkBBkkkk...
kYkkkkBBkkkkkkkk
kYkWWWkkWWWWWWok
kkWYYYYYYYYYYok.
kkWYYYYYYYYYYok.
kkWYYYYYYYYYYok.
kWYYYYYYYYYYok..
kooooooooooook..
kkkkkkkkkkkkkk..
................
"""


def grid(art):
    rows = [line for line in art.strip("\n").split("\n")]
    width = len(rows[0])
    for number, row in enumerate(rows):
        if len(row) != width:
            raise ValueError(f"row {number} has {len(row)} pixels, not {width}")
        for ch in row:
            if ch != "." and ch not in CODES:
                raise ValueError(f"row {number}: unknown colour {ch!r}")
    if len(rows) != width:
        raise ValueError(f"{len(rows)} rows for a width of {width}")
    return rows


def palette_bytes():
    return b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)


def packed_4bpp(rows, background):
    """Bottom-up rows of 4-bit indices, each padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        indices = [background if ch == "." else CODES.index(ch) for ch in row]
        line = bytearray()
        for i in range(0, len(indices), 2):
            line.append(indices[i] << 4 | indices[i + 1])
        out += line + bytes(-len(line) % 4)
    return bytes(out)


def and_mask(rows):
    """Bottom-up 1-bit mask, 1 where transparent, rows padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        bits = [1 if ch == "." else 0 for ch in row]
        line = bytearray()
        for i in range(0, len(bits), 8):
            value = 0
            for bit in bits[i:i + 8]:
                value = value << 1 | bit
            line.append(value)
        out += line + bytes(-len(line) % 4)
    return bytes(out)


def info_header(width, height, bpp, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, image_size, 0, 0,
                       colours, 0)


def bitmap_file(art):
    rows = grid(art)
    size = len(rows)
    pixels = packed_4bpp(rows, SILVER)
    header = info_header(size, size, 4, len(pixels), 16) + palette_bytes()
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + header + pixels


def icon_image_4bpp(rows):
    size = len(rows)
    xor = packed_4bpp(rows, 0)
    mask = and_mask(rows)
    # An icon's header counts the colour and mask halves together in its height.
    return info_header(size, size * 2, 4, len(xor) + len(mask), 16) + palette_bytes() + xor + mask


def icon_image_32bpp(rows):
    size = len(rows)
    pixels = bytearray()
    for row in reversed(rows):
        for ch in row:
            if ch == ".":
                pixels += bytes(4)
            else:
                r, g, b = PALETTE[CODES.index(ch)]
                pixels += bytes((b, g, r, 255))
    mask = and_mask(rows)
    return info_header(size, size * 2, 32, len(pixels) + len(mask), 0) + bytes(pixels) + mask


def icon_file(images):
    """images: (rows, bpp, data) in directory order."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    payload = b""
    for rows, bpp, data in images:
        size = len(rows)
        colours = 16 if bpp == 4 else 0
        entries += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bpp, len(data),
                               offset + len(payload))
        payload += data
    return directory + entries + payload


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    outputs = {
        "browse-open.bmp": bitmap_file(BROWSE_OPEN),
        "browse-save.bmp": bitmap_file(BROWSE_SAVE),
        "browse-document.bmp": bitmap_file(BROWSE_DOCUMENT),
        "browse-folder.bmp": bitmap_file(BROWSE_FOLDER),
    }
    big, small = grid(ICON_32), grid(ICON_16)
    outputs["tarnwick.ico"] = icon_file([
        (big, 4, icon_image_4bpp(big)),
        (small, 4, icon_image_4bpp(small)),
        (big, 32, icon_image_32bpp(big)),
        (small, 32, icon_image_32bpp(small)),
    ])
    for name, data in outputs.items():
        with open(os.path.join(here, name), "wb") as output:
            output.write(data)


if __name__ == "__main__":
    main()
