// What every platform layer offers the program: the window and its OpenGL context, the clock,
// presenting, the window's place on the screen, the event pump and the sound device. Each
// platform (sdl/, win32/, web/) implements these plain functions; none of them knows the program
// or the rules. No window-system type appears here.
#pragma once

#include <cstdint>

#include "platform/events.h"

// The window's outer rectangle in screen coordinates.
struct WindowRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The swap-interval entry point, looked up when the window's context is made; null when absent.
using SwapIntervalProc = int (*)(int interval);
extern SwapIntervalProc swap_interval_proc;

// Looks up the compressed-texture entry points that the textures upload through
// (compressed_tex_image_2d_proc and compressed_tex_sub_image_2d_proc of assets/assets.h) when
// the extension string names "GL_EXT_texture_compression_s3tc"; a null string names nothing.
void platform_find_s3tc(const char *extensions, void *(*lookup)(const char *name));

// Makes the window, its context and the extension entry points. On failure writes one line
// naming what failed and returns false.
bool create_main_window();
// Ends the clock period, destroys the window and frees queued events; safe to run twice.
void shutdown_platform();
// Tells the player in one line that the program cannot go on (stderr, or the platform's own way).
void platform_report_failure(const char *what);

// Takes pending window messages into the queue, then hands over the oldest event:
// 1 and a filled event, or 0 with event->type = EVENT_NONE.
int poll_event(AppEvent *event);
// Waits until a window message arrives or `milliseconds` have passed.
void platform_wait_event(uint32_t milliseconds);
// The millisecond clock.
uint32_t platform_time_ms();
// Presents the finished frame.
void platform_swap_buffers();
// Reads the window's outer rectangle.
void platform_get_window_rect(WindowRect *rect);
// Moves the window so that its outer rectangle starts at (left, top) with the given size.
void platform_move_window(int32_t left, int32_t top, int32_t width, int32_t height);

// Fills `out` with the next `frames` mono 16-bit samples. The sound device calls it, on the
// desktop from a thread of its own while it holds the lock of platform_audio_lock.
using AudioPull = void (*)(void *context, int16_t *out, uint32_t frames);
// Opens the sound device for mono 16-bit samples at `rate` frames a second and starts pulling
// them from `pull`, a few milliseconds ahead of what is heard. Without a device it says so in
// one line on stderr (where there is one) and returns false: the game plays silently.
bool platform_audio_open(uint32_t rate, AudioPull pull, void *context);
// Keeps the device from pulling until platform_audio_unlock, while the program changes what it pulls.
void platform_audio_lock();
void platform_audio_unlock();
// Stops and closes the device: nothing is pulled any more. Safe to run twice, and without a device.
void platform_audio_close();

// The program's body, supplied by the program: a platform whose process entry is its own
// (WinMain on Windows) calls it and returns its result as the exit status.
int run_game_loop();
