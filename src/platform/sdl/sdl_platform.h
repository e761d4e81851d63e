// The SDL platform's own state and helpers, shared by its source files only.
#pragma once

#include <cstdint>

#include <SDL_events.h>
#include <SDL_video.h>

#include "platform/sdl/sdl_input.h"

// The game window and everything that belongs to it. `window` is null before the window is
// made and after shutdown.
struct MainWindow {
    SDL_Window *window;
    SDL_GLContext context;
    int32_t left;         // where the window's corner is on the screen, as last placed or read
    int32_t top;
    InputState input;
    int32_t event_pointer_valid;  // 1 once the window system has reported a pointer event
    int32_t event_pointer_x;      // the pointer's screen position in the latest such event
    int32_t event_pointer_y;
    int32_t drained;      // 1 once poll_event has reported an empty queue: the next call starts a pass
    int32_t grip_x;       // where in the window the left button went down: a drag keeps the
    int32_t grip_y;       // pointer there, and while it is elsewhere the window has to catch up
};
extern MainWindow main_window;

constexpr int32_t WINDOW_WIDTH = 480;
constexpr int32_t WINDOW_HEIGHT = 320;

// The window's corner for a screen of the given size: the centre less half the window, with the
// halves truncated (a 1365 pixel wide screen gives 682 - 240 = 442; a small screen gives < 0).
struct WindowOrigin {
    int32_t left;
    int32_t top;
};
constexpr WindowOrigin window_origin(int32_t screen_width, int32_t screen_height) {
    return WindowOrigin{screen_width / 2 - WINDOW_WIDTH / 2, screen_height / 2 - WINDOW_HEIGHT / 2};
}

// The pointer's position on the screen and the MK_ flags of the buttons held, read from the
// window system at the moment of the call.
void pointer_screen_state(int32_t *x, int32_t *y, uint32_t *mk_buttons);
// The screen position of the pointer in a window-system event passed on by SDL (a button press
// or release or a motion); false for other events and other window systems.
bool pointer_event_position(const SDL_Event *event, int32_t *x, int32_t *y);
// The window's corner on the screen, read from the window system at the moment of the call.
void window_screen_position(int32_t *left, int32_t *top);
// Waits until the window system has input or `timeout_ms` have passed (-1: no limit); false
// when the window system cannot be waited on directly.
bool wait_for_window_system(int timeout_ms);
// Watches the display connection for the whole run, from before it is opened: an X error while
// the window is being made is remembered for display_start_error; once display_game_running
// has been called, an X error or a broken connection ends the program with one line on stderr
// and status 1.
void watch_display_connection();
// The first X error since watch_display_connection, as one line, or null when there was none.
const char *display_start_error();
// The window is made: from now on any X error ends the program.
void display_game_running();
// Sets the window icon from the embedded pictures.
void set_window_icon(SDL_Window *window);
