// Scripted games in one process: a real logic thread runs the scheduler
// while this thread plays the window thread, sending keys through `input`
// and waiting (with a bound) for the player's turn between them.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "core/frame.h"
#include "core/logic.h"
#include "core/random.h"
#include "core/startup.h"
#include "creatures/combat.h"
#include "creatures/creature.h"
#include "platform/font.h"
#include "player/player.h"
#include "support/fixture.h"
#include "ui/stat.h"
#include "ui/text.h"
#include "world/map.h"

using namespace vell;

namespace {

std::atomic<int> monsterTurns{0};

// A monster that only counts its turns: each costs one move delay.
int countTurn(Creature *c) {
    monsterTurns.fetch_add(1);
    c->energy = c->moveDelay;
    return 1;
}

// A monster that attacks the player from wherever it stands.
int attackPlayer(Creature *c) {
    creature_attack(c, &player);
    if (c->energy < 1)
        c->energy = c->moveDelay;
    return 1;
}

bool waitUntil(const std::function<bool()> &done, int ms = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool playersTurn() {
    return inputType.load() == 1 && holdCount() == 1;
}

std::string shownText() {
    WorldGuard g;
    return shownLine(0) + shownLine(1) + shownLine(2);
}

class Game : public ::testing::Test {
  protected:
    void SetUp() override {
        freshWorld(1);
        monsterTurns.store(0);
        cursorX = cursorY = 0;
        action = dirAction = 0;
        player.next = player.prev = &player;
        player.speed = 1000;
        player.act = player_act;
        player.bump = player_bump;
        player.name = "Player";
        player.glyph = 1;
        player.moveDelay = 10000;
        player.level = 1;
        player.health = 1000;
        player.damageMin = 1;
        player.damageSpread = 1;
        player.x = 30;
        player.y = 20;
        tileAt(30, 20).creature = &player;
    }

    void TearDown() override {
        stop();
        EXPECT_EQ(waitMapInit(10000), 1);
        world_reset();
    }

    Creature *addMonster(ActFn act, const char *name, int x = -1, int y = -1) {
        WorldGuard g;
        Creature *c = creature_new();
        c->act = act;
        c->speed = 1000;
        c->name = name;
        c->glyph = 2;
        c->health = 100000;
        if (x >= 0) {
            c->x = x;
            c->y = y;
            tileAt(x, y).creature = c;
        }
        return c;
    }

    void start() {
        exited.store(0);
        logic = std::thread([this] {
            startGameLoop();
            exited.store(1);
        });
    }

    // The shutdown's part: closing, then release until the logic thread
    // has left the scheduler.
    void stop() {
        closing.store(1);
        if (!logic.joinable())
            return;
        bool gone = waitUntil([this] {
            while (releaseLogic() > 0) {
            }
            return exited.load() == 1;
        });
        if (gone) {
            logic.join();
        } else {
            ADD_FAILURE() << "the logic thread did not leave the scheduler";
            logic.detach();
        }
    }

    // One key on the player's turn.
    void play(signed char key) {
        ASSERT_TRUE(waitUntil(playersTurn)) << "no turn for key " << int(key);
        input(key);
    }

    std::thread logic;
    std::atomic<int> exited{0};
};

} // namespace

TEST_F(Game, AStepMovesThePlayerAndTheWorldRunsToTheNextTurn) {
    addMonster(countTurn, "Counter");
    start();
    ASSERT_TRUE(waitUntil(playersTurn));
    EXPECT_EQ(monsterTurns.load(), 0); // the player comes first in the ring
    input('6');
    ASSERT_TRUE(waitUntil(playersTurn));
    {
        WorldGuard g;
        EXPECT_EQ(player.x, 31);
        EXPECT_EQ(tileAt(31, 20).creature, &player);
        EXPECT_EQ(tileAt(30, 20).creature, nullptr);
    }
    // Equal speeds: one monster turn per player step.
    EXPECT_EQ(monsterTurns.load(), 1);
    play('8');
    ASSERT_TRUE(waitUntil(playersTurn));
    EXPECT_EQ(monsterTurns.load(), 2);
    WorldGuard g;
    EXPECT_EQ(player.y, 21);
}

TEST_F(Game, AKeyWithoutACommandKeepsTheTurn) {
    addMonster(countTurn, "Counter");
    start();
    play('x');
    ASSERT_TRUE(waitUntil(playersTurn));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(monsterTurns.load(), 0);
    EXPECT_TRUE(playersTurn());
}

TEST_F(Game, AKeyWhileTheWorldRunsIsDropped) {
    addMonster(countTurn, "Counter");
    {
        WorldGuard g;
        // A long wait: the world runs for many passes after this step.
        player.speed = 1;
        player.moveDelay = 400000;
    }
    start();
    play('6');
    input('8'); // the world is running: mode 0
    ASSERT_TRUE(waitUntil(playersTurn, 60000));
    WorldGuard g;
    EXPECT_EQ(player.x, 31);
    EXPECT_EQ(player.y, 20);
    EXPECT_GT(monsterTurns.load(), 1000);
}

TEST_F(Game, TargetingKeepsTheWorldStoppedUntilItFires) {
    addMonster(countTurn, "Enemy", 33, 20);
    {
        WorldGuard g;
        player.arrows = 5;
    }
    start();
    play('f');
    EXPECT_EQ(inputType.load(), 3);
    for (int i = 0; i < 3; ++i)
        input('6');
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(monsterTurns.load(), 0);
    EXPECT_EQ(holdCount(), 1);
    EXPECT_EQ(cursorX, 33);
    input('\r');
    ASSERT_TRUE(waitUntil(playersTurn));
    EXPECT_EQ(monsterTurns.load(), 3); // a shot costs two and a half steps
    EXPECT_EQ(shownText().rfind("You shoot Enemy.", 0), 0u);
    WorldGuard g;
    EXPECT_EQ(player.arrows, 4);
    EXPECT_EQ(action, 0);
}

TEST_F(Game, TheDirectionPromptCastsOrCancels) {
    addMonster(countTurn, "Counter");
    {
        WorldGuard g;
        player.magic = 1000;
    }
    start();
    play('q');
    EXPECT_EQ(inputType.load(), 4);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(monsterTurns.load(), 0);
    input('z'); // cancelled: the player keeps the turn
    ASSERT_TRUE(waitUntil(playersTurn));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(monsterTurns.load(), 0);
    {
        WorldGuard g;
        EXPECT_EQ(player.magic, 1000);
    }
    play('q');
    input('6');
    ASSERT_TRUE(waitUntil(playersTurn));
    EXPECT_EQ(monsterTurns.load(), 5); // a bolt costs five steps
    WorldGuard g;
    EXPECT_EQ(player.magic, 0);
}

// A message that overflows the lines during a command shows "More..." on the
// window thread, which cannot wait there: it leaves one more hold, and the
// next key is one more command before the world goes on.
TEST_F(Game, MoreDuringACommandTakesOneMoreKey) {
    static std::string longName;
    longName.clear();
    for (int i = 0; i < 28; ++i)
        longName += i ? " Tentacled" : "Tentacled";
    addMonster(countTurn, longName.c_str(), 31, 20);
    start();
    play('6'); // attacks the monster: "You attack <name>." spills over
    EXPECT_EQ(holdCount(), 1);
    EXPECT_EQ(inputType.load(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(monsterTurns.load(), 0);
    input('5');
    ASSERT_TRUE(waitUntil(playersTurn));
    EXPECT_EQ(monsterTurns.load(), 1); // the wait, not the attack, was paid
}

TEST_F(Game, DeathByAMonsterWaitsForAKeyThenEndsTheGame) {
    Creature *ogre = addMonster(attackPlayer, "Ogre", 31, 20);
    {
        WorldGuard g;
        ogre->damageMin = 50;
        player.health = 1;
    }
    start();
    play('5');
    ASSERT_TRUE(waitUntil([] { return inputType.load() == 2 && holdCount() == 1; }));
    EXPECT_NE(shownText().find("You die"), std::string::npos);
    EXPECT_EQ(closing.load(), 0);
    input('x');
    ASSERT_TRUE(waitUntil([this] { return exited.load() == 1; }));
    EXPECT_EQ(closing.load(), 1);
    EXPECT_EQ(tileAt(30, 20).creature, &player); // nothing moved or dropped
}

TEST_F(Game, DeathByThePlayersOwnShotEndsTheGameAtOnce) {
    {
        WorldGuard g;
        player.arrows = 1;
        player.health = 1;
        player.damageMin = 50;
    }
    start();
    play('f');
    input('\r'); // shoots at its own cell
    EXPECT_EQ(closing.load(), 1);
    EXPECT_NE(shownText().find("You die"), std::string::npos);
    EXPECT_EQ(exited.load(), 0);
    EXPECT_EQ(holdCount(), 1); // the death's own hold on the stopped thread
    while (releaseLogic() > 0) {
    }
    ASSERT_TRUE(waitUntil([this] { return exited.load() == 1; }));
    EXPECT_EQ(logicThreadRunning.load(), 0);
}

// The real start: init's world, the spawner, map generation running beside
// the scheduler, and frames drawn between keys as the window thread would.
TEST_F(Game, AWholeGameFromInitRunsCleanly) {
    TexBlock *sheets[3] = {pureTex, fontTex, gameTex};
    TexBlock *lines[3] = {textLine[0], textLine[1], textLine[2]};
    TexBlock *status = vell::stat;
    world_reset();
    init(VELL_SOURCE_DIR "/data");
    ASSERT_EQ(closing.load(), 0);
    {
        WorldGuard g;
        player.defenseMin = 1000000; // the script must not end in death
        player.magic = 40000;
        player.arrows = 10;
    }
    start();
    const char *script = "6668885;GEf66\r2222q6e44t8aw7777s9M5p1111;3u5";
    int frames = 0;
    for (const char *k = script; *k; ++k) {
        bool turn = waitUntil([&] {
            update();
            if (tryTakeDrawing()) {
                render();
                giveDrawing();
            }
            ++frames;
            if (inputType.load() == 2 && holdCount() == 1)
                input(' '); // "More..." from a monster turn
            int mode = inputType.load();
            bool keyExpected = (mode == 1 || mode == 3 || mode == 4) && holdCount() == 1;
            return keyExpected || closing.load();
        });
        ASSERT_TRUE(turn) << "no turn for key " << *k << " mode " << inputType.load() << " holds "
                          << holdCount() << " running " << logicThreadRunning.load() << " exited "
                          << exited.load();
        input(*k);
    }
    EXPECT_EQ(closing.load(), 0);
    EXPECT_GT(frames, 0);
    stop();
    EXPECT_EQ(waitMapInit(10000), 1);
    // Give the images init made back, and the fixture's to the globals.
    for (TexBlock *made :
         {pureTex, fontTex, gameTex, textLine[0], textLine[1], textLine[2], vell::stat})
        texBlock_free(made);
    pureTex = sheets[0];
    fontTex = sheets[1];
    gameTex = sheets[2];
    for (int i = 0; i < 3; ++i)
        textLine[i] = lines[i];
    vell::stat = status;
}
