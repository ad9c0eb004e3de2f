// Items: levelled items, random items and where drops land.
#include <gtest/gtest.h>

#include "core/random.h"
#include "graphics/map.h"
#include "items/item.h"
#include "support/fixture.h"

using namespace vell;

TEST(ItemMaking, KindsAndAmountsStayInTheirRangesPerLevel) {
    freshWorld(7);
    int kinds[2][6] = {};
    for (int i = 0; i < 8000; ++i) {
        int lv = i % 2;
        Item *it = item_rand(1, 1, lv + 1, lv + 1);
        ++kinds[lv][it->kind];
        int a = it->amount;
        // Gold and arrows: 1..6 at level 1, odd 1..13 at level 2.
        bool ok = it->kind == 1 || it->kind == 2 ? a >= 1 && (lv ? a % 2 && a <= 13 : a <= 6)
                  : it->kind == 4                ? a == 1 || a == 3 || a == 5
                  : it->kind == 3                ? a == 1 && it->magic >= 100 && it->magic <= 349
                                                 : it->kind == 5;
        EXPECT_TRUE(ok) << it->kind << " " << a << " " << it->magic;
        delete it;
    }
    EXPECT_EQ(kinds[0][0] + kinds[0][3] + kinds[0][4], 0);
    EXPECT_NEAR(kinds[0][1], 1980, 200);
    for (int k = 1; k <= 4; ++k)
        EXPECT_NEAR(kinds[1][k], 990, 150) << k;
    EXPECT_NEAR(kinds[0][5] + kinds[1][5], 80, 50); // one in a hundred
}

TEST(ItemMaking, LevelFiveMakesWhatLevelTwoMakesAndLevelZeroDoesNotDivide) {
    for (unsigned s = 1; s < 300; ++s) {
        srnd(s);
        Item *a = item_leveled(5), *z = item_leveled(0);
        srnd(s);
        Item *b = item_leveled(2);
        EXPECT_TRUE(a->kind == b->kind && a->amount == b->amount && a->magic == b->magic);
        EXPECT_TRUE(z->kind == 0 || z->kind == 5);
        delete a;
        delete b;
        delete z;
    }
}

TEST(ItemRand, ThreeInFiveAndOutOfZeroDrawsNothing) {
    srnd(11);
    int made = 0;
    for (int i = 0; i < 5000; ++i)
        if (Item *it = item_rand(3, 5, 1, 2)) {
            ++made;
            delete it;
        }
    EXPECT_NEAR(made, 3000, 150);
    srnd(11);
    int next = rnd();
    srnd(11);
    EXPECT_EQ(item_rand(3, 0, 1, 2), nullptr);
    EXPECT_EQ(rnd(), next);
}

TEST(Drops, LandOnTheFirstFreeTileLowestRowThenLowestColumn) {
    freshWorld();
    Creature c{};
    tileAt(30, 20).creature = &c; // an item may lie under a creature
    dropGold(0, 30, 20);
    dropArrows(-1, 30, 20);
    const int cases[][4] = {{30, 20, 30, 20}, {30, 20, 29, 19}, {50, 0, 50, 0},
                            {50, 0, 49, 0},   {0, 0, 0, 0},     {0, 0, 1, 0}};
    for (auto &k : cases) {
        dropNear(item_new(), k[0], k[1]);
        EXPECT_NE(tileAt(k[2], k[3]).item, nullptr) << k[2] << "," << k[3];
        const MapBlock &b = mapTex[k[2] / BLOCK_TILES_X][k[3] / BLOCK_TILES_Y];
        EXPECT_EQ(b.changes[b.count - 1][0], k[2]); // reported
    }
    EXPECT_EQ(tileAt(0, 1).item, nullptr);
    EXPECT_EQ(tileAt(30, 20).item->kind, 0); // no gold or arrows of 0 or less
    tileAt(30, 20).creature = nullptr;
}

TEST(Drops, ItemWithNoRoomWithinNineteenIsReleased) {
    freshWorld();
    for (Tile &t : map)
        t.item = item_new();
    Item *before = tileAt(45, 20).item;
    dropNear(item_new(), 45, 20); // LeakSanitizer fails the test if it is kept
    EXPECT_EQ(tileAt(45, 20).item, before);
}
