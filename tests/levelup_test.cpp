// Level advancement: six gains in a fixed order, then the message.
#include <gtest/gtest.h>

#include <climits>

#include "core/random.h"
#include "player/player.h"
#include "support/fixture.h"

using namespace vell;

TEST(LevelUp, SixGainsInOrderThenTheMessage) {
    for (unsigned s = 1; s < 40; ++s) {
        freshWorld();
        player.level = 1, player.health = 10, player.damageMin = player.damageSpread = 1;
        srnd(s);
        int g[5] = {rnd() % 5, rnd() % 5, rnd() % 5, rnd() % 5, rnd() % 10};
        srnd(s);
        player_levelup();
        EXPECT_TRUE(player.damageMin == 1 + g[0] && player.damageSpread == 1 + g[1]);
        EXPECT_TRUE(player.defenseMin == g[2] && player.defenseSpread == g[3]);
        EXPECT_TRUE(player.health == 10 + g[4] && player.level == 2);
        EXPECT_EQ(shownLine(0).substr(0, 21), "You advance a level! ");
    }
    player.level = player.health = player.damageMin = INT_MAX;
    player_levelup();
    EXPECT_EQ(player.level, INT_MIN); // stats wrap, never overflow
}
