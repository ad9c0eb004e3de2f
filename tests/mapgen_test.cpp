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

// Per tile: red, green, blue, the glyph (1 in 5 "`" or "'", else "." or ","), then a fresh item;
// then up to three paths, each drawn while a draw below 4, 3, 2 is not 0. A path runs from column
// 0 on a single-precision row truncated at every column; each strip widens each end by a draw
// below 12 divided by 10, is clipped to the map, and one draw lifts red and green together.
TEST(MapInit, EveryTileAndPathAsReplayedFromTheDraws) {
    for (unsigned seed : {7u, 8u, 9u, 21u}) {
        freshWorld(seed);
        std::vector<Tile> want(MAP_W * MAP_H);
        std::vector<int> kinds;
        for (Tile &t : want) {
            t.r = rnd() % 50, t.g = 100 + rnd() % 155, t.b = rnd() % 50;
            t.glyph = rnd() % 5 == 2 ? (rnd() % 2 == 1 ? '`' : '\'') : (rnd() % 2 == 1 ? '.' : ',');
            Item *it = item_rand(1, 180, 1, 2);
            kinds.push_back(it ? it->kind : -1);
            delete it;
        }
        for (int n = 4; rnd() % n != 0; --n) {
            const int a = rnd() % MAP_H, b = rnd() % MAP_H;
            float rowF = static_cast<float>(a);
            for (int x = 0, row = a; x < MAP_W;
                 ++x, row = static_cast<int>(rowF += (a - b) / -90.0f)) {
                const int top = std::max(row - 1 - static_cast<int>(rnd() % 12) / 10, 0);
                const int end = std::min(row + 1 + static_cast<int>(rnd() % 12) / 10, MAP_H);
                for (int y = top; y < end; ++y) {
                    Tile &t = want[&tileAt(x, y) - map];
                    const int lift = rnd() % 100;
                    t.r = lift + rnd() % 50 + 100, t.g = lift + rnd() % 25 + 50, t.b = 0,
                    t.glyph = 43;
                }
            }
        }
        const int next = rnd();
        srnd(seed);
        mapInit();
        for (int i = 0; i < MAP_W * MAP_H; ++i) {
            ASSERT_EQ(std::memcmp(&map[i], &want[i], 4), 0) << "tile " << i << " seed " << seed;
            ASSERT_EQ(map[i].item ? map[i].item->kind : -1, kinds[i]) << "tile " << i;
        }
        EXPECT_EQ(rnd(), next);
    }
}

// Steep, right-to-left or off-map paths draw nothing and draw no number; a jitter of -10 must not
// divide by zero.
TEST(DirtPath, SteepBackwardOrOffMapDrawNothing) {
    freshWorld(3);
    const std::vector<Tile> before(map, map + MAP_W * MAP_H);
    srnd(11);
    for (const auto &p : {std::array{5, 0, 5, 30}, {0, 0, 20, 20}, {0, 20, 20, 0}, {90, 10, 0, 12}})
        dirtPath(p[0], p[1], p[2], p[3], 1, 2);
    dirtStripV(-1, 20, 1, 2);
    dirtStripV(90, 20, 1, 2);
    const int next = rnd();
    srnd(11);
    EXPECT_EQ(next, rnd());
    EXPECT_EQ(std::memcmp(map, before.data(), sizeof(Tile) * MAP_W * MAP_H), 0);
    dirtStripV(8, 20, 1, -10);
    EXPECT_TRUE(tileAt(8, 19).glyph == 43 && tileAt(8, 20).glyph == 43 &&
                tileAt(8, 21).glyph != 43);
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
