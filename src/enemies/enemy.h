#pragma once
// Monsters: generation by level, wandering and marching, Chaos Elementals.
// Callers hold the world lock.

#include "core/logic.h"

namespace vell {

Creature *enemy_rand(int chance, int outOf, int least, int greatest);
Creature *enemy_leveled(int level);
void randEnemy(int x, int y);
Creature *genRandEnemy();

int enemy_act(Creature *c);
int enemy_act_toPlayer(Creature *c);
int enemy_bump(Creature *mover, Creature *other);

void addChaosElemental();
void addSuperiorChaosElemental();

} // namespace vell
