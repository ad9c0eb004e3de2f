#pragma once
// Corruption of the picture: flipped bits in the glyph sheets, scrambled
// tiles, Chaos Elementals. Window thread, inside a player command.

namespace vell {

void corrupt(int amount);
void corruptInRange(int radius);
void corruptTile(int x, int y, float strength);

} // namespace vell
