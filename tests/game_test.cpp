// The scheduler and the pause hand-off on a real logic thread, this thread playing the window
// thread, and the input modes it hands keys over by; map generation on its own thread; the
// per-frame upkeep and what a frame draws.

#include "support/fixture.h"

namespace {

// What the steps saw, touched under the world lock; the step that ends the game.
std::string trace;
std::size_t stopAt;

enum { ENDS = 1, PAUSES = 2 };

// A step: writes its label, leaves `Energy` (below 1
// asks to be called again), may end the game, and may pause, writing the mode
// that pause gave back.
template <char Label, int Energy = 10000, int Then = 0> int step(Creature *c) {
    trace += Label;
    c->energy = trace.size() < 1000 ? Energy : 1; // a retry that never ends still stops
    if ((Then & ENDS) || trace.size() == stopAt)
        end_game();
    if (Then & PAUSES)
        trace += static_cast<char>('0' + vell::pause());
    return 0;
}

// The test thread adds before the loop starts; a step adds with the lock held.
Creature *add(int speed, ActFn act, int energy = 0) {
    Creature *c = creature_new(); // linked just before `player`
    c->speed = speed, c->act = act, c->energy = energy;
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
        trace.clear(), stopAt = 0;
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
    stopAt = expect.size();
    runLogic();
    EXPECT_EQ(trace, expect);
    EXPECT_EQ((std::vector<int>{idle->energy, slow->energy, back->energy}),
              (std::vector<int>{10000, INT_MAX - 249, 10249}));
}

// Found after a turn, or because a turn unlinked a creature with no successor: reported, and the
// game ends.
TEST_F(Scheduler, BrokenRingIsReportedAndEndsTheGame) {
    for (ActFn act : {ActFn(nullptr), ActFn([](Creature *c) { return ring_unlink(c), 0; })}) {
        char logged[99] = {};
        errout = fmemopen(logged, sizeof logged, "w");
        Creature *c = add(1, act);
        c->next = nullptr; // world_reset still frees it while it is linked
        EXPECT_EQ(runLogic(), 1);
        EXPECT_STREQ(logged, "Fatal error: break in creature loop\n"); // flushed at once
        std::fclose(errout);
        if (act != nullptr)
            delete c;
        world_reset();
    }
    errout = nullptr;
}

// The player's turn waits for a key in mode 1; a monster's "More...", in the last columns of line
// 2, in mode 2 until the key for the last hold. A monster swept away meanwhile, as a new map sweeps
// them, lands no blow, and its death leaves no stain and no gold.
TEST_F(Scheduler, MoreHoldsTheTurnWithItsPromptShown) {
    freshWorld();
    Creature *m = add(1, [](Creature *c) { // notes the input mode its step finds and leaves
        trace += static_cast<char>('0' + inputType), creature_attack(c, &player);
        creature_die(c, c);
        return trace += static_cast<char>('0' + inputType), end_game(), c->energy = 9, 0;
    });
    m->name = "1\n2\n3\n4", m->gold = 5, m->damageMin = 5;
    player.act = player_act, player.moveDelay = 10000, player.speed = 1000, player.health = 9;
    runLogic([] {
        ASSERT_TRUE(waitUntil([] { return holdCount() == 1 && inputType == 1; })); // player's turn
        input('5');
        ASSERT_TRUE(waitUntil([] { return holdCount() == 1 && inputType == 2; }));
        EXPECT_EQ(shownLine(2), "3" + std::string(82, ' ') + "More...");
        {
            WorldGuard g; // the logic thread cannot put its mode back meanwhile
            creature_remove(player.prev);
            vell::pause(), input('z'); // a second prompt: its key keeps the mode for the first
            EXPECT_EQ(inputType.load(), 2);
            input('z'); // the last key of the turn: mode 0 at once
            EXPECT_TRUE(holdCount() == 0 && inputType.load() == 0);
        }
        ASSERT_TRUE(waitUntil([] { return holdCount() == 1; })); // the death's own "More..."
        input('z');
    });
    EXPECT_TRUE(trace == "00" && player.prev == &player && !map[0].item && map[0].r == 0);
    EXPECT_EQ(player.health, 9);
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
            WorldGuard g; // the last release under the world lock, as a key router makes it
            EXPECT_EQ(releaseLogic(), 1);
            // The logic thread wakes and waits for the world lock, not holding the hold lock.
            std::this_thread::sleep_for(20ms);
            EXPECT_EQ(holdCount(), 0);
        },
        gameLoop);
    EXPECT_TRUE(trace == "A0B0" && player.next != a && a->next == nullptr);
    EXPECT_EQ(vell::pause(), 0);
    EXPECT_EQ(holdCount(), 0);
    delete a;
}

// Each thread draws from its own generator, which starts as if seeded with 1; a generation thread
// seeds its own. Maps asked for while one is being made (on the window thread holding the world
// lock, as the flee effect asks) are booked as one rerun on the same thread; a rerun booked before
// the window closes is dropped.
TEST(MapGeneration, OwnGeneratorsAndARerunAskedForWhileRunningButNotAfterTheClose) {
    std::vector<int> mine(5), other(5);
    srnd(1);
    std::thread([&] { std::generate(other.begin(), other.end(), rnd); }).join(); // never seeded
    std::generate(mine.begin(), mine.end(), rnd); // the other thread's draws left this state alone
    EXPECT_TRUE(other == mine && mine == std::vector<int>({41, 18467, 6334, 26500, 19169}));
    freshWorld(5);
    auto ground = [] {
        std::string s;
        for (const Tile &t : map)
            s.append(reinterpret_cast<const char *>(&t), 4);
        return s;
    };
    EXPECT_TRUE(regenMap() == 1 && miH.load() != std::thread::id() && waitMapInit(120000) == 1 &&
                pending(0, 0)); // the player's tile
    const std::string made = ground();
    srnd(1);
    mapInit();
    EXPECT_TRUE(ground() != made);
    const int done = mapGenerationsDone();
    startMapInit(); // nothing running: made here and now
    EXPECT_TRUE(mapGenerationsDone() == done + 1 && mi.load() == 0);
    for (int close : {0, 1}) {
        const int before = mapGenerationsDone();
        {
            WorldGuard g; // the generation waits for it
            EXPECT_EQ(regenMap(), 1);
            const std::thread::id first = miH.load();
            EXPECT_EQ(regenMap() + regenMap(), 2);
            startMapInit(); // the entry itself only books as well
            EXPECT_EQ(miH.load(), first);
            if (close)
                end_game();
        }
        EXPECT_EQ(waitMapInit(120000), 1); // sanitizer builds are slow
        EXPECT_EQ(mapGenerationsDone(), before + 2 - close);
    }
    world_reset();
}

// The player in the map's top left corner, the cursor on it, a shot pending.
static void fresh(unsigned seed = 1) {
    freshWorld(seed);
    resetFrameCounter();
    player.moveDelay = 10000, player.energy = -5;
    tileAt(player.x = cursorX = 0, player.y = cursorY = 39).creature = &player;
    action = dirAction = 1;
}

// Each block gets a marker tile each frame; the one whose marker is gone was
// collapsed. The ten random tiles of the first frame are drawn row first; an eleventh draw's tile
// (as seed 4242 gives it) is not marked.
TEST(FrameUpdate, CollapsesBlockColumnOneOfRowZeroFirstAndMarksTenTiles) {
    fresh(4242);
    int tiles[11][2];
    for (auto &t : tiles)
        t[1] = rnd() % 40, t[0] = rnd() % 90;
    srnd(4242);
    for (int frame = 1; frame <= 25; ++frame) {
        for (int b = 0; b < 24; ++b)
            addChange(15 * (b % 6) + 7, 10 * (b / 6) + 5);
        update();
        std::vector<int> collapsed;
        for (int b = 0; b < 24; ++b)
            if (!pending(15 * (b % 6) + 7, 10 * (b / 6) + 5))
                collapsed.push_back(b);
        EXPECT_EQ(collapsed, std::vector<int>{frame % 24}) << "frame " << frame;
        EXPECT_EQ(shownStatRow(0).substr(0, 10), "Health: 0 "); // the status is kept up
        for (int i = 0; frame == 1 && i < 11; ++i)
            EXPECT_EQ(pending(tiles[i][0], tiles[i][1]), i < 10)
                << tiles[i][0] << "," << tiles[i][1];
    }
}

// Lines 0, 1, 2 from the top of the window down, the status rows at its bottom, each the
// window's full width; the cursor, glyph 88 of the text sheet, only in mode 3.
TEST(FrameRender, LinesTopDownStatusAtTheBottomAndTheYellowXOnlyInModeThree) {
    for (int mode = 0; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        fresh();
        inputType.store(mode);
        cursorX = 17;
        render();
        const auto &q = recordingGl().quads;
        for (int i = 0; i < 4; ++i) { // lines 0 to 2 at 528, 516 and 504, the status rows at 0
            const unsigned texture = (i < 3 ? textLine[i] : vell::stat)->texture;
            const auto d = std::ranges::find(q, texture, &RecordingGl::Quad::texture);
            ASSERT_NE(d, q.end());
            EXPECT_TRUE(d->xy[1] == (i < 3 ? 528 - 12 * i : 0) && d->xy[4] == 720) << i;
        }
        const auto &x = q.back(); // at (17 * 8, 39 * 12 + 24)
        EXPECT_EQ(x.texture == fontTex->texture && x.r == 255 && x.g == 255 && x.b == 0 &&
                      x.xy[0] == 136 && x.xy[1] == 492 && x.st[0] * fontTex->tw == 64 &&
                      x.st[1] * fontTex->th == 120,
                  mode == 3);
    }
}
