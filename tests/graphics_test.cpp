// Images, glyph drawing and the map display blocks.

#include "support/fixture.h"

using Bytes = std::vector<unsigned char>;
using F = std::vector<float>;

// A wrapped size would allocate a small buffer that drawing then overruns.
TEST(TexBlockNew, OpaqueBlackOrNullBelowOneOrOnOverflow) {
    const int w[] = {0, 5, 1, (1 << 30) + 1, 1, 1 << 30, 1 << 15, 65536};
    const int h[] = {5, -1, 0, 1, 0x7fffffff, 1, 1 << 14, 65536};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(texBlock_new(w[i], h[i]), nullptr) << w[i] << " x " << h[i];
    TexBlock *t = texBlock_new(1, 1); // opaque black, never uploaded
    EXPECT_EQ(Bytes(t->pixels, t->pixels + 4), (Bytes{0, 0, 0, 255}));
    EXPECT_EQ(texBlock_uploads(t), 0u);
    texBlock_update(t);
    EXPECT_EQ(texBlock_uploads(t), 1u);
    texBlock_free(t);
}

// The picture double takes the texel under each pixel's centre (for the middle half of a 4 x 2
// texture over pixels 2 and 3 of rows 1 to 4, texels 1 and 2 of each row, each row twice) and
// blends a half see-through one even under white, by a tint too (drawn a row lower, from row 0).
// The presenting seam draws a frame whose one change is one colour byte, and one with a quad more.
TEST(PictureGl, TexelUnderEachPixelCentreBlendedEvenUnderWhite) {
    PictureGl gl;
    const unsigned char texels[32] = {1, 1, 1, 255, 200, 100, 255, 128, 255, 9,   9,  255, 0,  0,
                                      0, 0, 0, 0,   0,   0,   40,  40,  40,  255, 60, 60,  60, 255};
    const float st[8] = {.25f, 0, .25f, 1, .75f, 1, .75f, 0};
    const float xy[16] = {2, 1, 2, 5, 4, 5, 4, 1, 2, 0, 2, 4, 4, 4, 4, 0}; // then a row lower
    auto at = [&](int y, int n) { // y counts from the quad's first row
        return Bytes(&gl.picture[((y + 1) * 720 + 2) * 3],
                     &gl.picture[((y + 1) * 720 + 2) * 3 + n]);
    };
    gl.bindTexture(gl.genTexture());
    gl.uploadTexture(4, 2, texels); // counted, as uploads are
    gl.color(255, 255, 255);
    gl.quad(st, xy);
    EXPECT_TRUE(at(0, 6) == at(1, 6) && at(1, 6) == (Bytes{100, 50, 128, 255, 9, 9}));
    EXPECT_EQ(at(2, 6), (Bytes{40, 40, 40, 60, 60, 60}));
    EXPECT_TRUE(gl.totalUploads() == 1 && at(4, 1) == Bytes{0}); // the row above the quad: alone
    gl.color(255, 102, 255);
    gl.quad(st, xy + 8); // onto row 0 of the picture
    EXPECT_TRUE(at(-1, 3) == (Bytes{100, 20, 128}) && at(0, 3) == (Bytes{150, 45, 192}) &&
                at(2, 3) == (Bytes{40, 16, 40}));
    PresentGl present(gl);
    const unsigned name = gl.nextName; // passed on to the seam it presents to
    EXPECT_EQ(present.genTexture(), name);
    int shown = 0;
    for (const Bytes &frame : {Bytes{0}, Bytes{0}, Bytes{1}, Bytes{2}, Bytes{3}, Bytes{3, 3}}) {
        for (unsigned char k : frame) { // a colour byte more each time
            present.color(k > 0, k > 1, k > 2);
            present.quad(st, xy);
        }
        shown += present.finish();
    }
    EXPECT_EQ(shown, 5);
}

// The examples of the blend's rule, and a red of 100.89 truncated.
TEST(DrawPix, WorkedExamplesAndATransparentSourceLeavesTheDestination) {
    std::array<unsigned char, 4> cases[][4] = {
        // destination, source, tint, result
        {{100, 100, 100, 255}, {200, 200, 200, 128}, {255, 255, 255}, {150, 150, 150, 191}},
        {{255, 1, 77, 3}, {255, 255, 255, 255}, {100, 150, 0}, {100, 150, 0, 255}},
        {{12, 34, 56, 78}, {255, 255, 255, 0}, {200, 10, 255}, {12, 34, 56, 78}},
        {{0, 0, 0, 0}, {201, 201, 201, 128}, {255, 255, 255}, {100, 100, 100, 64}}};
    for (auto [out, source, tint, result] : cases) {
        drawPix(out.data(), source.data(), tint[0], tint[1], tint[2]);
        EXPECT_EQ(out, result) << "source " << +source[0] << " " << +source[3];
    }
}

// Glyph drawing takes shortcuts (skipped see-through rows, tables for the
// alpha byte and for black); every pixel must still come out as drawPix
// makes it, on a sheet of noise such as heavy corruption leaves, and a whole
// cell as the black block and then the glyph. Row 0 of glyph 1 is see-through
// but for one alpha of 1. A glyph is plain when its every byte is 0 or 255.
TEST(GlyphDrawing, EveryPixelAsDrawPixMakesItWhateverTheSheetHolds) {
    TexBlock *sheet = texBlock_new(128, 192), *dst = texBlock_new(128, 12);
    unsigned state = 12345;
    auto noise = [&](TexBlock *t) {
        for (int i = 0; i < t->tw * t->th * 4; ++i)
            t->pixels[i] = static_cast<unsigned char>((state = state * 1103515245u + 12345u) >> 23);
    };
    auto at = [&](int c, int row, int col) {
        return sheet->pixels + (((15 - c / 16) * 12 + row) * 128 + c % 16 * 8 + col) * 4;
    };
    noise(sheet);
    for (int col = 0; col < 8; ++col)
        at(1, 0, col)[3] = col == 5;
    const std::array<unsigned char, 3> tints[] = {{0, 0, 0}, {255, 255, 255}, {37, 200, 91},
                                                  {1, 0, 0}, {0, 1, 0},       {0, 0, 1}};
    for (int pass = 0; pass < 5; ++pass) {
        // Then over an opaque black block, glyphs 200 and 235 of opaque colours, 201 of opaque
        // white, 202 barely there (alpha 1), 203 half (127, blue from 128), 204 only in its top
        // row, 205 only in its last. Last, with that block's column 3 see-through; then its last
        // row, then its first opaque again.
        for (int i = 0; pass == 1 && i < 8 * 12 * 4; ++i) {
            unsigned char *p = at(200, i / 32, i % 32 / 4), *w = at(201, i / 32, i % 32 / 4);
            at(219, i / 32, i % 32 / 4)[3] = at(235, i / 32, i % 32 / 4)[3] = 255;
            at(202, i / 32, i % 32 / 4)[3] = 1, at(203, i / 32, i % 32 / 4)[3] = 127;
            at(203, i / 32, i % 32 / 4)[2] |= 128;
            at(204, i / 32, i % 32 / 4)[3] = i < 32 ? 255 : 0;
            at(205, i / 32, i % 32 / 4)[3] = i / 32 == 11 ? 255 : 0;
            p[i % 4] = p[i % 4] & 1 ? 255 : 0, w[i % 4] = w[3] & 1 ? 255 : 0;
        }
        for (int row = 0; pass > 1 && row < 12; ++row) // the block's rows kept from cell to cell
            at(219, row, 3)[3] = (pass < 3 || row < 11) && (pass < 4 || row > 0) ? 254 : 255;
        for (const auto &[r, g, b] : tints)
            for (int c = 0; c < 256; ++c)
                for (bool cell : {false, true}) {
                    noise(dst);
                    Bytes expected(dst->pixels, dst->pixels + dst->tw * 12 * 4);
                    for (int row = 0; row < 12; ++row)
                        for (int col = 0; col < 8; ++col) {
                            unsigned char *to = &expected[(row * dst->tw + 8 + col) * 4];
                            if (cell)
                                drawPix(to, at(219, row, col), 0, 0, 0);
                            drawPix(to, at(c, row, col), r, g, b);
                        }
                    if (cell)
                        EXPECT_TRUE(drawCellToImage(static_cast<unsigned char>(c), r, g, b, 8, 0,
                                                    dst, sheet));
                    else
                        drawCharToImage(static_cast<unsigned char>(c), r, g, b, 8, 0, dst, sheet);
                    ASSERT_EQ(Bytes(dst->pixels, dst->pixels + expected.size()), expected)
                        << c << " " << +r << " " << +g << " " << +b << " " << cell;
                }
    }
    EXPECT_TRUE(glyphIsPlain(200, sheet) && glyphIsPlain(201, sheet) && !glyphIsPlain(202, sheet));
    at(200, 11, 7)[3] = 7;
    EXPECT_FALSE(glyphIsPlain(200, sheet));
    texBlock_free(sheet);
    texBlock_free(dst);
}

// A pending tile shows next frame as quads over its block; a block drawn into is baked before its
// one upload; the 20th distinct pending tile of a block bakes the 19 before it; off-map tiles
// would index past the blocks and are dropped.
TEST(MapDisplay, PendingTilesDrawnDirectlyUntilTheirBlockIsBaked) {
    freshWorld();
    drawMap();
    recordingGl().clear();
    Creature orc{};
    Item gold{};
    gold.glyph = '$', gold.r = gold.g = 255;
    orc.glyph = 'Z', orc.r = 10, orc.g = 20, orc.b = 30;
    tileAt(20, 5) = {'.', 0, 128, 0, &orc, &gold}; // the creature shows over the item
    Tile &a = tileAt(31, 12) = {'a', 255, 0, 0, nullptr, nullptr};
    tileAt(33, 14) = {'b', 0, 0, 255, nullptr, nullptr};
    for (auto [x, y] : {std::pair{20, 5}, {31, 12}, {20, 5}})
        addChange(x, y);
    for (auto [x, y] : {std::pair{90, 0}, {-1, 5}, {0, 40}, {3, -1}})
        addChange(x, y), drawTileToTex(&tileAt(0, 0), x, y);
    drawTileToTex(&tileAt(33, 14), 33, 14);
    drawMap();
    const RecordingGl &rec = recordingGl();
    ASSERT_EQ(rec.quads.size(), 26u);
    // Block (1, 0) is drawn fifth, then over it a black solid block and the tile's glyph.
    const RecordingGl::Quad &block = rec.quads[4], &clear = rec.quads[5], &glyph = rec.quads[6];
    EXPECT_EQ((std::array{block.texture, clear.texture, glyph.texture}),
              (std::array{mapTex[1][0].image->texture, gameTex->texture, gameTex->texture}));
    EXPECT_EQ((std::array{block.r, block.g, block.b, clear.r, clear.g, clear.b, glyph.r, glyph.g,
                          glyph.b}),
              (std::array<unsigned char, 9>{255, 255, 255, 0, 0, 0, 10, 20, 30}));
    // Only the logical 120 x 120 of the block's 128 x 128 texture, row 0 at the bottom.
    EXPECT_EQ(F(block.st, block.st + 8), (F{0, 0, 0, .9375f, .9375f, .9375f, .9375f, 0}));
    EXPECT_EQ(F(block.xy, block.xy + 8), (F{120, 24, 120, 144, 240, 144, 240, 24}));
    EXPECT_EQ(F(glyph.xy, glyph.xy + 8), (F{160, 84, 160, 96, 168, 96, 168, 84}));
    EXPECT_EQ(F(glyph.st, glyph.st + 8), (F{.625f, .46875f, .625f, .515625f, .6875f, .515625f,
                                            .6875f, .46875f})); // 'Z', rows 120 to 131 of 256
    EXPECT_EQ(F(clear.st, clear.st + 8), (F{.6875f, .09375f, .6875f, .140625f, .75f, .140625f, .75f,
                                            .09375f})); // glyph 219, rows 24 to 35
    EXPECT_EQ(rec.quads[1].xy[1], 144);                 // block (0, 1), a row of blocks up
    EXPECT_TRUE(mapTex[1][0].count == 1 && shows(mapTex[1][0].image, 40, 60, ' '));
    drawMap(); // block (2, 1) was baked before its upload, so nothing is left to upload
    EXPECT_EQ((std::array{rec.totalUploads(), rec.uploads(mapTex[2][1].image->texture),
                          mapTex[2][1].count, mapTex[0][0].count}),
              (std::array{2, 1, 0, 0})); // the glyph sheet's, for the direct tiles, and the block's
    EXPECT_TRUE(shows(mapTex[2][1].image, 8, 24, 'a', 255, 0, 0));
    EXPECT_TRUE(shows(mapTex[2][1].image, 24, 48, 'b', 0, 0, 255));
    EXPECT_TRUE(tileShownByImage(&a, 31, 12) && !tileShownByImage(&a, 30, 12)); // not its neighbour
    for (unsigned char *look : {&a.glyph, &a.r, &a.g, &a.b}) { // a byte unlike its cell's
        ++*look;
        EXPECT_FALSE(tileShownByImage(&a, 31, 12));
        --*look;
        EXPECT_TRUE(tileShownByImage(&a, 31, 12));
    }
    drawTileToTex(&tileAt(33, 14), 31, 12); // the cell redrawn otherwise and uploaded
    texBlock_update(mapTex[2][1].image);
    EXPECT_FALSE(tileShownByImage(&a, 31, 12));
    tileAt(20, 5).creature = nullptr; // the item shows once the creature leaves
    drawTileToTex(&tileAt(20, 5), 20, 5);
    EXPECT_TRUE(shows(mapTex[1][0].image, 40, 60, '$', 255, 255, 0));
    tileAt(20, 5).item = nullptr;
    MapBlock &b = mapTex[1][2]; // columns 15..29, rows 20..29
    for (int k = 0; k < 20; ++k) {
        tileAt(15 + k % 15, 20 + k / 15) = {
            static_cast<unsigned char>('A' + k), 255, 255, 255, nullptr, nullptr};
        addChange(15 + k % 15, 20 + k / 15);
    }
    EXPECT_EQ((std::array{b.count, b.changes[0][0], b.changes[0][1]}), (std::array{1, 19, 21}));
    for (int k = 0; k < 20; ++k)
        EXPECT_TRUE(shows(b.image, 8 * (k % 15), 12 * (k / 15), k < 19 ? 'A' + k : ' ')) << k;
}
