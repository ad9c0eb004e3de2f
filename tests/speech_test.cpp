// Texts addressed to creatures, as the player reads them.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/logic.h"
#include "core/random.h"
#include "creatures/speech.h"
#include "support/fixture.h"
#include "ui/text.h"

using namespace vell;

namespace {

std::string line(const std::string &text) {
    return text + std::string(90 - text.size(), ' ');
}
const std::string blank(90, ' ');

class Speech : public ::testing::Test {
  protected:
    void SetUp() override {
        freshWorld(1);
        enemy.name = "Enemy";
        other.name = "Other";
    }
    void TearDown() override { world_reset(); }
    Creature enemy{};
    Creature other{};
};

} // namespace

TEST_F(Speech, MessageToThePlayerIsShownAndToAMonsterDropped) {
    creature_message(&enemy, "You hit it.");
    EXPECT_EQ(shownLine(0), blank);
    EXPECT_EQ(charNum, 0);

    creature_message(&player, "You see");
    creature_message(&enemy, "nothing");
    creature_message(&player, "gold");
    EXPECT_EQ(shownLine(0), line("You see gold"));
}

TEST_F(Speech, NullTextToThePlayerShowsNothingAndAddsNoSpace) {
    creature_message(&player, "a");
    creature_message(&player, nullptr);
    creature_message(&player, "b");
    EXPECT_EQ(shownLine(0), line("a b"));
}

TEST_F(Speech, VerbsFollowTheDrawBelowSeven) {
    // Seed 1 draws 41, 18467, 6334, 26500, 19169: remainders 6, 1, 6, 5, 3.
    EXPECT_STREQ(creature_speakVerb(), "hollers");
    EXPECT_STREQ(creature_speakVerb(), "says");
    EXPECT_STREQ(creature_speakVerb(), "hollers");
    EXPECT_STREQ(creature_speakVerb(), "chuckles");
    EXPECT_STREQ(creature_speakVerb(), "grunts");

    const char *table[7] = {"mutters", "says",     "grumbles", "grunts",
                            "wheezes", "chuckles", "hollers"};
    std::set<std::string> heard;
    for (unsigned seed = 1; seed < 200; ++seed) {
        srnd(seed);
        const int pick = rnd() % 7;
        srnd(seed);
        const std::string verb = creature_speakVerb();
        EXPECT_EQ(verb, table[pick]) << "seed " << seed;
        heard.insert(verb);
    }
    EXPECT_EQ(heard.size(), 7u);
}

TEST_F(Speech, SayingToThePlayerReadsNameVerbAndText) {
    creature_sayTo(&enemy, &player, "Die, hero!");
    EXPECT_EQ(shownLine(0), line("Enemy hollers Die, hero!"));
    EXPECT_EQ(rnd(), 18467); // exactly one draw
}

TEST_F(Speech, SayingToAMonsterShowsNothingButStillDrawsTheVerb) {
    creature_sayTo(&enemy, &other, "Psst.");
    EXPECT_EQ(shownLine(0), blank);
    EXPECT_EQ(charNum, 0);
    EXPECT_EQ(rnd(), 18467);
}

TEST_F(Speech, NullSpeakerListenerOrTextDoesNothingAndDrawsNothing) {
    creature_sayTo(nullptr, &player, "boo");
    creature_sayTo(&enemy, nullptr, "boo");
    creature_sayTo(&enemy, &player, nullptr);
    EXPECT_EQ(shownLine(0), blank);
    EXPECT_EQ(charNum, 0);
    EXPECT_EQ(rnd(), 41); // still the first number of seed 1
}

TEST_F(Speech, NamelessSpeakerLeavesNoStraySpace) {
    Creature nameless{};
    creature_sayTo(&nameless, &player, "boo");
    EXPECT_EQ(shownLine(0), line("hollers boo"));
}
