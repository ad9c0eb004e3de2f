#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "chaos/corrupt.h"
#include "core/logic.h"
#include "core/random.h"
#include "graphics/graphics.h"
#include "graphics/map.h"
#include "platform/font.h"
#include "support/fixture.h"

using namespace vell;

namespace {

using Sheet = std::vector<unsigned char>;
using Spot = std::pair<int, int>;

Sheet snapshot(const TexBlock *t) {
    return Sheet(t->pixels, t->pixels + static_cast<std::size_t>(t->tw) * t->th * 4);
}

// Bits of the glyph grid that differ between two sheets.
int differingBits(const Sheet &a, const Sheet &b) {
    int n = 0;
    for (int i = 0; i < SHEET_W * SHEET_H * 4; ++i)
        n += std::popcount(static_cast<unsigned>(a[i] ^ b[i]));
    return n;
}

struct Ground {
    unsigned char glyph, r, g, b;
    bool operator==(const Ground &) const = default;
};

std::vector<Ground> ground() {
    std::vector<Ground> v;
    for (const Tile &t : map)
        v.push_back({t.glyph, t.r, t.g, t.b});
    return v;
}

// A world with patterned ground and the player at (px, py).
void setUp(unsigned seed, int px, int py) {
    freshWorld(seed);
    for (int x = 0; x < MAP_W; ++x)
        for (int y = 0; y < MAP_H; ++y) {
            Tile &t = tileAt(x, y);
            t.glyph = static_cast<unsigned char>(44 + (x + y) % 3);
            t.r = static_cast<unsigned char>(x * 2);
            t.g = static_cast<unsigned char>(100 + y);
            t.b = static_cast<unsigned char>(x + y);
        }
    player.x = px;
    player.y = py;
    tileAt(px, py).creature = &player;
    srnd(seed);
}

std::set<Spot> reported() {
    std::set<Spot> s;
    for (auto &column : mapTex)
        for (MapBlock &b : column)
            for (int i = 0; i < b.count; ++i)
                s.insert({b.changes[i][0], b.changes[i][1]});
    return s;
}

int countNamed(const char *name) {
    int n = 0;
    for (Creature *c = player.next; c != &player; c = c->next)
        if (c->name != nullptr && std::strcmp(c->name, name) == 0)
            ++n;
    return n;
}

void flipModelBit(Sheet &s, int byte, int bit) {
    s[byte] ^= static_cast<unsigned char>(1 << bit);
}

void flipModelTile(int bytes) {
    int x = rnd() % 90;
    int y = rnd() % 40;
    int which = rnd() % bytes;
    int bit = rnd() % 8;
    Tile &t = tileAt(x, y);
    unsigned char *p = which == 0 ? &t.r : which == 1 ? &t.g : which == 2 ? &t.b : &t.glyph;
    *p ^= static_cast<unsigned char>(1 << bit);
}

} // namespace

TEST(CorruptTile, WorkedIntensitiesAndBounds) {
    const struct {
        float strength;
        int intensity, bound;
    } cases[] = {{1.0f, 127, 152}, {0.9f, 83, 99}, {0.75f, 40, 47}, {0.5f, 7, 8}, {0.3f, 1, 1}};
    for (const auto &c : cases) {
        EXPECT_EQ(corruptIntensity(c.strength), c.intensity) << c.strength;
        EXPECT_EQ(corruptBound(c.intensity), c.bound) << c.strength;
    }
    EXPECT_EQ(corruptIntensity(0.29f), 0);
    EXPECT_EQ(corruptBound(5), 5); // a multiple of 5 gives one less than 1.2 k
}

TEST(CorruptTile, OffTheMapOrTooWeakDoesNothing) {
    setUp(1, 45, 20);
    std::vector<Ground> before = ground();
    corruptTile(-1, 0, 1.0f);
    corruptTile(90, 5, 1.0f);
    corruptTile(3, 40, 1.0f);
    corruptTile(10, 10, 0.2f);
    EXPECT_EQ(ground(), before);
    EXPECT_TRUE(reported().empty());
    EXPECT_EQ(rnd(), 41); // no draw was made (seed 1 starts with 41)
}

// Each amount against a replay: the circle of the expected radius, then the
// sheet and tile flips with their draws in the expected order.
TEST(Corrupt, AmountsReachWhatTheirTableSays) {
    const struct {
        int amount, radius;
    } cases[] = {{1, 1}, {9, 3}, {10, 3}, {100, 10}, {1000, 31}, {10000, 100}, {100000, 316}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.amount);
        const unsigned seed = 1000u + static_cast<unsigned>(c.amount);
        setUp(seed, 45, 20);
        Sheet pure = snapshot(pureTex);
        corrupt(c.amount);
        std::vector<Ground> got = ground();
        Sheet game = snapshot(gameTex), font = snapshot(fontTex);
        EXPECT_EQ(countNamed("Chaos Elemental"), c.amount / 10000);
        EXPECT_EQ(countNamed("Superior Chaos Elemental"), c.amount / 100000);

        setUp(seed, 45, 20);
        corruptInRange(c.radius);
        Sheet modelGame = pure, modelFont = pure;
        for (int i = 0; i < c.amount; ++i) {
            int row = rnd() % 192, col = rnd() % 128, byte = rnd() % 4, bit = rnd() % 8;
            flipModelBit(modelGame, (row * 128 + col) * 4 + byte, bit);
        }
        for (int i = 0; i < c.amount / 10; ++i) {
            int row = rnd() % 192, col = rnd() % 128, byte = rnd() % 4, bit = rnd() % 8;
            flipModelBit(modelFont, (row * 128 + col) * 4 + byte, bit);
        }
        for (int i = 0; i < c.amount / 100; ++i)
            flipModelTile(3);
        for (int i = 0; i < c.amount / 1000; ++i)
            flipModelTile(4);

        EXPECT_EQ(got, ground());
        EXPECT_EQ(differingBits(game, modelGame), 0);
        EXPECT_EQ(differingBits(font, modelFont), 0);
        int gameBits = differingBits(game, pure), fontBits = differingBits(font, pure);
        if (c.amount <= 100) { // too few flips to land twice on one bit
            EXPECT_EQ(gameBits, c.amount);
            EXPECT_EQ(fontBits, c.amount / 10);
        }
        EXPECT_EQ(gameBits % 2, c.amount % 2);
        EXPECT_LE(gameBits, c.amount);
    }
}

TEST(Corrupt, OneTouchesOnlyThePlayersTileAndOneGameBit) {
    setUp(17, 30, 30);
    std::vector<Ground> before = ground();
    Sheet pure = snapshot(pureTex);
    corrupt(1);
    EXPECT_EQ(reported(), (std::set<Spot>{{30, 30}}));
    std::vector<Ground> after = ground();
    for (int i = 0; i < MAP_W * MAP_H; ++i)
        if (i != 30 * MAP_H + 30) {
            ASSERT_EQ(after[i], before[i]) << i;
        }
    EXPECT_EQ(differingBits(snapshot(gameTex), pure), 1);
    EXPECT_EQ(differingBits(snapshot(fontTex), pure), 0);
}

TEST(Corrupt, ZeroAndNegativeAmountsChangeNothing) {
    setUp(2, 45, 20);
    std::vector<Ground> before = ground();
    Sheet pure = snapshot(pureTex);
    for (int amount : {0, -1, -100000, -2147483647 - 1})
        corrupt(amount);
    EXPECT_EQ(ground(), before);
    EXPECT_TRUE(reported().empty());
    EXPECT_EQ(snapshot(gameTex), pure);
    EXPECT_EQ(snapshot(fontTex), pure);
    EXPECT_EQ(player.next, &player);
}

TEST(Corrupt, RadiusThreeLeavesItsFourCornersUnreported) {
    setUp(8, 15, 10); // box spans four blocks, so no list fills up
    std::vector<Ground> before = ground();
    corrupt(9);
    std::set<Spot> expected;
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy)
            if (dx * dx + dy * dy != 8)
                expected.insert({15 + dx, 10 + dy});
    EXPECT_EQ(reported(), expected);
    for (int dx : {-2, 2})
        for (int dy : {-2, 2})
            EXPECT_EQ(ground()[(15 + dx) * MAP_H + 10 + dy], before[(15 + dx) * MAP_H + 10 + dy]);
}

// Rows from the lowest, columns from the left; the box stops at column 0.
TEST(Corrupt, CircleAtTheLeftEdgeVisitsOnlyTilesOnTheMapInRowOrder) {
    setUp(31, 0, 20);
    corruptInRange(3);
    std::vector<Ground> got = ground();
    std::set<Spot> rep = reported();

    setUp(31, 0, 20);
    std::set<Spot> expected;
    for (int y = 17; y <= 23; ++y)
        for (int x = 0; x <= 3; ++x) {
            int d2 = x * x + (20 - y) * (20 - y);
            if (d2 >= 9)
                continue;
            int k = corruptIntensity(1.0f - static_cast<float>(d2 / 9.0));
            if (k <= 0)
                continue;
            int bound = (6 * k - 1) / 5;
            Tile &t = tileAt(x, y);
            t.r ^= static_cast<unsigned char>(rnd() % bound);
            t.g ^= static_cast<unsigned char>(rnd() % bound);
            t.b ^= static_cast<unsigned char>(rnd() % bound);
            if (rnd() % k > 115)
                t.glyph = static_cast<unsigned char>(32 + rnd() % 96);
            expected.insert({x, y});
        }
    EXPECT_EQ(rep, expected);
    EXPECT_EQ(rep.size(), 13u);
    EXPECT_EQ(got, ground());
}

TEST(Corrupt, TheSameBitFlippedTwiceIsBack) {
    setUp(44, 45, 20);
    std::vector<Ground> before = ground();
    Sheet pure = snapshot(pureTex);
    srnd(44);
    corrupt(5000);
    EXPECT_NE(snapshot(gameTex), pure);
    srnd(44);
    corrupt(5000);
    EXPECT_EQ(snapshot(gameTex), pure);
    EXPECT_EQ(snapshot(fontTex), pure);
    std::vector<Ground> after = ground();
    const int r2 = 70 * 70;
    for (int x = 0; x < MAP_W; ++x)
        for (int y = 0; y < MAP_H; ++y) {
            const Ground &a = after[x * MAP_H + y], &b = before[x * MAP_H + y];
            EXPECT_EQ(a.r, b.r);
            EXPECT_EQ(a.g, b.g);
            EXPECT_EQ(a.b, b.b);
            // Only a glyph replaced near the player is not an exclusive-or.
            int d2 = (45 - x) * (45 - x) + (20 - y) * (20 - y);
            if (corruptIntensity(1.0f - static_cast<float>(static_cast<double>(d2) / r2)) < 117) {
                EXPECT_EQ(a.glyph, b.glyph) << x << "," << y;
            }
        }
}
