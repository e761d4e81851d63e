// The message pump: SDL events through the adapter into window_proc, the queue handed out one
// event at a time, and the wait for the next event or deadline.
#include <algorithm>
#include <climits>

#include <SDL.h>

#include "platform/platform.h"
#include "platform/sdl/sdl_platform.h"

namespace {

// While the left button is held the pointer is read at least this often, as a drag may bring
// no events.
constexpr uint32_t DRAG_POLL_MS = 10;

bool dragging() {
    return (main_window.input.mk_buttons & MK_LBUTTON) != 0 && main_window.fullscreen == 0;
}

void send(const PlatformMessage &message) {
    window_proc(main_window.window, message.message, message.wparam, message.lparam);
}

// Mouse messages carry the pointer's true screen position less the window's corner as the loop
// knows it, so that the loop's corner + client position gives back the screen position.
void client_position(int32_t *x, int32_t *y) {
    int32_t screen_x = 0;
    int32_t screen_y = 0;
    uint32_t buttons = 0;
    pointer_screen_state(&screen_x, &screen_y, &buttons);
    *x = screen_x - main_window.left;
    *y = screen_y - main_window.top;
}

// The client position of a pointer event: where the window system saw the pointer when the
// event happened (a press is the drag's anchor, however far the pointer has gone since), or,
// without that, where it is now.
void event_client_position(int32_t *x, int32_t *y) {
    if (main_window.event_pointer_valid == 0) {
        client_position(x, y);
        return;
    }
    *x = main_window.event_pointer_x - main_window.left;
    *y = main_window.event_pointer_y - main_window.top;
}

// Translates one SDL event; returns the message sent, or 0 when none was.
uint32_t dispatch(const SDL_Event &event) {
    int32_t x = 0;
    int32_t y = 0;
    if (pointer_event_position(&event, &x, &y)) {
        main_window.event_pointer_valid = 1;
        main_window.event_pointer_x = x;
        main_window.event_pointer_y = y;
        return 0;
    }
    if (sdl_gamepad_event(&event)) {
        return 0;
    }
    if (const int fullscreen = input_fullscreen_key(&main_window.input, &event); fullscreen != 0) {
        if (fullscreen > 0) {
            toggle_fullscreen();
        }
        return 0;
    }
    if (input_is_pointer_event(&event) != 0) {
        const bool grip = event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT;
        if (grip && main_window.fullscreen == 0) {
            // A new drag starts from where the window really is, whoever moved it last. In
            // fullscreen nothing drags, and the corner is kept for the way back.
            window_screen_position(&main_window.left, &main_window.top);
        }
        event_client_position(&x, &y);
        if (grip) {
            main_window.grip_x = x;
            main_window.grip_y = y;
        }
    }
    PlatformMessage message{};
    if (input_translate(&main_window.input, &event, x, y, &message) == 0) {
        return 0;
    }
    send(message);
    return message.message;
}

// During a drag the window trails the pointer whenever the pointer is away from the grip: the
// loop moves the window for one mouse move per pass and drops the rest, and the window system
// sends no motion for a pointer that stands still while the window still has to catch up. So
// at the start of every pass the pointer's position is sent again while it is away from the grip.
void catch_up_drag() {
    if (!dragging() || main_window.window == nullptr) {
        return;
    }
    int32_t x = 0;
    int32_t y = 0;
    client_position(&x, &y);
    if (x != main_window.grip_x || y != main_window.grip_y) {
        send(PlatformMessage{WM_MOUSEMOVE, main_window.input.mk_buttons, message_pack_point(x, y)});
    }
}

}  // namespace

int poll_event(AppEvent *event) {
    const bool new_pass = main_window.drained != 0;
    main_window.drained = 0;
    SDL_Event sdl_event;
    while (SDL_PollEvent(&sdl_event) != 0) {
        const uint32_t message = dispatch(sdl_event);
        if (message == WM_CLOSE || message == WM_QUIT) {
            event->type = EVENT_CLOSE;  // at once; the queued record follows in its turn
            return 1;
        }
    }
    if (new_pass) {
        catch_up_drag();
        sdl_gamepad_pass(main_window.input.active != 0, SDL_GetTicks());
    }
    const int delivered = event_queue_pop(event);
    main_window.drained = delivered == 0 ? 1 : 0;
    return delivered;
}

void platform_wait_event(uint32_t milliseconds) {
    if (dragging()) {
        milliseconds = std::min(milliseconds, DRAG_POLL_MS);
    }
    if (milliseconds == 0) {
        return;
    }
    const int timeout = milliseconds >= static_cast<uint32_t>(INT_MAX) ? -1 : static_cast<int>(milliseconds);
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE) {
        return;
    }
    if (!wait_for_window_system(timeout)) {
        SDL_WaitEventTimeout(nullptr, timeout);
    }
}
