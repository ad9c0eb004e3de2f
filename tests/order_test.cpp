#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "chaos/order.h"
#include "core/random.h"
#include "graphics/glseam.h"
#include "graphics/graphics.h"
#include "platform/font.h"
#include "support/fixture.h"

using namespace vell;

namespace {

using Sheet = std::vector<unsigned char>;

Sheet snapshot(const TexBlock *t) {
    return Sheet(t->pixels, t->pixels + static_cast<std::size_t>(t->tw) * t->th * 4);
}

int px(int row, int col) {
    return (row * SHEET_W + col) * 4;
}

// Pixels of the glyph grid (rows 0..191, columns 0..127) that differ.
int differingPixels(const Sheet &a, const Sheet &b) {
    int n = 0;
    for (int row = 0; row < SHEET_H; ++row)
        for (int col = 0; col < SHEET_W; ++col)
            if (std::memcmp(&a[px(row, col)], &b[px(row, col)], 4) != 0)
                ++n;
    return n;
}

// Every byte of the grid changed (and no pixel equal to what it was), with a
// different pattern per sheet so that the three sheets all differ.
void damage(TexBlock *t, unsigned char pattern) {
    for (int row = 0; row < SHEET_H; ++row)
        for (int col = 0; col < SHEET_W; ++col)
            for (int b = 0; b < 4; ++b)
                t->pixels[px(row, col) + b] ^= pattern;
}

void damageBoth() {
    damage(fontTex, 0x5A);
    damage(gameTex, 0xC3);
}

} // namespace

TEST(Order, OneCopiesExactlyTheDrawnGamePixelFromTheTextSheet) {
    freshWorld(7);
    damageBoth();
    Sheet font0 = snapshot(fontTex), game0 = snapshot(gameTex);
    srnd(7);
    int row = rnd() % 192; // row before column
    int col = rnd() % 128;
    srnd(7);
    uncorrupt(1);
    Sheet game1 = snapshot(gameTex);
    EXPECT_EQ(differingPixels(game1, game0), 1);
    EXPECT_EQ(std::memcmp(&game1[px(row, col)], &font0[px(row, col)], 4), 0);
    EXPECT_EQ(snapshot(fontTex), font0);
}

TEST(Order, NothingHappensForZeroOrNegativeAmounts) {
    freshWorld(3);
    damageBoth();
    Sheet font0 = snapshot(fontTex), game0 = snapshot(gameTex);
    uncorrupt(0);
    uncorrupt(-5000);
    uncorrupt(-2147483647 - 1);
    EXPECT_EQ(snapshot(fontTex), font0);
    EXPECT_EQ(snapshot(gameTex), game0);
}

TEST(Order, TextPixelsStartAtAHundred) {
    freshWorld(11);
    damageBoth();
    Sheet pure = snapshot(pureTex);
    uncorrupt(99);
    EXPECT_EQ(differingPixels(snapshot(fontTex), pure), SHEET_W * SHEET_H);
    uncorrupt(100);
    EXPECT_EQ(differingPixels(snapshot(fontTex), pure), SHEET_W * SHEET_H - 1);
}

TEST(Order, WholeGameSheetOnlyAboveTenThousand) {
    freshWorld(5);
    damageBoth();
    uncorrupt(10000);
    EXPECT_GT(differingPixels(snapshot(gameTex), snapshot(fontTex)), 0);
    freshWorld(5);
    damageBoth();
    uncorrupt(10001);
    EXPECT_EQ(differingPixels(snapshot(gameTex), snapshot(fontTex)), 0);
    EXPECT_GT(differingPixels(snapshot(fontTex), snapshot(pureTex)), 0); // text not whole
}

TEST(Order, WholeTextSheetOnlyAboveTwentyThousand) {
    freshWorld(5);
    damageBoth();
    uncorrupt(20000);
    EXPECT_GT(differingPixels(snapshot(fontTex), snapshot(pureTex)), 0);
    freshWorld(5);
    damageBoth();
    uncorrupt(20001);
    EXPECT_EQ(differingPixels(snapshot(fontTex), snapshot(pureTex)), 0);
}

TEST(Order, CellRestoreCoversTheDrawnEightByTwelveCell) {
    freshWorld(21);
    damageBoth();
    Sheet font0 = snapshot(fontTex);
    srnd(21);
    int cx = rnd() % 16; // cell column before cell row
    int cy = rnd() % 16;
    srnd(21);
    uncorrupt_game_char();
    Sheet game = snapshot(gameTex);
    for (int row = 0; row < SHEET_H; ++row)
        for (int col = 0; col < SHEET_W; ++col) {
            bool inCell = col / 8 == cx && row / 12 == cy;
            bool copied = std::memcmp(&game[px(row, col)], &font0[px(row, col)], 4) == 0;
            ASSERT_EQ(copied, inCell) << "row " << row << " col " << col;
        }
    // The text sheet's cell comes from the pristine sheet.
    srnd(22);
    cx = rnd() % 16;
    cy = rnd() % 16;
    srnd(22);
    uncorrupt_text_char();
    Sheet pure = snapshot(pureTex), font = snapshot(fontTex);
    EXPECT_EQ(differingPixels(font, pure), SHEET_W * SHEET_H - 96);
    EXPECT_EQ(
        std::memcmp(&font[px(cy * 12 + 11, cx * 8 + 7)], &pure[px(cy * 12 + 11, cx * 8 + 7)], 4),
        0);
}

TEST(Order, WholeSheetRestoreLeavesRowsBeyondTheGridAlone) {
    freshWorld(1);
    for (int i = SHEET_H * SHEET_W * 4; i < gameTex->tw * gameTex->th * 4; ++i)
        gameTex->pixels[i] = 77;
    damage(fontTex, 0x11);
    uncorrupt_game();
    Sheet game = snapshot(gameTex);
    EXPECT_EQ(differingPixels(game, snapshot(fontTex)), 0);
    EXPECT_EQ(game[SHEET_H * SHEET_W * 4], 77);
    EXPECT_EQ(game.back(), 77);
}

// The game sheet is repaired from the text sheet, and before it: a large
// amount hands the text sheet's remaining damage on to the game sheet.
TEST(Order, ChainCopiesTextDamageIntoTheGameSheetThenASecondCallCleansBoth) {
    const unsigned seed = 99;
    const int amount = 20001;
    freshWorld(seed);
    damageBoth();
    Sheet pure = snapshot(pureTex);
    Sheet expectedGame = snapshot(fontTex); // text sheet as it will be before step 5

    // Replay the draws: game pixels (not needed), text pixels, then the
    // cells, game before text.
    srnd(seed);
    for (int i = 0; i < amount; ++i) {
        rnd();
        rnd();
    }
    for (int i = 0; i < amount / 100; ++i) {
        int row = rnd() % 192;
        int col = rnd() % 128;
        std::memcpy(&expectedGame[px(row, col)], &pure[px(row, col)], 4);
    }
    for (int i = 0; i < amount / 1000; ++i) {
        rnd();
        rnd();
        int cx = rnd() % 16;
        int cy = rnd() % 16;
        for (int row = cy * 12; row < cy * 12 + 12; ++row)
            std::memcpy(&expectedGame[px(row, cx * 8)], &pure[px(row, cx * 8)], 32);
    }
    // The expectation is neither the damaged text sheet nor the pristine one.
    ASSERT_GT(differingPixels(expectedGame, pure), 0);
    ASSERT_GT(differingPixels(expectedGame, snapshot(fontTex)), 0);

    srnd(seed);
    uncorrupt(amount);
    EXPECT_EQ(differingPixels(snapshot(fontTex), pure), 0);
    EXPECT_EQ(differingPixels(snapshot(gameTex), expectedGame), 0);

    uncorrupt(amount);
    EXPECT_EQ(differingPixels(snapshot(fontTex), pure), 0);
    EXPECT_EQ(differingPixels(snapshot(gameTex), pure), 0);
}

TEST(Order, WrittenSheetsUploadOnceAtTheirNextDraw) {
    freshWorld(4);
    // Draw from both sheets so their creation flags are spent.
    drawCharDirect(0, 0, 'A', 255, 255, 255, gameTex);
    drawCharDirect(0, 0, 'A', 255, 255, 255, fontTex);
    recordingGl().clear();

    uncorrupt(1); // writes only the game sheet
    for (int i = 0; i < 2; ++i) {
        drawCharDirect(0, 0, 'A', 255, 255, 255, gameTex);
        drawCharDirect(0, 0, 'A', 255, 255, 255, fontTex);
    }
    EXPECT_EQ(recordingGl().uploads(gameTex->texture), 1);
    EXPECT_EQ(recordingGl().uploads(fontTex->texture), 0);

    recordingGl().clear();
    uncorrupt(20001);
    for (int i = 0; i < 2; ++i) {
        drawCharDirect(0, 0, 'A', 255, 255, 255, gameTex);
        drawCharDirect(0, 0, 'A', 255, 255, 255, fontTex);
    }
    EXPECT_EQ(recordingGl().uploads(gameTex->texture), 1);
    EXPECT_EQ(recordingGl().uploads(fontTex->texture), 1);
    EXPECT_EQ(recordingGl().uploads(pureTex->texture), 0);
}
