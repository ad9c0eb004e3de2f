#pragma once
// The world: the records every module shares, the map, the player, the
// creature ring, the scheduler that runs on the logic thread, and the pause
// hand-off by which the logic thread stops while it waits for a key.
//
// Threads and the world lock. Three threads touch the world: the window
// thread (frame work and every player command), the logic thread (the
// scheduler) and the map generation thread. All of them hold the world lock
// while they read or change tiles, creatures, items or the message lines:
//   - the scheduler around each creature's step;
//   - the window thread around `input`, `update` and `render`;
//   - map generation around each tile it rewrites.
// The logic thread gives the lock up while it waits in `pause`, so the window
// thread can run the player's command. Game functions below the entry points
// never take the lock themselves: their callers hold it. Tests that drive the
// world from a single thread need not take it.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <thread>

namespace vell {

constexpr int MAP_W = 90;
constexpr int MAP_H = 40;

struct Creature;
using ActFn = int (*)(Creature *);
using BumpFn = int (*)(Creature *, Creature *);

struct Creature {
    int x;
    int y;
    int energy;
    int speed;
    int moveDelay;
    unsigned char glyph;
    unsigned char r, g, b;
    const char *name;
    ActFn act;
    BumpFn bump;
    Creature *next;
    Creature *prev;
    int gold;
    int level;
    int arrows;
    int magic;
    int health;
    int defenseMin;
    int defenseSpread;
    int damageMin;
    int damageSpread;
};

struct Item {
    unsigned char glyph;
    unsigned char r, g, b;
    int kind; // 0 plain, 1 gold, 2 arrows, 3 magical gem, 4 health, 5 scroll of order
    int amount;
    int magic;
    int flags; // bit 0: "an"; bit 1: counted with a word group ("a pile of")
    const char *name;
    const char *plural;
};

struct Tile {
    unsigned char glyph;
    unsigned char r, g, b;
    Creature *creature;
    Item *item;
};

// Column-major: tile (x, y) is map[x * MAP_H + y].
extern Tile map[MAP_W * MAP_H];

// The caller guarantees 0 <= x < MAP_W and 0 <= y < MAP_H.
inline Tile &tileAt(int x, int y) { return map[x * MAP_H + y]; }
inline bool onMap(int x, int y) { return x >= 0 && x < MAP_W && y >= 0 && y < MAP_H; }

// Head of the creature ring; a static record, never freed.
extern Creature player;

// Input modes: 0 world running, 1 command expected, 2 any key goes on,
// 3 targeting cursor, 4 direction expected.
extern std::atomic<int> inputType;

// Set once the game is ending; never cleared while the process runs.
extern std::atomic<int> closing;

// Held by the frame loop while it renders and by map generation around each
// tile. Take it with tryTakeDrawing (one atomic test-and-set) or takeDrawing.
extern std::atomic<int> drawing;
bool tryTakeDrawing();
void takeDrawing(); // sleeps 1 ms between tries
void giveDrawing();

// Error log (err.txt once the window thread opened it; may be null, in which
// case fatal lines still reach standard error). writeError writes to both.
extern std::FILE *errout;
void writeError(const char *text);

// The logic thread, started on startGameLoop by the window thread.
extern std::thread logicThread;
extern std::atomic<int> logicThreadRunning;

// --- Wrapping 32-bit arithmetic ---------------------------------------------
// Energy, speed and the stats without an upper bound wrap as 32-bit signed
// integers; done through unsigned so it is never undefined behaviour.
inline int wrapAdd(int a, int b) {
    return static_cast<int>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline int wrapSub(int a, int b) {
    return static_cast<int>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
inline int wrapMul(int a, int b) {
    return static_cast<int>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
// A result worked out in 64 bits, wrapped to 32 once at the end.
inline int wrapWide(long long v) {
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<unsigned long long>(v)));
}

// --- World lock --------------------------------------------------------------
// Re-entrant per thread: a thread that already holds it may take it again.
void worldLock();
void worldUnlock();

struct WorldGuard {
    WorldGuard() { worldLock(); }
    ~WorldGuard() { worldUnlock(); }
    WorldGuard(const WorldGuard &) = delete;
    WorldGuard &operator=(const WorldGuard &) = delete;
};

// --- Scheduler and hand-off --------------------------------------------------

// The scheduler: walks the ring from `player` until `closing` is set.
// The calling thread is the logic thread until it returns (its pauses wait);
// takes the world lock around each creature's step.
void gameLoop();

// The logic thread's entry: marks the calling thread as the logic thread,
// sets logicThreadRunning, runs gameLoop, clears logicThreadRunning.
void startGameLoop();

// Adds one hold on the logic thread (unless `closing` is set). On the logic
// thread it then waits, with the world lock given up, until no hold is left;
// on any other thread it returns at once. Mode 0 shows as 2 meanwhile.
// Returns the mode it restored.
int pause();

// Takes one hold away if there is one; returns the count it found (0: the
// logic thread was not held). Any thread.
int releaseLogic();

// Current number of holds (for the shutdown and for tests).
int holdCount();

// Sets `closing`.
void end_game();

// Unlinks c from the ring (never `player`) and keeps the scheduler's walk
// valid: if the scheduler is about to visit c, or c's step is under way with
// its handler waiting in `pause`, the scheduler goes on with c's successor and
// never touches c again. World lock held. Does not free c.
void ring_unlink(Creature *c);

// Leaving the world and giving the memory back are two steps. A creature or
// item leaves at once (its caller unlinks it from the ring and its tile
// first), then is handed to retire. While a monster's step is under way on
// the logic thread, that step may be waiting in `pause` ("More...", the
// player's death) with pointers to creatures on its stack, and another
// thread (map generation) may take those very creatures out of the world
// meanwhile; so during a monster's step the memory is kept until the step
// has ended, and otherwise returned at once. World lock held.
void retire(Creature *c);
void retire(Item *it);

// True if c left the world during the monster step under way: its memory is
// still there, but it must not be read or changed. A step that may have
// waited in `pause` asks this of its actor and target before it goes on
// with them. Compares the pointer only. World lock held.
bool retired(const Creature *c);

// Returns the memory of everything retired. Only when no step can hold it:
// the scheduler between steps, the shutdown after the other threads ended,
// world_reset. World lock held (taken if not).
void freeRetired();

// Resets the whole world to its state before init: empty map (items freed),
// every creature but `player` unlinked and freed, the retired freed, `player`
// zeroed as a ring of one, modes and flags cleared, holds at 0. For tests and
// start-up.
void world_reset();

} // namespace vell
