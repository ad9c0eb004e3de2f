#pragma once
// The player's turn, its command keys, the targeting cursor and the
// direction prompt, and level advancement.
//
// Threads: player_act runs on the logic thread (the scheduler holds the
// world lock around it); every other function here runs on the window
// thread inside `input`, with the world lock held and the logic thread
// stopped in player_act's pause, so commands never overlap monster turns.

#include "core/logic.h"

namespace vell {

// The targeting cursor's tile (column 0..89, row 0..39).
extern int cursorX, cursorY;
extern int action;    // 0 none, 1 shoot
extern int dirAction; // 0 none, 1 chaos bolt, 2 chaos blast

// Logic thread: the player's act handler. Sets mode 1 and stops in pause
// until the key router has run a command; then mode 0. Returns 1 when the
// command left `player`'s energy above 0, else 0 (the scheduler then asks
// again at once).
int player_act(Creature *c);

// Walking into a creature attacks it; returns creature_attack's result.
int player_bump(Creature *mover, Creature *other);

// Window thread, inside input (mode 1). Clears the message lines for every
// key; only the codes 33..121 can name a command (codes of 128 and up
// arrive negative and name none).
void playerInput(signed char key);

// Open the targeting cursor on the player's cell (mode 3), or the direction
// prompt (mode 4). Each adds one hold on the stopped logic thread, so the
// router's release after the command leaves it stopped for the second key.
void position();
void direction();

// Mode 3: "1".."9" move the cursor and return 0; any other key fires the
// pending action and returns 1 (targeting over).
int moveCursor(signed char key);
// Moves the cursor only if the new cell is on the map.
void moveCursorBy(int dx, int dy);
// Carries out `action` at the cursor, then clears it.
void player_action();

// Mode 4: "1".."9" cast the pending aimed effect that way and return its
// result; any other key does nothing and returns 0.
int dirKey(signed char key);
// Casts `dirAction` in the direction (dx, dy), clears it, returns the
// effect's result (0 when none was pending).
int direction_act(int dx, int dy);

// Called by creature death on the thread where the killing blow fell.
void player_levelup();

} // namespace vell
