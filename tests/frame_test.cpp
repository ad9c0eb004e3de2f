// Key routing by input mode, the per-frame upkeep and what a frame draws.

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "core/frame.h"
#include "core/logic.h"
#include "core/random.h"
#include "graphics/glseam.h"
#include "graphics/map.h"
#include "platform/font.h"
#include "player/player.h"
#include "support/fixture.h"
#include "ui/stat.h"
#include "ui/text.h"

using namespace vell;

// The player in the map's top left corner, the cursor on it, a shot pending.
static void fresh(unsigned seed = 1) {
    freshWorld(seed);
    resetFrameCounter();
    player.moveDelay = 10000;
    player.energy = -5;
    tileAt(player.x = cursorX = 0, player.y = cursorY = 39).creature = &player;
    action = dirAction = 1;
}

static bool pending(int x, int y) {
    const MapBlock &b = mapTex[x / 15][y / 10];
    return std::any_of(b.changes, b.changes + b.count,
                       [&](auto c) { return c[0] == x && c[1] == y; });
}

// Digits move the cursor ("5" by nothing, never off the map) and keep the
// hold; any other key, a code of 128 and up too, fires. Mode 4 releases on
// any key ("6" finds no magic for the bolt); mode 0 and unknown modes drop it.
TEST(KeyRouting, EachModeHandsTheKeyOnAndReleasesWhenItsPromptEnds) {
    const struct {
        int mode;
        signed char key;
        int holds, energy, action, cursorX, cursorY;
    } rows[] = {
        {0, '5', 1, -5, 1, 0, 39}, {9, '5', 1, -5, 1, 0, 39}, {1, '5', 0, 10000, 1, 0, 39},
        {2, '5', 0, -5, 1, 0, 39}, {3, '5', 1, -5, 1, 0, 39}, {3, '4', 1, -5, 1, 0, 39},
        {3, '8', 1, -5, 1, 0, 39}, {3, '3', 1, -5, 1, 1, 38}, {3, 13, 0, -5, 0, 0, 39},
        {3, -79, 0, -5, 0, 0, 39}, {4, 'z', 0, -5, 1, 0, 39}, {4, '6', 0, -5, 1, 0, 39},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << r.mode << " key " << int(r.key));
        fresh();
        inputType.store(r.mode);
        vell::pause(); // the hold of the stopped logic thread
        input(r.key);
        EXPECT_EQ(
            std::make_tuple(holdCount(), player.energy, action, cursorX, cursorY, inputType.load()),
            std::make_tuple(r.holds, r.energy, r.action, r.cursorX, r.cursorY, r.mode));
    }
}

// Each block gets a marker tile each frame; the one whose marker is gone was
// collapsed. The ten random tiles of the first frame are drawn row first.
TEST(FrameUpdate, CollapsesBlockColumnOneOfRowZeroFirstAndMarksTenTiles) {
    fresh(4242);
    int tiles[10][2];
    for (auto &t : tiles)
        t[1] = rnd() % 40, t[0] = rnd() % 90;
    srnd(4242);
    for (int frame = 1; frame <= 25; ++frame) {
        for (int b = 0; b < 24; ++b)
            addChange(15 * (b % 6) + 7, 10 * (b / 6) + 5);
        update();
        std::vector<int> collapsed;
        for (int b = 0; b < 24; ++b)
            if (!pending(15 * (b % 6) + 7, 10 * (b / 6) + 5))
                collapsed.push_back(b);
        EXPECT_EQ(collapsed, std::vector<int>{frame % 24}) << "frame " << frame;
        for (int i = 0; frame == 1 && i < 10; ++i)
            EXPECT_TRUE(pending(tiles[i][0], tiles[i][1])) << tiles[i][0] << "," << tiles[i][1];
    }
}

TEST(FrameRender, MapThenStatusThenMessagesAndTheYellowXOnlyInModeThree) {
    for (int mode = 0; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        fresh();
        inputType.store(mode);
        cursorX = 17;
        recordingGl().clear();
        render();
        const auto &q = recordingGl().quads;
        auto first = [&q](const TexBlock *t) {
            return std::find_if(q.begin(), q.end(),
                                [t](auto d) { return d.texture == t->texture; }) -
                   q.begin();
        };
        EXPECT_TRUE(first(mapTex[0][0].image) < first(vell::stat) &&
                    first(vell::stat) < first(textLine[0]) && first(textLine[0]) < long(q.size()));
        // Lines 0, 1, 2 from the top of the window down, the status rows at its bottom.
        for (const TexBlock *t : {textLine[0], textLine[1], textLine[2], vell::stat})
            EXPECT_EQ(q[first(t)].xy[1],
                      t == vell::stat ? 0
                                      : 528 - 12 * (t == textLine[1]) - 24 * (t == textLine[2]));
        const auto &x = q.back(); // glyph 88 of the text sheet at (17 * 8, 39 * 12 + 24)
        EXPECT_EQ(x.texture == fontTex->texture && x.r == 255 && x.g == 255 && x.b == 0 &&
                      x.xy[0] == 136 && x.xy[1] == 492 && x.st[0] * fontTex->tw == 64 &&
                      x.st[1] * fontTex->th == 120,
                  mode == 3);
    }
}
