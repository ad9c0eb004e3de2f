#pragma once
// The player's turn, its command keys, the targeting cursor and the
// direction prompt, and level advancement.

#include "core/logic.h"

namespace vell {

extern int cursorX, cursorY;
extern int action;    // 0 none, 1 shoot
extern int dirAction; // 0 none, 1 chaos bolt, 2 chaos blast

// Logic thread: the player's act handler (mode 1, pause, mode 0).
int player_act(Creature *c);
int player_bump(Creature *mover, Creature *other);

// Window thread, inside input, with the world lock held.
void playerInput(signed char key);
void position();
void direction();
int moveCursor(signed char key);
void moveCursorBy(int dx, int dy);
void player_action();
int dirKey(signed char key);
int direction_act(int dx, int dy);

// Called by creature death on the thread where the killing blow fell.
void player_levelup();

} // namespace vell
