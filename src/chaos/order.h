#pragma once
// Order: copies pixels back, the text sheet from the untouched sheet and the
// game sheet from the text sheet. Window thread, inside a player command.

namespace vell {

void uncorrupt(int amount);
void uncorrupt_game_char();
void uncorrupt_text_char();
void uncorrupt_game();
void uncorrupt_text();

} // namespace vell
