// Keys typed while the world runs, on a real logic thread: they are lost,
// even while a slow monster step holds the world lock.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/frame.h"
#include "core/logic.h"
#include "creatures/creature.h"
#include "player/player.h"
#include "support/fixture.h"

using namespace vell;
using namespace std::chrono_literals;

namespace {

std::atomic<bool> stepping{false}, keyTyped{false};

// A monster step that keeps the world lock until the test has typed its key
// (or 2 s have passed).
int slowStep(Creature *c) {
    stepping = true;
    for (int ms = 0; ms < 2000 && !keyTyped.exchange(false); ++ms)
        std::this_thread::sleep_for(1ms);
    stepping = false;
    c->energy = 1;
    return 1;
}

void waitUntil(const std::atomic<bool> &flag) {
    while (!flag.load())
        std::this_thread::sleep_for(1ms);
}

} // namespace

TEST(RunningWorld, KeysTypedWhileAMonsterStepsAreDropped) {
    freshWorld(3);
    player.act = player_act;
    player.speed = 2, player.moveDelay = 1; // the player's turn comes every pass
    player.x = 10, player.y = 10;
    tileAt(10, 10).creature = &player;
    Creature *m = creature_new();
    m->act = slowStep, m->speed = 2;
    std::thread logic(startGameLoop);
    for (int i = 0; i < 5; ++i) {
        while (inputType.load() != 1)
            std::this_thread::sleep_for(1ms);
        input('5'); // the player waits; the monster's slow step follows
        waitUntil(stepping);
        input('6'); // typed in mode 0: must not step the player east later
        keyTyped = true;
    }
    while (inputType.load() != 1)
        std::this_thread::sleep_for(1ms);
    {
        WorldGuard g;
        EXPECT_EQ(player.x, 10);
    }
    end_game();
    while (logicThreadRunning.load())
        releaseLogic();
    logic.join();
}
