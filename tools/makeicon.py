#!/usr/bin/env python3
"""Builds the game's icons, data/icons/hicolor/<n>x<n>/apps/vell.png, from
the player's glyph in data/font.bmp, drawn as the game draws the player:
glyph code 1 in white over a black cell.

The glyph's lit pixels are cropped to their bounding box with one black
pixel of margin, centred in a black square, and scaled by whole pixels
(nearest neighbour) to fit each icon size; what the whole-pixel scale
leaves over is transparent. Python 3 standard library only; the output
depends on font.bmp alone, byte for byte.

Usage: tools/makeicon.py [font.bmp] [output dir]
"""

import struct
import sys
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SIZES = (16, 24, 32, 48, 64, 128, 256)
PLAYER_GLYPH = 1
PLAYER_COLOUR = (255, 255, 255)
CELL_W, CELL_H = 8, 12


def read_cell(path, code):
    """The glyph's cell as rows (top first) of booleans: lit or not."""
    data = Path(path).read_bytes()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    row_bytes = (width * 3 + 3) // 4 * 4
    cx, cy = code % 16 * CELL_W, code // 16 * CELL_H
    cell = []
    for y in range(cy, cy + CELL_H):
        base = offset + (height - 1 - y) * row_bytes  # rows are stored bottom-up
        row = []
        for x in range(cx, cx + CELL_W):
            b, g, r = data[base + 3 * x:base + 3 * x + 3]
            row.append((r, g, b) != (255, 0, 255))
        cell.append(row)
    return cell


def square(cell):
    """The lit pixels' bounding box plus one pixel, padded to a square."""
    lit = [(x, y) for y, row in enumerate(cell) for x, on in enumerate(row) if on]
    x0 = min(x for x, _ in lit) - 1
    x1 = max(x for x, _ in lit) + 1
    y0 = min(y for _, y in lit) - 1
    y1 = max(y for _, y in lit) + 1
    side = max(x1 - x0, y1 - y0) + 1
    left = x0 - (side - (x1 - x0 + 1)) // 2
    top = y0 - (side - (y1 - y0 + 1)) // 2

    def at(x, y):
        return 0 <= y < len(cell) and 0 <= x < len(cell[0]) and cell[y][x]

    return [[at(left + i, top + j) for i in range(side)] for j in range(side)]


def png(size, pixels):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body)))

    raw = b"".join(b"\0" + bytes(row) for row in pixels)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon(glyph, size):
    side = len(glyph)
    scale = max(1, size // side)
    margin = (size - side * scale) // 2
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            i, j = (x - margin) // scale, (y - margin) // scale
            if 0 <= i < side and 0 <= j < side and x >= margin and y >= margin:
                row += (*PLAYER_COLOUR, 255) if glyph[j][i] else (0, 0, 0, 255)
            else:
                row += (0, 0, 0, 0)
        rows.append(row)
    return png(size, rows)


def main():
    font = sys.argv[1] if len(sys.argv) > 1 else ROOT / "data" / "font.bmp"
    out = Path(sys.argv[2]) if len(sys.argv) > 2 else ROOT / "data" / "icons" / "hicolor"
    glyph = square(read_cell(font, PLAYER_GLYPH))
    for size in SIZES:
        path = out / f"{size}x{size}" / "apps" / "vell.png"
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(icon(glyph, size))
        print(path)


if __name__ == "__main__":
    main()
