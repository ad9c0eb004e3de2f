// The window test's hand on the real window: `e2e_probe WINDOW` sends the close request a window
// manager's close button sends.

#include <X11/Xlib.h>

#include <cstdlib>

namespace {

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
    return argc == 2 ? closeWindow(argv[1]) : 2;
}
