// The largest corruption in play and large orders, on full-size sheets and a
// full map, each within one key press.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

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

std::string sourceDir() {
#ifdef VELL_SOURCE_DIR
    return VELL_SOURCE_DIR;
#else
    std::string here = __FILE__; // <root>/bench/chaos_bench.cpp
    std::size_t slash = here.find_last_of('/');
    slash = slash == std::string::npos ? 0 : here.find_last_of('/', slash - 1);
    return slash == std::string::npos ? std::string(".") : here.substr(0, slash);
#endif
}

// Sheets from the real glyph file, map blocks, a field of grass with the
// player in the middle. Made once per process.
bool setUpWorld() {
    static bool ready = false;
    if (ready)
        return true;
    recordingGl().keepQuads = false;
    world_reset();
    std::string path = sourceDir() + "/data/font.bmp";
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    pureTex = loadTexture(f);
    std::fclose(f);
    if (pureTex == nullptr)
        return false;
    fontTex = texBlock_clone(pureTex);
    gameTex = texBlock_clone(fontTex);
    if (fontTex == nullptr || gameTex == nullptr || !mapTex_init())
        return false;
    srnd(1);
    for (int x = 0; x < MAP_W; ++x)
        for (int y = 0; y < MAP_H; ++y) {
            Tile &t = tileAt(x, y);
            t.glyph = static_cast<unsigned char>(rnd() % 2 ? 46 : 44);
            t.r = static_cast<unsigned char>(rnd() % 50);
            t.g = static_cast<unsigned char>(100 + rnd() % 155);
            t.b = static_cast<unsigned char>(rnd() % 50);
        }
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
