// Movement, looking at a tile, pickup, and the per-thread number buffer.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <thread>

#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "creatures/move.h"
#include "graphics/map.h"
#include "items/item.h"
#include "support/fixture.h"

using namespace vell;

namespace {

std::string shown(int line) {
    std::string s = shownLine(line);
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

bool reported(int x, int y) {
    const MapBlock &b = mapTex[x / BLOCK_TILES_X][y / BLOCK_TILES_Y];
    for (int k = 0; k < b.count; ++k)
        if (b.changes[k][0] == x && b.changes[k][1] == y)
            return true;
    return false;
}

// The player at (x, y) with a step time of 10000 and energy -7.
void placePlayer(int x, int y) {
    player.x = x, player.y = y, player.moveDelay = 10000, player.energy = -7, player.level = 1;
    tileAt(x, y).creature = &player;
}

Item *itemOf(int kind, int amount) {
    Item *it = item_new();
    if (kind == 1) {
        dropGold(amount, 60, 30);
        delete it;
        it = tileAt(60, 30).item;
        tileAt(60, 30).item = nullptr;
    } else if (kind == 2) {
        dropArrows(amount, 60, 30);
        delete it;
        it = tileAt(60, 30).item;
        tileAt(60, 30).item = nullptr;
    } else {
        it->kind = kind;
        it->amount = amount;
    }
    return it;
}

Creature *bumpedMover, *bumpedOther;
int recordBump(Creature *mover, Creature *other) {
    bumpedMover = mover;
    bumpedOther = other;
    return 0;
}

} // namespace

TEST(Moving, WaitingCostsAStepAndShowsNothing) {
    freshWorld();
    placePlayer(10, 10);
    tileAt(10, 10).item = itemOf(1, 12);
    creature_move(&player, 0, 0);
    EXPECT_EQ(player.energy, 10000);
    EXPECT_EQ(player.x, 10);
    EXPECT_EQ(shown(0), "");
}

TEST(Moving, StepOffTheMapIsRefusedAtNoCost) {
    freshWorld();
    placePlayer(0, 39);
    creature_move(&player, -1, 0);
    creature_move(&player, 0, 1);
    creature_move(&player, -1, 1);
    EXPECT_EQ(player.energy, -7);
    EXPECT_EQ(tileAt(0, 39).creature, &player);
}

TEST(Moving, StepIntoACreatureCallsTheMoversBumpOnly) {
    freshWorld();
    placePlayer(10, 10);
    Creature *m = creature_new();
    m->x = 11, m->y = 11;
    tileAt(11, 11).creature = m;
    player.bump = recordBump;
    creature_move(&player, 1, 1);
    EXPECT_EQ(bumpedMover, &player);
    EXPECT_EQ(bumpedOther, m);
    EXPECT_EQ(player.energy, -7);
    EXPECT_EQ(player.x, 10);
    m->energy = -3;
    creature_move(m, -1, -1); // no bump handler: nothing at all
    EXPECT_EQ(m->energy, -3);
    EXPECT_EQ(tileAt(11, 11).creature, m);
}

TEST(Moving, StepMovesBetweenTilesAndReportsBoth) {
    freshWorld();
    placePlayer(10, 10);
    creature_move(&player, 1, -1);
    EXPECT_EQ(tileAt(10, 10).creature, nullptr);
    EXPECT_EQ(tileAt(11, 9).creature, &player);
    EXPECT_EQ(player.x, 11);
    EXPECT_EQ(player.y, 9);
    EXPECT_EQ(player.energy, 10000);
    EXPECT_TRUE(reported(10, 10));
    EXPECT_TRUE(reported(11, 9));
}

TEST(Looking, PlayerReadsWhatLiesOnTheTile) {
    struct Case {
        int kind, amount;
        const char *text;
    } cases[] = {{1, 12, "You see 12 gold pieces here"},
                 {1, 1, "You see a gold piece here"},
                 {2, 1, "You see an arrow here"},
                 {0, 1, "You see an item here"},
                 {1, 0, "You see a gold piece here"}};
    for (const Case &k : cases) {
        freshWorld();
        placePlayer(10, 10);
        tileAt(11, 10).item = itemOf(k.kind, k.amount ? k.amount : 1);
        if (k.amount == 0)
            tileAt(11, 10).item->amount = 0;
        creature_move(&player, 1, 0);
        EXPECT_EQ(shown(0), k.text);
        EXPECT_NE(tileAt(11, 10).item, nullptr); // looking is not picking up
    }
}

TEST(Looking, CountedItemsTakeARandomWordGroup) {
    freshWorld();
    placePlayer(10, 10);
    tileAt(11, 10).item = itemOf(2, 7);
    unsigned s = 1;
    for (;; ++s) {
        srnd(s);
        if (rnd() % 4 == 2)
            break;
    }
    srnd(s);
    creature_move(&player, 1, 0);
    EXPECT_EQ(shown(0), "You see a stack of 7 arrows here");
}

TEST(Looking, MonsterDrawsTheWordGroupButIsShownNothing) {
    freshWorld();
    Creature *m = creature_new();
    m->x = 10, m->y = 10;
    tileAt(10, 10).creature = m;
    tileAt(11, 10).item = itemOf(4, 3);
    srnd(9);
    rnd();
    int next = rnd();
    srnd(9);
    creature_move(m, 1, 0);
    EXPECT_EQ(rnd(), next);
    EXPECT_EQ(shown(0), "");
    EXPECT_EQ(m->x, 11);
}

TEST(Pickup, NothingHereCostsNothing) {
    freshWorld();
    placePlayer(10, 10);
    creature_pickup(&player);
    EXPECT_EQ(shown(0), "There is nothing to pick up here!");
    EXPECT_EQ(player.energy, -7);
}

TEST(Pickup, EachKindAddsItsWorthAndCostsHalfAStep) {
    freshWorld();
    placePlayer(10, 10);
    player.moveDelay = 10001;
    tileAt(10, 10).item = itemOf(1, 12);
    creature_pickup(&player);
    EXPECT_EQ(player.gold, 12);
    EXPECT_EQ(player.energy, 5000);
    EXPECT_EQ(tileAt(10, 10).item, nullptr);

    tileAt(3, 3).item = itemOf(2, 4); // any tile, not only the picker's
    creature_pickupItem(&player, 3, 3);
    EXPECT_EQ(player.arrows, 4);

    Item *gem = itemOf(3, 1);
    gem->magic = 250;
    tileAt(10, 10).item = gem;
    creature_pickup(&player);
    EXPECT_EQ(player.magic, 250);

    Item *plain = itemOf(0, 1);
    tileAt(10, 10).item = plain;
    player.energy = -7;
    creature_pickup(&player);
    EXPECT_EQ(tileAt(10, 10).item, plain);
    EXPECT_EQ(player.energy, 5000);
    EXPECT_EQ(shown(0), "");
}

TEST(Pickup, HealthMultipliesByARollBelowTheLevel) {
    freshWorld();
    placePlayer(10, 10);
    bool seen[16] = {};
    for (unsigned s = 1; s < 60; ++s) {
        srnd(s);
        int expected = 5 * (rnd() % 3 + 1);
        player.health = 100, player.level = 3;
        tileAt(10, 10).item = itemOf(4, 5);
        srnd(s);
        creature_pickup(&player);
        EXPECT_EQ(player.health - 100, expected);
        seen[expected] = true;
    }
    EXPECT_TRUE(seen[5] && seen[10] && seen[15]);
    // A level of 0 would divide by zero; it counts as level 1.
    player.health = 1, player.level = 0;
    tileAt(10, 10).item = itemOf(4, 5);
    creature_pickup(&player);
    EXPECT_EQ(player.health, 6);
}

TEST(Pickup, ScrollOfOrderSpendsAllGold) {
    freshWorld();
    placePlayer(10, 10);
    tileAt(10, 10).item = itemOf(5, 1);
    creature_pickup(&player);
    EXPECT_EQ(player.gold, 0);
    EXPECT_EQ(tileAt(10, 10).item, nullptr);
    player.gold = 300;
    tileAt(10, 10).item = itemOf(5, 1);
    creature_pickup(&player);
    EXPECT_EQ(player.gold, 0);
}

TEST(Pickup, AdditionsWrapInsteadOfOverflowing) {
    freshWorld();
    placePlayer(10, 10);
    player.gold = INT_MAX;
    tileAt(10, 10).item = itemOf(1, 2);
    creature_pickup(&player);
    EXPECT_EQ(player.gold, INT_MIN + 1);
}

TEST(Numbers, FormatsSignedValues) {
    EXPECT_STREQ(num(-2147483647 - 1), "-2147483648");
    EXPECT_STREQ(num(12), "12");
}

TEST(Numbers, EachThreadKeepsItsOwnBuffer) {
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
