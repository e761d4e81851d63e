// The Win32 window layer: the process entry, the window with its WGL context, and the pieces of
// it that tests check directly. Win32 types stay inside src/platform/win32.
#pragma once

#include <windows.h>
#include <xinput.h>

#include <cstdint>

#include "platform/gamepad.h"

// The module instance handle given to the entry; used for the window class, icon and window.
extern HINSTANCE app_instance;
// The game window; null before create_main_window and after shutdown_platform.
extern HWND main_window;
// The window's own device context (CS_OWNDC), used for every SwapBuffers.
extern HDC main_dc;

// Window class and title.
constexpr char WIN32_WINDOW_CLASS[] = "Stakmir";
// WS_POPUP | WS_VISIBLE | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX: no title bar, a thin border.
constexpr DWORD WIN32_WINDOW_STYLE = 0x908A0000u;
constexpr int WIN32_CLIENT_WIDTH = 480;
constexpr int WIN32_CLIENT_HEIGHT = 320;

// WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX: the fullscreen window, without the border.
constexpr DWORD WIN32_FULLSCREEN_STYLE = 0x900A0000u;

// The window's size and fullscreen state.
struct Win32View {
    int32_t scale;           // whole-number scale: the client area is 480 by 320 times this
    int32_t fullscreen;      // 1 while the window covers its monitor
    RECT windowed;           // the outer rectangle to go back to from fullscreen
    uint32_t scale_texture;  // the texture each frame is enlarged through (0: none yet)
    int32_t active;          // 1 while the window is the active window
    int32_t enter_toggled;   // 1 from an Alt+Enter until that Enter is released
};
extern Win32View main_view;

// XInput's state query, looked up at run time: the program starts without any XInput DLL.
using XInputGetStateProc = DWORD(WINAPI *)(DWORD user, XINPUT_STATE *state);
// The XInput pads and the key messages they hold.
struct Win32Gamepads {
    HMODULE library;               // the XInput DLL, or null
    XInputGetStateProc get_state;  // null without XInput
    uint32_t connected;            // bit n: user slot n had a pad at the last look
    uint32_t next_search;          // clock of the next look at the slots without a pad
    GamepadKeys keys;
};
extern Win32Gamepads main_gamepads;

// The outer corner of the window on a screen of the given size: the centre minus half the
// client area (240 by 160 times the scale), halves truncated toward zero; negative on a screen
// smaller than the window.
POINT win32_window_origin(int screen_width, int screen_height, int scale = 1);
// Switches between the window and fullscreen on the window's monitor.
void win32_toggle_fullscreen();
// Loads XInput (xinput1_4, 1_3 or 9_1_0) and starts the mapping at the keyboard's own repeat;
// false when there is no XInput, and the game runs from the keyboard alone.
bool win32_gamepad_start();
// One XInput pad in the mapping's terms.
GamepadState win32_gamepad_state(const XINPUT_GAMEPAD &pad);
// Once a pass: the pads into key messages while the window is active; every held key released
// while it is not. Slots without a pad are looked at only every few seconds, as XInput is slow
// to answer for them.
void win32_gamepad_pass(uint32_t now);
// Frees XInput again.
void win32_gamepad_stop();
// The pixel format the window asks for: double-buffered RGBA, 24 colour bits, nothing else.
PIXELFORMATDESCRIPTOR win32_pixel_format_request();
// The registered window procedure: queues the message's event, then the default handling.
LRESULT CALLBACK win32_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Reports a start-up failure: one line on stderr, or a message box when there is no stderr.
void win32_report_failure(const char *what);

// The process entry: stores the instance, runs the game loop and returns its exit status.
int app_main(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show_command);
