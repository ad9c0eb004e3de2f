#include "chaos/corrupt.h"

#include <cmath>

#include "core/logic.h"
#include "core/random.h"
#include "enemies/enemy.h"
#include "graphics/graphics.h"
#include "graphics/map.h"
#include "platform/font.h"

namespace vell {

namespace {

// `count` times one bit of a random pixel byte; row, column, byte, bit drawn
// in this order. The flips are drawn a batch ahead of being made.
void flipSheetBits(TexBlock *sheet, int count) {
    constexpr int BATCH = 256;
    // Held in locals: a byte store could otherwise change them as far as
    // the compiler knows.
    unsigned char *pixels = sheet != nullptr ? sheet->pixels : nullptr;
    const unsigned tw = sheet != nullptr ? static_cast<unsigned>(sheet->tw) : SHEET_W;
    int draws[BATCH * 4];
    for (int done = 0; done < count; done += BATCH) {
        const int n = count - done < BATCH ? count - done : BATCH;
        rndFill(draws, n * 4);
        if (pixels == nullptr)
            continue;
        for (int i = 0; i < n; ++i) {
            const unsigned *d = reinterpret_cast<const unsigned *>(draws + i * 4);
            const unsigned at = (d[0] % SHEET_H * tw + d[1] % SHEET_W) * 4 + d[2] % 4;
            pixels[at] ^= static_cast<unsigned char>(1u << d[3] % 8);
        }
    }
    // Marked changed once per run rather than per flip: only this thread
    // draws from the sheets, and not before corrupt returns.
    if (count > 0 && sheet != nullptr)
        texBlock_touch(sheet);
}

// One bit of a random tile; `bytes` 3 reaches the colours only, 4 the glyph
// too. x, y, byte, bit drawn in this order.
void flipTileBit(int bytes) {
    int x = rnd() % MAP_W;
    int y = rnd() % MAP_H;
    int which = rnd() % bytes;
    int bit = rnd() % 8;
    Tile &t = tileAt(x, y);
    unsigned char *target = which == 0 ? &t.r : which == 1 ? &t.g : which == 2 ? &t.b : &t.glyph;
    *target ^= static_cast<unsigned char>(1 << bit);
    addChange(x, y);
}

} // namespace

int corruptIntensity(float strength) {
    // Kept in float step by step: the worked intensities depend on it.
    float s2 = strength * strength;
    float s4 = s2 * s2;
    float half = s4 * 0.5f;
    float scaled = half * 255.0f;
    return static_cast<int>(scaled);
}

int corruptBound(int intensity) {
    return (6 * intensity - 1) / 5;
}

void corruptTile(int x, int y, float strength) {
    if (!onMap(x, y))
        return;
    int k = corruptIntensity(strength);
    if (k <= 0)
        return;
    int bound = corruptBound(k); // at least 1 for k >= 1
    Tile &t = tileAt(x, y);
    t.r ^= static_cast<unsigned char>(rnd() % bound);
    t.g ^= static_cast<unsigned char>(rnd() % bound);
    t.b ^= static_cast<unsigned char>(rnd() % bound);
    if (rnd() % k > 115)
        t.glyph = static_cast<unsigned char>(32 + rnd() % 96);
    addChange(x, y);
}

void corruptInRange(int radius) {
    if (radius <= 0)
        return;
    int px = player.x;
    int py = player.y;
    // 64-bit so that a radius beyond any amount's square root cannot
    // overflow the box ends or its square.
    long long r = radius;
    long long x0 = px - r < 0 ? 0 : px - r;
    long long x1 = px + r > MAP_W - 1 ? MAP_W - 1 : px + r;
    long long y0 = py - r < 0 ? 0 : py - r;
    long long y1 = py + r > MAP_H - 1 ? MAP_H - 1 : py + r;
    long long r2 = r * r;
    for (long long y = y0; y <= y1; ++y) {
        for (long long x = x0; x <= x1; ++x) {
            long long d2 = (px - x) * (px - x) + (py - y) * (py - y);
            if (d2 < r2) {
                float ratio = static_cast<float>(static_cast<double>(d2) / static_cast<double>(r2));
                corruptTile(static_cast<int>(x), static_cast<int>(y), 1.0f - ratio);
            }
        }
    }
}

void corrupt(int amount) {
    if (amount > 0)
        corruptInRange(static_cast<int>(std::sqrt(static_cast<double>(amount))));
    flipSheetBits(gameTex, amount);
    flipSheetBits(fontTex, amount / 10);
    for (int i = 0; i < amount / 100; ++i)
        flipTileBit(3);
    for (int i = 0; i < amount / 1000; ++i)
        flipTileBit(4);
    for (int i = 0; i < amount / 10000; ++i)
        addChaosElemental();
    for (int i = 0; i < amount / 100000; ++i)
        addSuperiorChaosElemental();
}

} // namespace vell
