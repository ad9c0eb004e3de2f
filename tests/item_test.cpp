// Items: what a levelled item draws, and where drops land.

#include "support/fixture.h"

// Worked values of item_rand(1, 1, level, level): kind, glyph, flags, r, g,
// b, amount, magic and the draw after (a fixed colour byte takes no draw).
// Level 3 makes what 2 makes; below 1 only the plain item is made.
TEST(ItemRand, KindLookAndWorthInThatOrder) {
    const std::tuple<unsigned, int, std::vector<int>, const char *> rows[] = {
        {1, 3, {1, 36, 0, 255, 255, 0, 7, 0, 15724}, "gold piece"},
        {5, 3, {2, 170, 3, 210, 105, 0, 3, 0, 17649}, "arrow"},
        {4, 3, {4, 3, 2, 245, 104, 215, 5, 0, 10960}, "health"},
        {2, 3, {3, 15, 2, 184, 150, 190, 1, 281, 10705}, "magical gem"},
        {84, 3, {5, 168, 0, 255, 255, 255, 1, 0, 24907}, "scroll of order"},
        {1, 0, {0, 63, 3, 255, 255, 255, 1, 0, 26500}, "item"},
        {2, 1, {2, 170, 3, 234, 100, 0, 5, 0, 26431}, "arrow"}};
    for (const auto &[seed, level, want, name] : rows) {
        srnd(seed);
        Item *it = item_rand(1, 1, level, level);
        const std::vector<int> got = {it->kind, it->glyph,  it->flags, it->r, it->g,
                                      it->b,    it->amount, it->magic, rnd()};
        EXPECT_TRUE(got == want && std::string(it->name) == name) << seed;
        delete it;
    }
}

// The first tile without an item in ever wider squares, each from its lowest
// row and column; an item may lie under a creature. No drop for an amount
// below 1; an item wholly off the map, or with no room within 19 tiles, is
// released (LeakSanitizer would fail the test otherwise).
TEST(Drops, FirstFreeTileLowestRowThenColumnAndNoRoomReleasesTheItem) {
    freshWorld();
    Creature c{};
    tileAt(30, 20).creature = &c;
    dropGold(0, 30, 20);
    dropArrows(-1, 30, 20);
    for (int x : {-20, 109})
        dropNear(item_new(), x, 10);
    // Off the map but within reach of row 39: the lowest row, from the lowest column.
    const int cases[][4] = {{30, 20, 30, 20}, {30, 20, 29, 19}, {50, 0, 50, 0}, {50, 0, 49, 0},
                            {-19, 10, 0, 0},  {0, 0, 1, 0},     {0, 0, 0, 1},   {45, 58, 26, 39}};
    for (auto &k : cases) {
        dropNear(item_new(), k[0], k[1]);
        EXPECT_NE(tileAt(k[2], k[3]).item, nullptr) << k[2] << "," << k[3];
    }
    EXPECT_EQ(std::count_if(std::begin(map), std::end(map), [](const Tile &t) { return t.item; }),
              8);
    for (Tile &t : map)
        t.item = t.item ? t.item : item_new();
    dropNear(item_new(), 89, 20); // the search stops at the last column
}
