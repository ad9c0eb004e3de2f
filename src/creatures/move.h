#pragma once
// Movement, bumping and pickup. Callers hold the world lock.

#include "core/logic.h"

namespace vell {

void creature_move(Creature *c, int dx, int dy);
void creature_pickup(Creature *c);
void creature_pickupItem(Creature *c, int x, int y);

// "pile of", "heap of", "stack of" or "bunch of", at random.
const char *pileOf();

// The value written with "%d" into the calling thread's own buffer, valid
// until that thread's next call: a number formatted on one thread is never
// overwritten by another.
const char *num(int value);

int act_null(Creature *c);
int bump_null(Creature *mover, Creature *other);

} // namespace vell
