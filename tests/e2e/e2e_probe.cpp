// The end-to-end tests' eyes and hands on the real window:
//
//   e2e_probe close WINDOW                    ask the window to close, as a
//                                             window manager's close button does
//   e2e_probe count IMG X Y W H lit|green|yellow|white
//                                             pixels of that kind in a rectangle
//   e2e_probe text IMG X Y FONT STRING        does the row of 8 x 12 cells from
//                                             (X, Y) show STRING? (exit 0 if so)
//   e2e_probe find IMG FONT CODE              map cells showing glyph CODE in
//                                             white, one "column row" a line
//
// Images are binary PPM screenshots of the client area; X and Y count pixels
// from its top-left corner. FONT is the glyph sheet (font.bmp): a screen cell
// shows a glyph when its lit pixels are exactly the glyph's non-magenta ones.

#include <X11/Xlib.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int CELL_W = 8;
constexpr int CELL_H = 12;
constexpr int CLIENT_H = 540;
constexpr int MAP_W = 90;
constexpr int MAP_H = 40;

struct Rgb {
    int r, g, b;
};

struct Image {
    int w = 0, h = 0;
    std::vector<Rgb> px; // top-down rows
    const Rgb &at(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
};

[[noreturn]] void die(const std::string &why) {
    std::cerr << "e2e_probe: " << why << "\n";
    std::exit(2);
}

std::vector<unsigned char> slurp(const char *path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        die(std::string("cannot read ") + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Image readPpm(const char *path) {
    std::vector<unsigned char> data = slurp(path);
    std::size_t pos = 0;
    auto token = [&]() {
        std::string t;
        while (pos < data.size()) {
            if (data[pos] == '#') {
                while (pos < data.size() && data[pos] != '\n')
                    ++pos;
            } else if (std::isspace(data[pos])) {
                if (!t.empty())
                    break;
                ++pos;
            } else {
                t += static_cast<char>(data[pos++]);
            }
        }
        return t;
    };
    if (token() != "P6")
        die(std::string(path) + " is not a binary PPM");
    Image img;
    img.w = std::atoi(token().c_str());
    img.h = std::atoi(token().c_str());
    int maxval = std::atoi(token().c_str());
    ++pos; // the single whitespace byte before the pixels
    // 16-bit samples are big-endian; their high byte is the 8-bit value.
    std::size_t bytes = maxval == 255 ? 1 : maxval == 65535 ? 2 : 0;
    if (img.w < 1 || img.h < 1 || bytes == 0 ||
        data.size() < pos + static_cast<std::size_t>(img.w) * img.h * 3 * bytes)
        die(std::string(path) + ": unexpected PPM header or short file");
    img.px.resize(static_cast<std::size_t>(img.w) * img.h);
    for (std::size_t i = 0; i < img.px.size(); ++i, pos += 3 * bytes)
        img.px[i] = {data[pos], data[pos + bytes], data[pos + 2 * bytes]};
    return img;
}

// The glyph sheet as a top-down picture; a standard bottom-up 24-bit BMP.
Image readBmp(const char *path) {
    std::vector<unsigned char> d = slurp(path);
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M')
        die(std::string(path) + " is not a BMP");
    auto le32 = [&](std::size_t o) {
        return static_cast<int>(d[o] | d[o + 1] << 8 | d[o + 2] << 16 | d[o + 3] << 24);
    };
    std::size_t offset = static_cast<std::size_t>(le32(10));
    Image img;
    img.w = le32(18);
    img.h = le32(22);
    std::size_t stride = (static_cast<std::size_t>(img.w) * 3 + 3) / 4 * 4;
    if (img.w < 1 || img.h < 1 || d.size() < offset + stride * img.h)
        die(std::string(path) + ": unexpected BMP layout");
    img.px.resize(static_cast<std::size_t>(img.w) * img.h);
    for (int y = 0; y < img.h; ++y) {
        const unsigned char *row = &d[offset + stride * (img.h - 1 - y)];
        for (int x = 0; x < img.w; ++x)
            img.px[static_cast<std::size_t>(y) * img.w + x] = {row[3 * x + 2], row[3 * x + 1],
                                                               row[3 * x]};
    }
    return img;
}

// Dark tints stay above this; the black of a cleared cell stays below.
bool lit(const Rgb &p) {
    return p.r >= 32 || p.g >= 32 || p.b >= 32;
}
bool white(const Rgb &p) {
    return p.r >= 200 && p.g >= 200 && p.b >= 200;
}
bool green(const Rgb &p) {
    return p.g >= 64 && p.g > p.r + 16 && p.g > p.b + 16;
}
bool yellow(const Rgb &p) {
    return p.r >= 200 && p.g >= 200 && p.b < 64;
}

bool glyphLit(const Image &font, int code, int col, int row) {
    const Rgb &p = font.at((code % 16) * CELL_W + col, (code / 16) * CELL_H + row);
    return !(p.r == 255 && p.g == 0 && p.b == 255);
}

// Pixels of the cell at (x, y) whose lit state differs from the glyph's.
int cellMismatch(const Image &img, const Image &font, int x, int y, int code,
                 bool wantWhite = false) {
    int bad = 0;
    for (int row = 0; row < CELL_H; ++row)
        for (int col = 0; col < CELL_W; ++col) {
            if (x + col >= img.w || y + row >= img.h)
                return CELL_W * CELL_H;
            const Rgb &p = img.at(x + col, y + row);
            bool want = glyphLit(font, code, col, row);
            if (lit(p) != want || (want && wantWhite && !white(p)))
                ++bad;
        }
    return bad;
}

int closeWindow(const char *id) {
    Display *d = XOpenDisplay(nullptr);
    if (d == nullptr)
        die("cannot open the display");
    XEvent e;
    std::memset(&e, 0, sizeof e);
    Window w = static_cast<Window>(std::strtoul(id, nullptr, 0));
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(d, w, False, NoEventMask, &e);
    XSync(d, False);
    XCloseDisplay(d);
    return sent ? 0 : 1;
}

int count(int argc, char **argv) {
    if (argc != 8)
        die("count IMG X Y W H lit|green|yellow|white");
    Image img = readPpm(argv[2]);
    int x0 = std::atoi(argv[3]), y0 = std::atoi(argv[4]);
    int w = std::atoi(argv[5]), h = std::atoi(argv[6]);
    std::string kind = argv[7];
    bool (*test)(const Rgb &) = kind == "lit"      ? lit
                                : kind == "green"  ? green
                                : kind == "yellow" ? yellow
                                : kind == "white"  ? white
                                                   : nullptr;
    if (test == nullptr)
        die("unknown kind " + kind);
    long n = 0;
    for (int y = y0; y < y0 + h && y < img.h; ++y)
        for (int x = x0; x < x0 + w && x < img.w; ++x)
            n += test(img.at(x, y)) ? 1 : 0;
    std::cout << n << "\n";
    return 0;
}

int text(int argc, char **argv) {
    if (argc != 7)
        die("text IMG X Y FONT STRING");
    Image img = readPpm(argv[2]);
    int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
    Image font = readBmp(argv[5]);
    std::string s = argv[6];
    int wrong = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        int code = static_cast<unsigned char>(s[i]);
        int bad = cellMismatch(img, font, x + static_cast<int>(i) * CELL_W, y, code);
        if (bad != 0) {
            std::cerr << "cell " << i << " ('" << s[i] << "'): " << bad << " pixels differ\n";
            ++wrong;
        }
    }
    return wrong == 0 ? 0 : 1;
}

int find(int argc, char **argv) {
    if (argc != 5)
        die("find IMG FONT CODE");
    Image img = readPpm(argv[2]);
    Image font = readBmp(argv[3]);
    int code = std::atoi(argv[4]);
    // Map cell (x, y) sits 24 pixels above the bottom, y growing upward.
    for (int mx = 0; mx < MAP_W; ++mx)
        for (int my = 0; my < MAP_H; ++my) {
            int top = CLIENT_H - (CELL_H * my + 24) - CELL_H;
            if (cellMismatch(img, font, CELL_W * mx, top, code, true) == 0)
                std::cout << mx << " " << my << "\n";
        }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "close" && argc == 3)
        return closeWindow(argv[2]);
    if (cmd == "count")
        return count(argc, argv);
    if (cmd == "text")
        return text(argc, argv);
    if (cmd == "find")
        return find(argc, argv);
    die("usage: close WINDOW | count ... | text ... | find ...");
}
