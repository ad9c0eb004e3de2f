#pragma once
// Creatures: making them and linking them into the ring, arrival at an edge
// of the map, removal, death. Callers hold the world lock.

#include "core/logic.h"

namespace vell {

// A zero-filled creature with the defaults (moveDelay 10000, level 1,
// health 1, damage 1 + 1), linked just before `player`; null when memory is
// exhausted.
Creature *creature_new();

int creature_emptyCol(int x); // free tiles in column x
int creature_emptyRow(int y); // free tiles in row y

// Put c on a random free tile of the line; the line must have one.
void creature_placeCol(Creature *c, int x);
void creature_placeRow(Creature *c, int y);

// Puts c on a free tile in the line nearest a random edge. Null is ignored.
// A creature for which no line has room is unlinked and retired: it must not
// act from a tile that does not hold it.
void creature_arrive(Creature *c);

// Takes a monster off the map and out of the ring and retires it (map
// generation); the player's death when given `player`.
void creature_remove(Creature *c);

// Death of c at the hand of killer: message, the killer's chance of a level,
// stain, drops, unlink, retire. The player's death when c is `player`. A
// death whose messages waited on "More..." while c was taken out of the
// world ends there.
void creature_die(Creature *c, Creature *killer);

} // namespace vell
