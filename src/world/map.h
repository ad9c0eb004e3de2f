#pragma once
// Map generation on a thread of its own: grass, a scatter of items, up to
// three dirt paths; every creature but the player is removed.

#include <atomic>
#include <thread>

namespace vell {

// Set while a map generation thread runs.
extern std::atomic<int> mi;

// Starts a generation (window thread). While one runs, a new request is not
// lost and does not block: the running thread generates once more after it
// finishes. Returns 1 if a thread was started or a rerun was booked.
int regenMap();

// Waits until no generation runs (tests, shutdown); returns 1 if it ended
// within the given milliseconds.
int waitMapInit(int timeoutMs);

// The generation thread's entry.
void startMapInit();

// Regenerates the whole map; takes `drawing` and the world lock per tile.
void mapInit();

void dirtPath(int x0, int y0, int x1, int y1, int halfWidth, int jitter);
void dirtPathH(int x0, int y0, int x1, int y1, int halfWidth, int jitter);
void dirtStripV(int x, int y, int halfWidth, int jitter);

} // namespace vell
