// Movement, the look at a tile, pickup, and the per-thread number buffer.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <thread>

#include "core/random.h"
#include "creatures/creature.h"
#include "creatures/move.h"
#include "items/item.h"
#include "support/fixture.h"

using namespace vell;

namespace {

std::string shown(int line) {
    std::string s = shownLine(line);
    return s.erase(s.find_last_not_of(' ') + 1);
}

// The player at (10, 10), energy -7, with an item of the kind on (x, y).
void setUp(int kind, int amount, int x, int y) {
    freshWorld();
    player.x = player.y = 10, player.moveDelay = 10000, player.energy = -7, player.level = 1;
    tileAt(10, 10).creature = &player;
    if (kind == 1 || kind == 2) {
        kind == 1 ? dropGold(1, x, y) : dropArrows(1, x, y);
        tileAt(x, y).item->amount = amount;
    } else if (kind >= 0) {
        tileAt(x, y).item = item_new();
        tileAt(x, y).item->kind = kind, tileAt(x, y).item->amount = amount;
    }
}

Creature *bumped[2];

} // namespace

TEST(Moving, WaitRefusalAndBump) {
    setUp(1, 12, 10, 10);
    creature_move(&player, 0, 0); // waiting shows nothing, even on an item
    EXPECT_TRUE(player.energy == 10000 && player.x == 10 && shown(0).empty());
    player.x = 0, player.y = 39, player.energy = -7;
    tileAt(0, 39).creature = &player;
    creature_move(&player, -1, 0), creature_move(&player, 0, 1);
    EXPECT_TRUE(player.energy == -7 && player.x == 0 && player.y == 39);

    Creature *m = creature_new();
    m->x = 1, m->y = 38, m->energy = -3;
    tileAt(1, 38).creature = m;
    player.bump = [](Creature *a, Creature *b) {
        bumped[0] = a;
        bumped[1] = b;
        return 0;
    };
    creature_move(&player, 1, -1);
    EXPECT_TRUE(bumped[0] == &player && bumped[1] == m && player.energy == -7);
    creature_move(m, -1, 1); // no bump handler: nothing at all
    EXPECT_TRUE(m->energy == -3 && tileAt(1, 38).creature == m);
}

TEST(Moving, StepMovesBetweenTilesAndLeavesTheItem) {
    setUp(0, 1, 11, 9);
    creature_move(&player, 1, -1);
    EXPECT_TRUE(tileAt(10, 10).creature == nullptr && tileAt(11, 9).creature == &player);
    EXPECT_TRUE(player.x == 11 && player.y == 9 && player.energy == 10000);
    EXPECT_NE(tileAt(11, 9).item, nullptr);
    EXPECT_EQ(shown(0), "You see an item here");
}

TEST(Looking, SingularPluralAndWordGroups) {
    const struct {
        int kind, amount;
        const char *text;
    } cases[] = {{1, 12, "You see 12 gold pieces here"},
                 {1, 1, "You see a gold piece here"},
                 {1, 0, "You see a gold piece here"},
                 {2, 1, "You see an arrow here"},
                 {2, 7, "You see a stack of 7 arrows here"}};
    unsigned stack = 1;
    while (srnd(stack), rnd() % 4 != 2)
        ++stack;
    for (const auto &k : cases) {
        setUp(k.kind, k.amount, 11, 10);
        srnd(stack);
        creature_move(&player, 1, 0);
        EXPECT_EQ(shown(0), k.text);
    }
}

TEST(Looking, MonsterDrawsTheWordGroupButIsShownNothing) {
    setUp(4, 3, 21, 20);
    Creature *m = creature_new();
    m->x = m->y = 20;
    tileAt(20, 20).creature = m;
    srnd(9);
    rnd();
    int next = rnd();
    srnd(9);
    creature_move(m, 1, 0);
    EXPECT_TRUE(rnd() == next && shown(0).empty() && m->x == 21);
}

TEST(Pickup, EachKindAddsItsWorthAndCostsHalfAStep) {
    setUp(-1, 0, 0, 0);
    creature_pickup(&player);
    EXPECT_TRUE(shown(0) == "There is nothing to pick up here!" && player.energy == -7);
    setUp(1, 12, 10, 10);
    player.moveDelay = 10001;
    creature_pickup(&player);
    EXPECT_TRUE(player.gold == 12 && player.energy == 5000 && !tileAt(10, 10).item);
    dropArrows(4, 3, 3); // from any tile, not only the picker's
    creature_pickupItem(&player, 3, 3);
    EXPECT_EQ(player.arrows, 4);
    tileAt(10, 10).item = item_new();
    tileAt(10, 10).item->kind = 3, tileAt(10, 10).item->magic = 250;
    creature_pickup(&player);
    EXPECT_EQ(player.magic, 250);
    Item *plain = item_new();
    tileAt(10, 10).item = plain;
    player.energy = -7;
    creature_pickup(&player);
    EXPECT_TRUE(tileAt(10, 10).item == plain && player.energy == 5000);
    player.gold = INT_MAX;
    dropGold(2, 10, 11);
    creature_pickupItem(&player, 10, 11);
    EXPECT_EQ(player.gold, INT_MIN + 1); // wraps, never overflows
}

TEST(Pickup, HealthMultipliesByARollBelowTheLevel) {
    bool seen[16] = {};
    for (unsigned s = 1; s < 60; ++s) {
        setUp(4, 5, 10, 10);
        player.health = 100, player.level = 3;
        srnd(s);
        creature_pickup(&player);
        int gain = player.health - 100;
        EXPECT_TRUE(gain == 5 || gain == 10 || gain == 15) << gain;
        seen[gain % 16] = true;
    }
    EXPECT_TRUE(seen[5] && seen[10] && seen[15]);
    setUp(4, 5, 10, 10);
    player.health = 1, player.level = 0; // would divide by zero; counts as 1
    creature_pickup(&player);
    EXPECT_EQ(player.health, 6);
}

TEST(Pickup, ScrollOfOrderSpendsAllGoldEvenNone) {
    for (int gold : {0, 300}) {
        setUp(5, 1, 10, 10);
        player.gold = gold;
        creature_pickup(&player);
        EXPECT_TRUE(player.gold == 0 && !tileAt(10, 10).item);
    }
}

TEST(Numbers, EachThreadKeepsItsOwnBuffer) {
    EXPECT_STREQ(num(INT_MIN), "-2147483648");
    const char *mine = num(111);
    std::thread other([] {
        for (int i = 0; i < 1000; ++i)
            num(222222);
    });
    for (int i = 0; i < 1000; ++i)
        ASSERT_STREQ(num(111), "111");
    other.join();
    EXPECT_STREQ(mine, "111");
}
