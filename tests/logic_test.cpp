// The scheduler and the pause hand-off, each on a real logic thread.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"

using namespace vell;
using namespace std::chrono_literals;

namespace {

// What the steps saw; touched under the world lock.
struct {
    std::string trace;
    std::size_t stopAt = 0;
} rec;

enum { ENDS = 1, PAUSES = 2 };

// A step: writes its label, leaves `Energy` (below 1
// asks to be called again), may end the game, and may pause, writing the mode
// that pause gave back.
template <char Label, int Energy = 10000, int Then = 0> int step(Creature *c) {
    rec.trace += Label;
    c->energy = rec.trace.size() < 1000 ? Energy : 1; // a retry that never ends still stops
    if ((Then & ENDS) || rec.trace.size() == rec.stopAt)
        end_game();
    if (Then & PAUSES)
        rec.trace += static_cast<char>('0' + vell::pause());
    return 0;
}

template <class Pred> bool waitUntil(Pred pred, int ms = 10000) {
    for (int i = 0; i < ms * 10 && !pred(); ++i)
        std::this_thread::sleep_for(100us);
    return pred();
}

// The test thread adds before the loop starts; a step adds with the lock held.
Creature *add(int speed, ActFn act, int energy = 0) {
    Creature *c = creature_new(); // linked just before `player`
    c->speed = speed;
    c->act = act;
    c->energy = energy;
    return c;
}

// Runs the scheduler on its own thread and `during` on this one; returns
// `closing` as the loop left it, then makes sure the thread ends.
int runLogic(
    void (*during)() = [] {}, void (*entry)() = startGameLoop) {
    auto logic = std::async(std::launch::async, entry);
    during();
    EXPECT_EQ(logic.wait_for(10s), std::future_status::ready) << "the loop did not end";
    const int closed = closing;
    for (end_game(); logic.wait_for(1ms) != std::future_status::ready;)
        releaseLogic();
    return closed;
}

struct Scheduler : ::testing::Test {
    void SetUp() override {
        world_reset();
        rec = {};
        player.speed = 1000;
    }
};

} // namespace

TEST_F(Scheduler, EnergyDecidesWhoMovesAndWrapsWithoutOverflow) {
    player.act = step<'P'>;
    add(100, step<'S'>);
    Creature *idle = add(5000, nullptr);        // 10000, 5000, 0: zero is not below zero
    Creature *slow = add(1, nullptr, INT_MIN);  // wraps to INT_MAX
    Creature *back = add(-1, nullptr, INT_MAX); // wraps below zero
    add(2, step<'.', 1>);                       // every pass
    ring_unlink(nullptr), ring_unlink(&player); // nothing: the head stays
    std::string expect;
    for (int pass = 0; pass < 250; ++pass)
        expect += std::string(pass % 11 ? "" : "P") + (pass % 101 ? "" : "S") + ".";
    rec.stopAt = expect.size();
    runLogic();
    EXPECT_EQ(rec.trace, expect);
    EXPECT_EQ((std::vector<int>{idle->energy, slow->energy, back->energy}),
              (std::vector<int>{10000, INT_MAX - 249, 10249}));
}

TEST_F(Scheduler, RetriesComeFirstANewcomerMovesThisPassAndClosingStopsAtOnce) {
    player.act = +[](Creature *c) {
        rec.trace += 'P';
        c->energy = rec.trace.size() < 4 ? 0 : 1; // due again next pass
        if (rec.trace == "PPP")
            add(1000, step<'N', 0, ENDS>); // energy left below 1
        return 0;
    };
    add(1000, step<'A'>);
    runLogic();
    EXPECT_EQ(rec.trace, "PPPPAN");
    EXPECT_EQ(player.energy, 1); // not visited once more
}

TEST_F(Scheduler, BrokenRingIsReportedAndEndsTheGame) {
    char logged[99] = {};
    errout = fmemopen(logged, sizeof logged, "w");
    add(0, nullptr)->next = nullptr; // world_reset still frees it
    EXPECT_EQ(runLogic(), 1);
    EXPECT_STREQ(logged, "Fatal error: break in creature loop\n");
    std::fclose(errout);
    errout = nullptr;
}

// A pause after `closing` is set returns at once, on either thread. Plain
// gameLoop makes its own thread the one whose pauses wait.
TEST_F(Scheduler, PausedTurnWaitsForEveryHoldSkipsItsUnlinkedCreatureAndEndsWhenClosing) {
    player.speed = 0;
    Creature *a = add(1, step<'A', 10000, PAUSES>);
    add(1, step<'B', 10000, ENDS | PAUSES>);
    runLogic(
        [] {
            ASSERT_TRUE(waitUntil([] { return holdCount() == 1; }));
            EXPECT_EQ(vell::pause(), 2); // a prompt on this thread: one more hold
            EXPECT_EQ(releaseLogic(), 2);
            EXPECT_FALSE(waitUntil([] { return inputType == 0; }, 50)); // still held
            // Another thread gets the lock the waiting logic thread gave up.
            auto unlink = std::async(std::launch::async,
                                     [] { return WorldGuard(), ring_unlink(player.next); });
            EXPECT_EQ(unlink.wait_for(10s), std::future_status::ready);
            EXPECT_EQ(releaseLogic(), 1);
        },
        gameLoop);
    EXPECT_EQ(rec.trace, "A0B0");
    EXPECT_EQ(vell::pause(), 0);
    EXPECT_EQ(holdCount(), 0);
    delete a;
}

// Each thread draws from its own generator, which starts as if seeded with 1.
TEST(Random, SeedOneGivesTheClassicSequenceFromEachThreadsOwnState) {
    std::vector<int> mine(5), other(5);
    srnd(1);
    std::thread([&] { std::generate(other.begin(), other.end(), rnd); }).join(); // never seeded
    std::generate(mine.begin(), mine.end(), rnd); // the other thread's draws left this state alone
    EXPECT_EQ(mine, (std::vector<int>{41, 18467, 6334, 26500, 19169}));
    EXPECT_EQ(other, mine);
}
