#include <gtest/gtest.h>

#include <algorithm>

#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "enemies/enemy.h"
#include "graphics/map.h"
#include "support/fixture.h"

using namespace vell;

namespace {

void putAt(Creature *c, int x, int y) {
    c->x = x;
    c->y = y;
    tileAt(x, y).creature = c;
}

// A player that no monster can hurt, so a blow never ends the game.
void setUpPlayer(int x, int y) {
    player.moveDelay = 10000;
    player.health = 1000;
    player.defenseMin = 100000;
    putAt(&player, x, y);
}

void discard(Creature *c) {
    if (onMap(c->x, c->y) && tileAt(c->x, c->y).creature == c)
        tileAt(c->x, c->y).creature = nullptr;
    ring_unlink(c);
    delete c;
}

bool untouchedSince(unsigned seed) {
    int next = rnd();
    srnd(seed);
    return next == rnd();
}

int ringLength() {
    int n = 1;
    for (Creature *c = player.next; c != &player; c = c->next)
        ++n;
    return n;
}

int pendingChanges() {
    int n = 0;
    for (auto &col : mapTex)
        for (MapBlock &b : col)
            n += b.count;
    return n;
}

Creature blocker{};

void fillMap() {
    for (Tile &t : map)
        t.creature = &blocker;
}

struct Wanderer {
    int r, g, b, speed, energy;
};

Wanderer drawWanderer() {
    Wanderer w;
    w.r = 100 + rnd() % 150;
    w.g = 100 + rnd() % 150;
    w.b = 100 + rnd() % 150;
    w.speed = 800 + rnd() % 200;
    w.energy = rnd() % 10000;
    return w;
}

void expectWanderer(const Creature *c, const Wanderer &w) {
    EXPECT_EQ(c->r, w.r);
    EXPECT_EQ(c->g, w.g);
    EXPECT_EQ(c->b, w.b);
    EXPECT_EQ(c->speed, w.speed);
    EXPECT_EQ(c->energy, w.energy);
    EXPECT_STREQ(c->name, "Enemy");
    EXPECT_EQ(c->glyph, 2);
    EXPECT_EQ(c->act, &enemy_act);
    EXPECT_EQ(c->bump, &enemy_bump);
    EXPECT_EQ(c->level, 1);
    EXPECT_EQ(c->health, 1);
    EXPECT_EQ(c->damageMin, 1);
    EXPECT_EQ(c->damageSpread, 1);
    EXPECT_EQ(c->defenseMin, 0);
    EXPECT_EQ(c->gold, 0);
    EXPECT_EQ(c->arrows, 0);
}

} // namespace

// --- Marching and bumping -------------------------------------------------------

TEST(EnemyMarch, StepsStraightAlongASharedRow) {
    freshWorld(1);
    setUpPlayer(12, 5);
    Creature *c = enemy_leveled(1);
    putAt(c, 10, 5);
    EXPECT_EQ(enemy_act_toPlayer(c), 1);
    EXPECT_EQ(c->x, 11);
    EXPECT_EQ(c->y, 5);
    EXPECT_EQ(tileAt(11, 5).creature, c);
    EXPECT_EQ(tileAt(10, 5).creature, nullptr);
    EXPECT_EQ(c->energy, 10000);
}

TEST(EnemyMarch, StepsDiagonallyUntilARowOrColumnIsShared) {
    freshWorld(1);
    setUpPlayer(7, 9);
    Creature *c = enemy_leveled(1);
    putAt(c, 10, 5);
    enemy_act_toPlayer(c);
    EXPECT_EQ(c->x, 9);
    EXPECT_EQ(c->y, 6);
    // Two more diagonal steps reach the player's column, next to it.
    enemy_act_toPlayer(c);
    enemy_act_toPlayer(c);
    EXPECT_EQ(c->x, 7);
    EXPECT_EQ(c->y, 8);
    EXPECT_EQ(tileAt(7, 8).creature, c);
}

TEST(EnemyMarch, AttacksAMonsterInTheWayInsteadOfPassingIt) {
    freshWorld(2);
    setUpPlayer(12, 5);
    Creature *a = enemy_leveled(1);
    Creature *b = enemy_leveled(1);
    putAt(a, 10, 5);
    putAt(b, 11, 5);
    a->damageMin = 3;
    a->damageSpread = 0;
    b->health = 100;
    b->defenseMin = 0;
    b->defenseSpread = 0;
    a->energy = -5;
    enemy_act_toPlayer(a);
    EXPECT_EQ(a->x, 10);
    EXPECT_EQ(b->x, 11);
    EXPECT_EQ(b->health, 97);
    EXPECT_EQ(a->energy, 20000);
}

TEST(EnemyMarch, NextToThePlayerAttacksIt) {
    freshWorld(2);
    setUpPlayer(12, 5);
    Creature *a = enemy_leveled(2);
    putAt(a, 11, 6);
    enemy_act_toPlayer(a);
    EXPECT_EQ(a->x, 11);
    EXPECT_EQ(a->y, 6);
    EXPECT_EQ(a->energy, 20000);
    EXPECT_EQ(player.health, 1000); // the defence roll swallowed the blow
}

TEST(EnemyBump, ReturnsWhatTheAttackReturns) {
    freshWorld(2);
    setUpPlayer(40, 20);
    Creature *a = enemy_leveled(1);
    putAt(a, 41, 20);
    a->energy = 7;
    EXPECT_EQ(enemy_bump(a, &player), 1);
    EXPECT_EQ(a->energy, 20000);
    // Out of reach: refused, no time spent.
    Creature *far = enemy_leveled(1);
    putAt(far, 50, 20);
    far->energy = 7;
    EXPECT_EQ(enemy_bump(far, &player), 0);
    EXPECT_EQ(far->energy, 7);
}

// --- Wandering --------------------------------------------------------------------

TEST(EnemyWander, RowStepIsDrawnBeforeColumnStep) {
    freshWorld(1);
    int seen[3][3] = {};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        srnd(seed);
        int dy = rnd() % 3 - 1;
        int dx = rnd() % 3 - 1;
        seen[dy + 1][dx + 1]++;
        srnd(seed);
        Creature *c = creature_new();
        putAt(c, 45, 20);
        EXPECT_EQ(enemy_act(c), 1);
        ASSERT_EQ(c->x, 45 + dx) << "seed " << seed;
        ASSERT_EQ(c->y, 20 + dy) << "seed " << seed;
        ASSERT_EQ(c->energy, 10000);
        discard(c);
    }
    for (auto &row : seen)
        for (int n : row)
            EXPECT_GT(n, 0); // all nine steps occur, so the order matters
}

TEST(EnemyWander, WaitsAboutOneTurnInNine) {
    freshWorld(99);
    Creature *c = creature_new();
    putAt(c, 45, 20);
    int waits = 0;
    const int turns = 9000;
    for (int i = 0; i < turns; ++i) {
        if (c->x < 5 || c->x > 84 || c->y < 5 || c->y > 34) {
            tileAt(c->x, c->y).creature = nullptr;
            putAt(c, 45, 20);
        }
        int x = c->x, y = c->y;
        c->energy = -1;
        enemy_act(c);
        waits += c->x == x && c->y == y && c->energy == c->moveDelay;
    }
    // 1000 expected, standard deviation about 30.
    EXPECT_GT(waits, 880);
    EXPECT_LT(waits, 1120);
}

TEST(EnemyWander, StepOffTheMapCostsNothing) {
    freshWorld(1);
    int tried = 0;
    for (unsigned seed = 1; seed < 200; ++seed) {
        srnd(seed);
        int dy = rnd() % 3 - 1;
        int dx = rnd() % 3 - 1;
        if (dx != -1 && dy != -1)
            continue;
        srnd(seed);
        Creature *c = creature_new();
        putAt(c, 0, 0);
        c->energy = -3;
        enemy_act(c);
        EXPECT_EQ(c->x, 0);
        EXPECT_EQ(c->y, 0);
        EXPECT_EQ(c->energy, -3);
        discard(c);
        ++tried;
    }
    EXPECT_GT(tried, 50);
}

// --- Wandering monsters on a cell ---------------------------------------------------

TEST(EnemyGen, RandEnemyPutsAReportedWandererOnTheCell) {
    freshWorld(31);
    srnd(31);
    Wanderer w = drawWanderer();
    srnd(31);
    randEnemy(20, 10);
    Creature *c = tileAt(20, 10).creature;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->x, 20);
    EXPECT_EQ(c->y, 10);
    EXPECT_EQ(player.prev, c);
    expectWanderer(c, w);
    EXPECT_EQ(mapTex[1][1].count, 1);
    EXPECT_EQ(pendingChanges(), 1);
}

TEST(EnemyGen, RandEnemyOnAnOccupiedOrOffMapCellMakesNothing) {
    freshWorld(32);
    setUpPlayer(20, 10);
    randEnemy(20, 10);
    randEnemy(-1, 5);
    randEnemy(90, 0);
    randEnemy(3, 40);
    EXPECT_EQ(ringLength(), 1);
    EXPECT_EQ(tileAt(20, 10).creature, &player);
    EXPECT_EQ(pendingChanges(), 0);
    EXPECT_TRUE(untouchedSince(32));
}

TEST(EnemyGen, GenRandEnemyTakesTheFirstFreePickUnreported) {
    freshWorld(40);
    srnd(40);
    int x1 = rnd() % 90, y1 = rnd() % 40;
    int x2 = rnd() % 90, y2 = rnd() % 40;
    Wanderer w = drawWanderer();
    ASSERT_FALSE(x1 == x2 && y1 == y2);
    // The first pick is taken, so the second one is used.
    putAt(&player, x1, y1);
    srnd(40);
    Creature *c = genRandEnemy();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->x, x2);
    EXPECT_EQ(c->y, y2);
    EXPECT_EQ(tileAt(x2, y2).creature, c);
    expectWanderer(c, w);
    EXPECT_EQ(pendingChanges(), 0);
}

TEST(EnemyGen, GenRandEnemyGivesUpAfter101OccupiedCells) {
    // A seed whose 101st and 102nd picks land on cells no earlier pick hit,
    // so freeing one of them decides the outcome alone.
    for (unsigned seed = 1; seed < 500; ++seed) {
        srnd(seed);
        int picks[102][2];
        for (auto &p : picks) {
            p[0] = rnd() % 90;
            p[1] = rnd() % 40;
        }
        auto hitBefore = [&](int k) {
            for (int i = 0; i < k; ++i)
                if (picks[i][0] == picks[k][0] && picks[i][1] == picks[k][1])
                    return true;
            return false;
        };
        if (hitBefore(100) || hitBefore(101))
            continue;

        // Full map: nothing made, exactly 101 picks drawn.
        freshWorld(seed);
        fillMap();
        EXPECT_EQ(genRandEnemy(), nullptr);
        EXPECT_EQ(ringLength(), 1);
        int next = rnd();
        srnd(seed);
        for (int i = 0; i < 202; ++i)
            rnd();
        EXPECT_EQ(next, rnd());

        // Only the 101st pick free: made there.
        freshWorld(seed);
        fillMap();
        tileAt(picks[100][0], picks[100][1]).creature = nullptr;
        Creature *c = genRandEnemy();
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->x, picks[100][0]);
        EXPECT_EQ(c->y, picks[100][1]);

        // Only the 102nd pick free: given up before it.
        freshWorld(seed);
        fillMap();
        tileAt(picks[101][0], picks[101][1]).creature = nullptr;
        EXPECT_EQ(genRandEnemy(), nullptr);
        EXPECT_EQ(ringLength(), 1);
        for (Tile &t : map)
            t.creature = nullptr;
        return;
    }
    FAIL() << "no seed found";
}

// --- Levelled monsters -------------------------------------------------------------

TEST(EnemyLeveled, DrawsEveryValueInOrderOnTopOfTheDefaults) {
    freshWorld(55);
    const int L = 4;
    srnd(55);
    int gold = rnd() % (5 * L);
    int arrows = 0;
    if (rnd() % 3 == 0)
        arrows = rnd() % (2 * L);
    int r = 100 + rnd() % 150, g = 100 + rnd() % 150, b = 100 + rnd() % 150;
    int level = 1 + rnd() % L;
    int speed = 800 + rnd() % 200;
    speed += rnd() % (5 * level);
    int health = 1 + rnd() % (2 * level);
    int damageMin = 1 + rnd() % (5 * level);
    int damageSpread = 1 + rnd() % level;
    int defenseMin = rnd() % (5 * level);
    int defenseSpread = rnd() % level;
    int energy = rnd() % 10000;

    srnd(55);
    Creature *c = enemy_leveled(L);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->gold, gold);
    EXPECT_EQ(c->arrows, arrows);
    EXPECT_EQ(c->r, r);
    EXPECT_EQ(c->g, g);
    EXPECT_EQ(c->b, b);
    EXPECT_EQ(c->level, level);
    EXPECT_EQ(c->speed, speed);
    EXPECT_EQ(c->health, health);
    EXPECT_EQ(c->damageMin, damageMin);
    EXPECT_EQ(c->damageSpread, damageSpread);
    EXPECT_EQ(c->defenseMin, defenseMin);
    EXPECT_EQ(c->defenseSpread, defenseSpread);
    EXPECT_EQ(c->energy, energy);
    EXPECT_STREQ(c->name, "Enemy");
    EXPECT_EQ(c->glyph, 2);
    EXPECT_EQ(c->act, &enemy_act_toPlayer);
    EXPECT_EQ(c->bump, &enemy_bump);
    EXPECT_EQ(c->moveDelay, 10000);
    // In the ring, last, but on no tile.
    EXPECT_EQ(player.prev, c);
    EXPECT_EQ(c->x, 0);
    EXPECT_EQ(c->y, 0);
    EXPECT_EQ(tileAt(0, 0).creature, nullptr);
}

namespace {

struct Seen {
    int minSpeed = 1 << 30, maxSpeed = 0, maxHealth = 0, maxGold = 0, maxArrows = 0;
    int noArrows = 0, count = 0, maxLevel = 0;
};

// Checks one levelled monster against the ranges of its requested level and
// its own level, and gathers the extremes.
void checkLeveled(const Creature *c, int L, Seen &s) {
    const int lv = c->level;
    ASSERT_GE(lv, 1);
    ASSERT_LE(lv, L);
    ASSERT_GE(c->gold, 0);
    ASSERT_LT(c->gold, 5 * L);
    ASSERT_GE(c->arrows, 0);
    ASSERT_LT(c->arrows, std::max(2 * L, 1));
    ASSERT_GE(c->speed, 800);
    ASSERT_LE(c->speed, 999 + 5 * lv - 1);
    ASSERT_GE(c->health, 1);
    ASSERT_LE(c->health, 2 * lv);
    ASSERT_GE(c->damageMin, 1);
    ASSERT_LE(c->damageMin, 5 * lv);
    ASSERT_GE(c->damageSpread, 1);
    ASSERT_LE(c->damageSpread, lv);
    ASSERT_GE(c->defenseMin, 0);
    ASSERT_LE(c->defenseMin, 5 * lv - 1);
    ASSERT_GE(c->defenseSpread, 0);
    ASSERT_LE(c->defenseSpread, lv - 1);
    ASSERT_GE(c->energy, 0);
    ASSERT_LE(c->energy, 9999);
    for (int ch : {c->r, c->g, c->b}) {
        ASSERT_GE(ch, 100);
        ASSERT_LE(ch, 249);
    }
    s.minSpeed = std::min(s.minSpeed, c->speed);
    s.maxSpeed = std::max(s.maxSpeed, c->speed);
    s.maxHealth = std::max(s.maxHealth, c->health);
    s.maxGold = std::max(s.maxGold, c->gold);
    s.maxArrows = std::max(s.maxArrows, c->arrows);
    s.maxLevel = std::max(s.maxLevel, lv);
    s.noArrows += c->arrows == 0;
    ++s.count;
}

Seen sample(int L, int n) {
    Seen s;
    for (int i = 0; i < n; ++i) {
        Creature *c = enemy_leveled(L);
        EXPECT_NE(c, nullptr);
        if (c == nullptr)
            break;
        checkLeveled(c, L, s);
        discard(c);
    }
    return s;
}

} // namespace

TEST(EnemyLeveled, LevelOneStaysWithinItsRanges) {
    freshWorld(61);
    Seen s = sample(1, 3000);
    EXPECT_EQ(s.maxLevel, 1);
    EXPECT_EQ(s.maxHealth, 2);
    EXPECT_EQ(s.maxGold, 4);
    EXPECT_EQ(s.maxArrows, 1);
    EXPECT_LE(s.maxSpeed, 1003);
    EXPECT_GT(s.maxSpeed, 999);
    EXPECT_GE(s.noArrows, 2 * s.count / 3); // 5 in 6 expected
}

TEST(EnemyLeveled, LevelsThreeAndTenScaleWithTheOwnLevel) {
    freshWorld(62);
    Seen three = sample(3, 4000);
    EXPECT_EQ(three.maxLevel, 3);
    EXPECT_EQ(three.maxHealth, 6);
    EXPECT_LE(three.maxSpeed, 1013);
    EXPECT_GT(three.maxSpeed, 1005);
    Seen ten = sample(10, 4000);
    EXPECT_EQ(ten.maxLevel, 10);
    EXPECT_LE(ten.maxSpeed, 1048);
    EXPECT_GT(ten.maxSpeed, 1030);
    EXPECT_EQ(ten.maxGold, 49);
    EXPECT_EQ(ten.maxArrows, 19);
}

TEST(EnemyLeveled, GoldAndArrowsFollowTheRequestedLevel) {
    freshWorld(63);
    int maxGoldAtOne = 0, maxArrowsAtOne = 0;
    Seen s;
    for (int i = 0; i < 3000; ++i) {
        Creature *c = enemy_leveled(5);
        checkLeveled(c, 5, s);
        if (c->level == 1) {
            maxGoldAtOne = std::max(maxGoldAtOne, c->gold);
            maxArrowsAtOne = std::max(maxArrowsAtOne, c->arrows);
        }
        discard(c);
    }
    EXPECT_EQ(s.maxGold, 24);
    EXPECT_EQ(s.maxArrows, 9);
    EXPECT_GT(maxGoldAtOne, 4); // more than a requested level 1 could carry
    EXPECT_GT(maxArrowsAtOne, 1);
}

TEST(EnemyLeveled, LevelBelowOneCountsAsOne) {
    freshWorld(64);
    for (int L : {0, -1, -1000}) {
        Creature *c = enemy_leveled(L);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->level, 1);
        EXPECT_LT(c->gold, 5);
        EXPECT_LT(c->arrows, 2);
    }
}

TEST(EnemyRand, OutOfBelowOneDrawsNothing) {
    freshWorld(70);
    EXPECT_EQ(enemy_rand(40, 0, 1, 3), nullptr);
    EXPECT_EQ(enemy_rand(40, -7, 1, 3), nullptr);
    EXPECT_EQ(ringLength(), 1);
    EXPECT_TRUE(untouchedSince(70));
}

TEST(EnemyRand, YieldsAMonsterAboutTwoTimesInFive) {
    freshWorld(71);
    int made = 0;
    for (int i = 0; i < 2000; ++i) {
        Creature *c = enemy_rand(40, 100, 2, 4);
        if (c == nullptr)
            continue;
        ++made;
        EXPECT_LE(c->level, 4);
        EXPECT_LT(c->gold, 20);
        discard(c);
    }
    EXPECT_GT(made, 700); // 800 expected, sd about 22
    EXPECT_LT(made, 900);
}

TEST(EnemyRand, LevelIsDrawnAfterTheChance) {
    freshWorld(72);
    for (unsigned seed = 1; seed <= 30; ++seed) {
        srnd(seed);
        Creature *a = enemy_rand(100, 100, 3, 5);
        ASSERT_NE(a, nullptr);
        srnd(seed);
        rnd();
        Creature *b = enemy_leveled(3 + rnd() % 3);
        EXPECT_EQ(a->level, b->level) << "seed " << seed;
        EXPECT_EQ(a->gold, b->gold);
        EXPECT_EQ(a->arrows, b->arrows);
        EXPECT_EQ(a->speed, b->speed);
        EXPECT_EQ(a->health, b->health);
        EXPECT_EQ(a->damageMin, b->damageMin);
        EXPECT_EQ(a->defenseMin, b->defenseMin);
        EXPECT_EQ(a->energy, b->energy);
        EXPECT_EQ(a->r, b->r);
    }
}

TEST(EnemyRand, EmptyLevelRangeMakesNothing) {
    freshWorld(73);
    EXPECT_EQ(enemy_rand(100, 100, 5, 4), nullptr);
    EXPECT_EQ(ringLength(), 1);
}

// --- Chaos Elementals ---------------------------------------------------------------

namespace {

struct ElementalDraws {
    int x, y, speed, r, g, b, gold, level, health, defMin, defSpread, damMin, damSpread;
};

ElementalDraws drawElemental(int speedSpread, int spread, int healthSpread) {
    ElementalDraws e;
    e.x = rnd() % 90;
    e.y = rnd() % 40;
    drawWanderer();
    e.speed = 1000 + rnd() % speedSpread;
    e.r = rnd() % 256;
    e.g = rnd() % 256;
    e.b = rnd() % 256;
    e.gold = rnd() % spread;
    e.level = rnd() % spread;
    e.health = rnd() % healthSpread;
    e.defMin = rnd() % spread;
    e.defSpread = rnd() % spread;
    e.damMin = rnd() % spread;
    e.damSpread = rnd() % spread;
    return e;
}

void expectElemental(const Creature *c, const ElementalDraws &e, const char *name, int glyph) {
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c->name, name);
    EXPECT_EQ(c->glyph, glyph);
    EXPECT_EQ(c->x, e.x);
    EXPECT_EQ(c->y, e.y);
    EXPECT_EQ(tileAt(e.x, e.y).creature, c);
    EXPECT_EQ(c->speed, e.speed);
    EXPECT_EQ(c->r, e.r);
    EXPECT_EQ(c->g, e.g);
    EXPECT_EQ(c->b, e.b);
    EXPECT_EQ(c->gold, e.gold);
    EXPECT_EQ(c->level, e.level);
    EXPECT_EQ(c->health, e.health);
    EXPECT_EQ(c->defenseMin, e.defMin);
    EXPECT_EQ(c->defenseSpread, e.defSpread);
    EXPECT_EQ(c->damageMin, e.damMin);
    EXPECT_EQ(c->damageSpread, e.damSpread);
    EXPECT_EQ(c->act, &enemy_act);
    EXPECT_EQ(c->bump, &enemy_bump);
    EXPECT_EQ(c->moveDelay, 10000);
    EXPECT_EQ(c->arrows, 0);
    EXPECT_EQ(c->magic, 0);
}

} // namespace

TEST(ChaosElemental, DrawsSpeedColourThenNumbersInOrder) {
    for (unsigned seed : {5u, 6u, 900u}) {
        freshWorld(seed);
        ElementalDraws e = drawElemental(2000, 200, 2000);
        srnd(seed);
        addChaosElemental();
        expectElemental(player.prev, e, "Chaos Elemental", 99);
        EXPECT_EQ(pendingChanges(), 0);
    }
}

TEST(ChaosElemental, SuperiorDrawsFromWiderRanges) {
    for (unsigned seed : {5u, 7u, 901u}) {
        freshWorld(seed);
        ElementalDraws e = drawElemental(5000, 2000, 20000);
        srnd(seed);
        addSuperiorChaosElemental();
        expectElemental(player.prev, e, "Superior Chaos Elemental", 67);
    }
}

TEST(ChaosElemental, RangesHoldOverManyElementals) {
    freshWorld(91);
    int maxSpeed[2] = {}, maxHealth[2] = {}, maxStat[2] = {};
    for (int i = 0; i < 1500; ++i) {
        for (int k = 0; k < 2; ++k) {
            if (k == 0)
                addChaosElemental();
            else
                addSuperiorChaosElemental();
            Creature *c = player.prev;
            ASSERT_NE(c, &player);
            const int speedTop = k == 0 ? 2999 : 5999, statTop = k == 0 ? 199 : 1999;
            const int healthTop = k == 0 ? 1999 : 19999;
            ASSERT_GE(c->speed, 1000);
            ASSERT_LE(c->speed, speedTop);
            ASSERT_LE(c->health, healthTop);
            for (int v : {c->gold, c->level, c->defenseMin, c->defenseSpread, c->damageMin,
                          c->damageSpread}) {
                ASSERT_GE(v, 0);
                ASSERT_LE(v, statTop);
                maxStat[k] = std::max(maxStat[k], v);
            }
            ASSERT_GE(c->energy, 0);
            ASSERT_LE(c->energy, 9999);
            maxSpeed[k] = std::max(maxSpeed[k], c->speed);
            maxHealth[k] = std::max(maxHealth[k], c->health);
            discard(c);
        }
    }
    EXPECT_GT(maxSpeed[0], 2900);
    EXPECT_GT(maxSpeed[1], 5800);
    EXPECT_GT(maxHealth[0], 1950);
    EXPECT_GT(maxHealth[1], 19000);
    EXPECT_EQ(maxStat[0], 199);
    EXPECT_GT(maxStat[1], 1990);
}

TEST(ChaosElemental, NoneOnAMapWithoutRoom) {
    freshWorld(92);
    fillMap();
    addChaosElemental();
    addSuperiorChaosElemental();
    EXPECT_EQ(ringLength(), 1);
    for (Tile &t : map)
        t.creature = nullptr;
}
