#pragma once
// Order: copies pixels back, the text sheet (fontTex) from the untouched
// sheet (pureTex) and the game sheet (gameTex) from the text sheet. The chain
// means damage still held by the text sheet is copied into the game sheet.
//
// Window thread, inside a player command (pick-up, chaos gather, order key),
// world lock held. Touches only rows 0..191 and columns 0..127 of the sheets,
// sets bit 0 (changed) of every sheet it writes, reports no tile changed.
// Does nothing while any of the three sheets is missing.

namespace vell {

// In this order: `amount` random pixels fontTex -> gameTex (row drawn before
// column); amount / 100 random pixels pureTex -> fontTex; amount / 1000 times
// one game cell then one text cell; above 10000 the whole game sheet; above
// 20000 the whole text sheet. 0 or less does nothing.
void uncorrupt(int amount);

// One random 8 x 12 cell (cell column drawn before cell row), text -> game.
void uncorrupt_game_char();
// One random cell, pristine -> text.
void uncorrupt_text_char();
// Whole glyph grid, text -> game.
void uncorrupt_game();
// Whole glyph grid, pristine -> text.
void uncorrupt_text();

} // namespace vell
