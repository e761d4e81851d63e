// SDL key events in virtual-key codes. Letters follow the keyboard layout (the key labelled Q
// quits everywhere); the digit row and the keypad follow the physical key, as on the desktop
// the key codes come from.
#include <array>

#include <SDL_keyboard.h>

#include "platform/sdl/sdl_keymap.h"
#include "platform/vkeys.h"

namespace {

struct KeyPair {
    int32_t from;
    int32_t to;
};

// Keypad keys by scancode: the code with NumLock on, and with NumLock off.
struct KeypadKey {
    SDL_Scancode scancode;
    int32_t numlock_on;
    int32_t numlock_off;
};

constexpr std::array<KeypadKey, 11> KEYPAD_KEYS{{
    {SDL_SCANCODE_KP_0, VK_NUMPAD0 + 0, VK_INSERT},
    {SDL_SCANCODE_KP_1, VK_NUMPAD0 + 1, VK_END},
    {SDL_SCANCODE_KP_2, VK_NUMPAD0 + 2, VK_DOWN},
    {SDL_SCANCODE_KP_3, VK_NUMPAD0 + 3, VK_NEXT},
    {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4, VK_LEFT},
    {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5, VK_CLEAR},
    {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6, VK_RIGHT},
    {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7, VK_HOME},
    {SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8, VK_UP},
    {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9, VK_PRIOR},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, VK_DELETE},
}};

// Keys that keep their code whatever the layout and NumLock, by scancode.
constexpr std::array<KeyPair, 20> SCANCODE_KEYS{{
    {SDL_SCANCODE_1, '1'},
    {SDL_SCANCODE_2, '2'},
    {SDL_SCANCODE_3, '3'},
    {SDL_SCANCODE_4, '4'},
    {SDL_SCANCODE_5, '5'},
    {SDL_SCANCODE_6, '6'},
    {SDL_SCANCODE_7, '7'},
    {SDL_SCANCODE_8, '8'},
    {SDL_SCANCODE_9, '9'},
    {SDL_SCANCODE_0, '0'},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102},
    {SDL_SCANCODE_LGUI, VK_LWIN},
    {SDL_SCANCODE_RGUI, VK_RWIN},
    {SDL_SCANCODE_APPLICATION, VK_APPS},
}};

// The other named keys and the punctuation of a US layout, by keycode.
constexpr std::array<KeyPair, 46> KEYCODE_KEYS{{
    {SDLK_BACKSPACE, VK_BACK},
    {SDLK_TAB, VK_TAB},
    {SDLK_RETURN, VK_RETURN},
    {SDLK_LSHIFT, VK_SHIFT},
    {SDLK_RSHIFT, VK_SHIFT},
    {SDLK_LCTRL, VK_CONTROL},
    {SDLK_RCTRL, VK_CONTROL},
    {SDLK_PAUSE, VK_PAUSE},
    {SDLK_CAPSLOCK, VK_CAPITAL},
    {SDLK_ESCAPE, VK_ESCAPE},
    {SDLK_SPACE, VK_SPACE},
    {SDLK_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, VK_NEXT},
    {SDLK_END, VK_END},
    {SDLK_HOME, VK_HOME},
    {SDLK_LEFT, VK_LEFT},
    {SDLK_UP, VK_UP},
    {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},
    {SDLK_PRINTSCREEN, VK_SNAPSHOT},
    {SDLK_INSERT, VK_INSERT},
    {SDLK_DELETE, VK_DELETE},
    {SDLK_SCROLLLOCK, VK_SCROLL},
    {SDLK_F1, VK_F1},
    {SDLK_F2, VK_F1 + 1},
    {SDLK_F3, VK_F1 + 2},
    {SDLK_F4, VK_F1 + 3},
    {SDLK_F5, VK_F1 + 4},
    {SDLK_F6, VK_F1 + 5},
    {SDLK_F7, VK_F1 + 6},
    {SDLK_F8, VK_F1 + 7},
    {SDLK_F9, VK_F1 + 8},
    {SDLK_F11, VK_F1 + 10},
    {SDLK_F12, VK_F1 + 11},
    {SDLK_SEMICOLON, VK_OEM_1},
    {SDLK_EQUALS, VK_OEM_PLUS},
    {SDLK_COMMA, VK_OEM_COMMA},
    {SDLK_MINUS, VK_OEM_MINUS},
    {SDLK_PERIOD, VK_OEM_PERIOD},
    {SDLK_SLASH, VK_OEM_2},
    {SDLK_BACKQUOTE, VK_OEM_3},
    {SDLK_LEFTBRACKET, VK_OEM_4},
    {SDLK_BACKSLASH, VK_OEM_5},
    {SDLK_RIGHTBRACKET, VK_OEM_6},
    {SDLK_QUOTE, VK_OEM_7},
    {SDLK_LESS, VK_OEM_102},
}};

template <size_t N>
int32_t find_key(const std::array<KeyPair, N> &table, int32_t from) {
    for (const KeyPair &pair : table) {
        if (pair.from == from) {
            return pair.to;
        }
    }
    return KEY_NO_EVENT;
}

bool is_system_key(int32_t keycode, uint32_t modifiers) {
    return (modifiers & KMOD_ALT) != 0 || keycode == SDLK_LALT || keycode == SDLK_RALT ||
           keycode == SDLK_MODE || keycode == SDLK_F10;
}

}  // namespace

int32_t sdl_key_to_vk(int32_t keycode, int32_t scancode, uint32_t modifiers) {
    if (is_system_key(keycode, modifiers)) {
        return KEY_NO_EVENT;
    }
    for (const KeypadKey &key : KEYPAD_KEYS) {
        if (key.scancode == scancode) {
            return (modifiers & KMOD_NUM) != 0 ? key.numlock_on : key.numlock_off;
        }
    }
    if (int32_t code = find_key(SCANCODE_KEYS, scancode); code != KEY_NO_EVENT) {
        return code;
    }
    if (keycode >= SDLK_a && keycode <= SDLK_z) {
        return 'A' + (keycode - SDLK_a);
    }
    if (int32_t code = find_key(KEYCODE_KEYS, keycode); code != KEY_NO_EVENT) {
        return code;
    }
    return VK_UNASSIGNED;
}
