// The player's command keys and the targeting cursor, driven through the key
// router on one thread. A hold taken before each command stands in for the
// logic thread stopped in player_act.

#include "support/fixture.h"

namespace {

// The player with 3 arrows and that much magic at (40, 20), alone but for two
// sturdy monsters at (30, 20) and (50, 20); "Old news" on the message line.
// Fleeing is cast one short of its 10000 magic: with them it would start the
// map generation thread.
void fresh(int magic) {
    freshWorld(5);
    // x, y, energy, speed, moveDelay, glyph, r, g, b, name, act, bump, next, prev,
    // gold, level, arrows, magic, health, defense and damage (min, spread)
    player =
        Creature{40,      20,      -1, 0,    7000, 1,     0,    0, 0, "Player", nullptr, nullptr,
                 &player, &player, 0,  1000, 3,    magic, 1000, 0, 0, 1,        1};
    tileAt(40, 20).creature = &player;
    cursorX = cursorY = action = dirAction = 0;
    for (int x : {30, 50}) {
        Creature *c = creature_new();
        c->health = 100000, c->x = x, c->y = 20, tileAt(x, 20).creature = c;
    }
    addText("Old news");
}

} // namespace

// Each command key does just what its call does: the same world, words and draws. "f" aims from
// the player's cell (digits step the cursor, which never leaves the map; any other key fires), "q"
// and "t" take a direction; "8" is one row up. Every code without a command, "x" among them, only
// clears the lines and keeps the turn: a masked or unsigned code would turn e.g. 0xB1 into "1".
TEST(Keys, EachCommandKeyIsItsCallAndNoOtherCodeDoesAnything) {
    // Wanderers on random cells, each column drawn before its row (the comma sees to it); a taken
    // cell is skipped, not tried again.
    static auto spawn = [](int tries) {
        for (int i = 0, x; i < tries; ++i)
            x = rnd() % MAP_W, randEnemy(x, rnd() % MAP_H);
    };
    // "f", n presses of one digit and m of another, ten of a third, and a code of 128 and up.
    auto aim = [](int n, char a, int m, char b, char c) {
        return "f" + std::string(n, a) + std::string(m, b) + std::string(10, c) + "\xb1";
    };
    std::vector<std::pair<std::string, std::function<void()>>> rows = {
        {";", [] { creature_pickup(&player); }},
        {"f\r", [] { creature_shoot(&player, 40, 20); }},
        {"f86x", [] { creature_shoot(&player, 41, 21); }},
        // The cursor pressed one step past each edge of the map, then onto a monster.
        {aim(20, '8', 19, '2', '6'), [] { creature_shoot(&player, 50, 20); }},
        {aim(21, '2', 20, '8', '4'), [] { creature_shoot(&player, 30, 20); }},
        {aim(41, '4', 20, '6', '6'), [] { creature_shoot(&player, 30, 20); }},
        {aim(50, '6', 29, '4', '4'), [] { creature_shoot(&player, 50, 20); }},
        {"q6", [] { chaos_bolt(&player, 1, 0); }},
        {"t1", [] { chaos_blast(&player, -1, -1); }},
        {"qz", nullptr},
        {"EG", [] { spawn(1), dropGold(rnd() % 3 + 1, 40, 20); }}, // the gold's is the 3rd draw
        {"E", [] { spawn(1); }},
        {"M", [] { spawn(100); }}};
    static int (*const spells[])(Creature *) = {
        chaos_flee,    chaos_drain, chaos_ascension, chaos_speed, chaos_heal,
        chaos_barrier, chaos_fury,  chaos_gather,    chaos_death, chaos_confusion};
    static const int amounts[] = {1, 10, 100, 1000, 10000, 100000, -1, -10, -100, -1000};
    for (int i = 0; i < 10; ++i) { // spells, corruption and order, "1" to "9" ("5" waits)
        rows.push_back({{"weryuiopas"[i]}, [i] { spells[i](&player); }});
        rows.push_back(
            {{"!@#$%^&*()"[i]}, [i] { i < 6 ? corrupt(amounts[i]) : uncorrupt(-amounts[i]); }});
        if (i < 9)
            rows.push_back(
                {{char('1' + i)}, [i] { creature_move(&player, i % 3 - 1, i / 3 - 1); }});
    }
    const std::string commands = "123456789;fqtweryuiopasEMG!@#$%^&*()";
    for (int code = -128; code <= 127; ++code)
        if (code != 0 && commands.find(static_cast<char>(code)) == std::string::npos)
            rows.push_back({{static_cast<char>(code)}, nullptr});
    for (const auto &[keys, call] : rows) {
        SCOPED_TRACE(testing::Message() << "keys " << int(keys[0]) << keys.substr(1));
        const int magic = keys == "w" ? 9999 : 1000000;
        fresh(magic);
        clearText();
        if (call)
            call();
        const std::string want = worldState() + shownLine(0);
        fresh(magic);
        inputType.store(1);
        vell::pause();
        for (char k : keys)
            input(k);
        EXPECT_TRUE(worldState() + shownLine(0) == want);
    }
    EXPECT_EQ((world_reset(), inputType.load()), 0); // a new game has no prompt open
}
