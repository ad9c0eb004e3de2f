// Waits for the first frame of a window: prints the milliseconds from its own
// start until a top-level window titled NAME shows a pixel that is not black.
// Started just before the program it watches, so the figure is that
// program's time from exec to its first frame. Exit 1 after TIMEOUT ms.
//
//   vell_firstframe NAME TIMEOUT

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

int ignoreErrors(Display *, XErrorEvent *) {
    return 0; // the window may go or be unmapped while it is looked at
}

Window findWindow(Display *display, Window under, const char *name) {
    char *title = nullptr;
    if (XFetchName(display, under, &title) != 0 && title != nullptr) {
        const bool same = std::strcmp(title, name) == 0;
        XFree(title);
        if (same)
            return under;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, under, &root, &parent, &children, &count) != 0) {
        for (unsigned i = 0; i < count && found == 0; ++i)
            found = findWindow(display, children[i], name);
        if (children != nullptr)
            XFree(children);
    }
    return found;
}

bool showsSomething(Display *display, Window window) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0 ||
        attributes.map_state != IsViewable)
        return false;
    XImage *image =
        XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr)
        return false;
    bool lit = false;
    for (int y = 0; y < image->height && !lit; y += 2)
        for (int x = 0; x < image->width && !lit; x += 2)
            lit = (XGetPixel(image, x, y) & 0xffffff) != 0;
    XDestroyImage(image);
    return lit;
}

} // namespace

int main(int argc, char **argv) {
    const auto start = std::chrono::steady_clock::now();
    if (argc != 3)
        return 2;
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 2;
    XSetErrorHandler(ignoreErrors);
    const long timeout = std::atol(argv[2]);
    for (;;) {
        const long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        if (ms > timeout)
            return 1;
        const Window window = findWindow(display, DefaultRootWindow(display), argv[1]);
        if (window != 0 && showsSomething(display, window)) {
            std::printf("%ld\n", ms);
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}
