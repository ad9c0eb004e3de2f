#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "graphics/glseam.h"
#include "graphics/graphics.h"
#include "platform/font.h"

namespace vell {
namespace {

using Bytes = std::vector<unsigned char>;

void put32(Bytes &b, int at, int v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(static_cast<unsigned>(v) >> (8 * i));
}

// A 24-bit bitmap whose pixel (x, y) (row 0 first in the file) is given as
// blue, green, red by `colour`; `gap` bytes of 0x11 sit between the headers
// and the pixels.
Bytes makeBmp(int width, int height, const std::function<void(int, int, unsigned char *)> &colour,
              int gap = 0) {
    Bytes b(54 + gap, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 10, 54 + gap);
    put32(b, 14, 40);
    put32(b, 18, width);
    put32(b, 22, height);
    b[26] = 1;
    b[28] = 24;
    for (int i = 54; i < 54 + gap; ++i)
        b[i] = 0x11;
    const int rows = height > 0 ? height : -height;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char bgr[3] = {0, 0, 0};
            colour(x, y, bgr);
            b.insert(b.end(), bgr, bgr + 3);
        }
    return b;
}

Bytes headerOnly(int width, int height) {
    Bytes b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 10, 54);
    put32(b, 18, width);
    put32(b, 22, height);
    return b;
}

// Loads from a real temporary file, where seeking past the end succeeds.
TexBlock *loadFromFile(const Bytes &b) {
    std::FILE *f = std::tmpfile();
    if (f == nullptr)
        return nullptr;
    std::fwrite(b.data(), 1, b.size(), f);
    std::rewind(f);
    TexBlock *t = loadTexture(f);
    std::fclose(f);
    return t;
}

// Loads from memory, where seeking past the end fails.
TexBlock *loadFromMemory(Bytes b) {
    std::FILE *f = fmemopen(b.data(), b.size(), "rb");
    if (f == nullptr)
        return nullptr;
    TexBlock *t = loadTexture(f);
    std::fclose(f);
    return t;
}

const unsigned char *px(const TexBlock *t, int x, int y) {
    return t->pixels + (static_cast<std::size_t>(y) * t->tw + x) * 4;
}

void patterned(int x, int y, unsigned char *bgr) {
    bgr[0] = static_cast<unsigned char>(x); // never 255: no colour key
    bgr[1] = static_cast<unsigned char>(y);
    bgr[2] = static_cast<unsigned char>((x * 7 + y) % 251);
}

class GlyphSheet : public ::testing::Test {
  protected:
    void SetUp() override {
        setGl(nullptr);
        recordingGl().clear();
    }
};

TEST_F(GlyphSheet, SheetLoadsBottomUpIntoAPowerOfTwoTexture) {
    TexBlock *t = loadFromFile(makeBmp(128, 192, patterned));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->width, 128);
    EXPECT_EQ(t->height, 192);
    EXPECT_EQ(t->tw, 128);
    EXPECT_EQ(t->th, 256);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 128; ++x) {
            const unsigned char *p = px(t, x, y);
            unsigned char bgr[3];
            patterned(x, y, bgr);
            ASSERT_EQ(p[0], bgr[2]) << x << "," << y;
            ASSERT_EQ(p[1], bgr[1]) << x << "," << y;
            ASSERT_EQ(p[2], bgr[0]) << x << "," << y;
            ASSERT_EQ(p[3], 255) << x << "," << y;
        }
    for (int y = 192; y < 256; ++y)
        for (int x = 0; x < 128; ++x) {
            const unsigned char *p = px(t, x, y);
            ASSERT_EQ(p[0] | p[1] | p[2], 0) << x << "," << y;
            ASSERT_EQ(p[3], 255) << x << "," << y;
        }
    // Uploaded once by the load, and still flagged so its first draw uploads.
    EXPECT_EQ(recordingGl().uploads(t->texture), 1);
    EXPECT_EQ(t->flags & 1, 1);
    texBlock_free(t);
}

TEST_F(GlyphSheet, MagentaIsTransparentAndOnlyExactMagenta) {
    auto keyed = [](int x, int y, unsigned char *bgr) {
        bgr[0] = 255, bgr[1] = 0, bgr[2] = 255;
        if (y == 0 && x == 1)
            bgr[2] = 254;
        if (y == 0 && x == 2)
            bgr[1] = 1;
    };
    TexBlock *t = loadFromFile(makeBmp(128, 192, keyed));
    ASSERT_NE(t, nullptr);
    const unsigned char *clear = px(t, 0, 0);
    EXPECT_EQ(clear[0] | clear[1] | clear[2] | clear[3], 0);
    const unsigned char *nearly = px(t, 1, 0);
    EXPECT_EQ(nearly[0], 254);
    EXPECT_EQ(nearly[1], 0);
    EXPECT_EQ(nearly[2], 255);
    EXPECT_EQ(nearly[3], 255);
    EXPECT_EQ(px(t, 2, 0)[3], 255);
    EXPECT_EQ(px(t, 127, 191)[3], 0);
    texBlock_free(t);
}

TEST_F(GlyphSheet, BytesBeforeThePixelOffsetAreSkipped) {
    TexBlock *t = loadFromFile(makeBmp(128, 192, patterned, 10));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(px(t, 0, 0)[2], 0); // blue of pixel (0, 0), not the 0x11 filler
    EXPECT_EQ(px(t, 5, 3)[2], 5);
    EXPECT_EQ(px(t, 5, 3)[1], 3);
    texBlock_free(t);
}

TEST_F(GlyphSheet, FirstFileRowIsTheLowestRowOfGlyphs240To255) {
    auto bottomRowLit = [](int, int y, unsigned char *bgr) {
        const unsigned char v = y == 0 ? 200 : 0;
        bgr[0] = bgr[1] = bgr[2] = v;
    };
    TexBlock *sheet = loadFromFile(makeBmp(128, 192, bottomRowLit));
    TexBlock *cell = texBlock_new(8, 12);
    ASSERT_NE(sheet, nullptr);
    ASSERT_NE(cell, nullptr);
    for (int c : {240, 247, 255}) {
        drawCharToImage(static_cast<unsigned char>(c), 255, 255, 255, 0, 0, cell, sheet);
        EXPECT_EQ(px(cell, 3, 0)[0], 200) << c;
        EXPECT_EQ(px(cell, 3, 1)[0], 0) << c;
    }
    drawCharToImage(239, 255, 255, 255, 0, 0, cell, sheet);
    EXPECT_EQ(px(cell, 3, 0)[0], 0);
    texBlock_free(cell);
    texBlock_free(sheet);
}

TEST_F(GlyphSheet, WiderAndTallerSheetsLoad) {
    TexBlock *t = loadFromFile(makeBmp(200, 300, patterned));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->tw, 256);
    EXPECT_EQ(t->th, 512);
    EXPECT_EQ(px(t, 199, 299)[2], 199);
    texBlock_free(t);
}

TEST_F(GlyphSheet, NullStreamAndTopDownBitmapFail) {
    EXPECT_EQ(loadTexture(nullptr), nullptr);
    EXPECT_EQ(loadFromFile(makeBmp(128, -192, patterned)), nullptr);
}

// Every glyph draw, corruption and restore step addresses the full 128 x 192
// grid, so a smaller sheet would be read out of bounds later.
TEST_F(GlyphSheet, SheetsSmallerThanTheGlyphGridAreRejected) {
    EXPECT_EQ(loadFromFile(makeBmp(127, 192, patterned)), nullptr);
    EXPECT_EQ(loadFromFile(makeBmp(128, 191, patterned)), nullptr);
    EXPECT_EQ(loadFromFile(makeBmp(0, 192, patterned)), nullptr);
    EXPECT_EQ(loadFromFile(makeBmp(1, 1, patterned)), nullptr);
}

// A garbage header must not make the loader allocate gigabytes or wrap a size.
TEST_F(GlyphSheet, AbsurdSizesFailWithoutAllocating) {
    EXPECT_EQ(loadFromFile(headerOnly(100000, 100000)), nullptr);
    EXPECT_EQ(loadFromFile(headerOnly(0x7fffffff, 192)), nullptr);
    EXPECT_EQ(loadFromFile(headerOnly(128, 0x7fffffff)), nullptr);
    EXPECT_EQ(loadFromFile(headerOnly(8192, 8192)), nullptr); // 256 MiB
    EXPECT_EQ(loadFromFile(headerOnly(4097, 4096)), nullptr); // 128 MiB
}

TEST_F(GlyphSheet, BytesPastTheEndOfATruncatedFileReadAs255) {
    Bytes b = makeBmp(128, 192, patterned);
    b.resize(54 + 100); // 33 whole pixels and one byte of the 34th
    TexBlock *t = loadFromFile(b);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(px(t, 32, 0)[2], 32);
    const unsigned char *split = px(t, 33, 0);
    EXPECT_EQ(split[2], 33);  // blue came from the file
    EXPECT_EQ(split[1], 255); // green and red did not
    EXPECT_EQ(split[0], 255);
    for (int y = 0; y < 192; ++y)
        for (int x = (y == 0 ? 34 : 0); x < 128; ++x) {
            const unsigned char *p = px(t, x, y);
            ASSERT_EQ(p[0] & p[1] & p[2] & p[3], 255) << x << "," << y;
        }
    texBlock_free(t);
}

TEST_F(GlyphSheet, TruncatedHeaderStillReadsItsSizesAndPaintsWhite) {
    Bytes b = makeBmp(128, 192, patterned);
    b.resize(30);
    TexBlock *t = loadFromMemory(b);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->height, 192);
    EXPECT_EQ(px(t, 0, 0)[0] & px(t, 127, 191)[2], 255);
    texBlock_free(t);
}

TEST_F(GlyphSheet, PixelOffsetPastTheEndReadsAllWhite) {
    Bytes b = makeBmp(128, 192, patterned);
    put32(b, 10, 1 << 30);
    for (TexBlock *t : {loadFromFile(b), loadFromMemory(b)}) {
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(px(t, 0, 0)[0] & px(t, 64, 100)[1] & px(t, 127, 191)[3], 255);
        texBlock_free(t);
    }
}

} // namespace
} // namespace vell
