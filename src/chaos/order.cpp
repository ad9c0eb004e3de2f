#include "chaos/order.h"

#include <cstring>

#include "core/random.h"
#include "graphics/graphics.h"
#include "platform/font.h"

namespace vell {

namespace {

constexpr int CELL_W = 8;
constexpr int CELL_H = 12;

bool sheetsReady() {
    return pureTex != nullptr && fontTex != nullptr && gameTex != nullptr &&
           pureTex->pixels != nullptr && fontTex->pixels != nullptr && gameTex->pixels != nullptr;
}

// Run `count` times, marking dst changed once: only this thread draws from
// the sheets, and not before the order is done. The positions are drawn a
// batch ahead of the copies. Without `copy` only the positions are drawn,
// for a caller that overwrites the whole sheet afterwards.
void copyRandomPixels(TexBlock *dst, const TexBlock *src, int count, bool copy = true) {
    constexpr int BATCH = 256;
    int draws[BATCH * 2];
    unsigned at[BATCH];
    // Held in locals: a byte store could otherwise change them as far as
    // the compiler knows.
    unsigned char *to = dst->pixels;
    const unsigned char *from = src->pixels;
    const unsigned tw = static_cast<unsigned>(dst->tw);
    for (int done = 0; done < count; done += BATCH) {
        const int n = count - done < BATCH ? count - done : BATCH;
        // Row first, then column: the order of the draws is part of the game.
        rndFill(draws, n * 2);
        if (!copy)
            continue;
        for (int i = 0; i < n; ++i) {
            const unsigned row = static_cast<unsigned>(draws[2 * i]) % SHEET_H;
            const unsigned col = static_cast<unsigned>(draws[2 * i + 1]) % SHEET_W;
            at[i] = (row * tw + col) * 4;
        }
        for (int i = 0; i < n; ++i)
            std::memcpy(to + at[i], from + at[i], 4);
    }
    if (count > 0 && copy)
        texBlock_touch(dst);
}

void copyRandomCell(TexBlock *dst, const TexBlock *src) {
    int cx = rnd() % 16;
    int cy = rnd() % 16;
    for (int row = cy * CELL_H; row < cy * CELL_H + CELL_H; ++row) {
        int i = (row * dst->tw + cx * CELL_W) * 4;
        std::memcpy(dst->pixels + i, src->pixels + i, CELL_W * 4);
    }
    texBlock_touch(dst);
}

void copyGrid(TexBlock *dst, const TexBlock *src) {
    for (int row = 0; row < SHEET_H; ++row) {
        int i = row * dst->tw * 4;
        std::memcpy(dst->pixels + i, src->pixels + i, SHEET_W * 4);
    }
    texBlock_touch(dst);
}

} // namespace

void uncorrupt(int amount) {
    if (amount <= 0 || !sheetsReady())
        return;
    // Above 10000 the whole game grid is copied from the text sheet below,
    // after that sheet's own repairs: single pixels would be overwritten.
    copyRandomPixels(gameTex, fontTex, amount, amount <= 10000);
    copyRandomPixels(fontTex, pureTex, amount / 100);
    // The game cell before the text cell: the game sheet is repaired from
    // the text sheet before that one is itself repaired.
    for (int i = 0; i < amount / 1000; ++i) {
        uncorrupt_game_char();
        uncorrupt_text_char();
    }
    if (amount > 10000)
        uncorrupt_game();
    if (amount > 20000)
        uncorrupt_text();
}

void uncorrupt_game_char() {
    if (sheetsReady())
        copyRandomCell(gameTex, fontTex);
}

void uncorrupt_text_char() {
    if (sheetsReady())
        copyRandomCell(fontTex, pureTex);
}

void uncorrupt_game() {
    if (sheetsReady())
        copyGrid(gameTex, fontTex);
}

void uncorrupt_text() {
    if (sheetsReady())
        copyGrid(fontTex, pureTex);
}

} // namespace vell
