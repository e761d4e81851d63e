// The baseline of the start-up figures: the least an SDL2 program can do to show the same
// window (480 by 320, borderless, centred, double-buffered OpenGL without depth) and present
// a given number of frames at the game's pace of one every 17 ms, clearing each one.
//   startup_minimal [FRAMES [SCALE]]: SCALE makes the window SCALE times as large each way.
#include <cstdio>
#include <cstdlib>

#include <SDL.h>
#include <SDL_opengl.h>

int main(int argc, char **argv) {
    const long frames = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1;
    const int scale = argc > 2 ? static_cast<int>(std::strtol(argv[2], nullptr, 10)) : 1;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "minimal: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Rect screen{};
    SDL_GetDisplayBounds(0, &screen);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_Window *window = SDL_CreateWindow("Minimal", screen.w / 2 - 240 * scale, screen.h / 2 - 160 * scale,
                                          480 * scale, 320 * scale,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
    if (context == nullptr) {
        std::fprintf(stderr, "minimal: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(1);
    Uint32 next = SDL_GetTicks();
    for (long frame = 0; frame < frames; ++frame) {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
        }
        glClearColor(0.2f, 0.3f, 0.6f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapWindow(window);
        next += 17;
        const Uint32 now = SDL_GetTicks();
        if (static_cast<Sint32>(next - now) > 0) {
            SDL_Delay(next - now);
        }
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
