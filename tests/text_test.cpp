// The message lines, read back from the line images the way a player sees
// them.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "core/logic.h"
#include "graphics/glseam.h"
#include "support/fixture.h"
#include "ui/text.h"

using namespace vell;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

template <class Pred> bool waitUntil(Pred pred, std::chrono::milliseconds limit = 10s) {
    const auto end = Clock::now() + limit;
    while (!pred()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(100us);
    }
    return true;
}

// Pads a line's expected text to the 90 cells it reads back as.
std::string line(const std::string &text) {
    return text + std::string(90 - text.size(), ' ');
}
const std::string blank(90, ' ');

class MessageLines : public ::testing::Test {
  protected:
    void SetUp() override { freshWorld(1); }
    void TearDown() override {
        end_game();
        world_reset();
    }
};

} // namespace

TEST_F(MessageLines, PiecesAreJoinedBySpacesAndPunctuationSticks) {
    addText("You attack");
    addText("Enemy");
    addText(".");
    EXPECT_EQ(shownLine(0), line("You attack Enemy."));
    EXPECT_EQ(charNum, 17);
    EXPECT_EQ(shownLine(1), blank);
}

TEST_F(MessageLines, TextAtColumnZeroGetsNoLeadingSpaceAndNullAddsNothing) {
    addText("Hello");
    addText(nullptr);
    addText("there");
    EXPECT_EQ(shownLine(0), line("Hello there"));
    EXPECT_EQ(charNum, 11);

    addChar('\n');
    addText("again");
    EXPECT_EQ(shownLine(1), line("again"));
}

TEST_F(MessageLines, WordEndingInColumn88StaysAndOneEndingIn89Moves) {
    charNum = 83;
    EXPECT_EQ(addWord("arrows"), 6);
    EXPECT_EQ(shownLine(0).substr(83), "arrows ");
    EXPECT_EQ(lineNum, 0);
    EXPECT_EQ(charNum, 89);

    clearText();
    charNum = 84;
    EXPECT_EQ(addWord("arrows"), 6);
    EXPECT_EQ(shownLine(0), blank);
    EXPECT_EQ(shownLine(1), line("arrows"));
    EXPECT_EQ(lineNum, 1);
    EXPECT_EQ(charNum, 6);
}

TEST_F(MessageLines, WordsMoveAtColumn79OnTheThirdLine) {
    lineNum = 2;
    charNum = 73;
    addWord("arrows"); // ends in column 78
    EXPECT_EQ(lineNum, 2);
    EXPECT_EQ(shownLine(2).substr(73, 6), "arrows");
    EXPECT_EQ(holdCount(), 0);

    charNum = 74;
    addWord("arrows"); // would end in 79: the prompt for more comes first
    EXPECT_EQ(holdCount(), 1);
    EXPECT_EQ(shownLine(0), line("arrows"));
    EXPECT_EQ(shownLine(2), blank);
}

TEST_F(MessageLines, ThirdLineHolds80AndThe81stCharacterPromptsForMore) {
    lineNum = 2;
    for (int i = 0; i < 80; ++i)
        addChar('x');
    EXPECT_EQ(shownLine(2), line(std::string(80, 'x')));
    EXPECT_EQ(charNum, 80);
    EXPECT_EQ(holdCount(), 0);

    // On this (the window) thread the prompt does not wait: it adds a hold
    // and clears the lines at once.
    addChar('Z');
    EXPECT_EQ(holdCount(), 1);
    EXPECT_EQ(shownLine(0), line("Z"));
    EXPECT_EQ(shownLine(1), blank);
    EXPECT_EQ(shownLine(2), blank);
    EXPECT_EQ(lineNum, 0);
    EXPECT_EQ(charNum, 1);
}

namespace {
int writesPastTheThirdLine(Creature *c) {
    inputType.store(0);
    lineNum = 2;
    for (int i = 0; i < 80; ++i)
        addChar('x');
    addChar('Z'); // waits here for a key
    c->energy = 10000;
    end_game();
    return 0;
}
} // namespace

TEST_F(MessageLines, MoreOnTheLogicThreadWaitsForAKeyThenStartsAtTheTop) {
    player.speed = 1000;
    player.act = writesPastTheThirdLine;
    std::atomic<bool> done{false};
    std::thread logic([&] {
        startGameLoop();
        done.store(true);
    });
    const bool waiting = waitUntil([] { return holdCount() == 1; });
    EXPECT_TRUE(waiting);
    if (waiting) {
        WorldGuard g; // given up by the waiting logic thread
        EXPECT_EQ(shownLine(2), std::string(80, 'x') + "   More...");
        EXPECT_EQ(inputType.load(), 2);
    }
    EXPECT_EQ(releaseLogic(), waiting ? 1 : 0);
    EXPECT_TRUE(waitUntil([&] {
        releaseLogic();
        return done.load();
    }));
    logic.join();

    EXPECT_EQ(shownLine(0), line("Z"));
    EXPECT_EQ(shownLine(1), blank);
    EXPECT_EQ(shownLine(2), blank);
    EXPECT_EQ(inputType.load(), 0);
}

TEST_F(MessageLines, LineFeedMovesDownAndOnTheThirdLinePromptsForMore) {
    addText("one");
    addChar('\n');
    EXPECT_EQ(lineNum, 1);
    EXPECT_EQ(charNum, 0);
    addText("two");
    addChar('\n');
    addText("three");
    EXPECT_EQ(shownLine(0), line("one"));
    EXPECT_EQ(shownLine(1), line("two"));
    EXPECT_EQ(shownLine(2), line("three"));
    EXPECT_EQ(holdCount(), 0);

    addChar('\n');
    EXPECT_EQ(holdCount(), 1);
    EXPECT_EQ(lineNum, 0);
    EXPECT_EQ(charNum, 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(shownLine(i), blank);
}

TEST_F(MessageLines, ApostropheEndsAWordSoDontCanBreakInside) {
    charNum = 85;
    addText("don't");
    // "don" ends in column 88, the apostrophe fills 89, "t" no longer fits.
    EXPECT_EQ(shownLine(0).substr(85), " don'");
    EXPECT_EQ(shownLine(1), line("t"));
}

TEST_F(MessageLines, NegativeNumberIsAMinusSignThenItsDigitsAsAWord) {
    addText("Gold");
    addText("-12"); // punctuation first: no joining space
    EXPECT_EQ(shownLine(0), line("Gold-12"));

    clearText();
    charNum = 88;
    addText("-12");
    EXPECT_EQ(shownLine(0).substr(88), "- ");
    EXPECT_EQ(shownLine(1), line("12"));
}

TEST_F(MessageLines, NinetyLetterWordMovesToTheNextLineAndFillsItExactly) {
    const std::string word(90, 'w');
    addText(word.c_str());
    EXPECT_EQ(shownLine(0), blank);
    EXPECT_EQ(shownLine(1), word);
    EXPECT_EQ(lineNum, 1);
    EXPECT_EQ(charNum, 90);

    addChar('q'); // the line is full: wraps before drawing
    EXPECT_EQ(shownLine(2), line("q"));
}

TEST_F(MessageLines, WordLongerThanALineBreaksWhereItFalls) {
    const std::string word = std::string(80, 'a') + std::string(20, 'b');
    charNum = 10;
    EXPECT_EQ(addWord(word.c_str()), 100);
    EXPECT_EQ(shownLine(0), std::string(10, ' ') + std::string(80, 'a'));
    EXPECT_EQ(shownLine(1), line(std::string(20, 'b')));
}

TEST_F(MessageLines, SpaceOnAFullLineLandsInColumnZeroOfTheNext) {
    addText(std::string(90, 'a').c_str()); // line 1 full
    addChar(' ');
    EXPECT_EQ(lineNum, 2);
    EXPECT_EQ(charNum, 1);
    addChar('b');
    EXPECT_EQ(shownLine(2), line(" b"));

    clearText();
    addChar(' '); // at column 0 a space is simply dropped
    EXPECT_EQ(charNum, 0);
}

TEST_F(MessageLines, TabIsShownAsASpace) {
    addChar('\t');
    EXPECT_EQ(charNum, 0);
    addText("a\tb");
    EXPECT_EQ(shownLine(0), line("a b"));
    EXPECT_EQ(charNum, 3);
}

TEST_F(MessageLines, BytesAbove127AreWordCharacters) {
    EXPECT_EQ(addWord("\xE9t\xE9 x"), 3);
    EXPECT_EQ(charNum, 3);
}

TEST_F(MessageLines, MoreOnTheWindowThreadAddsAHoldAndReturnsAtOnce) {
    addText("pending");
    inputType.store(4);
    std::atomic<bool> returned{false};
    std::thread window([&] {
        more();
        returned.store(true);
    });
    const bool quick = waitUntil([&] { return returned.load(); });
    EXPECT_TRUE(quick);
    if (!quick)
        releaseLogic(); // unstick a faulty wait so the thread can be joined
    window.join();
    EXPECT_EQ(holdCount(), 1);
    EXPECT_EQ(inputType.load(), 4);
    EXPECT_EQ(shownLine(0), blank);
    EXPECT_EQ(lineNum, 0);
    EXPECT_EQ(charNum, 0);
}

TEST_F(MessageLines, ClearTextBlanksAllLinesAndGoesBackToTheTop) {
    addText("first");
    addChar('\n');
    addText("second");
    addChar('\n');
    addText("third");
    clearText();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(shownLine(i), blank);
    EXPECT_EQ(lineNum, 0);
    EXPECT_EQ(charNum, 0);
}

TEST_F(MessageLines, LinesAreDrawnDownwardFromTheTopOfTheWindow) {
    recordingGl().clear();
    drawText();
    const auto &quads = recordingGl().quads;
    ASSERT_EQ(quads.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(quads[i].texture, textLine[i]->texture);
        EXPECT_EQ(quads[i].xy[0], 0.0f);
        EXPECT_EQ(quads[i].xy[1], 528.0f - 12.0f * i);
        EXPECT_EQ(quads[i].xy[5], 540.0f - 12.0f * i); // top edge
    }
}

TEST_F(MessageLines, EveryPrintableCharacterReadsBackAsItself) {
    // Guards the reader the other tests rely on as much as the drawing: two
    // look-alike glyphs, or a cell drawn in the wrong place, would show here.
    std::string all;
    for (int c = 33; c < 127; ++c)
        all += static_cast<char>(c);
    for (char c : all)
        addChar(static_cast<unsigned char>(c));
    EXPECT_EQ(shownLine(0), all.substr(0, 90));
    EXPECT_EQ(shownLine(1), line(all.substr(90)));
}
