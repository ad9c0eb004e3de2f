// Scripted games in one process: a real logic thread runs the scheduler
// while this thread plays the window thread, drawing frames and sending keys
// through `input` as the player's turns come.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "core/frame.h"
#include "core/logic.h"
#include "creatures/combat.h"
#include "creatures/creature.h"
#include "player/player.h"
#include "support/fixture.h"
#include "ui/text.h"

using namespace vell;

static std::atomic<int> monsterTurns{0};
static std::atomic<bool> stepping{false}, keyTyped{false};

// Counts its turns; attacks the player from anywhere once it hits hard.
static int monsterAct(Creature *c) {
    monsterTurns.fetch_add(1);
    if (c->damageMin > 1)
        creature_attack(c, &player);
    c->energy = c->moveDelay;
    return 1;
}

// A monster step that keeps the world lock until the test has typed its key.
static int slowStep(Creature *c) {
    stepping = true;
    for (int ms = 0; ms < 2000 && !keyTyped.exchange(false); ++ms)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stepping = false;
    c->energy = c->moveDelay;
    return 1;
}

static bool waitUntil(const std::function<bool()> &done) {
    for (int ms = 0; ms < 10000 && !done(); ++ms)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done();
}

// The player on (30, 20), too tough to die by chance, and the logic thread
// stopped on its first turn; the end shuts it down as the window would.
class Game : public ::testing::Test {
  protected:
    void SetUp() override {
        freshWorld(1);
        monsterTurns.store(0);
        cursorX = cursorY = action = dirAction = 0;
        // x, y, energy, speed, moveDelay, glyph, r, g, b, name, act, bump, next, prev,
        // gold, level, arrows, magic, health, defense and damage (min, spread)
        player = Creature{30, 20,       0,          1000,        10000,   1,       0, 0,
                          0,  "Player", player_act, player_bump, &player, &player, 0, 1,
                          5,  1000,     1000,       0,           0,       1,       1};
        tileAt(30, 20).creature = &player;
        logic = std::thread(startGameLoop);
        ASSERT_TRUE(awaitKey());
    }
    void TearDown() override {
        closing.store(1);
        bool gone = waitUntil([] { return releaseLogic() == 0 && !logicThreadRunning.load(); });
        EXPECT_TRUE(gone) << "the logic thread did not leave the scheduler";
        gone ? logic.join() : logic.detach();
        world_reset();
    }
    static bool held(int mode) { return inputType.load() == mode && holdCount() == 1; }
    // The logic thread stopped for a key in `mode`; frames go on meanwhile.
    static bool awaitKey(int mode = 1) {
        return waitUntil([mode] { return render(), held(mode); });
    }
    static void keys(const char *k) {
        while (*k)
            input(*k++);
    }
    static bool play(const char *k, int mode = 1) { return keys(k), awaitKey(mode); }
    static bool shown(const std::string &text) {
        return (shownLine(0) + shownLine(1) + shownLine(2)).find(text) != std::string::npos;
    }
    static Creature *monster(ActFn act) {
        WorldGuard g; // the paused logic thread gave the lock up
        Creature *m = creature_new();
        m->act = act, m->speed = 1000, m->name = "Enemy", m->health = 100000;
        return m;
    }
    std::thread logic;
};

TEST_F(Game, TurnsPassThroughPromptsMoreAndTheRouterUntilAMonsterKills) {
    Creature *m = monster(monsterAct);
    tileAt(m->x = 33, m->y = 20).creature = m;
    EXPECT_EQ(monsterTurns.load(), 0); // the player comes first
    ASSERT_TRUE(play("6"));
    EXPECT_TRUE(monsterTurns.load() == 1 && player.x == 31); // equal speeds
    keys("f66");
    EXPECT_TRUE(held(3) && cursorX == 33); // the world waits for the shot
    ASSERT_TRUE(play("\r"));
    EXPECT_TRUE(monsterTurns.load() == 4 && shown("You shoot Enemy.")); // two and a half steps
    keys("q");
    EXPECT_TRUE(held(4));
    ASSERT_TRUE(play("z")); // cancelled: the next turn is the player's again
    EXPECT_EQ(monsterTurns.load(), 4);
    ASSERT_TRUE(play("q6"));
    const int turns = monsterTurns.load(); // a bolt costs five steps: 4 or 5 turns by phase
    EXPECT_TRUE(turns >= 8 && turns <= 9 && player.magic == 0);
    {
        // The router puts mode 0 back as it releases the last hold, before
        // the logic thread has the world again: a second key there is dropped.
        WorldGuard gap;
        keys("58");
    }
    ASSERT_TRUE(awaitKey());
    EXPECT_TRUE(monsterTurns.load() == turns + 1 && player.y == 20);
    ASSERT_TRUE(play("6")); // next to the monster
    // "More..." raised by a command cannot wait on the window thread: it
    // leaves one more hold, and the next key is one more command.
    static std::string name = "Tentacled";
    while (name.size() < 270)
        name += " Tentacled";
    m->name = name.c_str();
    keys("6");
    EXPECT_TRUE(held(1) && monsterTurns.load() == turns + 2);
    ASSERT_TRUE(play("5"));
    EXPECT_EQ(monsterTurns.load(), turns + 3); // the wait, not the attack, was paid
    // Death at a monster's hand waits for a key, then ends the game.
    m->name = "Enemy";
    m->damageMin = 50;
    player.health = 1;
    ASSERT_TRUE(play("5", 2));
    EXPECT_TRUE(shown("You die") && closing.load() == 0);
    keys("x");
    EXPECT_TRUE(waitUntil([] { return logicThreadRunning.load() == 0; }) && closing.load() == 1);
}

// A key typed in mode 0, while a slow monster step holds the world lock, is
// lost: it must not step the player east on the next turn.
TEST_F(Game, KeysTypedWhileAMonsterStepsAreDropped) {
    monster(slowStep);
    for (int i = 0; i < 5; ++i) {
        input('5'); // the player waits; the monster's slow step follows
        ASSERT_TRUE(waitUntil([] { return stepping.load(); }));
        input('6');
        keyTyped = true;
        ASSERT_TRUE(waitUntil([] { return held(1); }));
    }
    WorldGuard g;
    EXPECT_EQ(player.x, 30);
}
