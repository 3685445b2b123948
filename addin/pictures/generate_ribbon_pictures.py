#!/usr/bin/env python3
"""Turns the add-in's ribbon pictures (*.txt, a block of comment lines starting "# " first)
into the .bmp files beside them.

Colours: '#' black, '.' white, 'b' blue, '-' transparent. The ribbon draws its pictures
over its own background, so they are 32-bit bitmaps with an alpha channel; a transparent
pixel is all zero, so the colours read the same premultiplied or not.

  generate_ribbon_pictures.py          writes the outputs
  generate_ribbon_pictures.py --check  only compares them with the committed files (exit 1 on a difference)
"""

import pathlib
import struct
import sys

COLOURS = {"#": (0, 0, 0), ".": (255, 255, 255), "b": (0, 64, 192)}
TRANSPARENT = "-"


def read_picture(path):
    lines = path.read_text(encoding="utf-8").splitlines()
    while lines and lines[0].startswith("# "):
        lines.pop(0)
    rows = [line.rstrip() for line in lines]
    allowed = set(COLOURS) | {TRANSPARENT}
    if not rows or len({len(row) for row in rows}) != 1 or not set("".join(rows)) <= allowed:
        sys.exit(f"{path}: rows must be of equal width and hold only {''.join(sorted(allowed))}")
    return rows


def pixel(c):
    if c == TRANSPARENT:
        return b"\x00\x00\x00\x00"
    r, g, b = COLOURS[c]
    return bytes((b, g, r, 255))


def bmp_bytes(rows):
    width, height = len(rows[0]), len(rows)
    pixels = b"".join(pixel(c) for row in reversed(rows) for c in row)  # bottom-up
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def main():
    folder = pathlib.Path(__file__).resolve().parent
    check = sys.argv[1:] == ["--check"]
    stale = []
    for source in sorted(folder.glob("*.txt")):
        target = source.with_suffix(".bmp")
        data = bmp_bytes(read_picture(source))
        if not check:
            target.write_bytes(data)
        elif not target.exists() or target.read_bytes() != data:
            stale.append(target.name)
    if stale:
        sys.exit("out of date, run generate_ribbon_pictures.py: " + ", ".join(stale))


if __name__ == "__main__":
    main()
