// Whole games, one after another for VELL_SOAK_SECONDS (default 2): started as the game starts,
// on the real logic and map generation threads, with random keys through `input` and frames
// through `update` and `render`, until the player dies or the window closes at a random moment;
// then the game's own shutdown. The sanitizer builds judge what happens meanwhile.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/frame.h"
#include "core/logic.h"
#include "core/random.h"
#include "core/startup.h"
#include "graphics/glseam.h"
#include "platform/font.h"
#include "support/fixture.h"
#include "ui/stat.h"
#include "ui/text.h"

using namespace vell;

TEST(Soak, RandomGamesEndByDeathOrCloseAndShutDownCleanly) {
    const char *env = std::getenv("VELL_SOAK_SECONDS");
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::seconds(env ? std::atoi(env) : 2);
    // Steps, targeting, every chaos effect (flee "w"), "M", corruption and order, odd bytes.
    const std::string keys = "12346789;;fqtweryuiopasEMG!@#$%^&*()\r\rzx5";
    long games = 0, keysSent = 0, deaths = 0;
    freshWorld(); // the test's own images, put back at the end
    for (unsigned seed = 1; std::chrono::steady_clock::now() < end; ++seed, ++games) {
        world_reset();
        srnd(seed);
        init(VELL_SOURCE_DIR "/data");
        ASSERT_EQ(closing.load(), 0);
        {
            WorldGuard g;
            player.health = 1 + rnd() % 30; // short lives
            player.magic = rnd() % 2 ? 2000000 : 0;
        }
        logicThread = std::thread(startGameLoop);
        const int closeAt = rnd() % 2 ? rnd() % 300 : rnd() % 4000; // frames; some games outlive it
        for (int frame = 0; !closing.load(); ++frame) {
            if (frame == closeAt)
                closing.store(1); // the close button
            for (int k = rnd() % 3; k > 0; --k, ++keysSent)
                input(rnd() % 8 ? keys[rnd() % keys.size()] : static_cast<signed char>(rnd()));
            update();
            if (tryTakeDrawing()) {
                render();
                recordingGl().clear();
                giveDrawing();
            }
        }
        deaths += player.health <= 0;
        ASSERT_TRUE(stopThreads()) << "a thread did not end, game " << seed;
        for (TexBlock *t :
             {pureTex, fontTex, gameTex, textLine[0], textLine[1], textLine[2], vell::stat})
            texBlock_free(t);
    }
    std::printf("soak: %ld games (%ld deaths), %ld keys\n", games, deaths, keysSent);
    freshWorld();
}
