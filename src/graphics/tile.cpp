#include "graphics/tile.h"

#include <cstring>
#include <mutex>

#include "graphics/graphics.h"
#include "graphics/map.h"
#include "platform/font.h"

namespace vell {

void tileLook(const Tile *tile, unsigned char *glyph, unsigned char *r, unsigned char *g,
              unsigned char *b) {
    if (tile->creature != nullptr) {
        const Creature *c = tile->creature;
        *glyph = c->glyph, *r = c->r, *g = c->g, *b = c->b;
    } else if (tile->item != nullptr) {
        const Item *it = tile->item;
        *glyph = it->glyph, *r = it->r, *g = it->g, *b = it->b;
    } else {
        *glyph = tile->glyph, *r = tile->r, *g = tile->g, *b = tile->b;
    }
}

void drawTile(const Tile *tile, int x, int y) {
    if (tile == nullptr || gameTex == nullptr)
        return;
    unsigned char glyph, r, g, b;
    tileLook(tile, &glyph, &r, &g, &b);
    const int sx = 8 * x, sy = 12 * y + 24;
    drawCharDirect(sx, sy, 219, 0, 0, 0, gameTex);
    drawCharDirect(sx, sy, glyph, r, g, b, gameTex);
}

void drawTileToTex(const Tile *tile, int x, int y) {
    if (tile == nullptr || !onMap(x, y) || gameTex == nullptr)
        return;
    std::lock_guard<std::recursive_mutex> guard(
        mapBlock_lock(x / BLOCK_TILES_X, y / BLOCK_TILES_Y));
    drawTileToBlock(tile, x, y);
}

void drawTileToBlock(const Tile *tile, int x, int y) {
    if (tile == nullptr || !onMap(x, y) || gameTex == nullptr)
        return;
    const int i = x / BLOCK_TILES_X, j = y / BLOCK_TILES_Y;
    TexBlock *image = mapTex[i][j].image;
    if (image == nullptr)
        return;
    unsigned char glyph, r, g, b;
    tileLook(tile, &glyph, &r, &g, &b);
    const int px = 8 * (x % BLOCK_TILES_X), py = 12 * (y % BLOCK_TILES_Y);
    drawCellToImage(glyph, r, g, b, px, py, image, gameTex);
    mapBlock_drawnInto(i, j);
}

namespace {

// The last answer of tileShownByImage for each tile, with what it depended
// on: the tile's look and the uploads of its block's image and of the sheet.
struct ShownByImage {
    unsigned char glyph, r, g, b;
    unsigned imageUploads, sheetUploads;
    bool known, shown;
};
ShownByImage shownByImage[MAP_W * MAP_H];

} // namespace

bool tileShownByImage(const Tile *tile, int x, int y) {
    if (tile == nullptr || !onMap(x, y) || gameTex == nullptr)
        return false;
    const TexBlock *image = mapTex[x / BLOCK_TILES_X][y / BLOCK_TILES_Y].image;
    if (image == nullptr)
        return false;
    unsigned char glyph, r, g, b;
    tileLook(tile, &glyph, &r, &g, &b);
    ShownByImage &last = shownByImage[x * MAP_H + y];
    const unsigned imageUploads = texBlock_uploads(image), sheetUploads = texBlock_uploads(gameTex);
    if (last.known && last.glyph == glyph && last.r == r && last.g == g && last.b == b &&
        last.imageUploads == imageUploads && last.sheetUploads == sheetUploads)
        return last.shown;
    last = ShownByImage{glyph, r, g, b, imageUploads, sheetUploads, true, false};
    // Only plain glyphs blend without rounding, on the screen as in memory.
    if (!glyphIsPlain(219, gameTex) || !glyphIsPlain(glyph, gameTex))
        return false;
    unsigned char pixels[16 * 8 * 4];
    TexBlock cell{8, 16, 8, 12, 0, pixels, 0};
    const int px = 8 * (x % BLOCK_TILES_X), py = 12 * (y % BLOCK_TILES_Y);
    for (int row = 0; row < 12; ++row)
        std::memcpy(pixels + row * 8 * 4, image->pixels + ((py + row) * image->tw + px) * 4, 8 * 4);
    last.shown = !drawCellToImage(glyph, r, g, b, 0, 0, &cell, gameTex);
    return last.shown;
}

} // namespace vell
