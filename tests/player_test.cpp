// The player's command keys and the targeting cursor, driven through the key
// router on one thread. A hold taken before each command stands in for the
// logic thread stopped in player_act.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "chaos/corrupt.h"
#include "chaos/order.h"
#include "core/frame.h"
#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "platform/font.h"
#include "player/player.h"
#include "support/fixture.h"
#include "ui/text.h"

using namespace vell;

static int draws[2]; // the first two draws of the seed fresh() uses

class Keys : public ::testing::Test {
  protected:
    // The player with 3 arrows, alone on the map but for two sturdy monsters
    // at (30, 20) and (50, 20); the game sheet inverted, so that each pixel an
    // order key restores shows.
    static void fresh(int x, int y, unsigned seed = 5) {
        freshWorld(seed);
        for (int i = 0; i < sheetBytes(); ++i)
            gameTex->pixels[i] ^= 0xFF;
        // x, y, energy, speed, moveDelay, glyph, r, g, b, name, act, bump, next, prev,
        // gold, level, arrows, magic, health, defense and damage (min, spread)
        player =
            Creature{x,       y,       -1, 0,    7000, 1, 0,    0, 0, "Player", nullptr, nullptr,
                     &player, &player, 0,  1000, 3,    0, 1000, 0, 0, 1,        1};
        tileAt(x, y).creature = &player;
        cursorX = cursorY = action = dirAction = 0;
        putMonster(30, 20, 100000);
        putMonster(50, 20, 100000);
    }
    static void putMonster(int x, int y, int health = 1) {
        Creature *c = creature_new();
        c->health = health;
        tileAt(c->x = x, c->y = y).creature = c;
    }
    // Keys from the player's turn on; returns the game-sheet bytes changed.
    static int press(const char *keys) {
        std::vector<unsigned char> sheet(gameTex->pixels, gameTex->pixels + sheetBytes());
        inputType.store(1);
        vell::pause();
        for (const char *k = keys; *k; ++k)
            input(*k);
        if (std::equal(sheet.begin(), sheet.end(), gameTex->pixels))
            return 0; // quick under the thread sanitizer
        int bytes = 0;
        for (size_t i = 0; i < sheet.size(); ++i)
            bytes += sheet[i] != gameTex->pixels[i];
        return bytes;
    }
    static int sheetBytes() { return gameTex->tw * gameTex->th * 4; }
    static int ringSize(Creature *c = player.next) {
        return c == &player ? 1 : 1 + ringSize(c->next);
    }
    static bool said(const char *text) { return shownLine(0).rfind(text, 0) == 0; }
    static bool noMagic() { return said("You don't have enough magic."); }
    static bool quiet() { return shownLine(0) == std::string(90, ' '); }
    static bool occupied(int x, int y) { return tileAt(x, y).creature != nullptr; }
    static int gold() { return tileAt(40, 20).item ? tileAt(40, 20).item->amount : 0; }
    static bool hurt(int x) { return tileAt(x, 20).creature->health < 100000; }
};

// A row: keys from the player's turn, the magic before; energy, magic,
// creatures born, game-sheet bytes changed (least, most) and the player's
// cell after; `ok` checks the rest. "q6" hurts the monster at the bolt's
// tenth cell and not the one behind. Every code without a command, "x" among
// them, only clears the lines and keeps the turn; a masked or unsigned code
// would turn e.g. 0xB1 into "1".
TEST_F(Keys, EachCommandKeyDoesItsOwnThingAndNoOtherCodeDoesAnything) {
    srnd(5);
    draws[0] = rnd();
    draws[1] = rnd();
    struct Row {
        const char *keys;
        int magic, energy, magicLeft, born, bytesMin, bytesMax, x = 40, y = 20;
        bool (*ok)() = nullptr;
    };
    std::vector<Row> rows = {
        {";", 0, -1, 0, 0, 0, 0, 40, 20, [] { return said("There is nothing to pick up here!"); }},
        {"f\r", 0, 17500, 0, 0, 0, 0, 40, 20, [] { return said("You shoot Player."); }},
        {"q6", 1000, 35000, 0, 0, 0, 500, 40, 20, [] { return hurt(50) && !hurt(30); }},
        {"w", 0, -1, 0, 0, 0, 0, 40, 20, noMagic},
        {"e", 0, 70000, draws[0] % 5000, 0, 500, 2000},
        {"r", 999999, -1, 999999, 0, 0, 0, 40, 20, noMagic},
        {"y", 5000, 56000, 0, 0, 50, 1100, 40, 20, [] { return player.speed > 0; }},
        {"u", 5000, 56000, 0, 0, 50, 1100, 40, 20, [] { return player.health > 1000; }},
        {"i", 6000, 49000, 0, 0, 50, 1100, 40, 20, [] { return player.defenseMin > 0; }},
        {"o", 6000, 49000, 0, 0, 50, 1100, 40, 20, [] { return player.damageMin > 1; }},
        {"E", 0, -1, 0, 1, 0, 0, 40, 20, [] { return occupied(draws[0] % 90, draws[1] % 40); }},
        {"G", 0, -1, 0, 0, 0, 0, 40, 20, [] { return gold() == draws[0] % 3 + 1; }},
    };
    // "5" waits one move delay; "qz" leaves the turn to the player; the order
    // keys restore pixels of 4 bytes each, ")" one glyph cell (384) besides.
    const Row plain[] = {{"1", 0, 7000, 0, 0, 0, 0, 39, 19}, {"2", 0, 7000, 0, 0, 0, 0, 40, 19},
                         {"3", 0, 7000, 0, 0, 0, 0, 41, 19}, {"4", 0, 7000, 0, 0, 0, 0, 39, 20},
                         {"5", 0, 7000, 0, 0, 0, 0, 40, 20}, {"6", 0, 7000, 0, 0, 0, 0, 41, 20},
                         {"7", 0, 7000, 0, 0, 0, 0, 39, 21}, {"8", 0, 7000, 0, 0, 0, 0, 40, 21},
                         {"9", 0, 7000, 0, 0, 0, 0, 41, 21}, {"qz", 1000, -1, 1000, 0, 0, 0},
                         {"t9", 500, 28000, 0, 0, 0, 400},   {"p", 2000, -1, 0, 0, 50, 1100},
                         {"a", 20000, -1, 0, 0, 500, 11000}, {"s", 10000, -1, 0, 0, 250, 5500},
                         {"!", 0, -1, 0, 0, 1, 1},           {"@", 0, -1, 0, 0, 6, 10},
                         {"#", 0, -1, 0, 0, 51, 100},        {"$", 0, -1, 0, 0, 501, 1000},
                         {"%", 0, -1, 0, 1, 5001, 10000},    {"^", 0, -1, 0, 11, 50000, 100000},
                         {"&", 0, -1, 0, 0, 4, 4},           {"*", 0, -1, 0, 0, 21, 40},
                         {"(", 0, -1, 0, 0, 201, 400},       {")", 0, -1, 0, 0, 2001, 4384}};
    rows.insert(rows.end(), std::begin(plain), std::end(plain));
    const std::string commands = "123456789;fqtweryuiopasEMG!@#$%^&*()";
    static char others[256][2];
    for (int code = -128; code <= 127; ++code) {
        others[code + 128][0] = static_cast<char>(code);
        if (code != 0 && commands.find(others[code + 128][0]) == std::string::npos)
            rows.push_back({others[code + 128], 1000000, -1, 1000000, 0, 0, 0, 40, 20, quiet});
    }
    for (const Row &r : rows) {
        SCOPED_TRACE(testing::Message() << "keys " << int(r.keys[0]) << r.keys + 1);
        if (r.ok != quiet) // the codes without a command share one world
            fresh(40, 20);
        player.magic = r.magic;
        addText("Old news");
        const int bytes = press(r.keys);
        EXPECT_EQ(std::make_tuple(player.energy, player.magic, holdCount(), ringSize() - 3,
                                  player.x, player.y),
                  std::make_tuple(r.energy, r.magicLeft, 0, r.born, r.x, r.y));
        EXPECT_TRUE(bytes >= r.bytesMin && bytes <= r.bytesMax) << bytes;
        EXPECT_TRUE(r.ok == nullptr || r.ok());
    }
}

TEST_F(Keys, MOnACrowdedMapSkipsOccupiedCells) {
    fresh(0, 0, 8);
    for (int cell = 1; cell < 45 * 40; ++cell)
        if (!occupied(cell / 40, cell % 40))
            putMonster(cell / 40, cell % 40);
    const int before = ringSize();
    press("M");
    EXPECT_TRUE(ringSize() - before > 20 && ringSize() - before < 80) << ringSize() - before;
}

// Each corruption or order key is its amount exactly: the same draws and pixels as the call.
TEST_F(Keys, CorruptionAndOrderKeysAreTheirAmounts) {
    const std::pair<char, int> keys[] = {{'!', 1},     {'@', 10},     {'#', 100}, {'$', 1000},
                                         {'%', 10000}, {'^', 100000}, {'&', -1},  {'*', -10},
                                         {'(', -100},  {')', -1000}};
    for (auto [key, amount] : keys) {
        fresh(40, 20);
        amount > 0 ? corrupt(amount) : uncorrupt(-amount);
        const std::vector<unsigned char> want(gameTex->pixels, gameTex->pixels + sheetBytes());
        const int next = rnd();
        fresh(40, 20);
        press(std::string(1, key).c_str());
        EXPECT_TRUE(std::equal(want.begin(), want.end(), gameTex->pixels) && rnd() == next) << key;
    }
}

// Widened sums: no step, however large, wraps the cursor back onto the map; column 0 is on it.
TEST(Targeting, HugeCursorStepsAreIgnored) {
    cursorX = cursorY = 10;
    moveCursorBy(2147483647, 0);
    moveCursorBy(0, -2147483647 - 1);
    EXPECT_TRUE(cursorX == 10 && cursorY == 10);
    cursorX = 1;
    moveCursorBy(-1, 0);
    EXPECT_EQ(cursorX, 0);
}
