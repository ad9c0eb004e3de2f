#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <thread>

#include "graphics/glseam.h"
#include "graphics/graphics.h"

namespace vell {
namespace {

unsigned char *pixelAt(TexBlock *image, int x, int y) {
    return image->pixels + (static_cast<std::size_t>(y) * image->tw + x) * 4;
}

void setPixel(TexBlock *image, int x, int y, unsigned char r, unsigned char g, unsigned char b,
              unsigned char a) {
    unsigned char *p = pixelAt(image, x, y);
    p[0] = r, p[1] = g, p[2] = b, p[3] = a;
}

class Graphics : public ::testing::Test {
  protected:
    void SetUp() override {
        setGl(nullptr);
        recordingGl().clear();
    }
};

TEST(P2, SmallestPowerOfTwoNotBelow) {
    EXPECT_EQ(p2(-7), 1);
    EXPECT_EQ(p2(0), 1);
    EXPECT_EQ(p2(1), 1);
    EXPECT_EQ(p2(2), 2);
    EXPECT_EQ(p2(3), 4);
    EXPECT_EQ(p2(120), 128);
    EXPECT_EQ(p2(128), 128);
    EXPECT_EQ(p2(129), 256);
    EXPECT_EQ(p2(192), 256);
    EXPECT_EQ(p2(720), 1024);
    EXPECT_EQ(p2(1 << 30), 1 << 30);
}

TEST(P2, BeyondTwoToTheThirtyIsMinusOne) {
    EXPECT_EQ(p2((1 << 30) + 1), -1);
    EXPECT_EQ(p2(INT_MAX), -1);
}

TEST_F(Graphics, NewRejectsSizesBelowOne) {
    EXPECT_EQ(texBlock_new(0, 5), nullptr);
    EXPECT_EQ(texBlock_new(5, -1), nullptr);
    EXPECT_EQ(texBlock_new(-3, -3), nullptr);
}

// A wrapped byte count would allocate a small buffer that drawing then
// overruns, so these must fail before anything is allocated.
TEST_F(Graphics, NewRejectsSizesThatOverflowInsteadOfAllocatingWrongly) {
    EXPECT_EQ(texBlock_new((1 << 30) + 1, 1), nullptr);
    EXPECT_EQ(texBlock_new(1, INT_MAX), nullptr);
    EXPECT_EQ(texBlock_new(1 << 30, 1), nullptr);       // 2^32 bytes
    EXPECT_EQ(texBlock_new(1 << 15, 1 << 14), nullptr); // 2^31 bytes
    EXPECT_EQ(texBlock_new(65536, 65536), nullptr);
}

TEST_F(Graphics, NewImageIsOpaqueBlackPowerOfTwoAndFlaggedChanged) {
    TexBlock *image = texBlock_new(720, 12);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->tw, 1024);
    EXPECT_EQ(image->th, 16);
    EXPECT_EQ(image->width, 720);
    EXPECT_EQ(image->height, 12);
    EXPECT_EQ(image->flags, 1);
    EXPECT_NE(image->texture, 0u);
    for (int y = 0; y < image->th; ++y)
        for (int x = 0; x < image->tw; ++x) {
            const unsigned char *p = pixelAt(image, x, y);
            ASSERT_EQ(p[0] | p[1] | p[2], 0) << x << "," << y;
            ASSERT_EQ(p[3], 255) << x << "," << y;
        }
    texBlock_free(image);
}

TEST_F(Graphics, CloneSharesNothingWithItsSource) {
    TexBlock *src = texBlock_new(120, 120);
    ASSERT_NE(src, nullptr);
    setPixel(src, 5, 7, 10, 20, 30, 40);
    setPixel(src, 127, 127, 1, 2, 3, 4); // outside the logical part, still copied
    src->flags = 0;
    TexBlock *copy = texBlock_clone(src);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->tw, src->tw);
    EXPECT_EQ(copy->th, src->th);
    EXPECT_EQ(copy->width, src->width);
    EXPECT_EQ(copy->height, src->height);
    EXPECT_EQ(copy->flags, 1);
    EXPECT_NE(copy->texture, src->texture);
    EXPECT_NE(copy->pixels, src->pixels);
    EXPECT_EQ(std::memcmp(copy->pixels, src->pixels, 128 * 128 * 4), 0);

    setPixel(copy, 5, 7, 99, 99, 99, 99);
    EXPECT_EQ(pixelAt(src, 5, 7)[0], 10);
    setPixel(src, 0, 0, 77, 77, 77, 77);
    EXPECT_EQ(pixelAt(copy, 0, 0)[0], 0);
    texBlock_free(copy);
    texBlock_free(src);
}

TEST_F(Graphics, CloneOfNothingIsNull) {
    EXPECT_EQ(texBlock_clone(nullptr), nullptr);
    TexBlock empty{4, 4, 4, 4, 0, nullptr, 0};
    EXPECT_EQ(texBlock_clone(&empty), nullptr);
}

TEST(DrawPix, WorkedExamples) {
    unsigned char dst[4] = {100, 100, 100, 255};
    const unsigned char half[4] = {200, 200, 200, 128};
    drawPix(dst, half, 255, 255, 255);
    EXPECT_EQ(dst[0], 150);
    EXPECT_EQ(dst[1], 150);
    EXPECT_EQ(dst[2], 150);
    EXPECT_EQ(dst[3], 191);

    const unsigned char white[4] = {255, 255, 255, 255};
    const unsigned char dsts[][4] = {{0, 0, 0, 0}, {100, 100, 100, 255}, {255, 1, 77, 3}};
    for (const auto &d : dsts) {
        unsigned char out[4] = {d[0], d[1], d[2], d[3]};
        drawPix(out, white, 100, 150, 0);
        EXPECT_EQ(out[0], 100);
        EXPECT_EQ(out[1], 150);
        EXPECT_EQ(out[2], 0);
        EXPECT_EQ(out[3], 255);
    }
}

TEST(DrawPix, TransparentSourceLeavesDestinationAlphaIncluded) {
    const unsigned char clear[4] = {0, 0, 0, 0};
    const unsigned char bright[4] = {255, 255, 255, 0};
    const unsigned char dsts[][4] = {{0, 0, 0, 0}, {12, 34, 56, 78}, {255, 255, 255, 255}};
    for (const auto &d : dsts)
        for (const unsigned char *src : {clear, bright}) {
            unsigned char out[4] = {d[0], d[1], d[2], d[3]};
            drawPix(out, src, 200, 10, 255);
            EXPECT_EQ(0, std::memcmp(out, d, 4));
        }
}

// Single-precision tints must not lose a step: an opaque white source tinted
// with any value must give exactly that value (truncation would show 99 for
// 100 if the factor came out a hair low).
TEST(DrawPix, OpaqueSourceScaledByEveryTintExactly) {
    for (int t = 0; t < 256; ++t) {
        const unsigned char white[4] = {255, 255, 255, 255};
        unsigned char out[4] = {9, 9, 9, 9};
        auto u = static_cast<unsigned char>(t);
        drawPix(out, white, u, u, u);
        ASSERT_EQ(out[0], t);
        ASSERT_EQ(out[3], 255);
    }
    const unsigned char colour[4] = {10, 128, 254, 255};
    unsigned char out[4] = {200, 200, 200, 0};
    drawPix(out, colour, 255, 255, 255);
    EXPECT_EQ(out[0], 10);
    EXPECT_EQ(out[1], 128);
    EXPECT_EQ(out[2], 254);
    EXPECT_EQ(out[3], 255);
}

// A sheet whose every pixel says where it came from, so a glyph read from
// the wrong cell shows.
class GlyphAddressing : public Graphics {
  protected:
    void SetUp() override {
        Graphics::SetUp();
        sheet = texBlock_new(128, 192);
        dst = texBlock_new(16, 16);
        ASSERT_NE(sheet, nullptr);
        ASSERT_NE(dst, nullptr);
        for (int y = 0; y < 192; ++y)
            for (int x = 0; x < 128; ++x)
                setPixel(sheet, x, y, static_cast<unsigned char>(x), static_cast<unsigned char>(y),
                         7, 255);
    }
    void TearDown() override {
        texBlock_free(sheet);
        texBlock_free(dst);
    }
    void expectCellFrom(int sheetX, int sheetY, int dx, int dy) {
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 8; ++col) {
                const unsigned char *p = pixelAt(dst, dx + col, dy + row);
                ASSERT_EQ(p[0], sheetX + col) << "col " << col << " row " << row;
                ASSERT_EQ(p[1], sheetY + row) << "col " << col << " row " << row;
                ASSERT_EQ(p[3], 255);
            }
    }
    TexBlock *sheet = nullptr;
    TexBlock *dst = nullptr;
};

TEST_F(GlyphAddressing, GlyphZeroComesFromTheTopLeftCell) {
    dst->flags = 0;
    drawCharToImage(0, 255, 255, 255, 3, 2, dst, sheet);
    expectCellFrom(0, 180, 3, 2);
    EXPECT_EQ(dst->flags & 1, 1);
}

TEST_F(GlyphAddressing, Glyph255ComesFromTheBottomRightCell) {
    drawCharToImage(255, 255, 255, 255, 0, 0, dst, sheet);
    expectCellFrom(120, 0, 0, 0);
}

TEST_F(GlyphAddressing, GlyphInTheMiddleAndPixelsAroundTheCellUntouched) {
    drawCharToImage(0x35, 255, 255, 255, 4, 3, dst, sheet); // column 5, row 3
    expectCellFrom(40, 144, 4, 3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (x >= 4 && x < 12 && y >= 3 && y < 15)
                continue;
            const unsigned char *p = pixelAt(dst, x, y);
            ASSERT_EQ(p[0] | p[1] | p[2], 0) << x << "," << y;
        }
}

TEST_F(GlyphAddressing, TransparentSheetPixelsKeepTheImage) {
    for (int row = 0; row < 12; ++row)
        for (int col = 0; col < 8; ++col)
            setPixel(sheet, 8 + col, 180 + row, 0, 0, 0, col < 4 ? 0 : 255);
    setPixel(dst, 1, 1, 50, 60, 70, 255);
    setPixel(dst, 5, 1, 50, 60, 70, 255);
    drawCharToImage(1, 255, 255, 255, 0, 0, dst, sheet);
    EXPECT_EQ(pixelAt(dst, 1, 1)[0], 50);
    EXPECT_EQ(pixelAt(dst, 5, 1)[0], 0);
}

TEST_F(Graphics, DrawingAnImageTwiceWithoutAChangeUploadsItOnce) {
    TexBlock *image = texBlock_new(720, 12);
    ASSERT_NE(image, nullptr);
    RecordingGl &rec = recordingGl();
    drawTexBlock(image, 0, 528);
    drawTexBlock(image, 0, 528);
    EXPECT_EQ(rec.uploads(image->texture), 1);
    EXPECT_EQ(image->flags & 1, 0);
    EXPECT_EQ(rec.quads.size(), 2u);

    TexBlock *sheet = texBlock_new(128, 192);
    drawCharToImage(65, 255, 255, 255, 0, 0, image, sheet);
    drawTexBlock(image, 0, 528);
    EXPECT_EQ(rec.uploads(image->texture), 2);
    texBlock_free(sheet);
    texBlock_free(image);
}

TEST_F(Graphics, ImageQuadShowsOnlyTheLogicalPart) {
    TexBlock *image = texBlock_new(720, 12);
    ASSERT_NE(image, nullptr);
    drawTexBlock(image, 0, 528);
    ASSERT_EQ(recordingGl().quads.size(), 1u);
    const RecordingGl::Quad &q = recordingGl().quads[0];
    EXPECT_EQ(q.texture, image->texture);
    EXPECT_EQ(q.r + q.g + q.b, 3 * 255);
    const float st[8] = {0, 0, 0, 0.75f, 0.703125f, 0.75f, 0.703125f, 0};
    const float xy[8] = {0, 528, 0, 540, 720, 540, 720, 528};
    for (int i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(q.st[i], st[i]) << i;
        EXPECT_FLOAT_EQ(q.xy[i], xy[i]) << i;
    }
    texBlock_free(image);
}

TEST_F(Graphics, NullImageDrawsNothing) {
    drawTexBlock(nullptr, 0, 0);
    EXPECT_TRUE(recordingGl().quads.empty());
    EXPECT_EQ(recordingGl().totalUploads(), 0);
}

TEST_F(Graphics, DirectGlyphQuadAddressesItsCellTinted) {
    TexBlock *sheet = texBlock_new(128, 192);
    ASSERT_NE(sheet, nullptr);
    drawCharDirect(16, 24, 65, 1, 2, 3, sheet); // 'A': column 1, row 4
    drawCharDirect(24, 24, 66, 4, 5, 6, sheet);
    EXPECT_EQ(recordingGl().uploads(sheet->texture), 1);
    ASSERT_EQ(recordingGl().quads.size(), 2u);
    const RecordingGl::Quad &q = recordingGl().quads[0];
    EXPECT_EQ(q.texture, sheet->texture);
    EXPECT_EQ(q.r, 1);
    EXPECT_EQ(q.g, 2);
    EXPECT_EQ(q.b, 3);
    const float s0 = 8.0f / 128, s1 = 16.0f / 128, t0 = 132.0f / 256, t1 = 144.0f / 256;
    const float st[8] = {s0, t0, s0, t1, s1, t1, s1, t0};
    const float xy[8] = {16, 24, 16, 36, 24, 36, 24, 24};
    for (int i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(q.st[i], st[i]) << i;
        EXPECT_FLOAT_EQ(q.xy[i], xy[i]) << i;
    }
    texBlock_free(sheet);
}

// Stands in for another thread drawing into the image while the window
// thread's upload reads its pixels.
class DrawDuringUpload : public RecordingGl {
  public:
    TexBlock *image = nullptr;
    int flagsSeen = -1;
    void uploadTexture(int tw, int th, const unsigned char *pixels) override {
        flagsSeen = image->flags;
        texBlock_touch(image);
        RecordingGl::uploadTexture(tw, th, pixels);
    }
};

TEST_F(Graphics, ChangeDrawnDuringUploadStaysMarked) {
    DrawDuringUpload seam;
    setGl(&seam);
    TexBlock *image = texBlock_new(8, 8);
    ASSERT_NE(image, nullptr);
    seam.image = image;
    drawTexBlock(image, 0, 0);
    setGl(nullptr);
    EXPECT_EQ(seam.flagsSeen & 1, 0);
    EXPECT_TRUE(texBlock_changed(image));
    texBlock_free(image);
}

// The flag is set by drawing threads and cleared by the window thread; run
// under ThreadSanitizer this shows the field is touched race-free.
TEST_F(Graphics, ChangedFlagSetAndClearedFromTwoThreads) {
    TexBlock *image = texBlock_new(16, 16);
    TexBlock *sheet = texBlock_new(128, 192);
    ASSERT_NE(image, nullptr);
    ASSERT_NE(sheet, nullptr);
    std::atomic<bool> done{false};
    std::thread painter([&] {
        for (int i = 0; i < 2000; ++i)
            drawCharToImage(static_cast<unsigned char>(i), 255, 255, 255, 0, 0, image, sheet);
        done = true;
    });
    int draws = 0;
    while (!done.load()) {
        drawTexBlock(image, 0, 0);
        ++draws;
    }
    painter.join();
    EXPECT_LE(recordingGl().uploads(image->texture), draws);
    // Whatever the interleaving, the last glyph is either uploaded or marked.
    drawTexBlock(image, 0, 0);
    EXPECT_FALSE(texBlock_changed(image));
    EXPECT_GE(recordingGl().uploads(image->texture), 1);
    texBlock_free(sheet);
    texBlock_free(image);
}

} // namespace
} // namespace vell
