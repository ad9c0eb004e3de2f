#include "creatures/speech.h"

#include "core/random.h"
#include "ui/text.h"

namespace vell {

void creature_message(Creature *c, const char *text) {
    if (c == &player)
        addText(text);
}

const char *creature_speakVerb() {
    static const char *const verbs[7] = {"mutters", "says",     "grumbles", "grunts",
                                         "wheezes", "chuckles", "hollers"};
    return verbs[rnd() % 7];
}

void creature_sayTo(Creature *speaker, Creature *listener, const char *text) {
    if (speaker == nullptr || listener == nullptr || text == nullptr)
        return;
    creature_message(listener, speaker->name);
    // Drawn whoever listens, so a seeded game does not depend on who it is.
    creature_message(listener, creature_speakVerb());
    creature_message(listener, text);
}

} // namespace vell
