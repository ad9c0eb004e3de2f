#pragma once
// Combat: melee, arrows, damage against a defence roll. Callers hold the
// world lock.

#include "core/logic.h"

namespace vell {

// 1 if the squared distance is at most range squared (reach is a disc).
int inRange(int x1, int y1, int x2, int y2, int range);
// damageMin plus a random number below damageSpread + 1. A spread below 0
// adds nothing and draws nothing (there is no number below 0). The same rule
// holds for the defence roll.
int creature_getDam(Creature *attacker);
// Defence roll first; a negative amount changes nothing; an amount below the
// roll does no harm; otherwise health drops by amount - roll and a victim
// left at 0 or less dies at the source's hand. The victim may be freed.
void creature_damage(Creature *victim, int amount, Creature *source);
void creature_noDamage(Creature *victim, Creature *source);
void creature_heal(Creature *c, int amount, Creature *source); // no effect
// Melee within range 2: 1 and energy = 2 x moveDelay when made, 0 and no
// time spent when refused.
int creature_attack(Creature *attacker, Creature *target);
// An arrow at tile (tx, ty) within range 20. A target tile off the map is
// refused silently. A shot into empty space costs no time and may leave its
// arrow near the tile; a hit costs 2.5 x moveDelay. 1 if an arrow flew.
int creature_shoot(Creature *shooter, int tx, int ty);

} // namespace vell
