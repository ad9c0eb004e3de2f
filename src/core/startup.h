#pragma once
// Building the world at start-up, and the spawner.

#include "core/logic.h"

namespace vell {

// Window thread, OpenGL current, before the logic thread starts: loads the
// glyph sheet and makes its two working copies, sets up the player on tile
// (30, 20), creates the message, status and map block images, adds the
// spawner to the ring and starts the first map generation. On failure it
// writes one fatal line to the error log, sets `closing` and builds nothing
// further. font.bmp is looked for in the working directory, then in exeDir
// (may be null or empty), then in exeDir/../share/games/vell, so the game starts
// from any directory, from its build tree or installed; a missing one also
// lists those places on standard error.
void init(const char *exeDir = nullptr);

// The shutdown of the logic and map generation threads (window thread): sets
// `closing`, releases the logic thread until nothing holds it, waits up to
// 101 naps of 100 ms for a running map generation to end and as long for the
// logic thread to leave the scheduler, then joins it and frees what was
// retired. False when a thread did not end in time: the caller then ends the
// process without waiting on it.
bool stopThreads();

// The spawner's act handler (logic thread): now and then a monster of the
// player's level to two above it arrives at an edge of the map. Costs 10000
// energy whether or not one came; returns 1.
int spawner_act(Creature *c);

} // namespace vell
