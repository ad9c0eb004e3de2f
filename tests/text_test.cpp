// The message lines and the status rows, read back from their images the way a
// player sees them.

#include "support/fixture.h"

using S = std::string;

// The three lines joined by '|'.
static S shown() {
    return shownLine(0) + "|" + shownLine(1) + "|" + shownLine(2);
}

// Every text goes through addText on this (the window) thread, where
// "More..." adds a hold and goes on at once.
TEST(MessageLines, PiecesJoinAndWordsWrapAsThePlayerReadsThem) {
    const std::tuple<std::vector<S>, S, int> cases[] = {
        {{"You attack", "Enemy", "."}, "You attack Enemy.||", 0},
        {{"Hello", "\n", "again"}, "Hello|again|", 0},         // no leading space at column 0
        {{S(82, 'x'), "arrows"}, S(82, 'x') + " arrows||", 0}, // ends in column 88
        {{S(83, 'x'), "arrows"}, S(83, 'x') + "|arrows|", 0},  // would end in 89
        {{S(85, 'x'), "don't"}, S(85, 'x') + " don'|t|", 0},
        {{S(87, 'x'), "-12"}, S(87, 'x') + "-|12|", 0},
        {{S(90, 'w'), "b"}, "|" + S(90, 'w') + "| b", 0}, // the joining space wraps
        {{S(91, 'a')}, S(90, 'a') + "|a|", 0}, // longer than a line: broken where it stands
        {{" a\tb"}, "a b||", 0}, // a space at column 0 is dropped, a tab shows as a space
        {{"one\ntwo\nthree\nfour"}, "four||", 1},
        {{"one\ntwo\n" + S(80, 'x')}, S(80, 'x') + "||", 1}, // would reach "More...": moved
        {{"one\ntwo\n" + S(80, 'x') + "Z"}, "Z||", 1}};
    for (const auto &[texts, lines, holds] : cases) {
        freshWorld();
        for (const S &t : texts)
            addText(t.c_str());
        EXPECT_TRUE(shown() == lines && holdCount() == holds) << lines;
    }
    addText("___ ,,, ggg");
    // A line image not made (yet): the others are still cleared, every cell blanked whole, the
    // glyphs' lowest rows too.
    TexBlock *const display1 = std::exchange(textLine[1], nullptr);
    clearText();
    textLine[1] = display1;
    EXPECT_TRUE(shown() == "||" && addWord("") == 1); // an empty word still moves on
    lineNum = 3;                                      // a position off the lines starts them afresh
    addText("z");
    EXPECT_EQ(shown(), "z||");
    // A cell is blacked out before it is written, with the text sheet's block, corrupted here to be
    // half see-through in its top row: what it leaves shows under a space.
    fontTex->pixels[(24 * 128 + 88) * 4 + 3] = 128, addText("a");
    EXPECT_EQ(+textLine[0]->pixels[35], 191); // column 1's top left pixel
}

// Each step changes one number of the player and reads one row back.
TEST(StatusLines, RowsFollowThePlayerKeepWhatAShorterLowerRowLeaves) {
    const std::tuple<int Creature::*, int, int, std::string> steps[] = {
        {&Creature::health, 7, 0, "Health: 7 Magic: 0  Arrows: 0"},
        {&Creature::health, 7, 1, "Gold: 0  Level: 1  Damage: 1-2  Defense: 0-0"},
        {&Creature::health, 10, 0, "Health: 10 Magic: 0  Arrows: 0"},
        {&Creature::health, 9, 0, "Health: 9 Magic: 0  Arrows: 0"}, // the blank tail covers "0"
        {&Creature::gold, 100, 1, "Gold: 100  Level: 1  Damage: 1-2  Defense: 0-0"},
        {&Creature::gold, 5, 1, "Gold: 5  Level: 1  Damage: 1-2  Defense: 0-0 0"}, // no tail here
        {&Creature::magic, -5, 0, "Health: 9 Magic: -5  Arrows: 0"},
        {&Creature::damageMin, -2, 1, "Gold: 5  Level: 1  Damage: -2--1  Defense: 0-0"}};
    freshWorld();
    player.level = player.damageMin = player.damageSpread = 1;
    for (const auto &[field, value, row, shown] : steps) {
        player.*field = value;
        updateStat();
        EXPECT_EQ(shownStatRow(row), shown);
    }
    EXPECT_TRUE(addStatChars("XYZ", 88, 0) == 91 && addStatChars(nullptr, 7, 0) == 7);
    EXPECT_EQ(shownStatRow(0).substr(88), "XY");
    EXPECT_EQ(statText[1][0], 'G'); // column 90 of the upper row is not column 0 of the lower
    std::fill_n(vell::stat->pixels, vell::stat->tw * vell::stat->th * 4, 0);
    srnd(19); // draws 100 first: the one redraw in a hundred of an unchanged cell
    addStatChar('H', 0, 0);
    EXPECT_EQ(shownStatRow(0)[0], 'H');
}
