#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "core/logic.h"
#include "graphics/glseam.h"
#include "graphics/graphics.h"
#include "graphics/map.h"
#include "graphics/tile.h"
#include "platform/font.h"

#ifndef VELL_SOURCE_DIR
#error "VELL_SOURCE_DIR must name the repository root"
#endif

namespace vell {
namespace {

unsigned char *pixelAt(TexBlock *image, int x, int y) {
    return image->pixels + (static_cast<std::size_t>(y) * image->tw + x) * 4;
}

void fillBlack(TexBlock *image) {
    for (int i = 0; i < image->tw * image->th; ++i) {
        unsigned char *p = image->pixels + i * 4;
        p[0] = p[1] = p[2] = 0;
        p[3] = 255;
    }
}

class MapDisplay : public ::testing::Test {
  protected:
    void SetUp() override {
        world_reset();
        setGl(nullptr);
        if (gameTex == nullptr) {
            std::FILE *f = std::fopen(VELL_SOURCE_DIR "/data/font.bmp", "rb");
            ASSERT_NE(f, nullptr);
            gameTex = loadTexture(f);
            std::fclose(f);
        }
        ASSERT_NE(gameTex, nullptr);
        ASSERT_EQ(mapTex_init(), 1);
        for (auto &column : mapTex)
            for (MapBlock &block : column) {
                block.count = 0;
                fillBlack(block.image);
                block.image->flags = 1;
            }
        recordingGl().clear();
    }

    // Uploads every block once and clears their flags, as the first frame
    // does, then forgets what was recorded.
    void firstFrame() {
        drawMap();
        recordingGl().clear();
    }

    // True when the cell at pixel (px, py) of image shows glyph c tinted
    // (r, g, b) over a cleared cell, exactly as the processor-side drawing
    // would leave it.
    static bool cellShows(TexBlock *image, int px, int py, unsigned char c, unsigned char r,
                          unsigned char g, unsigned char b) {
        TexBlock *ref = texBlock_new(8, 12);
        drawCharToImage(219, 0, 0, 0, 0, 0, ref, gameTex);
        drawCharToImage(c, r, g, b, 0, 0, ref, gameTex);
        bool same = true;
        for (int row = 0; row < 12 && same; ++row)
            same = std::memcmp(pixelAt(ref, 0, row), pixelAt(image, px, py + row), 8 * 4) == 0;
        texBlock_free(ref);
        return same;
    }

    static bool cellBlack(TexBlock *image, int px, int py) {
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 8; ++col) {
                const unsigned char *p = pixelAt(image, px + col, py + row);
                if (p[0] || p[1] || p[2] || p[3] != 255)
                    return false;
            }
        return true;
    }

    static void setGround(int x, int y, unsigned char glyph, unsigned char r, unsigned char g,
                          unsigned char b) {
        Tile &t = tileAt(x, y);
        t.glyph = glyph, t.r = r, t.g = g, t.b = b;
    }
};

TEST_F(MapDisplay, SameTileTwiceKeepsOneEntry) {
    addChange(3, 4);
    addChange(3, 4);
    tileChanged(3, 4);
    EXPECT_EQ(mapTex[0][0].count, 1);
    EXPECT_EQ(mapTex[0][0].changes[0][0], 3);
    EXPECT_EQ(mapTex[0][0].changes[0][1], 4);
    addChange(4, 3);
    EXPECT_EQ(mapTex[0][0].count, 2);
}

// Off-map coordinates would index past the block array; they are dropped.
TEST_F(MapDisplay, ChangesOffTheMapAreIgnored) {
    addChange(90, 0);
    addChange(-1, 5);
    addChange(0, 40);
    tileChanged(3, -1);
    for (auto &column : mapTex)
        for (MapBlock &block : column)
            EXPECT_EQ(block.count, 0);
}

TEST_F(MapDisplay, TwentiethDistinctTileCollapsesTheNineteenAndStaysPending) {
    MapBlock &block = mapTex[1][2]; // columns 15..29, rows 20..29
    for (int k = 0; k < 20; ++k)
        setGround(15 + k % 15, 20 + k / 15, static_cast<unsigned char>('A' + k), 200, 100, 50);
    for (int k = 0; k < 19; ++k)
        addChange(15 + k % 15, 20 + k / 15);
    EXPECT_EQ(block.count, 19);
    EXPECT_TRUE(cellBlack(block.image, 0, 0));

    addChange(15 + 19 % 15, 21); // tile (19, 21), the 20th
    ASSERT_EQ(block.count, 1);
    EXPECT_EQ(block.changes[0][0], 19);
    EXPECT_EQ(block.changes[0][1], 21);
    for (int k = 0; k < 19; ++k)
        EXPECT_TRUE(cellShows(block.image, 8 * (k % 15), 12 * (k / 15),
                              static_cast<unsigned char>('A' + k), 200, 100, 50))
            << "tile " << k;
    EXPECT_TRUE(cellBlack(block.image, 8 * 4, 12));
}

TEST_F(MapDisplay, TilesBelongToTheirBlocks) {
    addChange(14, 9);
    addChange(15, 9);
    addChange(89, 39);
    EXPECT_EQ(mapTex[0][0].count, 1);
    EXPECT_EQ(mapTex[1][0].count, 1);
    EXPECT_EQ(mapTex[5][3].count, 1);

    setGround(89, 39, '#', 0, 255, 0);
    mapBlock_collapse(&mapTex[5][3]);
    EXPECT_EQ(mapTex[5][3].count, 0);
    EXPECT_TRUE(cellShows(mapTex[5][3].image, 112, 108, '#', 0, 255, 0));
    EXPECT_TRUE(cellBlack(mapTex[5][3].image, 104, 108));
}

TEST_F(MapDisplay, DrawingOffTheMapDoesNothing) {
    firstFrame();
    std::vector<unsigned char> before;
    for (auto &column : mapTex)
        for (MapBlock &block : column)
            before.insert(before.end(), block.image->pixels, block.image->pixels + 128 * 128 * 4);
    setGround(0, 0, 'X', 255, 255, 255);
    drawTileToTex(&tileAt(0, 0), 90, 0);
    drawTileToTex(&tileAt(0, 0), 0, -1);
    drawTileToTex(&tileAt(0, 0), -1, 5);
    drawTileToTex(&tileAt(0, 0), 5, 40);
    drawTileToTex(nullptr, 5, 5);
    std::size_t at = 0;
    for (auto &column : mapTex)
        for (MapBlock &block : column) {
            EXPECT_FALSE(texBlock_changed(block.image));
            EXPECT_EQ(std::memcmp(block.image->pixels, before.data() + at, 128 * 128 * 4), 0);
            at += 128 * 128 * 4;
        }
}

TEST_F(MapDisplay, CreatureOverItemOverGround) {
    Creature orc{};
    orc.glyph = 'o', orc.r = 10, orc.g = 200, orc.b = 10;
    Item *gold = new Item{};
    gold->glyph = '$', gold->r = 255, gold->g = 255, gold->b = 0;
    setGround(40, 25, '.', 0, 128, 0);
    Tile &t = tileAt(40, 25);
    t.item = gold;
    t.creature = &orc;
    TexBlock *image = mapTex[2][2].image; // pixel (80, 60)

    unsigned char c, r, g, b;
    tileLook(&t, &c, &r, &g, &b);
    EXPECT_EQ(c, 'o');
    EXPECT_EQ(g, 200);
    drawTileToTex(&t, 40, 25);
    EXPECT_TRUE(cellShows(image, 80, 60, 'o', 10, 200, 10));

    t.creature = nullptr; // the creature steps off and reports the tile
    addChange(40, 25);
    mapBlock_collapse(&mapTex[2][2]);
    EXPECT_TRUE(cellShows(image, 80, 60, '$', 255, 255, 0));

    t.item = nullptr;
    delete gold;
    addChange(40, 25);
    mapBlock_collapse(&mapTex[2][2]);
    EXPECT_TRUE(cellShows(image, 80, 60, '.', 0, 128, 0));
}

TEST_F(MapDisplay, PendingChangeShowsInTheNextFrameBeforeItsBlockCollapses) {
    firstFrame();
    setGround(20, 5, 'Z', 10, 20, 30);
    addChange(20, 5);
    drawMap();
    const RecordingGl &rec = recordingGl();
    EXPECT_EQ(rec.uploads(mapTex[1][0].image->texture), 0);
    ASSERT_EQ(rec.quads.size(), 24u + 2u);
    // Block (1, 0) is the fifth drawn; its pending tile follows its image.
    EXPECT_EQ(rec.quads[4].texture, mapTex[1][0].image->texture);
    const RecordingGl::Quad &clear = rec.quads[5];
    const RecordingGl::Quad &glyph = rec.quads[6];
    EXPECT_EQ(clear.texture, gameTex->texture);
    EXPECT_EQ(clear.r + clear.g + clear.b, 0);
    EXPECT_EQ(glyph.texture, gameTex->texture);
    EXPECT_EQ(glyph.r, 10);
    EXPECT_EQ(glyph.g, 20);
    EXPECT_EQ(glyph.b, 30);
    EXPECT_FLOAT_EQ(glyph.xy[0], 160.0f);
    EXPECT_FLOAT_EQ(glyph.xy[1], 84.0f);
    EXPECT_FLOAT_EQ(glyph.st[0], ('Z' % 16) * 8 / 128.0f);
    EXPECT_FLOAT_EQ(glyph.st[1], (15 - 'Z' / 16) * 12 / 256.0f);
    EXPECT_FLOAT_EQ(clear.st[0], (219 % 16) * 8 / 128.0f);
    EXPECT_EQ(mapTex[1][0].count, 1);
    EXPECT_TRUE(cellBlack(mapTex[1][0].image, 40, 60));
}

TEST_F(MapDisplay, BlockDrawnByMapGenerationIsCollapsedIntoItsOneUpload) {
    firstFrame();
    setGround(31, 12, 'a', 255, 0, 0);
    setGround(33, 14, 'b', 0, 0, 255);
    addChange(31, 12);
    drawTileToTex(&tileAt(33, 14), 33, 14);
    MapBlock &block = mapTex[2][1];
    drawMap();
    EXPECT_EQ(recordingGl().uploads(block.image->texture), 1);
    EXPECT_EQ(recordingGl().totalUploads(), 1);
    EXPECT_EQ(block.count, 0);
    EXPECT_EQ(recordingGl().quads.size(), 24u); // nothing left to draw directly
    EXPECT_TRUE(cellShows(block.image, 8, 24, 'a', 255, 0, 0));
    EXPECT_TRUE(cellShows(block.image, 24, 48, 'b', 0, 0, 255));
    drawMap();
    EXPECT_EQ(recordingGl().totalUploads(), 1);
}

// Changes arrive from the logic and map generation threads while the window
// thread draws; no list may ever hold more than 19 entries, and (under
// ThreadSanitizer) the lists and images are never touched unguarded.
TEST_F(MapDisplay, ChangesFromOtherThreadsWhileTheMapIsDrawn) {
    for (int x = 0; x < MAP_W; ++x)
        for (int y = 0; y < MAP_H; ++y)
            setGround(x, y, static_cast<unsigned char>(x + y), 255, 255, 255);
    std::atomic<int> running{2};
    std::thread logic([&] {
        for (int i = 0; i < 4000; ++i)
            addChange((i * 7) % MAP_W, (i * 13) % MAP_H);
        --running;
    });
    std::thread generation([&] {
        for (int x = 0; x < MAP_W; ++x)
            for (int y = 0; y < MAP_H; ++y)
                drawTileToTex(&tileAt(x, y), x, y);
        --running;
    });
    int worst = 0;
    while (running.load() > 0) {
        drawMap();
        for (int i = 0; i < BLOCK_COLS; ++i)
            for (int j = 0; j < BLOCK_ROWS; ++j) {
                std::lock_guard<std::recursive_mutex> lk(mapBlock_lock(i, j));
                worst = std::max(worst, mapTex[i][j].count);
            }
    }
    logic.join();
    generation.join();
    EXPECT_LE(worst, BLOCK_MAX_CHANGES);
    for (auto &column : mapTex)
        for (MapBlock &block : column)
            mapBlock_collapse(&block);
    for (int x = 0; x < MAP_W; x += 7)
        for (int y = 0; y < MAP_H; y += 3)
            EXPECT_TRUE(cellShows(mapTex[x / 15][y / 10].image, 8 * (x % 15), 12 * (y % 10),
                                  static_cast<unsigned char>(x + y), 255, 255, 255))
                << x << "," << y;
}

} // namespace
} // namespace vell
