#pragma once
// Combat: melee, arrows, damage against a defence roll. Callers hold the
// world lock.

#include "core/logic.h"

namespace vell {

int inRange(int x1, int y1, int x2, int y2, int range);
int creature_getDam(Creature *attacker);
void creature_damage(Creature *victim, int amount, Creature *source);
void creature_noDamage(Creature *victim, Creature *source);
void creature_heal(Creature *c, int amount, Creature *source);
int creature_attack(Creature *attacker, Creature *target);
int creature_shoot(Creature *shooter, int tx, int ty);

} // namespace vell
