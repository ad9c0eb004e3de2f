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
// the sheets, and not before the order is done. The three sheets share one
// layout, so a pixel has the same index in each. The positions are drawn a
// batch ahead of the copies: a byte store could otherwise change the
// generator's state as far as the compiler knows, which would keep it out
// of a register.
void copyRandomPixels(TexBlock *dst, const TexBlock *src, int count) {
    constexpr int BATCH = 256;
    int at[BATCH];
    for (int done = 0; done < count; done += BATCH) {
        const int n = count - done < BATCH ? count - done : BATCH;
        for (int i = 0; i < n; ++i) {
            // Row first, then column: the order of the draws is part of the game.
            int row, col;
            rnd2(row, col);
            at[i] = (row % SHEET_H * dst->tw + col % SHEET_W) * 4;
        }
        for (int i = 0; i < n; ++i)
            std::memcpy(dst->pixels + at[i], src->pixels + at[i], 4);
    }
    if (count > 0)
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
    copyRandomPixels(gameTex, fontTex, amount);
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
