// The scheduler and the pause hand-off, each test with a real logic thread
// running startGameLoop. Handlers are plain functions, so what they see goes
// into the globals below; the handlers touch them under the world lock and
// the test reads them after joining the thread (or under the lock).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/logic.h"

using namespace vell;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

// Polls until pred holds or the limit runs out; the limit only bounds a
// broken run, it is never what a test relies on.
template <class Pred> bool waitUntil(Pred pred, std::chrono::milliseconds limit = 10s) {
    const auto end = Clock::now() + limit;
    while (!pred()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(100us);
    }
    return true;
}

// One logic thread. Stopping it sets `closing` and releases holds until the
// thread has left gameLoop, as the shutdown does, then joins it.
class LogicThread {
  public:
    LogicThread()
        : thread_([this] {
              startGameLoop();
              done_.store(true);
          }) {}
    ~LogicThread() { stop(); }
    bool finishes(std::chrono::milliseconds limit = 10s) {
        return waitUntil([this] { return done_.load(); }, limit);
    }
    void stop() {
        if (!thread_.joinable())
            return;
        end_game();
        waitUntil(
            [this] {
                releaseLogic();
                return done_.load();
            },
            60s);
        thread_.join();
    }

  private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// Links a zero-filled creature in just before `player`, as creature_new does.
Creature *addCreature(int speed, ActFn act, int energy = 0) {
    auto *c = new Creature{};
    c->speed = speed;
    c->act = act;
    c->energy = energy;
    WorldGuard g;
    c->next = &player;
    c->prev = player.prev;
    player.prev->next = c;
    player.prev = c;
    return c;
}

std::vector<std::string> events;
std::vector<int> seen;
Creature *tracked = nullptr;
int calls = 0;
int ticks = 0;
std::vector<int> playerPasses;
std::vector<int> spawnerPasses;
std::atomic<bool> resumed{false};
int pauseResult = -1;
int modeAfterPause = -1;
bool heldAfterPause = false;
int holdsSeen = -1;

std::string readAll(std::FILE *f) {
    std::string s;
    std::fflush(f);
    std::rewind(f);
    int ch;
    while ((ch = std::fgetc(f)) != EOF)
        s += static_cast<char>(ch);
    return s;
}

class Scheduler : public ::testing::Test {
  protected:
    void SetUp() override {
        world_reset();
        events.clear();
        seen.clear();
        playerPasses.clear();
        spawnerPasses.clear();
        tracked = nullptr;
        calls = 0;
        ticks = 0;
        resumed.store(false);
        pauseResult = -1;
        modeAfterPause = -1;
        heldAfterPause = false;
        holdsSeen = -1;
        log = std::tmpfile();
        ASSERT_NE(log, nullptr);
        errout = log;
    }
    void TearDown() override {
        end_game();
        errout = nullptr;
        std::fclose(log);
        world_reset();
    }
    std::FILE *log = nullptr;
};

using PauseHandOff = Scheduler;

// --- handlers ----------------------------------------------------------------

int recordTrackedEnergy(Creature *c) {
    seen.push_back(tracked->energy);
    if (seen.size() == 5)
        end_game();
    c->energy = 1;
    return 0;
}

int playerRetriesThreeTimes(Creature *c) {
    events.push_back("P");
    ++calls;
    // Below 1 means "ask again"; zero is below 1 as well.
    c->energy = calls == 1 ? -7 : calls < 4 ? 0 : 10000;
    return 0;
}

int otherEndsGame(Creature *c) {
    events.push_back("A");
    seen.push_back(player.energy);
    c->energy = 10000;
    end_game();
    return 0;
}

int playerStepsOnce(Creature *c) {
    events.push_back("P");
    c->energy = 10000;
    return 0;
}

int closesWithoutRaisingEnergy(Creature *) {
    events.push_back("A");
    end_game(); // energy stays below 1: only `closing` may stop the calls
    return 0;
}

int newbornCloses(Creature *c) {
    events.push_back("N");
    c->energy = 10000;
    end_game();
    return 0;
}

int stepsAndSteps(Creature *c) {
    events.push_back("A");
    c->energy = 10000;
    return 0;
}

int playerMakesACreature(Creature *c) {
    events.push_back("P");
    c->energy = 10000;
    if (events.size() == 1)
        addCreature(1000, newbornCloses);
    return 0;
}

int rhythmPlayer(Creature *c) {
    playerPasses.push_back(ticks + 1);
    c->energy = 10000;
    return 0;
}

int rhythmSpawner(Creature *c) {
    spawnerPasses.push_back(ticks + 1);
    c->energy = 10000;
    return 0;
}

int ticker(Creature *c) {
    if (++ticks == 250)
        end_game();
    c->energy = 1;
    return 0;
}

int recordsOwnEnergyAndCloses(Creature *c) {
    events.push_back("A");
    seen.push_back(c->energy);
    c->energy = 10000;
    end_game();
    return 0;
}

int playerRecords(Creature *c) {
    events.push_back("P");
    c->energy = 10000;
    return 0;
}

int pausesOnce(Creature *c) {
    events.push_back("A");
    vell::pause();
    c->energy = 10000;
    return 0;
}

int playerPausesWithLockTakenTwice(Creature *c) {
    WorldGuard again; // the lock is re-entrant; pause must give up both levels
    pauseResult = vell::pause();
    modeAfterPause = inputType.load();
    heldAfterPause = worldHeld();
    resumed.store(true);
    c->energy = 10000;
    end_game();
    return 0;
}

int playerClosesThenPauses(Creature *c) {
    end_game();
    pauseResult = vell::pause();
    modeAfterPause = inputType.load();
    holdsSeen = holdCount();
    c->energy = 10000;
    return 0;
}

} // namespace

// --- the walk ------------------------------------------------------------------

TEST_F(Scheduler, CreatureWithoutActGetsEnergy10000OnlyWhenBelowZero) {
    player.speed = 1000;
    player.act = recordTrackedEnergy;
    tracked = addCreature(5000, nullptr, 0);
    {
        LogicThread logic;
        ASSERT_TRUE(logic.finishes());
    }
    // Seen by the player at the start of passes 1..5: 0 - 5000 resets to
    // 10000, two more passes bring it to exactly 0, which is not below zero.
    EXPECT_EQ(seen, (std::vector<int>{0, 10000, 5000, 0, 10000}));
}

TEST_F(Scheduler, HandlerLeavingEnergyBelowOneIsCalledAgainBeforeAnyoneMoves) {
    player.speed = 1000;
    player.act = playerRetriesThreeTimes;
    addCreature(1000, otherEndsGame);
    {
        LogicThread logic;
        ASSERT_TRUE(logic.finishes());
    }
    EXPECT_EQ(events, (std::vector<std::string>{"P", "P", "P", "P", "A"}));
    EXPECT_EQ(seen, (std::vector<int>{10000}));
}

TEST_F(Scheduler, ClosingSetInsideHandlerEndsTheLoopWithoutVisitingAnother) {
    player.speed = 1000;
    player.act = playerStepsOnce;
    Creature *a = addCreature(1000, closesWithoutRaisingEnergy);
    Creature *b = addCreature(7, nullptr, 5);
    {
        LogicThread logic;
        ASSERT_TRUE(logic.finishes());
    }
    EXPECT_EQ(events, (std::vector<std::string>{"P", "A"}));
    EXPECT_EQ(a->energy, -1000);
    EXPECT_EQ(b->energy, 5); // not even its speed was taken
}

TEST_F(Scheduler, CreatureMadeDuringAPassIsVisitedInThatPass) {
    player.speed = 1000;
    player.act = playerMakesACreature;
    addCreature(1000, stepsAndSteps);
    {
        LogicThread logic;
        ASSERT_TRUE(logic.finishes());
    }
    EXPECT_EQ(events, (std::vector<std::string>{"P", "A", "N"}));
}

TEST_F(Scheduler, PlayerActsEvery11PassesAndSpawnerEvery101) {
    player.speed = 1000;
    player.act = rhythmPlayer;
    addCreature(100, rhythmSpawner);
    addCreature(2, ticker); // last in the ring: counts finished passes
    {
        LogicThread logic;
        ASSERT_TRUE(logic.finishes());
    }
    std::vector<int> expectPlayer;
    for (int pass = 1; pass <= 250; pass += 11)
        expectPlayer.push_back(pass);
    EXPECT_EQ(playerPasses, expectPlayer);
    EXPECT_EQ(spawnerPasses, (std::vector<int>{1, 102, 203}));
}

TEST_F(Scheduler, EnergyArithmeticWrapsInsteadOfOverflowing) {
    player.energy = INT_MIN;
    player.speed = 1; // INT_MIN - 1 wraps to INT_MAX: not due
    player.act = playerRecords;
    addCreature(-1, recordsOwnEnergyAndCloses, INT_MAX); // INT_MAX + 1 wraps below zero
    {
        LogicThread logic;
        ASSERT_TRUE(logic.finishes());
    }
    EXPECT_EQ(events, (std::vector<std::string>{"A"}));
    EXPECT_EQ(seen, (std::vector<int>{INT_MIN}));
    EXPECT_EQ(player.energy, INT_MAX);
}

TEST_F(Scheduler, BrokenRingIsReportedOnceAndEndsTheGame) {
    auto *a = new Creature{};
    player.next = a;
    player.prev = a;
    a->prev = &player;
    a->next = nullptr; // world_reset still frees it: it follows next until null
    {
        LogicThread logic;
        ASSERT_TRUE(logic.finishes());
    }
    EXPECT_EQ(readAll(log), "Fatal error: break in creature loop\n");
    EXPECT_EQ(closing.load(), 1);
}

TEST_F(Scheduler, CreatureUnlinkedWhileItsHandlerWaitsIsLeftForItsSuccessor) {
    player.act = nullptr; // speed 0: never due
    Creature *a = addCreature(1, pausesOnce);
    addCreature(1, otherEndsGame);
    {
        LogicThread logic;
        ASSERT_TRUE(waitUntil([] { return holdCount() == 1; }));
        {
            WorldGuard g; // pause gave the lock up
            ring_unlink(a);
        }
        EXPECT_EQ(releaseLogic(), 1);
        ASSERT_TRUE(logic.finishes());
    }
    // Not a broken ring: the scheduler went on with the successor.
    EXPECT_EQ(events, (std::vector<std::string>{"A", "A"}));
    EXPECT_EQ(readAll(log), "");
    EXPECT_EQ(player.next->act, otherEndsGame);
    delete a;
}

// The other thread always unlinks the creature that the scheduler visits next
// (the successor of the one whose step ended last) and frees it at once, so
// under ASan a later visit is a use after free and here a recorded fault.
namespace stress {
std::set<const Creature *> gone;
const Creature *lastStepped = nullptr;
const Creature *expectNext = nullptr;
std::atomic<int> steps{0};
int visitsAfterUnlink = 0;
int wrongSuccessor = 0;

int act(Creature *c) {
    if (gone.count(c))
        ++visitsAfterUnlink;
    if (expectNext != nullptr && c != expectNext)
        ++wrongSuccessor;
    expectNext = nullptr;
    lastStepped = c;
    c->energy = 1; // due again next pass (speed 2)
    steps.fetch_add(1);
    return 0;
}
} // namespace stress

TEST_F(Scheduler, CreatureUnlinkedByAnotherThreadIsNeverVisitedAfter) {
    constexpr int count = 60;
    player.speed = 2;
    player.act = stress::act;
    for (int i = 0; i < count; ++i)
        addCreature(2, stress::act);
    stress::gone.clear();
    stress::lastStepped = nullptr;
    stress::expectNext = nullptr;
    stress::steps.store(0);
    stress::visitsAfterUnlink = 0;
    stress::wrongSuccessor = 0;
    int unlinked = 0;
    {
        LogicThread logic;
        int seenSteps = 0;
        while (unlinked < count) {
            ASSERT_TRUE(waitUntil([&] { return stress::steps.load() > seenSteps; }));
            WorldGuard g;
            seenSteps = stress::steps.load();
            Creature *victim = stress::lastStepped->next;
            const bool isNext = victim != &player;
            if (!isNext)
                victim = victim->next;
            if (victim == &player)
                break;
            Creature *after = victim->next;
            ring_unlink(victim);
            stress::gone.insert(victim);
            delete victim;
            ++unlinked;
            if (isNext)
                stress::expectNext = after;
        }
    }
    EXPECT_EQ(unlinked, count);
    EXPECT_EQ(stress::visitsAfterUnlink, 0);
    EXPECT_EQ(stress::wrongSuccessor, 0);
    EXPECT_EQ(player.next, &player);
    EXPECT_EQ(player.prev, &player);
    EXPECT_EQ(readAll(log), "");
}

// --- pause and release ---------------------------------------------------------

TEST_F(PauseHandOff, PauseOnLogicThreadShowsMode2GivesUpTheLockAndRestoresMode0) {
    player.speed = 1000;
    player.act = playerPausesWithLockTakenTwice;
    LogicThread logic;
    ASSERT_TRUE(waitUntil([] { return holdCount() == 1; }));
    EXPECT_EQ(inputType.load(), 2);

    // The key router must be able to take the world lock while the logic
    // thread waits, even though that thread took it twice.
    std::atomic<bool> gotLock{false};
    std::thread router([&] {
        WorldGuard g;
        gotLock.store(true);
    });
    EXPECT_TRUE(waitUntil([&] { return gotLock.load(); }));
    EXPECT_FALSE(resumed.load());

    EXPECT_EQ(releaseLogic(), 1);
    ASSERT_TRUE(logic.finishes());
    router.join();
    EXPECT_EQ(pauseResult, 0);
    EXPECT_EQ(modeAfterPause, 0);
    EXPECT_TRUE(heldAfterPause);
    EXPECT_EQ(holdCount(), 0);
}

TEST_F(PauseHandOff, TwoHoldsNeedTwoReleases) {
    player.speed = 1000;
    player.act = playerPausesWithLockTakenTwice;
    LogicThread logic;
    ASSERT_TRUE(waitUntil([] { return holdCount() == 1; }));

    // A prompt opened by a command on this (the window) thread.
    EXPECT_EQ(vell::pause(), 2);
    EXPECT_EQ(holdCount(), 2);
    EXPECT_EQ(inputType.load(), 2);

    EXPECT_EQ(releaseLogic(), 2);
    // Whatever the timing, one hold is left and the thread must not run.
    EXPECT_FALSE(waitUntil([] { return resumed.load(); }, 50ms));
    EXPECT_EQ(holdCount(), 1);

    EXPECT_EQ(releaseLogic(), 1);
    ASSERT_TRUE(logic.finishes());
    EXPECT_TRUE(resumed.load());
    EXPECT_EQ(modeAfterPause, 0);
}

TEST_F(PauseHandOff, OffTheLogicThreadPauseOnlyAddsAHoldAndReleaseReportsCounts) {
    EXPECT_EQ(releaseLogic(), 0);
    EXPECT_EQ(holdCount(), 0);

    inputType.store(4); // a direction prompt keeps its mode
    EXPECT_EQ(vell::pause(), 4);
    EXPECT_EQ(inputType.load(), 4);
    inputType.store(0); // mode 0 is shown as 2 only while pausing
    EXPECT_EQ(vell::pause(), 0);
    EXPECT_EQ(inputType.load(), 0);

    EXPECT_EQ(holdCount(), 2);
    EXPECT_EQ(releaseLogic(), 2);
    EXPECT_EQ(releaseLogic(), 1);
    EXPECT_EQ(releaseLogic(), 0);
    EXPECT_EQ(holdCount(), 0);
}

TEST_F(PauseHandOff, PauseWithClosingSetReturnsAtOnceOnEitherThread) {
    player.speed = 1000;
    player.act = playerClosesThenPauses;
    {
        LogicThread logic;
        // No release is ever given: the thread must end on its own.
        ASSERT_TRUE(logic.finishes());
    }
    EXPECT_EQ(pauseResult, 0);
    EXPECT_EQ(modeAfterPause, 0);
    EXPECT_EQ(holdsSeen, 0);

    EXPECT_EQ(vell::pause(), 0); // window thread, closing still set
    EXPECT_EQ(holdCount(), 0);
    EXPECT_EQ(inputType.load(), 0);
}

TEST_F(PauseHandOff, ClosingWhileWaitingEndsTheLoopAfterTheRelease) {
    player.speed = 1000;
    player.act = nullptr;
    addCreature(1000, pausesOnce);
    addCreature(1000, otherEndsGame); // must not be reached
    LogicThread logic;
    ASSERT_TRUE(waitUntil([] { return holdCount() == 1; }));
    end_game();
    EXPECT_EQ(releaseLogic(), 1);
    ASSERT_TRUE(logic.finishes());
    EXPECT_EQ(events, (std::vector<std::string>{"A"}));
}
