#pragma once
// The window thread's share of the game: key routing and the frame's work.
// All three entry points take the world lock themselves (it is re-entrant,
// so a caller that already holds it may call them too).

namespace vell {

// One key as one character, dispatched by the input mode at the time it
// arrives: 1 runs a player command, 2 goes on, 3 moves or fires the
// targeting cursor, 4 answers the direction prompt; each then releases one
// hold on the logic thread (mode 3 only when targeting ended). A key in
// mode 0 is dropped at once, without waiting for the world lock that the
// running scheduler holds. Window thread.
void input(signed char key);

// Once per frame: collapse one map block in rotation (block column 1 of
// row 0 first, then on through all 24), mark ten random tiles changed,
// refresh the status lines. Window thread.
void update();

// Once per drawn frame, with `drawing` held: map, status lines, message
// lines, and the targeting cursor while the mode is 3. Window thread.
void render();

// Puts update's rotation back to its start (tests).
void resetFrameCounter();

} // namespace vell
