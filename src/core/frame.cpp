#include "core/frame.h"

#include <cstdint>

#include "core/logic.h"
#include "core/random.h"
#include "graphics/graphics.h"
#include "graphics/map.h"
#include "platform/font.h"
#include "player/player.h"
#include "ui/stat.h"
#include "ui/text.h"

namespace vell {

namespace {

std::int32_t frameCounter = 0;

// Releases one hold. When that was the last hold on a running logic thread,
// the world is running again from this moment as far as keys are concerned:
// the logic thread only puts mode 0 back once it has the world lock again,
// and a second key handled before that would otherwise find the old mode
// and run a second command in the same turn.
void release() {
    if (releaseLogic() == 1 && logicThreadRunning.load())
        inputType.store(0);
}

} // namespace

void input(signed char key) {
    // A key is routed by the mode when it arrives. While the world runs the
    // scheduler holds the world lock; a key that waited for it would find
    // the player's next turn and run as a command nobody asked for.
    if (inputType.load() == 0)
        return;
    WorldGuard guard;
    switch (inputType.load()) {
    case 1:
        playerInput(key);
        release();
        break;
    case 2:
        release();
        break;
    case 3:
        if (moveCursor(key) != 0)
            release();
        break;
    case 4:
        dirKey(key);
        release();
        break;
    default:
        break; // nobody waits for a key: dropped
    }
}

void update() {
    WorldGuard guard;
    frameCounter = (frameCounter + 1) % (BLOCK_COLS * BLOCK_ROWS);
    mapBlock_collapse(&mapTex[frameCounter % BLOCK_COLS][frameCounter / BLOCK_COLS]);
    // A steady trickle of redraws carries corruption and order of the game
    // sheet over the whole map. The row is drawn before the column.
    for (int i = 0; i < 10; ++i) {
        int row = rnd() % MAP_H;
        int column = rnd() % MAP_W;
        addChange(column, row);
    }
    updateStat();
}

void render() {
    WorldGuard guard;
    drawMap();
    drawStat();
    drawText();
    if (inputType.load() == 3)
        drawCharDirect(cursorX * 8, cursorY * 12 + 24, 88, 255, 255, 0, fontTex);
}

void resetFrameCounter() {
    WorldGuard guard;
    frameCounter = 0;
}

} // namespace vell
