// The Win32 window layer: the process entry, the window with its WGL context, and the pieces of
// it that tests check directly. Win32 types stay inside src/platform/win32.
#pragma once

#include <windows.h>

#include <cstdint>

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

// The outer corner of the window on a screen of the given size: the centre minus (240, 160),
// halves truncated toward zero; negative on a screen smaller than the window.
POINT win32_window_origin(int screen_width, int screen_height);
// The pixel format the window asks for: double-buffered RGBA, 24 colour bits, nothing else.
PIXELFORMATDESCRIPTOR win32_pixel_format_request();
// The registered window procedure: queues the message's event, then the default handling.
LRESULT CALLBACK win32_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Reports a start-up failure: one line on stderr, or a message box when there is no stderr.
void win32_report_failure(const char *what);

// The process entry: stores the instance, runs the game loop and returns its exit status.
int app_main(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show_command);
