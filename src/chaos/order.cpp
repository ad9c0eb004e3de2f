#include "chaos/order.h"

#include <cstdint>
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
// batch ahead of the copies. The source does not change meanwhile, so the
// copies can be made in any order, and a pixel drawn twice is copied as
// once: a large run only notes the pixels drawn, then copies them in one
// pass through the sheet.
void copyRandomPixels(TexBlock *dst, const TexBlock *src, int count) {
    constexpr int BATCH = 256;
    constexpr int PIXELS = SHEET_H * SHEET_W;
    const bool noted = count >= PIXELS;
    int draws[BATCH * 2];
    unsigned at[BATCH];
    unsigned char drawn[PIXELS];
    if (noted)
        std::memset(drawn, 0, sizeof drawn);
    // Held in locals: a byte store could otherwise change them as far as
    // the compiler knows.
    unsigned char *to = dst->pixels;
    const unsigned char *from = src->pixels;
    const unsigned tw = static_cast<unsigned>(dst->tw);
    for (int done = 0; done < count; done += BATCH) {
        const int n = count - done < BATCH ? count - done : BATCH;
        // Row first, then column: the order of the draws is part of the game.
        rndFill(draws, n * 2);
        if (noted) {
            for (int i = 0; i < n; ++i) {
                const unsigned row = static_cast<unsigned>(draws[2 * i]) % SHEET_H;
                const unsigned col = static_cast<unsigned>(draws[2 * i + 1]) % SHEET_W;
                drawn[row * SHEET_W + col] = 1;
            }
            continue;
        }
        for (int i = 0; i < n; ++i) {
            const unsigned row = static_cast<unsigned>(draws[2 * i]) % SHEET_H;
            const unsigned col = static_cast<unsigned>(draws[2 * i + 1]) % SHEET_W;
            at[i] = (row * tw + col) * 4;
        }
        for (int i = 0; i < n; ++i)
            std::memcpy(to + at[i], from + at[i], 4);
    }
    if (noted)
        for (int row = 0; row < SHEET_H; ++row) {
            std::uint32_t *out = reinterpret_cast<std::uint32_t *>(to + row * tw * 4);
            const std::uint32_t *in = reinterpret_cast<const std::uint32_t *>(from + row * tw * 4);
            const unsigned char *mark = drawn + row * SHEET_W;
            for (int col = 0; col < SHEET_W; ++col)
                out[col] = mark[col] != 0 ? in[col] : out[col];
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
