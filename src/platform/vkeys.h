// Virtual-key codes: the key numbers that key messages carry in wParam and key events in bits
// 8-15 of their first word. Letters and digits use their upper-case ASCII codes ('A', '0').
// Guarded so the header also builds beside a system header that defines them.
#pragma once

#include <cstdint>

#ifndef VK_LEFT
constexpr int32_t VK_BACK = 0x08;      // Backspace
constexpr int32_t VK_TAB = 0x09;       // Tab
constexpr int32_t VK_CLEAR = 0x0C;     // keypad 5 with NumLock off
constexpr int32_t VK_RETURN = 0x0D;    // Enter, also on the keypad
constexpr int32_t VK_SHIFT = 0x10;     // either Shift
constexpr int32_t VK_CONTROL = 0x11;   // either Control
constexpr int32_t VK_PAUSE = 0x13;     // Pause
constexpr int32_t VK_CAPITAL = 0x14;   // Caps Lock
constexpr int32_t VK_ESCAPE = 0x1B;    // Escape
constexpr int32_t VK_SPACE = 0x20;     // space bar
constexpr int32_t VK_PRIOR = 0x21;     // Page Up
constexpr int32_t VK_NEXT = 0x22;      // Page Down
constexpr int32_t VK_END = 0x23;       // End
constexpr int32_t VK_HOME = 0x24;      // Home
constexpr int32_t VK_LEFT = 0x25;      // arrow left
constexpr int32_t VK_UP = 0x26;        // arrow up
constexpr int32_t VK_RIGHT = 0x27;     // arrow right
constexpr int32_t VK_DOWN = 0x28;      // arrow down
constexpr int32_t VK_SNAPSHOT = 0x2C;  // Print Screen
constexpr int32_t VK_INSERT = 0x2D;    // Insert
constexpr int32_t VK_DELETE = 0x2E;    // Delete
constexpr int32_t VK_LWIN = 0x5B;      // left logo key
constexpr int32_t VK_RWIN = 0x5C;      // right logo key
constexpr int32_t VK_APPS = 0x5D;      // menu key
constexpr int32_t VK_NUMPAD0 = 0x60;   // keypad 0 with NumLock on (VK_NUMPAD1..9 follow)
constexpr int32_t VK_MULTIPLY = 0x6A;  // keypad *
constexpr int32_t VK_ADD = 0x6B;       // keypad +
constexpr int32_t VK_SUBTRACT = 0x6D;  // keypad -
constexpr int32_t VK_DECIMAL = 0x6E;   // keypad . with NumLock on
constexpr int32_t VK_DIVIDE = 0x6F;    // keypad /
constexpr int32_t VK_F1 = 0x70;        // F1 (F2..F12 follow)
constexpr int32_t VK_F2 = 0x71;        // F2
constexpr int32_t VK_F9 = 0x78;        // F9
constexpr int32_t VK_F10 = 0x79;       // F10
constexpr int32_t VK_NUMLOCK = 0x90;   // Num Lock
constexpr int32_t VK_SCROLL = 0x91;    // Scroll Lock
constexpr int32_t VK_OEM_1 = 0xBA;     // ; on a US keyboard
constexpr int32_t VK_OEM_PLUS = 0xBB;  // =
constexpr int32_t VK_OEM_COMMA = 0xBC; // ,
constexpr int32_t VK_OEM_MINUS = 0xBD; // -
constexpr int32_t VK_OEM_PERIOD = 0xBE;// .
constexpr int32_t VK_OEM_2 = 0xBF;     // /
constexpr int32_t VK_OEM_3 = 0xC0;     // `
constexpr int32_t VK_OEM_4 = 0xDB;     // [
constexpr int32_t VK_OEM_5 = 0xDC;     // backslash
constexpr int32_t VK_OEM_6 = 0xDD;     // ]
constexpr int32_t VK_OEM_7 = 0xDE;     // '
constexpr int32_t VK_OEM_102 = 0xE2;   // the extra key beside left Shift on European keyboards
#endif

// The code of a key that has no code of its own; its release still starts a game.
constexpr int32_t VK_UNASSIGNED = 0xFF;
