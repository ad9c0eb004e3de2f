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

} // namespace

int main() {
    TexBlock *sheet = texBlock_new(128, 192);
    TexBlock *got = texBlock_new(24, 12), *want = texBlock_new(24, 12);
    // Tints 0 to 255 in red (other bytes in green and blue), then black.
    for (int t = 0; t <= 256; ++t) {
        const bool black = t == 256;
        const unsigned char r = black ? 0 : static_cast<unsigned char>(t);
        const unsigned char g = black ? 0 : static_cast<unsigned char>(t ^ 0xA5);
        const unsigned char b = black ? 0 : static_cast<unsigned char>(t * 7);
        for (int alpha = 0; alpha < 256; ++alpha) {
            fillSheet(sheet, alpha);
            for (int k = 0; k < 256; ++k) {
                fillCells(got);
                fillCells(want);
                for (int cell = 0; cell < 3; ++cell)
                    drawCharToImage(static_cast<unsigned char>(k), r, g, b, cell * 8, 0, got,
                                    sheet);
                const unsigned char *src =
                    sheet->pixels + ((15 - k / 16) * 12 * sheet->tw + (k % 16) * 8) * 4;
                for (int row = 0; row < 12; ++row)
                    for (int col = 0; col < 24; ++col)
                        drawPix(want->pixels + (row * want->tw + col) * 4, src, r, g, b);
                if (!same(got, want, "drawCharToImage", t, alpha, k))
                    return 1;
            }
        }
        if (t % 32 == 0)
            std::fprintf(stderr, "tint %d done\n", t);
    }
    // A whole cell: the black block (glyph 219) under a glyph of another alpha.
    for (int alpha = 0; alpha < 256; ++alpha) {
        fillSheet(sheet, alpha);
        for (int k = 0; k < 256; ++k) {
            unsigned char *block =
                sheet->pixels + ((15 - 219 / 16) * 12 * sheet->tw + (219 % 16) * 8) * 4;
            for (int row = 0; row < 12; ++row)
                for (int col = 0; col < 8; ++col)
                    block[(row * sheet->tw + col) * 4 + 3] = static_cast<unsigned char>(k);
            fillCells(got);
            fillCells(want);
            const unsigned char glyph =
                static_cast<unsigned char>((k * 37) % 256 == 219 ? 1 : (k * 37) % 256);
            for (int cell = 0; cell < 3; ++cell)
                drawCellToImage(glyph, static_cast<unsigned char>(k), 200, 17, cell * 8, 0, got,
                                sheet);
            const unsigned char *src =
                sheet->pixels + ((15 - glyph / 16) * 12 * sheet->tw + (glyph % 16) * 8) * 4;
            for (int row = 0; row < 12; ++row)
                for (int col = 0; col < 24; ++col) {
                    unsigned char *p = want->pixels + (row * want->tw + col) * 4;
                    drawPix(p, block + row * sheet->tw * 4, 0, 0, 0);
                    drawPix(p, src, static_cast<unsigned char>(k), 200, 17);
                }
            if (!same(got, want, "drawCellToImage", k, alpha, glyph))
                return 1;
        }
    }
    // Whole cells over a black block whose rows change one at a time between
    // them: what a cell is drawn from is the block as it is then.
    {
        fillSheet(sheet, 128);
        unsigned char *block =
            sheet->pixels + ((15 - 219 / 16) * 12 * sheet->tw + (219 % 16) * 8) * 4;
        for (int k = 0; k < 12 * 256; ++k) {
            for (int col = 0; col < 8; ++col)
                block[((k % 12) * sheet->tw + col) * 4 + 3] =
                    static_cast<unsigned char>(k * 7 + k / 12);
            fillCells(got);
            fillCells(want);
            const unsigned char glyph = static_cast<unsigned char>(1 + k % 200);
            const unsigned char t = static_cast<unsigned char>(k);
            for (int cell = 0; cell < 3; ++cell)
                drawCellToImage(glyph, t, 90, 0, cell * 8, 0, got, sheet);
            const unsigned char *src =
                sheet->pixels + ((15 - glyph / 16) * 12 * sheet->tw + (glyph % 16) * 8) * 4;
            for (int row = 0; row < 12; ++row)
                for (int col = 0; col < 24; ++col) {
                    unsigned char *p = want->pixels + (row * want->tw + col) * 4;
                    drawPix(p, block + row * sheet->tw * 4, 0, 0, 0);
                    drawPix(p, src + row * sheet->tw * 4, t, 90, 0);
                }
            if (!same(got, want, "changing block", t, 128, glyph))
                return 1;
        }
    }
    // A whole cell from an opaque black block and a glyph of clear and
    // opaque pixels, coloured or white, under every tint byte.
    for (int white = 0; white < 2; ++white) {
        fillSheet(sheet, -1);
        for (int i = 0; white != 0 && i < sheet->tw * sheet->th; ++i)
            std::memset(sheet->pixels + i * 4, 255, 3);
        unsigned char *block =
            sheet->pixels + ((15 - 219 / 16) * 12 * sheet->tw + (219 % 16) * 8) * 4;
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 8; ++col)
                block[(row * sheet->tw + col) * 4 + 3] = 255;
        for (int t = 0; t <= 256; ++t) {
            const unsigned char r = t == 256 ? 0 : static_cast<unsigned char>(t);
            const unsigned char g = t == 256 ? 0 : static_cast<unsigned char>(t ^ 0xA5);
            const unsigned char b = t == 256 ? 0 : static_cast<unsigned char>(t * 7);
            for (int k = 0; k < 256; ++k) {
                fillCells(got);
                fillCells(want);
                for (int cell = 0; cell < 3; ++cell)
                    drawCellToImage(static_cast<unsigned char>(k), r, g, b, cell * 8, 0, got,
                                    sheet);
                const unsigned char *src =
                    sheet->pixels + ((15 - k / 16) * 12 * sheet->tw + (k % 16) * 8) * 4;
                for (int row = 0; row < 12; ++row)
                    for (int col = 0; col < 24; ++col) {
                        unsigned char *p = want->pixels + (row * want->tw + col) * 4;
                        drawPix(p, block + (row * sheet->tw + col % 8) * 4, 0, 0, 0);
                        drawPix(p, src + (row * sheet->tw + col % 8) * 4, r, g, b);
                    }
                if (!same(got, want, white != 0 ? "white cell" : "plain cell", t, 255, k))
                    return 1;
            }
        }
    }
    std::printf("ok\n");
    return 0;
}
