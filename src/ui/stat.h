#pragma once
// The two status lines below the map. Window thread only.

#include "graphics/graphics.h"

namespace vell {

extern TexBlock *stat;          // 720 x 24; row 0 at y = 12, row 1 at y = 0
extern char statText[2][90];    // the character last drawn in each cell

int stat_init(); // creates the image (window thread, by init); 0 on failure

void addStatChar(int c, int column, int row);
int addStatChars(const char *text, int column, int row);
void updateStat();
void drawStat();

} // namespace vell
