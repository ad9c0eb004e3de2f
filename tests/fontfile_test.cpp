// Checks the committed glyph sheet, data/font.bmp, against what the game
// relies on: the header the loader reads, the solid block that clears cells,
// a blank space, and a visible shape for every printable character.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "graphics/glseam.h"
#include "graphics/graphics.h"
#include "platform/font.h"

#ifndef VELL_SOURCE_DIR
#error "VELL_SOURCE_DIR must name the repository root"
#endif

namespace vell {
namespace {

const char *const kPath = VELL_SOURCE_DIR "/data/font.bmp";

std::vector<unsigned char> readFile() {
    std::vector<unsigned char> bytes;
    std::FILE *f = std::fopen(kPath, "rb");
    if (f == nullptr)
        return bytes;
    int c;
    while ((c = std::getc(f)) != EOF)
        bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
    return bytes;
}

long le(const std::vector<unsigned char> &b, int at, int size) {
    unsigned long v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | b[at + i];
    return static_cast<long>(v);
}

class FontFile : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        setGl(nullptr);
        std::FILE *f = std::fopen(kPath, "rb");
        if (f != nullptr) {
            sheet = loadTexture(f);
            std::fclose(f);
        }
    }
    static void TearDownTestSuite() {
        texBlock_free(sheet);
        sheet = nullptr;
    }
    void SetUp() override { ASSERT_NE(sheet, nullptr) << "cannot load " << kPath; }

    // Alpha of pixel (col, row) of glyph c's cell, row 0 the cell's lowest.
    static int alpha(int c, int col, int row) {
        const int x = (c % 16) * 8 + col, y = (15 - c / 16) * 12 + row;
        return sheet->pixels[(y * sheet->tw + x) * 4 + 3];
    }
    static int opaqueCount(int c) {
        int n = 0;
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 8; ++col)
                n += alpha(c, col, row) == 255;
        return n;
    }
    static bool inkInRows(int c, int from, int to) {
        for (int row = from; row <= to; ++row)
            for (int col = 0; col < 8; ++col)
                if (alpha(c, col, row) == 255)
                    return true;
        return false;
    }
    static std::string shape(int c) {
        std::string s;
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 8; ++col)
                s += alpha(c, col, row) == 255 ? '#' : '.';
        return s;
    }

    static TexBlock *sheet;
};

TexBlock *FontFile::sheet = nullptr;

TEST(FontFileHeader, UncompressedBottomUp24BitSheetWithPixelsAt54) {
    std::vector<unsigned char> b = readFile();
    ASSERT_GE(b.size(), 54u) << kPath;
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le(b, 2, 4), static_cast<long>(b.size()));
    EXPECT_EQ(le(b, 10, 4), 54);
    EXPECT_EQ(le(b, 14, 4), 40);
    EXPECT_EQ(le(b, 18, 4), 128);
    EXPECT_EQ(le(b, 22, 4), 192); // positive: rows bottom-up
    EXPECT_EQ(le(b, 26, 2), 1);
    EXPECT_EQ(le(b, 28, 2), 24);
    EXPECT_EQ(le(b, 30, 4), 0);
    EXPECT_EQ(b.size(), 54u + 128u * 192u * 3u);
}

TEST(FontFileHeader, OnlyWhiteAndMagentaPixels) {
    std::vector<unsigned char> b = readFile();
    ASSERT_EQ(b.size(), 54u + 128u * 192u * 3u);
    for (std::size_t i = 54; i < b.size(); i += 3) {
        const bool white = b[i] == 255 && b[i + 1] == 255 && b[i + 2] == 255;
        const bool magenta = b[i] == 255 && b[i + 1] == 0 && b[i + 2] == 255;
        ASSERT_TRUE(white || magenta) << "byte " << i;
    }
}

TEST_F(FontFile, SolidBlockFillsItsWholeCell) {
    EXPECT_EQ(opaqueCount(219), 96);
}

TEST_F(FontFile, SpaceIsFullyTransparent) {
    EXPECT_EQ(opaqueCount(32), 0);
}

TEST_F(FontFile, EveryPrintableCharacterHasAShapeOfItsOwn) {
    std::set<std::string> seen;
    for (int c = 33; c < 127; ++c) {
        EXPECT_GT(opaqueCount(c), 0) << "glyph " << c;
        EXPECT_TRUE(seen.insert(shape(c)).second) << "glyph " << c << " repeats another";
    }
}

TEST_F(FontFile, CodePageSymbolsTheGameUsesAreThere) {
    for (int c : {1, 2, 3, 15, 168, 170, 176, 177, 178})
        EXPECT_GT(opaqueCount(c), 0) << "glyph " << c;
    EXPECT_NE(shape(1), shape(2)); // the two faces differ
}

// Letters sit on one baseline two rows above the cell's bottom, and the
// descenders reach below it rather than being cut off.
TEST_F(FontFile, BaselineAndDescenders) {
    for (int c = 'A'; c <= 'Z'; ++c) {
        EXPECT_FALSE(inkInRows(c, 0, c == 'Q' ? 0 : 1)) << static_cast<char>(c); // Q has a tail
        EXPECT_TRUE(inkInRows(c, 2, 2)) << static_cast<char>(c);
    }
    for (char c : std::string("gjpqy"))
        EXPECT_TRUE(inkInRows(c, 0, 0)) << c;
    EXPECT_FALSE(inkInRows('a', 0, 1));
}

// Glyphs sit in their cells: ASCII letters at the codes the messages use.
TEST_F(FontFile, LettersAreInTheirCodePageCells) {
    // '_' lies below the baseline, '^' at the top, 'M' is heavier than 'I'.
    EXPECT_TRUE(inkInRows('_', 0, 1));
    EXPECT_FALSE(inkInRows('_', 2, 11));
    EXPECT_TRUE(inkInRows('^', 8, 10));
    EXPECT_FALSE(inkInRows('^', 0, 5));
    EXPECT_GT(opaqueCount('M'), opaqueCount('I'));
}

} // namespace
} // namespace vell
