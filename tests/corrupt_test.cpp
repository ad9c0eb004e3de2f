// Corruption and order against replays of their draws.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "chaos/corrupt.h"
#include "chaos/order.h"
#include "core/logic.h"
#include "core/random.h"
#include "graphics/graphics.h"
#include "graphics/map.h"
#include "platform/font.h"
#include "support/fixture.h"

using namespace vell;

namespace {

using Spot = std::pair<int, int>;
constexpr int GRID = SHEET_W * SHEET_H * 4;

// Everything corruption may write: both working sheets, then each tile's glyph and colours.
std::vector<unsigned char> picture() {
    std::vector<unsigned char> v(gameTex->pixels, gameTex->pixels + GRID);
    v.insert(v.end(), fontTex->pixels, fontTex->pixels + GRID);
    for (const Tile &t : map)
        v.insert(v.end(), {t.glyph, t.r, t.g, t.b});
    return v;
}

int countNamed(const char *name) {
    int n = 0;
    for (Creature *c = player.next; c != &player; c = c->next)
        n += c->name != nullptr && std::strcmp(c->name, name) == 0;
    return n;
}

// The circle as it should be scrambled: rows from the lowest, columns from the left, only tiles on
// the map, none whose intensity comes out 0. Returns the tiles touched.
std::set<Spot> circleModel(int radius) {
    std::set<Spot> touched;
    for (int y = std::max(player.y - radius, 0); y <= std::min(player.y + radius, MAP_H - 1); ++y)
        for (int x = std::max(player.x - radius, 0); x <= std::min(player.x + radius, MAP_W - 1);
             ++x) {
            int d2 = (x - player.x) * (x - player.x) + (y - player.y) * (y - player.y);
            int r2 = radius * radius;
            int k = d2 < r2 ? corruptIntensity(1.0f - static_cast<float>(d2 / (r2 * 1.0))) : 0;
            if (k <= 0)
                continue;
            Tile &t = tileAt(x, y);
            for (unsigned char *colour : {&t.r, &t.g, &t.b})
                *colour ^= rnd() % corruptBound(k);
            if (rnd() % k > 115)
                t.glyph = 32 + rnd() % 96;
            touched.insert({x, y});
        }
    return touched;
}

// Copies n pixels, row drawn first, then a column.
void copyPixels(unsigned char *to, const unsigned char *from, int n) {
    for (int i = 0; i < n; ++i) {
        const int row = rnd() % 192, p = (row * 128 + rnd() % 128) * 4;
        std::memcpy(to + p, from + p, 4);
    }
}

// Copies one cell of 8 pixels by 12 rows, column drawn first, then a row.
void copyCell(unsigned char *to, const unsigned char *from) {
    const int cx = rnd() % 16, cy = rnd() % 16;
    for (int row = cy * 12; row < cy * 12 + 12; ++row)
        std::memcpy(to + (row * 128 + cx * 8) * 4, from + (row * 128 + cx * 8) * 4, 8 * 4);
}

} // namespace

TEST(CorruptTile, WorkedIntensitiesAndBounds) {
    const float strength[] = {1.0f, 0.9f, 0.75f, 0.5f, 0.3f};
    const int intensity[] = {127, 83, 40, 7, 1}, bound[] = {152, 99, 47, 8, 1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(corruptIntensity(strength[i]), intensity[i]) << strength[i];
        EXPECT_EQ(corruptBound(intensity[i]), bound[i]) << strength[i];
    }
}

// Each amount against a replay of its draws: the circle, game-sheet bits, text-sheet bits, tile
// colour bits, tile colour-or-glyph bits. Radius 3 has 25 tiles inside, but its four corners
// (d2 = 8) get intensity 0 and stay unreported: 21 tiles; at column 0, 13 of the 15 on the map.
TEST(Corrupt, AmountsReachWhatTheirTableSays) {
    const struct {
        int amount, px, radius, reported, elementals, superior;
    } cases[] = {
        {-100000, 45, 0, 0, 0, 0}, {0, 45, 0, 0, 0, 0},       {1, 45, 1, 1, 0, 0},
        {9, 0, 3, 13, 0, 0},       {10, 15, 3, 21, 0, 0},     {100, 0, 10, -1, 0, 0},
        {1000, 0, 31, -1, 0, 0},   {10000, 0, 100, -1, 1, 0}, {100000, 45, 316, -1, 10, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.amount);
        const int n = std::max(c.amount, 0);
        freshWorld(1000u + n);
        tileAt(player.x = c.px, player.y = 20).creature = &player;
        gameTex->flags = fontTex->flags = 0;
        corrupt(c.amount);
        // A sheet with flipped bits is uploaded again at its next draw.
        EXPECT_EQ((std::array{texBlock_changed(gameTex), texBlock_changed(fontTex)}),
                  (std::array{n > 0, n >= 10}));
        const std::vector<unsigned char> got = picture();
        std::set<Spot> rep;
        for (auto &column : mapTex)
            for (MapBlock &b : column)
                for (int i = 0; i < b.count; ++i)
                    rep.insert({b.changes[i][0], b.changes[i][1]});
        EXPECT_EQ(countNamed("Chaos Elemental"), c.elementals);
        EXPECT_EQ(countNamed("Superior Chaos Elemental"), c.superior);

        freshWorld(1000u + n);
        tileAt(player.x = c.px, player.y = 20).creature = &player;
        const std::set<Spot> circle = circleModel(c.radius);
        for (int i = 0; i < n + n / 10; ++i) {
            TexBlock *sheet = i < n ? gameTex : fontTex;
            int row = rnd() % 192, col = rnd() % 128, byte = rnd() % 4;
            sheet->pixels[(row * 128 + col) * 4 + byte] ^= 1 << rnd() % 8;
        }
        for (int i = 0; i < n / 100 + n / 1000; ++i) {
            int x = rnd() % 90, y = rnd() % 40, which = rnd() % (i < n / 100 ? 3 : 4);
            Tile &t = tileAt(x, y);
            (which == 0 ? t.r : which == 1 ? t.g : which == 2 ? t.b : t.glyph) ^= 1 << rnd() % 8;
        }
        EXPECT_TRUE(picture() == got);
        EXPECT_TRUE(c.reported < 0 || (rep == circle && int(rep.size()) == c.reported));
    }
}

// Game pixels from the text sheet, text pixels from the pure one, then per thousand a game cell
// and a text cell; past 10000 the whole game sheet, past 20000 the whole text sheet. The sheets
// are damaged in every pixel, so each copy shows.
TEST(Order, EveryAmountAsReplayedFromTheDraws) {
    for (int amount : {-5, 0, 1, 99, 100, 2500, 10000, 10001, 20000, 20001}) {
        SCOPED_TRACE(amount);
        std::vector<unsigned char> want[2];
        for (int pass = 0; pass < 2; ++pass) {
            freshWorld(7);
            for (int i = 0; i < GRID; ++i)
                fontTex->pixels[i] ^= 0x5A, gameTex->pixels[i] ^= 0xC3;
            gameTex->flags = fontTex->flags = 0;
            unsigned char *game = gameTex->pixels, *font = fontTex->pixels;
            if (pass == 1) {
                uncorrupt(amount);
                EXPECT_EQ((std::array{texBlock_changed(gameTex), texBlock_changed(fontTex)}),
                          (std::array{amount > 0, amount >= 100}));
            } else {
                copyPixels(game, font, std::max(amount, 0));
                copyPixels(font, pureTex->pixels, std::max(amount, 0) / 100);
                for (int i = 0; i < amount / 1000; ++i)
                    copyCell(game, font), copyCell(font, pureTex->pixels);
                if (amount > 10000)
                    std::memcpy(game, font, GRID);
                if (amount > 20000)
                    std::memcpy(font, pureTex->pixels, GRID);
            }
            want[pass].assign(game, game + GRID);
            want[pass].insert(want[pass].end(), font, font + GRID);
            want[pass].push_back(rnd() % 256);
        }
        EXPECT_TRUE(want[0] == want[1]);
    }
}
