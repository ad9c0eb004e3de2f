#include "world/map.h"

#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "graphics/map.h"
#include "graphics/tile.h"
#include "items/item.h"

#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace vell {

std::atomic<int> mi{0};
std::atomic<std::thread::id> miH{};

namespace {

constexpr unsigned char GLYPH_STOP = 46;
constexpr unsigned char GLYPH_COMMA = 44;
constexpr unsigned char GLYPH_GRAVE = 96;
constexpr unsigned char GLYPH_APOSTROPHE = 39;
constexpr unsigned char GLYPH_DIRT = 43;

// Who is generating, and whether one more generation was asked for while it
// ran. Never held while waiting for the world lock or `drawing`, so the
// window thread may book a rerun while it holds the world lock.
std::mutex genMutex;
bool genRunning = false;
bool genRerun = false;
std::atomic<int> genDone{0};

// Makes the caller the generating thread, or books a rerun for the one that
// already is. `mi` changes only here and in runGenerations, under genMutex,
// so it can never drop to 0 between a finished run and a booked one.
bool claimGeneration() {
    std::lock_guard<std::mutex> lk(genMutex);
    if (genRunning) {
        genRerun = true;
        return false;
    }
    genRunning = true;
    mi.store(1);
    return true;
}

// Body of a generation thread that has claimed the generation.
void runGenerations() {
    srnd(static_cast<unsigned>(std::time(nullptr)));
    for (;;) {
        mapInit();
        {
            WorldGuard g;
            addChange(player.x, player.y);
        }
        genDone.fetch_add(1);
        std::lock_guard<std::mutex> lk(genMutex);
        // A rerun booked before the window closed is not worth the wait.
        if (genRerun && !closing.load()) {
            genRerun = false;
            continue;
        }
        genRunning = false;
        mi.store(0);
        return;
    }
}

// One tile rewritten as a whole while neither the frame loop nor another
// thread can see it half done. `drawing` first: the window thread holds the
// world lock and only try-takes `drawing`.
template <typename F> void rewriteTile(F &&rewrite) {
    takeDrawing();
    {
        WorldGuard g;
        rewrite();
    }
    giveDrawing();
}

int clampToInt(float v) {
    if (v >= 2147483520.0f)
        return INT_MAX;
    if (v <= -2147483648.0f)
        return INT_MIN;
    return static_cast<int>(v); // truncates toward zero
}

} // namespace

int regenMap() {
    if (!claimGeneration())
        return 1;
    try {
        // Detached: the game never waits for the thread itself, only for
        // `mi`, so a stuck generation can be abandoned at shutdown.
        std::thread t(runGenerations);
        miH.store(t.get_id());
        t.detach();
    } catch (...) {
        std::lock_guard<std::mutex> lk(genMutex);
        genRunning = false;
        genRerun = false;
        mi.store(0);
        return 0;
    }
    return 1;
}

int waitMapInit(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (mi.load() != 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 1;
}

int mapGenerationsDone() {
    return genDone.load();
}

void startMapInit() {
    if (claimGeneration())
        runGenerations();
}

void mapInit() {
    for (int x = 0; x < MAP_W; ++x) {
        for (int y = 0; y < MAP_H; ++y) {
            // Closing the window must not sit through the rest of a map.
            if (closing.load())
                return;
            rewriteTile([x, y] {
                Tile &t = tileAt(x, y);
                t.r = static_cast<unsigned char>(rnd() % 50);
                t.g = static_cast<unsigned char>(100 + rnd() % 155);
                t.b = static_cast<unsigned char>(rnd() % 50);
                if (rnd() % 5 == 2)
                    t.glyph = (rnd() % 2 == 1) ? GLYPH_GRAVE : GLYPH_APOSTROPHE;
                else
                    t.glyph = (rnd() % 2 == 1) ? GLYPH_STOP : GLYPH_COMMA;
                if (t.creature != nullptr && t.creature != &player) {
                    creature_remove(t.creature);
                    t.creature = nullptr;
                }
                retire(t.item);
                t.item = item_rand(1, 180, 1, 2);
                drawTileToTex(&t, x, y);
            });
        }
    }
    // rnd() % 1 is always 0, so at most three paths.
    int n = 4;
    while (!closing.load() && rnd() % n != 0) {
        int a = rnd() % MAP_H;
        int b = rnd() % MAP_H;
        dirtPath(0, a, MAP_W, b, 1, 2);
        --n;
    }
}

void dirtPath(int x0, int y0, int x1, int y1, int halfWidth, int jitter) {
    long long across = std::llabs(static_cast<long long>(x0) - x1);
    long long upDown = std::llabs(static_cast<long long>(y0) - y1);
    if (across > upDown)
        dirtPathH(x0, y0, x1, y1, halfWidth, jitter);
}

void dirtPathH(int x0, int y0, int x1, int y1, int halfWidth, int jitter) {
    // Only left-to-right paths are drawn; x0 == x1 has no column to draw.
    if (x0 >= x1)
        return;
    const float slope = static_cast<float>(static_cast<long long>(y0) - y1) /
                        static_cast<float>(static_cast<long long>(x0) - x1);
    int row = y0;
    float rowF = static_cast<float>(y0);
    for (int x = x0; x < x1; ++x) {
        dirtStripV(x, row, halfWidth, jitter);
        // The running row stays in single precision and is truncated, not
        // rounded, at every column: the path's shape depends on it.
        rowF = rowF + slope;
        row = clampToInt(rowF);
    }
}

void dirtStripV(int x, int y, int halfWidth, int jitter) {
    if (x < 0 || x >= MAP_W)
        return;
    // A jitter of -10 or less would divide by zero.
    const int m = jitter + 10 < 1 ? 1 : jitter + 10;
    long long top = static_cast<long long>(y) - halfWidth - (rnd() % m) / 10;
    long long bottom = static_cast<long long>(y) + halfWidth + (rnd() % m) / 10;
    if (top < 0)
        top = 0;
    if (bottom > MAP_H)
        bottom = MAP_H;
    for (long long row = top; row < bottom && !closing.load(); ++row) {
        const int yy = static_cast<int>(row);
        rewriteTile([x, yy] {
            Tile &t = tileAt(x, yy);
            // One s lifts red and green together, so red leads green by
            // 26 to 99 on every dirt tile.
            int s = rnd() % 100;
            t.r = static_cast<unsigned char>(s + rnd() % 50 + 100);
            t.g = static_cast<unsigned char>(s + rnd() % 25 + 50);
            t.b = 0;
            t.glyph = GLYPH_DIRT;
            drawTileToTex(&t, x, yy);
        });
    }
}

} // namespace vell
