#include "core/random.h"
#include "player/player.h"
#include "ui/text.h"

namespace vell {

// No experience and no maximum health: the gains are simply added, six draws
// in a fixed order, and the stats wrap rather than overflow.
void player_levelup() {
    player.damageMin = wrapAdd(player.damageMin, rnd() % 5);
    player.damageSpread = wrapAdd(player.damageSpread, rnd() % 5);
    player.defenseMin = wrapAdd(player.defenseMin, rnd() % 5);
    player.defenseSpread = wrapAdd(player.defenseSpread, rnd() % 5);
    player.health = wrapAdd(player.health, rnd() % 10);
    player.level = wrapAdd(player.level, 1);
    addText("You advance a level!");
}

} // namespace vell
