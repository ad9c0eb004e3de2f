// Map generation on its own thread beside a running world: a monster's turn
// waits on "More..." while the test thread, playing the window thread, asks
// for new maps and draws frames.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/frame.h"
#include "core/logic.h"
#include "core/startup.h"
#include "creatures/creature.h"
#include "support/fixture.h"
#include "ui/text.h"
#include "world/map.h"

using namespace vell;
using namespace std::chrono_literals;

namespace {

constexpr int LONG_WAIT_MS = 120000; // sanitizer builds are slow
std::atomic<bool> promptNext{false};

// When asked, a turn that kills a monster with the message lines full, so
// that its death waits on "More..." before the death's work on the body.
int promptingAct(Creature *c) {
    c->energy = c->moveDelay;
    if (promptNext.exchange(false)) {
        Creature *victim = creature_new();
        victim->name = "Victim";
        creature_arrive(victim);
        lineNum = 2, charNum = 80;
        creature_die(victim, c);
    }
    return 1;
}

// The window thread until done() or the timeout: frames, drawn when map
// generation does not hold the picture, and a key while the logic waits.
template <typename Pred> bool framesUntil(Pred done, int timeoutMs, bool keys) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        update();
        if (tryTakeDrawing()) {
            render();
            giveDrawing();
        }
        if (keys && holdCount() > 0)
            input(' ');
        std::this_thread::sleep_for(2ms);
    }
    return done();
}

// Checks that the ring is whole and that the creatures on tiles are exactly
// the ring's but the spawner, each where it thinks it is; returns the size.
int checkedRing(const Creature *spawner) {
    WorldGuard g;
    int n = 1, onTiles = 0;
    for (const Creature *c = &player; c->next != &player && n < 100000; c = c->next, ++n) {
        EXPECT_EQ(c->next->prev, c);
        const Creature *k = c->next;
        EXPECT_TRUE(k == spawner || (onMap(k->x, k->y) && tileAt(k->x, k->y).creature == k));
    }
    for (const Tile &t : map)
        onTiles += t.creature != nullptr;
    EXPECT_EQ(onTiles, n - 1);
    return n;
}

} // namespace

TEST(ThreadedWorld, MapsAreMadeWhileATurnWaitsOnMoreAndTheTurnThenEnds) {
    freshWorld(5);
    mapInit();
    player.x = 45, player.y = 20, player.health = 1000; // with no speed it never acts
    tileAt(45, 20).creature = &player;
    Creature *spawner = creature_new(), *prompter = creature_new();
    spawner->act = spawner_act; // without speed until the first map is asked for
    prompter->act = promptingAct;
    prompter->speed = 20000;
    creature_arrive(prompter);
    const int generations = mapGenerationsDone();
    std::thread logic(startGameLoop);

    // The turn waits on "More..." and no key comes. Maps asked for now, on
    // the window thread holding the world lock as the flee effect asks, are
    // made all the same, sweeping away the turn's creatures.
    promptNext = true;
    ASSERT_TRUE(framesUntil([] { return holdCount() > 0; }, 10000, false));
    {
        WorldGuard g;
        spawner->speed = 500; // monsters arrive once the world runs again
        EXPECT_EQ(regenMap(), 1);
        const std::thread::id first = miH.load();
        EXPECT_EQ(regenMap() + regenMap(), 2);
        startMapInit();               // the entry itself only books as well
        EXPECT_EQ(miH.load(), first); // booked as one rerun, no second thread
    }
    EXPECT_TRUE(framesUntil([] { return mi.load() == 0; }, LONG_WAIT_MS, false));
    EXPECT_EQ(mapGenerationsDone(), generations + 2); // one map and exactly one rerun
    EXPECT_GT(holdCount(), 0);                        // the prompt is still up
    EXPECT_EQ(checkedRing(spawner), 2);               // the player and the spawner
    // Keys again: the death resumes with its body gone and ends; the world runs on.
    EXPECT_TRUE(framesUntil([&] { return checkedRing(spawner) > 2; }, 10000, true));

    // Shut down as the game does, with a map under way and a rerun booked:
    // the rerun is dropped.
    const int before = mapGenerationsDone();
    EXPECT_EQ(regenMap() + regenMap(), 2);
    end_game();
    while (logicThreadRunning.load()) {
        releaseLogic();
        std::this_thread::sleep_for(1ms);
    }
    logic.join();
    EXPECT_EQ(waitMapInit(LONG_WAIT_MS), 1);
    EXPECT_EQ(mapGenerationsDone(), before + 1);
    checkedRing(spawner);
    EXPECT_EQ(tileAt(45, 20).creature, &player);
}
