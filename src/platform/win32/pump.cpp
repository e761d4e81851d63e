// The message pump, the window procedure, the clock, presenting and the window's place.
#include "platform/win32/win32_platform.h"

#include <mmsystem.h>

#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/scale.h"

namespace {

// While the left button is held, the pointer is read at least this often: a drag may bring no
// messages while the window still has to catch up with the pointer.
constexpr DWORD DRAG_POLL_MS = 10;

bool queue_drained = false;  // the last poll found nothing, so the next one begins a pass
POINT grip{};                // client position of the pointer when the left button went down

bool dragging() {
    return main_window != nullptr && GetCapture() == main_window;
}

bool is_repeat(LPARAM lparam) {
    return (static_cast<uintptr_t>(lparam) & (1u << 30)) != 0;  // the key was down already
}

// Alt+Enter and F11 switch fullscreen; they and the keys that belong to them (repeats, releases,
// the character Alt+Enter makes) go no further: no key event, no beep of the default handling.
// Returns true when the message was one of them.
bool fullscreen_key(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_KEYDOWN:
        if (wparam != VK_F11) {
            return false;
        }
        if (!is_repeat(lparam)) {
            win32_toggle_fullscreen();
        }
        return true;
    case WM_SYSKEYDOWN:
        if (wparam != VK_RETURN) {
            return false;
        }
        if (!is_repeat(lparam)) {
            win32_toggle_fullscreen();
        }
        main_view.enter_toggled = 1;
        return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (wparam == VK_F11) {
            return true;
        }
        if (wparam == VK_RETURN && main_view.enter_toggled != 0) {
            main_view.enter_toggled = 0;  // also when Alt was let go first
            return true;
        }
        return false;
    case WM_SYSCHAR:
        return wparam == '\r';
    default:
        return false;
    }
}

// The loop moves the window for one mouse move per pass and drops the rest, and a pointer that
// stands still sends none. So at the start of every pass of a drag, the pointer's position is
// sent again while the window has not caught up with it (the pointer is away from the grip).
void catch_up_drag() {
    POINT pointer{};
    if (!dragging() || !GetCursorPos(&pointer) || !ScreenToClient(main_window, &pointer)) {
        return;
    }
    if (pointer.x != grip.x || pointer.y != grip.y) {
        const auto x = static_cast<WORD>(pointer.x);
        const auto y = static_cast<WORD>(pointer.y);
        window_proc(main_window, WM_MOUSEMOVE, MK_LBUTTON, static_cast<LPARAM>(MAKELONG(x, y)));
    }
}

}  // namespace

LRESULT CALLBACK win32_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (fullscreen_key(message, wparam, lparam)) {
        return 0;
    }
    if (message == WM_ACTIVATE) {
        main_view.active = LOWORD(wparam) != WA_INACTIVE ? 1 : 0;
    }
    // The game's client area is 480 by 320 game pixels, however large the window shows it.
    const LPARAM game_lparam =
        message == WM_SIZE && wparam != SIZE_MINIMIZED ? MAKELPARAM(WIN32_CLIENT_WIDTH, WIN32_CLIENT_HEIGHT) : lparam;
    // Queued before the default handling, so messages it sends in turn are queued after this one.
    window_proc(window, message, wparam, game_lparam);
    if (message == WM_CLOSE) {
        // The game answers a close request by quitting; shutdown_platform then destroys the
        // window in order, instead of the default handling destroying it under the running loop.
        return 0;
    }
    // While the left button is held the window keeps the pointer, so that a drag faster than
    // the window can follow still reports where the pointer is, outside the client area too.
    if (message == WM_LBUTTONDOWN && main_view.fullscreen == 0) {
        grip = POINT{static_cast<int16_t>(LOWORD(lparam)), static_cast<int16_t>(HIWORD(lparam))};
        SetCapture(window);
    } else if (message == WM_LBUTTONUP) {
        ReleaseCapture();
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
    if (queue_drained) {
        catch_up_drag();
        win32_gamepad_pass(timeGetTime());
    }
    const int delivered = event_queue_pop(event);
    queue_drained = delivered == 0;
    return delivered;
}

void platform_wait_event(uint32_t milliseconds) {
    if (dragging() && milliseconds > DRAG_POLL_MS) {
        milliseconds = DRAG_POLL_MS;
    }
    // Returns early for any message that arrives after the last look at the queue.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
}

uint32_t platform_time_ms() {
    return timeGetTime();
}

// The frame, drawn at 480 by 320, is enlarged to the largest whole scale the client area holds:
// the window's own scale, or in fullscreen the monitor's, centred on black.
void platform_swap_buffers() {
    RECT client{};
    GetClientRect(main_window, &client);
    scale_present(&main_view.scale_texture, client.right, client.bottom, scale_fit(client.right, client.bottom));
    SwapBuffers(main_dc);
}

void platform_get_window_rect(WindowRect *rect) {
    RECT outer{};
    GetWindowRect(main_window, &outer);
    *rect = WindowRect{outer.left, outer.top, outer.right, outer.bottom};
}

// A fullscreen window stays put.
void platform_move_window(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (main_view.fullscreen == 0) {
        MoveWindow(main_window, left, top, width, height, TRUE);
    }
}
