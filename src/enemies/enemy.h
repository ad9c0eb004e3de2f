#pragma once
// Monsters: generation by level, wandering and marching, Chaos Elementals.
// Callers hold the world lock. Every maker links the monster into the ring
// through creature_new and draws its random numbers in a fixed order, so a
// seeded generator gives the same monster every time.

#include "core/logic.h"

namespace vell {

// With a chance of `chance` in `outOf`, a levelled monster of a level drawn
// evenly from least..greatest; otherwise null. An `outOf` below 1 draws
// nothing and gives null; so does greatest < least (after the chance draw).
// Logic thread (the spawner).
Creature *enemy_rand(int chance, int outOf, int least, int greatest);

// A monster that marches on the player, in the ring but on no tile (x, y stay
// 0 until creature_arrive places it). Gold and arrows scale with `level`,
// everything else with the monster's own level drawn from 1..level. A level
// below 1 is taken as 1. Null when memory is exhausted.
Creature *enemy_leveled(int level);

// A weak wandering monster on tile (x, y), reported with addChange; nothing
// if the tile holds a creature or lies off the map. Window thread.
void randEnemy(int x, int y);

// The same wandering monster on a random free tile, not reported as changed
// (it shows when its tile is next drawn). Gives up, returning null, after 101
// picks in a row that found the tile occupied.
Creature *genRandEnemy();

// Act handlers (logic thread): a random step, the row step drawn first; a
// step towards the player, diagonal until a row or column is shared. Both
// return 1.
int enemy_act(Creature *c);
int enemy_act_toPlayer(Creature *c);

// Bump handler: attacks whatever stands in the way, player or monster.
int enemy_bump(Creature *mover, Creature *other);

// Elementals bred by corruption: a genRandEnemy monster given wide random
// numbers; nothing when genRandEnemy finds no room. Window thread.
void addChaosElemental();
void addSuperiorChaosElemental();

} // namespace vell
