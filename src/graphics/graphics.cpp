#include "graphics/graphics.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "graphics/glseam.h"

namespace vell {

int p2(int n) {
    int p = 1;
    while (p < n) {
        if (p == (1 << 30))
            return -1;
        p <<= 1;
    }
    return p;
}

void texBlock_touch(TexBlock *image) {
    __atomic_fetch_or(&image->flags, 1, __ATOMIC_RELEASE);
}

bool texBlock_changed(const TexBlock *image) {
    return (__atomic_load_n(&image->flags, __ATOMIC_ACQUIRE) & 1) != 0;
}

namespace {

void texBlock_clearChanged(TexBlock *image) {
    __atomic_fetch_and(&image->flags, ~1, __ATOMIC_ACQ_REL);
}

// Gives the image a texture name and storage; window thread.
void texBlock_define(TexBlock *image) {
    image->texture = gl().genTexture();
    gl().bindTexture(image->texture);
    gl().defineTexture(image->tw, image->th, image->pixels);
}

} // namespace

TexBlock *texBlock_new(int width, int height) {
    if (width < 1 || height < 1)
        return nullptr;
    int tw = p2(width);
    int th = p2(height);
    if (tw < 0 || th < 0)
        return nullptr;
    long long bytes = static_cast<long long>(tw) * th * 4;
    if (bytes > INT_MAX)
        return nullptr;
    TexBlock *image = new (std::nothrow) TexBlock{};
    if (image == nullptr)
        return nullptr;
    image->width = width;
    image->height = height;
    image->pixels = new (std::nothrow) unsigned char[bytes]();
    if (image->pixels == nullptr) {
        delete image;
        return nullptr;
    }
    for (long long i = 3; i < bytes; i += 4)
        image->pixels[i] = 255;
    image->tw = tw;
    image->th = th;
    image->flags = 1;
    texBlock_define(image);
    return image;
}

TexBlock *texBlock_clone(const TexBlock *source) {
    if (source == nullptr || source->pixels == nullptr)
        return nullptr;
    TexBlock *image = new (std::nothrow) TexBlock{};
    if (image == nullptr)
        return nullptr;
    std::size_t bytes = static_cast<std::size_t>(source->tw) * source->th * 4;
    image->pixels = new (std::nothrow) unsigned char[bytes];
    if (image->pixels == nullptr) {
        delete image;
        return nullptr;
    }
    image->tw = source->tw;
    image->th = source->th;
    image->width = source->width;
    image->height = source->height;
    image->flags = 1;
    std::memcpy(image->pixels, source->pixels, bytes);
    texBlock_define(image);
    return image;
}

void texBlock_free(TexBlock *image) {
    if (image == nullptr)
        return;
    delete[] image->pixels;
    delete image;
}

namespace {

// What the last upload of each texture (by name) left on the graphics card:
// how many uploads there were, and whether the shown part holds a pixel that
// is not fully opaque. Such an image lets the previous frame show through,
// so its picture can change from frame to frame. Window thread.
struct Uploaded {
    unsigned count = 0;
    bool seeThrough = false;
};
std::vector<Uploaded> uploaded;

bool anySeeThrough(const TexBlock *image) {
    // All the shown pixels and'ed together, four at a time: the alpha byte
    // of the result is 255 only if every pixel's is.
    using Words = std::uint32_t __attribute__((vector_size(16)));
    Words all4 = ~Words{};
    std::uint32_t all = ~0u;
    for (int y = 0; y < image->height; ++y) {
        const unsigned char *row = image->pixels + y * image->tw * 4;
        int x = 0;
        for (; x + 4 <= image->width; x += 4) {
            Words four;
            std::memcpy(&four, row + x * 4, sizeof four);
            all4 &= four;
        }
        for (; x < image->width; ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, row + x * 4, 4);
            all &= pixel;
        }
    }
    all &= all4[0] & all4[1] & all4[2] & all4[3];
    unsigned char bytes[4];
    std::memcpy(bytes, &all, 4);
    return bytes[3] != 255;
}

} // namespace

void texBlock_update(TexBlock *image) {
    texBlock_clearChanged(image);
    gl().uploadTexture(image->tw, image->th, image->pixels);
    if (image->texture >= uploaded.size())
        uploaded.resize(image->texture + 1);
    ++uploaded[image->texture].count;
    uploaded[image->texture].seeThrough = anySeeThrough(image);
}

unsigned texBlock_uploads(const TexBlock *image) {
    return image->texture < uploaded.size() ? uploaded[image->texture].count : 0;
}

namespace {

// a = alpha / 255 rounded to single precision, for every alpha byte: the
// division is the costly part of a blend and a glyph cell repeats few values.
struct AlphaFactors {
    float a[256];
    AlphaFactors() {
        for (int i = 0; i < 256; ++i)
            a[i] = static_cast<float>(i / 255.0);
    }
};
const AlphaFactors alphaFactors;

struct Tint {
    float f[3];
    Tint(unsigned char r, unsigned char g, unsigned char b)
        : f{static_cast<float>(r / 255.0), static_cast<float>(g / 255.0),
            static_cast<float>(b / 255.0)} {}
};

// The single-precision factors are part of the result: the blend must come
// out exactly the same byte for byte on every platform.
inline void blend(unsigned char *dst, const unsigned char *src, const Tint &tint) {
    // Bytes are read into locals first: through unsigned char pointers the
    // compiler must otherwise assume every store may change the tint.
    const unsigned s0 = src[0], s1 = src[1], s2 = src[2], s3 = src[3];
    const unsigned d0 = dst[0], d1 = dst[1], d2 = dst[2], d3 = dst[3];
    const float a = alphaFactors.a[s3];
    const double ad = a, inv = 1.0f - a;
    const int v0 = static_cast<int>(s0 * ad * tint.f[0] + d0 * inv);
    const int v1 = static_cast<int>(s1 * ad * tint.f[1] + d1 * inv);
    const int v2 = static_cast<int>(s2 * ad * tint.f[2] + d2 * inv);
    const int v3 = static_cast<int>(s3 * ad + d3 * inv);
    dst[0] = static_cast<unsigned char>(v0);
    dst[1] = static_cast<unsigned char>(v1);
    dst[2] = static_cast<unsigned char>(v2);
    dst[3] = static_cast<unsigned char>(v3);
}

// Blends that depend on two bytes only, worked out once with the very same
// arithmetic: the alpha byte (source alpha, destination alpha), a colour
// byte under a black tint (source alpha, destination byte), and a colour
// byte of an opaque source pixel (tint, source byte): with alpha 255 the
// destination's share is d * +0, which adds nothing. Every cell is cleared
// with the black block before its glyph is drawn, and the glyph sheet's own
// pixels are opaque or transparent until chaos reaches their alpha.
struct BlendTables {
    unsigned char alpha[256][256];
    unsigned char dark[256][256];
    unsigned char opaque[256][256];
    BlendTables() {
        for (int sa = 0; sa < 256; ++sa) {
            const double ad = alphaFactors.a[sa], inv = 1.0f - alphaFactors.a[sa];
            for (int d = 0; d < 256; ++d) {
                alpha[sa][d] = static_cast<unsigned char>(static_cast<int>(sa * ad + d * inv));
                // src * a * 0 is +0, and +0 + x is x: only the destination's
                // share is left.
                dark[sa][d] = static_cast<unsigned char>(static_cast<int>(d * inv));
            }
        }
        const double one = alphaFactors.a[255];
        for (int t = 0; t < 256; ++t) {
            const double tf = static_cast<float>(t / 255.0);
            for (int s = 0; s < 256; ++s)
                opaque[t][s] = static_cast<unsigned char>(static_cast<int>(s * one * tf));
        }
    }
};
const BlendTables blendTables;

using Double4 = double __attribute__((vector_size(32)));
using Int4 = int __attribute__((vector_size(16)));

// The blend of all four bytes at once, lane by lane the same double
// arithmetic as `blend` (the alpha byte's tint is 1, and x * 1 is x). The
// file is built without contraction of multiplies and adds, which would
// round differently.
inline void blendLanes(unsigned char *dst, const unsigned char *src, float a, const Double4 &tint) {
    const Int4 s = {src[0], src[1], src[2], src[3]};
    const Int4 d = {dst[0], dst[1], dst[2], dst[3]};
    const double ad = a, inv = 1.0f - a;
    const Double4 v =
        __builtin_convertvector(s, Double4) * ad * tint + __builtin_convertvector(d, Double4) * inv;
    const Int4 out = __builtin_convertvector(v, Int4);
    for (int i = 0; i < 4; ++i)
        dst[i] = static_cast<unsigned char>(out[i]);
}

// The blend of drawCharToImage without marking the image changed.
void blendGlyph(unsigned char c, unsigned char r, unsigned char g, unsigned char b, int x, int y,
                TexBlock *dst, const TexBlock *sheet) {
    const bool black = r == 0 && g == 0 && b == 0;
    // From the table: its factors are r / 255 rounded to single precision,
    // as a Tint's. Built from a Tint, GCC 12 at -O2 was seen to lane the
    // unrounded double quotient instead.
    const Double4 tint4 = {alphaFactors.a[r], alphaFactors.a[g], alphaFactors.a[b], 1.0};
    const unsigned char *opaque[3] = {blendTables.opaque[r], blendTables.opaque[g],
                                      blendTables.opaque[b]};
    const int sx = (c % 16) * 8;
    const int sy = (15 - c / 16) * 12;
    for (int row = 0; row < 12; ++row) {
        const unsigned char *src = sheet->pixels + ((sy + row) * sheet->tw + sx) * 4;
        unsigned char *to = dst->pixels + ((y + row) * dst->tw + x) * 4;
        for (int col = 0; col < 8; ++col, src += 4, to += 4) {
            // A blend with alpha 0 gives back the destination byte for byte
            // (a = 0, inverse = 1), so the glyph's background costs nothing.
            const unsigned sa = src[3];
            if (sa == 0)
                continue;
            if (black && sa == 255) {
                // dark[255][d] is 0 and alpha[255][d] is 255 for every d.
                to[0] = to[1] = to[2] = 0;
                to[3] = 255;
                continue;
            }
            if (black) {
                to[0] = blendTables.dark[sa][to[0]];
                to[1] = blendTables.dark[sa][to[1]];
                to[2] = blendTables.dark[sa][to[2]];
            } else if (sa == 255) {
                to[0] = opaque[0][src[0]];
                to[1] = opaque[1][src[1]];
                to[2] = opaque[2][src[2]];
            } else {
                blendLanes(to, src, alphaFactors.a[sa], tint4);
                continue;
            }
            to[3] = blendTables.alpha[sa][to[3]];
        }
    }
}

} // namespace

void drawPix(unsigned char *dst, const unsigned char *src, unsigned char r, unsigned char g,
             unsigned char b) {
    blend(dst, src, Tint(r, g, b));
}

void drawCharToImage(unsigned char c, unsigned char r, unsigned char g, unsigned char b, int x,
                     int y, TexBlock *dst, TexBlock *sheet) {
    blendGlyph(c, r, g, b, x, y, dst, sheet);
    texBlock_touch(dst);
}

bool drawCellToImage(unsigned char c, unsigned char r, unsigned char g, unsigned char b, int x,
                     int y, TexBlock *dst, TexBlock *sheet) {
    unsigned char before[12][8 * 4];
    for (int row = 0; row < 12; ++row)
        std::memcpy(before[row], dst->pixels + ((y + row) * dst->tw + x) * 4, sizeof before[row]);
    blendGlyph(219, 0, 0, 0, x, y, dst, sheet);
    blendGlyph(c, r, g, b, x, y, dst, sheet);
    for (int row = 0; row < 12; ++row)
        if (std::memcmp(before[row], dst->pixels + ((y + row) * dst->tw + x) * 4,
                        sizeof before[row]) != 0) {
            texBlock_touch(dst);
            return true;
        }
    return false;
}

bool glyphIsPlain(unsigned char c, const TexBlock *sheet) {
    const int sx = (c % 16) * 8;
    const int sy = (15 - c / 16) * 12;
    for (int row = 0; row < 12; ++row) {
        const unsigned char *p = sheet->pixels + ((sy + row) * sheet->tw + sx) * 4;
        for (int i = 0; i < 8 * 4; ++i)
            if (p[i] != 0 && p[i] != 255)
                return false;
    }
    return true;
}

namespace {

void bindForDrawing(TexBlock *image) {
    gl().bindTexture(image->texture);
    if (texBlock_changed(image))
        texBlock_update(image);
    gl().setNearest();
}

} // namespace

void drawTexBlock(TexBlock *image, int x, int y) {
    if (image == nullptr)
        return;
    gl().color(255, 255, 255);
    bindForDrawing(image);
    const float s1 = static_cast<float>(image->width) / static_cast<float>(image->tw);
    const float t1 = static_cast<float>(image->height) / static_cast<float>(image->th);
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float fx1 = static_cast<float>(x + image->width);
    const float fy1 = static_cast<float>(y + image->height);
    const float st[8] = {0, 0, 0, t1, s1, t1, s1, 0};
    const float xy[8] = {fx, fy, fx, fy1, fx1, fy1, fx1, fy};
    gl().quad(st, xy);
    if (image->texture < uploaded.size() && uploaded[image->texture].seeThrough)
        gl().blendsWithScreen();
}

void drawCharDirect(int x, int y, unsigned char c, unsigned char r, unsigned char g,
                    unsigned char b, TexBlock *sheet) {
    gl().color(r, g, b);
    bindForDrawing(sheet);
    const float tw = static_cast<float>(sheet->tw), th = static_cast<float>(sheet->th);
    const int cx = (c % 16) * 8;
    const int cy = (15 - c / 16) * 12;
    const float s0 = static_cast<float>(cx) / tw, s1 = static_cast<float>(cx + 8) / tw;
    const float t0 = static_cast<float>(cy) / th, t1 = static_cast<float>(cy + 12) / th;
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float st[8] = {s0, t0, s0, t1, s1, t1, s1, t0};
    const float xy[8] = {fx, fy, fx, fy + 12, fx + 8, fy + 12, fx + 8, fy};
    gl().quad(st, xy);
}

} // namespace vell
