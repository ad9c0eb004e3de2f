#include "bench_world.h"

#include <cstdio>
#include <string>

#include "core/logic.h"
#include "core/random.h"
#include "platform/font.h"

namespace vell::bench {

namespace {

std::string sourceDir() {
#ifdef VELL_SOURCE_DIR
    return VELL_SOURCE_DIR;
#else
    std::string here = __FILE__; // <root>/bench/bench_world.cpp
    std::size_t slash = here.find_last_of('/');
    slash = slash == std::string::npos ? 0 : here.find_last_of('/', slash - 1);
    return slash == std::string::npos ? std::string(".") : here.substr(0, slash);
#endif
}

} // namespace

bool loadSheets() {
    if (pureTex == nullptr) {
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
    }
    return fontTex != nullptr && gameTex != nullptr;
}

void fillGrass() {
    srnd(1);
    for (int x = 0; x < MAP_W; ++x)
        for (int y = 0; y < MAP_H; ++y) {
            Tile &t = tileAt(x, y);
            t.glyph = static_cast<unsigned char>(rnd() % 2 ? 46 : 44);
            t.r = static_cast<unsigned char>(rnd() % 50);
            t.g = static_cast<unsigned char>(100 + rnd() % 155);
            t.b = static_cast<unsigned char>(rnd() % 50);
        }
}

} // namespace vell::bench
