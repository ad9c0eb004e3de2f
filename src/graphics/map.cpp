#include "graphics/map.h"

#include <mutex>

#include "core/logic.h"
#include "graphics/glseam.h"
#include "graphics/tile.h"

namespace vell {

MapBlock mapTex[BLOCK_COLS][BLOCK_ROWS];

namespace {

// One lock per block guards its list and drawing into its image. It is
// recursive because a full list collapses inside addChange, and a collapse
// draws each tile through drawTileToTex, which takes the lock itself (map
// generation calls it from its own thread). Block locks are always taken
// inside the world lock, never around it.
std::recursive_mutex blockLocks[BLOCK_COLS][BLOCK_ROWS];

// Blocks drawn into since drawMap last showed them. A redraw that left the
// pixels as they were does not mark the image for upload, but the block is
// still collapsed at its next showing, so that the same tiles are baked or
// drawn directly as when every redraw marked it.
bool drawnInto[BLOCK_COLS][BLOCK_ROWS];

std::recursive_mutex *lockOf(MapBlock *block) {
    MapBlock *first = &mapTex[0][0];
    std::ptrdiff_t index = block - first;
    if (index < 0 || index >= BLOCK_COLS * BLOCK_ROWS)
        return nullptr;
    return &blockLocks[0][0] + index;
}

// Locks a block of mapTex; a block from elsewhere (a test's own) is the
// caller's to keep to one thread.
struct BlockGuard {
    std::recursive_mutex *m;
    explicit BlockGuard(MapBlock *block) : m(lockOf(block)) {
        if (m != nullptr)
            m->lock();
    }
    ~BlockGuard() {
        if (m != nullptr)
            m->unlock();
    }
    BlockGuard(const BlockGuard &) = delete;
    BlockGuard &operator=(const BlockGuard &) = delete;
};

} // namespace

void mapBlock_drawnInto(int i, int j) {
    drawnInto[i][j] = true;
}

std::recursive_mutex &mapBlock_lock(int i, int j) {
    return blockLocks[i][j];
}

int mapTex_init() {
    int ok = 1;
    for (int i = 0; i < BLOCK_COLS; ++i) {
        for (int j = 0; j < BLOCK_ROWS; ++j) {
            MapBlock *block = &mapTex[i][j];
            BlockGuard guard(block);
            block->count = 0;
            if (block->image == nullptr)
                block->image = texBlock_new(BLOCK_TILES_X * 8, BLOCK_TILES_Y * 12);
            if (block->image == nullptr)
                ok = 0;
        }
    }
    return ok;
}

void addChange(int x, int y) {
    // Off-map coordinates would index past mapTex; they are dropped.
    if (!onMap(x, y))
        return;
    MapBlock *block = &mapTex[x / BLOCK_TILES_X][y / BLOCK_TILES_Y];
    BlockGuard guard(block);
    for (int k = 0; k < block->count; ++k)
        if (block->changes[k][0] == x && block->changes[k][1] == y)
            return;
    if (block->count + 1 > BLOCK_MAX_CHANGES)
        mapBlock_collapse(block);
    block->changes[block->count][0] = x;
    block->changes[block->count][1] = y;
    ++block->count;
}

void tileChanged(int x, int y) {
    addChange(x, y);
}

void mapBlock_collapse(MapBlock *block) {
    if (block == nullptr)
        return;
    BlockGuard guard(block);
    for (int k = 0; k < block->count; ++k) {
        int x = block->changes[k][0], y = block->changes[k][1];
        // The lock is held already for a block of the map, whose tiles
        // are its own.
        if (guard.m != nullptr && &mapTex[x / BLOCK_TILES_X][y / BLOCK_TILES_Y] == block)
            drawTileToBlock(&tileAt(x, y), x, y);
        else
            drawTileToTex(&tileAt(x, y), x, y);
    }
    block->count = 0;
}

void drawMap() {
    for (int i = 0; i < BLOCK_COLS; ++i) {
        for (int j = 0; j < BLOCK_ROWS; ++j) {
            MapBlock *block = &mapTex[i][j];
            // Held across the upload too: map generation may be drawing
            // into this image on its own thread.
            BlockGuard guard(block);
            if (block->image != nullptr && (texBlock_changed(block->image) || drawnInto[i][j]))
                mapBlock_collapse(block);
            drawnInto[i][j] = false;
            drawTexBlock(block->image, 120 * i, 120 * j + 24);
            for (int k = 0; k < block->count; ++k) {
                int x = block->changes[k][0], y = block->changes[k][1];
                const bool quiet = tileShownByImage(&tileAt(x, y), x, y);
                gl().quiet(quiet);
                drawTile(&tileAt(x, y), x, y);
                gl().quiet(false);
            }
        }
    }
}

} // namespace vell
