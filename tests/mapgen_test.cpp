#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/random.h"
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
