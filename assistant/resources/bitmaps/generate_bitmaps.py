#!/usr/bin/env python3
"""Turns the sign pictures (*.txt: '#' black, '.' white, '#'-comment first line) into
24-bit .bmp files beside them. 24 bits rather than one: a monochrome source would take
the destination's text and background colours when copied onto a colour surface."""

import pathlib
import struct
import sys


def read_picture(path):
    rows = [line.rstrip("\n") for line in path.read_text().splitlines() if not line.startswith("#")]
    widths = {len(row) for row in rows}
    if len(widths) != 1 or not set("".join(rows)) <= {"#", "."}:
        sys.exit(f"{path}: rows must be of equal width and hold only '#' and '.'")
    return rows


def bmp_bytes(rows):
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up, as BMP stores them
        line = b"".join(b"\x00\x00\x00" if c == "#" else b"\xff\xff\xff" for c in row)
        pixels += line + b"\x00" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def main():
    folder = pathlib.Path(__file__).resolve().parent
    for source in sorted(folder.glob("sign_*.txt")):
        source.with_suffix(".bmp").write_bytes(bmp_bytes(read_picture(source)))


if __name__ == "__main__":
    main()
