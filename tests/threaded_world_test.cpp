// Map generation on its own thread, alone and beside a running world: the
// logic thread runs monsters that march, wander, fight, arrive and die while
// the test thread plays the window thread (frames, keys for "More...") and
// asks for new maps, some of them while one is still being made.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "core/frame.h"
#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "enemies/enemy.h"
#include "graphics/map.h"
#include "support/fixture.h"
#include "world/map.h"

using namespace vell;
using namespace std::chrono_literals;

namespace {

constexpr int LONG_WAIT_MS = 120000; // sanitizer builds are slow

int pendingChanges() {
    int n = 0;
    for (auto &col : mapTex)
        for (MapBlock &b : col)
            n += b.count;
    return n;
}

bool pendingAt(int x, int y) {
    const MapBlock &b = mapTex[x / BLOCK_TILES_X][y / BLOCK_TILES_Y];
    for (int k = 0; k < b.count; ++k)
        if (b.changes[k][0] == x && b.changes[k][1] == y)
            return true;
    return false;
}

void placePlayer(int x, int y) {
    player.x = x;
    player.y = y;
    player.moveDelay = 10000;
    player.speed = 1000;
    player.health = 1000;
    player.defenseMin = 1000000; // no monster can end the game
    tileAt(x, y).creature = &player;
}

// Polls `mi` until it clears and reports the generation count seen at that
// moment: a rerun that let `mi` drop in between would show a smaller count.
int doneWhenMiClears(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (mi.load() == 0)
            return mapGenerationsDone();
        std::this_thread::sleep_for(1ms);
    }
    return -1;
}

} // namespace

// --- The generation thread on its own ------------------------------------------------

TEST(MapGenerationThread, RequestsWhileOneRunsAreBookedAsOneRerun) {
    freshWorld(1);
    ASSERT_TRUE(waitMapInit(LONG_WAIT_MS));
    const int before = mapGenerationsDone();
    // Holding `drawing` stalls the generator at its first tile.
    takeDrawing();
    ASSERT_EQ(regenMap(), 1);
    EXPECT_EQ(mi.load(), 1);
    EXPECT_NE(miH.load(), std::thread::id());
    EXPECT_EQ(waitMapInit(30), 0);
    {
        // As the window thread asks: holding the world lock. Neither call
        // may wait for the running generation.
        WorldGuard g;
        EXPECT_EQ(regenMap(), 1);
        EXPECT_EQ(regenMap(), 1);
    }
    // Started directly, the entry only books as well instead of generating
    // beside the running thread.
    startMapInit();
    EXPECT_EQ(mapGenerationsDone(), before);
    giveDrawing();
    // `mi` stays set through the rerun; the three requests made one.
    EXPECT_EQ(doneWhenMiClears(LONG_WAIT_MS), before + 2);
    EXPECT_EQ(waitMapInit(0), 1);
}

TEST(MapGenerationThread, NewMapKeepsThePlayerAndMarksItsTile) {
    freshWorld(2);
    placePlayer(30, 20);
    Creature *m = creature_new();
    m->x = 31;
    m->y = 20;
    tileAt(31, 20).creature = m;
    const int before = mapGenerationsDone();
    ASSERT_EQ(regenMap(), 1);
    ASSERT_EQ(waitMapInit(LONG_WAIT_MS), 1);
    EXPECT_EQ(mapGenerationsDone(), before + 1);
    EXPECT_EQ(tileAt(30, 20).creature, &player);
    EXPECT_EQ(tileAt(31, 20).creature, nullptr);
    EXPECT_EQ(player.next, &player);
    // Tiles are drawn straight into their blocks; only the player's tile is
    // reported, for the player glyph to be drawn over the new ground.
    EXPECT_TRUE(pendingAt(30, 20));
    EXPECT_EQ(pendingChanges(), 1);
    int grass = 0;
    for (const Tile &t : map)
        grass += t.glyph == 46 || t.glyph == 44 || t.glyph == 96 || t.glyph == 39;
    EXPECT_GT(grass, 2000);
}

// --- A running world ------------------------------------------------------------------

namespace {

std::atomic<int> arrivals{0};
std::atomic<int> monsterFights{0};

int waitingPlayer(Creature *c) {
    c->energy = c->moveDelay;
    return 1;
}

int countingBump(Creature *mover, Creature *other) {
    if (other != &player)
        monsterFights.fetch_add(1);
    return enemy_bump(mover, other);
}

int countingSpawner(Creature *c) {
    c->energy = 10000;
    Creature *m = enemy_rand(60, 100, 1, 3);
    if (m != nullptr) {
        m->bump = countingBump;
        arrivals.fetch_add(1);
    }
    creature_arrive(m);
    return 1;
}

// What the window thread does between keys: a frame, drawn only when map
// generation does not hold the picture, and a key whenever the logic thread
// waits on "More...".
void windowFrame(bool keys) {
    update();
    if (tryTakeDrawing()) {
        render();
        giveDrawing();
    }
    if (keys && holdCount() > 0)
        input(' ');
    std::this_thread::sleep_for(2ms);
}

template <typename Pred> bool framesUntil(Pred done, int timeoutMs, bool keys = true) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        windowFrame(keys);
    }
    return true;
}

int monstersInRing(const Creature *spawner) {
    int n = 0;
    for (Creature *c = player.next; c != &player; c = c->next)
        n += c != spawner;
    return n;
}

// The ring is whole and every creature on the map is where its tile says.
void expectConsistentWorld(const Creature *spawner) {
    std::set<const Creature *> ring;
    const Creature *c = &player;
    int steps = 0;
    do {
        ASSERT_NE(c->next, nullptr);
        ASSERT_EQ(c->next->prev, c);
        ring.insert(c);
        c = c->next;
        ASSERT_LT(++steps, 100000);
    } while (c != &player);
    EXPECT_TRUE(ring.count(spawner));
    for (const Creature *k : ring) {
        if (k == spawner)
            continue;
        ASSERT_TRUE(onMap(k->x, k->y));
        EXPECT_EQ(tileAt(k->x, k->y).creature, k);
    }
    for (const Tile &t : map) {
        if (t.creature != nullptr) {
            EXPECT_TRUE(ring.count(t.creature));
        }
    }
}

} // namespace

namespace {

std::atomic<int> promptTurns{0};

// A monster turn that waits once on a "More..." prompt and goes on working
// on its creature afterwards, as a blow's messages do before its damage.
int promptingAct(Creature *c) {
    c->energy = c->moveDelay;
    if (promptTurns.fetch_add(1) == 0) {
        vell::pause();
        c->gold += 1;
        c->energy = wrapAdd(c->energy, c->health);
    }
    return 1;
}

} // namespace

TEST(ThreadedWorld, GenerationWaitsWhileAMonsterTurnIsSuspended) {
    freshWorld(6);
    placePlayer(10, 10);
    player.act = waitingPlayer;
    Creature *m = creature_new();
    m->act = promptingAct;
    m->speed = 20000;
    m->x = 50;
    m->y = 30;
    tileAt(50, 30).creature = m;
    promptTurns = 0;
    const int before = mapGenerationsDone();
    std::thread logic(startGameLoop);
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (holdCount() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(holdCount(), 1);

    ASSERT_EQ(regenMap(), 1);
    // Frames go on, but the monster's tile is not reached while its turn
    // waits for the key.
    framesUntil([] { return false; }, 300, false);
    {
        WorldGuard g;
        EXPECT_TRUE(turnSuspended());
        EXPECT_EQ(tileAt(50, 30).creature, m);
        EXPECT_EQ(mapGenerationsDone(), before);
        EXPECT_EQ(mi.load(), 1);
    }
    input(' '); // the key that answers the prompt
    EXPECT_TRUE(framesUntil([] { return mi.load() == 0; }, LONG_WAIT_MS));
    {
        WorldGuard g;
        EXPECT_EQ(tileAt(50, 30).creature, nullptr);
        EXPECT_EQ(player.next, &player);
    }
    EXPECT_EQ(mapGenerationsDone(), before + 1);
    end_game();
    while (logicThreadRunning.load())
        releaseLogic();
    logic.join();
}

TEST(ThreadedWorld, MapsAreMadeWhileMonstersMoveFightArriveAndDie) {
    freshWorld(5);
    mapInit();
    placePlayer(45, 20);
    player.act = waitingPlayer;
    Creature *spawner = creature_new();
    spawner->act = countingSpawner;
    spawner->speed = 500;
    // A few wanderers and elementals, and marching monsters placed around
    // the player so that they meet each other on the way.
    for (int i = 0; i < 6; ++i)
        randEnemy(40 + i, 25);
    addChaosElemental();
    addChaosElemental();
    addSuperiorChaosElemental();
    for (int i = 0; i < 12; ++i) {
        Creature *m = enemy_leveled(2);
        m->bump = countingBump;
        creature_arrive(m);
    }
    const int made = monstersInRing(spawner);
    arrivals = 0;
    monsterFights = 0;
    const int generations = mapGenerationsDone();

    std::thread logic(startGameLoop);

    // The world runs on its own for a while: monsters march, fight and die.
    auto until = std::chrono::steady_clock::now() + 700ms;
    ASSERT_TRUE(framesUntil([&] { return std::chrono::steady_clock::now() >= until; }, 10000));
    int deaths;
    {
        WorldGuard g;
        // Nothing was removed yet, so every monster missing has died.
        deaths = made + arrivals.load() - monstersInRing(spawner);
        expectConsistentWorld(spawner);
    }
    EXPECT_GT(arrivals.load(), 0);
    EXPECT_GT(monsterFights.load(), 0);
    EXPECT_GT(deaths, 0);

    // Two requests at once, the second while the first runs, asked like
    // the flee effect asks: on the window thread, holding the world lock.
    {
        WorldGuard g;
        EXPECT_EQ(regenMap(), 1);
        EXPECT_EQ(regenMap(), 1);
    }
    EXPECT_TRUE(framesUntil([] { return mi.load() == 0; }, LONG_WAIT_MS));
    EXPECT_EQ(mapGenerationsDone(), generations + 2);
    {
        WorldGuard g;
        expectConsistentWorld(spawner);
    }

    // One more, and another request half-way through it.
    EXPECT_EQ(regenMap(), 1);
    const int third = arrivals.load();
    framesUntil([] { return false; }, 100);
    EXPECT_EQ(regenMap(), 1);
    EXPECT_TRUE(framesUntil([] { return mi.load() == 0; }, LONG_WAIT_MS));
    EXPECT_GE(mapGenerationsDone(), generations + 3);
    EXPECT_LE(mapGenerationsDone(), generations + 4);
    EXPECT_GT(arrivals.load(), third); // the world kept running meanwhile

    // Shut down as the game does: closing, release until nobody holds the
    // logic thread, let it leave the scheduler, wait for generation.
    EXPECT_EQ(regenMap(), 1);
    end_game();
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (logicThreadRunning.load() && std::chrono::steady_clock::now() < deadline) {
        releaseLogic();
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(logicThreadRunning.load(), 0);
    logic.join();
    EXPECT_EQ(waitMapInit(LONG_WAIT_MS), 1);

    WorldGuard g;
    expectConsistentWorld(spawner);
    EXPECT_EQ(player.x, 45);
    EXPECT_EQ(player.y, 20);
    EXPECT_EQ(tileAt(45, 20).creature, &player);
    EXPECT_EQ(player.health, 1000);
}
