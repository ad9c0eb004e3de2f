#include "graphics/glseam.h"

#include <atomic>

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
