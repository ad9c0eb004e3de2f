// Compares the glyph drawing of the game (drawCharToImage, drawCellToImage)
// byte for byte with its one-pixel blend (drawPix) over every input of a
// colour byte: every tint byte, source alpha, source byte and destination
// byte (2^32 cases), and every source alpha and destination byte under the
// black tint. Not part of the game or its tests; build and run with
//   g++ -O2 -std=c++20 -Isrc tools/blendcheck.cpp build/libvell_core.a -o /tmp/blendcheck
//   /tmp/blendcheck
// and the drawing for processors without AVX2 by building it from
// tools/blendcheck.cpp src/graphics/graphics.cpp src/graphics/glseam.cpp
// with -ffp-contract=off '-D__builtin_cpu_supports(x)=false'.
// Prints the first mismatch and exits 1, or prints "ok".

#include <cstdio>
#include <cstring>

#include "graphics/graphics.h"

using namespace vell;

namespace {

// Glyph k of the sheet: every pixel (k, k ^ 0x5A, 255 - k, alpha); a
// negative alpha gives clear and opaque pixels in a checkerboard.
void fillSheet(TexBlock *sheet, int alpha) {
    for (int k = 0; k < 256; ++k)
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 8; ++col) {
                unsigned char *p =
                    sheet->pixels +
                    (((15 - k / 16) * 12 + row) * sheet->tw + (k % 16) * 8 + col) * 4;
                p[0] = static_cast<unsigned char>(k);
                p[1] = static_cast<unsigned char>(k ^ 0x5A);
                p[2] = static_cast<unsigned char>(255 - k);
                p[3] = static_cast<unsigned char>(alpha >= 0 ? alpha : (row + col) % 2 * 255);
            }
}

// Three cells side by side holding destination bytes 0 to 287 (mod 256).
void fillCells(TexBlock *dst) {
    for (int row = 0; row < 12; ++row)
        for (int col = 0; col < 24; ++col) {
            const int d = (row * 24 + col) % 256;
            unsigned char *p = dst->pixels + (row * dst->tw + col) * 4;
            p[0] = static_cast<unsigned char>(d);
            p[1] = static_cast<unsigned char>(d ^ 0x33);
            p[2] = static_cast<unsigned char>(255 - d);
            p[3] = static_cast<unsigned char>(d ^ 0x96);
        }
}

bool same(const TexBlock *got, const TexBlock *want, const char *what, int t, int alpha, int k) {
    for (int row = 0; row < 12; ++row)
        if (std::memcmp(got->pixels + row * got->tw * 4, want->pixels + row * want->tw * 4,
                        24 * 4)) {
            std::printf("%s differs: tint %d, alpha %d, glyph %d, row %d\n", what, t, alpha, k,
                        row);
            return false;
        }
    return true;
}

// The top left pixel of glyph c in the sheet's grid.
unsigned char *glyphAt(const TexBlock *sheet, int c) {
    return sheet->pixels + ((15 - c / 16) * 12 * sheet->tw + (c % 16) * 8) * 4;
}

// Tint t: t in red and other bytes in green and blue; 256 is black.
struct Tint {
    unsigned char r, g, b;
};
Tint tintOf(int t) {
    if (t == 256)
        return {0, 0, 0};
    return {static_cast<unsigned char>(t), static_cast<unsigned char>(t ^ 0xA5),
            static_cast<unsigned char>(t * 7)};
}

// Glyph c under tint u drawn into three cells side by side, as a whole cell
// (the black block first) or alone, by the game and pixel by pixel with
// drawPix; true if both come out the same.
bool check(TexBlock *got, TexBlock *want, TexBlock *sheet, bool whole, int c, Tint u,
           const char *what, int t, int alpha) {
    fillCells(got);
    fillCells(want);
    const auto glyph = static_cast<unsigned char>(c);
    for (int cell = 0; cell < 3; ++cell)
        if (whole)
            drawCellToImage(glyph, u.r, u.g, u.b, cell * 8, 0, got, sheet);
        else
            drawCharToImage(glyph, u.r, u.g, u.b, cell * 8, 0, got, sheet);
    for (int row = 0; row < 12; ++row)
        for (int col = 0; col < 24; ++col) {
            unsigned char *p = want->pixels + (row * want->tw + col) * 4;
            const int at = (row * sheet->tw + col % 8) * 4;
            if (whole)
                drawPix(p, glyphAt(sheet, 219) + at, 0, 0, 0);
            drawPix(p, glyphAt(sheet, c) + at, u.r, u.g, u.b);
        }
    return same(got, want, what, t, alpha, c);
}

// Sets the alpha byte of every pixel of the black block's row `row`.
void blockAlpha(TexBlock *sheet, int row, int alpha) {
    for (int col = 0; col < 8; ++col)
        glyphAt(sheet, 219)[(row * sheet->tw + col) * 4 + 3] = static_cast<unsigned char>(alpha);
}

} // namespace

int main() {
    TexBlock *sheet = texBlock_new(128, 192);
    TexBlock *got = texBlock_new(24, 12), *want = texBlock_new(24, 12);
    // Every tint, source alpha and glyph (so every source byte) over the
    // destination bytes of three cells.
    for (int t = 0; t <= 256; ++t) {
        for (int alpha = 0; alpha < 256; ++alpha) {
            fillSheet(sheet, alpha);
            for (int k = 0; k < 256; ++k)
                if (!check(got, want, sheet, false, k, tintOf(t), "drawCharToImage", t, alpha))
                    return 1;
        }
        if (t % 32 == 0)
            std::fprintf(stderr, "tint %d done\n", t);
    }
    // A whole cell: the black block (glyph 219) under a glyph of another alpha.
    for (int alpha = 0; alpha < 256; ++alpha) {
        fillSheet(sheet, alpha);
        for (int k = 0; k < 256; ++k) {
            for (int row = 0; row < 12; ++row)
                blockAlpha(sheet, row, k);
            const int glyph = (k * 37) % 256 == 219 ? 1 : (k * 37) % 256;
            if (!check(got, want, sheet, true, glyph, {static_cast<unsigned char>(k), 200, 17},
                       "drawCellToImage", k, alpha))
                return 1;
        }
    }
    // Whole cells over a black block whose rows change one at a time between
    // them: what a cell is drawn from is the block as it is then.
    fillSheet(sheet, 128);
    for (int k = 0; k < 12 * 256; ++k) {
        blockAlpha(sheet, k % 12, k * 7 + k / 12);
        if (!check(got, want, sheet, true, 1 + k % 200, {static_cast<unsigned char>(k), 90, 0},
                   "changing block", k % 256, 128))
            return 1;
    }
    // A whole cell from an opaque black block and a glyph of clear and
    // opaque pixels, coloured or white, under every tint byte.
    for (int white = 0; white < 2; ++white) {
        fillSheet(sheet, -1);
        for (int i = 0; white != 0 && i < sheet->tw * sheet->th; ++i)
            std::memset(sheet->pixels + i * 4, 255, 3);
        for (int row = 0; row < 12; ++row)
            blockAlpha(sheet, row, 255);
        for (int t = 0; t <= 256; ++t)
            for (int k = 0; k < 256; ++k)
                if (!check(got, want, sheet, true, k, tintOf(t),
                           white != 0 ? "white cell" : "plain cell", t, 255))
                    return 1;
    }
    std::printf("ok\n");
    return 0;
}
