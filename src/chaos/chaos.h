#pragma once
// The twelve chaos effects. Window thread, inside a player command, world
// lock held. Each returns 1 when cast, 0 when refused for want of magic.

#include "core/logic.h"

namespace vell {

void chaos_damage(Creature *caster, int x, int y, int bound);

int chaos_bolt(Creature *caster, int dx, int dy);
int chaos_flee(Creature *caster);
int chaos_drain(Creature *caster);
int chaos_ascension(Creature *caster);
int chaos_blast(Creature *caster, int dx, int dy);
int chaos_speed(Creature *caster);
int chaos_heal(Creature *caster);
int chaos_barrier(Creature *caster);
int chaos_fury(Creature *caster);
int chaos_gather(Creature *caster);
int chaos_death(Creature *caster);
int chaos_confusion(Creature *caster);

} // namespace vell
