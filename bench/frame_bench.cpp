// One frame's work on the window thread: update (one block collapsed, ten
// random tiles marked, status rebuilt) and render (map, status, messages,
// cursor) through the recording seam. The frame period is 50 ms; the goal is
// under 0.5 ms a frame, in steady play and when every block has changed.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench_world.h"
#include "core/frame.h"
#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "graphics/glseam.h"
#include "graphics/map.h"
#include "platform/font.h"
#include "player/player.h"
#include "ui/stat.h"
#include "ui/text.h"

namespace {

using namespace vell;

// The screen as a game in progress has it: sheets from the real glyph file,
// every image, a map of grass with some items and monsters, the player in the
// middle with a few messages shown. Made once per process (the sheets and
// images are shared with the other benchmarks of this program).
bool setUpScreen() {
    static bool ready = false;
    if (ready)
        return true;
    recordingGl().keepQuads = false;
    world_reset();
    if (!bench::loadSheets() || !text_init() || !stat_init() || !mapTex_init())
        return false;
    bench::fillGrass();
    for (int i = 0; i < 40; ++i) {
        Creature *c = creature_new();
        int x = rnd() % MAP_W;
        int y = rnd() % MAP_H;
        if (c == nullptr || tileAt(x, y).creature != nullptr)
            continue;
        c->glyph = 2;
        c->r = c->g = c->b = 200;
        c->x = x;
        c->y = y;
        tileAt(x, y).creature = c;
    }
    player.x = 45;
    player.y = 20;
    player.glyph = 1;
    player.r = player.g = player.b = 255;
    player.health = 7;
    player.level = 1;
    player.damageMin = 2;
    player.damageSpread = 3;
    tileAt(45, 20).creature = &player;
    // Bake the whole map once, as map generation leaves it.
    for (int x = 0; x < MAP_W; ++x)
        for (int y = 0; y < MAP_H; ++y)
            addChange(x, y);
    for (auto &column : mapTex)
        for (MapBlock &block : column)
            mapBlock_collapse(&block);
    addText("You attack Enemy. You hit! Enemy dies. You see 12 gold pieces here");
    ready = true;
    return true;
}

// Steady play: nothing changes between frames but what the frame itself
// does (one block in rotation, ten random tiles, a status cell now and
// then), with the targeting cursor shown.
void BM_FrameSteady(benchmark::State &state) {
    if (!setUpScreen()) {
        state.SkipWithError("cannot load data/font.bmp or make the images");
        return;
    }
    inputType.store(3);
    cursorX = 50;
    cursorY = 22;
    for (auto _ : state) {
        update();
        render();
    }
    inputType.store(0);
    state.counters["quads/frame"] = benchmark::Counter(static_cast<double>(recordingGl().quadCount),
                                                       benchmark::Counter::kAvgIterations);
    recordingGl().clear();
}
BENCHMARK(BM_FrameSteady)->Unit(benchmark::kMicrosecond);

// The worst case of a frame: every block holds a full list of 19 changed
// tiles and has changed its image, so the frame collapses and uploads all 24
// (as after a large corruption or while map generation redraws the map).
void BM_FrameAllBlocksChanged(benchmark::State &state) {
    if (!setUpScreen()) {
        state.SkipWithError("cannot load data/font.bmp or make the images");
        return;
    }
    recordingGl().clear();
    for (auto _ : state) {
        for (int bx = 0; bx < BLOCK_COLS; ++bx)
            for (int by = 0; by < BLOCK_ROWS; ++by) {
                for (int k = 0; k < BLOCK_MAX_CHANGES; ++k)
                    addChange(bx * BLOCK_TILES_X + k % BLOCK_TILES_X,
                              by * BLOCK_TILES_Y + k / BLOCK_TILES_X);
                mapTex[bx][by].image->flags |= 1;
            }
        update();
        render();
    }
    state.counters["uploads/frame"] = benchmark::Counter(
        static_cast<double>(recordingGl().totalUploads()), benchmark::Counter::kAvgIterations);
    recordingGl().clear();
}
BENCHMARK(BM_FrameAllBlocksChanged)->Unit(benchmark::kMicrosecond);

} // namespace
