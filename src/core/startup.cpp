#include "core/startup.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/random.h"
#include "creatures/creature.h"
#include "enemies/enemy.h"
#include "graphics/graphics.h"
#include "graphics/map.h"
#include "platform/font.h"
#include "player/player.h"
#include "ui/stat.h"
#include "ui/text.h"
#include "world/map.h"

namespace vell {

namespace {

void fatal(const char *line) {
    writeError(line);
    closing.store(1);
}

// The working directory first; then beside the executable (a build tree);
// then the install's data directory, found from the executable so that a
// moved or merely unpacked install works too.
std::vector<std::string> fontPlaces(const char *exeDir) {
    std::vector<std::string> places = {"font.bmp"};
    if (exeDir != nullptr && exeDir[0] != '\0') {
        std::string dir(exeDir);
        if (dir.back() != '/')
            dir += '/';
        places.push_back(dir + "font.bmp");
        places.push_back(dir + "../share/games/vell/font.bmp");
    }
    return places;
}

std::string shown(const std::string &place) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(place, ec);
    return ec ? place : p.lexically_normal().string();
}

// err.txt keeps the one fatal line; the terminal also learns where we looked.
TexBlock *loadFont(const char *exeDir) {
    const std::vector<std::string> places = fontPlaces(exeDir);
    for (const std::string &place : places) {
        std::FILE *f = std::fopen(place.c_str(), "rb");
        if (f == nullptr)
            continue;
        TexBlock *sheet = loadTexture(f);
        std::fclose(f);
        if (sheet == nullptr) {
            fatal("Fatal error: unable to load font\n");
            std::fprintf(stderr, "%s is not a 128 x 192 24-bit BMP glyph sheet.\n",
                         shown(place).c_str());
        }
        return sheet;
    }
    fatal("Fatal error: unable to load font\n");
    std::fputs("font.bmp was looked for at:\n", stderr);
    for (const std::string &place : places)
        std::fprintf(stderr, "  %s\n", shown(place).c_str());
    return nullptr;
}

void setUpPlayer() {
    player.next = &player;
    player.prev = &player;
    player.speed = 1000;
    player.act = player_act;
    player.bump = player_bump;
    player.x = 30;
    player.y = 20;
    player.glyph = 1;
    player.r = 255;
    player.g = 255;
    player.b = 255;
    player.name = "Player";
    player.moveDelay = 10000;
    // Drawn in this order; a seeded start gives the same player every time.
    player.health = 5 + rnd() % 5;
    player.damageMin = 1 + rnd() % 5;
    player.damageSpread = 1 + rnd() % 5;
    player.defenseMin = 1 + rnd() % 5;
    player.defenseSpread = 1 + rnd() % 5;
    player.level = 1;
    player.energy = 0;
    player.gold = 0;
    player.arrows = 0;
    player.magic = 0;
    tileAt(player.x, player.y).creature = &player;
}

} // namespace

void init(const char *exeDir) {
    TexBlock *sheet = loadFont(exeDir);
    if (sheet == nullptr)
        return;
    pureTex = sheet;
    fontTex = texBlock_clone(pureTex);
    if (fontTex == nullptr) {
        fatal("Fatal error: unable to create text font\n");
        return;
    }
    gameTex = texBlock_clone(fontTex);
    if (gameTex == nullptr) {
        fatal("Fatal error: unable to create game font\n");
        return;
    }

    {
        WorldGuard guard;
        setUpPlayer();
        // Everything that draws text or tiles expects these images to exist,
        // so a missing one ends the start like a missing sheet.
        if (text_init() == 0 || stat_init() == 0 || mapTex_init() == 0) {
            fatal("Fatal error: unable to create screen images\n");
            return;
        }
        Creature *spawner = creature_new();
        if (spawner == nullptr) {
            fatal("Fatal error: unable to create the spawner\n");
            return;
        }
        spawner->act = spawner_act;
        spawner->speed = 100;
    }

    regenMap();
}

namespace {

// Waits for a flag to fall, a nap at a time; false if it was still up after
// the last nap, when its thread is given up for lost.
bool waitFor(const std::atomic<int> &flag) {
    for (int naps = 0; flag.load(); ++naps) {
        if (naps == 101)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

} // namespace

bool stopThreads() {
    closing.store(1);
    while (releaseLogic() != 0) {
    }
    const bool mapEnded = waitFor(mi);
    const bool logicEnded = waitFor(logicThreadRunning);
    if (!mapEnded || !logicEnded)
        return false;
    if (logicThread.joinable())
        logicThread.join();
    // Both threads are gone: nothing can hold what was retired any more.
    freeRetired();
    return true;
}

int spawner_act(Creature *c) {
    c->energy = 10000;
    // creature_arrive ignores the null of a failed chance.
    creature_arrive(enemy_rand(40, 100, player.level, wrapAdd(player.level, 2)));
    return 1;
}

} // namespace vell
