#pragma once
// What every test needs: the game's whole interface, GoogleTest, and shared scaffolding (a fresh
// world and display for each test, and readers that turn what the screen images show back into
// text).

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "chaos/chaos.h"
#include "chaos/corrupt.h"
#include "chaos/order.h"
#include "core/frame.h"
#include "core/logic.h"
#include "core/random.h"
#include "core/startup.h"
#include "creatures/combat.h"
#include "creatures/creature.h"
#include "creatures/move.h"
#include "creatures/speech.h"
#include "enemies/enemy.h"
#include "graphics/glseam.h"
#include "graphics/graphics.h"
#include "graphics/map.h"
#include "graphics/tile.h"
#include "items/item.h"
#include "platform/font.h"
#include "player/player.h"
#include "ui/stat.h"
#include "ui/text.h"
#include "world/map.h"

namespace vell {

// Resets everything a test may have left behind: world_reset(), the default
// recording OpenGL seam installed and cleared, the three glyph sheets loaded
// fresh from data/font.bmp, the message lines, status image and map blocks
// created (first call) and blanked with their lists emptied, status and
// message state cleared, the calling thread's generator seeded with `seed`.
void freshWorld(unsigned seed = 1);

// Text shown by message line 0..2, read back from its image by matching each
// 8 x 12 cell against the glyphs of the pristine sheet drawn white on black
// (up to 90 characters, trailing blanks left out; an unrecognised cell reads '?').
std::string shownLine(int line);

// The same for status row 0 (upper) or 1 (lower).
std::string shownStatRow(int row);

// Whether the cell at pixel (px, py) of the image shows glyph c of the pristine sheet tinted
// (r, g, b) over a cleared cell, exactly as drawing a whole cell leaves it (' ' shows a black
// cell).
bool shows(const TexBlock *image, int px, int py, unsigned char c, unsigned char r = 255,
           unsigned char g = 255, unsigned char b = 255);

// Whether the tile at (x, y) waits to be drawn: it is in its block's list of changes.
bool pending(int x, int y);

// Everything a command or an effect may change, as bytes: the player's numbers and looks, every
// creature (place, health, kind of act), the tiles with their items' amounts (left out while a new
// map is being made), the tiles waiting to be drawn, both working sheets and their upload flags,
// the holds, and the calling thread's next draw.
std::string worldState(bool tiles = true);

// FNV-1a of the bytes: a whole state (worldState's, with no addresses in it) as one worked value
// short enough to write down.
std::uint64_t fold(const std::string &bytes);

// Polls pred every 0.1 ms for up to ms milliseconds (sanitizer builds are slow); its last answer.
template <class Pred> bool waitUntil(Pred pred, int ms = 10000) {
    for (int i = 0; i < ms * 10 && !pred(); ++i)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    return pred();
}

} // namespace vell

// Tests are written as the game's own code is.
using namespace vell;
using namespace std::chrono_literals;
