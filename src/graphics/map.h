#pragma once
// Map display: the 90 x 40 map shown as 6 x 4 blocks of 15 x 10 tiles, each
// baked into a 120 x 120 image. A changed tile is drawn straight onto the
// screen every frame until its block is collapsed (its pending tiles drawn
// into the image). Any thread may report a change; each block's list is
// guarded by a lock of its own. Only the window thread draws to the screen.

#include <mutex>

#include "graphics/graphics.h"

namespace vell {

constexpr int BLOCK_COLS = 6;
constexpr int BLOCK_ROWS = 4;
constexpr int BLOCK_TILES_X = 15;
constexpr int BLOCK_TILES_Y = 10;
constexpr int BLOCK_MAX_CHANGES = 19;

struct MapBlock {
    TexBlock *image;
    int count;
    int changes[20][2];
};

// Indexed [block column][block row].
extern MapBlock mapTex[BLOCK_COLS][BLOCK_ROWS];

// Report that tile (x, y) changed (off-map coordinates are ignored). Any
// thread; a full list is collapsed on the calling thread.
void addChange(int x, int y);
void tileChanged(int x, int y);

// Draws the block's pending tiles into its image and empties its list.
// Takes the block's lock; world lock held by the caller (it reads tiles).
void mapBlock_collapse(MapBlock *block);

// Window thread, inside render: every block image, then its pending tiles.
void drawMap();

// The lock of block (i, j): it guards the block's list and drawing into its
// image. Recursive; always taken inside the world lock, never around it.
std::recursive_mutex &mapBlock_lock(int i, int j);

// Records that a tile was drawn into block (i, j)'s image, whether or not
// that changed its pixels: drawMap then collapses the block before showing
// it, as it does when the image changed. Under the block's lock.
void mapBlock_drawnInto(int i, int j);

// Creates the 24 block images with empty lists (window thread, by init).
// Blocks that already have an image keep it. Returns 0 if an image could not
// be made.
int mapTex_init();

} // namespace vell
