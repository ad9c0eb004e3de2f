// Creatures: the ring, placement, arrival, removal and death.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/logic.h"
#include "core/random.h"
#include "creatures/combat.h"
#include "creatures/creature.h"
#include "items/item.h"
#include "support/fixture.h"

using namespace vell;

namespace {

// Creatures that only fill tiles; they are in no ring.
Creature blockers[MAP_W * MAP_H];

// The first seed whose draws satisfy pred.
template <class F> unsigned seedWhere(F pred) {
    for (unsigned s = 1; s < 100000; ++s) {
        srnd(s);
        if (pred())
            return s;
    }
    ADD_FAILURE() << "no seed found";
    return 1;
}

// A message line without its trailing blanks.
std::string shown(int line) {
    std::string s = shownLine(line);
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

int ringSize() {
    int n = 1;
    for (Creature *c = player.next; c != &player; c = c->next)
        ++n;
    return n;
}

// Items on the map as (index, kind, amount), in map order.
std::vector<int> itemsOnMap() {
    std::vector<int> v;
    for (int i = 0; i < MAP_W * MAP_H; ++i)
        if (map[i].item)
            v.insert(v.end(), {i, map[i].item->kind, map[i].item->amount});
    return v;
}

} // namespace

TEST(CreatureRing, NewCreaturesHaveTheirDefaultsAndJoinAtTheEnd) {
    freshWorld();
    Creature *a = creature_new(), *b = creature_new();
    EXPECT_EQ(player.next, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(b->next, &player);
    EXPECT_EQ(player.prev, b);
    EXPECT_EQ(b->prev, a);
    EXPECT_EQ(a->prev, &player);
    EXPECT_EQ(a->moveDelay, 10000);
    EXPECT_EQ(a->level, 1);
    EXPECT_EQ(a->health, 1);
    EXPECT_EQ(a->defenseSpread, 0);
    for (int i = 0; i < 200; ++i) {
        int d = creature_getDam(a);
        EXPECT_TRUE(d == 1 || d == 2);
    }
}

TEST(CreaturePlacement, DrawsCountOnlyFreeTiles) {
    freshWorld();
    for (int y = 0; y < MAP_H; ++y)
        if (y != 0 && y != 2 && y != 3)
            tileAt(5, y).creature = &blockers[y];
    EXPECT_EQ(creature_emptyCol(5), 3);
    const int rows[3] = {0, 2, 3};
    for (int draw = 0; draw < 3; ++draw) {
        Creature *c = creature_new();
        unsigned s = seedWhere([&] { return rnd() % 3 == draw; });
        tileAt(5, 0).creature = tileAt(5, 2).creature = tileAt(5, 3).creature = nullptr;
        srnd(s);
        creature_placeCol(c, 5);
        EXPECT_EQ(c->x, 5);
        EXPECT_EQ(c->y, rows[draw]);
        EXPECT_EQ(tileAt(5, rows[draw]).creature, c);
    }
    tileAt(7, 10).creature = &blockers[0];
    EXPECT_EQ(creature_emptyRow(10), 89);
    for (unsigned s = 1; s < 200; ++s) {
        srnd(s);
        Creature *c = creature_new();
        tileAt(7, 10).creature = &blockers[0];
        creature_placeRow(c, 10);
        EXPECT_NE(c->x, 7);
        EXPECT_EQ(tileAt(c->x, 10).creature, c);
        tileAt(c->x, 10).creature = nullptr;
    }
}

TEST(CreatureArrival, SideFlagThenAxisPickTheEdge) {
    for (unsigned s = 1; s < 40; ++s) {
        freshWorld();
        srnd(s);
        int side = rnd() & 1, axis = rnd() % 2;
        Creature *c = creature_new();
        srnd(s);
        creature_arrive(c);
        if (axis == 0)
            EXPECT_EQ(c->x, side ? 0 : MAP_W - 1);
        else
            EXPECT_EQ(c->y, side ? 0 : MAP_H - 1);
        EXPECT_EQ(tileAt(c->x, c->y).creature, c);
    }
}

TEST(CreatureArrival, FullEdgeColumnPushesTheArrivalInward) {
    freshWorld();
    for (int y = 0; y < MAP_H; ++y)
        tileAt(0, y).creature = &blockers[y];
    unsigned s = seedWhere([] { return (rnd() & 1) == 1 && rnd() % 2 == 0; });
    Creature *c = creature_new();
    srnd(s);
    creature_arrive(c);
    EXPECT_EQ(c->x, 1);
}

TEST(CreatureArrival, CreatureWithNoRoomLeavesTheRingAndIsFreed) {
    freshWorld();
    for (int i = 0; i < MAP_W * MAP_H; ++i)
        map[i].creature = &blockers[i];
    creature_arrive(creature_new()); // LeakSanitizer reports it if it is kept
    EXPECT_EQ(ringSize(), 1);
    EXPECT_EQ(player.next, &player);
    creature_arrive(nullptr);
}

TEST(CreatureRemoval, ClearsTheTileUnlinksAndDropsNothing) {
    freshWorld();
    Creature *a = creature_new(), *b = creature_new();
    a->x = 3, a->y = 4, a->gold = 50, a->level = 9;
    tileAt(3, 4).creature = a;
    tileAt(0, 0).creature = &blockers[0]; // b was never placed: (0, 0) is not its
    creature_remove(a);
    EXPECT_EQ(tileAt(3, 4).creature, nullptr);
    EXPECT_EQ(player.next, b);
    EXPECT_EQ(b->prev, &player);
    creature_remove(b);
    EXPECT_EQ(tileAt(0, 0).creature, &blockers[0]);
    EXPECT_TRUE(itemsOnMap().empty());
    EXPECT_EQ(ringSize(), 1);
}

TEST(CreatureDeath, StainStaysWithinItsBounds) {
    int rMax = 0, gMin = 255, bMin = 255;
    freshWorld();
    for (unsigned s = 1; s < 300; ++s) {
        srnd(s);
        Creature *c = creature_new();
        c->level = 0, c->x = 10, c->y = 10;
        tileAt(10, 10) = Tile{0, 239, 21, 21, c, nullptr};
        tileAt(11, 10) = Tile{0, 240, 20, 20, nullptr, nullptr};
        creature_die(c, nullptr);
        const Tile &t = tileAt(10, 10);
        EXPECT_EQ(t.creature, nullptr);
        EXPECT_GE(t.r, 239);
        EXPECT_LE(t.r, 253);
        EXPECT_LE(t.g, 21);
        EXPECT_GE(t.g, 7);
        EXPECT_GE(t.b, 7);
        rMax = std::max<int>(rMax, t.r);
        gMin = std::min<int>(gMin, t.g);
        bMin = std::min<int>(bMin, t.b);
        c = creature_new();
        c->level = 0, c->x = 11, c->y = 10;
        creature_die(c, nullptr);
        EXPECT_EQ(tileAt(11, 10).r, 240);
        EXPECT_EQ(tileAt(11, 10).g, 20);
        EXPECT_EQ(tileAt(11, 10).b, 20);
    }
    EXPECT_EQ(rMax, 253);
    EXPECT_EQ(gMin, 7);
    EXPECT_EQ(bMin, 7);
}

// Tile colours 240/20/20 take no stain draw, a killer other than the player
// no level draw: what remains are the item rolls.
TEST(CreatureDeath, ItemRollsLowerTheHighestLevelByFive) {
    struct Case {
        int level;
        std::vector<int> highs;
    };
    const Case cases[] = {{5, {5}}, {6, {6, 1}}, {7, {7, 2}}, {11, {11, 6, 1}}, {0, {}}};
    freshWorld();
    for (Tile &t : map)
        t.r = 240, t.g = t.b = 20;
    for (const Case &k : cases) {
        for (unsigned s = 1; s < 60; ++s) {
            srnd(s);
            for (int high : k.highs)
                if (Item *it = item_rand(3, 5, 1, high))
                    dropNear(it, 20, 20);
            std::vector<int> expected = itemsOnMap();
            int nextDraw = rnd();
            for (Tile &t : map) {
                delete t.item;
                t.item = nullptr;
            }
            Creature *c = creature_new();
            c->level = k.level, c->x = 20, c->y = 20;
            srnd(s);
            creature_die(c, nullptr);
            EXPECT_EQ(itemsOnMap(), expected) << "level " << k.level << " seed " << s;
            EXPECT_EQ(rnd(), nextDraw) << "level " << k.level << " seed " << s;
            for (Tile &t : map) {
                delete t.item;
                t.item = nullptr;
            }
        }
    }
}

TEST(CreatureDeath, ItemsThenGoldThenArrowsTakeTheNearestTiles) {
    unsigned s = seedWhere([] { return rnd() % 5 < 3; });
    freshWorld();
    for (Tile &t : map)
        t.r = 240, t.g = t.b = 20;
    Creature *c = creature_new();
    c->name = "Enemy", c->x = 30, c->y = 15, c->gold = 5, c->arrows = 3;
    tileAt(30, 15).creature = c;
    srnd(s);
    creature_die(c, nullptr);
    ASSERT_NE(tileAt(30, 15).item, nullptr);
    EXPECT_NE(tileAt(30, 15).item->kind, 0);
    ASSERT_NE(tileAt(29, 14).item, nullptr);
    EXPECT_EQ(tileAt(29, 14).item->kind, 1);
    EXPECT_EQ(tileAt(29, 14).item->amount, 5);
    ASSERT_NE(tileAt(30, 14).item, nullptr);
    EXPECT_EQ(tileAt(30, 14).item->kind, 2);
    EXPECT_EQ(tileAt(30, 14).item->amount, 3);
    EXPECT_EQ(ringSize(), 1);
    EXPECT_EQ(shown(0), "Enemy dies.");
}

TEST(CreatureDeath, OnlyThePlayersKillsRollForALevel) {
    freshWorld();
    player.level = 1;
    Creature *m = creature_new();
    m->level = 0, m->name = "Enemy";
    creature_die(m, &player);
    EXPECT_EQ(player.level, 2);
    EXPECT_EQ(shown(0), "Enemy dies. You advance a level!");

    Creature *killer = creature_new();
    m = creature_new();
    m->level = 0;
    creature_die(m, killer);
    EXPECT_EQ(player.level, 2);

    // A level of 0 would divide by zero; it counts as level 1.
    player.level = 0;
    m = creature_new();
    m->level = 0;
    creature_die(m, &player);
    EXPECT_EQ(player.level, 1);
}

TEST(PlayerDeath, OnTheWindowThreadEndsAtOnceAndChangesNothing) {
    freshWorld();
    player.x = 8, player.y = 8, player.gold = 40, player.level = 6;
    tileAt(8, 8) = Tile{0, 100, 100, 100, &player, nullptr};
    creature_die(&player, nullptr);
    EXPECT_EQ(closing.load(), 1);
    EXPECT_EQ(shown(0), "You die");
    EXPECT_EQ(tileAt(8, 8).creature, &player);
    EXPECT_EQ(tileAt(8, 8).r, 100);
    EXPECT_TRUE(itemsOnMap().empty());
    EXPECT_EQ(player.gold, 40);
    freshWorld();
    creature_remove(&player);
    EXPECT_EQ(closing.load(), 1);
    EXPECT_EQ(player.next, &player);
}

TEST(PlayerDeath, KilledByAMonsterWaitsForAKeyBeforeClosing) {
    freshWorld();
    player.x = 10, player.y = 10, player.health = 1, player.name = "Player";
    tileAt(10, 10).creature = &player;
    Creature *m = creature_new();
    m->x = 11, m->y = 10, m->speed = 1, m->damageMin = 50, m->name = "Enemy";
    tileAt(11, 10).creature = m;
    m->act = [](Creature *self) {
        creature_attack(self, &player);
        return 0;
    };
    std::thread logic(startGameLoop);
    while (holdCount() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(closing.load(), 0);
    EXPECT_EQ(inputType.load(), 2);
    EXPECT_EQ(shown(0), "Enemy attacks you. You are hit! You die");
    releaseLogic();
    logic.join();
    EXPECT_EQ(closing.load(), 1);
}
