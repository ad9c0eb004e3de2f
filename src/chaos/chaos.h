#pragma once
// The twelve chaos effects and the chaos damage they share.
//
// Window thread, inside a player command, world lock held. Each effect takes
// the caster first and returns 1 when cast, 0 when refused for want of magic;
// a refusal tells the caster "You don't have enough magic." and changes
// nothing (no energy spent, so the player is asked again at once). Drain is
// never refused. Magic, energy and stat changes wrap as 32-bit integers.
// Gains bounded by the level (heal, barrier, fury) gain 0 and draw nothing when
// the bound is below 1 (a level of 0 or less). A null caster casts nothing. The caster must not be
// freed by its own effect: only `player` casts, and the player is never freed.

#include "core/logic.h"

namespace vell {

// Wounds the creature on tile (x, y) and scrambles the tile. The caster on
// its own tile is hit 1 time in 20, anyone else always; a hit is
// creature_damage(target, defenseMin + a random number below `bound`,
// caster). A bound below 1 gives no random part (the hit is exactly the
// target's defenseMin). Off the map: nothing at all.
void chaos_damage(Creature *caster, int x, int y, int bound);

// dx, dy each -1, 0 or 1 (0, 0 strikes the caster's own tile).
int chaos_bolt(Creature *caster, int dx, int dy);
// Starts a new map and corrupts at once, beside the running generation.
int chaos_flee(Creature *caster);
int chaos_drain(Creature *caster);
int chaos_ascension(Creature *caster);
int chaos_blast(Creature *caster, int dx, int dy);
int chaos_speed(Creature *caster);
int chaos_heal(Creature *caster);
int chaos_barrier(Creature *caster);
int chaos_fury(Creature *caster);
// The sweeps visit rows 0..39 (outer) and columns 0..89 (inner) after their
// corruption, so elementals it calls up can be caught.
int chaos_gather(Creature *caster);
int chaos_death(Creature *caster);
int chaos_confusion(Creature *caster);

} // namespace vell
