// Measures, in the real game, how many frames pass from the flee key to the
// frame that shows the last tile of the new map. Preloaded into `vell` by
// tools/fleeframes.sh, which passes the offsets of three of the game's
// globals (from its symbol table) in VELL_PROBE_SYMS as "mi inputType
// player" in hex. The probe plays through SDL's own event queue, typing only
// while a key is expected:
//   - VELL_PROBE_HORDE=n: "M" n times first (a crowd of wanderers that fight
//     and die, so "More..." comes up often);
//   - "e" until the player has the magic for a flee, answering prompts;
//   - "w", then frames are counted until `mi` has fallen and a frame was
//     swapped. Prompts raised meanwhile are left unanswered for up to 80
//     frames (then answered, so a game that waits on them can finish).
// Prints one line "frames=N ms=T prompt=0|1" to stderr and closes the game.
// Not part of the game or its tests.

#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "core/logic.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> *miFlag = nullptr;
std::atomic<int> *mode = nullptr;
vell::Creature *thePlayer = nullptr;

int horde = 0;
bool fled = false, done = false, promptSeen = false;
int framesSinceKey = 0;
Clock::time_point keyAt;

int findBase(dl_phdr_info *info, size_t, void *out) {
    *static_cast<ElfW(Addr) *>(out) = info->dlpi_addr;
    return 1; // the first object is the program itself
}

bool setUp() {
    static int state = 0;
    if (state == 0) {
        state = -1;
        const char *syms = std::getenv("VELL_PROBE_SYMS");
        unsigned long a, b, c;
        if (syms == nullptr || std::sscanf(syms, "%lx %lx %lx", &a, &b, &c) != 3)
            return false;
        ElfW(Addr) base = 0;
        dl_iterate_phdr(findBase, &base);
        miFlag = reinterpret_cast<std::atomic<int> *>(base + a);
        mode = reinterpret_cast<std::atomic<int> *>(base + b);
        thePlayer = reinterpret_cast<vell::Creature *>(base + c);
        if (const char *h = std::getenv("VELL_PROBE_HORDE"))
            horde = std::atoi(h);
        state = 1;
    }
    return state == 1;
}

void type(const char *text) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.text[0] = text[0];
    SDL_PushEvent(&e);
}

// Once per frame, after the window's messages were drained.
void play() {
    if (done)
        return;
    if (fled) {
        ++framesSinceKey;
        if (mode->load() == 2) {
            promptSeen = true;
            if (framesSinceKey > 80)
                type(" ");
        }
        return;
    }
    const int m = mode->load();
    if (m == 2) {
        type(" ");
    } else if (m == 1) {
        if (horde > 0) {
            --horde;
            type("M");
        } else if (thePlayer->magic < 10000) {
            type("e");
        } else {
            type("w");
        }
    }
}

} // namespace

extern "C" int SDL_PollEvent(SDL_Event *event) {
    using Fn = int (*)(SDL_Event *);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "SDL_PollEvent"));
    int got = real(event);
    if (!setUp())
        return got;
    if (got == 0)
        play();
    else if (event != nullptr && event->type == SDL_TEXTINPUT && event->text.text[0] == 'w' &&
             !fled) {
        fled = true;
        framesSinceKey = 0;
        keyAt = Clock::now();
    }
    return got;
}

extern "C" void SDL_GL_SwapWindow(SDL_Window *window) {
    using Fn = void (*)(SDL_Window *);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    real(window);
    if (!fled || done || !setUp() || miFlag->load() != 0)
        return;
    done = true;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - keyAt).count();
    std::fprintf(stderr, "frames=%d ms=%lld prompt=%d\n", framesSinceKey,
                 static_cast<long long>(ms), promptSeen ? 1 : 0);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}
