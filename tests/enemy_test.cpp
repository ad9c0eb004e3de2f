// Monsters: how they step, and what they draw when they are made.

#include "support/fixture.h"

using Values = std::vector<int>;

namespace {

void putAt(Creature *c, int x, int y) {
    c->x = x, c->y = y, tileAt(x, y).creature = c;
}

// What a levelled monster draws, in the order drawn; an elemental draws the
// same but arrows.
Values drawn(const Creature *c) {
    return {c->gold,       c->arrows,        c->r,      c->g,         c->b,
            c->level,      c->speed,         c->health, c->damageMin, c->damageSpread,
            c->defenseMin, c->defenseSpread, c->energy};
}

} // namespace

// A second monster finds the first in its way and attacks it.
TEST(EnemyMarch, StepsDiagonallyTowardThePlayerAndAttacksAMonsterInTheWay) {
    for (const auto &k : {std::array{7, 9, 9, 6}, std::array{12, 5, 11, 5}}) {
        freshWorld(1);
        putAt(&player, k[0], k[1]);
        Creature *c = enemy_leveled(1);
        putAt(c, 10, 5);
        EXPECT_EQ((Values{enemy_act_toPlayer(c), c->x, c->y, c->energy}),
                  (Values{1, k[2], k[3], 10000}));
    }
    Creature *b = tileAt(11, 5).creature, *a = enemy_leveled(1);
    putAt(a, 10, 5);
    a->damageMin = 3, a->damageSpread = b->defenseMin = b->defenseSpread = 0, b->health = 100;
    enemy_act_toPlayer(a);
    EXPECT_EQ((Values{a->x, a->energy, b->health}), (Values{10, 20000, 97})); // a blow
}

// With every tile taken, the generator gives up after 101 picks of a column
// and a row each, and so do elementals; a taken tile gets no wanderer. Seed
// 1000 draws the looks, pace and energy of a wanderer, with large numbers,
// then its steps, each drawing its row step first.
TEST(EnemyGen, NothingWithoutRoomAndAWandererDrawsItsLooksPaceAndSteps) {
    static Creature blocker{};
    freshWorld(32);
    for (Tile &t : map)
        t.creature = &blocker;
    randEnemy(20, 10);
    EXPECT_EQ(genRandEnemy(), nullptr);
    addChaosElemental();
    addSuperiorChaosElemental();
    const int after = rnd();
    srnd(32);
    for (int i = 0; i < 3 * 2 * 101; ++i)
        rnd();
    EXPECT_TRUE(after == rnd() && player.next == &player);
    for (Tile &t : map)
        t.creature = nullptr;
    srnd(1000);
    randEnemy(40, 25);
    Creature *c = tileAt(40, 25).creature;
    ASSERT_TRUE(c != &blocker && c->x == 40 && c->y == 25 && c->act == enemy_act);
    EXPECT_EQ(mapTex[2][2].count, 1); // its tile waits to be drawn
    EXPECT_EQ((Values{c->r, c->g, c->b, c->speed, c->energy, c->glyph}),
              (Values{104, 221, 249, 838, 1509, 2}));
    EXPECT_TRUE(c->bump == enemy_bump && std::string(c->name) == "Enemy");
    Values path;
    for (int i = 0; i < 4; ++i)
        path.insert(path.end(), {enemy_act(c), c->x, c->y, c->energy});
    EXPECT_EQ(path,
              (Values{1, 41, 25, 10000, 1, 42, 26, 10000, 1, 42, 27, 10000, 1, 41, 28, 10000}));
}

// Worked values in drawn() order: enemy_leveled after two draws, or
// enemy_rand, whose chance and level are those two, from the same seed. A
// level below 1 counts as 1; seed 9 draws arrows, seed 3 both spreads above their base.
TEST(EnemyLeveled, DrawsEveryValueInOrderAlsoAfterEnemyRandsChanceAndLevel) {
    const std::tuple<unsigned, int, Values> rows[] = {
        {3, 4, {14, 0, 231, 127, 102, 4, 825, 2, 14, 4, 12, 2, 2399}},
        {9, 4, {15, 6, 219, 109, 190, 3, 854, 4, 5, 1, 4, 0, 931}},
        {57, 1, {3, 0, 194, 135, 121, 1, 852, 2, 5, 1, 3, 0, 242}},
        {58, 0, {4, 0, 126, 221, 247, 1, 854, 2, 1, 1, 1, 0, 5722}},
        {59, -1000, {3, 0, 241, 248, 210, 1, 998, 2, 5, 1, 2, 0, 3060}}};
    for (const auto &[seed, level, want] : rows)
        for (bool viaRand : {false, true}) {
            srnd(seed);
            if (!viaRand)
                rnd(), rnd();
            Creature *c = viaRand ? enemy_rand(100, 100, level, level) : enemy_leveled(level);
            EXPECT_EQ(drawn(c), want) << seed << (viaRand ? " enemy_rand" : "");
            EXPECT_TRUE(c->x == 0 && c->y == 0 && c->act == &enemy_act_toPlayer);
        }
}

// An elemental is a wanderer on a random free tile, then draws its pace and
// looks and the wide numbers of its kind: its place and the values in drawn()
// order. Seed 86 draws its pace above 5000, seed 21 its health above 20000.
TEST(ChaosElemental, DrawsPlaceThenWideNumbersInOrder) {
    const std::tuple<bool, unsigned, Values> kinds[] = {
        {false, 86, {49, 18, 89, 0, 175, 54, 45, 142, 2916, 241, 132, 22, 119, 37, 3892}},
        {true, 86, {49, 18, 1889, 0, 175, 54, 45, 542, 5916, 14241, 1532, 1222, 519, 437, 3892}},
        {true, 21, {17, 20, 1025, 0, 73, 63, 187, 1307, 4580, 74, 1066, 1999, 1821, 1573, 8191}}};
    for (const auto &[superior, seed, want] : kinds) {
        freshWorld(seed);
        superior ? addSuperiorChaosElemental() : addChaosElemental();
        Creature *c = player.prev;
        Values got = drawn(c);
        got.insert(got.begin(), {c->x, c->y});
        EXPECT_TRUE(got == want && tileAt(c->x, c->y).creature == c && c->glyph == "cC"[superior]);
        EXPECT_STREQ(c->name, superior ? "Superior Chaos Elemental" : "Chaos Elemental");
    }
}
