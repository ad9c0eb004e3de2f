// Start-up: what init builds, its fatal lines, and the spawner's turns.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "core/logic.h"
#include "core/random.h"
#include "core/startup.h"
#include "creatures/creature.h"
#include "enemies/enemy.h"
#include "graphics/map.h"
#include "platform/font.h"
#include "player/player.h"
#include "support/fixture.h"
#include "ui/stat.h"
#include "ui/text.h"
#include "world/map.h"

using namespace vell;

namespace {

const std::string dataDir = std::string(VELL_SOURCE_DIR) + "/data";

// Runs a test in an empty working directory of its own with the error log
// in it; puts everything back afterwards, including any image init made
// (the fixture's own images are the ones it points the globals back at).
class StartUp : public ::testing::Test {
  protected:
    void SetUp() override {
        freshWorld(1);
        char pattern[] = "/tmp/vell-startup-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        char buf[PATH_MAX];
        ASSERT_NE(getcwd(buf, sizeof buf), nullptr);
        oldCwd = buf;
        ASSERT_EQ(chdir(dir.c_str()), 0);
        errout = std::fopen((dir + "/err.txt").c_str(), "w");
        ASSERT_NE(errout, nullptr);
        saved = Images::now();
    }

    void TearDown() override {
        TearDownImagesOnly();
        if (errout != nullptr)
            std::fclose(errout);
        errout = nullptr;
        if (!oldCwd.empty()) {
            EXPECT_EQ(chdir(oldCwd.c_str()), 0);
        }
        std::remove((dir + "/err.txt").c_str());
        std::remove((dir + "/font.bmp").c_str());
        rmdir(dir.c_str());
        world_reset();
    }

    // Waits for the map generation that init started, then frees the images
    // that init made and points the globals back at the fixture's.
    void TearDownImagesOnly() {
        EXPECT_EQ(waitMapInit(10000), 1);
        Images made = Images::now();
        freeIfNew(made.pure, saved.pure);
        freeIfNew(made.font, saved.font);
        freeIfNew(made.game, saved.game);
        for (int i = 0; i < 3; ++i)
            freeIfNew(made.lines[i], saved.lines[i]);
        freeIfNew(made.status, saved.status);
        saved.restore();
    }

    std::string errText() {
        std::fflush(errout);
        std::ifstream in(dir + "/err.txt", std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    void writeFile(const std::string &name, const std::string &bytes) {
        std::ofstream out(dir + "/" + name, std::ios::binary);
        out << bytes;
    }

    struct Images {
        TexBlock *pure, *font, *game, *lines[3], *status;
        static Images now() {
            return {pureTex, fontTex, gameTex, {textLine[0], textLine[1], textLine[2]}, vell::stat};
        }
        void restore() const {
            pureTex = pure;
            fontTex = font;
            gameTex = game;
            for (int i = 0; i < 3; ++i)
                textLine[i] = lines[i];
            vell::stat = status;
        }
    };

    static void freeIfNew(TexBlock *made, TexBlock *before) {
        if (made != nullptr && made != before)
            texBlock_free(made);
    }

    std::string dir, oldCwd;
    Images saved{};
};

int ringSize() {
    int n = 1;
    for (Creature *c = player.next; c != &player; c = c->next)
        ++n;
    return n;
}

} // namespace

// --- init ----------------------------------------------------------------------

TEST_F(StartUp, BuildsThePlayerAndTheSpawnerRing) {
    srnd(2024);
    init(dataDir.c_str());
    ASSERT_EQ(closing.load(), 0) << errText();
    EXPECT_EQ(errText(), "");

    srnd(2024);
    const int health = 5 + rnd() % 5;
    const int damageMin = 1 + rnd() % 5;
    const int damageSpread = 1 + rnd() % 5;
    const int defenseMin = 1 + rnd() % 5;
    const int defenseSpread = 1 + rnd() % 5;

    ASSERT_EQ(waitMapInit(10000), 1);
    WorldGuard g;
    EXPECT_EQ(player.health, health);
    EXPECT_EQ(player.damageMin, damageMin);
    EXPECT_EQ(player.damageSpread, damageSpread);
    EXPECT_EQ(player.defenseMin, defenseMin);
    EXPECT_EQ(player.defenseSpread, defenseSpread);
    EXPECT_EQ(player.x, 30);
    EXPECT_EQ(player.y, 20);
    EXPECT_EQ(tileAt(30, 20).creature, &player);
    EXPECT_EQ(player.speed, 1000);
    EXPECT_EQ(player.moveDelay, 10000);
    EXPECT_EQ(player.act, &player_act);
    EXPECT_EQ(player.bump, &player_bump);
    EXPECT_EQ(player.glyph, 1);
    EXPECT_EQ(player.r + player.g + player.b, 3 * 255);
    EXPECT_STREQ(player.name, "Player");
    EXPECT_EQ(player.level, 1);
    EXPECT_EQ(player.energy, 0);
    EXPECT_EQ(player.gold + player.arrows + player.magic, 0);

    // player -> spawner -> player
    Creature *spawner = player.next;
    ASSERT_NE(spawner, &player);
    EXPECT_EQ(spawner->next, &player);
    EXPECT_EQ(player.prev, spawner);
    EXPECT_EQ(spawner->prev, &player);
    EXPECT_EQ(spawner->act, &spawner_act);
    EXPECT_EQ(spawner->speed, 100);
    EXPECT_EQ(spawner->energy, 0);
    EXPECT_EQ(spawner->moveDelay, 10000);
    EXPECT_EQ(spawner->bump, nullptr);
    EXPECT_EQ(spawner->name, nullptr);
    for (const Tile &t : map)
        EXPECT_NE(t.creature, spawner);

    // The sheets: two working copies equal to the untouched one.
    ASSERT_NE(pureTex, nullptr);
    ASSERT_NE(fontTex, nullptr);
    ASSERT_NE(gameTex, nullptr);
    EXPECT_NE(fontTex, pureTex);
    EXPECT_NE(gameTex, fontTex);
    const size_t bytes = static_cast<size_t>(pureTex->tw) * pureTex->th * 4;
    EXPECT_EQ(std::memcmp(fontTex->pixels, pureTex->pixels, bytes), 0);
    EXPECT_EQ(std::memcmp(gameTex->pixels, pureTex->pixels, bytes), 0);
    EXPECT_NE(textLine[2], nullptr);
    EXPECT_NE(vell::stat, nullptr);
    for (int i = 0; i < BLOCK_COLS; ++i)
        for (int j = 0; j < BLOCK_ROWS; ++j)
            EXPECT_NE(mapTex[i][j].image, nullptr);
}

TEST_F(StartUp, StartingStatsStayInTheirRanges) {
    int seenHealth[10] = {};
    for (unsigned seed = 1; seed <= 25; ++seed) {
        freshWorld(seed);
        init(dataDir.c_str());
        ASSERT_EQ(waitMapInit(10000), 1);
        ASSERT_EQ(closing.load(), 0);
        EXPECT_GE(player.health, 5);
        EXPECT_LE(player.health, 9);
        ++seenHealth[player.health];
        for (int v :
             {player.damageMin, player.damageSpread, player.defenseMin, player.defenseSpread}) {
            EXPECT_GE(v, 1);
            EXPECT_LE(v, 5);
        }
        EXPECT_EQ(ringSize(), 2);
        // Each start makes its own images; free them before the next.
        TearDownImagesOnly();
    }
    for (int h = 5; h <= 9; ++h)
        EXPECT_GT(seenHealth[h], 0) << h;
}

TEST_F(StartUp, AMissingFontIsFatalAndBuildsNothing) {
    init(nullptr);
    EXPECT_EQ(errText(), "Fatal error: unable to load font\n");
    EXPECT_EQ(closing.load(), 1);
    EXPECT_EQ(player.act, nullptr);
    EXPECT_EQ(player.next, &player);
    EXPECT_EQ(tileAt(30, 20).creature, nullptr);
    EXPECT_EQ(mi.load(), 0); // no map generation started
}

TEST_F(StartUp, AFontMissingFromBothPlacesIsFatal) {
    init(dir.c_str()); // the empty working directory again
    EXPECT_EQ(errText(), "Fatal error: unable to load font\n");
    EXPECT_EQ(closing.load(), 1);
}

TEST_F(StartUp, AnUnreadableFontIsFatal) {
    // A top-down bitmap (negative height) is refused by the reader.
    std::string header(54, '\0');
    header[0] = 'B';
    header[1] = 'M';
    header[10] = 54;
    header[14] = 40;
    header[18] = static_cast<char>(128);
    header[22] = static_cast<char>(0x40); // -192 = 0xFFFFFF40
    header[23] = header[24] = header[25] = static_cast<char>(0xFF);
    header[26] = 1;
    header[28] = 24;
    writeFile("font.bmp", header + std::string(128 * 192 * 3, '\xff'));
    init(dataDir.c_str()); // the working directory's file is taken first
    EXPECT_EQ(errText(), "Fatal error: unable to load font\n");
    EXPECT_EQ(closing.load(), 1);
    EXPECT_EQ(player.next, &player);
}

TEST_F(StartUp, TheWorkingDirectoryIsLookedInFirst) {
    std::ifstream in(dataDir + "/font.bmp", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    writeFile("font.bmp", ss.str());
    init(nullptr);
    EXPECT_EQ(closing.load(), 0);
    EXPECT_EQ(errText(), "");
}

TEST_F(StartUp, TheProgramsDirectoryIsLookedInWithOrWithoutASlash) {
    init((dataDir + "/").c_str());
    EXPECT_EQ(closing.load(), 0) << errText();
    ASSERT_EQ(waitMapInit(10000), 1);
    TearDownImagesOnly();
    freshWorld(1);
    init(dataDir.c_str());
    EXPECT_EQ(closing.load(), 0) << errText();
}

// --- the spawner --------------------------------------------------------------

namespace {

// The first seed from `from` on whose first draw passes (or fails) the
// spawner's chance of 40 in 100.
unsigned seedWhereChance(bool passes, unsigned from = 1) {
    for (unsigned s = from;; ++s) {
        srnd(s);
        if ((rnd() % 100 < 40) == passes)
            return s;
    }
}

Creature *makeSpawner() {
    Creature *s = creature_new();
    s->act = spawner_act;
    s->speed = 100;
    return s;
}

void placeTestPlayer(int level) {
    player.level = level;
    player.x = 30;
    player.y = 20;
    player.name = "Player";
    tileAt(30, 20).creature = &player;
}

} // namespace

TEST(Spawner, AFailedChancePlacesNothingAndStillCostsItsTurn) {
    unsigned seed = seedWhereChance(false);
    freshWorld(seed);
    placeTestPlayer(1);
    Creature *s = makeSpawner();
    s->energy = -50;
    EXPECT_EQ(spawner_act(s), 1);
    EXPECT_EQ(s->energy, 10000);
    EXPECT_EQ(ringSize(), 2);
    int onMap = 0;
    for (const Tile &t : map)
        onMap += t.creature != nullptr;
    EXPECT_EQ(onMap, 1); // the player alone
}

TEST(Spawner, APassedChanceBringsAHunterToAnEdge) {
    unsigned seed = seedWhereChance(true);
    freshWorld(seed);
    placeTestPlayer(1);
    Creature *s = makeSpawner();
    EXPECT_EQ(spawner_act(s), 1);
    EXPECT_EQ(s->energy, 10000);
    ASSERT_EQ(ringSize(), 3);
    Creature *m = s->next;
    EXPECT_STREQ(m->name, "Enemy");
    EXPECT_EQ(m->act, &enemy_act_toPlayer);
    EXPECT_EQ(tileAt(m->x, m->y).creature, m);
    EXPECT_TRUE(m->x == 0 || m->x == 89 || m->y == 0 || m->y == 39) << m->x << "," << m->y;
}

// The level asked for is the player's level plus 0..2, drawn right after the
// chance; the monster's gold is drawn next, below 5 times that level.
TEST(Spawner, TheLevelAskedForFollowsThePlayer) {
    for (int level : {1, 3, 7}) {
        unsigned seed = 0;
        for (int tries = 0; tries < 12; ++tries) {
            seed = seedWhereChance(true, seed + 1);
            freshWorld(seed);
            placeTestPlayer(level);
            srnd(seed);
            rnd(); // the chance
            const int asked = level + rnd() % 3;
            const int gold = rnd() % (5 * asked);
            srnd(seed);
            Creature *s = makeSpawner();
            spawner_act(s);
            ASSERT_EQ(ringSize(), 3);
            Creature *m = s->next;
            EXPECT_EQ(m->gold, gold) << "level " << level << " seed " << seed;
            EXPECT_GE(m->level, 1);
            EXPECT_LE(m->level, asked);
        }
    }
}

TEST(Spawner, MonstersAtPlayerLevelThreeReachLevelFiveButNoHigher) {
    freshWorld(99);
    placeTestPlayer(3);
    Creature *s = makeSpawner();
    int highest = 0, highestGold = 0;
    for (int turn = 0; turn < 2000; ++turn) {
        spawner_act(s);
        if (s->next != &player) {
            Creature *m = s->next;
            highest = std::max(highest, m->level);
            highestGold = std::max(highestGold, m->gold);
            tileAt(m->x, m->y).creature = nullptr;
            ring_unlink(m);
            delete m;
        }
    }
    EXPECT_EQ(highest, 5);
    EXPECT_GE(highestGold, 15); // only a level 4 or 5 request gives 15 or more
    EXPECT_LE(highestGold, 24);
}
