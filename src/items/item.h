#pragma once
// Items: kinds, levelled random items, drops on the nearest free tile.
// Callers hold the world lock.

#include "core/logic.h"

namespace vell {

Item *item_new();
Item *item_leveled(int level);
Item *item_rand(int chance, int outOf, int lowest, int highest);
int itemSpace(int x, int y, int r);
void dropInItemSpace(Item *item, int x, int y, int r);
// Puts the item on the nearest tile without one, up to radius 19; an item
// that finds no room is freed.
void dropNear(Item *item, int x, int y);
void dropGold(int amount, int x, int y);
void dropArrows(int amount, int x, int y);

} // namespace vell
