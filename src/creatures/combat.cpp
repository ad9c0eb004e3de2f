#include "creatures/combat.h"

#include "core/random.h"
#include "creatures/creature.h"
#include "creatures/speech.h"
#include "items/item.h"

namespace vell {

namespace {

// Both sides of a blow, each in its pieces: "You attack" Enemy "." to the
// actor, the actor's name and "attacks you." to the target.
void announce(Creature *actor, Creature *target, const char *done, const char *suffered) {
    creature_message(actor, done);
    creature_message(actor, target->name);
    creature_message(actor, ".");
    creature_message(target, actor->name);
    creature_message(target, suffered);
}

// min plus a random number below spread + 1. A spread whose bound is 0 or
// below (a spread of -1 or less, or one that wraps) has no number below it:
// the roll adds 0 and draws nothing, rather than divide by zero.
int roll(int min, int spread) {
    int bound = wrapAdd(spread, 1);
    if (bound <= 0)
        return min;
    return wrapAdd(min, rnd() % bound);
}

} // namespace

int inRange(int x1, int y1, int x2, int y2, int range) {
    long long dx = static_cast<long long>(x1) - x2;
    long long dy = static_cast<long long>(y1) - y2;
    long long r = range < 0 ? -static_cast<long long>(range) : range;
    if (dx < 0)
        dx = -dx;
    if (dy < 0)
        dy = -dy;
    // Either step alone beyond the range decides it, and keeps the squares
    // below 2^63.
    if (dx > r || dy > r)
        return 0;
    unsigned long long d2 = static_cast<unsigned long long>(dx * dx) + dy * dy;
    return d2 <= static_cast<unsigned long long>(r * r) ? 1 : 0;
}

int creature_getDam(Creature *attacker) {
    if (attacker == nullptr)
        return 0;
    return roll(attacker->damageMin, attacker->damageSpread);
}

void creature_damage(Creature *victim, int amount, Creature *source) {
    if (victim == nullptr)
        return;
    // The defence roll comes first, whatever the amount.
    int d = roll(victim->defenseMin, victim->defenseSpread);
    if (amount < 0) {
        creature_heal(victim, wrapSub(0, amount), source);
        return;
    }
    if (amount < d) {
        creature_noDamage(victim, source);
        return;
    }
    victim->health = wrapSub(victim->health, wrapSub(amount, d));
    creature_message(victim, "You are hit!");
    creature_message(source, "You hit!");
    if (victim->health <= 0)
        creature_die(victim, source);
}

void creature_noDamage(Creature *victim, Creature *source) {
    creature_message(victim, "You are not hurt!");
    creature_message(source, "It is unaffected!");
}

// Healing has no effect in this game: health is never raised by damage.
void creature_heal(Creature *, int, Creature *) {}

int creature_attack(Creature *attacker, Creature *target) {
    if (attacker == nullptr || target == nullptr)
        return 0;
    if (!inRange(attacker->x, attacker->y, target->x, target->y, 2)) {
        creature_message(attacker, "It is too far away to attack right now.");
        return 0;
    }
    announce(attacker, target, "You attack", "attacks you.");
    // The messages may have waited on "More..." while map generation swept
    // either side away: a blow from or at a creature gone from the world
    // does not land.
    if (retired(attacker) || retired(target))
        return 1;
    int dam = creature_getDam(attacker);
    // The time is charged before the blow lands: nothing in the blow reads
    // it, and an attacker that is its own target may not outlive the blow.
    attacker->energy = wrapMul(attacker->moveDelay, 2);
    creature_damage(target, dam, attacker);
    return 1;
}

int creature_shoot(Creature *shooter, int tx, int ty) {
    if (shooter == nullptr || !onMap(tx, ty))
        return 0;
    if (!inRange(shooter->x, shooter->y, tx, ty, 20)) {
        creature_message(shooter, "It is too far away to attack right now.");
        return 0;
    }
    if (shooter->arrows <= 0) {
        creature_message(shooter, "You don't have any arrows.");
        return 0;
    }
    shooter->arrows -= 1;
    Creature *target = tileAt(tx, ty).creature;
    if (target == nullptr) {
        // A miss costs no time; the arrow may survive to land near the tile.
        creature_message(shooter, "You shoot into empty space...");
        dropArrows(rnd() % 2, tx, ty);
        return 1;
    }
    announce(shooter, target, "You shoot", "shoots you.");
    // Draw order: the arrow the target keeps, the damage roll, then (inside
    // creature_damage) the defence roll.
    target->arrows = wrapAdd(target->arrows, rnd() % 2);
    int dam = creature_getDam(shooter);
    // Two and a half step times, truncated toward zero: computed wide and
    // wrapped once, so a huge step time does not wrap before the halving.
    // Set before the blow for the same reason as in creature_attack: a
    // shooter aiming at its own tile may die of it.
    shooter->energy = wrapWide(static_cast<long long>(shooter->moveDelay) * 5 / 2);
    creature_damage(target, dam, shooter);
    return 1;
}

} // namespace vell
