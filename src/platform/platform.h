// The program's contact with the desktop: the window, its OpenGL context, the clock and the
// event pump. No window-system type appears here; the SDL layer keeps its own.
#pragma once

#include <cstdint>

#include "game/loop.h"
#include "platform/events.h"

// Optional OpenGL entry points, looked up when the window's context is made; null when absent.
using SwapIntervalProc = int (*)(int interval);
using CompressedTexImage2DProc = void (*)(uint32_t target, int32_t level, uint32_t internal_format,
                                          int32_t width, int32_t height, int32_t border,
                                          int32_t image_size, const void *data);
using CompressedTexSubImage2DProc = void (*)(uint32_t target, int32_t level, int32_t x, int32_t y,
                                             int32_t width, int32_t height, uint32_t format,
                                             int32_t image_size, const void *data);
extern SwapIntervalProc swap_interval_proc;
extern CompressedTexImage2DProc compressed_tex_image_2d_proc;
extern CompressedTexSubImage2DProc compressed_tex_sub_image_2d_proc;

// Looks up the compressed-texture entry points when the extension string names
// "GL_EXT_texture_compression_s3tc" (a null string names nothing).
void platform_find_s3tc(const char *extensions, void *(*lookup)(const char *name));

// Makes the window, its context and the extension entry points. On failure writes one line
// naming what failed to stderr and returns false.
bool create_main_window();
// Ends the clock period, destroys the window and frees queued events; safe to run twice.
void shutdown_platform();

// Takes pending window messages into the queue, then hands over the oldest event:
// 1 and a filled event, or 0 with event->type = EVENT_NONE.
int poll_event(AppEvent *event);
// Waits until a window message arrives or `milliseconds` have passed.
void platform_wait_event(uint32_t milliseconds);
// The millisecond clock.
uint32_t platform_time_ms();
// Presents the finished frame.
void platform_swap_buffers();
// The hooks the loop uses to read and move the window and to draw and present frames.
LoopHooks platform_loop_hooks();
