#!/usr/bin/env python3
"""Writes the wizard's icon (.ico, 16 colours) from the text pixel map icon.txt.

Usage: make_icon.py icon.txt out.ico
Each image is stored as a 4-bit DIB (BITMAPINFOHEADER, 16-entry palette, the
colour rows bottom-up) followed by its 1-bit transparency mask.
"""
import struct
import sys

# The standard 16-colour palette, (red, green, blue), and the letter for each.
PALETTE = [
    ("k", (0x00, 0x00, 0x00)), ("m", (0x80, 0x00, 0x00)), ("d", (0x00, 0x80, 0x00)),
    ("o", (0x80, 0x80, 0x00)), ("n", (0x00, 0x00, 0x80)), ("p", (0x80, 0x00, 0x80)),
    ("t", (0x00, 0x80, 0x80)), ("s", (0xC0, 0xC0, 0xC0)), ("g", (0x80, 0x80, 0x80)),
    ("r", (0xFF, 0x00, 0x00)), ("G", (0x00, 0xFF, 0x00)), ("y", (0xFF, 0xFF, 0x00)),
    ("b", (0x00, 0x00, 0xFF)), ("M", (0xFF, 0x00, 0xFF)), ("c", (0x00, 0xFF, 0xFF)),
    ("w", (0xFF, 0xFF, 0xFF)),
]
INDEX = {letter: i for i, (letter, _) in enumerate(PALETTE)}
TRANSPARENT = "."


def read_images(path):
    images, rows, size = [], None, None
    for line in open(path, encoding="utf-8").read().splitlines():
        if not line or line.startswith("#"):
            continue
        if line.startswith("size "):
            size = int(line.split()[1])
            rows = []
            images.append((size, rows))
            continue
        if rows is None or len(line) != size:
            raise SystemExit(f"{path}: row {line!r} does not fit a {size}-pixel image")
        rows.append(line)
    for size, rows in images:
        if len(rows) != size:
            raise SystemExit(f"{path}: the {size}-pixel image has {len(rows)} rows")
    return images


def row_bytes(bits_per_pixel, width):
    return (width * bits_per_pixel + 31) // 32 * 4


def dib(size, rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for _, (r, g, b) in PALETTE)
    colour, mask = b"", b""
    for row in reversed(rows):
        for ch in row:
            if ch != TRANSPARENT and ch not in INDEX:
                raise SystemExit(f"unknown colour letter {ch!r}")
        nibbles = [0 if ch == TRANSPARENT else INDEX[ch] for ch in row]
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        colour += line.ljust(row_bytes(4, size), b"\0")
        bits = 0
        for ch in row:
            bits = (bits << 1) | (ch == TRANSPARENT)
        line = bits.to_bytes(size // 8, "big")
        mask += line.ljust(row_bytes(1, size), b"\0")
    return header + palette + colour + mask


def main():
    src, out = sys.argv[1], sys.argv[2]
    images = read_images(src)
    data = [dib(size, rows) for size, rows in images]
    result = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, _), blob in zip(images, data):
        result += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    result += b"".join(data)
    with open(out, "wb") as f:
        f.write(result)


if __name__ == "__main__":
    main()
