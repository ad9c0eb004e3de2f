// Key routing by input mode, the per-frame upkeep and what a frame draws.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

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

namespace {

void fresh(unsigned seed = 1) {
    freshWorld(seed);
    resetFrameCounter();
    player.name = "Player";
    player.moveDelay = 10000;
    player.health = 7;
    player.level = 1;
    player.x = 30;
    player.y = 20;
    tileAt(30, 20).creature = &player;
    cursorX = cursorY = 0;
    action = dirAction = 0;
}

bool pending(int x, int y) {
    const MapBlock &b = mapTex[x / 15][y / 10];
    for (int i = 0; i < b.count; ++i)
        if (b.changes[i][0] == x && b.changes[i][1] == y)
            return true;
    return false;
}

bool anyTextShown() {
    for (int i = 0; i < 3; ++i)
        if (shownLine(i).find_first_not_of(' ') != std::string::npos)
            return true;
    return false;
}

// A hold as the logic thread's pause would leave it, in the given mode.
void holdIn(int mode) {
    inputType.store(mode);
    vell::pause();
    inputType.store(mode);
}

} // namespace

// --- Key routing -------------------------------------------------------------

TEST(KeyRouting, AKeyInModeZeroIsDropped) {
    fresh();
    holdIn(0);
    addText("Still here");
    player.energy = -5;
    input('5');
    EXPECT_EQ(player.energy, -5);
    EXPECT_EQ(holdCount(), 1);
    EXPECT_TRUE(anyTextShown());
}

TEST(KeyRouting, UnknownModesDropTheKeyToo) {
    for (int mode : {5, 7, -1, 1000}) {
        fresh();
        holdIn(mode);
        player.energy = -5;
        input('5');
        EXPECT_EQ(player.energy, -5) << mode;
        EXPECT_EQ(holdCount(), 1) << mode;
        EXPECT_EQ(inputType.load(), mode);
    }
}

TEST(KeyRouting, ModeOneRunsTheCommandThenReleases) {
    fresh();
    holdIn(1);
    input('5');
    EXPECT_EQ(player.energy, 10000);
    EXPECT_EQ(holdCount(), 0);
}

TEST(KeyRouting, ModeTwoOnlyReleases) {
    fresh();
    holdIn(2);
    addText("More to read");
    player.energy = -5;
    input('5');
    EXPECT_EQ(player.energy, -5); // no command ran
    EXPECT_TRUE(anyTextShown());  // and the lines were not cleared
    EXPECT_EQ(holdCount(), 0);
}

TEST(KeyRouting, ModeThreeReleasesOnlyWhenTargetingEnds) {
    fresh();
    holdIn(3);
    action = 1;
    cursorX = 10;
    cursorY = 10;
    for (char k = '1'; k <= '9'; ++k) {
        input(k);
        EXPECT_EQ(holdCount(), 1) << k;
        EXPECT_EQ(inputType.load(), 3);
    }
    EXPECT_EQ(cursorX, 10); // each pair of opposite keys cancels out
    EXPECT_EQ(cursorY, 10);
    input('x');
    EXPECT_EQ(holdCount(), 0);
    EXPECT_EQ(action, 0);
}

TEST(KeyRouting, ModeFourReleasesWhateverTheKey) {
    for (int k : {int{'z'}, int{' '}, 13, -3, int{'0'}}) {
        fresh();
        holdIn(4);
        dirAction = 1;
        player.magic = 5000;
        player.energy = -5;
        input(static_cast<signed char>(k));
        EXPECT_EQ(holdCount(), 0) << int(k);
        EXPECT_EQ(player.magic, 5000) << int(k);
        EXPECT_EQ(player.energy, -5) << int(k);
    }
}

TEST(KeyRouting, AReleaseWithNoHoldDoesNothing) {
    fresh();
    inputType.store(1);
    input('5'); // no hold taken: the release finds none
    EXPECT_EQ(holdCount(), 0);
    EXPECT_EQ(player.energy, 10000);
}

// input, update and render all run under the world lock: none may start its
// work while another thread holds it.
TEST(KeyRouting, FrameEntryPointsWaitForTheWorldLock) {
    fresh();
    inputType.store(1);
    std::atomic<int> done{0};
    std::thread t;
    {
        WorldGuard g;
        t = std::thread([&] {
            input('5');
            update();
            render();
            done.store(1);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(done.load(), 0);
        EXPECT_EQ(player.energy, 0);
    }
    t.join();
    EXPECT_EQ(done.load(), 1);
    EXPECT_EQ(player.energy, 10000);
}

// --- update ------------------------------------------------------------------

// Each block gets one marker tile; the block whose marker is gone after a
// frame is the one collapsed (random marks only add, and never fill a list).
TEST(FrameUpdate, RotationStartsAtBlockColumnOneAndRunsThroughAll24) {
    fresh();
    for (int frame = 1; frame <= 48; ++frame) {
        for (int i = 0; i < BLOCK_COLS; ++i)
            for (int j = 0; j < BLOCK_ROWS; ++j)
                addChange(15 * i + 7, 10 * j + 5);
        update();
        int collapsed = -1, found = 0;
        for (int i = 0; i < BLOCK_COLS; ++i)
            for (int j = 0; j < BLOCK_ROWS; ++j)
                if (!pending(15 * i + 7, 10 * j + 5)) {
                    collapsed = j * BLOCK_COLS + i;
                    ++found;
                }
        ASSERT_EQ(found, 1) << "frame " << frame;
        EXPECT_EQ(collapsed, frame % 24) << "frame " << frame;
    }
}

TEST(FrameUpdate, MarksTenRandomTilesDrawingTheRowFirst) {
    fresh(4242);
    srnd(4242);
    int xs[10], ys[10];
    for (int i = 0; i < 10; ++i) {
        ys[i] = rnd() % 40;
        xs[i] = rnd() % 90;
    }
    srnd(4242);
    update();
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(pending(xs[i], ys[i])) << xs[i] << "," << ys[i];
}

TEST(FrameUpdate, RefreshesTheStatusLines) {
    fresh();
    player.health = 42;
    update();
    EXPECT_EQ(shownStatRow(0).substr(0, 10), "Health: 42");
    player.health = 9;
    update();
    EXPECT_EQ(shownStatRow(0).substr(0, 10), "Health: 9 ");
}

// --- render ------------------------------------------------------------------

namespace {

// Index of the first quad drawn with this texture, -1 if none.
int firstQuadOf(unsigned texture) {
    const auto &q = recordingGl().quads;
    for (size_t i = 0; i < q.size(); ++i)
        if (q[i].texture == texture)
            return static_cast<int>(i);
    return -1;
}

int cursorQuads(float x, float y) {
    int n = 0;
    for (const auto &q : recordingGl().quads) {
        if (q.texture != fontTex->texture || q.r != 255 || q.g != 255 || q.b != 0)
            continue;
        float minX = q.xy[0], minY = q.xy[1];
        for (int k = 0; k < 4; ++k) {
            minX = std::min(minX, q.xy[2 * k]);
            minY = std::min(minY, q.xy[2 * k + 1]);
        }
        if (minX == x && minY == y)
            ++n;
    }
    return n;
}

} // namespace

TEST(FrameRender, DrawsMapThenStatusThenMessages) {
    fresh();
    recordingGl().clear();
    render();
    int mapAt = firstQuadOf(mapTex[0][0].image->texture);
    int statAt = firstQuadOf(vell::stat->texture);
    int textAt = firstQuadOf(textLine[0]->texture);
    ASSERT_GE(mapAt, 0);
    ASSERT_GE(statAt, 0);
    ASSERT_GE(textAt, 0);
    EXPECT_LT(mapAt, statAt);
    EXPECT_LT(statAt, textAt);
    EXPECT_EQ(cursorQuads(0, 24), 0);
}

TEST(FrameRender, TheCursorIsDrawnOnlyInModeThree) {
    for (int mode = 0; mode <= 4; ++mode) {
        fresh();
        inputType.store(mode);
        cursorX = 17;
        cursorY = 39;
        recordingGl().clear();
        render();
        EXPECT_EQ(cursorQuads(17 * 8, 39 * 12 + 24), mode == 3 ? 1 : 0) << "mode " << mode;
        if (mode == 3) {
            // over everything else: the last quad of the frame
            const auto &q = recordingGl().quads.back();
            EXPECT_EQ(q.texture, fontTex->texture);
            EXPECT_EQ(q.b, 0);
        }
    }
}

TEST(FrameRender, TheCursorFollowsItsCell) {
    fresh();
    inputType.store(3);
    cursorX = 0;
    cursorY = 0;
    recordingGl().clear();
    render();
    EXPECT_EQ(cursorQuads(0, 24), 1);
    cursorX = 89;
    recordingGl().clear();
    render();
    EXPECT_EQ(cursorQuads(712, 24), 1);
    EXPECT_EQ(cursorQuads(0, 24), 0);
}
