// The SDL platform's own state and helpers, shared by its source files only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include <SDL_events.h>
#include <SDL_gamecontroller.h>
#include <SDL_video.h>

#include "platform/gamepad.h"
#include "platform/sdl/sdl_input.h"

constexpr int SDL_MAX_GAMEPADS = 4;  // pads beyond these are not opened

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
    int32_t scale;        // the window's whole-number scale (its size is 480 by 320 times this)
    int32_t fullscreen;   // 1 while the window covers its screen
    uint32_t scale_texture;  // the texture each frame is enlarged through (0: none yet)
    SDL_GameController *pads[SDL_MAX_GAMEPADS];  // the open gamepads; null slots are free
    GamepadKeys pad_keys;    // the key messages the pads hold
};
extern MainWindow main_window;

constexpr int32_t WINDOW_WIDTH = 480;   // the window's size at scale 1
constexpr int32_t WINDOW_HEIGHT = 320;

// The window's corner for a screen of the given size: the centre less half the window, with the
// halves truncated (a 1365 pixel wide screen gives 682 - 240 = 442; a small screen gives < 0).
struct WindowOrigin {
    int32_t left;
    int32_t top;
};
constexpr WindowOrigin window_origin(int32_t screen_width, int32_t screen_height, int32_t scale = 1) {
    return WindowOrigin{screen_width / 2 - WINDOW_WIDTH / 2 * scale, screen_height / 2 - WINDOW_HEIGHT / 2 * scale};
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
// The keyboard's repeat delay and interval in milliseconds, read from the window system; false
// when it cannot tell.
bool keyboard_repeat(uint32_t *delay_ms, uint32_t *interval_ms);
// Switches between the window and fullscreen on the window's screen.
void toggle_fullscreen();
// Starts SDL's game controllers (and with them the pads already plugged in, which arrive as
// device events) and the mapping with the given key repeat; false with SDL's error when it cannot.
bool sdl_gamepad_start(uint32_t delay_ms, uint32_t interval_ms);
// Opens a pad that was plugged in or closes one that was pulled out; false for other events.
bool sdl_gamepad_event(const SDL_Event *event);
// Once a pass: the pads' merged state into key messages while the window is active; while it
// is not, every key the pads hold is released.
void sdl_gamepad_pass(bool active, uint32_t now);
// Closes every open pad.
void sdl_gamepad_stop();
// While the window and its context are made, and while the sound device is opened, what the
// libraries write to stderr is held back: on success it is passed on as it was, on failure its
// last line goes into the game's own line, so that a missing driver is one line that says so.
struct HeldOutput {
    int saved_fd;    // the real stderr, or -1 when nothing is held
    FILE *file;      // where stderr goes meanwhile
};
// Starts holding stderr back.
HeldOutput hold_stderr();
// Gives stderr back and returns what was written to it meanwhile.
std::string release_stderr(HeldOutput held);
// The last non-empty line of held output, without its line end.
std::string last_line(const std::string &text);
// Sets the window icon from the embedded pictures.
void set_window_icon(SDL_Window *window);
