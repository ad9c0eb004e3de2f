// The largest corruption in play and large orders, on full-size sheets and a
// full map, each within one key press.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench_world.h"
#include "chaos/corrupt.h"
#include "chaos/order.h"
#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "graphics/glseam.h"
#include "graphics/map.h"
#include "platform/font.h"

namespace {

using namespace vell;

// Sheets from the real glyph file, map blocks, a field of grass with the
// player in the middle. Made once per process.
bool setUpWorld() {
    static bool ready = false;
    if (ready)
        return true;
    recordingGl().keepQuads = false;
    world_reset();
    if (!bench::loadSheets() || !mapTex_init())
        return false;
    bench::fillGrass();
    player.x = 45;
    player.y = 20;
    player.moveDelay = 10000;
    player.level = 1;
    tileAt(45, 20).creature = &player;
    ready = true;
    return true;
}

void removeMonsters() {
    while (player.next != &player)
        creature_remove(player.next);
}

void BM_Corrupt(benchmark::State &state) {
    if (!setUpWorld()) {
        state.SkipWithError("cannot load data/font.bmp");
        return;
    }
    const int amount = static_cast<int>(state.range(0));
    WorldGuard g;
    for (auto _ : state) {
        corrupt(amount);
        // Each call breeds elementals; keep the ring at its starting size.
        state.PauseTiming();
        removeMonsters();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Corrupt)->Arg(132767)->Unit(benchmark::kMillisecond);

void BM_Uncorrupt(benchmark::State &state) {
    if (!setUpWorld()) {
        state.SkipWithError("cannot load data/font.bmp");
        return;
    }
    const int amount = static_cast<int>(state.range(0));
    for (auto _ : state) {
        uncorrupt(amount);
        benchmark::DoNotOptimize(gameTex->pixels[0]);
    }
}
BENCHMARK(BM_Uncorrupt)->Arg(100000)->Arg(20001)->Unit(benchmark::kMillisecond);

} // namespace
