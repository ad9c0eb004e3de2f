// The player's command keys, the targeting cursor and the direction prompt,
// driven through the key router on one thread. A hold taken before each key
// stands in for the logic thread stopped in player_act.

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "core/frame.h"
#include "core/logic.h"
#include "core/random.h"
#include "creatures/creature.h"
#include "platform/font.h"
#include "player/player.h"
#include "support/fixture.h"
#include "ui/text.h"

using namespace vell;

namespace {

void placePlayer(int x, int y) {
    player.speed = 1000;
    player.act = player_act;
    player.bump = player_bump;
    player.name = "Player";
    player.glyph = 1;
    player.moveDelay = 10000;
    player.level = 1;
    player.health = 1000;
    player.damageMin = 1;
    player.damageSpread = 1;
    player.x = x;
    player.y = y;
    tileAt(x, y).creature = &player;
}

void fresh(int x = 30, int y = 20, unsigned seed = 1) {
    freshWorld(seed);
    placePlayer(x, y);
    cursorX = cursorY = 0;
    action = dirAction = 0;
}

// The scheduler's side of a turn as the router sees it: mode 1, one hold.
void awaitCommand() {
    inputType.store(1);
    vell::pause();
    ASSERT_EQ(holdCount(), 1);
}

Creature *putMonster(int x, int y, int health = 1) {
    Creature *c = creature_new();
    c->name = "Enemy";
    c->glyph = 2;
    c->health = health;
    c->x = x;
    c->y = y;
    tileAt(x, y).creature = c;
    return c;
}

int ringSize() {
    int n = 1;
    for (Creature *c = player.next; c != &player; c = c->next)
        ++n;
    return n;
}

bool anyTextShown() {
    for (int i = 0; i < 3; ++i)
        if (shownLine(i).find_first_not_of(' ') != std::string::npos)
            return true;
    return false;
}

// Everything a key could change, to compare before and after.
struct Snapshot {
    Creature p;
    int ring, mode, holds, cx, cy, act, dir;
    std::vector<unsigned char> game, font;
    std::vector<Tile> tiles;

    static Snapshot take() {
        Snapshot s;
        s.p = player;
        s.ring = ringSize();
        s.mode = inputType.load();
        s.holds = holdCount();
        s.cx = cursorX;
        s.cy = cursorY;
        s.act = action;
        s.dir = dirAction;
        size_t bytes = static_cast<size_t>(gameTex->tw) * gameTex->th * 4;
        s.game.assign(gameTex->pixels, gameTex->pixels + bytes);
        s.font.assign(fontTex->pixels, fontTex->pixels + bytes);
        s.tiles.assign(map, map + MAP_W * MAP_H);
        return s;
    }
    bool sameWorld(const Snapshot &o) const {
        bool tilesSame = true;
        for (size_t i = 0; i < tiles.size(); ++i) {
            const Tile &a = tiles[i];
            const Tile &b = o.tiles[i];
            if (a.glyph != b.glyph || a.r != b.r || a.g != b.g || a.b != b.b ||
                a.creature != b.creature || a.item != b.item)
                tilesSame = false;
        }
        return tilesSame && std::memcmp(&p, &o.p, sizeof p) == 0 && ring == o.ring &&
               mode == o.mode && cx == o.cx && cy == o.cy && act == o.act && dir == o.dir &&
               game == o.game && font == o.font;
    }
};

const std::set<int> &commandKeys() {
    static const std::set<int> keys = [] {
        std::set<int> k;
        for (const char *p = "123456789;fqtweryuiopasEMG!@#$%^&*()"; *p; ++p)
            k.insert(*p);
        return k;
    }();
    return keys;
}

} // namespace

// --- Keys without a command ------------------------------------------------

TEST(PlayerKeys, XClearsTheMessagesAndTheTurnGoesOn) {
    fresh();
    player.energy = -7;
    addText("Enemy attacks you.");
    ASSERT_TRUE(anyTextShown());
    awaitCommand();
    input('x');
    EXPECT_FALSE(anyTextShown());
    EXPECT_EQ(player.energy, -7); // below 1: player_act asks again at once
    EXPECT_EQ(holdCount(), 0);
}

// Every code outside the command table, including the control codes, space,
// "z".."\x7f" and the codes of 128 and up that arrive negative, must do
// nothing but clear the lines. Guards against tests on an unsigned key or a
// masked code that would turn e.g. 0xB1 into "1".
TEST(PlayerKeys, EveryCodeWithoutACommandChangesNothing) {
    fresh(45, 20, 3);
    player.magic = 2000000; // a chaos key slipping through would cast
    player.arrows = 5;
    for (int code = -128; code <= 127; ++code) {
        if (commandKeys().count(code))
            continue;
        awaitCommand();
        addText("Old news");
        Snapshot before = Snapshot::take();
        input(static_cast<signed char>(code));
        Snapshot after = Snapshot::take();
        EXPECT_TRUE(before.sameWorld(after)) << "code " << code;
        EXPECT_FALSE(anyTextShown()) << "code " << code;
        EXPECT_EQ(holdCount(), 0) << "code " << code;
    }
}

// --- Steps, waiting, bumping -----------------------------------------------

TEST(PlayerKeys, DigitsStepAsOnAKeypadWithRowsCountingUp) {
    const int steps[9][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {0, 0},
                             {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
    for (int k = 0; k < 9; ++k) {
        fresh(30, 20);
        player.energy = 0;
        awaitCommand();
        input(static_cast<signed char>('1' + k));
        EXPECT_EQ(player.x, 30 + steps[k][0]) << "key " << k + 1;
        EXPECT_EQ(player.y, 20 + steps[k][1]) << "key " << k + 1;
        EXPECT_EQ(tileAt(player.x, player.y).creature, &player);
        EXPECT_EQ(player.energy, 10000) << "key " << k + 1;
    }
}

TEST(PlayerKeys, FiveWaitsOneMoveDelayAndNothingElse) {
    fresh(30, 20);
    player.moveDelay = 7000;
    awaitCommand();
    input('5');
    EXPECT_EQ(player.energy, 7000);
    EXPECT_EQ(player.x, 30);
    EXPECT_EQ(player.y, 20);
    EXPECT_EQ(holdCount(), 0);
}

TEST(PlayerKeys, StepOffTheMapCostsNothing) {
    fresh(0, 39);
    player.energy = -3;
    awaitCommand();
    input('7');
    EXPECT_EQ(player.x, 0);
    EXPECT_EQ(player.y, 39);
    EXPECT_EQ(player.energy, -3);
}

TEST(PlayerKeys, WalkingIntoAMonsterAttacksIt) {
    fresh(30, 20);
    putMonster(31, 20, 1000);
    awaitCommand();
    input('6');
    EXPECT_EQ(player.x, 30);
    EXPECT_EQ(player.energy, 20000);
    EXPECT_EQ(shownLine(0).rfind("You attack Enemy.", 0), 0u) << shownLine(0);
}

TEST(PlayerKeys, SemicolonPicksUpOrSaysThereIsNothing) {
    fresh(30, 20);
    player.energy = -1;
    awaitCommand();
    input(';');
    EXPECT_EQ(shownLine(0).rfind("There is nothing to pick up here!", 0), 0u);
    EXPECT_EQ(player.energy, -1);
}

// --- Targeting cursor --------------------------------------------------------

TEST(Targeting, FOpensTheCursorOnThePlayersCellAndKeepsTheWorldStopped) {
    fresh(12, 7);
    awaitCommand();
    input('f');
    EXPECT_EQ(inputType.load(), 3);
    EXPECT_EQ(cursorX, 12);
    EXPECT_EQ(cursorY, 7);
    EXPECT_EQ(action, 1);
    EXPECT_EQ(holdCount(), 1); // the cursor's own hold is left
}

TEST(Targeting, DigitsMoveTheCursorAndStopAtTheEdges) {
    fresh(0, 39);
    awaitCommand();
    input('f');
    input('4'); // column 0: stays
    EXPECT_EQ(cursorX, 0);
    input('8'); // row 39: stays
    EXPECT_EQ(cursorY, 39);
    input('7'); // both out: stays
    EXPECT_EQ(cursorX, 0);
    EXPECT_EQ(cursorY, 39);
    input('5'); // moves by nothing
    EXPECT_EQ(cursorX, 0);
    EXPECT_EQ(cursorY, 39);
    input('3');
    EXPECT_EQ(cursorX, 1);
    EXPECT_EQ(cursorY, 38);
    EXPECT_EQ(inputType.load(), 3);
    EXPECT_EQ(holdCount(), 1);
    EXPECT_EQ(action, 1);

    // No range limit: the cursor crosses the whole map.
    for (int i = 0; i < 200; ++i)
        input('6');
    EXPECT_EQ(cursorX, 89);
    for (int i = 0; i < 50; ++i)
        input('2');
    EXPECT_EQ(cursorY, 0);
    input('3');
    EXPECT_EQ(cursorX, 89);
    EXPECT_EQ(cursorY, 0);
}

TEST(Targeting, MoveCursorByIgnoresStepsOffTheMapWhateverTheirSize) {
    fresh();
    cursorX = 10;
    cursorY = 10;
    moveCursorBy(2147483647, 0);
    moveCursorBy(0, -2147483647 - 1);
    EXPECT_EQ(cursorX, 10);
    EXPECT_EQ(cursorY, 10);
    moveCursorBy(79, 29);
    EXPECT_EQ(cursorX, 89);
    EXPECT_EQ(cursorY, 39);
}

TEST(Targeting, EnterShootsAtThePlayersOwnCellAndReleases) {
    fresh(30, 20, 5);
    player.arrows = 3;
    awaitCommand();
    input('f');
    input(13);
    EXPECT_EQ(holdCount(), 0);
    EXPECT_EQ(action, 0);
    EXPECT_EQ(shownLine(0).rfind("You shoot Player.", 0), 0u) << shownLine(0);
    EXPECT_EQ(player.energy, 25000);
    EXPECT_TRUE(player.arrows == 2 || player.arrows == 3);
}

TEST(Targeting, AnyNonDigitFiresEvenANegativeCode) {
    fresh(30, 20);
    player.arrows = 0;
    player.energy = -2;
    awaitCommand();
    input('f');
    input(static_cast<signed char>(0xB1));
    EXPECT_EQ(holdCount(), 0);
    EXPECT_EQ(action, 0);
    EXPECT_EQ(shownLine(0).rfind("You don't have any arrows.", 0), 0u) << shownLine(0);
    EXPECT_EQ(player.energy, -2); // a refused shot costs nothing
}

TEST(Targeting, ShotAtADistantMonsterUsesTheCursorCell) {
    fresh(30, 20, 9);
    Creature *m = putMonster(35, 23, 1000);
    player.arrows = 1;
    awaitCommand();
    input('f');
    for (int i = 0; i < 5; ++i)
        input('6');
    for (int i = 0; i < 3; ++i)
        input('8');
    input(' ');
    EXPECT_EQ(player.arrows, 0);
    EXPECT_EQ(shownLine(0).rfind("You shoot Enemy.", 0), 0u) << shownLine(0);
    EXPECT_LE(m->health, 1000);
}

// --- Direction prompt --------------------------------------------------------

TEST(DirectionPrompt, QThenSixCastsTheBoltToTheRight) {
    fresh(40, 20, 11);
    player.magic = 1000;
    std::vector<Creature *> right, left;
    for (int i = 1; i <= 10; ++i) {
        right.push_back(putMonster(40 + i, 20));
        left.push_back(putMonster(40 - i, 20));
    }
    int before = ringSize();
    awaitCommand();
    input('q');
    EXPECT_EQ(inputType.load(), 4);
    EXPECT_EQ(dirAction, 1);
    EXPECT_EQ(holdCount(), 1);
    input('6');
    EXPECT_EQ(holdCount(), 0);
    EXPECT_EQ(player.magic, 0);
    EXPECT_EQ(player.energy, 50000);
    EXPECT_EQ(dirAction, 0);
    // The bolt kills about half of the monsters it strikes (health 1, no
    // defence); none of those to the left may be touched.
    int leftAlive = 0, rightAlive = 0;
    for (int i = 1; i <= 10; ++i) {
        Creature *l = tileAt(40 - i, 20).creature;
        Creature *r = tileAt(40 + i, 20).creature;
        leftAlive += l == left[i - 1] && l->health == 1;
        rightAlive += r == right[i - 1];
    }
    EXPECT_EQ(leftAlive, 10);
    EXPECT_LT(rightAlive, 10);
    EXPECT_EQ(ringSize(), before - (10 - rightAlive));
}

TEST(DirectionPrompt, TThenADigitCastsTheBlast) {
    fresh(40, 20, 4);
    player.magic = 600;
    awaitCommand();
    input('t');
    EXPECT_EQ(dirAction, 2);
    input('2');
    EXPECT_EQ(player.magic, 100);
    EXPECT_EQ(player.energy, 40000);
    EXPECT_EQ(holdCount(), 0);
}

TEST(DirectionPrompt, ANonDigitCancelsAndThePlayerKeepsTheTurn) {
    fresh(40, 20);
    player.magic = 5000;
    player.energy = -4;
    awaitCommand();
    input('q');
    input('z');
    EXPECT_EQ(holdCount(), 0);
    EXPECT_EQ(player.magic, 5000);
    EXPECT_EQ(player.energy, -4);
    EXPECT_EQ(dirAction, 1); // left set until the next "q" or "t"
    EXPECT_EQ(direction_act(1, 0), 1);
    EXPECT_EQ(dirAction, 0);
    EXPECT_EQ(direction_act(1, 0), 0); // nothing pending
}

TEST(DirectionPrompt, TooLittleMagicIsToldAfterTheDirectionKey) {
    fresh(40, 20);
    player.magic = 999;
    player.energy = -1;
    awaitCommand();
    input('q');
    EXPECT_FALSE(anyTextShown());
    input('6');
    EXPECT_EQ(shownLine(0).rfind("You don't have enough magic.", 0), 0u);
    EXPECT_EQ(player.magic, 999);
    EXPECT_EQ(player.energy, -1);
}

// --- Chaos, enemies, gold, corruption keys -----------------------------------

TEST(ChaosKeys, EachRefusedEffectSaysSoAndCostsNothing) {
    for (const char *k = "wryuiopas"; *k; ++k) {
        fresh(40, 20);
        player.energy = -1;
        awaitCommand();
        input(*k);
        EXPECT_EQ(shownLine(0).rfind("You don't have enough magic.", 0), 0u) << *k;
        EXPECT_EQ(player.energy, -1) << *k;
        EXPECT_EQ(player.magic, 0) << *k;
    }
}

TEST(ChaosKeys, EDrainsWithoutAnyMagic) {
    fresh(40, 20);
    awaitCommand();
    input('e');
    EXPECT_EQ(player.energy, 100000);
    EXPECT_GE(player.magic, 0);
    EXPECT_LT(player.magic, 5000);
}

TEST(ChaosKeys, EachEffectKeyCastsItsOwnEffect) {
    struct Case {
        char key;
        int cost;
        int delays; // 0: no time
    };
    const Case cases[] = {{'y', 5000, 8}, {'u', 5000, 8},  {'i', 6000, 7}, {'o', 6000, 7},
                          {'p', 2000, 0}, {'a', 20000, 0}, {'s', 10000, 0}};
    for (const Case &c : cases) {
        fresh(40, 20);
        player.magic = 30000;
        player.energy = -1;
        awaitCommand();
        input(c.key);
        EXPECT_EQ(player.magic, 30000 - c.cost) << c.key;
        EXPECT_EQ(player.energy, c.delays ? c.delays * 10000 : -1) << c.key;
    }
}

TEST(EnemyKeys, EPutsAWandererOnTheCellDrawnColumnFirst) {
    fresh(0, 0, 77);
    srnd(77);
    int column = rnd() % 90;
    int row = rnd() % 40;
    srnd(77);
    awaitCommand();
    input('E');
    Creature *c = tileAt(column, row).creature;
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c, &player);
    EXPECT_EQ(c->x, column);
    EXPECT_EQ(c->y, row);
    EXPECT_EQ(ringSize(), 2);
}

TEST(EnemyKeys, MSkipsOccupiedCellsRatherThanRetrying) {
    fresh(0, 0, 8);
    // Every cell of the left half is taken.
    for (int x = 0; x < 45; ++x)
        for (int y = 0; y < 40; ++y)
            if (tileAt(x, y).creature == nullptr)
                putMonster(x, y);
    int before = ringSize();
    awaitCommand();
    input('M');
    int made = ringSize() - before;
    EXPECT_GT(made, 20);
    EXPECT_LT(made, 80);
}

TEST(EnemyKeys, MOnAnEmptyMapPutsEveryWandererOnItsOwnCell) {
    fresh(0, 0, 21);
    awaitCommand();
    input('M');
    int made = ringSize() - 1;
    EXPECT_LE(made, 100);
    EXPECT_GT(made, 90); // only the few cells drawn twice are skipped
    for (Creature *c = player.next; c != &player; c = c->next)
        EXPECT_EQ(tileAt(c->x, c->y).creature, c);
    EXPECT_EQ(player.energy, 0); // costs no time
}

TEST(GoldKey, DropsOneToThreeGoldOnThePlayersCell) {
    fresh(10, 10, 13);
    srnd(13);
    int expected = rnd() % 3 + 1;
    srnd(13);
    awaitCommand();
    input('G');
    Item *it = tileAt(10, 10).item;
    ASSERT_NE(it, nullptr);
    EXPECT_EQ(it->kind, 1);
    EXPECT_EQ(it->amount, expected);
    EXPECT_EQ(player.energy, 0); // costs no time
}

namespace {
int changedBytes(const TexBlock *a, const TexBlock *b) {
    int n = 0;
    for (int i = 0; i < a->tw * a->th * 4; ++i)
        n += a->pixels[i] != b->pixels[i];
    return n;
}
} // namespace

TEST(CorruptionKeys, EachKeyCorruptsByItsAmount) {
    const char keys[] = "!@#$";
    const int amounts[] = {1, 10, 100, 1000};
    for (int i = 0; i < 4; ++i) {
        fresh(40, 20, 31);
        awaitCommand();
        input(keys[i]);
        int flipped = changedBytes(gameTex, pureTex);
        EXPECT_GT(flipped, 0) << keys[i];
        EXPECT_LE(flipped, amounts[i]) << keys[i];
        EXPECT_GT(flipped, amounts[i] / 2) << keys[i];
    }
}

TEST(CorruptionKeys, LargeAmountsCallUpChaosElementals) {
    fresh(40, 20, 33);
    awaitCommand();
    input('%'); // 10000: one elemental
    int afterOne = ringSize();
    EXPECT_GE(afterOne, 2);
    awaitCommand();
    input('^'); // 100000: ten elementals and a superior one
    EXPECT_GE(ringSize(), afterOne + 2);
}

TEST(CorruptionKeys, OrderKeysRepairTheGameSheet) {
    fresh(40, 20, 32);
    awaitCommand();
    input('$'); // 1000 flips
    int damaged = changedBytes(gameTex, fontTex);
    ASSERT_GT(damaged, 0);
    const char keys[] = "&*()";
    int last = damaged;
    for (int i = 0; i < 4; ++i) {
        awaitCommand();
        input(keys[i]);
        int now = changedBytes(gameTex, fontTex);
        EXPECT_LE(now, last) << keys[i];
        last = now;
    }
    EXPECT_LT(last, damaged); // 1111 random pixels restored in all
}
