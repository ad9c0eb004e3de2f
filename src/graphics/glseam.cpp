#include "graphics/glseam.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace vell {

unsigned RecordingGl::genTexture() {
    return nextName++;
}

void RecordingGl::bindTexture(unsigned name) {
    bound = name;
}

// Defining storage is part of making a texture, not an upload of changes.
void RecordingGl::defineTexture(int, int, const unsigned char *) {}

void RecordingGl::uploadTexture(int, int, const unsigned char *) {
    ++uploadCount[bound];
}

void RecordingGl::setNearest() {}

void RecordingGl::color(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    cr = r;
    cg = g;
    cb = b;
}

void RecordingGl::quad(const float st[8], const float xy[8]) {
    ++quadCount;
    if (!keepQuads)
        return;
    Quad q{bound, cr, cg, cb, {}, {}};
    for (int i = 0; i < 8; ++i) {
        q.st[i] = st[i];
        q.xy[i] = xy[i];
    }
    quads.push_back(q);
}

void RecordingGl::clear() {
    uploadCount.clear();
    quads.clear();
    quadCount = 0;
}

int RecordingGl::uploads(unsigned texture) const {
    auto it = uploadCount.find(texture);
    return it == uploadCount.end() ? 0 : it->second;
}

int RecordingGl::totalUploads() const {
    int total = 0;
    for (const auto &entry : uploadCount)
        total += entry.second;
    return total;
}

void PictureGl::defineTexture(int tw, int th, const unsigned char *pixels) {
    RecordingGl::defineTexture(tw, th, pixels);
    textures[bound] = Texture{tw, th, {pixels, pixels + tw * th * 4}};
}

void PictureGl::uploadTexture(int tw, int th, const unsigned char *pixels) {
    RecordingGl::uploadTexture(tw, th, pixels);
    textures[bound] = Texture{tw, th, {pixels, pixels + tw * th * 4}};
}

// Corner 0 is the lower left of the game's quads and corner 2 the upper
// right; every pixel whose centre lies inside takes the texel under it.
// Only the drawing thread ever composes a picture, so ThreadSanitizer is
// spared checking each of its bytes, which made a tested game ten times as
// slow.
__attribute__((no_sanitize("thread"))) void PictureGl::quad(const float st[8], const float xy[8]) {
    RecordingGl::quad(st, xy);
    const Texture &t = textures[bound];
    if (t.pixels.empty())
        return;
    const float x0 = xy[0], y0 = xy[1], x1 = xy[4], y1 = xy[5];
    const float colour[3] = {cr / 255.0f, cg / 255.0f, cb / 255.0f};
    for (int y = std::max(0, static_cast<int>(std::ceil(y0 - 0.5f))); y < H && y + 0.5f < y1; ++y) {
        const float tc = st[1] + (y + 0.5f - y0) / (y1 - y0) * (st[5] - st[1]);
        const int ty = std::clamp(static_cast<int>(std::floor(tc * t.th)), 0, t.th - 1);
        for (int x = std::max(0, static_cast<int>(std::ceil(x0 - 0.5f))); x < W && x + 0.5f < x1;
             ++x) {
            const float sc = st[0] + (x + 0.5f - x0) / (x1 - x0) * (st[4] - st[0]);
            const int tx = std::clamp(static_cast<int>(std::floor(sc * t.tw)), 0, t.tw - 1);
            const unsigned char *texel = &t.pixels[(ty * t.tw + tx) * 4];
            unsigned char *screen = &picture[(y * W + x) * 3];
            // Transparent texels leave the screen as it was; opaque ones under
            // white replace it. Anything else is blended in floating point.
            if (texel[3] == 0)
                continue;
            const bool white = cr == 255 && cg == 255 && cb == 255;
            const float a = texel[3] / 255.0f;
            for (int i = 0; i < 3; ++i) {
                if (white && texel[3] == 255) {
                    screen[i] = texel[i];
                    continue;
                }
                const float src = texel[i] / 255.0f * colour[i];
                const float v = src * a + screen[i] / 255.0f * (1 - a);
                screen[i] = static_cast<unsigned char>(v * 255 + 0.5f);
            }
        }
    }
}

unsigned PresentGl::genTexture() {
    return target.genTexture();
}

void PresentGl::bindTexture(unsigned name) {
    bound = name;
    target.bindTexture(name);
}

void PresentGl::defineTexture(int tw, int th, const unsigned char *pixels) {
    target.defineTexture(tw, th, pixels);
}

void PresentGl::uploadTexture(int tw, int th, const unsigned char *pixels) {
    changed = true;
    target.uploadTexture(tw, th, pixels);
}

void PresentGl::setNearest() {
    target.setNearest();
}

void PresentGl::color(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    cr = r;
    cg = g;
    cb = b;
}

void PresentGl::quad(const float st[8], const float xy[8]) {
    Quad q{bound, cr, cg, cb, quieted, {}, {}};
    std::memcpy(q.st, st, sizeof q.st);
    std::memcpy(q.xy, xy, sizeof q.xy);
    frame.push_back(q);
}

void PresentGl::quiet(bool on) {
    quieted = on;
}

void PresentGl::blendsWithScreen() {
    changed = true;
}

void PresentGl::invalidate() {
    changed = true;
}

namespace {

// The quads that can change the picture, in drawing order, compared.
template <class Quad> bool sameVisible(const std::vector<Quad> &a, const std::vector<Quad> &b) {
    auto ia = a.begin(), ib = b.begin();
    for (;;) {
        while (ia != a.end() && ia->quiet)
            ++ia;
        while (ib != b.end() && ib->quiet)
            ++ib;
        if (ia == a.end() || ib == b.end())
            return ia == a.end() && ib == b.end();
        if (ia->texture != ib->texture || ia->r != ib->r || ia->g != ib->g || ia->b != ib->b ||
            std::memcmp(ia->st, ib->st, sizeof ia->st) != 0 ||
            std::memcmp(ia->xy, ib->xy, sizeof ia->xy) != 0)
            return false;
        ++ia, ++ib;
    }
}

} // namespace

bool PresentGl::finish() {
    if (!changed && sameVisible(frame, shown)) {
        frame.clear();
        return false;
    }
    unsigned last = 0;
    for (const Quad &q : frame) {
        if (q.texture != last || &q == &frame.front())
            target.bindTexture(last = q.texture);
        target.color(q.r, q.g, q.b);
        target.quad(q.st, q.xy);
    }
    target.bindTexture(bound);
    shown.swap(frame);
    frame.clear();
    changed = false;
    return true;
}

namespace {

RecordingGl &defaultSeam() {
    static RecordingGl seam;
    return seam;
}

// Swapped by the window thread at start-up; read by whoever draws.
std::atomic<GlSeam *> current{nullptr};

} // namespace

GlSeam &gl() {
    GlSeam *seam = current.load(std::memory_order_acquire);
    return seam != nullptr ? *seam : defaultSeam();
}

void setGl(GlSeam *seam) {
    current.store(seam, std::memory_order_release);
}

RecordingGl &recordingGl() {
    return defaultSeam();
}

} // namespace vell
