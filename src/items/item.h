#pragma once
// Items: kinds, levelled random items, drops on the nearest free tile.
// Callers hold the world lock.

#include "core/logic.h"

namespace vell {

// A plain item ("item", glyph '?', amount 1); null when memory is exhausted.
Item *item_new();
// An item of the level (levels above 2 make level 2 items). One in 100 is a
// scroll of order; below level 1 the rest are plain items.
Item *item_leveled(int level);
// With a chance of chance in outOf, an item of a level drawn evenly from
// lowest to highest; otherwise null (outOf below 1 draws nothing).
Item *item_rand(int chance, int outOf, int lowest, int highest);
// The square within r of (x, y), cut to the map, is walked from its lowest
// row upward and each row from its lowest column rightward; the first tile
// without an item answers 1 / receives the item (reported with tileChanged).
int itemSpace(int x, int y, int r);
void dropInItemSpace(Item *item, int x, int y, int r);
// Puts the item on the nearest tile without one, up to radius 19; an item
// that finds no room is freed.
void dropNear(Item *item, int x, int y);
// Gold or arrows of that amount near (x, y); an amount of 0 or less drops
// nothing.
void dropGold(int amount, int x, int y);
void dropArrows(int amount, int x, int y);

} // namespace vell
