#pragma once
// Movement, bumping and pickup. Callers hold the world lock.

#include "core/logic.h"

namespace vell {

// (0, 0) waits (energy = moveDelay). A step off the map does nothing and
// costs nothing; a step into a creature calls c's bump handler (which sets
// the time if it acts); otherwise c is told what lies on the target tile and
// steps there (energy = moveDelay). Player commands on the window thread,
// monsters on the logic thread.
void creature_move(Creature *c, int dx, int dy);
// "There is nothing to pick up here!" on an empty tile (no time spent), else
// creature_pickupItem on c's own tile.
void creature_pickup(Creature *c);
// Adds the item's worth on (x, y) to c and frees it (kinds 1 to 5; a plain
// item stays). Costs half a moveDelay whatever the kind; nothing on an empty
// tile. A scroll of order spends all of c's gold on uncorrupt.
void creature_pickupItem(Creature *c, int x, int y);

// "pile of", "heap of", "stack of" or "bunch of", at random.
const char *pileOf();

// The value written with "%d" into the calling thread's own buffer, valid
// until that thread's next call: a number formatted on one thread is never
// overwritten by another.
const char *num(int value);

// Handlers that do nothing and spend no time.
int act_null(Creature *c);
int bump_null(Creature *mover, Creature *other);

} // namespace vell
