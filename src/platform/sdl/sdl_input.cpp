// The adapter from SDL events to window messages.
#include "platform/sdl/sdl_input.h"

#include "platform/sdl/sdl_keymap.h"

namespace {

constexpr int32_t GAME_CLIENT_WIDTH = 480;
constexpr int32_t GAME_CLIENT_HEIGHT = 320;

uint32_t mk_flag(uint8_t button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return MK_LBUTTON;
    case SDL_BUTTON_MIDDLE:
        return MK_MBUTTON;
    case SDL_BUTTON_RIGHT:
        return MK_RBUTTON;
    default:
        return 0;
    }
}

int emit(PlatformMessage *out, uint32_t message, MessageWParam wparam, MessageLParam lparam) {
    *out = PlatformMessage{message, wparam, lparam};
    return 1;
}

int translate_key(const SDL_KeyboardEvent &key, PlatformMessage *out) {
    // Alt+F4 asks to close the window, as desktops have it; a window manager that takes the
    // keys for itself sends the close request instead, and then the game never sees them.
    if (key.type == SDL_KEYDOWN && key.keysym.sym == SDLK_F4 && (key.keysym.mod & KMOD_ALT) != 0) {
        return emit(out, WM_CLOSE, 0, 0);
    }
    const int32_t code = sdl_key_to_vk(key.keysym.sym, key.keysym.scancode, key.keysym.mod);
    if (code == KEY_NO_EVENT) {
        return 0;
    }
    return emit(out, key.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, static_cast<MessageWParam>(code), 0);
}

// Focus changes become activation messages only when the activation really changes.
int translate_focus(InputState *input, int32_t active, PlatformMessage *out) {
    if (input->active == active) {
        return 0;
    }
    input->active = active;
    return emit(out, WM_ACTIVATE, active != 0 ? WA_ACTIVE : WA_INACTIVE, 0);
}

int translate_window(InputState *input, const SDL_WindowEvent &window, PlatformMessage *out) {
    switch (window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        return translate_focus(input, 1, out);
    case SDL_WINDOWEVENT_FOCUS_LOST:
        return translate_focus(input, 0, out);
    case SDL_WINDOWEVENT_EXPOSED:
        return emit(out, WM_PAINT, 0, 0);
    case SDL_WINDOWEVENT_CLOSE:
        return emit(out, WM_CLOSE, 0, 0);
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        // The game's client area is 480 by 320 game pixels however large the window shows it.
        return emit(out, WM_SIZE, 0, message_pack_point(GAME_CLIENT_WIDTH, GAME_CLIENT_HEIGHT));
    default:
        return 0;
    }
}

int translate_button(InputState *input, const SDL_MouseButtonEvent &button, MessageLParam point,
                     PlatformMessage *out) {
    const uint32_t flag = mk_flag(button.button);
    if (button.type == SDL_MOUSEBUTTONDOWN) {
        input->mk_buttons |= flag;
    } else {
        input->mk_buttons &= ~flag;
    }
    if (button.button != SDL_BUTTON_LEFT) {
        return 0;  // other buttons show only in the flags of later messages
    }
    if (button.type == SDL_MOUSEBUTTONDOWN) {
        return emit(out, WM_LBUTTONDOWN, input->mk_buttons, point);
    }
    return emit(out, WM_LBUTTONUP, input->mk_buttons, point);
}

}  // namespace

int input_fullscreen_key(InputState *input, const SDL_Event *event) {
    if (event->type != SDL_KEYDOWN && event->type != SDL_KEYUP) {
        return 0;
    }
    const SDL_Keysym &key = event->key.keysym;
    if (event->type == SDL_KEYUP) {
        if (input->toggle_scancode == 0 || key.scancode != input->toggle_scancode) {
            return 0;
        }
        input->toggle_scancode = 0;
        return -1;
    }
    const bool enter = key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER;
    if (key.sym != SDLK_F11 && !(enter && (key.mod & KMOD_ALT) != 0)) {
        return 0;
    }
    if (event->key.repeat != 0) {
        return -1;
    }
    input->toggle_scancode = key.scancode;
    return 1;
}

int input_is_pointer_event(const SDL_Event *event) {
    return event->type == SDL_MOUSEMOTION || event->type == SDL_MOUSEBUTTONDOWN ||
           event->type == SDL_MOUSEBUTTONUP;
}

int input_translate(InputState *input, const SDL_Event *event, int32_t client_x, int32_t client_y,
                    PlatformMessage *out) {
    const MessageLParam point = message_pack_point(client_x, client_y);
    switch (event->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return translate_key(event->key, out);
    case SDL_WINDOWEVENT:
        return translate_window(input, event->window, out);
    case SDL_MOUSEMOTION:
        return emit(out, WM_MOUSEMOVE, input->mk_buttons, point);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return translate_button(input, event->button, point, out);
    case SDL_QUIT:
        return emit(out, WM_QUIT, 0, 0);
    default:
        return 0;
    }
}
