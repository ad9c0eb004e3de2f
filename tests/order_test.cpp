#include <gtest/gtest.h>

#include <algorithm>
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

constexpr int GRID = SHEET_W * SHEET_H * 4; // bytes of the glyph grid

// Grid pixels in which a differs from b exclusive-or'ed with x.
int differing(const unsigned char *a, const unsigned char *b, int x = 0) {
    int n = 0;
    for (int i = 0; i < GRID; i += 4)
        n += (a[i] ^ b[i] ^ x) || (a[i + 1] ^ b[i + 1] ^ x) || (a[i + 2] ^ b[i + 2] ^ x) ||
             (a[i + 3] ^ b[i + 3] ^ x);
    return n;
}

// Both working sheets damaged in every pixel, so the three sheets differ everywhere.
void damageBoth(unsigned seed) {
    freshWorld(seed);
    for (int i = 0; i < GRID; ++i) {
        fontTex->pixels[i] ^= 0x5A;
        gameTex->pixels[i] ^= 0xC3;
    }
}

void drawFromBoth() {
    for (TexBlock *t : {gameTex, fontTex})
        drawCharDirect(0, 0, 'A', 255, 255, 255, t);
}

} // namespace

TEST(Order, EachStepStartsAtItsThresholdAndAWrittenSheetUploadsOnce) {
    const struct { // pixels written are counted up to 2
        int amount, gameWritten, textWritten, gameIsText, textIsPure;
    } cases[] = {{-5, 0, 0, 0, 0},    {0, 0, 0, 0, 0},     {1, 1, 0, 0, 0},
                 {99, 2, 0, 0, 0},    {100, 2, 1, 0, 0},   {10000, 2, 2, 0, 0},
                 {10001, 2, 2, 1, 0}, {20000, 2, 2, 1, 0}, {20001, 2, 2, 0, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.amount);
        damageBoth(7);
        drawFromBoth(); // spends the flags the sheets were created with
        recordingGl().clear();
        uncorrupt(c.amount);
        drawFromBoth();
        drawFromBoth();
        EXPECT_EQ(recordingGl().uploads(gameTex->texture), c.gameWritten > 0 ? 1 : 0);
        EXPECT_EQ(recordingGl().uploads(fontTex->texture), c.textWritten > 0 ? 1 : 0);
        const unsigned char *game = gameTex->pixels, *font = fontTex->pixels,
                            *pure = pureTex->pixels;
        EXPECT_EQ(std::min(differing(game, pure, 0xC3), 2), c.gameWritten);
        EXPECT_EQ(std::min(differing(font, pure, 0x5A), 2), c.textWritten);
        EXPECT_EQ(differing(game, font) == 0, c.gameIsText == 1);
        EXPECT_EQ(differing(font, pure) == 0, c.textIsPure == 1);
        if (c.amount == 1) { // the pixel is drawn row first and copied from the text sheet
            srnd(7);
            int row = rnd() % 192, p = (row * 128 + rnd() % 128) * 4;
            EXPECT_EQ(std::memcmp(game + p, font + p, 4), 0);
        }
    }
}

// The game sheet is repaired from the text sheet before that one is repaired itself. One pixel draw
// skipped, 20000 repairs the text sheet exactly as 20001 does before its whole-sheet step.
TEST(Order, ChainCopiesTextDamageIntoTheGameSheetThenASecondCallCleansBoth) {
    damageBoth(99);
    rnd();
    rnd();
    uncorrupt(20000);
    std::vector<unsigned char> textBefore(fontTex->pixels, fontTex->pixels + GRID);
    ASSERT_GT(differing(textBefore.data(), pureTex->pixels), 0);
    ASSERT_GT(differing(textBefore.data(), pureTex->pixels, 0x5A), 0);
    damageBoth(99);
    for (const unsigned char *game : {textBefore.data(), pureTex->pixels}) {
        uncorrupt(20001);
        EXPECT_EQ(differing(fontTex->pixels, pureTex->pixels), 0);
        EXPECT_EQ(differing(gameTex->pixels, game), 0);
    }
}

// A cell is drawn column first, then row, and covers 8 pixels by 12 rows of the sheet.
TEST(Order, OneCellIsRestoredWhole) {
    damageBoth(3);
    int cx = rnd() % 16, cy = rnd() % 16;
    srnd(3);
    uncorrupt_game_char();
    EXPECT_EQ(differing(gameTex->pixels, pureTex->pixels, 0xC3), 8 * 12);
    for (int row = cy * 12; row < cy * 12 + 12; ++row) {
        int p = (row * 128 + cx * 8) * 4;
        EXPECT_EQ(std::memcmp(gameTex->pixels + p, fontTex->pixels + p, 8 * 4), 0) << row;
    }
}
