// The SDL keyboard in virtual-key codes. Plain integers in and out, so the mapping is tested
// without a window; the values are SDL's keycodes, scancodes and modifier bits.
#pragma once

#include <cstdint>

// A key that makes no event: any key while Alt is held, the Alt keys and F10 (system keys).
constexpr int32_t KEY_NO_EVENT = -1;

// The virtual-key code of an SDL key event, or KEY_NO_EVENT. Keypad keys follow the NumLock
// bit of `modifiers`: digit codes when on, navigation codes when off. Keys without a code of
// their own give VK_UNASSIGNED.
int32_t sdl_key_to_vk(int32_t keycode, int32_t scancode, uint32_t modifiers);
