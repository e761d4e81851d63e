// SDL events in window messages: the adapter between SDL and window_proc. Pure apart from the
// small state it keeps, so every translation is tested with made-up events and no window.
#pragma once

#include <cstdint>

#include <SDL_events.h>

#include "platform/messages.h"

// One window message for window_proc.
struct PlatformMessage {
    uint32_t message;
    MessageWParam wparam;
    MessageLParam lparam;
};

// What the adapter remembers between events.
struct InputState {
    int32_t active;       // 1 while the window has the keyboard focus
    uint32_t mk_buttons;  // MK_ flags of the mouse buttons held, from the button events
    int32_t toggle_scancode;  // the key whose press switched fullscreen, until it is released (0: none)
};

// Translates one SDL event into at most one message; returns 1 when `out` was filled.
// Mouse messages carry (client_x, client_y), which the caller takes from the pointer's screen
// position and the window's position (signed, 16 bits each) rather than from the event.
int input_translate(InputState *input, const SDL_Event *event, int32_t client_x, int32_t client_y,
                    PlatformMessage *out);
// The fullscreen switch: Alt+Enter (main or keypad Enter) and F11. 1 when a key event switches,
// -1 when it belongs to a switch and makes no message (its repeats and its release, also after
// Alt was let go first), 0 for every other event.
int input_fullscreen_key(InputState *input, const SDL_Event *event);
// 1 when the event is a mouse motion or a button event, whose position the caller supplies.
int input_is_pointer_event(const SDL_Event *event);
