#include "support/fixture.h"

namespace vell {

namespace {

// The images this process made once. Tests may replace the globals (start-up tests call init,
// chaos changes pixels), so every fresh world points the globals back at these and copies the
// pristine pixels in again.
struct Display {
    TexBlock *sheets[3] = {}, *lines[3] = {}, *status = nullptr;
    std::vector<unsigned char> pristine; // the sheet as loaded from the file
    std::vector<unsigned char> text;     // each glyph's cell as text shows it, white on black
} display;

// Glyph c of the pristine sheet tinted (r, g, b), drawn whole into an 8 x 12 cell.
void drawPristine(unsigned char *cell, unsigned char c, unsigned char r, unsigned char g,
                  unsigned char b) {
    TexBlock want{8, 12, 8, 12, 0, cell, 0};
    TexBlock sheet = *display.sheets[0];
    sheet.pixels = display.pristine.data();
    drawCellToImage(c, r, g, b, 0, 0, &want, &sheet);
}

// Opaque black, one pixel copied in ever longer runs (a fresh world blackens 2 MB).
void blacken(TexBlock *image) {
    const std::size_t size = static_cast<std::size_t>(image->tw) * image->th * 4;
    std::memcpy(image->pixels, "\0\0\0\xff", 4);
    for (std::size_t done = 4; done < size; done *= 2)
        std::memcpy(image->pixels + done, image->pixels, std::min(done, size - done));
    texBlock_touch(image);
}

void firstTime() {
    setGl(nullptr);
    std::FILE *f = std::fopen(VELL_SOURCE_DIR "/data/font.bmp", "rb");
    TexBlock *pure = loadTexture(f);
    if (pure == nullptr)
        std::abort(); // every test needs data/font.bmp
    std::fclose(f);
    display.pristine.assign(pure->pixels, pure->pixels + pure->tw * pure->th * 4);
    display.sheets[0] = pureTex = pure;
    display.sheets[1] = fontTex = texBlock_clone(pure);
    display.sheets[2] = gameTex = texBlock_clone(pure);
    EXPECT_TRUE(text_init() && stat_init() && mapTex_init());
    display.text.resize(256 * 8 * 12 * 4);
    for (int c = 0; c < 256; ++c)
        drawPristine(&display.text[c * 8 * 12 * 4], static_cast<unsigned char>(c), 255, 255, 255);
    std::copy(textLine, textLine + 3, display.lines);
    display.status = stat;
}

// The glyphs a row of 90 cells shows; printable ASCII wins over look-alikes elsewhere in the
// sheet (several codes are blank, for instance), and a cell no glyph matches reads '?'.
std::string readRow(const TexBlock *image, int y) {
    std::string s;
    for (int col = 0; col < 90; ++col) {
        int code = 32;
        while (code < 127 + 256 && !shows(image, col * 8, y, static_cast<unsigned char>(code)))
            ++code;
        s += code < 127 + 256 ? static_cast<char>(code) : '?';
    }
    return s.erase(s.find_last_not_of(' ') + 1);
}

} // namespace

void freshWorld(unsigned seed) {
    world_reset();
    setGl(nullptr);
    if (display.status == nullptr)
        firstTime();
    pureTex = display.sheets[0], fontTex = display.sheets[1], gameTex = display.sheets[2];
    for (TexBlock *sheet : display.sheets) {
        std::memcpy(sheet->pixels, display.pristine.data(), display.pristine.size());
        texBlock_touch(sheet);
    }
    for (int i = 0; i < 3; ++i)
        blacken(textLine[i] = display.lines[i]);
    lineNum = charNum = 0;
    blacken(stat = display.status);
    std::memset(statText, 0, sizeof statText);
    for (auto &column : mapTex)
        for (MapBlock &b : column)
            b.count = 0, blacken(b.image);
    // Every image is flagged changed, so its next draw uploads it; the textures made on the first
    // call are not counted against the test.
    recordingGl().clear();
    srnd(seed);
}

std::string shownLine(int line) {
    return readRow(textLine[line], 0);
}

std::string shownStatRow(int row) {
    return readRow(stat, row == 0 ? 12 : 0);
}

bool shows(const TexBlock *image, int px, int py, unsigned char c, unsigned char r, unsigned char g,
           unsigned char b) {
    unsigned char tinted[8 * 12 * 4];
    const unsigned char *cell = &display.text[c * sizeof tinted];
    if (r != 255 || g != 255 || b != 255)
        drawPristine(tinted, c, r, g, b), cell = tinted;
    for (int row = 0; row < 12; ++row)
        if (std::memcmp(&cell[row * 32], image->pixels + ((py + row) * image->tw + px) * 4, 32))
            return false;
    return true;
}

bool pending(int x, int y) {
    const MapBlock &b = mapTex[x / BLOCK_TILES_X][y / BLOCK_TILES_Y];
    return std::any_of(b.changes, b.changes + b.count,
                       [&](auto c) { return c[0] == x && c[1] == y; });
}

std::string worldState(bool tiles) {
    const Creature &p = player; // the ring is compared by its members' places and health
    std::string s;
    for (int v : {p.x, p.y, p.energy, p.speed, p.moveDelay, int{p.glyph}, int{p.r}, int{p.g},
                  int{p.b}, p.gold, p.level, p.arrows, p.magic, p.health, p.defenseMin,
                  p.defenseSpread, p.damageMin, p.damageSpread})
        s += std::to_string(v) + ",";
    for (Creature *c = player.next; c != &player; c = c->next)
        s += std::to_string(c->x) + "," + std::to_string(c->y) + "," + std::to_string(c->health) +
             (c->act == enemy_act            ? "w"
              : c->act == enemy_act_toPlayer ? "h"
                                             : "-");
    for (int i = 0; tiles && i < MAP_W * MAP_H; ++i)
        s += std::string(reinterpret_cast<const char *>(&map[i]), 4) +
             std::to_string(map[i].item ? map[i].item->amount : -1);
    for (auto &column : mapTex)
        for (MapBlock &b : column)
            s.append(reinterpret_cast<const char *>(b.changes), sizeof(int) * 2 * b.count);
    for (const TexBlock *t : {gameTex, fontTex})
        s.append(reinterpret_cast<const char *>(t->pixels), SHEET_W * SHEET_H * 4) +=
            t->flags & 1 ? "u" : "-";
    return s + std::to_string(holdCount()) + "," + std::to_string(rnd());
}

std::uint64_t fold(const std::string &bytes) {
    std::uint64_t h = 14695981039346656037u;
    for (unsigned char b : bytes)
        h = (h ^ b) * 1099511628211u;
    return h;
}
} // namespace vell
