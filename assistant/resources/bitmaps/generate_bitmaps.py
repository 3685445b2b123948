#!/usr/bin/env python3
"""Turns the text pictures (*.txt, a block of comment lines starting "# " first) into the .bmp files beside
them and the two icon pictures into pendrix.ico.

Colours: '#' black, '.' white, 'b' blue; in the icon '-' is transparent. 24 bits rather
than one: a monochrome source would take the destination's text and background colours
when copied onto a colour surface. The button pictures are combined with the button face
by an AND of the colours, so their background must stay white.

  generate_bitmaps.py          writes the outputs
  generate_bitmaps.py --check  only compares them with the committed files (exit 1 on a difference)
"""

import pathlib
import struct
import sys

COLOURS = {"#": (0, 0, 0), ".": (255, 255, 255), "b": (0, 64, 192)}
TRANSPARENT = "-"
ICON_SOURCES = ("icon_16.txt", "icon_32.txt")
ICON_OUTPUT = "pendrix.ico"


def read_picture(path, allowed):
    lines = path.read_text(encoding="utf-8").splitlines()
    while lines and lines[0].startswith("# "):  # the comment block; a data row may begin with '#'
        lines.pop(0)
    rows = [line.rstrip() for line in lines]
    widths = {len(row) for row in rows}
    if not rows or len(widths) != 1 or not set("".join(rows)) <= allowed:
        sys.exit(f"{path}: rows must be of equal width and hold only {''.join(sorted(allowed))}")
    return rows


def bgr(c):
    r, g, b = COLOURS[c]
    return bytes((b, g, r))


def bmp_bytes(rows):
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up, as BMP stores them
        line = b"".join(bgr(c) for c in row)
        pixels += line + b"\x00" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def icon_image(rows):
    """One icon image: a 32-bit colour DIB with alpha, then the 1-bit AND mask (1 = transparent)."""
    size = len(rows)
    colour = bytearray()
    mask = bytearray()
    mask_stride = (size + 31) // 32 * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c == TRANSPARENT:
                colour += b"\x00\x00\x00\x00"
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                colour += bgr(c) + b"\xff"
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return info + bytes(colour) + bytes(mask)


def ico_bytes(pictures):
    images = [icon_image(rows) for rows in pictures]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for rows, image in zip(pictures, images):
        size = len(rows)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def outputs(folder):
    """Every output file name with the bytes it must hold."""
    result = {}
    for source in sorted(folder.glob("*.txt")):
        if source.name in ICON_SOURCES:
            continue
        result[source.with_suffix(".bmp").name] = bmp_bytes(read_picture(source, set(COLOURS)))
    icons = []
    for name in ICON_SOURCES:
        rows = read_picture(folder / name, set(COLOURS) | {TRANSPARENT})
        if len(rows) != len(rows[0]):
            sys.exit(f"{name}: an icon picture must be square")
        icons.append(rows)
    result[ICON_OUTPUT] = ico_bytes(icons)
    return result


def main():
    folder = pathlib.Path(__file__).resolve().parent
    check = sys.argv[1:] == ["--check"]
    stale = []
    for name, data in outputs(folder).items():
        target = folder / name
        if check:
            if not target.exists() or target.read_bytes() != data:
                stale.append(name)
        else:
            target.write_bytes(data)
    if stale:
        sys.exit("out of date, run generate_bitmaps.py: " + ", ".join(stale))


if __name__ == "__main__":
    main()
