#pragma once
// The three message lines at the top of the window: texts joined by single
// spaces, words wrapped whole, "More..." when the third line is full.
// Called from the logic thread (monster turns, where "More..." really waits
// for a key) and from the window thread (player commands, where it only adds
// a hold on the stopped logic thread). Callers hold the world lock.

#include "graphics/graphics.h"

namespace vell {

extern TexBlock *textLine[3]; // 720 x 12 each; line 0 is the top line
extern int lineNum;           // line being written, 0..2
extern int charNum;           // column of the next character

// Creates the three line images (window thread, by init); 0 on failure.
int text_init();

// Appends a message piece, joined to what stands on the line by one space
// unless it starts with punctuation. Null shows nothing.
void addText(const char *text);
// Appends one word (moved whole to the next line when it would reach the
// last column and fits a line), or one space or punctuation character.
// Returns the characters consumed, at least 1 (1 with nothing added when
// position points at the terminator).
int addWord(const char *position);
// Appends one character; a line feed moves down a line. A tab is shown as a
// space. A full third line brings up "More...".
void addChar(unsigned char c);
// Shows "More...", then pause(): on the logic thread it waits for a key, on
// any other thread it only adds a hold. Restores the input mode it found and
// clears the lines.
void more();
void clearText();
void drawText(); // window thread

} // namespace vell
