#include "ui/text.h"

#include <cctype>
#include <cstring>

#include "core/logic.h"
#include "platform/font.h"

namespace vell {

TexBlock *textLine[3] = {nullptr, nullptr, nullptr};
int lineNum = 0;
int charNum = 0;

namespace {

constexpr int LINE_W = 720;
constexpr int LINE_H = 12;
constexpr int CELL_W = 8;
constexpr unsigned char SOLID = 219;

// Lines 0 and 1 take 90 characters; line 2 only 80, so "More..." fits after it.
int lastColumn() {
    return lineNum == 2 ? 79 : 89;
}

// Classification in the "C" locale, on the byte value: a char above 127
// passed straight to <cctype> would be negative and undefined.
bool isSpace(unsigned char c) {
    return std::isspace(c) != 0;
}
bool isPunct(unsigned char c) {
    return std::ispunct(c) != 0;
}

void drawCell(int line, int column, unsigned char c) {
    TexBlock *image = textLine[line];
    if (image == nullptr || fontTex == nullptr)
        return;
    drawCharToImage(SOLID, 0, 0, 0, column * CELL_W, 0, image, fontTex);
    drawCharToImage(c, 255, 255, 255, column * CELL_W, 0, image, fontTex);
}

void blankCell(int line, int column) {
    TexBlock *image = textLine[line];
    if (image == nullptr || fontTex == nullptr)
        return;
    drawCharToImage(SOLID, 0, 0, 0, column * CELL_W, 0, image, fontTex);
}

} // namespace

int text_init() {
    for (TexBlock *&line : textLine) {
        line = texBlock_new(LINE_W, LINE_H);
        if (line == nullptr)
            return 0;
    }
    lineNum = 0;
    charNum = 0;
    return 1;
}

void addText(const char *text) {
    if (text == nullptr)
        return;
    const std::size_t length = std::strlen(text);
    // Pieces of one message are joined by a space, except that punctuation
    // sticks to what stands before it ("Enemy" + "." reads "Enemy.").
    if (charNum != 0 && !isPunct(static_cast<unsigned char>(text[0])))
        addChar(' ');
    std::size_t done = 0;
    while (done < length)
        done += static_cast<std::size_t>(addWord(text + done));
}

int addWord(const char *position) {
    const unsigned char first = static_cast<unsigned char>(*position);
    if (first == 0)
        return 1; // nothing to write; never reached from addText
    if (isSpace(first) || isPunct(first)) {
        addChar(first);
        return 1;
    }
    std::size_t n = 0;
    for (;;) {
        const unsigned char c = static_cast<unsigned char>(position[n]);
        if (c == 0 || isSpace(c) || isPunct(c))
            break;
        ++n;
    }
    // A word that fits a whole line is moved whole when it would reach the
    // last column (ending exactly there counts too); a longer one is written
    // where it stands and broken wherever addChar wraps.
    const std::size_t capacity = lineNum == 2 ? 80 : 90;
    if (n <= capacity &&
        static_cast<std::size_t>(charNum) + n > static_cast<std::size_t>(lastColumn()))
        addChar('\n');
    for (std::size_t i = 0; i < n; ++i)
        addChar(static_cast<unsigned char>(position[i]));
    return static_cast<int>(n);
}

void addChar(unsigned char c) {
    // Messages carry no tabs; one is shown as a single space.
    if (c == '\t')
        c = ' ';
    // Only clearText and the wrap below ever move the position, but it is a
    // global: out of range it would address outside the line images.
    if (lineNum < 0 || lineNum > 2 || charNum < 0)
        clearText();
    if (c == '\n') {
        if (lineNum == 2) {
            more();
        } else {
            ++lineNum;
            charNum = 0;
        }
        return;
    }
    // Dropped before the wrap test, so a space that arrives on a full line
    // still lands in column 0 of the next one.
    if (c == ' ' && charNum == 0)
        return;
    if (charNum > lastColumn())
        addChar('\n');
    drawCell(lineNum, charNum, c);
    ++charNum;
}

void more() {
    const int mode = inputType.load();
    inputType.store(2);
    static const char prompt[] = "More...";
    for (int i = 0; i < 7; ++i)
        drawCell(2, 83 + i, static_cast<unsigned char>(prompt[i]));
    // On the logic thread this waits for a key; on the window thread it only
    // adds a hold, so the stopped logic thread needs one more key.
    pause();
    inputType.store(mode);
    clearText();
}

void clearText() {
    for (int line = 0; line < 3; ++line)
        for (int column = 0; column < 90; ++column)
            blankCell(line, column);
    lineNum = 0;
    charNum = 0;
}

void drawText() {
    for (int i = 0; i < 3; ++i)
        drawTexBlock(textLine[i], 0, 528 - LINE_H * i);
}

} // namespace vell
