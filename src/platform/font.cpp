#include "platform/font.h"

#include "graphics/glseam.h"

namespace vell {

TexBlock *pureTex = nullptr;
TexBlock *fontTex = nullptr;
TexBlock *gameTex = nullptr;

namespace {

// A glyph sheet never needs more; a header asking for more is garbage and
// must not make us allocate gigabytes.
constexpr long long MAX_SHEET_BYTES = 64LL * 1024 * 1024;

// Reads one byte; past the end of the file (or after a failed seek) every
// byte counts as 255, as the game has always read short files.
struct ByteSource {
    std::FILE *stream;
    bool ended = false;

    unsigned char next() {
        if (ended)
            return 255;
        int c = std::getc(stream);
        if (c == EOF) {
            ended = true;
            return 255;
        }
        return static_cast<unsigned char>(c);
    }
};

int readInt32(const unsigned char *p) {
    unsigned v = static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8 |
                 static_cast<unsigned>(p[2]) << 16 | static_cast<unsigned>(p[3]) << 24;
    return static_cast<int>(v);
}

} // namespace

TexBlock *loadTexture(std::FILE *stream) {
    if (stream == nullptr)
        return nullptr;
    ByteSource in{stream};
    unsigned char header[54];
    for (unsigned char &byte : header)
        byte = in.next();
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

    if (!in.ended && std::fseek(stream, static_cast<long>(offset), SEEK_SET) != 0)
        in.ended = true;

    TexBlock *image = texBlock_new(width, height);
    if (image == nullptr)
        return nullptr;
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            unsigned char *p = image->pixels + (static_cast<long long>(row) * image->tw + col) * 4;
            const unsigned char blue = in.next();
            const unsigned char green = in.next();
            const unsigned char red = in.next();
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
    gl().bindTexture(image->texture);
    gl().uploadTexture(image->tw, image->th, image->pixels);
    return image;
}

} // namespace vell
