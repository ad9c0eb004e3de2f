// Items: levelled items, random items and where drops land.
#include <gtest/gtest.h>

#include "core/random.h"
#include "items/item.h"
#include "support/fixture.h"

using namespace vell;

// Draws: the chance, the level in the span, 1 in 100 a scroll, else the kind
// below 2 L (gold, arrows, health, gem), the look's colours (none, 2, 3, 3),
// then the amount or magic. Level 5 makes what 2 makes; level 0 a plain item.
TEST(ItemRand, ChanceThenLevelThenKindLooksAndAmount) {
    const int kinds[4] = {1, 2, 4, 3}, at[4] = {4, 6, 7, 7};
    for (int level : {0, 1, 2, 5})
        for (unsigned s = 1; s < 400; ++s) {
            srnd(s);
            int L = level > 2 ? 2 : level, d[8], m[4] = {L + 5, L + 5, L + 1, 100 * L + 50};
            for (int &v : d)
                v = rnd();
            srnd(s);
            Item *it = item_rand(3, 5, level, level);
            ASSERT_EQ(it != nullptr, d[0] % 5 < 3) << level << " seed " << s;
            if (!it)
                continue;
            int k = L ? d[3] % (2 * L) : 0, v = d[at[k]] % m[k];
            if (d[2] % 100 == 0 || L == 0)
                EXPECT_EQ(it->kind, d[2] % 100 ? 0 : 5);
            else
                EXPECT_TRUE(
                    it->kind == kinds[k] &&
                    (k == 3 ? it->magic == 100 + v && it->amount == 1 : it->amount == v * L + 1) &&
                    (k == 0 || it->g == 100 + d[5] % (k == 3 ? 100 : 25)))
                    << level << " seed " << s;
            delete it;
        }
    srnd(11);
    int next = rnd();
    srnd(11);
    EXPECT_TRUE(item_rand(3, 0, 1, 2) == nullptr && rnd() == next); // out of 0: no draw
}

TEST(Drops, FirstFreeTileLowestRowThenColumnAndNoRoomReleasesTheItem) {
    freshWorld();
    Creature c{};
    tileAt(30, 20).creature = &c; // an item may lie under a creature
    dropGold(0, 30, 20);
    dropArrows(-1, 30, 20); // 0 or less drops nothing
    const int cases[][4] = {{30, 20, 30, 20}, {30, 20, 29, 19}, {50, 0, 50, 0},
                            {50, 0, 49, 0},   {0, 0, 0, 0},     {0, 0, 1, 0}};
    for (auto &k : cases) {
        dropNear(item_new(), k[0], k[1]);
        Item *it = tileAt(k[2], k[3]).item;
        EXPECT_TRUE(it && it->kind == 0) << k[2] << "," << k[3];
    }
    EXPECT_EQ(tileAt(0, 1).item, nullptr);
    for (Tile &t : map)
        t.item = t.item ? t.item : item_new();
    dropNear(item_new(), 45, 20); // no room within 19: LeakSanitizer fails if kept
}
