#pragma once
// The three message lines at the top of the window: texts joined by single
// spaces, words wrapped whole, "More..." when the third line is full.
// Called from the logic thread (monster turns, where "More..." really waits
// for a key) and from the window thread (player commands, where it only adds
// a hold on the stopped logic thread). Callers hold the world lock.

#include "graphics/graphics.h"

namespace vell {

extern TexBlock *textLine[3]; // 720 x 12 each; line 0 is the top line
extern int lineNum;            // line being written, 0..2
extern int charNum;            // column of the next character

// Creates the three line images (window thread, by init); 0 on failure.
int text_init();

void addText(const char *text);   // null shows nothing
int addWord(const char *position); // characters consumed, at least 1
void addChar(unsigned char c);
void more();
void clearText();
void drawText(); // window thread

} // namespace vell
