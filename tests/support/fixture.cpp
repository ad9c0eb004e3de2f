#include "support/fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/logic.h"
#include "core/random.h"
#include "graphics/glseam.h"
#include "graphics/graphics.h"
#include "graphics/map.h"
#include "platform/font.h"
#include "ui/stat.h"
#include "ui/text.h"

#ifndef VELL_SOURCE_DIR
#error "VELL_SOURCE_DIR must name the repository root"
#endif

namespace vell {

namespace {

constexpr int CELL_W = 8;
constexpr int CELL_H = 12;
constexpr int CELL_BYTES = CELL_W * CELL_H * 4;

// The images this process made once. Tests may replace the globals (start-up
// tests call init, chaos swaps pixels), so every fresh world points the
// globals back at these and copies the pristine pixels in again.
struct Display {
    bool ready = false;
    TexBlock *pure = nullptr;
    TexBlock *font = nullptr;
    TexBlock *game = nullptr;
    std::vector<unsigned char> pristine; // the sheet as loaded from the file
    TexBlock *lines[3] = {};
    TexBlock *status = nullptr;
    TexBlock *blocks[BLOCK_COLS][BLOCK_ROWS] = {};
    // Each glyph as text and status drawing leave it: glyph 219 in black,
    // then the glyph in white, over an opaque black cell.
    std::vector<std::array<unsigned char, CELL_BYTES>> shapes;
};

Display display;

void fillOpaqueBlack(TexBlock *image) {
    if (image == nullptr || image->pixels == nullptr)
        return;
    const std::size_t n = static_cast<std::size_t>(image->tw) * image->th;
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char *p = image->pixels + i * 4;
        p[0] = p[1] = p[2] = 0;
        p[3] = 255;
    }
    image->flags |= 1;
}

void copyPixels(TexBlock *image, const std::vector<unsigned char> &from) {
    if (image == nullptr || image->pixels == nullptr)
        return;
    std::memcpy(image->pixels, from.data(), from.size());
    image->flags |= 1;
}

TexBlock *loadSheet() {
    const char *path = VELL_SOURCE_DIR "/data/font.bmp";
    std::FILE *f = std::fopen(path, "rb");
    TexBlock *sheet = f ? loadTexture(f) : nullptr;
    if (f)
        std::fclose(f);
    if (sheet == nullptr) {
        ADD_FAILURE() << "cannot load the glyph sheet " << path;
        // A blank sheet keeps the test running to its own failures.
        sheet = texBlock_new(SHEET_W, SHEET_H);
    }
    return sheet;
}

void makeShapes() {
    display.shapes.assign(256, {});
    std::vector<unsigned char> buf(CELL_BYTES);
    TexBlock cell{CELL_W, CELL_H, CELL_W, CELL_H, 0, buf.data(), 0};
    for (int code = 0; code < 256; ++code) {
        for (int i = 0; i < CELL_W * CELL_H; ++i) {
            buf[i * 4 + 0] = buf[i * 4 + 1] = buf[i * 4 + 2] = 0;
            buf[i * 4 + 3] = 255;
        }
        drawCharToImage(219, 0, 0, 0, 0, 0, &cell, display.pure);
        drawCharToImage(static_cast<unsigned char>(code), 255, 255, 255, 0, 0, &cell, display.pure);
        std::memcpy(display.shapes[code].data(), buf.data(), CELL_BYTES);
    }
}

void firstTime() {
    setGl(nullptr);
    display.pure = loadSheet();
    const std::size_t bytes = static_cast<std::size_t>(display.pure->tw) * display.pure->th * 4;
    display.pristine.assign(display.pure->pixels, display.pure->pixels + bytes);
    display.font = texBlock_clone(display.pure);
    display.game = texBlock_clone(display.pure);
    pureTex = display.pure;
    fontTex = display.font;
    gameTex = display.game;

    if (!text_init())
        ADD_FAILURE() << "text_init failed";
    if (!stat_init())
        ADD_FAILURE() << "stat_init failed";
    if (!mapTex_init())
        ADD_FAILURE() << "mapTex_init failed";
    for (int i = 0; i < 3; ++i)
        display.lines[i] = textLine[i];
    display.status = stat;
    for (int bx = 0; bx < BLOCK_COLS; ++bx)
        for (int by = 0; by < BLOCK_ROWS; ++by)
            display.blocks[bx][by] = mapTex[bx][by].image;
    makeShapes();
    display.ready = true;
}

// Which glyph a cell shows; printable ASCII wins over look-alikes elsewhere in
// the sheet (several codes are blank, for instance).
char readCell(const TexBlock *image, int x, int y) {
    if (image == nullptr || image->pixels == nullptr)
        return '?';
    std::array<unsigned char, CELL_BYTES> cell{};
    for (int row = 0; row < CELL_H; ++row)
        std::memcpy(cell.data() + row * CELL_W * 4,
                    image->pixels + (static_cast<std::size_t>(y + row) * image->tw + x) * 4,
                    CELL_W * 4);
    for (int code = 32; code < 127; ++code)
        if (display.shapes[code] == cell)
            return static_cast<char>(code);
    for (int code = 0; code < 256; ++code)
        if (display.shapes[code] == cell)
            return static_cast<char>(code);
    return '?';
}

std::string readRow(const TexBlock *image, int y) {
    std::string s;
    if (!display.ready)
        return std::string(90, '?');
    for (int col = 0; col < 90; ++col)
        s += readCell(image, col * CELL_W, y);
    return s;
}

} // namespace

void freshWorld(unsigned seed) {
    world_reset();
    setGl(nullptr);
    if (!display.ready)
        firstTime();

    pureTex = display.pure;
    fontTex = display.font;
    gameTex = display.game;
    copyPixels(pureTex, display.pristine);
    copyPixels(fontTex, display.pristine);
    copyPixels(gameTex, display.pristine);

    for (int i = 0; i < 3; ++i) {
        textLine[i] = display.lines[i];
        fillOpaqueBlack(textLine[i]);
    }
    lineNum = 0;
    charNum = 0;

    stat = display.status;
    fillOpaqueBlack(stat);
    std::memset(statText, 0, sizeof statText);

    for (int bx = 0; bx < BLOCK_COLS; ++bx)
        for (int by = 0; by < BLOCK_ROWS; ++by) {
            mapTex[bx][by].image = display.blocks[bx][by];
            mapTex[bx][by].count = 0;
            fillOpaqueBlack(mapTex[bx][by].image);
        }

    // Every image is flagged changed, so its next draw uploads it; the
    // textures made on the first call are not counted against the test.
    recordingGl().clear();
    srnd(seed);
}

std::string shownLine(int line) {
    if (line < 0 || line > 2)
        return std::string(90, '?');
    return readRow(textLine[line], 0);
}

std::string shownStatRow(int row) {
    if (row < 0 || row > 1)
        return std::string(90, '?');
    return readRow(stat, row == 0 ? 12 : 0);
}

} // namespace vell
