#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "chaos/chaos.h"
#include "chaos/corrupt.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "enemies/enemy.h"
#include "items/item.h"
#include "platform/font.h"
#include "support/fixture.h"
#include "world/map.h"

using namespace vell;

namespace {

constexpr ActFn sentinelAct = [](Creature *) { return 1; };

// The player at (px, py): level 1, health 100, moveDelay 10000, energy 4321, other stats 0.
void setUp(unsigned seed, int magic, int px = 45, int py = 20) {
    freshWorld(seed);
    player.x = px;
    player.y = py;
    player.moveDelay = 10000;
    player.level = 1;
    player.health = 100;
    player.magic = magic;
    player.energy = 4321;
    tileAt(px, py).creature = &player;
}

// A monster that drops nothing when it dies.
Creature *monster(int x, int y, int health) {
    Creature *c = creature_new();
    c->x = x;
    c->y = y;
    c->health = health;
    c->level = 0;
    return tileAt(x, y).creature = c;
}

int ringSize(const char *name = nullptr) {
    int n = 0;
    for (Creature *c = player.next; c != &player; c = c->next)
        n += name == nullptr || (c->name != nullptr && std::strcmp(c->name, name) == 0);
    return n;
}

// Every field of a creature record, without trailing padding.
constexpr std::size_t FIELDS = offsetof(Creature, damageSpread) + sizeof(int);
constexpr auto within = [](int v, int low, int high) { return v >= low && v <= high; };

const struct {
    const char *name;
    int (*cast)(Creature *);
    int need, delays; // energy becomes delays x moveDelay; 0: no time taken
    bool (*gained)(); // the effect's gains at level 1 from stats of 0 and health 100
} effects[] = {
    {"bolt", [](Creature *c) { return chaos_bolt(c, 1, 0); }, 1000, 5, nullptr},
    {"blast", [](Creature *c) { return chaos_blast(c, 0, 1); }, 500, 4, nullptr},
    {"ascension", chaos_ascension, 1000000, 0,
     [] { // its first five draws, in the order defenseMin, damageMin, both spreads, health
         srnd(5);
         int g[5];
         for (int &v : g)
             v = rnd() % 100000;
         return player.defenseMin == g[0] && player.damageMin == g[1] &&
                player.defenseSpread == g[2] && player.damageSpread == g[3] &&
                player.health == 100 + g[4] && within(ringSize("Chaos Elemental"), 10, 13) &&
                ringSize("Superior Chaos Elemental") == 1;
     }},
    {"speed", chaos_speed, 5000, 8, [] { return within(player.speed, 0, 99); }},
    {"heal", chaos_heal, 5000, 8, [] { return within(player.health, 100, 104); }},
    {"barrier", chaos_barrier, 6000, 7,
     [] { return within(player.defenseMin, 0, 1) && player.defenseSpread == 0; }},
    {"fury", chaos_fury, 6000, 7,
     [] { return within(player.damageMin, 0, 1) && player.damageSpread == 0; }},
    {"gather", chaos_gather, 2000, 0, nullptr}, // nothing to gather
    {"death", chaos_death, 20000, 0, nullptr},
    {"confusion", chaos_confusion, 10000, 0, nullptr},
};

} // namespace

// One short of the need: refused, nothing changed, no time spent. At the need: cast, 0 left.
TEST(ChaosMagic, EachEffectIsRefusedOneShortOfItsNeedAndCastAtIt) {
    for (const auto &e : effects)
        for (int magic : {e.need - 1, e.need}) {
            SCOPED_TRACE(std::string(e.name) + " " + std::to_string(magic));
            setUp(5, magic);
            Creature before = player;
            std::vector<unsigned char> sheet(gameTex->pixels,
                                             gameTex->pixels + SHEET_W * SHEET_H * 4);
            const bool enough = magic == e.need;
            EXPECT_EQ(e.cast(&player), enough ? 1 : 0);
            EXPECT_EQ(std::memcmp(gameTex->pixels, sheet.data(), sheet.size()) != 0, enough);
            if (enough) {
                EXPECT_EQ(player.magic, 0);
                EXPECT_EQ(player.energy, e.delays == 0 ? 4321 : e.delays * 10000);
                EXPECT_TRUE(e.gained == nullptr || e.gained());
            } else {
                EXPECT_EQ(std::memcmp(&player, &before, FIELDS), 0);
                EXPECT_EQ(ringSize(), 0);
                EXPECT_NE(shownLine(0).find("You don't have enough magic."), std::string::npos);
            }
        }
}

TEST(ChaosMagic, DrainWorksAtAnyMagicAndCostsTenDelays) {
    for (int magic : {-7, 0, INT_MAX}) {
        setUp(12, magic);
        int gain = rnd() % 5000; // energy is set first, with no draw
        setUp(12, magic);
        EXPECT_EQ(chaos_drain(&player), 1);
        EXPECT_EQ(player.energy, 100000);
        EXPECT_EQ(player.magic, wrapAdd(magic, gain));
    }
}

// Each strike tosses a coin below 20 (3: the caster is hit) and scrambles the tile five times. At
// level 0 the bound is 0 (as gather may draw it): no random part is drawn and the hit is exactly
// defenseMin, so the caster loses nothing and only its defence roll is drawn.
TEST(ChaosBolt, DirectionZeroStrikesTheCastersTileTenTimes) {
    setUp(12, 1000);
    player.level = 0;
    corrupt(rnd() % 500);
    Tile expected = tileAt(45, 20);
    int hits = 0;
    for (int strike = 0; strike < 10; ++strike) {
        if (rnd() % 20 == 3) {
            ++hits;
            rnd();
        }
        for (int i = 0; i < 5; ++i) {
            unsigned char *colour[] = {&expected.r, &expected.g, &expected.b, nullptr};
            if (unsigned char *c = colour[rnd() % 61 / 20])
                *c ^= rnd() % 256;
            else
                expected.glyph = 32 + rnd() % 96;
        }
    }
    ASSERT_GT(hits, 0);
    const int next = rnd();
    setUp(12, 1000);
    player.level = 0;
    EXPECT_EQ(chaos_bolt(&player, 0, 0), 1);
    const Tile &t = tileAt(45, 20);
    EXPECT_TRUE(t.glyph == expected.glyph && t.r == expected.r && t.g == expected.g &&
                t.b == expected.b);
    EXPECT_EQ(rnd(), next);
    EXPECT_EQ(player.health, 100);
}

// The centre and its four sides; a side off the map must not land where its raw index would.
TEST(ChaosBlast, HitsTheCentreAndItsSidesOnlyOnTheMap) {
    setUp(21, 500, 5, 0);
    Creature *wrapped = monster(5, 39, 0), *beyond = monster(8, 0, 0); // (6, -1) indexes (5, 39)
    for (int x : {6, 7})
        monster(x, 0, 0);
    monster(6, 1, 0);
    chaos_blast(&player, 1, 0);
    EXPECT_EQ(ringSize(), 2);
    EXPECT_TRUE(tileAt(5, 39).creature == wrapped && tileAt(8, 0).creature == beyond);
    setUp(22, 500, 89, 39);
    EXPECT_EQ(chaos_blast(&player, 1, 1), 1); // every target past the end of the map
}

// Its corruption comes first: seeds whose amount reaches 10000 call up one elemental.
TEST(ChaosSweep, DeathCanKillTheElementalsItsOwnCorruptionCalledUp) {
    int tried = 0, killed = 0;
    for (unsigned seed = 1; tried < 4; ++seed) {
        srnd(seed);
        if (rnd() % 10000 < 9000)
            continue;
        ++tried;
        setUp(seed, 20000);
        player.level = 100000; // the hit outweighs any elemental's defence
        chaos_death(&player);
        killed += ringSize("Chaos Elemental") == 0;
    }
    EXPECT_GT(killed, 0);
}

// Death and confusion toss their coin on every creature's tile, the caster's too, and pass the
// caster by. The spawner, in the ring but on no tile, gets no coin.
TEST(ChaosSweep, NoneTouchesTheCasterOrTheSpawner) {
    for (int (*sweep)(Creature *) : {chaos_death, chaos_confusion}) {
        setUp(4, 20000);
        Creature *spawner = creature_new();
        const Creature before = *spawner;
        sweep(&player);
        const int next = rnd();
        EXPECT_EQ(std::memcmp(spawner, &before, FIELDS), 0);
        setUp(4, 20000);
        corrupt(sweep == chaos_death ? 1000 + rnd() % 10000 : 500 + rnd() % 5000);
        ASSERT_EQ(ringSize(), 0);
        ASSERT_EQ(rnd() % 2, 1); // the coin says strike
        EXPECT_EQ(rnd(), next);
    }
}

TEST(ChaosSweep, GatherTakesTheItemUnderAMonsterAndStillStrikesIt) {
    setUp(24, 0);
    Item *gold = tileAt(30, 30).item = item_new();
    gold->kind = 1;
    gold->amount = 50;
    monster(30, 30, 0); // any hit that gets through kills it
    for (int casts = 0; player.gold == 0 && casts < 100; ++casts) {
        player.magic = 2000;
        chaos_gather(&player);
    }
    EXPECT_EQ(player.gold, 50);
    EXPECT_EQ(player.energy, 5000); // half the moveDelay
    EXPECT_EQ(tileAt(30, 30).item, nullptr);
    EXPECT_EQ(ringSize(), 0);
}

TEST(ChaosFlee, StartsANewMapAndCorruptsBesideIt) {
    setUp(26, 9999);
    monster(10, 10, 100);
    {
        WorldGuard g; // as the window thread holds it inside a command
        EXPECT_EQ(chaos_flee(&player), 0);
        player.magic = 10000;
        EXPECT_EQ(chaos_flee(&player), 1);
        EXPECT_EQ(player.energy, 200000);
        EXPECT_EQ(player.magic, 0);
    }
    ASSERT_EQ(waitMapInit(20000), 1);
    WorldGuard g;
    EXPECT_EQ(ringSize(), 0);
    EXPECT_EQ(tileAt(45, 20).creature, &player);
}
