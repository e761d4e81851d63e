// Window messages as the window procedure receives them: the message numbers and flag values
// of the desktop platform the program was first written for, which the SDL adapter reproduces.
// Each group is guarded so the header also builds beside a system header that defines them.
#pragma once

#include <cstdint>

#ifndef WM_SIZE
constexpr uint32_t WM_SIZE = 0x0005;         // the client area changed size; lParam = width | height << 16
constexpr uint32_t WM_ACTIVATE = 0x0006;     // activation changed; low word of wParam 0 = inactive
constexpr uint32_t WM_PAINT = 0x000F;        // the window must be repainted
constexpr uint32_t WM_CLOSE = 0x0010;        // the window is asked to close
constexpr uint32_t WM_QUIT = 0x0012;         // the application is asked to quit
constexpr uint32_t WM_KEYDOWN = 0x0100;      // a key went down (or repeated); wParam = virtual-key code
constexpr uint32_t WM_KEYUP = 0x0101;        // a key went up; wParam = virtual-key code
constexpr uint32_t WM_MOUSEMOVE = 0x0200;    // the pointer moved; wParam = MK_ flags, lParam = x | y << 16
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;  // the left button went down; as WM_MOUSEMOVE
constexpr uint32_t WM_LBUTTONUP = 0x0202;    // the left button went up; as WM_MOUSEMOVE
#endif

#ifndef MK_LBUTTON
constexpr uint32_t MK_LBUTTON = 0x0001;  // wParam flag of mouse messages: left button held
constexpr uint32_t MK_RBUTTON = 0x0002;  // right button held
constexpr uint32_t MK_MBUTTON = 0x0010;  // middle button held
#endif

#ifndef WA_INACTIVE
constexpr uint32_t WA_INACTIVE = 0;     // WM_ACTIVATE state: deactivated
constexpr uint32_t WA_ACTIVE = 1;       // activated other than by a click
constexpr uint32_t WA_CLICKACTIVE = 2;  // activated by a mouse click
#endif

// Message parameters: an unsigned and a signed word as wide as a pointer.
using MessageWParam = uintptr_t;
using MessageLParam = intptr_t;

// Packs a point into lParam the way mouse messages carry it: x in the low 16 bits, y in the next 16.
constexpr MessageLParam message_pack_point(int32_t x, int32_t y) {
    return static_cast<MessageLParam>((static_cast<uint32_t>(x) & 0xFFFFu) |
                                      ((static_cast<uint32_t>(y) & 0xFFFFu) << 16));
}

// The window procedure: turns the messages the game cares about into queued events and
// ignores the rest. `window` is the window the message belongs to; always returns 0.
MessageLParam window_proc(void *window, uint32_t message, MessageWParam wparam, MessageLParam lparam);
