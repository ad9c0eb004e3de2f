#include "enemies/enemy.h"

#include "core/random.h"
#include "creatures/combat.h"
#include "creatures/creature.h"
#include "creatures/move.h"
#include "graphics/map.h"

namespace vell {

namespace {

constexpr unsigned char ENEMY_GLYPH = 2;
constexpr unsigned char ELEMENTAL_GLYPH = 99;          // 'c'
constexpr unsigned char SUPERIOR_ELEMENTAL_GLYPH = 67; // 'C'
constexpr int GEN_TRIES = 101;

// A random number below n for a bound that may exceed the int range (five
// times a large level). The generator never yields more than 32767, so the
// result always fits.
int below(long long n) {
    return static_cast<int>(rnd() % n);
}

// The looks and pace of a wandering monster; draws r, g, b, speed, energy.
void makeWanderer(Creature *c) {
    c->name = "Enemy";
    c->act = enemy_act;
    c->bump = enemy_bump;
    c->glyph = ENEMY_GLYPH;
    c->r = static_cast<unsigned char>(100 + rnd() % 150);
    c->g = static_cast<unsigned char>(100 + rnd() % 150);
    c->b = static_cast<unsigned char>(100 + rnd() % 150);
    c->speed = 800 + rnd() % 200;
    c->energy = rnd() % 10000;
}

void putOn(Creature *c, int x, int y) {
    tileAt(x, y).creature = c;
    c->x = x;
    c->y = y;
}

int stepToward(int from, int to) {
    return from == to ? 0 : (from > to ? -1 : 1);
}

// The fields an elemental overwrites, in the order they are drawn.
struct ElementalKind {
    const char *name;
    unsigned char glyph;
    int speedSpread;
    int statSpread; // gold, level and the four combat numbers
    int healthSpread;
};

void addElemental(const ElementalKind &kind) {
    Creature *c = genRandEnemy();
    if (c == nullptr)
        return;
    c->name = kind.name;
    c->speed = 1000 + rnd() % kind.speedSpread;
    c->glyph = kind.glyph;
    c->r = static_cast<unsigned char>(rnd() % 256);
    c->g = static_cast<unsigned char>(rnd() % 256);
    c->b = static_cast<unsigned char>(rnd() % 256);
    c->gold = rnd() % kind.statSpread;
    c->level = rnd() % kind.statSpread;
    c->health = rnd() % kind.healthSpread;
    c->defenseMin = rnd() % kind.statSpread;
    c->defenseSpread = rnd() % kind.statSpread;
    c->damageMin = rnd() % kind.statSpread;
    c->damageSpread = rnd() % kind.statSpread;
}

} // namespace

Creature *enemy_rand(int chance, int outOf, int least, int greatest) {
    int level = 0;
    return rollLevel(chance, outOf, least, greatest, level) ? enemy_leveled(level) : nullptr;
}

Creature *enemy_leveled(int level) {
    // A level below 1 would make the gold and level draws divide by zero.
    const long long L = level < 1 ? 1 : level;
    Creature *c = creature_new();
    if (c == nullptr)
        return nullptr;
    c->name = "Enemy";
    c->glyph = ENEMY_GLYPH;
    c->bump = enemy_bump;
    c->act = enemy_act_toPlayer;
    c->gold = below(5 * L);
    c->arrows = 0;
    if (rnd() % 3 == 0)
        c->arrows = below(2 * L);
    c->r = static_cast<unsigned char>(100 + rnd() % 150);
    c->g = static_cast<unsigned char>(100 + rnd() % 150);
    c->b = static_cast<unsigned char>(100 + rnd() % 150);
    c->level = static_cast<int>(1 + rnd() % L);
    const long long own = c->level;
    c->speed = 800 + rnd() % 200;
    c->speed += below(5 * own);
    // The combat numbers grow from creature_new's health 1, damage 1 + 1 and
    // defence 0 + 0, so a level 1 monster has 1 or 2 health.
    c->health += below(2 * own);
    c->damageMin += below(5 * own);
    c->damageSpread += below(own);
    c->defenseMin += below(5 * own);
    c->defenseSpread += below(own);
    c->energy = rnd() % 10000;
    return c;
}

void randEnemy(int x, int y) {
    if (!onMap(x, y) || tileAt(x, y).creature != nullptr)
        return;
    Creature *c = creature_new();
    if (c == nullptr)
        return;
    makeWanderer(c);
    putOn(c, x, y);
    addChange(x, y);
}

Creature *genRandEnemy() {
    for (int occupied = 0; occupied < GEN_TRIES; ++occupied) {
        int x = rnd() % MAP_W;
        int y = rnd() % MAP_H;
        if (tileAt(x, y).creature != nullptr)
            continue;
        Creature *c = creature_new();
        if (c == nullptr)
            return nullptr;
        makeWanderer(c);
        putOn(c, x, y);
        return c;
    }
    return nullptr;
}

int enemy_act(Creature *c) {
    // The row step is drawn before the column step.
    int dy = rnd() % 3 - 1;
    int dx = rnd() % 3 - 1;
    creature_move(c, dx, dy);
    return 1;
}

int enemy_act_toPlayer(Creature *c) {
    int dy = stepToward(c->y, player.y);
    int dx = stepToward(c->x, player.x);
    creature_move(c, dx, dy);
    return 1;
}

int enemy_bump(Creature *mover, Creature *other) {
    return creature_attack(mover, other);
}

void addChaosElemental() {
    addElemental({"Chaos Elemental", ELEMENTAL_GLYPH, 2000, 200, 2000});
}

void addSuperiorChaosElemental() {
    addElemental({"Superior Chaos Elemental", SUPERIOR_ELEMENTAL_GLYPH, 5000, 2000, 20000});
}

} // namespace vell
