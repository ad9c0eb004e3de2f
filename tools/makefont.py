#!/usr/bin/env python3
"""Builds data/font.bmp, the game's glyph sheet, from the public-domain
misc-fixed 8x13 font (ISO 10646 encoded) that Debian ships in xfonts-base.

The PCF file is parsed here directly (Python 3 standard library only; no
pcf2bdf needed). Each code of the IBM PC code page 437 is looked up by its
Unicode code point; the font's 13 pixel rows are fitted into the sheet's 12
(see fit_rows). Codes 0, 32 and 255 are blank, and code 219 is always the
solid 8 x 12 block that the game clears cells with. A code the font lacks is
reported and left blank (the 8x13 font has all of them).

Output: 128 x 192 pixels, 16 x 16 cells of 8 x 12, code c at column c % 16
and row c // 16 from the top-left; white glyphs on magenta (255, 0, 255);
24-bit uncompressed, pixel data at offset 54, rows bottom-up.

Usage: tools/makefont.py [source.pcf.gz] [output.bmp]
"""

import gzip
import struct
import sys
from pathlib import Path

DEFAULT_SOURCE = "/usr/share/fonts/X11/misc/8x13.pcf.gz"
DEFAULT_OUTPUT = Path(__file__).resolve().parent.parent / "data" / "font.bmp"

CELL_W, CELL_H = 8, 12
SHEET_W, SHEET_H = 16 * CELL_W, 16 * CELL_H

# --- PCF ---------------------------------------------------------------------

PCF_METRICS = 1 << 2
PCF_BITMAPS = 1 << 3
PCF_BDF_ENCODINGS = 1 << 5
PCF_BDF_ACCELERATORS = 1 << 8
PCF_ACCELERATORS = 1 << 1

PCF_COMPRESSED_METRICS = 0x100


class Reader:
    def __init__(self, data, pos, fmt):
        self.data = data
        self.pos = pos
        self.big = bool(fmt & 4)  # PCF_BYTE_MASK: most significant byte first

    def _unpack(self, code, size):
        order = ">" if self.big else "<"
        (v,) = struct.unpack_from(order + code, self.data, self.pos)
        self.pos += size
        return v

    def i32(self):
        return self._unpack("i", 4)

    def i16(self):
        return self._unpack("h", 2)

    def u16(self):
        return self._unpack("H", 2)

    def u8(self):
        v = self.data[self.pos]
        self.pos += 1
        return v


class Glyph:
    def __init__(self, lsb, rsb, width, ascent, descent):
        self.lsb, self.rsb, self.width = lsb, rsb, width
        self.ascent, self.descent = ascent, descent
        self.rows = []  # ascent + descent ints, bit (rsb - lsb - 1 - i) = column lsb + i


class PcfFont:
    def __init__(self, data):
        if data[:4] != b"\x01fcp":
            raise ValueError("not a PCF file")
        (count,) = struct.unpack_from("<i", data, 4)
        self.tables = {}
        for i in range(count):
            ttype, fmt, size, offset = struct.unpack_from("<iiii", data, 8 + 16 * i)
            self.tables[ttype] = (fmt, size, offset)
        self.data = data
        self.glyphs = self._metrics()
        self._bitmaps()
        self.encoding = self._encodings()
        self.ascent, self.descent = self._accelerators()

    def _table(self, ttype):
        fmt, _size, offset = self.tables[ttype]
        (stored,) = struct.unpack_from("<i", self.data, offset)
        return Reader(self.data, offset + 4, stored), stored

    def _metrics(self):
        r, fmt = self._table(PCF_METRICS)
        glyphs = []
        if fmt & PCF_COMPRESSED_METRICS:
            n = r.i16()
            for _ in range(n):
                lsb, rsb, w, asc, desc = (r.u8() - 0x80 for _ in range(5))
                glyphs.append(Glyph(lsb, rsb, w, asc, desc))
        else:
            n = r.i32()
            for _ in range(n):
                lsb, rsb, w, asc, desc = (r.i16() for _ in range(5))
                r.u16()  # attributes
                glyphs.append(Glyph(lsb, rsb, w, asc, desc))
        return glyphs

    def _bitmaps(self):
        r, fmt = self._table(PCF_BITMAPS)
        n = r.i32()
        offsets = [r.i32() for _ in range(n)]
        sizes = [r.i32() for _ in range(4)]
        base = r.pos
        pad = 1 << (fmt & 3)
        msb_bit = bool(fmt & 8)
        unit = 1 << ((fmt >> 4) & 3)
        msb_byte = bool(fmt & 4)
        if unit != 1 and msb_byte != msb_bit:
            raise ValueError("byte-swapped scan units are not supported")
        del sizes
        for g, off in zip(self.glyphs, offsets):
            w = g.rsb - g.lsb
            stride = ((w + 7) // 8 + pad - 1) // pad * pad
            pos = base + off
            for _ in range(g.ascent + g.descent):
                row = 0
                for col in range(w):
                    byte = self.data[pos + col // 8]
                    bit = (byte >> (7 - col % 8)) & 1 if msb_bit else (byte >> (col % 8)) & 1
                    row = (row << 1) | bit
                g.rows.append(row)
                pos += stride

    def _encodings(self):
        r, _fmt = self._table(PCF_BDF_ENCODINGS)
        min2, max2, min1, max1, _default = (r.i16() for _ in range(5))
        span = max2 - min2 + 1
        enc = {}
        for b1 in range(min1, max1 + 1):
            for b2 in range(min2, max2 + 1):
                idx = r.u16()
                if idx != 0xFFFF:
                    enc[(b1 << 8) | b2] = idx
        del span
        return enc

    def _accelerators(self):
        ttype = PCF_BDF_ACCELERATORS if PCF_BDF_ACCELERATORS in self.tables else PCF_ACCELERATORS
        r, _fmt = self._table(ttype)
        r.pos += 8  # eight flag bytes
        ascent = r.i32()
        descent = r.i32()
        return ascent, descent

    def cell(self, codepoint):
        """The glyph as ascent + descent rows of 8 booleans, or None."""
        idx = self.encoding.get(codepoint)
        if idx is None:
            return None
        g = self.glyphs[idx]
        h = self.ascent + self.descent
        cell = [[False] * CELL_W for _ in range(h)]
        w = g.rsb - g.lsb
        top = self.ascent - g.ascent
        for i, row in enumerate(g.rows):
            y = top + i
            if not 0 <= y < h:
                continue
            for col in range(w):
                x = g.lsb + col
                if 0 <= x < CELL_W and (row >> (w - 1 - col)) & 1:
                    cell[y][x] = True
        return cell


# --- Code page 437 -----------------------------------------------------------

# The pictures the PC shows for the control codes and for 127.
LOW_CODES = [
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
]


def cp437_codepoint(code):
    if code < 32:
        return LOW_CODES[code]
    if code == 127:
        return 0x2302
    return ord(bytes([code]).decode("cp437"))


def fit_rows(cell, codepoint):
    """Fits a 13-row cell into 12 rows.

    In the 8x13 font the top row is blank in every letter, accented capitals
    included, so dropping it keeps every baseline and every descender. Only
    shapes that run on into the neighbouring cells reach it (box drawing,
    blocks, shades, the inverse bullets, the integral halves); they simply
    lose one row of their vertical run. Should a glyph outside the box and
    block range have ink there, the top row is kept: moved down into an
    empty row below it, or merged with that row.
    """
    if len(cell) == CELL_H:
        return cell
    assert len(cell) == CELL_H + 1, len(cell)
    top, below = cell[0], cell[1]
    fills_cell = 0x2500 <= codepoint <= 0x259F
    if any(top) and not any(below) and not fills_cell:
        return [top] + cell[2:]
    if any(top) and not fills_cell:
        # Merge the two top rows so an accent and a tall letter both survive.
        merged = [a or b for a, b in zip(top, below)]
        return [merged] + cell[2:]
    return cell[1:]


def glyph_for(font, code, missing):
    if code == 219:
        return [[True] * CELL_W for _ in range(CELL_H)]
    if code in (0, 32, 255):
        return [[False] * CELL_W for _ in range(CELL_H)]
    cp = cp437_codepoint(code)
    cell = font.cell(cp)
    if cell is None:
        missing.append((code, cp))
        return [[False] * CELL_W for _ in range(CELL_H)]
    return fit_rows(cell, cp)


def write_bmp(path, sheet):
    row_bytes = SHEET_W * 3  # 384, already a multiple of 4
    image_size = row_bytes * SHEET_H
    header = struct.pack("<2sIHHI", b"BM", 54 + image_size, 0, 0, 54)
    info = struct.pack("<iiiHHIIiiII", 40, SHEET_W, SHEET_H, 1, 24, 0, image_size, 2835, 2835, 0, 0)
    out = bytearray(header + info)
    for y in range(SHEET_H - 1, -1, -1):  # bottom-up
        for x in range(SHEET_W):
            out += b"\xff\xff\xff" if sheet[y][x] else b"\xff\x00\xff"  # blue, green, red
    Path(path).write_bytes(bytes(out))


def main(argv):
    source = argv[1] if len(argv) > 1 else DEFAULT_SOURCE
    output = argv[2] if len(argv) > 2 else DEFAULT_OUTPUT
    raw = Path(source).read_bytes()
    if raw[:2] == b"\x1f\x8b":
        raw = gzip.decompress(raw)
    font = PcfFont(raw)
    if font.ascent + font.descent != CELL_H + 1:
        raise SystemExit("expected a font of 13 pixel rows, got %d" % (font.ascent + font.descent))
    sheet = [[False] * SHEET_W for _ in range(SHEET_H)]
    missing = []
    for code in range(256):
        cell = glyph_for(font, code, missing)
        ox, oy = (code % 16) * CELL_W, (code // 16) * CELL_H
        for y in range(CELL_H):
            for x in range(CELL_W):
                sheet[oy + y][ox + x] = cell[y][x]
    write_bmp(output, sheet)
    for code, cp in missing:
        print("code %d (U+%04X) not in the font; left blank" % (code, cp), file=sys.stderr)
    print("wrote", output)


if __name__ == "__main__":
    main(sys.argv)
