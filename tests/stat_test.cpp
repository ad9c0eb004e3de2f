// The status rows, read back from the status image.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "core/logic.h"
#include "support/fixture.h"
#include "ui/stat.h"

using namespace vell;

// Each step changes one number of the player and reads one row back.
TEST(StatusLines, RowsFollowThePlayerKeepWhatAShorterLowerRowLeaves) {
    const std::tuple<int Creature::*, int, int, std::string> steps[] = {
        {&Creature::health, 7, 0, "Health: 7 Magic: 0  Arrows: 0"},
        {&Creature::health, 7, 1, "Gold: 0  Level: 1  Damage: 1-2  Defense: 0-0 "},
        {&Creature::health, 10, 0, "Health: 10 Magic: 0  Arrows: 0"},
        {&Creature::health, 9, 0, "Health: 9 Magic: 0  Arrows: 0"}, // the blank tail covers "0"
        {&Creature::gold, 100, 1, "Gold: 100  Level: 1  Damage: 1-2  Defense: 0-0 "},
        {&Creature::gold, 5, 1, "Gold: 5  Level: 1  Damage: 1-2  Defense: 0-0 0"}, // no tail here
        {&Creature::magic, -5, 0, "Health: 9 Magic: -5  Arrows: 0"},
        {&Creature::damageMin, -2, 1, "Gold: 5  Level: 1  Damage: -2--1  Defense: 0-0 "},
    };
    freshWorld();
    player.level = player.damageMin = player.damageSpread = 1;
    for (const auto &[field, value, row, shown] : steps) {
        player.*field = value;
        updateStat();
        EXPECT_EQ(shownStatRow(row), shown + std::string(90 - shown.size(), ' '));
    }
    EXPECT_EQ(addStatChars("XYZ", 88, 0), 91);
    EXPECT_EQ(shownStatRow(0).substr(88), "XY");
    EXPECT_EQ(statText[1][0], 'G'); // column 90 of the upper row is not column 0 of the lower
}
