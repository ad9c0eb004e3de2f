#pragma once
// The two status lines below the map. Window thread only.

#include "graphics/graphics.h"

namespace vell {

extern TexBlock *stat;       // 720 x 24; row 0 at y = 12, row 1 at y = 0
extern char statText[2][90]; // the character last drawn in each cell

int stat_init(); // creates the image (window thread, by init); 0 on failure

// Draws c in a cell when it differs from what the cell holds, and an
// unchanged one when rnd() % 100 is 0 (the draw is made only for unchanged
// cells). Cells off the row (column outside 0..89) are dropped.
void addStatChar(int c, int column, int row);
// Returns column + the length of text.
int addStatChars(const char *text, int column, int row);
void updateStat();
void drawStat();

} // namespace vell
