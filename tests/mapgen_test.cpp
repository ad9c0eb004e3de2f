#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "items/item.h"
#include "support/fixture.h"
#include "world/map.h"

using namespace vell;

namespace {

constexpr unsigned char DIRT = 43;

void clearGround() {
    for (Tile &t : map)
        t.glyph = 0;
}

// Rows of column x that hold dirt, lowest first.
std::vector<int> dirtRows(int x) {
    std::vector<int> rows;
    for (int y = 0; y < MAP_H; ++y)
        if (tileAt(x, y).glyph == DIRT)
            rows.push_back(y);
    return rows;
}

int dirtTiles() {
    int n = 0;
    for (const Tile &t : map)
        n += t.glyph == DIRT;
    return n;
}

// Centre rows of a path from row a at column 0 towards row b at column 90:
// the single-precision running sum, truncated at every column.
std::vector<int> centreRows(int a, int b) {
    std::vector<int> rows;
    float slope = static_cast<float>(a - b) / static_cast<float>(0 - 90);
    float rowF = static_cast<float>(a);
    int row = a;
    for (int x = 0; x < 90; ++x) {
        rows.push_back(row);
        rowF = rowF + slope;
        row = static_cast<int>(rowF);
    }
    return rows;
}

// With jitter 0 a strip of half width 1 is exactly rows centre-1 and centre.
std::vector<int> stripRows(int centre) {
    std::vector<int> rows;
    for (int y = centre - 1; y <= centre; ++y)
        if (y >= 0 && y < MAP_H)
            rows.push_back(y);
    return rows;
}

// True if the calling thread's generator has not been drawn from since
// srnd(seed).
bool untouchedSince(unsigned seed) {
    int next = rnd();
    srnd(seed);
    return next == rnd();
}

int ringLength() {
    int n = 1;
    for (Creature *c = player.next; c != &player; c = c->next)
        ++n;
    return n;
}

} // namespace

// --- Paths --------------------------------------------------------------------

TEST(DirtPath, StripsFollowTheTruncatedSinglePrecisionRow) {
    freshWorld(3);
    const int pairs[][2] = {{0, 3}, {0, 9}, {0, 39}, {39, 0}, {5, 30}, {33, 12}};
    for (const auto &p : pairs) {
        clearGround();
        dirtPath(0, p[0], 90, p[1], 1, 0);
        std::vector<int> centre = centreRows(p[0], p[1]);
        for (int x = 0; x < MAP_W; ++x)
            ASSERT_EQ(dirtRows(x), stripRows(centre[x]))
                << "path " << p[0] << " -> " << p[1] << " column " << x;
    }
}

TEST(DirtPath, RowIsTruncatedNotRoundedNorSummedExactly) {
    freshWorld(3);
    // 0 -> 3: at column 60 the exact row is 2.0, but the float sum of sixty
    // slopes falls just short and truncates to 1.
    clearGround();
    dirtPath(0, 0, 90, 3, 1, 0);
    EXPECT_EQ(dirtRows(60), (std::vector<int>{0, 1}));
    // 0 -> 39: column 2 lies at 0.87, truncated to 0 rather than rounded to
    // 1; column 89 ends on 89 * 39 / 90 = 38.57, truncated to 38.
    clearGround();
    dirtPath(0, 0, 90, 39, 1, 0);
    EXPECT_EQ(dirtRows(2), (std::vector<int>{0}));
    EXPECT_EQ(dirtRows(89), (std::vector<int>{37, 38}));
    // Downhill, 39 -> 0: column 89 ends on 39 - 38.57 = 0.43, row 0.
    clearGround();
    dirtPath(0, 39, 90, 0, 1, 0);
    EXPECT_EQ(dirtRows(89), (std::vector<int>{0}));
    EXPECT_EQ(dirtRows(0), (std::vector<int>{38, 39}));
}

TEST(DirtPath, EqualEndRowsGiveAStraightPath) {
    freshWorld(3);
    dirtPath(0, 17, 90, 17, 1, 0);
    for (int x = 0; x < MAP_W; ++x)
        ASSERT_EQ(dirtRows(x), (std::vector<int>{16, 17})) << "column " << x;
}

TEST(DirtPath, EndColumnIsNeverDrawn) {
    freshWorld(3);
    dirtPath(10, 5, 50, 8, 1, 0);
    for (int x = 0; x < MAP_W; ++x) {
        if (x >= 10 && x < 50)
            EXPECT_FALSE(dirtRows(x).empty()) << "column " << x;
        else
            EXPECT_TRUE(dirtRows(x).empty()) << "column " << x;
    }
}

TEST(DirtPath, VerticalOrDiagonalRequestDrawsNothing) {
    freshWorld(11);
    dirtPath(5, 0, 5, 30, 1, 2);  // vertical
    dirtPath(0, 0, 20, 20, 1, 2); // exactly diagonal
    dirtPath(0, 20, 20, 0, 1, 2);
    dirtPath(40, 10, 30, 20, 1, 2);
    EXPECT_EQ(dirtTiles(), 0);
    EXPECT_TRUE(untouchedSince(11));
    // One column more across than up is enough.
    dirtPath(0, 0, 21, 20, 1, 2);
    EXPECT_GT(dirtTiles(), 0);
}

TEST(DirtPath, RightToLeftRequestDrawsNothing) {
    freshWorld(12);
    dirtPathH(60, 10, 20, 10, 1, 2);
    dirtPath(90, 10, 0, 12, 1, 2);
    dirtPathH(30, 10, 30, 12, 1, 2);
    EXPECT_EQ(dirtTiles(), 0);
    EXPECT_TRUE(untouchedSince(12));
}

TEST(DirtStrip, JitterDrawsWidenEachEndByAtMostOneRow) {
    freshWorld(1);
    int lower = 0, upper = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        srnd(seed);
        int below = (rnd() % 12) / 10;
        int above = (rnd() % 12) / 10;
        lower += below;
        upper += above;
        clearGround();
        srnd(seed);
        dirtStripV(40, 20, 1, 2);
        std::vector<int> expected;
        for (int y = 19 - below; y < 21 + above; ++y)
            expected.push_back(y);
        ASSERT_EQ(dirtRows(40), expected) << "seed " << seed;
        ASSERT_TRUE(dirtRows(39).empty() && dirtRows(41).empty());
    }
    // Each end reaches one row further about one time in six.
    EXPECT_GT(lower, 20);
    EXPECT_LT(lower, 85);
    EXPECT_GT(upper, 20);
    EXPECT_LT(upper, 85);
}

TEST(DirtStrip, EachRowDrawsShadeThenRedThenGreen) {
    freshWorld(77);
    for (Tile &t : map)
        t.b = 99;
    Creature *c = creature_new();
    tileAt(7, 12).creature = c;
    c->x = 7;
    c->y = 12;
    srnd(77);
    int below = (rnd() % 12) / 10;
    int above = (rnd() % 12) / 10;
    std::vector<int> r, g;
    for (int y = 11 - below; y < 13 + above; ++y) {
        int s = rnd() % 100;
        r.push_back(s + rnd() % 50 + 100);
        g.push_back(s + rnd() % 25 + 50);
    }
    srnd(77);
    dirtStripV(7, 12, 1, 2);
    int k = 0;
    for (int y = 11 - below; y < 13 + above; ++y, ++k) {
        const Tile &t = tileAt(7, y);
        EXPECT_EQ(t.glyph, DIRT);
        EXPECT_EQ(t.r, r[k]);
        EXPECT_EQ(t.g, g[k]);
        EXPECT_EQ(t.b, 0);
    }
    // Dirt leaves whoever stands on the tile where it is.
    EXPECT_EQ(tileAt(7, 12).creature, c);
}

TEST(DirtStrip, ClippedAtTheBottomAndTopRows) {
    freshWorld(5);
    for (unsigned seed = 1; seed <= 50; ++seed) {
        clearGround();
        srnd(seed);
        dirtStripV(3, 0, 1, 2);
        std::vector<int> rows = dirtRows(3);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows.front(), 0);
        EXPECT_LE(rows.back(), 1);
        clearGround();
        dirtStripV(3, 39, 1, 2);
        rows = dirtRows(3);
        ASSERT_FALSE(rows.empty());
        EXPECT_GE(rows.front(), 37);
        EXPECT_EQ(rows.back(), 39);
        // A wide strip still stays inside its column.
        clearGround();
        dirtStripV(3, 1, 6, 2);
        dirtStripV(3, 38, 6, 2);
        EXPECT_TRUE(dirtRows(2).empty());
        EXPECT_TRUE(dirtRows(4).empty());
    }
}

TEST(DirtStrip, ColumnOffTheMapIsIgnored) {
    freshWorld(5);
    dirtStripV(-1, 20, 1, 2);
    dirtStripV(90, 20, 1, 2);
    EXPECT_EQ(dirtTiles(), 0);
}

// --- The whole map --------------------------------------------------------------

TEST(MapInit, GroundIsGrassOrDirtWithTheirColours) {
    const std::set<int> grass = {46, 44, 96, 39};
    for (unsigned seed : {1u, 2u, 1234u}) {
        freshWorld(seed);
        mapInit();
        for (int x = 0; x < MAP_W; ++x)
            for (int y = 0; y < MAP_H; ++y) {
                const Tile &t = tileAt(x, y);
                if (t.glyph == DIRT) {
                    ASSERT_EQ(t.b, 0);
                    ASSERT_GE(t.r - t.g, 26);
                    ASSERT_LE(t.r - t.g, 99);
                } else {
                    ASSERT_TRUE(grass.count(t.glyph)) << int(t.glyph) << " at " << x << "," << y;
                    ASSERT_LT(t.r, 50);
                    ASSERT_LT(t.b, 50);
                    ASSERT_GE(t.g, 100);
                    ASSERT_LE(t.g, 254);
                }
            }
    }
}

TEST(MapInit, FirstTilesDrawColourThenGlyphThenItem) {
    // Replays the first two tiles of column 0 on a seed whose first draws
    // give them no item and whose paths miss them.
    bool checked = false;
    for (unsigned seed = 1; seed < 40 && !checked; ++seed) {
        srnd(seed);
        int want[2][4];
        bool itemless = true;
        for (auto &w : want) {
            w[0] = rnd() % 50;
            w[1] = 100 + rnd() % 155;
            w[2] = rnd() % 50;
            if (rnd() % 5 == 2)
                w[3] = rnd() % 2 == 1 ? 96 : 39;
            else
                w[3] = rnd() % 2 == 1 ? 46 : 44;
            itemless = itemless && rnd() % 180 != 0;
        }
        if (!itemless)
            continue;
        freshWorld(seed);
        mapInit();
        if (tileAt(0, 0).glyph == DIRT || tileAt(0, 1).glyph == DIRT)
            continue;
        for (int y = 0; y < 2; ++y) {
            const Tile &t = tileAt(0, y);
            EXPECT_EQ(t.r, want[y][0]);
            EXPECT_EQ(t.g, want[y][1]);
            EXPECT_EQ(t.b, want[y][2]);
            EXPECT_EQ(t.glyph, want[y][3]);
            EXPECT_EQ(t.item, nullptr);
        }
        checked = true;
    }
    EXPECT_TRUE(checked);
}

TEST(MapInit, OldItemsAreFreedAndNewOnesAreLevelOneOrTwo) {
    freshWorld(21);
    for (Tile &t : map) {
        t.item = item_new(); // plain items, kind 0, never made by generation
        ASSERT_NE(t.item, nullptr);
    }
    mapInit();
    int items = 0;
    for (const Tile &t : map) {
        if (t.item == nullptr)
            continue;
        ++items;
        EXPECT_GE(t.item->kind, 1);
        EXPECT_LE(t.item->kind, 5);
    }
    EXPECT_GT(items, 0);
    EXPECT_LT(items, 60);
}

TEST(MapInit, KeepsThePlayerAndTheSpawnerRemovesEveryOtherCreature) {
    freshWorld(8);
    player.x = 30;
    player.y = 20;
    player.health = 17;
    player.gold = 5;
    tileAt(30, 20).creature = &player;
    Creature *spawner = creature_new(); // in the ring, on no tile
    spawner->speed = 100;
    const int spots[][2] = {{0, 0}, {31, 20}, {89, 39}, {45, 7}, {30, 21}};
    for (const auto &s : spots) {
        Creature *c = creature_new();
        c->x = s[0];
        c->y = s[1];
        tileAt(s[0], s[1]).creature = c;
    }
    ASSERT_EQ(ringLength(), 7);
    mapInit();
    EXPECT_EQ(ringLength(), 2);
    EXPECT_EQ(player.next, spawner);
    EXPECT_EQ(spawner->next, &player);
    EXPECT_EQ(player.prev, spawner);
    EXPECT_EQ(player.x, 30);
    EXPECT_EQ(player.y, 20);
    EXPECT_EQ(player.health, 17);
    EXPECT_EQ(player.gold, 5);
    for (int x = 0; x < MAP_W; ++x)
        for (int y = 0; y < MAP_H; ++y)
            ASSERT_EQ(tileAt(x, y).creature, (x == 30 && y == 20) ? &player : nullptr);
}

TEST(MapInit, AboutOneTileIn180HasAnItemAndAboutAQuarterOfMapsNoPath) {
    // 30 maps: 108000 tiles give 600 items on average (sd about 24); a map
    // without paths has no dirt at all (about 7.5 of 30, sd about 2.4).
    freshWorld(4242);
    int items = 0, pathless = 0, mostStrips = 0;
    const int maps = 30;
    for (int m = 0; m < maps; ++m) {
        mapInit();
        for (const Tile &t : map)
            items += t.item != nullptr;
        pathless += dirtTiles() == 0;
        // Every path crosses column 0 as one run of 2 to 4 rows; three
        // paths make at most three runs there.
        int runs = 0;
        for (int y = 0; y < MAP_H; ++y)
            runs += tileAt(0, y).glyph == DIRT && (y == 0 || tileAt(0, y - 1).glyph != DIRT);
        mostStrips = std::max(mostStrips, runs);
    }
    EXPECT_GT(items, 500);
    EXPECT_LT(items, 700);
    EXPECT_GE(pathless, 1);
    EXPECT_LE(pathless, 16);
    EXPECT_LE(mostStrips, 3);
    EXPECT_GE(mostStrips, 2);
}
