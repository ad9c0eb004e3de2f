#include <gtest/gtest.h>

#include <thread>

#include "core/random.h"

using namespace vell;

TEST(Random, SeedOneGivesTheClassicSequence) {
    srnd(1);
    EXPECT_EQ(rnd(), 41);
    EXPECT_EQ(rnd(), 18467);
    EXPECT_EQ(rnd(), 6334);
    EXPECT_EQ(rnd(), 26500);
    EXPECT_EQ(rnd(), 19169);
}

TEST(Random, EachThreadHasItsOwnStateStartingAtSeedOne) {
    srnd(12345);
    rnd();
    int first = -1;
    std::thread t([&] { first = rnd(); });
    t.join();
    EXPECT_EQ(first, 41); // unaffected by this thread's seeding and draws
}

TEST(Random, ResultsStayBelow32768) {
    srnd(7);
    for (int i = 0; i < 100000; ++i) {
        int v = rnd();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, RND_MAX);
    }
}
