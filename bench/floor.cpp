// The floor under the game's idle cost: an empty window of the game's size
// with the game's OpenGL set-up and pacing, cleared and shown every 50 ms.
// It clears to grey, so that its first frame can be seen on the screen.
//
//   vell_floor [quad]
//
// With "quad" it also draws one small textured, blended quad every frame:
// the least a window can draw through OpenGL, so the figures show what the
// software rasteriser costs a program that draws anything at all (its
// shader compiler's code and heap, the compile before the first frame).

#include <SDL.h>
#include <SDL_opengl.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/glreal.h"

int main(int argc, char **argv) {
    const bool drawQuad = argc > 1 && std::strcmp(argv[1], "quad") == 0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Window *window = nullptr;
    SDL_GLContext context = nullptr;
    for (int depth : {32, 24, 16}) {
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        window = SDL_CreateWindow("Vell floor", 100, 100, 720, 540,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE);
        if (window != nullptr && (context = SDL_GL_CreateContext(window)) != nullptr)
            break;
        if (window != nullptr)
            SDL_DestroyWindow(window);
        window = nullptr;
    }
    if (context == nullptr)
        return 1;
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(0);
    vell::glFixedState(720, 540);
    glClearColor(0.25f, 0.25f, 0.25f, 0.0f);
    vell::RealGl gl;
    if (drawQuad) {
        static unsigned char pixels[16 * 16 * 4];
        for (int i = 0; i < 16 * 16; ++i)
            pixels[i * 4 + 1] = pixels[i * 4 + 3] = static_cast<unsigned char>(i);
        gl.bindTexture(gl.genTexture());
        gl.defineTexture(16, 16, pixels);
        gl.setNearest();
    }
    const float st[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    const float xy[8] = {8, 8, 24, 8, 24, 24, 8, 24};
    const auto period = std::chrono::milliseconds(50);
    for (bool open = true; open;) {
        const auto t0 = std::chrono::steady_clock::now();
        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (event.type == SDL_QUIT)
                open = false;
        glClear(GL_COLOR_BUFFER_BIT);
        if (drawQuad) {
            gl.color(255, 255, 255);
            gl.quad(st, xy);
        }
        SDL_GL_SwapWindow(window);
        const auto spent = std::chrono::steady_clock::now() - t0;
        if (spent < period)
            std::this_thread::sleep_for(period - spent);
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
