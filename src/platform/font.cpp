#include "platform/font.h"

#include <cstring>
#include <vector>

#include "graphics/glseam.h"

namespace vell {

TexBlock *pureTex = nullptr;
TexBlock *fontTex = nullptr;
TexBlock *gameTex = nullptr;

namespace {

// A glyph sheet never needs more; a header asking for more is garbage and
// must not make us allocate gigabytes.
constexpr long long MAX_SHEET_BYTES = 64LL * 1024 * 1024;

// Fills n bytes from the stream; past the end of the file (or after a failed
// seek) every byte counts as 255, as the game has always read short files.
// Returns whether the end has been reached.
bool readOrFill(std::FILE *stream, unsigned char *to, std::size_t n, bool ended) {
    const std::size_t got = ended ? 0 : std::fread(to, 1, n, stream);
    std::memset(to + got, 255, n - got);
    return ended || got < n;
}

int readInt32(const unsigned char *p) {
    unsigned v = static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8 |
                 static_cast<unsigned>(p[2]) << 16 | static_cast<unsigned>(p[3]) << 24;
    return static_cast<int>(v);
}

} // namespace

TexBlock *loadTexture(std::FILE *stream) {
    if (stream == nullptr)
        return nullptr;
    unsigned char header[54];
    bool ended = readOrFill(stream, header, sizeof header, false);
    const unsigned offset = static_cast<unsigned>(readInt32(header + 10));
    const int width = readInt32(header + 18);
    const int height = readInt32(header + 22);

    // Every glyph draw addresses a 128 x 192 grid of cells, so a smaller
    // sheet would be read out of bounds. A negative height (top-down rows)
    // fails here too.
    if (width < SHEET_W || height < SHEET_H)
        return nullptr;
    const int tw = p2(width), th = p2(height);
    if (tw < 0 || th < 0 || static_cast<long long>(tw) * th * 4 > MAX_SHEET_BYTES)
        return nullptr;

    if (!ended && std::fseek(stream, static_cast<long>(offset), SEEK_SET) != 0)
        ended = true;

    TexBlock *image = texBlock_new(width, height);
    if (image == nullptr)
        return nullptr;
    // A row at a time: a byte at a time through the stream is slow enough to
    // show when the loader is fed thousands of files.
    std::vector<unsigned char> bgr(static_cast<std::size_t>(width) * 3);
    for (int row = 0; row < height; ++row) {
        ended = readOrFill(stream, bgr.data(), bgr.size(), ended);
        for (int col = 0; col < width; ++col) {
            unsigned char *p = image->pixels + (static_cast<long long>(row) * image->tw + col) * 4;
            const unsigned char blue = bgr[3 * col];
            const unsigned char green = bgr[3 * col + 1];
            const unsigned char red = bgr[3 * col + 2];
            if (red == 255 && green == 0 && blue == 255) {
                p[0] = p[1] = p[2] = p[3] = 0;
            } else {
                p[0] = red;
                p[1] = green;
                p[2] = blue;
                p[3] = 255;
            }
        }
    }
    texBlock_touch(image);
    gl().bindTexture(image->texture);
    gl().uploadTexture(image->tw, image->th, image->pixels);
    return image;
}

} // namespace vell
