// The window, its OpenGL context, the clock, presenting and the window's place on the screen.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <SDL.h>
#include <SDL_opengl.h>

#include "platform/platform.h"
#include "platform/scale.h"
#include "platform/sdl/sdl_platform.h"

MainWindow main_window = {};

namespace {

// What went wrong while the window was made, for the one line that reports it.
struct Failure {
    char text[256];
};

bool fail(Failure *failure, const char *what) {
    std::snprintf(failure->text, sizeof failure->text, "%s: %s", what, SDL_GetError());
    return false;
}

// Picks the window system the desktop offers. Left to itself SDL falls back to drawing into
// memory when there is none, and the game would run unseen.
bool choose_video_driver() {
    if (std::getenv("SDL_VIDEODRIVER") != nullptr) {
        return true;  // the user's explicit choice
    }
    const char *x11 = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    if (x11 != nullptr && *x11 != '\0') {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    } else if (wayland != nullptr && *wayland != '\0') {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
    } else {
        std::fputs("stakmir: cannot open the display: neither DISPLAY nor WAYLAND_DISPLAY is set\n", stderr);
        return false;
    }
    return true;
}

// A fixed-function context: OpenGL 2.1 compatible, double-buffered RGB, no depth or stencil.
void request_context() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

// The centred window at its scale (`scale`, lowered to fit on the screen, or the screen's when 0)
// with its current OpenGL context and the extension entry points. The frame is drawn at 480 by
// 320 in the lower left corner and enlarged when it is presented.
bool make_window(Failure *failure, int32_t scale) {
    SDL_Rect screen{};
    if (SDL_GetDisplayBounds(0, &screen) != 0) {
        return fail(failure, "cannot read the size of the screen");
    }
    main_window.scale = scale_choose(scale, screen.w, screen.h);
    const WindowOrigin origin = window_origin(screen.w, screen.h, main_window.scale);
    request_context();
    main_window.window = SDL_CreateWindow("Stakmir", screen.x + origin.left, screen.y + origin.top,
                                          WINDOW_WIDTH * main_window.scale, WINDOW_HEIGHT * main_window.scale,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN);
    if (main_window.window == nullptr) {
        return fail(failure, "cannot create the window");
    }
    main_window.left = screen.x + origin.left;
    main_window.top = screen.y + origin.top;
    set_window_icon(main_window.window);
    main_window.context = SDL_GL_CreateContext(main_window.window);
    if (main_window.context == nullptr) {
        return fail(failure, "cannot create the OpenGL context");
    }
    if (SDL_GL_MakeCurrent(main_window.window, main_window.context) != 0) {
        return fail(failure, "cannot make the OpenGL context current");
    }
    glViewport(0, 0, WINDOW_WIDTH, WINDOW_HEIGHT);
    swap_interval_proc = SDL_GL_SetSwapInterval;
    platform_find_s3tc(reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS)), SDL_GL_GetProcAddress);
    // An X error that nothing above noticed still means the window is not what it should be.
    if (const char *x_error = display_start_error(); x_error != nullptr) {
        std::snprintf(failure->text, sizeof failure->text, "cannot make the window: %s", x_error);
        return false;
    }
    return true;
}

// Says in one line when STAKMIR_SCALE asked for a window larger than the screen, which opened
// at the largest scale that fits instead.
void note_lowered_scale(int32_t asked) {
    SDL_Rect screen{};
    if (asked == 0 || asked == main_window.scale || SDL_GetDisplayBounds(0, &screen) != 0) {
        return;
    }
    char line[160];
    scale_lowered_note(asked, main_window.scale, screen.w, screen.h, line, sizeof line);
    std::fprintf(stderr, "stakmir: %s\n", line);
}

// Gamepads at the keyboard's own repeat. Without them the game still runs from the keyboard.
void start_gamepads() {
    uint32_t delay_ms = GAMEPAD_REPEAT_DELAY_MS;
    uint32_t interval_ms = GAMEPAD_REPEAT_INTERVAL_MS;
    keyboard_repeat(&delay_ms, &interval_ms);
    if (!sdl_gamepad_start(delay_ms, interval_ms)) {
        std::fprintf(stderr, "stakmir: gamepads cannot be used: %s\n", SDL_GetError());
    }
}

}  // namespace

HeldOutput hold_stderr() {
    std::fflush(stderr);
    FILE *file = std::tmpfile();
    const int saved_fd = file != nullptr ? dup(STDERR_FILENO) : -1;
    if (saved_fd < 0 || dup2(fileno(file), STDERR_FILENO) < 0) {
        if (file != nullptr) std::fclose(file);
        if (saved_fd >= 0) close(saved_fd);
        return HeldOutput{-1, nullptr};
    }
    return HeldOutput{saved_fd, file};
}

std::string release_stderr(HeldOutput held) {
    if (held.saved_fd < 0) {
        return {};
    }
    std::fflush(stderr);
    dup2(held.saved_fd, STDERR_FILENO);
    close(held.saved_fd);
    std::string text;
    std::rewind(held.file);
    for (int c = std::fgetc(held.file); c != EOF; c = std::fgetc(held.file)) {
        text += static_cast<char>(c);
    }
    std::fclose(held.file);
    return text;
}

// The last non-empty line of the held output, without its line end.
std::string last_line(const std::string &text) {
    const size_t end = text.find_last_not_of("\r\n");
    if (end == std::string::npos) {
        return {};
    }
    const size_t newline = text.rfind('\n', end);
    const size_t start = newline == std::string::npos ? 0 : newline + 1;
    return text.substr(start, end + 1 - start);
}

bool create_main_window() {
    std::atexit(shutdown_platform);
    const char *scale_setting = std::getenv("STAKMIR_SCALE");
    const int32_t scale = scale_parse(scale_setting);
    if (scale < 0) {
        char line[128];
        scale_setting_error(scale_setting, line, sizeof line);
        std::fprintf(stderr, "stakmir: %s\n", line);
        return false;
    }
    if (!choose_video_driver()) {
        return false;
    }
    watch_display_connection();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        const char *display = std::getenv("DISPLAY");
        std::fprintf(stderr, "stakmir: cannot open the display %s: %s\n", display != nullptr ? display : "",
                     SDL_GetError());
        return false;
    }
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);  // the pointer positions of the window system's own events
    Failure failure{};
    const HeldOutput held = hold_stderr();
    const bool made = make_window(&failure, scale);
    const std::string driver_output = release_stderr(held);
    if (!made) {
        const std::string driver_said = last_line(driver_output);
        std::fprintf(stderr, "stakmir: %s%s%s\n", failure.text, driver_said.empty() ? "" : "; the OpenGL library said: ",
                     driver_said.c_str());
        return false;
    }
    std::fputs(driver_output.c_str(), stderr);
    note_lowered_scale(scale);
    display_game_running();
    start_gamepads();
    return true;
}

// Each handle is cleared before it is released, so that a run of this routine that starts
// while another is under way (an exit from inside SDL) finds nothing left to release. SDL itself
// stays up until the process ends, which closes its display connection anyway: closing it here
// would unload the OpenGL driver, whose own start-up allocations would then look lost.
void shutdown_platform() {
    platform_audio_close();
    sdl_gamepad_stop();
    if (SDL_GLContext context = main_window.context; context != nullptr) {
        main_window.context = nullptr;
        SDL_GL_DeleteContext(context);
    }
    if (SDL_Window *window = main_window.window; window != nullptr) {
        main_window.window = nullptr;
        SDL_DestroyWindow(window);
    }
    event_queue_clear();
}

uint32_t platform_time_ms() {
    return SDL_GetTicks();
}

// The frame, drawn at 480 by 320, is enlarged to the largest whole scale the drawable holds:
// the window's own scale, or in fullscreen the screen's, centred on black.
void platform_swap_buffers() {
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(main_window.window, &width, &height);
    scale_present(&main_window.scale_texture, width, height, scale_fit(width, height));
    SDL_GL_SwapWindow(main_window.window);
}

void platform_report_failure(const char *what) {
    std::fprintf(stderr, "stakmir: %s\n", what);
}

// In screen pixels, so that a drag moves the window as far as the pointer went.
void platform_get_window_rect(WindowRect *rect) {
    *rect = WindowRect{main_window.left, main_window.top, main_window.left + WINDOW_WIDTH * main_window.scale,
                       main_window.top + WINDOW_HEIGHT * main_window.scale};
}

// The window system moves the window when it gets round to it; the loop's arithmetic goes on
// from the place asked for, which is where the window ends up. A fullscreen window stays put.
void platform_move_window(int32_t left, int32_t top, int32_t /*width*/, int32_t /*height*/) {
    if (main_window.fullscreen != 0) {
        return;
    }
    main_window.left = left;
    main_window.top = top;
    SDL_SetWindowPosition(main_window.window, left, top);
}

// Into fullscreen on the window's screen without changing the screen's mode, and back to the
// window's own place and size, which the window manager is told again in case it forgot them.
void toggle_fullscreen() {
    if (main_window.fullscreen == 0) {
        window_screen_position(&main_window.left, &main_window.top);
        if (SDL_SetWindowFullscreen(main_window.window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            std::fprintf(stderr, "stakmir: cannot switch to fullscreen: %s\n", SDL_GetError());
            return;
        }
        main_window.fullscreen = 1;
        return;
    }
    if (SDL_SetWindowFullscreen(main_window.window, 0) != 0) {
        std::fprintf(stderr, "stakmir: cannot leave fullscreen: %s\n", SDL_GetError());
        return;
    }
    main_window.fullscreen = 0;
    SDL_SetWindowSize(main_window.window, WINDOW_WIDTH * main_window.scale, WINDOW_HEIGHT * main_window.scale);
    SDL_SetWindowPosition(main_window.window, main_window.left, main_window.top);
}
