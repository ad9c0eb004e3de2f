// Items: levelled items, random items and where drops land.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "core/random.h"
#include "items/item.h"
#include "support/fixture.h"

using namespace vell;

// Draws: the chance, the level (in a range of one), 1 in 100 a scroll, else the kind below 2 L
// (gold, arrows, health, gem; L is the level up to 2 (levels 3 and 5 make what 2 makes), none
// below 1: a plain item), the look's
// colours in the order r, g, b, then the amount or the magic.
TEST(ItemRand, ChanceLevelKindLookAndWorthInThatOrder) {
    const struct {
        int kind, glyph, flags, colour[3][2]; // base and range of r, g, b; range 0 takes no draw
        const char *name;
    } looks[] = {{1, 36, 0, {{255, 0}, {255, 0}, {0, 0}}, "gold piece"},
                 {2, 170, 3, {{200, 50}, {100, 25}, {0, 0}}, "arrow"},
                 {4, 3, 2, {{200, 50}, {100, 25}, {200, 50}}, "health"},
                 {3, 15, 2, {{100, 100}, {100, 100}, {100, 100}}, "magical gem"},
                 {5, 168, 0, {{255, 0}, {255, 0}, {255, 0}}, "scroll of order"},
                 {0, 63, 3, {{255, 0}, {255, 0}, {255, 0}}, "item"}};
    for (int level : {0, 1, 2, 3, 5})
        for (unsigned s = 1; s < 400; ++s) {
            srnd(s);
            const bool made = rnd() % 5 < 3;
            rnd();
            const int L = std::min(level, 2), k = rnd() % 100 == 0 ? 4
                                                  : L < 1          ? 5
                                                                   : rnd() % (2 * L);
            int rgb[3], amount = 1, magic = 0;
            for (int i = 0; i < 3; ++i)
                rgb[i] = looks[k].colour[i][0] +
                         (looks[k].colour[i][1] ? rnd() % looks[k].colour[i][1] : 0);
            if (k < 3)
                amount = rnd() % (k == 2 ? L + 1 : L + 5) * L + 1;
            else if (k == 3)
                magic = 100 + rnd() % (100 * L + 50);
            const int next = rnd();
            srnd(s);
            Item *it = item_rand(3, 5, level, level);
            ASSERT_EQ(it != nullptr, made) << level << " seed " << s;
            if (!it)
                continue;
            EXPECT_EQ(std::tuple(it->kind, it->glyph, it->flags, it->r, it->g, it->b, it->amount,
                                 it->magic, std::string(it->name), rnd()),
                      std::tuple(looks[k].kind, looks[k].glyph, looks[k].flags, rgb[0], rgb[1],
                                 rgb[2], amount, magic, std::string(looks[k].name), next))
                << level << " seed " << s;
            delete it;
        }
    srnd(11);
    const int next = rnd();
    srnd(11);
    EXPECT_TRUE(item_rand(3, 0, 1, 2) == nullptr && rnd() == next); // out of 0: no draw
}

TEST(Drops, FirstFreeTileLowestRowThenColumnAndNoRoomReleasesTheItem) {
    freshWorld();
    Creature c{};
    tileAt(30, 20).creature = &c; // an item may lie under a creature
    dropGold(0, 30, 20);
    dropArrows(-1, 30, 20);  // 0 or less drops nothing
    for (int x : {-20, 109}) // wholly off the map: no drop, and the item is released
        dropNear(item_new(), x, 10);
    // Off the map but within reach of row 39: the lowest row, from the lowest column.
    const int cases[][4] = {{30, 20, 30, 20}, {30, 20, 29, 19}, {50, 0, 50, 0},  {50, 0, 49, 0},
                            {0, 0, 0, 0},     {0, 0, 1, 0},     {45, 58, 26, 39}};
    for (auto &k : cases) {
        dropNear(item_new(), k[0], k[1]);
        Item *it = tileAt(k[2], k[3]).item;
        EXPECT_TRUE(it && it->kind == 0) << k[2] << "," << k[3];
    }
    int items = 0;
    for (const Tile &t : map)
        items += t.item != nullptr;
    EXPECT_TRUE(tileAt(0, 1).item == nullptr && items == 7);
    for (Tile &t : map)
        t.item = t.item ? t.item : item_new();
    dropNear(item_new(), 45, 20); // no room within 19: LeakSanitizer fails if kept
}
