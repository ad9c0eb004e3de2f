#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "enemies/enemy.h"
#include "items/item.h"
#include "support/fixture.h"
#include "world/map.h"

using namespace vell;
using Rows = std::vector<int>;

namespace {

constexpr unsigned char DIRT = 43;

void clearGround() {
    for (Tile &t : map)
        t.glyph = 0;
}

Rows dirtRows(int x) {
    Rows rows;
    for (int y = 0; y < MAP_H; ++y)
        if (tileAt(x, y).glyph == DIRT)
            rows.push_back(y);
    return rows;
}

int dirtTiles() {
    return std::count_if(std::begin(map), std::end(map),
                         [](const Tile &t) { return t.glyph == DIRT; });
}

// With no jitter a strip of half width 1 is rows centre - 1 and centre.
Rows strip(int centre) {
    return centre > 0 ? Rows{centre - 1, centre} : Rows{0};
}

} // namespace

TEST(DirtPath, FollowsTheTruncatedFloatRowFromX0ToBeforeX1WhenMoreAcrossThanDown) {
    freshWorld(3);
    // {from, to, centre at column 89}: 0 -> 39 ends on 38.57, 39 -> 0 on 0.43.
    for (const auto &p :
         {std::array{0, 39, 38}, {39, 0, 0}, {0, 3, 2}, {5, 30, 29}, {17, 17, 17}}) {
        clearGround();
        dirtPath(0, p[0], 90, p[1], 1, 0);
        float rowF = static_cast<float>(p[0]); // single precision, truncated at every column
        for (int x = 0, row = p[0]; x < MAP_W;
             ++x, row = static_cast<int>(rowF += (p[0] - p[1]) / -90.0f))
            ASSERT_EQ(dirtRows(x), strip(row)) << p[0] << " -> " << p[1] << " column " << x;
        EXPECT_EQ(dirtRows(89), strip(p[2]));
    }
    // One column more across than down is enough; the end column stays bare.
    clearGround();
    dirtPath(10, 5, 31, 25, 1, 0);
    for (int x = 0; x < MAP_W; ++x)
        EXPECT_EQ(dirtRows(x).empty(), x < 10 || x > 30) << "column " << x;
    // Steep (vertical, exactly diagonal) or right-to-left: nothing, not even a draw.
    srnd(11);
    clearGround();
    dirtPath(5, 0, 5, 30, 1, 2);
    dirtPath(0, 0, 20, 20, 1, 2);
    dirtPath(0, 20, 20, 0, 1, 2);
    dirtPath(90, 10, 0, 12, 1, 2);
    dirtPathH(60, 10, 20, 10, 1, 2);
    dirtPathH(30, 10, 30, 12, 1, 2);
    EXPECT_EQ(dirtTiles(), 0);
    const int next = rnd();
    srnd(11);
    EXPECT_EQ(next, rnd());
}

TEST(DirtStrip, JitterDrawsWidenEachEndAndRowsStayOnTheMap) {
    freshWorld(77);
    int widened = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        clearGround();
        srnd(seed);
        const int top = 11 - (rnd() % 12) / 10, end = 13 + (rnd() % 12) / 10;
        widened += top < 11 || end > 13;
        Rows want;
        for (int y = top; y < end; ++y)
            want.push_back(y);
        srnd(seed);
        dirtStripV(7, 12, 1, 2);
        ASSERT_EQ(dirtRows(7), want) << "seed " << seed;
        // Clipped at rows 0 and 39; columns off the map ignored.
        dirtStripV(3, 0, 1, 2);
        dirtStripV(5, 39, 1, 2);
        dirtStripV(4, 20, 30, 2);
        dirtStripV(-1, 20, 1, 2);
        dirtStripV(90, 20, 1, 2);
        const Rows first = dirtRows(3), last = dirtRows(5);
        ASSERT_TRUE(first == strip(0) || first == strip(1)) << "seed " << seed;
        ASSERT_TRUE(last == Rows({38, 39}) || last == Rows({37, 38, 39})) << "seed " << seed;
        ASSERT_EQ(dirtTiles(), static_cast<int>(want.size() + first.size() + last.size()) + MAP_H);
    }
    EXPECT_GT(widened, 0);
    clearGround();
    dirtStripV(8, 20, 1, -10); // a jitter of -10 would divide by zero
    EXPECT_EQ(dirtRows(8), strip(20));
}

TEST(MapInit, OnlyPlayerAndSpawnerStayAndGroundItemsAndPathsKeepTheirOdds) {
    freshWorld(7);
    player.x = 30;
    player.y = 20;
    player.health = 17;
    tileAt(30, 20).creature = &player;
    Creature *spawner = creature_new(); // in the ring, on no tile
    randEnemy(0, 0);
    randEnemy(31, 20);
    randEnemy(89, 39);
    for (Tile &t : map)
        t.item = item_new(); // kind 0, never generated; a leak fails under ASan
    int items = 0, mapsWith[5] = {};
    for (int m = 0; m < 24; ++m) {
        mapInit();
        int paths = 0; // told apart where their strips part: a lower bound
        for (int x = 0; x < MAP_W; ++x) {
            int runs = 0;
            for (int y = 0; y < MAP_H; ++y) {
                const Tile &t = tileAt(x, y);
                ASSERT_EQ(t.creature, x == 30 && y == 20 ? &player : nullptr);
                ASSERT_TRUE(t.item == nullptr || (t.item->kind >= 1 && t.item->kind <= 5));
                items += t.item != nullptr;
                runs += t.glyph == DIRT && (y == 0 || tileAt(x, y - 1).glyph != DIRT);
                // One shade lifts dirt's red and green together.
                const bool dirt = t.glyph == DIRT && t.r >= 100 && t.r <= 248 && t.g >= 50 &&
                                  t.g <= 173 && t.b == 0 && t.r - t.g >= 26 && t.r - t.g <= 99;
                const bool grass =
                    (t.glyph == 46 || t.glyph == 44 || t.glyph == 96 || t.glyph == 39) &&
                    t.r < 50 && t.g >= 100 && t.g <= 254 && t.b < 50;
                ASSERT_TRUE(dirt || grass) << x << "," << y << " glyph " << int(t.glyph);
            }
            paths = std::max(paths, runs);
        }
        ++mapsWith[std::min(paths, 4)];
    }
    EXPECT_EQ(player.next, spawner);
    EXPECT_EQ(spawner->next, &player);
    EXPECT_EQ((Rows{player.x, player.y, player.health}), (Rows{30, 20, 17}));
    EXPECT_GT(items, 400); // 480 expected, sd about 22
    EXPECT_LT(items, 560);
    for (int n = 0; n < 4; ++n) // 6 maps each expected, sd about 2.1
        EXPECT_TRUE(mapsWith[n] >= 2 && mapsWith[n] <= 11) << mapsWith[n] << " with " << n;
    EXPECT_EQ(mapsWith[4], 0);
}
