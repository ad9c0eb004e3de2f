#include "creatures/move.h"

#include <cstdio>

#include "chaos/order.h"
#include "core/random.h"
#include "creatures/speech.h"
#include "graphics/map.h"

namespace vell {

namespace {

// The status lines format numbers on the window thread every frame while a
// monster's look may format one on the logic thread: each thread writes its
// own buffer, so a text is never overwritten before its caller has copied it.
thread_local char numbuf[16];

// What c sees on an item's tile. The pieces are made for every mover (the
// word group draws and num formats even for a monster), so a seed gives the
// same sequence whoever moves; only the player is shown them.
void look(Creature *c, const Item *it) {
    if (it->amount > 1) {
        if (it->flags & 2) {
            creature_message(c, "You see a");
            creature_message(c, pileOf());
        } else {
            creature_message(c, "You see");
        }
        creature_message(c, num(it->amount));
        creature_message(c, it->plural);
    } else {
        creature_message(c, (it->flags & 1) ? "You see an" : "You see a");
        creature_message(c, it->name);
    }
    creature_message(c, "here");
}

} // namespace

const char *num(int value) {
    std::snprintf(numbuf, sizeof numbuf, "%d", value);
    return numbuf;
}

const char *pileOf() {
    static const char *const words[4] = {"pile of", "heap of", "stack of", "bunch of"};
    return words[rnd() % 4];
}

int act_null(Creature *) {
    return 0;
}

int bump_null(Creature *, Creature *) {
    return 0;
}

void creature_move(Creature *c, int dx, int dy) {
    if (c == nullptr)
        return;
    if (dx == 0 && dy == 0) {
        c->energy = c->moveDelay;
        return;
    }
    long long tx = static_cast<long long>(c->x) + dx;
    long long ty = static_cast<long long>(c->y) + dy;
    if (tx < 0 || tx > MAP_W - 1 || ty < 0 || ty > MAP_H - 1)
        return;
    int nx = static_cast<int>(tx), ny = static_cast<int>(ty);
    Tile &target = tileAt(nx, ny);
    if (target.creature != nullptr) {
        // The bump handler spends the time when it acts; a refused bump, or
        // none at all, costs nothing.
        if (c->bump != nullptr)
            c->bump(c, target.creature);
        return;
    }
    if (target.item != nullptr)
        look(c, target.item);
    if (onMap(c->x, c->y)) {
        Tile &old = tileAt(c->x, c->y);
        if (old.creature == c)
            old.creature = nullptr;
        tileChanged(c->x, c->y);
    }
    c->x = nx;
    c->y = ny;
    target.creature = c;
    tileChanged(nx, ny);
    c->energy = c->moveDelay;
}

void creature_pickup(Creature *c) {
    if (c == nullptr)
        return;
    if (!onMap(c->x, c->y) || tileAt(c->x, c->y).item == nullptr) {
        creature_message(c, "There is nothing to pick up here!");
        return;
    }
    creature_pickupItem(c, c->x, c->y);
}

void creature_pickupItem(Creature *c, int x, int y) {
    if (c == nullptr || !onMap(x, y))
        return;
    Tile &t = tileAt(x, y);
    Item *it = t.item;
    if (it == nullptr)
        return;
    bool consumed = true;
    switch (it->kind) {
    case 1:
        c->gold = wrapAdd(c->gold, it->amount);
        break;
    case 2:
        c->arrows = wrapAdd(c->arrows, it->amount);
        break;
    case 3:
        c->magic = wrapAdd(c->magic, it->magic);
        break;
    case 4: {
        // A level below 1 would divide by zero; it counts as level 1.
        int lvl = c->level < 1 ? 1 : c->level;
        c->health = wrapAdd(c->health, wrapMul(it->amount, rnd() % lvl + 1));
        break;
    }
    case 5:
        uncorrupt(c->gold);
        c->gold = 0;
        break;
    default:
        consumed = false;
        break;
    }
    if (consumed) {
        t.item = nullptr;
        retire(it);
    }
    c->energy = c->moveDelay / 2;
}

} // namespace vell
