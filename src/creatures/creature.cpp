#include "creatures/creature.h"

#include <new>

#include "core/random.h"
#include "graphics/map.h"
#include "items/item.h"
#include "player/player.h"
#include "ui/text.h"

namespace vell {

namespace {

// The game ends with the player's record untouched: nothing dropped, no tile
// changed. On the logic thread pause waits for a key; on the window thread it
// only adds a hold, which the shutdown releases.
void playerDeath() {
    addText("You die");
    pause();
    end_game();
}

// A creature's tile, if its position is on the map and the tile holds it. A
// creature that was never placed keeps (0, 0) and must not clear whoever
// stands there.
Tile *ownTile(Creature *c) {
    if (!onMap(c->x, c->y))
        return nullptr;
    Tile &t = tileAt(c->x, c->y);
    return t.creature == c ? &t : nullptr;
}

} // namespace

Creature *creature_new() {
    Creature *c = new (std::nothrow) Creature{};
    if (c == nullptr)
        return nullptr;
    if (player.next == nullptr || player.prev == nullptr) {
        player.next = &player;
        player.prev = &player;
    }
    Creature *last = player.prev;
    c->next = &player;
    c->prev = last;
    last->next = c;
    player.prev = c;
    c->moveDelay = 10000;
    c->level = 1;
    c->health = 1;
    c->damageMin = 1;
    c->damageSpread = 1;
    return c;
}

int creature_emptyCol(int x) {
    if (x < 0 || x >= MAP_W)
        return 0;
    int n = 0;
    for (int y = 0; y < MAP_H; ++y)
        if (tileAt(x, y).creature == nullptr)
            ++n;
    return n;
}

int creature_emptyRow(int y) {
    if (y < 0 || y >= MAP_H)
        return 0;
    int n = 0;
    for (int x = 0; x < MAP_W; ++x)
        if (tileAt(x, y).creature == nullptr)
            ++n;
    return n;
}

namespace {

// Puts c on the r-th free tile of a line (a column when `column`, else a row),
// counting from its lowest column or row, so every free tile is equally
// likely.
void placeOnLine(Creature *c, int line, bool column, int freeTiles) {
    // A full line would mean a draw below 0: refused rather than divided by.
    if (c == nullptr || freeTiles < 1)
        return;
    int r = rnd() % freeTiles;
    const int length = column ? MAP_H : MAP_W;
    for (int i = 0; i < length; ++i) {
        const int x = column ? line : i;
        const int y = column ? i : line;
        Tile &t = tileAt(x, y);
        if (t.creature != nullptr)
            continue;
        if (r-- == 0) {
            t.creature = c;
            c->x = x;
            c->y = y;
            addChange(x, y);
            return;
        }
    }
}

} // namespace

void creature_placeCol(Creature *c, int x) { placeOnLine(c, x, true, creature_emptyCol(x)); }

void creature_placeRow(Creature *c, int y) { placeOnLine(c, y, false, creature_emptyRow(y)); }

void creature_arrive(Creature *c) {
    if (c == nullptr)
        return;
    // The side flag comes first, the axis second: a seed reproduces both.
    int side = rnd() & 1;
    int axis = rnd() % 2;
    if (axis == 0) {
        for (int i = 0; i < MAP_W; ++i) {
            int x = side ? i : MAP_W - 1 - i;
            if (creature_emptyCol(x) >= 1) {
                creature_placeCol(c, x);
                return;
            }
        }
    } else {
        for (int i = 0; i < MAP_H; ++i) {
            int y = side ? i : MAP_H - 1 - i;
            if (creature_emptyRow(y) >= 1) {
                creature_placeRow(c, y);
                return;
            }
        }
    }
    // No room on the whole axis: a creature left in the ring would act from
    // a tile that does not hold it, so it goes.
    if (c != &player) {
        ring_unlink(c);
        retire(c);
    }
}

void creature_remove(Creature *c) {
    if (c == nullptr)
        return;
    if (c == &player) {
        playerDeath();
        return;
    }
    // Not reported: map generation redraws every tile itself.
    if (Tile *t = ownTile(c))
        t->creature = nullptr;
    ring_unlink(c);
    retire(c);
}

void creature_die(Creature *c, Creature *killer) {
    if (c == nullptr)
        return;
    if (c == &player) {
        playerDeath();
        return;
    }
    addText(c->name);
    addText("dies.");
    // Either message may have waited on "More...", and map generation may
    // have taken c off the map meanwhile: then it is gone, and its death
    // with it (no stain, no drops on the new map).
    if (retired(c))
        return;
    if (killer == &player) {
        // A level below 1 would divide by zero; it counts as level 1, where
        // every kill advances.
        int lvl = player.level < 1 ? 1 : player.level;
        if (rnd() % lvl == 0)
            player_levelup();
    }
    int x = c->x, y = c->y;
    if (onMap(x, y)) {
        Tile &t = tileAt(x, y);
        if (t.creature == c)
            t.creature = nullptr;
        // Three tests, each with its own draw, in this order; the bounds keep
        // every byte within 0..255.
        if (t.r < 240)
            t.r = static_cast<unsigned char>(t.r + rnd() % 15);
        if (t.g > 20)
            t.g = static_cast<unsigned char>(t.g - rnd() % 15);
        if (t.b > 20)
            t.b = static_cast<unsigned char>(t.b - rnd() % 15);
        tileChanged(x, y);
    }
    // Items first, then gold, then arrows: the order decides who gets the
    // nearest tile without an item.
    while (c->level >= 1) {
        if (Item *it = item_rand(3, 5, 1, c->level))
            dropNear(it, x, y);
        c->level -= 5;
    }
    dropGold(c->gold, x, y);
    dropArrows(c->arrows, x, y);
    ring_unlink(c);
    retire(c);
}

} // namespace vell
