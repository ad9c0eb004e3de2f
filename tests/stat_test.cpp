// The status rows, read back from the status image.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/logic.h"
#include "core/random.h"
#include "graphics/glseam.h"
#include "platform/font.h"
#include "support/fixture.h"
#include "ui/stat.h"

using namespace vell;

namespace {

std::string row(const std::string &text) {
    return text + std::string(90 - text.size(), ' ');
}

const std::string upper7 = "Health: 7 Magic: 0  Arrows: 0";
const std::string lowerFresh = "Gold: 0  Level: 1  Damage: 1-2  Defense: 0-0 ";

class StatusLines : public ::testing::Test {
  protected:
    void SetUp() override {
        freshWorld(1);
        player.health = 7;
        player.level = 1;
        player.damageMin = 1;
        player.damageSpread = 1;
    }
    void TearDown() override { world_reset(); }
};

// Whether a cell of the status image is solid white (what any redraw leaves
// once every glyph of the text sheet is solid white).
bool cellWhite(int r, int column) {
    const int y = r == 0 ? 12 : 0;
    for (int dy = 0; dy < 12; ++dy)
        for (int dx = 0; dx < 8; ++dx) {
            const unsigned char *p =
                vell::stat->pixels +
                (static_cast<std::size_t>(y + dy) * vell::stat->tw + column * 8 + dx) * 4;
            if (p[0] != 255 || p[1] != 255 || p[2] != 255)
                return false;
        }
    return true;
}

void paintCellBlack(int r, int column) {
    const int y = r == 0 ? 12 : 0;
    for (int dy = 0; dy < 12; ++dy)
        for (int dx = 0; dx < 8; ++dx) {
            unsigned char *p =
                vell::stat->pixels +
                (static_cast<std::size_t>(y + dy) * vell::stat->tw + column * 8 + dx) * 4;
            p[0] = p[1] = p[2] = 0;
            p[3] = 255;
        }
}

} // namespace

TEST_F(StatusLines, UpperRowHasItsPiecesWithArrowsInColumn19And15SpacesAfter) {
    updateStat();
    EXPECT_EQ(shownStatRow(0), row(upper7));
    EXPECT_EQ(shownStatRow(0).substr(19, 9), " Arrows: ");
    // The image cannot tell a drawn space from an untouched cell; the record can.
    for (int c = 29; c < 44; ++c)
        EXPECT_EQ(statText[0][c], ' ') << "column " << c;
    EXPECT_EQ(statText[0][44], '\0');
}

TEST_F(StatusLines, LowerRowForAFreshPlayerEndsWithOneSpace) {
    updateStat();
    EXPECT_EQ(shownStatRow(1), row(lowerFresh));
    EXPECT_EQ(statText[1][44], ' ');
    EXPECT_EQ(statText[1][45], '\0');
}

TEST_F(StatusLines, ShorterHealthShiftsTheRowAndASpaceCoversTheOldLastCharacter) {
    player.health = 10;
    updateStat();
    EXPECT_EQ(shownStatRow(0), row("Health: 10 Magic: 0  Arrows: 0"));
    player.health = 9;
    updateStat();
    EXPECT_EQ(shownStatRow(0), row("Health: 9 Magic: 0  Arrows: 0"));
    EXPECT_EQ(statText[0][29], ' ');
}

TEST_F(StatusLines, NegativeNumbersShowTheirMinusSign) {
    player.magic = -5;
    player.gold = -3;
    player.damageMin = -2;
    player.damageSpread = 1;
    player.defenseMin = -4;
    player.defenseSpread = 0;
    updateStat();
    EXPECT_EQ(shownStatRow(0), row("Health: 7 Magic: -5  Arrows: 0"));
    EXPECT_EQ(shownStatRow(1), row("Gold: -3  Level: 1  Damage: -2--1  Defense: -4--4 "));
}

TEST_F(StatusLines, LeftoversOfAShrunkLowerRowStayVisible) {
    player.gold = 100;
    updateStat();
    player.gold = 5;
    updateStat();
    // Two columns shorter; only one trailing space is written, so the old
    // row's "0" (and its blank) are still there.
    EXPECT_EQ(shownStatRow(1), row("Gold: 5  Level: 1  Damage: 1-2  Defense: 0-0 0"));
}

TEST_F(StatusLines, CharactersBeyondColumn89AreDropped) {
    updateStat();
    EXPECT_EQ(addStatChars("XYZ", 88, 0), 91);
    EXPECT_EQ(statText[0][88], 'X');
    EXPECT_EQ(statText[0][89], 'Y');
    // Column 90 of the upper row must not spill into column 0 of the lower.
    EXPECT_EQ(statText[1][0], 'G');
    EXPECT_EQ(shownStatRow(1), row(lowerFresh));
    EXPECT_EQ(shownStatRow(0).substr(88), "XY");

    EXPECT_EQ(addStatChars("AB", -1, 1), 1);
    EXPECT_EQ(statText[1][0], 'B');
}

TEST_F(StatusLines, RowsLongerThan90ColumnsAreCutAtTheEdge) {
    player.gold = INT_MIN;
    player.level = INT_MIN;
    player.damageMin = INT_MIN;
    player.damageSpread = -1; // greatest roll wraps to INT_MAX
    player.defenseMin = INT_MIN;
    player.defenseSpread = 0;
    updateStat();
    const std::string full = "Gold: -2147483648  Level: -2147483648  Damage: -2147483648-2147483647"
                             "  Defense: -2147483648--2147483648 ";
    ASSERT_GT(full.size(), 90u);
    EXPECT_EQ(shownStatRow(1), full.substr(0, 90));
}

TEST_F(StatusLines, OnlyUnchangedCellsDrawARandomNumber) {
    updateStat();         // every cell is new: no draw at all
    EXPECT_EQ(rnd(), 41); // the first number after seed 1

    std::vector<int> expect;
    srnd(99);
    for (int i = 0; i < 90; ++i)
        expect.push_back(rnd());

    srnd(99);
    updateStat(); // 44 + 45 unchanged cells
    EXPECT_EQ(rnd(), expect[89]);

    srnd(99);
    player.health = 8; // one changed cell, which draws nothing
    updateStat();
    EXPECT_EQ(rnd(), expect[88]);
}

TEST_F(StatusLines, UnchangedCellsAreRedrawnOnceInAHundredDrawsInRowOrder) {
    updateStat();
    // From here on every redraw paints its cell solid white, so the image
    // shows exactly which cells were drawn.
    std::memset(fontTex->pixels, 255, static_cast<std::size_t>(fontTex->tw) * fontTex->th * 4);

    std::vector<std::pair<int, int>> cells; // in drawing order
    const std::string upper = upper7 + std::string(15, ' ');
    for (int c = 0; c < static_cast<int>(upper.size()); ++c)
        cells.push_back({0, c});
    for (int c = 0; c < static_cast<int>(lowerFresh.size()); ++c)
        cells.push_back({1, c});
    ASSERT_EQ(cells.size(), 89u);

    constexpr int frames = 400;
    srnd(4242);
    std::vector<int> draws;
    for (int i = 0; i < frames * 89; ++i)
        draws.push_back(rnd());
    srnd(4242);

    int redrawn = 0;
    int mismatches = 0;
    for (int f = 0; f < frames; ++f) {
        updateStat();
        for (int i = 0; i < 89; ++i) {
            const auto [r, c] = cells[i];
            const bool expected = draws[f * 89 + i] % 100 == 0;
            const bool white = cellWhite(r, c);
            if (white != expected)
                ++mismatches;
            if (white) {
                ++redrawn;
                paintCellBlack(r, c);
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    // 0.89 cells a frame: 356 expected, a standard deviation near 19.
    EXPECT_GT(redrawn, 280);
    EXPECT_LT(redrawn, 440);
    // No other cell of either row was touched.
    for (int c = 44; c < 90; ++c)
        EXPECT_FALSE(cellWhite(0, c));
}

TEST_F(StatusLines, ImageIsDrawnAtTheBottomOfTheWindow) {
    recordingGl().clear();
    drawStat();
    ASSERT_EQ(recordingGl().quads.size(), 1u);
    const auto &q = recordingGl().quads[0];
    EXPECT_EQ(q.texture, vell::stat->texture);
    EXPECT_EQ(q.xy[0], 0.0f);
    EXPECT_EQ(q.xy[1], 0.0f);
    EXPECT_EQ(q.xy[3], 24.0f);
    EXPECT_EQ(q.xy[4], 720.0f);
}
