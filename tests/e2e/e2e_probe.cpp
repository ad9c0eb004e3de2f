// The window test's eyes and hands on the real window:
//   e2e_probe close WINDOW            the close request a window manager's button sends
//   e2e_probe text IMG X Y FONT STR   exit 0 when the cells from (X, Y) show STR
// IMG (a screenshot of the client area) and FONT (the glyph sheet) are binary 8-bit PPMs,
// X and Y from the top-left corner; a cell shows a glyph when its lit pixels are exactly
// the glyph's non-magenta ones.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Image {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb; // top-down rows
    const unsigned char *at(int x, int y) const { return &rgb[(std::size_t(y) * w + x) * 3]; }
};

Image read(const char *path) {
    Image img;
    std::FILE *f = std::fopen(path, "rb");
    if (f != nullptr && std::fscanf(f, "P6 %d %d 255%*c", &img.w, &img.h) == 2) {
        img.rgb.resize(std::size_t(img.w) * img.h * 3);
        img.rgb.resize(std::fread(img.rgb.data(), 1, img.rgb.size(), f));
    }
    if (f == nullptr || img.rgb.size() != std::size_t(img.w) * img.h * 3) {
        std::fprintf(stderr, "e2e_probe: cannot read %s\n", path);
        std::exit(2);
    }
    std::fclose(f);
    return img;
}

int closeWindow(const char *id) {
    Display *d = XOpenDisplay(nullptr);
    if (d == nullptr)
        return 1;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = static_cast<Window>(std::strtoul(id, nullptr, 0));
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    const Status sent = XSendEvent(d, e.xclient.window, False, NoEventMask, &e);
    XSync(d, False);
    XCloseDisplay(d);
    return sent ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "close" && argc == 3)
        return closeWindow(argv[2]);
    if (cmd != "text" || argc != 7) {
        std::fprintf(stderr, "usage: close WIN | text IMG X Y FONT STR\n");
        return 2;
    }
    const Image img = read(argv[2]), font = read(argv[5]);
    const int x0 = std::atoi(argv[3]), y0 = std::atoi(argv[4]);
    const std::string s = argv[6];
    for (std::size_t i = 0; i < s.size(); ++i) {
        const int code = static_cast<unsigned char>(s[i]);
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 8; ++col) {
                const int x = x0 + int(i) * 8 + col, y = y0 + row;
                const unsigned char *g = font.at(code % 16 * 8 + col, code / 16 * 12 + row);
                const bool want = !(g[0] == 255 && g[1] == 0 && g[2] == 255);
                const unsigned char *p = x < img.w && y < img.h ? img.at(x, y) : nullptr;
                if (p == nullptr || (p[0] >= 32 || p[1] >= 32 || p[2] >= 32) != want)
                    return 1;
            }
    }
    return 0;
}
