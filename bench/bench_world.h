#pragma once
// What the benchmarks share: the glyph sheets from the real glyph file and a
// field of grass like the one map generation leaves.

namespace vell::bench {

// Loads data/font.bmp into the three sheets once per process; false if the
// file cannot be read or a copy cannot be made.
bool loadSheets();

// Seeds the calling thread with 1 and gives every tile a grass glyph and
// colour (creatures and items are left as they are).
void fillGrass();

} // namespace vell::bench
