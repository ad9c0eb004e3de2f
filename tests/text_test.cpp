// The message lines, read back from the line images the way a player sees them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/logic.h"
#include "support/fixture.h"
#include "ui/text.h"

using namespace vell;

using S = std::string;

// The three lines without their trailing blanks, joined by '|'.
static S shown() {
    auto trim = [](S s) { return s.erase(s.find_last_not_of(' ') + 1); };
    return trim(shownLine(0)) + "|" + trim(shownLine(1)) + "|" + trim(shownLine(2));
}

// Every text goes through addText on this (the window) thread, where
// "More..." adds a hold and goes on at once.
TEST(MessageLines, PiecesJoinAndWordsWrapAsThePlayerReadsThem) {
    const struct {
        std::vector<std::string> texts;
        std::string lines;
        int holds;
    } cases[] = {
        {{"You attack", "Enemy", "."}, "You attack Enemy.||", 0},
        {{"Hello", "\n", "again"}, "Hello|again|", 0},         // no leading space at column 0
        {{S(82, 'x'), "arrows"}, S(82, 'x') + " arrows||", 0}, // ends in column 88
        {{S(83, 'x'), "arrows"}, S(83, 'x') + "|arrows|", 0},  // would end in 89
        {{S(85, 'x'), "don't"}, S(85, 'x') + " don'|t|", 0},
        {{S(87, 'x'), "-12"}, S(87, 'x') + "-|12|", 0},
        {{S(90, 'w'), "b"}, "|" + S(90, 'w') + "| b", 0}, // the joining space wraps
        {{S(100, 'a')}, S(90, 'a') + "|" + S(10, 'a') + "|", 0},
        {{" a\tb"}, "a b||", 0}, // a space at column 0 is dropped, a tab shows as a space
        {{"one\ntwo\nthree\nfour"}, "four||", 1},
        {{"one\ntwo\n" + S(80, 'x') + "Z"}, "Z||", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lines);
        freshWorld();
        for (const std::string &t : c.texts)
            addText(t.c_str());
        EXPECT_EQ(shown(), c.lines);
        EXPECT_EQ(holdCount(), c.holds);
    }
    TexBlock *const display1 = textLine[1];
    addText("___ ,,, ggg");
    clearText(); // every cell blanked whole, the glyphs' lowest rows too
    EXPECT_EQ(shown(), "||");
    textLine[1] = nullptr; // a line image not made (yet): the others are still cleared
    addText("x");
    clearText();
    textLine[1] = display1;
    EXPECT_EQ(shown(), "||");
}
