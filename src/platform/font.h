#pragma once
// The glyph sheet file and the three sheets made from it.

#include <cstdio>

#include "graphics/graphics.h"

namespace vell {

// The untouched sheet, the text sheet and the game sheet (made by init).
extern TexBlock *pureTex;
extern TexBlock *fontTex;
extern TexBlock *gameTex;

constexpr int SHEET_W = 128;
constexpr int SHEET_H = 192;

// Reads a 24-bit bottom-up BMP from a stream at the file's start; magenta
// becomes transparent. Null for a null stream, a size below 1 or too large,
// or a sheet smaller than 128 x 192 (every glyph draw addresses that grid).
// Bytes past the end of the file read as 255. Window thread.
TexBlock *loadTexture(std::FILE *stream);

} // namespace vell
