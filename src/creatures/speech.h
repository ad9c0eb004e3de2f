#pragma once
// Texts addressed to creatures: shown only when the creature is `player`.

#include "core/logic.h"

namespace vell {

// Callers hold the world lock (the text may go to the message lines).
void creature_message(Creature *c, const char *text);
// One of seven verbs of speech, picked by rnd() % 7.
const char *creature_speakVerb();
// The listener is told the speaker's name, a verb and the text; the verb is
// drawn whoever listens. Any null argument: nothing, and no draw.
void creature_sayTo(Creature *speaker, Creature *listener, const char *text);

} // namespace vell
