#include "platform/win.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <system_error>
#include <thread>

#include "core/frame.h"
#include "core/logic.h"
#include "core/random.h"
#include "core/startup.h"
#include "platform/glreal.h"
#include "platform/keys.h"
#include "world/map.h"

namespace vell {

int quitMessage = 0;

namespace {

constexpr const char *WINDOW_CLASS = "ZEP_window";
constexpr int CLIENT_X = 100;
constexpr int CLIENT_Y = 100;
constexpr int CLIENT_W = 720;
constexpr int CLIENT_H = 540;
constexpr auto FRAME = std::chrono::milliseconds(50);

SDL_Window *window = nullptr;
SDL_GLContext glrc = nullptr;
RealGl realGl;
// Frames go through this and reach the screen only when they change it.
PresentGl presentGl(realGl);
KeyState keyState;

void echoCommandLine(int argc, char **argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Without a display SDL falls back to drivers that draw nowhere; the game
// would then run unseen, with no window to close.
bool onRealDisplay() {
    const char *driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr)
        return false;
    if (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) {
        SDL_SetError("No display to show the window on (only the %s video driver started)", driver);
        return false;
    }
    return true;
}

// The window's class (X11 WM_CLASS, Wayland app id) is what desktops match
// against the desktop entry's StartupWMClass. This SDL takes it only from its
// own environment variables, read when the video subsystem starts, so they
// are set here, over anything inherited.
void nameWindowClass() {
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", WINDOW_CLASS, 1);
    SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", WINDOW_CLASS, 1);
}

void closeWindow() {
    setGl(nullptr);
    if (glrc != nullptr) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(glrc);
        glrc = nullptr;
    }
    if (window != nullptr) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    SDL_Quit();
}

// Double buffering and 8 bits per colour always; the depth buffer as asked.
// A legacy (compatibility) context, so the fixed-function pipeline exists.
bool askForFormat(int depth) {
    return SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY) ==
               0;
}

// The window, hidden until its context is current, and the context. The
// depth buffer is the one closest to 32 bits that the system offers: X11
// refuses a window whose visual cannot have the depth asked for, so each
// depth gets a window of its own. Returns null or the failed step's name.
const char *makeWindowAndContext() {
    if (SDL_GL_LoadLibrary(nullptr) != 0)
        return "Failure to ChoosePixelFormat";
    const char *failure = nullptr;
    for (int depth : {32, 24, 16}) {
        if (!askForFormat(depth))
            return "Failure to SetPixelFormat";
        window = SDL_CreateWindow("Vell", CLIENT_X, CLIENT_Y, CLIENT_W, CLIENT_H,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
        if (window == nullptr) {
            failure = "Failure to create window";
            continue;
        }
        glrc = SDL_GL_CreateContext(window);
        if (glrc == nullptr) {
            failure = "Failure to create glrc";
        } else if (SDL_GL_MakeCurrent(window, glrc) != 0) {
            failure = "Failure to make glrc current";
            SDL_GL_DeleteContext(glrc);
            glrc = nullptr;
        } else {
            return nullptr;
        }
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    return failure;
}

void handleEvent(const SDL_Event &event) {
    if (event.type == SDL_QUIT ||
        (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
        closing.store(1);
        quitMessage = 0;
        return;
    }
    // The system may have lost or scaled what the window showed.
    if (event.type == SDL_WINDOWEVENT) {
        switch (event.window.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            presentGl.invalidate();
            break;
        default:
            break;
        }
    }
    if (auto ch = translateKey(event, keyState))
        input(*ch);
}

void frameLoop() {
    using Clock = std::chrono::steady_clock;
    while (!closing.load()) {
        auto t0 = Clock::now();
        SDL_Event event;
        while (!closing.load() && SDL_PollEvent(&event))
            handleEvent(event);
        if (closing.load())
            break;
        update();
        // Map generation holds `drawing` while it rewrites a tile; the
        // picture would be half old, half new, so the frame is skipped. A
        // frame that would show what the window shows already is not drawn.
        if (tryTakeDrawing()) {
            render();
            if (presentGl.finish())
                SDL_GL_SwapWindow(window);
            giveDrawing();
        }
        // A frame that took the whole period is followed by the next at once.
        auto spent = Clock::now() - t0;
        if (spent < FRAME)
            std::this_thread::sleep_for(FRAME - spent);
    }
}

[[noreturn]] void endProcess(int code) {
    if (errout != nullptr)
        std::fflush(errout);
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}

// Brings the other threads down and returns the exit code. A logic thread
// stopped in `pause` is released until nothing holds it, so it sees
// `closing` and leaves the scheduler. A thread that does not end in time is
// abandoned: the process ends without waiting on it.
int shutDown(int code) {
    if (!stopThreads())
        endProcess(code);
    closeWindow();
    if (errout != nullptr) {
        std::fclose(errout);
        errout = nullptr;
    }
    std::fflush(stdout);
    return code;
}

std::atomic<bool> leavingNormally{false};

// Libraries may end the process themselves: Xlib calls exit when the
// display goes away. The other threads are then still waiting on the
// world's locks, and the destructors of those locks would wait for them
// forever; so such an end skips the destructors.
void endAbruptly() {
    if (!leavingNormally.load())
        endProcess(1);
}

int runGame(int argc, char **argv) {
    echoCommandLine(argc, argv);
    errout = std::fopen("err.txt", "w");
    srnd(static_cast<unsigned>(std::time(nullptr)));

    nameWindowClass();
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !onRealDisplay()) {
        outputError("Failure to register window class");
        SDL_Quit();
        return 1;
    }
    if (const char *failure = makeWindowAndContext()) {
        outputError(failure);
        closeWindow();
        return 1;
    }
    SDL_ShowWindow(window);
    // Frames are paced by the loop, not by the display's refresh.
    SDL_GL_SetSwapInterval(0);
    glFixedState(CLIENT_W, CLIENT_H);
    setGl(&presentGl);
    SDL_StartTextInput();

    // font.bmp may sit beside the executable rather than in the working
    // directory.
    char *exeDir = SDL_GetBasePath();
    init(exeDir);
    SDL_free(exeDir);
    if (closing.load())
        return shutDown(1);

    try {
        logicThread = std::thread(startGameLoop);
    } catch (const std::system_error &e) {
        SDL_SetError("%s", e.what());
        outputError("could not create logic thread");
        return shutDown(1);
    }

    frameLoop();
    return shutDown(quitMessage);
}

} // namespace

void outputError(const char *name) {
    if (name == nullptr)
        name = "Untitled error";
    // SDL keeps a text, not a code; its text ends without a line break.
    const char *system = SDL_GetError();
    std::string text = (system != nullptr && system[0] != '\0') ? std::string(system) + "\n" : "";
    const char *format = "%s.\nError code %d:\n%s\n";
    int code = 0;
    int size = std::snprintf(nullptr, 0, format, name, code, text.c_str());
    std::string line(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(line.data(), line.size() + 1, format, name, code, text.c_str());
    writeError(line.c_str());
}

int winMain(int argc, char **argv) {
    std::atexit(endAbruptly);
    int code = runGame(argc, argv);
    leavingNormally.store(true);
    return code;
}

} // namespace vell
