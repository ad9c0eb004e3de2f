#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "core/random.h"
#include "creatures/creature.h"
#include "enemies/enemy.h"
#include "graphics/map.h"
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

// With no jitter a strip of half width 1 is rows centre - 1 and centre.
Rows strip(int centre) {
    return centre > 0 ? Rows{centre - 1, centre} : Rows{0};
}

} // namespace

// {from, to, centre at column 89}: 0 -> 39 ends on 38.57, 39 -> 0 on 0.43. One column more across
// than down is enough and the end column stays bare; steep or right-to-left paths draw nothing.
TEST(DirtPath, FollowsTheTruncatedFloatRowFromX0ToBeforeX1WhenMoreAcrossThanDown) {
    freshWorld(3);
    for (const auto &p : {std::array{0, 39, 38}, {39, 0, 0}, {0, 3, 2}, {17, 17, 17}}) {
        clearGround();
        dirtPath(0, p[0], 90, p[1], 1, 0);
        float rowF = static_cast<float>(p[0]); // single precision, truncated at every column
        for (int x = 0, row = p[0]; x < MAP_W;
             ++x, row = static_cast<int>(rowF += (p[0] - p[1]) / -90.0f))
            ASSERT_EQ(dirtRows(x), strip(row)) << p[0] << " -> " << p[1] << " column " << x;
        EXPECT_EQ(dirtRows(89), strip(p[2]));
    }
    clearGround();
    dirtPath(10, 5, 31, 25, 1, 0);
    for (int x = 0; x < MAP_W; ++x)
        EXPECT_EQ(dirtRows(x).empty(), x < 10 || x > 30) << "column " << x;
    clearGround();
    srnd(11);
    for (const auto &p : {std::array{5, 0, 5, 30}, {0, 0, 20, 20}, {0, 20, 20, 0}, {90, 10, 0, 12}})
        dirtPath(p[0], p[1], p[2], p[3], 1, 2);
    dirtPathH(30, 10, 30, 12, 1, 2);
    int dirt = 0;
    for (int x = 0; x < MAP_W; ++x)
        dirt += dirtRows(x).size();
    const int next = rnd();
    srnd(11);
    EXPECT_TRUE(dirt == 0 && next == rnd());
}

// Each end widens by a draw below jitter + 10, divided by 10; rows are clipped, columns off the
// map ignored, and a jitter of -10 must not divide by zero.
TEST(DirtStrip, JitterDrawsWidenEachEndAndRowsStayOnTheMap) {
    freshWorld(77);
    for (unsigned seed = 1; seed <= 40; ++seed) {
        clearGround();
        srnd(seed);
        const int top = 11 - (rnd() % 12) / 10, end = 13 + (rnd() % 12) / 10;
        std::vector<std::array<int, 2>> colours; // one draw lifts red and green together
        for (int y = top; y < end; ++y) {
            const int lift = rnd() % 100, r = lift + rnd() % 50 + 100;
            colours.push_back({r, lift + rnd() % 25 + 50});
        }
        srnd(seed);
        dirtStripV(7, 12, 1, 2);
        dirtStripV(3, 0, 1, 2);
        dirtStripV(5, 39, 1, 2);
        dirtStripV(-1, 20, 1, 2);
        dirtStripV(90, 20, 1, 2);
        dirtStripV(8, 20, 1, -10);
        Rows want;
        for (int y = top; y < end; ++y)
            want.push_back(y);
        ASSERT_EQ(dirtRows(7), want) << "seed " << seed;
        for (int y = top; y < end; ++y)
            ASSERT_EQ((std::array<int, 3>{tileAt(7, y).r, tileAt(7, y).g, tileAt(7, y).b}),
                      (std::array{colours[y - top][0], colours[y - top][1], 0}));
        const Rows first = dirtRows(3), last = dirtRows(5);
        ASSERT_TRUE(first == strip(0) || first == strip(1)) << "seed " << seed;
        ASSERT_TRUE(last == Rows({38, 39}) || last == Rows({37, 38, 39})) << "seed " << seed;
        ASSERT_EQ(dirtRows(8), strip(20));
    }
}

// Per tile, column by column: red, green, blue, the glyph (1 in 5 "`" or "'", else "." or ","),
// then a fresh item; then up to three paths, each drawn while a draw below 4, 3, 2 is not 0.
TEST(MapInit, EveryTileAndPathAsReplayedFromTheDraws) {
    for (unsigned seed : {7u, 8u, 9u}) {
        freshWorld(seed);
        std::vector<Tile> ground(MAP_W * MAP_H);
        std::vector<int> kinds;
        for (Tile &t : ground) {
            t.r = rnd() % 50, t.g = 100 + rnd() % 155, t.b = rnd() % 50;
            t.glyph = rnd() % 5 == 2 ? (rnd() % 2 == 1 ? '`' : '\'') : (rnd() % 2 == 1 ? '.' : ',');
            Item *it = item_rand(1, 180, 1, 2);
            kinds.push_back(it ? it->kind : -1);
            delete it;
        }
        clearGround();
        for (int n = 4; rnd() % n != 0; --n) {
            const int a = rnd() % MAP_H;
            dirtPath(0, a, MAP_W, rnd() % MAP_H, 1, 2);
        }
        const std::vector<Tile> paths(map, map + MAP_W * MAP_H);
        const int next = rnd();
        srnd(seed);
        mapInit();
        for (int i = 0; i < MAP_W * MAP_H; ++i) {
            const Tile &want = paths[i].glyph == DIRT ? paths[i] : ground[i];
            ASSERT_EQ(std::memcmp(&map[i], &want, 4), 0) << "tile " << i << " seed " << seed;
            ASSERT_EQ(map[i].item ? map[i].item->kind : -1, kinds[i]) << "tile " << i;
        }
        EXPECT_EQ(rnd(), next);
    }
}

// Asked for while one is under way (this thread holds the world lock, as the flee effect does),
// further maps book one rerun; every creature but the player and the spawner is removed.
TEST(MapThread, RequestsDuringARunBookOneRerunAndOnlyThePlayerAndSpawnerStay) {
    freshWorld(5);
    tileAt(player.x = 30, player.y = 20).creature = &player;
    Creature *spawner = creature_new(); // in the ring, on no tile
    for (auto [x, y] : {std::pair{0, 0}, {31, 20}, {89, 39}})
        randEnemy(x, y);
    for (Tile &t : map)
        t.item = item_new(); // freed by the generation, or LeakSanitizer fails the test
    const int done = mapGenerationsDone();
    mapTex[2][2].count = 0;
    {
        WorldGuard g;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(regenMap(), 1);
        startMapInit(); // the entry itself only books as well
        // The generator takes the picture first, then waits here for the world.
        for (int ms = 0; ms < 20000 && drawing.load() == 0; ++ms)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(drawing.load(), 1);
    }
    ASSERT_EQ(waitMapInit(120000), 1);
    EXPECT_EQ(mapGenerationsDone(), done + 2);
    const MapBlock &b = mapTex[2][2]; // the player's tile is drawn again at the next collapse
    EXPECT_TRUE(std::any_of(b.changes, b.changes + b.count,
                            [](auto c) { return c[0] == 30 && c[1] == 20; }));
    EXPECT_TRUE(player.next == spawner && spawner->next == &player &&
                tileAt(30, 20).creature == &player);
    for (const Tile &t : map)
        ASSERT_TRUE(t.creature == nullptr || t.creature == &player);
}
