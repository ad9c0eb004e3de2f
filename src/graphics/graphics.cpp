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

namespace {

// Far enough below zero that no run of drawing can bring it back up.
constexpr int UNKNOWN = -(1 << 30);

} // namespace

void texBlock_touch(TexBlock *image) {
    __atomic_store_n(&image->seeThrough, UNKNOWN, __ATOMIC_RELAXED);
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
    image->seeThrough = UNKNOWN;
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

int countSeeThrough(const TexBlock *image) {
    int n = 0;
    for (int y = 0; y < image->height; ++y) {
        const unsigned char *row = image->pixels + y * image->tw * 4;
        for (int x = 0; x < image->width; ++x)
            n += row[x * 4 + 3] != 255;
    }
    return n;
}

} // namespace

void texBlock_update(TexBlock *image) {
    texBlock_clearChanged(image);
    gl().uploadTexture(image->tw, image->th, image->pixels);
    if (image->texture >= uploaded.size())
        uploaded.resize(image->texture + 1);
    ++uploaded[image->texture].count;
    int seeThrough = __atomic_load_n(&image->seeThrough, __ATOMIC_RELAXED);
    if (seeThrough < 0) {
        seeThrough = countSeeThrough(image);
        __atomic_store_n(&image->seeThrough, seeThrough, __ATOMIC_RELAXED);
    }
    uploaded[image->texture].seeThrough = seeThrough > 0;
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
        : f{alphaFactors.a[r], alphaFactors.a[g], alphaFactors.a[b]} {}
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

// Eight pixels of a glyph row at a time. A tinted colour byte of `blend`
// lands within 2/65025 of the ideal fraction
//   (s * sa * t + d * (255 - sa) * 255) / 65025,
// since each single-precision factor is within 2^-25 of its ideal and every
// product after it is exact or rounded in double; so where the ideal
// fraction lies farther than that from a whole number, its whole part is the
// blend's byte, and a row where one does not is worked out again with the
// arithmetic of `blend`, in double. A byte times one factor (the
// destination's share under the black tint) is exact in double: its
// truncation is the ideal quotient, less one where that is whole and the
// factor fell below its ideal (see scaled); the alpha byte is found the same
// way (see alphaOut). tools/blendcheck.cpp compares all 2^32 inputs.
using U8x = std::uint32_t __attribute__((vector_size(32)));
using I8x = std::int32_t __attribute__((vector_size(32)));
using F8x = float __attribute__((vector_size(32)));
using D4x = double __attribute__((vector_size(32)));
using U16x = std::uint16_t __attribute__((vector_size(32)));
using I16x = std::int16_t __attribute__((vector_size(32)));
using I4x = std::int32_t __attribute__((vector_size(16)));

// The vector helpers below are all inlined, so how a vector would be passed
// between functions never arises (GCC reports it at the end of the file).
#pragma GCC diagnostic ignored "-Wpsabi"
#define VELL_INLINE inline __attribute__((always_inline))

// A row of eight pixels, read as one vector: copied straight into an array
// it would go in two halves, which a read of the whole then waits for.
VELL_INLINE U8x loadRow(const unsigned char *p) {
    U8x v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Whether any lane is non-zero: the two halves or'ed, then two words.
VELL_INLINE bool anyLane(const U8x &lanes) {
    using Half = std::uint64_t __attribute__((vector_size(16)));
    using Quarters = std::uint64_t __attribute__((vector_size(32)));
    const Quarters q = reinterpret_cast<Quarters>(lanes);
    const Half h = Half{q[0], q[1]} | Half{q[2], q[3]};
    return (h[0] | h[1]) != 0;
}

VELL_INLINE F8x toFloat(const I8x &v) {
    return __builtin_convertvector(v, F8x);
}

// floor(x / 255) for 0 <= x <= 65025 (it holds up to 65534).
template <class V> VELL_INLINE V div255(const V &x) {
    return (x + 1 + (x >> 8)) >> 8;
}

// a * b for lanes below 256, in the cheaper multiply of 16-bit halves.
VELL_INLINE I8x mulBytes(const I8x &a, const I8x &b) {
    return reinterpret_cast<I8x>(reinterpret_cast<U16x>(a) * reinterpret_cast<U16x>(b));
}

// trunc(b * f) for bytes b held in 16-bit halves and a factor f of k / 255
// (k the half's byte), `low` the halves whose factor lies below k / 255:
// b * f falls short of b * k / 255 by less than 1/255 there, so its whole
// part is that of (b * k - 1) / 255; at b = 0 the difference wraps round to
// 65535, which div255 takes to 0 as well.
VELL_INLINE U16x scaled(const U16x &b, const U16x &k, const I16x &low) {
    return div255(b * k + reinterpret_cast<U16x>(low));
}

// The factors a = sa / 255 and 1 - a in single precision, as the blend has
// them, and 255 times how far each lies from its ideal: a * 256 - sa and
// then less a are both differences of close numbers, so exact, and so are
// the products of these small multiples of 2^-31 with a byte and their sum.
struct Factors {
    F8x sa, a, inv;
    F8x aOff, invOff;
};

VELL_INLINE Factors factors(const I8x &sa) {
    const F8x fsa = toFloat(sa), a = fsa / 255.0f, inv = 1.0f - a;
    return {fsa, a, inv, (a * 256.0f - fsa) - a, (inv * 256.0f - (255.0f - fsa)) - inv};
}

// The alpha byte of a blend, trunc(sa * a + d * (1 - a)): both products are
// exact in double and so is their sum (every term a multiple of 2^-31 below
// 2^9), which lies within 2^-15 of the ideal n / 255, n = sa * sa + d *
// (255 - sa). So the byte is the whole part of n / 255, or of (n - 1) / 255
// where the factors' shortfall sa * (a - ideal) + d * (1 - a - ideal) is
// below zero (never where n is 0).
struct AlphaLanes {
    I8x square, keep; // sa * sa, 255 - sa
    F8x shortfall;    // sa * (a - ideal), times 255
    F8x invOff;
};

VELL_INLINE AlphaLanes alphaLanes(const I8x &sa, const Factors &f) {
    return {mulBytes(sa, sa), 255 - sa, f.sa * f.aOff, f.invOff};
}

VELL_INLINE I8x alphaOut(const AlphaLanes &l, const I8x &d) {
    return div255(l.square + mulBytes(d, l.keep) + (l.shortfall + toFloat(d) * l.invOff < 0.0f));
}

VELL_INLINE I8x channel(const U8x &pixels, int c) {
    return reinterpret_cast<I8x>((pixels >> (8 * c)) & 255);
}

// Blend of a glyph row under the black tint: the colour is d * (1 - a),
// never in doubt, worked out for red with blue and for green with alpha
// (which gives way to its own blend) two to a lane. What it takes of the
// glyph row comes first: it depends on the alpha bytes alone.
struct DarkLanes {
    AlphaLanes alpha;
    U16x keep; // 255 - sa in both halves
    I16x low;  // the halves whose 1 - a lies below its ideal
};

VELL_INLINE DarkLanes darkLanes(const U8x &s) {
    const I8x sa = reinterpret_cast<I8x>(s >> 24);
    const Factors f = factors(sa);
    return {alphaLanes(sa, f), reinterpret_cast<U16x>(reinterpret_cast<U8x>(255 - sa) * 0x10001u),
            reinterpret_cast<I16x>(f.invOff < 0.0f)};
}

VELL_INLINE void darkRow(U8x &d, const DarkLanes &l) {
    const U8x rb =
        reinterpret_cast<U8x>(scaled(reinterpret_cast<U16x>(d & 0xFF00FFu), l.keep, l.low));
    const U8x ga =
        reinterpret_cast<U8x>(scaled(reinterpret_cast<U16x>(d >> 8 & 0xFF00FFu), l.keep, l.low));
    d = ((rb | ga << 8) & 0xFFFFFFu) | reinterpret_cast<U8x>(alphaOut(l.alpha, channel(d, 3)))
                                           << 24;
}

// The black block's rows as darkRow takes them, kept from one whole cell to
// the next on each thread: the sheet seldom changes between two of them.
struct DarkBlock {
    U8x alpha[12] = {}; // what they were worked out from
    DarkLanes lanes[12] = {};
    bool known = false;
};
thread_local DarkBlock darkBlock;

// The tint factor t / 255 in single precision is m * 2^-shift with m below
// 2^24, so s * factor, exact in double, truncates to (s * m) >> shift.
struct TintLanes {
    I8x t[3]; // the tint bytes
    D4x f[3]; // their factors t / 255
    U8x m[3]; // the factors' mantissas
    int shift[3];
};

// Four lanes from `o` on, widened to double.
template <int o, class V> VELL_INLINE D4x wide(const V &v) {
    return __builtin_convertvector(__builtin_shufflevector(v, v, o, o + 1, o + 2, o + 3), D4x);
}

// A colour byte of a tinted blend worked out as `blend` does, in double.
VELL_INLINE I8x tintedExactly(const I8x &sc, const I8x &dc, const Factors &f, const D4x &t) {
    const I4x lo =
        __builtin_convertvector(wide<0>(sc) * wide<0>(f.a) * t + wide<0>(dc) * wide<0>(f.inv), I4x);
    const I4x hi =
        __builtin_convertvector(wide<4>(sc) * wide<4>(f.a) * t + wide<4>(dc) * wide<4>(f.inv), I4x);
    return __builtin_shufflevector(lo, hi, 0, 1, 2, 3, 4, 5, 6, 7);
}

// Blend of a glyph row under any tint, from the ideal quotients; gives the
// lanes where one lies too close to a whole number to be sure of.
VELL_INLINE I8x tintRow(U8x &d, const U8x &s, const TintLanes &tint) {
    const I8x sa = reinterpret_cast<I8x>(s >> 24);
    const Factors f = factors(sa);
    const I8x keep = (255 - sa) * 255;
    I8x colour[3];
    U8x doubt = {};
#pragma GCC unroll 3
    for (int c = 0; c < 3; ++c) {
        const I8x n = channel(s, c) * mulBytes(sa, tint.t[c]) + channel(d, c) * keep;
        // n / 65025 in single precision is within 2/65025 of its ideal, and
        // the sums below add half a unit of 2^-16 at most: where both
        // truncate alike, n lies at least 2 from a multiple of 65025, or
        // below 4, where the byte is 0 all the same (no term is negative).
        const F8x q = toFloat(n) * (1.0f / 65025.0f);
        colour[c] = __builtin_convertvector(q - 4.0f / 65025.0f, I8x);
        doubt |=
            reinterpret_cast<U8x>(colour[c] != __builtin_convertvector(q + 4.0f / 65025.0f, I8x));
    }
    d = reinterpret_cast<U8x>(alphaOut(alphaLanes(sa, f), channel(d, 3))) << 24 |
        reinterpret_cast<U8x>(colour[0] | colour[1] << 8 | colour[2] << 16);
    return reinterpret_cast<I8x>(doubt);
}

// The colour bytes of a tinted glyph row over `before` worked out as `blend`
// does, in double.
VELL_INLINE void tintExactly(U8x &d, const U8x &before, const unsigned char *src,
                             const TintLanes &tint) {
    U8x s;
    std::memcpy(&s, src, sizeof s);
    const Factors f = factors(reinterpret_cast<I8x>(s >> 24));
    U8x out = d & 0xFF000000u;
    for (int c = 0; c < 3; ++c)
        out |= reinterpret_cast<U8x>(tintedExactly(channel(s, c), channel(before, c), f, tint.f[c]))
               << (8 * c);
    d = out;
}

// One glyph row blended into eight destination pixels, no tint meaning
// black; gives the lanes left in doubt (see tintRow). With `spot`, rows that
// leave the destination as it was or blacken it are spotted first, as text
// rows often do.
VELL_INLINE I8x blendRow(U8x &d, const unsigned char *src, const TintLanes *tint, bool spot) {
    U8x s;
    std::memcpy(&s, src, sizeof s);
    if (spot && !anyLane(s >> 24))
        return I8x{}; // a blend with alpha 0 gives back the destination
    if (tint != nullptr)
        return tintRow(d, s, *tint);
    if (spot && !anyLane((s >> 24) ^ 255))
        d = U8x{} + 0xFF000000u;
    else
        darkRow(d, darkLanes(s));
    return I8x{};
}

VELL_INLINE TintLanes tintLanes(unsigned char r, unsigned char g, unsigned char b) {
    TintLanes lanes;
    const unsigned char t[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) {
        lanes.t[c] = I8x{} + t[c];
        lanes.f[c] = D4x{} + static_cast<double>(alphaFactors.a[t[c]]);
        // A normal float: 24 bits of mantissa with its leading one.
        std::uint32_t bits;
        std::memcpy(&bits, &alphaFactors.a[t[c]], sizeof bits);
        lanes.m[c] = U8x{} + (t[c] == 0 ? 0 : (bits & 0x7FFFFFu) | 0x800000u);
        lanes.shift[c] = t[c] == 0 ? 0 : 150 - static_cast<int>(bits >> 23 & 255);
    }
    return lanes;
}

// What drawing a cell did to its image: whether its pixels changed, and by
// how much the count of shown see-through pixels went up.
struct Drawn {
    bool changed;
    int seeThrough;
};

// How a whole cell (the black block, then a glyph) can be worked out. With
// the black block opaque, the cell is opaque black before the glyph, whatever
// it held; if the glyph's pixels are all clear or opaque, each comes out
// black or its colour under the tint; if the opaque ones are all white (as
// in a clean sheet), that colour is the tint's own.
enum class Cell { blended, overBlack, plain, white };

// Glyph c of sheet blended into dst at (x, y); with `clearFirst` the black
// block goes under it, as a whole cell is redrawn.
VELL_INLINE Drawn blendCell(bool clearFirst, unsigned char c, unsigned char r, unsigned char g,
                            unsigned char b, int x, int y, TexBlock *dst, const TexBlock *sheet) {
    const int stride = sheet->tw * 4;
    const unsigned char *glyph = sheet->pixels + (15 - c / 16) * 12 * stride + (c % 16) * 32;
    const unsigned char *block = sheet->pixels + (15 - 219 / 16) * 12 * stride + (219 % 16) * 32;
    const U8x black = U8x{} + 0xFF000000u;
    U8x was[12], now[12], diff = {};
    Cell kind = Cell::blended;
    if (!clearFirst) {
        for (int row = 0; row < 12; ++row)
            was[row] = loadRow(dst->pixels + ((y + row) * dst->tw + x) * 4);
    } else {
        // One pass tells the kind of cell and works it out as white, the
        // kind most cells of a clean sheet are. An opaque white pixel under
        // the tint comes out as `blend` works it out.
        const std::uint32_t white = 0xFF000000u |
                                    static_cast<std::uint32_t>(255.0 * alphaFactors.a[r]) |
                                    static_cast<std::uint32_t>(255.0 * alphaFactors.a[g]) << 8 |
                                    static_cast<std::uint32_t>(255.0 * alphaFactors.a[b]) << 16;
        U8x notBlack = {}, notPlain = {}, notWhite = {};
        for (int row = 0; row < 12; ++row) {
            U8x k, s;
            std::memcpy(&k, block + row * stride, sizeof k);
            std::memcpy(&s, glyph + row * stride, sizeof s);
            was[row] = loadRow(dst->pixels + ((y + row) * dst->tw + x) * 4);
            notBlack |= ~k >> 24;
            // Alpha 0 and 255 are the two bytes whose successor has no bit 1 to 7.
            notPlain |= ((s >> 24) + 1) & 0xFE;
            const U8x shows = reinterpret_cast<U8x>((s >> 24) != 0);
            notWhite |= shows & ~s;
            now[row] = (shows & white) | black;
            diff |= now[row] ^ was[row];
        }
        kind = anyLane(notBlack)   ? Cell::blended
               : anyLane(notPlain) ? Cell::overBlack
               : anyLane(notWhite) ? Cell::plain
                                   : Cell::white;
    }
    if (kind == Cell::plain) {
        const TintLanes lanes = tintLanes(r, g, b);
        for (int row = 0; row < 12; ++row) {
            U8x s, colour = black;
            std::memcpy(&s, glyph + row * stride, sizeof s);
            for (int ch = 0; ch < 3; ++ch)
                colour |= ((((s >> (8 * ch)) & 255) * lanes.m[ch]) >> lanes.shift[ch]) << (8 * ch);
            now[row] = (reinterpret_cast<U8x>((s >> 24) != 0) & colour) | black;
        }
    } else if (kind != Cell::white) {
        const TintLanes lanes = tintLanes(r, g, b);
        const TintLanes *tint = r == 0 && g == 0 && b == 0 ? nullptr : &lanes;
        U8x under[12];
        I8x doubt[12], anyDoubt = {};
        const bool dark = kind == Cell::blended && clearFirst;
        if (dark) {
            U8x changed = {};
            for (int row = 0; row < 12; ++row)
                changed |= (loadRow(block + row * stride) >> 24) ^ darkBlock.alpha[row];
            if (!darkBlock.known || anyLane(changed)) {
                for (int row = 0; row < 12; ++row) {
                    const U8x k = loadRow(block + row * stride);
                    darkBlock.alpha[row] = k >> 24;
                    darkBlock.lanes[row] = darkLanes(k);
                }
                darkBlock.known = true;
            }
        }
        for (int row = 0; row < 12; ++row) {
            under[row] = kind == Cell::overBlack ? black : was[row];
            if (dark)
                darkRow(under[row], darkBlock.lanes[row]);
            now[row] = under[row];
            doubt[row] = blendRow(now[row], glyph + row * stride, tint, !clearFirst);
            anyDoubt |= doubt[row];
        }
        // Rows in doubt are worked out again after the others, which then
        // never wait for that.
        if (anyLane(reinterpret_cast<U8x>(anyDoubt)))
            for (int row = 0; row < 12; ++row)
                if (anyLane(reinterpret_cast<U8x>(doubt[row])))
                    tintExactly(now[row], under[row], glyph + row * stride, *tint);
    }
    if (kind != Cell::white) {
        diff = U8x{};
        for (int row = 0; row < 12; ++row)
            diff |= now[row] ^ was[row];
    }
    if (!anyLane(diff))
        return {false, 0};
    // Stored, and per lane of the image's shown part the change in its
    // see-through pixels counted.
    const I8x shown = I8x{0, 1, 2, 3, 4, 5, 6, 7} < dst->width - x;
    I8x seeThrough = {};
    for (int row = 0; row < 12; ++row) {
        const U8x stored = now[row];
        std::memcpy(dst->pixels + ((y + row) * dst->tw + x) * 4, &stored, sizeof stored);
        if (y + row < dst->height)
            seeThrough += (((now[row] >> 24) == 255) - ((was[row] >> 24) == 255)) & shown;
    }
    int total = 0;
    for (int i = 0; i < 8; ++i)
        total += seeThrough[i];
    return {true, total};
}

__attribute__((target("avx2"))) Drawn blendCellAvx2(bool clearFirst, unsigned char c,
                                                    unsigned char r, unsigned char g,
                                                    unsigned char b, int x, int y, TexBlock *dst,
                                                    const TexBlock *sheet) {
    return blendCell(clearFirst, c, r, g, b, x, y, dst, sheet);
}

Drawn blendCellPlain(bool clearFirst, unsigned char c, unsigned char r, unsigned char g,
                     unsigned char b, int x, int y, TexBlock *dst, const TexBlock *sheet) {
    return blendCell(clearFirst, c, r, g, b, x, y, dst, sheet);
}

#undef VELL_INLINE

const bool haveAvx2 = __builtin_cpu_supports("avx2");

// Marks dst changed, its see-through count kept up to date.
bool blendGlyph(bool clearFirst, unsigned char c, unsigned char r, unsigned char g, unsigned char b,
                int x, int y, TexBlock *dst, const TexBlock *sheet) {
    const Drawn drawn = haveAvx2 ? blendCellAvx2(clearFirst, c, r, g, b, x, y, dst, sheet)
                                 : blendCellPlain(clearFirst, c, r, g, b, x, y, dst, sheet);
    if (drawn.seeThrough != 0)
        __atomic_fetch_add(&dst->seeThrough, drawn.seeThrough, __ATOMIC_RELAXED);
    if (drawn.changed || !clearFirst)
        __atomic_fetch_or(&dst->flags, 1, __ATOMIC_RELEASE);
    return drawn.changed;
}

} // namespace

void drawPix(unsigned char *dst, const unsigned char *src, unsigned char r, unsigned char g,
             unsigned char b) {
    blend(dst, src, Tint(r, g, b));
}

void drawCharToImage(unsigned char c, unsigned char r, unsigned char g, unsigned char b, int x,
                     int y, TexBlock *dst, TexBlock *sheet) {
    blendGlyph(false, c, r, g, b, x, y, dst, sheet);
}

bool drawCellToImage(unsigned char c, unsigned char r, unsigned char g, unsigned char b, int x,
                     int y, TexBlock *dst, TexBlock *sheet) {
    return blendGlyph(true, c, r, g, b, x, y, dst, sheet);
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
