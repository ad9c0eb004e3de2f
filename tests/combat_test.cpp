// Combat: reach, rolls against defence, melee, arrows, deaths.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/random.h"
#include "creatures/combat.h"
#include "creatures/creature.h"
#include "support/fixture.h"

using namespace vell;

namespace {

std::string shown(int line) {
    std::string s = shownLine(line);
    return s.erase(s.find_last_not_of(' ') + 1);
}

// The player at (10, 10) and an Enemy at (x, y).
Creature *setUp(int x, int y) {
    freshWorld();
    player.x = player.y = 10, player.moveDelay = 10000, player.energy = -7;
    player.level = 5, player.health = 50, player.name = "Player";
    tileAt(10, 10).creature = &player;
    Creature *m = creature_new();
    m->x = x, m->y = y, m->name = "Enemy", m->health = 100;
    tileAt(x, y).creature = m;
    return m;
}

} // namespace

TEST(Reach, IsADiscOfSquaredDistanceWithoutOverflow) {
    EXPECT_TRUE(inRange(0, 0, 20, 0, 20) && inRange(30, 30, 16, 16, 20));
    EXPECT_FALSE(inRange(0, 0, 20, 1, 20) || inRange(5, 5, 7, 7, 2));
    EXPECT_FALSE(inRange(INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX));
    EXPECT_TRUE(inRange(0, 0, INT_MAX, 0, INT_MAX));
}

TEST(Rolls, SpreadWithNoNumberBelowItAddsAndDrawsNothing) {
    Creature c{};
    c.damageMin = 4;
    for (int spread : {-1, -2, INT_MIN, INT_MAX}) { // INT_MAX + 1 wraps too
        c.damageSpread = spread;
        srnd(3);
        int next = rnd();
        srnd(3);
        EXPECT_EQ(creature_getDam(&c), 4) << spread;
        EXPECT_EQ(rnd(), next) << spread;
    }
}

TEST(Damage, EqualToDefencePassesBelowItDoesNothingNegativeIsIgnored) {
    Creature *m = setUp(11, 10);
    player.defenseMin = 6;
    creature_damage(&player, 6, &player); // own chaos: both sides are read
    EXPECT_TRUE(player.health == 50 && shown(0) == "You are hit! You hit!");
    m->defenseMin = 5;
    creature_damage(m, 4, &player);
    creature_damage(&player, 1, m);
    EXPECT_EQ(shown(0), "You are hit! You hit! It is unaffected! You are not hurt!");
    player.defenseSpread = 9;
    srnd(4);
    rnd();
    int next = rnd();
    srnd(4);
    creature_damage(&player, -20, m); // the defence is rolled all the same
    EXPECT_TRUE(rnd() == next && player.health == 50 && m->health == 100);
}

TEST(Melee, BlowLeavingZeroHealthKillsAfterTheHit) {
    Creature *m = setUp(11, 10);
    player.level = 1, player.damageMin = 1, player.damageSpread = 0;
    m->health = 1, m->level = 0;
    EXPECT_EQ(creature_attack(&player, m), 1);
    EXPECT_EQ(shown(0), "You attack Enemy. You hit! Enemy dies. You advance a level!");
    EXPECT_TRUE(tileAt(11, 10).creature == nullptr && player.energy == 20000);
}

TEST(Melee, MonsterSideAndRefusalOutOfReach) {
    Creature *m = setUp(9, 9);
    player.defenseMin = 100;
    EXPECT_EQ(creature_attack(m, &player), 1);
    EXPECT_TRUE(shown(0) == "Enemy attacks you. You are not hurt!" && m->energy == 20000);
    m = setUp(12, 11);
    EXPECT_EQ(creature_attack(&player, m), 0);
    EXPECT_TRUE(shown(0) == "It is too far away to attack right now." && player.energy == -7);
}

TEST(Shooting, RefusalsSpendNothing) {
    setUp(60, 30);
    player.arrows = 0;
    EXPECT_EQ(creature_shoot(&player, 90, 10) + creature_shoot(&player, 10, -1), 0);
    EXPECT_EQ(shown(0), "");
    EXPECT_EQ(creature_shoot(&player, 30, 11) + creature_shoot(&player, 30, 10), 0);
    EXPECT_EQ(shown(0), "It is too far away to attack right now. You don't have any arrows.");
    EXPECT_EQ(player.energy, -7);
}

TEST(Shooting, IntoEmptySpaceCostsNoTimeAndMayLeaveTheArrow) {
    for (int kept = 0; kept < 2; ++kept) {
        setUp(0, 0);
        player.arrows = 1;
        unsigned s = 1;
        while (srnd(s), rnd() % 2 != kept)
            ++s;
        srnd(s);
        EXPECT_EQ(creature_shoot(&player, 24, 24), 1);
        EXPECT_TRUE(player.arrows == 0 && player.energy == -7);
        EXPECT_EQ(shown(0), "You shoot into empty space...");
        Item *it = tileAt(24, 24).item;
        EXPECT_TRUE(kept ? it && it->kind == 2 && it->amount == 1 : !it);
    }
}

TEST(Shooting, HitDrawsArrowThenDamageThenDefence) {
    for (unsigned s = 1; s < 50; ++s) {
        Creature *m = setUp(20, 20);
        player.arrows = 3, player.damageMin = 200, player.damageSpread = 99;
        m->health = 1000, m->defenseSpread = 149;
        srnd(s);
        int kept = rnd() % 2, dam = 200 + rnd() % 100, def = rnd() % 150;
        srnd(s);
        EXPECT_EQ(creature_shoot(&player, 20, 20), 1);
        EXPECT_TRUE(player.arrows == 2 && m->arrows == kept && player.energy == 25000);
        EXPECT_EQ(m->health, 1000 - (dam - def));
    }
    EXPECT_EQ(shown(0), "You shoot Enemy. You hit!");
}

TEST(Shooting, OwnTileMakesTheShooterItsOwnTarget) {
    setUp(0, 0);
    player.arrows = 1, player.damageMin = 3, player.damageSpread = 0;
    player.moveDelay = 3; // 7.5 truncates to 7
    EXPECT_EQ(creature_shoot(&player, 10, 10), 1);
    EXPECT_EQ(shown(0), "You shoot Player. Player shoots you. You are hit! You hit!");
    EXPECT_TRUE(player.health == 47 && player.energy == 7);
    setUp(11, 10)->defenseMin = 1000;
    player.arrows = 1, player.moveDelay = INT_MAX;
    creature_shoot(&player, 11, 10);
    EXPECT_EQ(player.energy, 1073741821); // INT_MAX * 5 wrapped, halved: no overflow
}
