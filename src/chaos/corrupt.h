#pragma once
// Corruption of the picture: flipped bits in the game and text sheets,
// scrambled tiles around the player and at random, Chaos Elementals.
//
// Window thread, inside a player command, world lock held (so a map
// generation running beside chaos flee, which takes the lock per tile, never
// sees a half-scrambled tile). Sheet flips set the sheet's changed flag; tile
// changes are reported through addChange. Nothing records how much damage
// was done: every alteration but a glyph replacement is an exclusive-or, so a
// second hit on the same bit restores it.

namespace vell {

// Spends `amount`, in this order: the circle of radius (int)sqrt(amount)
// around the player; `amount` game-sheet bits; amount / 10 text-sheet bits;
// amount / 100 tile colour bits; amount / 1000 tile colour-or-glyph bits;
// amount / 10000 Chaos Elementals; amount / 100000 Superior ones.
// 0 or less does nothing.
void corrupt(int amount);

// Scrambles every tile strictly inside `radius` of the player (the box
// clamped to the map), rows from the lowest, columns from the left. The
// strength falls from 1 at the player to 0 at the radius. 0 or less: nothing.
void corruptInRange(int radius);

// Scrambles tile (x, y) with a strength from 0 to 1; off the map, or a
// strength too low to give an intensity above 0, it does nothing at all.
void corruptTile(int x, int y, float strength);

// Intensity of a strength: strength to the fourth power, halved, times 255,
// truncated, every step in single precision (0 to 127).
int corruptIntensity(float strength);

// Bound of the colour scramble for an intensity k: (6k - 1) / 5.
int corruptBound(int intensity);

} // namespace vell
