// Texts addressed to creatures, as the player reads them.

#include <gtest/gtest.h>

#include <string>

#include "creatures/speech.h"
#include "support/fixture.h"

using namespace vell;

TEST(Speech, OnlyThePlayerHearsAndTheVerbIsDrawnWhoeverListens) {
    freshWorld(1); // draws 41, 18467: verbs "hollers", "says"
    Creature enemy{}, other{};
    enemy.name = "Enemy";
    creature_message(&enemy, "You hit it.");
    creature_sayTo(nullptr, &player, "boo"); // a null argument: nothing, and no draw
    creature_sayTo(&enemy, nullptr, "boo");
    creature_sayTo(&enemy, &player, nullptr);
    creature_sayTo(&enemy, &other, "Psst."); // unheard, but takes "hollers"
    creature_message(&player, "You");
    creature_message(&player, nullptr); // not even a joining space
    creature_sayTo(&enemy, &player, "Die!");
    EXPECT_EQ(shownLine(0), "You Enemy says Die!" + std::string(71, ' '));
}
