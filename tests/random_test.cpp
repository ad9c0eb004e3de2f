#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "core/random.h"

using namespace vell;

TEST(Random, SeedOneGivesTheClassicSequenceFromEachThreadsOwnState) {
    std::vector<int> mine(5), other(5);
    srnd(1);
    std::thread([&] { std::generate(other.begin(), other.end(), rnd); }).join(); // never seeded
    std::generate(mine.begin(), mine.end(), rnd); // the other thread's draws left this state alone
    EXPECT_EQ(mine, (std::vector<int>{41, 18467, 6334, 26500, 19169}));
    EXPECT_EQ(other, mine);
}
