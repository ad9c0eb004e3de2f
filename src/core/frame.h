#pragma once
// The window thread's share of the game: key routing and the frame's work.

namespace vell {

// One key as one character; takes the world lock. Window thread.
void input(signed char key);

// Once per frame: collapse one block in rotation, mark ten random tiles,
// refresh the status lines. Takes the world lock. Window thread.
void update();

// Once per drawn frame, with `drawing` held: map, status, messages, and the
// cursor in mode 3. Takes the world lock. Window thread.
void render();

} // namespace vell
