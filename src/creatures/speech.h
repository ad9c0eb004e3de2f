#pragma once
// Texts addressed to creatures: shown only when the creature is `player`.

#include "core/logic.h"

namespace vell {

void creature_message(Creature *c, const char *text);
const char *creature_speakVerb();
void creature_sayTo(Creature *speaker, Creature *listener, const char *text);

} // namespace vell
