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

TEST(Random, FillDrawsWhatSoManyCallsDrawAndLeavesTheGeneratorAsTheyWould) {
    for (int count : {0, 1, 7, 8, 9, 21}) {
        srnd(77);
        std::vector<int> calls(count + 1), filled(count + 1);
        std::generate(calls.begin(), calls.end(), rnd);
        srnd(77);
        rndFill(filled.data(), count);
        filled[count] = rnd();
        EXPECT_EQ(filled, calls) << count;
    }
}
