#pragma once
// Map generation on a thread of its own: grass, a scatter of items, up to
// three dirt paths; every creature but the player is removed.
//
// Locking: every tile is rewritten holding the `drawing` flag and the world
// lock, taken in that order. The window thread holds the world lock and only
// try-takes `drawing`, so the opposite order would deadlock. Between tiles
// the other threads run freely: creatures move, arrive and are drawn while
// the new field spreads over the map.

#include <atomic>
#include <thread>

namespace vell {

// Set while a generation thread runs, including any rerun it was asked for;
// the shutdown waits on it.
extern std::atomic<int> mi;

// Identifies the last generation thread started (default id before the
// first). The thread itself is never waited for by the game: a stuck one is
// abandoned when the process ends.
extern std::atomic<std::thread::id> miH;

// Starts a generation thread on startMapInit. Never blocks on a running
// generation (the window thread calls it holding the world lock, which the
// generator needs): a request while one runs books a single rerun, and the
// running thread generates once more when it finishes; further requests
// meanwhile join that same rerun. Two generations never run at once.
// Returns 1 if a thread was started or a rerun booked, 0 if the thread could
// not be started (the map stays as it was). Any thread.
int regenMap();

// Waits until no generation runs (`mi` clear, reruns included); returns 1
// if that happened within timeoutMs milliseconds, else 0. Must not be called
// while holding the world lock or `drawing`: the generator needs both to
// finish.
int waitMapInit(int timeoutMs);

// How many generations the generation threads have finished since the
// process started (reruns included); each is counted before `mi` clears.
int mapGenerationsDone();

// A generation thread's entry: seeds the thread's generator with the time in
// seconds, generates, marks the player's tile changed, and generates again
// while reruns are booked; `mi` is set throughout. Started directly while a
// generation runs, it only books a rerun and returns.
void startMapInit();

// Regenerates the whole map on the calling thread's generator: per tile the
// ground (r, g, b, then the glyph), removal of any creature but `player`, a
// fresh item (the old one is freed), the tile drawn into its block; then the
// paths. Takes `drawing` and the world lock per tile itself, so the caller
// holds neither. Never waits on a monster's turn that waits in `pause`: what
// it takes out of the world is retired, not freed under that turn's feet.
// Stops between tiles once `closing` is set.
void mapInit();

// A path from (x0, y0) towards (x1, y1), drawn only when it runs more across
// than up or down (|x0 - x1| > |y0 - y1|); takes `drawing` and the world
// lock per tile.
void dirtPath(int x0, int y0, int x1, int y1, int halfWidth, int jitter);

// One vertical strip per column x0..x1 - 1 (column x1 is not drawn), its
// centre row following a single-precision running sum truncated at every
// column. Draws nothing when x0 >= x1.
void dirtPathH(int x0, int y0, int x1, int y1, int halfWidth, int jitter);

// Dirt on rows y - halfWidth - j1 up to, not including, y + halfWidth + j2
// of column x, where j1 and j2 are each a random number below jitter + 10,
// divided by 10; rows are clipped to the map, a column off the map is
// ignored. Takes `drawing` and the world lock per tile.
void dirtStripV(int x, int y, int halfWidth, int jitter);

} // namespace vell
