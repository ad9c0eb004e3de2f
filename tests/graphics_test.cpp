// Images, glyph drawing, the glyph sheet file (bitmaps built here, and data/font.bmp) and
// the map display blocks.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "graphics/glseam.h"
#include "graphics/map.h"
#include "graphics/tile.h"
#include "platform/font.h"
#include "support/fixture.h"

namespace vell {

using Bytes = std::vector<unsigned char>;

std::array<int, 4> pixel(const TexBlock *t, int x, int y) {
    const unsigned char *p = t->pixels + (y * t->tw + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// File row y, column x holds blue x, green y, red (7x + y) % 251, except that column 3 of
// every glyph cell is magenta; `gap` bytes of 0x11 sit before the pixels. Absurd sizes get
// their headers only.
Bytes makeBmp(int w, int h, int gap = 0) {
    Bytes b(54, 0);
    auto put32 = [&b](int at, long v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<unsigned char>(v >> 8 * i);
    };
    b[0] = 'B', b[1] = 'M', b[26] = 1, b[28] = 24;
    put32(2, w <= 1000 && h <= 1000 ? 54 + gap + 3 * w * h : 0), put32(10, 54 + gap);
    put32(14, 40), put32(18, w), put32(22, h);
    b.resize(54 + gap, 0x11);
    for (int y = 0; y < h && h <= 1000; ++y)
        for (int x = 0; x < w && w <= 1000; ++x)
            for (int v :
                 {x % 8 == 3 ? 255 : x, x % 8 == 3 ? 0 : y, x % 8 == 3 ? 255 : (7 * x + y) % 251})
                b.push_back(static_cast<unsigned char>(v));
    return b;
}

// Loads the bytes through a memory stream.
TexBlock *load(Bytes b) {
    std::FILE *f = fmemopen(b.data(), b.size(), "rb");
    TexBlock *t = loadTexture(f);
    std::fclose(f);
    return t;
}

TEST(P2, SmallestPowerOfTwoNotBelowAndMinusOneBeyondTwoToThe30) {
    const int n[] = {-7, 0, 1, 2, 3, 120, 128, 129, 192, 720, 1 << 30, (1 << 30) + 1, 0x7fffffff};
    const int want[] = {1, 1, 1, 2, 4, 128, 128, 256, 256, 1024, 1 << 30, -1, -1};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(p2(n[i]), want[i]) << n[i];
}

// A wrapped size would allocate a small buffer that drawing then overruns.
TEST(TexBlockNew, NullBelowOneOrOnOverflowElseOpaqueBlackAndUploadedOnceUnchanged) {
    const int w[] = {0, 5, (1 << 30) + 1, 1, 1 << 30, 1 << 15, 65536};
    const int h[] = {5, -1, 1, 0x7fffffff, 1, 1 << 14, 65536};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(texBlock_new(w[i], h[i]), nullptr) << w[i] << " x " << h[i];
    TexBlock *t = texBlock_new(720, 12);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ((std::array{t->tw, t->th, t->width, t->height, t->flags}),
              (std::array{1024, 16, 720, 12, 1}));
    for (int i = 0; i < 1024 * 16; ++i)
        ASSERT_EQ(pixel(t, i % 1024, i / 1024), (std::array{0, 0, 0, 255})) << i;
    drawTexBlock(t, 0, 528);
    drawTexBlock(t, 0, 528);
    EXPECT_EQ(recordingGl().uploads(t->texture), 1);
    texBlock_free(t);
}

TEST(DrawPix, WorkedExamplesAndATransparentSourceLeavesTheDestination) {
    const std::array<unsigned char, 4> cases[][4] = {
        // destination, source, tint, result; the last red is 100.89 truncated
        {{100, 100, 100, 255}, {200, 200, 200, 128}, {255, 255, 255}, {150, 150, 150, 191}},
        {{255, 1, 77, 3}, {255, 255, 255, 255}, {100, 150, 0}, {100, 150, 0, 255}},
        {{12, 34, 56, 78}, {255, 255, 255, 0}, {200, 10, 255}, {12, 34, 56, 78}},
        {{0, 0, 0, 0}, {201, 201, 201, 128}, {255, 255, 255}, {100, 100, 100, 64}}};
    for (const auto &c : cases) {
        auto out = c[0];
        drawPix(out.data(), c[1].data(), c[2][0], c[2][1], c[2][2]);
        EXPECT_EQ(out, c[3]) << "case " << &c - cases;
    }
}

// Glyph drawing takes shortcuts (skipped transparent pixels, tables for the
// alpha byte and for black); every pixel must still come out as drawPix
// makes it, on a sheet of noise such as heavy corruption leaves.
TEST(DrawCharToImage, EveryPixelAsDrawPixMakesItWhateverTheSheetHolds) {
    TexBlock *sheet = texBlock_new(128, 192), *dst = texBlock_new(128, 12);
    unsigned state = 12345;
    auto noise = [&](TexBlock *t) {
        for (int i = 0; i < t->tw * t->th * 4; ++i)
            t->pixels[i] = static_cast<unsigned char>((state = state * 1103515245u + 12345u) >> 23);
    };
    noise(sheet);
    for (std::array<unsigned char, 3> tint :
         {std::array<unsigned char, 3>{0, 0, 0}, {255, 255, 255}, {37, 200, 91}, {0, 0, 1}})
        for (int c = 0; c < 256; ++c) {
            noise(dst);
            Bytes expected(dst->pixels, dst->pixels + dst->tw * 12 * 4);
            for (int row = 0; row < 12; ++row)
                for (int col = 0; col < 8; ++col)
                    drawPix(&expected[(row * dst->tw + 8 + col) * 4],
                            sheet->pixels +
                                (((15 - c / 16) * 12 + row) * 128 + c % 16 * 8 + col) * 4,
                            tint[0], tint[1], tint[2]);
            drawCharToImage(static_cast<unsigned char>(c), tint[0], tint[1], tint[2], 8, 0, dst,
                            sheet);
            ASSERT_EQ(Bytes(dst->pixels, dst->pixels + expected.size()), expected)
                << "glyph " << c << " tint " << int(tint[0]) << "," << int(tint[1]) << ","
                << int(tint[2]);
        }
    texBlock_free(sheet);
    texBlock_free(dst);
}

TEST(LoadTexture, RowsBottomUpAfterAnyGapOnlyExactMagentaClearAndMissingBytesRead255) {
    Bytes gap = makeBmp(128, 192, 10), keyed = makeBmp(128, 192), cut = keyed;
    keyed[65] = 254;      // pixel (3, 0): blue 255, green 0, red 254, one off magenta
    cut.resize(54 + 100); // 33 whole pixels and the blue of the 34th
    const std::pair<Bytes, std::vector<std::array<int, 6>>> cases[] = {
        // x, y and the red, green, blue, alpha expected there
        {gap, {{5, 3, 38, 3, 5, 255}, {127, 191, 76, 191, 127, 255}, {127, 255, 0, 0, 0, 255}}},
        {keyed, {{3, 0, 254, 0, 255, 255}, {11, 0, 0, 0, 0, 0}}},
        {cut, {{32, 0, 224, 0, 32, 255}, {33, 0, 255, 255, 33, 255}, {0, 1, 255, 255, 255, 255}}}};
    for (const auto &[file, probes] : cases) {
        TexBlock *t = load(file);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->flags, 1); // uploaded once, yet still marked for its first draw
        for (const auto &p : probes)
            EXPECT_EQ(pixel(t, p[0], p[1]), (std::array{p[2], p[3], p[4], p[5]}))
                << p[0] << "," << p[1];
        texBlock_free(t);
    }
}

// Every glyph draw addresses the full 128 x 192 grid, so a smaller sheet would be read
// out of bounds; a garbage header must not make the loader allocate gigabytes (64 MiB at most).
TEST(LoadTexture, SheetsBelowTheGlyphGridTopDownOrAbsurdlyLargeFail) {
    const int w[] = {128, 200, 4096, 127, 128, 0, 1, 128, 100000, 0x7fffffff, 128, 8192, 4097};
    const int h[] = {192, 300, 4096, 192, 191, 192, 1, -192, 100000, 192, 0x7fffffff, 8192, 4096};
    for (int i = 0; i < 13; ++i) {
        TexBlock *t = load(makeBmp(w[i], h[i]));
        EXPECT_EQ(t != nullptr, i < 3) << w[i] << " x " << h[i];
        texBlock_free(t);
    }
}

// Text draws codes 32 to 126 as their characters, and cells are cleared with 219 in black.
TEST(FontFile, HeaderOfA128By192Uncompressed24BitBitmapAndTheGlyphsTheGameNeeds) {
    std::ifstream file(VELL_SOURCE_DIR "/data/font.bmp", std::ios::binary);
    const Bytes b{std::istreambuf_iterator<char>(file), {}}, want = makeBmp(128, 192);
    ASSERT_EQ(b.size(), want.size());
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 34), Bytes(want.begin(), want.begin() + 34));
    std::array<int, 256> opaque{};
    for (int i = 0; i < 128 * 192; ++i) // blue, green, red: magenta is the transparent key
        opaque[(15 - i / 128 / 12) * 16 + i % 128 / 8] +=
            Bytes(b.begin() + 54 + 3 * i, b.begin() + 57 + 3 * i) != Bytes{255, 0, 255};
    EXPECT_EQ((std::array{opaque[219], opaque[' ']}), (std::array{96, 0}));
    for (int c = 33; c < 127; ++c)
        EXPECT_GT(opaque[c], 0) << "glyph " << c;
}

// Whether the cell at pixel (px, py) of the image shows glyph c tinted (r, g, b) over a
// cleared cell, exactly as drawing into an image leaves it (' ' shows a black cell).
bool shows(const TexBlock *image, int px, int py, unsigned char c, unsigned char r = 255,
           unsigned char g = 255, unsigned char b = 255) {
    std::vector<unsigned char> cell(8 * 12 * 4);
    TexBlock ref{8, 12, 8, 12, 0, cell.data(), 0};
    drawCharToImage(219, 0, 0, 0, 0, 0, &ref, gameTex);
    drawCharToImage(c, r, g, b, 0, 0, &ref, gameTex);
    for (int row = 0; row < 12; ++row)
        if (std::memcmp(&cell[row * 32], image->pixels + ((py + row) * image->tw + px) * 4, 32))
            return false;
    return true;
}

// Off-map coordinates would index past the blocks; reporting or drawing them does nothing.
TEST(MapChanges, OneEntryPerTileEachInItsBlockAndNothingOffTheMap) {
    freshWorld();
    drawMap(); // uploads every block and clears its changed flag
    const int on[][2] = {{3, 4}, {14, 9}, {15, 9}, {89, 39}, {3, 4}};
    const int off[][2] = {{90, 0}, {-1, 5}, {0, 40}, {3, -1}};
    for (const auto &p : on)
        addChange(p[0], p[1]);
    for (const auto &p : off)
        tileChanged(p[0], p[1]), drawTileToTex(&tileAt(0, 0), p[0], p[1]);
    std::string counts; // per block, its pending tiles, or 'x' for a changed image
    for (auto &column : mapTex)
        for (MapBlock &block : column)
            counts += texBlock_changed(block.image) ? 'x' : static_cast<char>('0' + block.count);
    EXPECT_EQ(counts, "200010000000000000000001");
    tileAt(89, 39) = {'@', 255, 255, 255, nullptr, nullptr};
    drawTileToTex(&tileAt(89, 39), 89, 39);
    tileAt(89, 39) = {'#', 0, 255, 0, nullptr, nullptr}; // over the '@', which is cleared first
    mapBlock_collapse(&mapTex[5][3]);
    EXPECT_EQ(mapTex[5][3].count, 0);
    EXPECT_TRUE(shows(mapTex[5][3].image, 112, 108, '#', 0, 255, 0));
}

TEST(MapChanges, TwentiethDistinctTileBakesTheNineteenAndStaysPending) {
    freshWorld();
    MapBlock &block = mapTex[1][2]; // columns 15..29, rows 20..29
    for (int k = 0; k < 20; ++k) {
        EXPECT_TRUE(shows(block.image, 0, 0, ' ')) << k; // nothing baked before the 20th
        const int x = 15 + k % 15, y = 20 + k / 15;
        tileAt(x, y) = {static_cast<unsigned char>('A' + k), 255, 255, 255, nullptr, nullptr};
        addChange(x, y);
    }
    EXPECT_EQ((std::array{block.count, block.changes[0][0], block.changes[0][1]}),
              (std::array{1, 19, 21}));
    for (int k = 0; k < 20; ++k)
        EXPECT_TRUE(shows(block.image, 8 * (k % 15), 12 * (k / 15), k < 19 ? 'A' + k : ' ')) << k;
}

// Tile (20, 5) waits in block (1, 0); block (2, 1) holds a pending tile and one that map
// generation drew straight into its image.
TEST(MapDisplay, ChangesShowNextFrameDirectlyOrInTheOneUploadOfTheirBlock) {
    freshWorld();
    drawMap();
    recordingGl().clear();
    Creature orc{};
    Item gold{};
    gold.glyph = '$', gold.r = gold.g = 255;
    orc.glyph = 'Z', orc.r = 10, orc.g = 20, orc.b = 30;
    tileAt(20, 5) = {'.', 0, 128, 0, &orc, &gold}; // the creature shows over the item
    tileAt(31, 12) = {'a', 255, 0, 0, nullptr, nullptr};
    tileAt(33, 14) = {'b', 0, 0, 255, nullptr, nullptr};
    addChange(20, 5);
    addChange(31, 12);
    drawTileToTex(&tileAt(33, 14), 33, 14);
    drawMap();
    const RecordingGl &rec = recordingGl();
    ASSERT_EQ(rec.quads.size(), 26u);
    // Block (1, 0) is drawn fifth, then over it a black solid block and the tile's glyph.
    const RecordingGl::Quad &clear = rec.quads[5], &glyph = rec.quads[6];
    EXPECT_EQ((std::array{rec.quads[4].texture, clear.texture, glyph.texture}),
              (std::array{mapTex[1][0].image->texture, gameTex->texture, gameTex->texture}));
    EXPECT_EQ((std::array{rec.quads[4].r, rec.quads[4].g, rec.quads[4].b, clear.r, clear.g, clear.b,
                          glyph.r, glyph.g, glyph.b}),
              (std::array<unsigned char, 9>{255, 255, 255, 0, 0, 0, 10, 20, 30}));
    EXPECT_EQ(std::vector<float>(glyph.xy, glyph.xy + 8),
              (std::vector<float>{160, 84, 160, 96, 168, 96, 168, 84}));
    // Only the logical 120 x 120 of the block's 128 x 128 texture, row 0 at the bottom; 'Z'
    // sits in sheet column 10, row 5 from the top.
    EXPECT_EQ(std::vector<float>(rec.quads[4].st, rec.quads[4].st + 8),
              (std::vector<float>{0, 0, 0, .9375f, .9375f, .9375f, .9375f, 0}));
    EXPECT_EQ(std::vector<float>(rec.quads[4].xy, rec.quads[4].xy + 8),
              (std::vector<float>{120, 24, 120, 144, 240, 144, 240, 24}));
    EXPECT_EQ(
        std::vector<float>(glyph.st, glyph.st + 8),
        (std::vector<float>{.625f, .46875f, .625f, .515625f, .6875f, .515625f, .6875f, .46875f}));
    EXPECT_TRUE(mapTex[1][0].count == 1 && shows(mapTex[1][0].image, 40, 60, ' '));
    drawMap(); // block (2, 1) was collapsed before its upload, so nothing is left to upload
    EXPECT_EQ((std::array{rec.totalUploads(), rec.uploads(mapTex[2][1].image->texture)}),
              (std::array{2, 1})); // the glyph sheet's, for the direct tiles, and the block's
    EXPECT_TRUE(shows(mapTex[2][1].image, 8, 24, 'a', 255, 0, 0));
    EXPECT_TRUE(shows(mapTex[2][1].image, 24, 48, 'b', 0, 0, 255));
    tileAt(20, 5).creature = nullptr; // the item shows once the creature leaves
    drawTileToTex(&tileAt(20, 5), 20, 5);
    EXPECT_TRUE(shows(mapTex[1][0].image, 40, 60, '$', 255, 255, 0));
    tileAt(20, 5).item = nullptr;
}

} // namespace vell
