#include "ui/stat.h"

#include "core/logic.h"
#include "core/random.h"
#include "creatures/move.h"
#include "platform/font.h"

namespace vell {

TexBlock *stat = nullptr;
char statText[2][90];

namespace {

constexpr int STAT_W = 720;
constexpr int STAT_H = 24;
constexpr int COLUMNS = 90;
constexpr int CELL_W = 8;

} // namespace

int stat_init() {
    stat = texBlock_new(STAT_W, STAT_H);
    return stat != nullptr;
}

void addStatChar(int c, int column, int row) {
    // Off the row: neither stored nor drawn (column 90 of row 0 would
    // otherwise alias column 0 of row 1).
    if (column < 0 || column >= COLUMNS || row < 0 || row > 1)
        return;
    const char ch = static_cast<char>(c);
    // An unchanged cell is still redrawn now and then, which is how changes
    // of the text sheet (corruption, order) reach the status rows; the image
    // is marked for upload only if the redraw changed it.
    if (statText[row][column] == ch && rnd() % 100 != 0)
        return;
    statText[row][column] = ch;
    if (stat == nullptr || fontTex == nullptr)
        return;
    const int x = column * CELL_W;
    const int y = row == 0 ? 12 : 0;
    drawCellToImage(static_cast<unsigned char>(ch), 255, 255, 255, x, y, stat, fontTex);
}

int addStatChars(const char *text, int column, int row) {
    if (text == nullptr)
        return column;
    int at = column;
    for (const char *p = text; *p != '\0'; ++p) {
        addStatChar(*p, at, row);
        at = wrapAdd(at, 1);
    }
    return at;
}

void updateStat() {
    int c = addStatChars("Health: ", 0, 0);
    c = addStatChars(num(player.health), c, 0);
    c = addStatChars(" Magic: ", c, 0);
    c = addStatChars(num(player.magic), c, 0);
    c = addStatChars(" ", c, 0);
    c = addStatChars(" Arrows: ", c, 0);
    c = addStatChars(num(player.arrows), c, 0);
    // Covers what a longer row left behind; the lower row has no such tail.
    addStatChars("               ", c, 0);

    c = addStatChars("Gold: ", 0, 1);
    c = addStatChars(num(player.gold), c, 1);
    c = addStatChars(" ", c, 1);
    c = addStatChars(" Level: ", c, 1);
    c = addStatChars(num(player.level), c, 1);
    c = addStatChars(" ", c, 1);
    c = addStatChars(" Damage: ", c, 1);
    c = addStatChars(num(player.damageMin), c, 1);
    c = addStatChars("-", c, 1);
    c = addStatChars(num(wrapAdd(player.damageMin, player.damageSpread)), c, 1);
    c = addStatChars(" ", c, 1);
    c = addStatChars(" Defense: ", c, 1);
    c = addStatChars(num(player.defenseMin), c, 1);
    c = addStatChars("-", c, 1);
    c = addStatChars(num(wrapAdd(player.defenseMin, player.defenseSpread)), c, 1);
    addStatChars(" ", c, 1);
}

void drawStat() {
    drawTexBlock(stat, 0, 0);
}

} // namespace vell
