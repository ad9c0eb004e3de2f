// Level advancement: six gains in a fixed order, then the message.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/logic.h"
#include "core/random.h"
#include "player/player.h"
#include "support/fixture.h"

using namespace vell;

TEST(LevelUp, SixGainsInOrderThenTheMessage) {
    for (unsigned s = 1; s < 40; ++s) {
        freshWorld();
        player.level = 1, player.health = 10, player.damageMin = 1, player.damageSpread = 1;
        srnd(s);
        int g[5] = {rnd() % 5, rnd() % 5, rnd() % 5, rnd() % 5, rnd() % 10};
        srnd(s);
        player_levelup();
        EXPECT_EQ(player.damageMin, 1 + g[0]);
        EXPECT_EQ(player.damageSpread, 1 + g[1]);
        EXPECT_EQ(player.defenseMin, g[2]);
        EXPECT_EQ(player.defenseSpread, g[3]);
        EXPECT_EQ(player.health, 10 + g[4]);
        EXPECT_EQ(player.level, 2);
        std::string line = shownLine(0);
        EXPECT_EQ(line.substr(0, 21), "You advance a level! ");
    }
}

TEST(LevelUp, StatsAtTheirLimitWrap) {
    freshWorld();
    player.level = INT_MAX;
    player.damageMin = player.damageSpread = player.defenseMin = player.defenseSpread = INT_MAX;
    player.health = INT_MAX;
    player_levelup();
    EXPECT_EQ(player.level, INT_MIN);
}
