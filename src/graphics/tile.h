#pragma once
// Drawing one tile: a black solid block, then the tile's creature, else its
// item, else its own ground glyph, all from the game sheet.

#include "core/logic.h"

namespace vell {

// Window thread: draws tile (x, y) straight onto the screen at (8x, 12y + 24).
void drawTile(const Tile *tile, int x, int y);

// Any thread: draws the tile into its block's image under the block's lock.
// Ignores a null tile or (x, y) off the map.
void drawTileToTex(const Tile *tile, int x, int y);
// The same, for a caller that holds the block's lock already.
void drawTileToBlock(const Tile *tile, int x, int y);

// Window thread, under the block's lock: true when drawing the tile straight
// onto the screen would show exactly what its block's image shows there
// already (the image as it was last uploaded). The answer is kept until the
// tile's look or an upload of the image or of the sheet can change it.
bool tileShownByImage(const Tile *tile, int x, int y);

// The glyph and colour a tile shows.
void tileLook(const Tile *tile, unsigned char *glyph, unsigned char *r, unsigned char *g,
              unsigned char *b);

} // namespace vell
