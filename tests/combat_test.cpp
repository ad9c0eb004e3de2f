// Combat: reach, rolls against defence, melee, arrows, deaths.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/logic.h"
#include "core/random.h"
#include "creatures/combat.h"
#include "creatures/creature.h"
#include "support/fixture.h"

using namespace vell;

namespace {

std::string shown(int line) {
    std::string s = shownLine(line);
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

void placePlayer(int x, int y) {
    player.x = x, player.y = y, player.moveDelay = 10000, player.energy = -7;
    player.level = 5, player.health = 50, player.name = "Player";
    tileAt(x, y).creature = &player;
}

Creature *placeEnemy(int x, int y) {
    Creature *m = creature_new();
    m->x = x, m->y = y, m->name = "Enemy", m->health = 100;
    tileAt(x, y).creature = m;
    return m;
}

} // namespace

TEST(Reach, IsADiscOfSquaredDistance) {
    EXPECT_EQ(inRange(0, 0, 20, 0, 20), 1);
    EXPECT_EQ(inRange(0, 0, 20, 1, 20), 0);
    EXPECT_EQ(inRange(30, 30, 16, 16, 20), 1);
    EXPECT_EQ(inRange(5, 5, 7, 7, 2), 0);
    EXPECT_EQ(inRange(5, 5, 7, 5, 2), 1);
    EXPECT_EQ(inRange(INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX), 0);
    EXPECT_EQ(inRange(0, 0, INT_MAX, 0, INT_MAX), 1);
}

TEST(Rolls, NegativeSpreadAddsNothingAndDrawsNothing) {
    Creature c{};
    c.damageMin = 4;
    for (int spread : {-1, -2, INT_MIN, INT_MAX}) {
        c.damageSpread = spread;
        srnd(3);
        int next = rnd();
        srnd(3);
        // INT_MAX + 1 wraps below 0 as well.
        EXPECT_EQ(creature_getDam(&c), 4) << spread;
        EXPECT_EQ(rnd(), next) << spread;
    }
}

TEST(Damage, RollEqualToDefencePassesAndHurtsNothing) {
    freshWorld();
    placePlayer(10, 10);
    player.defenseMin = 6;
    creature_damage(&player, 6, &player);
    EXPECT_EQ(player.health, 50);
    EXPECT_EQ(shown(0), "You are hit! You hit!");
}

TEST(Damage, BelowDefenceIsNoDamageAndNegativeIsIgnored) {
    freshWorld();
    placePlayer(10, 10);
    Creature *m = placeEnemy(11, 10);
    m->defenseMin = 5;
    creature_damage(m, 4, &player);
    EXPECT_EQ(m->health, 100);
    EXPECT_EQ(shown(0), "It is unaffected!");
    player.defenseMin = 3;
    player.defenseSpread = 9;
    srnd(4);
    rnd();
    int next = rnd();
    srnd(4);
    creature_damage(&player, -20, m); // the defence is still rolled
    EXPECT_EQ(rnd(), next);
    EXPECT_EQ(player.health, 50);
    creature_damage(&player, 1, m);
    EXPECT_EQ(shown(0), "It is unaffected! You are not hurt!");
}

TEST(Melee, BlowLeavingZeroHealthKillsAfterTheHit) {
    freshWorld();
    placePlayer(10, 10);
    player.level = 1, player.damageMin = 1, player.damageSpread = 0;
    Creature *m = placeEnemy(11, 10);
    m->health = 1, m->level = 0;
    EXPECT_EQ(creature_attack(&player, m), 1);
    EXPECT_EQ(shown(0), "You attack Enemy. You hit! Enemy dies. You advance a level!");
    EXPECT_EQ(tileAt(11, 10).creature, nullptr);
    EXPECT_EQ(player.energy, 20000);
}

TEST(Melee, MonsterStrikesThePlayer) {
    freshWorld();
    placePlayer(10, 10);
    player.defenseMin = 100;
    Creature *m = placeEnemy(9, 9);
    EXPECT_EQ(creature_attack(m, &player), 1);
    EXPECT_EQ(shown(0), "Enemy attacks you. You are not hurt!");
    EXPECT_EQ(m->energy, 20000);
}

TEST(Melee, OutOfReachIsRefusedAtNoCost) {
    freshWorld();
    placePlayer(10, 10);
    Creature *m = placeEnemy(12, 11);
    EXPECT_EQ(creature_attack(&player, m), 0);
    EXPECT_EQ(creature_attack(&player, nullptr), 0);
    EXPECT_EQ(shown(0), "It is too far away to attack right now.");
    EXPECT_EQ(player.energy, -7);
    EXPECT_EQ(m->health, 100);
}

TEST(Shooting, RefusalsSpendNothing) {
    freshWorld();
    placePlayer(10, 10);
    player.arrows = 0;
    EXPECT_EQ(creature_shoot(&player, 90, 10), 0);
    EXPECT_EQ(creature_shoot(&player, 10, -1), 0);
    EXPECT_EQ(shown(0), "");
    EXPECT_EQ(creature_shoot(&player, 30, 11), 0);
    EXPECT_EQ(creature_shoot(&player, 30, 10), 0);
    EXPECT_EQ(shown(0), "It is too far away to attack right now. You don't have any arrows.");
    EXPECT_EQ(player.energy, -7);
}

TEST(Shooting, IntoEmptySpaceCostsNoTimeAndMayLeaveTheArrow) {
    for (int kept = 0; kept < 2; ++kept) {
        unsigned s = 1;
        for (;; ++s) {
            srnd(s);
            if (rnd() % 2 == kept)
                break;
        }
        freshWorld();
        placePlayer(10, 10);
        player.arrows = 1;
        srnd(s);
        EXPECT_EQ(creature_shoot(&player, 24, 24), 1);
        EXPECT_EQ(player.arrows, 0);
        EXPECT_EQ(player.energy, -7);
        EXPECT_EQ(shown(0), "You shoot into empty space...");
        if (kept) {
            ASSERT_NE(tileAt(24, 24).item, nullptr);
            EXPECT_EQ(tileAt(24, 24).item->kind, 2);
            EXPECT_EQ(tileAt(24, 24).item->amount, 1);
        } else {
            EXPECT_EQ(tileAt(24, 24).item, nullptr);
        }
    }
}

// The draws of a hit come in the order: arrow kept, damage, defence.
TEST(Shooting, HitDrawsArrowThenDamageThenDefence) {
    for (unsigned s = 1; s < 50; ++s) {
        freshWorld();
        placePlayer(10, 10);
        player.arrows = 3, player.damageMin = 200, player.damageSpread = 99;
        Creature *m = placeEnemy(20, 20);
        m->health = 1000, m->defenseMin = 0, m->defenseSpread = 149;
        srnd(s);
        int kept = rnd() % 2;
        int dam = 200 + rnd() % 100;
        int def = rnd() % 150;
        srnd(s);
        EXPECT_EQ(creature_shoot(&player, 20, 20), 1);
        EXPECT_EQ(player.arrows, 2);
        EXPECT_EQ(m->arrows, kept);
        EXPECT_EQ(m->health, 1000 - (dam - def));
        EXPECT_EQ(player.energy, 25000);
    }
    EXPECT_EQ(shown(0), "You shoot Enemy. You hit!");
}

TEST(Shooting, OwnTileMakesTheShooterItsOwnTarget) {
    freshWorld();
    placePlayer(10, 10);
    player.arrows = 1, player.damageMin = 3, player.damageSpread = 0;
    player.moveDelay = 3; // 2.5 times 3 truncates to 7
    EXPECT_EQ(creature_shoot(&player, 10, 10), 1);
    EXPECT_EQ(shown(0), "You shoot Player. Player shoots you. You are hit! You hit!");
    EXPECT_EQ(player.health, 47);
    EXPECT_EQ(player.energy, 7);
}

TEST(Shooting, HugeStepTimeWrapsRatherThanOverflows) {
    freshWorld();
    placePlayer(10, 10);
    Creature *m = placeEnemy(11, 10);
    m->defenseMin = 1000;
    player.arrows = 1, player.moveDelay = INT_MAX;
    EXPECT_EQ(creature_shoot(&player, 11, 10), 1);
    EXPECT_EQ(player.energy, 1073741821); // (INT_MAX * 5 wrapped) / 2
}
