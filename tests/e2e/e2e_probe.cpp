// The window test's eyes and hands on the real window:
//   e2e_probe close WINDOW            the close request a window manager's button sends
//   e2e_probe text IMG X Y FONT STR   exit 0 when the cells from (X, Y) show STR
// IMG (a screenshot of the 720 pixels wide client area) and FONT (the 128 x 192 glyph sheet) are
// raw 8-bit RGB, rows from the top; a cell shows a glyph when its lit pixels are exactly the
// glyph's non-magenta ones.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> raw(const char *path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
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
    const std::vector<unsigned char> img = raw(argv[2]), font = raw(argv[5]);
    const int x0 = std::atoi(argv[3]), y0 = std::atoi(argv[4]);
    const std::string s = argv[6];
    for (std::size_t i = 0; i < s.size(); ++i) {
        const int code = static_cast<unsigned char>(s[i]);
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 8; ++col) {
                const std::size_t at = ((y0 + row) * 720 + x0 + int(i) * 8 + col) * 3;
                const std::size_t g = ((code / 16 * 12 + row) * 128 + code % 16 * 8 + col) * 3;
                if (font.size() != 128 * 192 * 3 || at + 2 >= img.size())
                    return 2;
                const bool want = !(font[g] == 255 && font[g + 1] == 0 && font[g + 2] == 255);
                if ((img[at] >= 32 || img[at + 1] >= 32 || img[at + 2] >= 32) != want)
                    return 1;
            }
    }
    return 0;
}
