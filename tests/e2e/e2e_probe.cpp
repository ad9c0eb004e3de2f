// The window test's eyes and hands on the real window:
//   e2e_probe close WINDOW            the close request a window manager's button sends
//   e2e_probe lit|yellow IMG X Y W H  pixels of that kind in a rectangle
//   e2e_probe text IMG X Y FONT STR   exit 0 when the cells from (X, Y) show STR
// IMG is a binary 8-bit PPM of the client area, X and Y from its top-left corner;
// a cell shows a glyph when its lit pixels are exactly the glyph's non-magenta ones.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Image {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb; // top-down rows
    const unsigned char *at(int x, int y) const { return &rgb[(std::size_t(y) * w + x) * 3]; }
};

Image read(const char *path, bool bmp) {
    Image img;
    std::FILE *f = std::fopen(path, "rb");
    if (f != nullptr && bmp) { // the glyph sheet: 128 x 192, 24-bit, bottom-up
        img.w = 128, img.h = 192;
        std::vector<unsigned char> d(54 + 128 * 192 * 3);
        if (std::fread(d.data(), 1, d.size(), f) == d.size())
            for (int y = 0; y < 192; ++y)
                for (int x = 0; x < 128; ++x)
                    for (int c = 2; c >= 0; --c)
                        img.rgb.push_back(d[54 + ((191 - y) * 128 + x) * 3 + c]);
    } else if (f != nullptr && std::fscanf(f, "P6 %d %d 255%*c", &img.w, &img.h) == 2) {
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

bool lit(const unsigned char *p) {
    return p[0] >= 32 || p[1] >= 32 || p[2] >= 32;
}
bool yellow(const unsigned char *p) {
    return p[0] >= 200 && p[1] >= 200 && p[2] < 64;
}

int closeWindow(const char *id) {
    Display *d = XOpenDisplay(nullptr);
    if (d == nullptr)
        return 1;
    XEvent e{};
    Window w = static_cast<Window>(std::strtoul(id, nullptr, 0));
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    Status sent = XSendEvent(d, w, False, NoEventMask, &e);
    XSync(d, False);
    XCloseDisplay(d);
    return sent ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "close" && argc == 3)
        return closeWindow(argv[2]);
    if (argc < 7 || (cmd != "lit" && cmd != "yellow" && cmd != "text")) {
        std::fprintf(stderr, "usage: close WIN | lit|yellow IMG X Y W H | text IMG X Y FONT STR\n");
        return 2;
    }
    const Image img = read(argv[2], false);
    const int x0 = std::atoi(argv[3]), y0 = std::atoi(argv[4]);
    if (cmd == "text") {
        const Image font = read(argv[5], true);
        const std::string s = argv[6];
        for (std::size_t i = 0; i < s.size(); ++i) {
            const int code = static_cast<unsigned char>(s[i]);
            for (int row = 0; row < 12; ++row)
                for (int col = 0; col < 8; ++col) {
                    const int x = x0 + int(i) * 8 + col, y = y0 + row;
                    const unsigned char *g = font.at(code % 16 * 8 + col, code / 16 * 12 + row);
                    const bool want = !(g[0] == 255 && g[1] == 0 && g[2] == 255);
                    if (x >= img.w || y >= img.h || lit(img.at(x, y)) != want)
                        return 1;
                }
        }
        return 0;
    }
    long n = 0;
    for (int y = y0; y < y0 + std::atoi(argv[6]) && y < img.h; ++y)
        for (int x = x0; x < x0 + std::atoi(argv[5]) && x < img.w; ++x)
            n += cmd == "lit" ? lit(img.at(x, y)) : yellow(img.at(x, y));
    std::printf("%ld\n", n);
    return 0;
}
