// The message pump, the window procedure, the clock, presenting and the window hooks of the loop.
#include "platform/win32/win32_platform.h"

#include <mmsystem.h>

#include "platform/messages.h"
#include "platform/platform.h"
#include "render/render.h"

namespace {

void read_window_rect(void * /*context*/, WindowRect *rect) {
    RECT outer{};
    GetWindowRect(main_window, &outer);
    *rect = WindowRect{outer.left, outer.top, outer.right, outer.bottom};
}

void move_window(void * /*context*/, int32_t left, int32_t top, int32_t width, int32_t height) {
    MoveWindow(main_window, left, top, width, height, TRUE);
}

void present_frame(void * /*context*/, const GameState *state) {
    render_frame(state);
    platform_swap_buffers();
}

}  // namespace

LRESULT CALLBACK win32_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    // Queued before the default handling, so messages it sends in turn are queued after this one.
    window_proc(window, message, wparam, lparam);
    if (message == WM_CLOSE) {
        // The game answers a close request by quitting; shutdown_platform then destroys the
        // window in order, instead of the default handling destroying it under the running loop.
        return 0;
    }
    if (message == WM_SYSCOMMAND && (wparam & 0xFFF0u) == SC_KEYMENU && lparam == 0) {
        // F10 or a lone Alt would enter the menu mode of a window that has no menu bar: a modal
        // loop that stops the game until a further key, which it then swallows.
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

int poll_event(AppEvent *event) {
    MSG message;
    while (main_window != nullptr && PeekMessageA(&message, main_window, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (message.message == WM_QUIT || message.message == WM_CLOSE) {
            // Answered at once, ahead of older events; the queued close follows in its turn.
            event->type = EVENT_CLOSE;
            return 1;
        }
    }
    return event_queue_pop(event);
}

void platform_wait_event(uint32_t milliseconds) {
    // Returns early for any message that arrives after the last look at the queue.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
}

uint32_t platform_time_ms() {
    return timeGetTime();
}

void platform_swap_buffers() {
    SwapBuffers(main_dc);
}

LoopHooks platform_loop_hooks() {
    return LoopHooks{nullptr, read_window_rect, move_window, present_frame};
}
