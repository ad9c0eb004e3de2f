#include "chaos/chaos.h"

#include "chaos/corrupt.h"
#include "core/random.h"
#include "creatures/combat.h"
#include "creatures/move.h"
#include "creatures/speech.h"
#include "enemies/enemy.h"
#include "graphics/map.h"
#include "world/map.h"

namespace vell {

namespace {

// A random number below n; where none exists (n below 1, e.g. a level of 0)
// the answer is 0 and nothing is drawn, rather than a division by zero.
int below(int n) {
    return n < 1 ? 0 : rnd() % n;
}

// The common magic test: refused unless magic > need - 1.
bool canCast(Creature *caster, int need) {
    if (caster == nullptr)
        return false;
    if (caster->magic > need - 1)
        return true;
    creature_message(caster, "You don't have enough magic.");
    return false;
}

void spendMagic(Creature *caster, int cost) {
    caster->magic = wrapSub(caster->magic, cost);
}

void takeTime(Creature *caster, int delays) {
    caster->energy = wrapMul(delays, caster->moveDelay);
}

} // namespace

void chaos_damage(Creature *caster, int x, int y, int bound) {
    if (!onMap(x, y))
        return;
    Tile &t = tileAt(x, y);
    if (Creature *target = t.creature) {
        bool hit = target != caster || rnd() % 20 == 3;
        if (hit)
            creature_damage(target, wrapAdd(target->defenseMin, below(bound)), caster);
        // target may be gone now; only the tile is used below.
    }
    for (int i = 0; i < 5; ++i) {
        switch ((rnd() % 61) / 20) {
        case 0:
            t.r ^= static_cast<unsigned char>(rnd() % 256);
            break;
        case 1:
            t.g ^= static_cast<unsigned char>(rnd() % 256);
            break;
        case 2:
            t.b ^= static_cast<unsigned char>(rnd() % 256);
            break;
        default:
            t.glyph = static_cast<unsigned char>(32 + rnd() % 96);
            break;
        }
    }
    addChange(x, y);
}

int chaos_bolt(Creature *caster, int dx, int dy) {
    if (!canCast(caster, 1000))
        return 0;
    corrupt(rnd() % 500);
    takeTime(caster, 5);
    spendMagic(caster, 1000);
    int x = caster->x;
    int y = caster->y;
    for (int i = 0; i < 10; ++i) {
        x = wrapAdd(x, dx);
        y = wrapAdd(y, dy);
        chaos_damage(caster, x, y, wrapMul(2, caster->level));
    }
    return 1;
}

int chaos_flee(Creature *caster) {
    if (!canCast(caster, 10000))
        return 0;
    // A generation still running books one more run rather than overlapping.
    regenMap();
    takeTime(caster, 20);
    spendMagic(caster, 10000);
    // Not waiting for the generation: it takes the world lock per tile, and
    // we hold it here, so the two alternate tile by tile.
    corrupt(rnd() % 5000);
    return 1;
}

int chaos_drain(Creature *caster) {
    if (caster == nullptr)
        return 0;
    takeTime(caster, 10);
    caster->magic = wrapAdd(caster->magic, rnd() % 5000);
    corrupt(1000 + rnd() % 1000);
    return 1;
}

int chaos_ascension(Creature *caster) {
    if (!canCast(caster, 1000000))
        return 0;
    caster->defenseMin = wrapAdd(caster->defenseMin, rnd() % 100000);
    caster->damageMin = wrapAdd(caster->damageMin, rnd() % 100000);
    caster->defenseSpread = wrapAdd(caster->defenseSpread, rnd() % 100000);
    caster->damageSpread = wrapAdd(caster->damageSpread, rnd() % 100000);
    caster->health = wrapAdd(caster->health, rnd() % 100000);
    corrupt(100000 + rnd() % 1000000);
    spendMagic(caster, 1000000);
    return 1;
}

int chaos_blast(Creature *caster, int dx, int dy) {
    if (!canCast(caster, 500))
        return 0;
    corrupt(rnd() % 400);
    takeTime(caster, 4);
    spendMagic(caster, 500);
    int cx = wrapAdd(caster->x, dx);
    int cy = wrapAdd(caster->y, dy);
    chaos_damage(caster, cx, cy, wrapMul(5, caster->level) / 2);
    static const int side[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    for (const auto &s : side)
        chaos_damage(caster, wrapAdd(cx, s[0]), wrapAdd(cy, s[1]), wrapMul(9, caster->level) / 5);
    return 1;
}

int chaos_speed(Creature *caster) {
    if (!canCast(caster, 5000))
        return 0;
    takeTime(caster, 8);
    caster->speed = wrapAdd(caster->speed, rnd() % 100);
    corrupt(100 + rnd() % 1000);
    spendMagic(caster, 5000);
    return 1;
}

int chaos_heal(Creature *caster) {
    if (!canCast(caster, 5000))
        return 0;
    takeTime(caster, 8);
    caster->health = wrapAdd(caster->health, below(wrapMul(5, caster->level)));
    corrupt(100 + rnd() % 1000);
    spendMagic(caster, 5000);
    return 1;
}

int chaos_barrier(Creature *caster) {
    if (!canCast(caster, 6000))
        return 0;
    takeTime(caster, 7);
    caster->defenseMin = wrapAdd(caster->defenseMin, below(wrapMul(2, caster->level)));
    caster->defenseSpread = wrapAdd(caster->defenseSpread, below(caster->level));
    corrupt(100 + rnd() % 1000);
    spendMagic(caster, 6000);
    return 1;
}

int chaos_fury(Creature *caster) {
    if (!canCast(caster, 6000))
        return 0;
    takeTime(caster, 7);
    caster->damageMin = wrapAdd(caster->damageMin, below(wrapMul(2, caster->level)));
    caster->damageSpread = wrapAdd(caster->damageSpread, below(caster->level));
    corrupt(100 + rnd() % 1000);
    spendMagic(caster, 6000);
    return 1;
}

int chaos_gather(Creature *caster) {
    if (!canCast(caster, 2000))
        return 0;
    spendMagic(caster, 2000);
    corrupt(100 + rnd() % 1000);
    for (int y = 0; y < MAP_H; ++y) {
        for (int x = 0; x < MAP_W; ++x) {
            if (tileAt(x, y).item != nullptr && rnd() % 3 == 0) {
                // The bound may come out 0; chaos_damage copes with it.
                chaos_damage(caster, x, y, rnd() % 10);
                creature_pickupItem(caster, x, y);
            }
        }
    }
    return 1;
}

int chaos_death(Creature *caster) {
    if (!canCast(caster, 20000))
        return 0;
    spendMagic(caster, 20000);
    corrupt(1000 + rnd() % 10000);
    for (int y = 0; y < MAP_H; ++y) {
        for (int x = 0; x < MAP_W; ++x) {
            Creature *c = tileAt(x, y).creature;
            // The coin is tossed before the caster test, also on its own tile.
            if (c != nullptr && rnd() % 2 == 1 && c != caster)
                chaos_damage(caster, x, y, wrapMul(5, caster->level));
        }
    }
    return 1;
}

int chaos_confusion(Creature *caster) {
    if (!canCast(caster, 10000))
        return 0;
    spendMagic(caster, 10000);
    corrupt(500 + rnd() % 5000);
    for (int y = 0; y < MAP_H; ++y) {
        for (int x = 0; x < MAP_W; ++x) {
            Creature *c = tileAt(x, y).creature;
            if (c != nullptr && rnd() % 2 == 1 && c != caster)
                c->act = rnd() % 2 == 1 ? enemy_act : enemy_act_toPlayer;
        }
    }
    return 1;
}

} // namespace vell
