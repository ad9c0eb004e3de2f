#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <string>
#include <vector>

#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "enemies/enemy.h"
#include "support/fixture.h"

using namespace vell;
using Values = std::vector<int>;

namespace {

void putAt(Creature *c, int x, int y) {
    c->x = x;
    c->y = y;
    tileAt(x, y).creature = c;
}

// What a levelled monster draws, in the order drawn; an elemental draws the
// same but arrows.
Values drawn(const Creature *c) {
    return {c->gold,       c->arrows,        c->r,      c->g,         c->b,
            c->level,      c->speed,         c->health, c->damageMin, c->damageSpread,
            c->defenseMin, c->defenseSpread, c->energy};
}

} // namespace

TEST(EnemyMarch, StepsDiagonallyTowardThePlayerAndAttacksAMonsterInTheWay) {
    for (const auto &k : {std::array{7, 9, 9, 6}, std::array{12, 5, 11, 5}}) {
        freshWorld(1);
        putAt(&player, k[0], k[1]);
        Creature *c = enemy_leveled(1);
        putAt(c, 10, 5);
        EXPECT_EQ(enemy_act_toPlayer(c), 1);
        EXPECT_EQ(tileAt(k[2], k[3]).creature, c);
        EXPECT_EQ((Values{c->x, c->y, c->energy}), (Values{k[2], k[3], 10000}));
    }
    // A second monster at (10, 5) finds the first in its way at (11, 5).
    Creature *b = tileAt(11, 5).creature, *a = enemy_leveled(1);
    putAt(a, 10, 5);
    a->damageMin = 3;
    a->damageSpread = b->defenseMin = b->defenseSpread = 0;
    b->health = 100;
    enemy_act_toPlayer(a);
    EXPECT_EQ((Values{a->x, a->energy, b->health}), (Values{10, 20000, 97})); // a blow
}

TEST(EnemyWander, DrawsTheRowStepFirstAndWaitsAboutOneTurnInNine) {
    freshWorld(99);
    Creature *c = creature_new();
    Values steps;
    int waits = 0;
    for (int i = 0; i < 2700; ++i) {
        tileAt(c->x, c->y).creature = nullptr;
        putAt(c, 45, 20);
        c->energy = -1;
        EXPECT_EQ(enemy_act(c), 1);
        steps.push_back((c->y - 20) * 3 + c->x - 45);
        waits += steps.back() == 0 && c->energy == c->moveDelay;
    }
    srnd(99);
    for (int step : steps) {
        const int dy = rnd() % 3 - 1;
        ASSERT_EQ(step, dy * 3 + rnd() % 3 - 1);
    }
    EXPECT_GT(waits, 240); // 300 expected, sd about 16
    EXPECT_LT(waits, 360);
}

TEST(EnemyGen, NothingWithoutRoomOrChanceAndGivingUpAfter101OccupiedPicks) {
    static Creature blocker{};
    freshWorld(32);
    putAt(&player, 20, 10);
    randEnemy(20, 10);                           // the player's cell
    EXPECT_EQ(enemy_rand(40, 0, 1, 3), nullptr); // out of 0 would divide by zero
    const int next = rnd();
    srnd(32);
    EXPECT_EQ(next, rnd());                         // neither drew a number
    EXPECT_EQ(enemy_rand(100, 100, 5, 4), nullptr); // an empty level range, likewise
    for (Tile &t : map)
        t.creature = &blocker;
    srnd(32);
    EXPECT_EQ(genRandEnemy(), nullptr);
    const int after = rnd();
    srnd(32);
    for (int i = 0; i < 2 * 101; ++i) // a column and a row per pick
        rnd();
    EXPECT_EQ(after, rnd());
    addChaosElemental(); // nor do elementals, which need the same room
    addSuperiorChaosElemental();
    EXPECT_EQ(player.next, &player);
    // A wanderer on a free tile draws r, g, b, its pace and its energy.
    tileAt(40, 25).creature = nullptr;
    srnd(1000); // large draws, so that every bound shows
    const Values want = {100 + rnd() % 150, 100 + rnd() % 150, 100 + rnd() % 150, 800 + rnd() % 200,
                         rnd() % 10000};
    srnd(1000);
    randEnemy(40, 25);
    const Creature *c = tileAt(40, 25).creature;
    ASSERT_TRUE(c != &blocker && c->x == 40 && c->y == 25 && c->act == enemy_act);
    EXPECT_EQ((Values{c->r, c->g, c->b, c->speed, c->energy, c->glyph}),
              (Values{want[0], want[1], want[2], want[3], want[4], 2}));
    EXPECT_TRUE(c->bump == enemy_bump && std::string(c->name) == "Enemy");
}

// A level below 1 counts as 1.
TEST(EnemyLeveled, DrawsEveryValueInOrderAlsoAfterEnemyRandsChanceAndLevel) {
    for (auto [seed, asked] : {std::pair{55u, 4}, {56u, 4}, {57u, 1}, {58u, 0}, {59u, -1000}}) {
        freshWorld(seed);
        rnd(); // enemy_rand's chance and level come first
        rnd();
        const int L = std::max(asked, 1), gold = rnd() % (5 * L),
                  arrows = rnd() % 3 == 0 ? rnd() % (2 * L) : 0;
        Values want = {gold, arrows, 100 + rnd() % 150, 100 + rnd() % 150, 100 + rnd() % 150};
        // The monster's own level; speed and the rest grow with it.
        const int lv = 1 + rnd() % L, speed = 800 + rnd() % 200;
        want.insert(want.end(),
                    {lv, speed + rnd() % (5 * lv), 1 + rnd() % (2 * lv), 1 + rnd() % (5 * lv),
                     1 + rnd() % lv, rnd() % (5 * lv), rnd() % lv, rnd() % 10000});
        for (bool viaRand : {false, true}) {
            srnd(seed);
            if (!viaRand)
                rnd(), rnd();
            Creature *c = viaRand ? enemy_rand(100, 100, asked, asked) : enemy_leveled(asked);
            ASSERT_NE(c, nullptr);
            EXPECT_EQ(drawn(c), want) << "seed " << seed << (viaRand ? " enemy_rand" : "");
            EXPECT_EQ((Values{c->x, c->y, c->act == &enemy_act_toPlayer}), (Values{0, 0, 1}));
        }
    }
}

TEST(ChaosElemental, DrawsPlaceThenWideNumbersInOrder) {
    const struct {
        void (*make)();
        const char *name;
        int glyph, speed, stat, health;
    } kinds[] = {{addChaosElemental, "Chaos Elemental", 99, 2000, 200, 2000},
                 {addSuperiorChaosElemental, "Superior Chaos Elemental", 67, 5000, 2000, 20000}};
    for (const auto &k : kinds)
        for (unsigned seed : {5u, 6u, 21u}) { // seed 21 draws 19999 or more for health
            SCOPED_TRACE(k.name);
            freshWorld(seed);
            const int x = rnd() % 90, y = rnd() % 40;
            for (int i = 0; i < 4; ++i) // the wanderer's colour and pace, overwritten
                rnd();
            Values want(13, 0); // in drawn() order
            want[12] = rnd() % 10000;
            want[6] = 1000 + rnd() % k.speed;
            for (int j : {2, 3, 4, 0, 5, 7, 10, 11, 8, 9})
                want[j] = rnd() % (j < 5 && j > 1 ? 256 : j == 7 ? k.health : k.stat);
            srnd(seed);
            k.make();
            Creature *c = player.prev;
            EXPECT_EQ(drawn(c), want);
            EXPECT_EQ(tileAt(x, y).creature, c);
            EXPECT_STREQ(c->name, k.name);
            EXPECT_EQ((Values{c->glyph, c->act == &enemy_act}), (Values{k.glyph, 1}));
        }
}
