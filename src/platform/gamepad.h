// Gamepads as a keyboard: one table turns a pad's buttons and left stick into the key messages
// the keyboard makes, so that a pad plays by exactly the keyboard's rules on every platform. No
// window system here: each platform reads its pads into a GamepadState once a pass and hands it
// over with the clock; the key messages go to window_proc as the keyboard's do.
#pragma once

#include <cstdint>

// Buttons by their place on the pad, one bit each: bit i is button i of the browser's standard
// gamepad layout, so a page sets bit i when buttons[i] is pressed.
constexpr uint32_t GAMEPAD_SOUTH = 1u << 0;            // A on Xbox pads, cross on PlayStation
constexpr uint32_t GAMEPAD_EAST = 1u << 1;             // B, circle
constexpr uint32_t GAMEPAD_WEST = 1u << 2;             // X, square
constexpr uint32_t GAMEPAD_NORTH = 1u << 3;            // Y, triangle
constexpr uint32_t GAMEPAD_LEFT_SHOULDER = 1u << 4;    // the upper left shoulder button
constexpr uint32_t GAMEPAD_RIGHT_SHOULDER = 1u << 5;   // the upper right shoulder button
constexpr uint32_t GAMEPAD_BACK = 1u << 8;             // Back, Select, Share, View
constexpr uint32_t GAMEPAD_START = 1u << 9;            // Start, Options, Menu
constexpr uint32_t GAMEPAD_DPAD_UP = 1u << 12;
constexpr uint32_t GAMEPAD_DPAD_DOWN = 1u << 13;
constexpr uint32_t GAMEPAD_DPAD_LEFT = 1u << 14;
constexpr uint32_t GAMEPAD_DPAD_RIGHT = 1u << 15;

// The left stick counts as a d-pad direction once it is pushed this far from the centre, and
// stops counting when it comes back inside GAMEPAD_STICK_RELEASE (the gap keeps a stick held
// near the edge from chattering).
constexpr float GAMEPAD_STICK_PRESS = 0.5f;
constexpr float GAMEPAD_STICK_RELEASE = 0.35f;

// The repeat of a held direction when the platform cannot tell its keyboard's: Windows' default
// keyboard settings, half a second and then 30 a second.
constexpr uint32_t GAMEPAD_REPEAT_DELAY_MS = 500;
constexpr uint32_t GAMEPAD_REPEAT_INTERVAL_MS = 33;

// One pad's state, or several pads' merged. From a browser's standard-layout pad: bit i of
// `buttons` for buttons[i].pressed, and axes[0] and axes[1] as the stick.
struct GamepadState {
    uint32_t buttons;  // GAMEPAD_ bits of the buttons held
    float stick_x;     // the left stick, -1 (left) to 1 (right)
    float stick_y;     // -1 (up) to 1 (down), as SDL and browsers report it
};

// Rows of the mapping table (in gamepad.cpp).
constexpr int GAMEPAD_BINDING_COUNT = 8;

// What the mapping remembers between updates.
struct GamepadKeys {
    uint32_t pressed;      // buttons and stick directions (as d-pad bits) down at the last update
    uint32_t stick;        // the d-pad bits the stick holds
    uint32_t ignored;      // held through a release: they count again once let go
    uint32_t repeat_at[GAMEPAD_BINDING_COUNT];  // clock of each held direction's next repeat
    uint32_t delay_ms;     // from the press to the first repeat
    uint32_t interval_ms;  // between repeats
};

// Starts with nothing held and the given key repeat.
void gamepad_start(GamepadKeys *keys, uint32_t delay_ms, uint32_t interval_ms);
// Sends the key messages for what changed since the last update, and the repeats of held
// directions that are due at `now` (milliseconds; at most one per direction and call).
void gamepad_update(GamepadKeys *keys, const GamepadState *state, uint32_t now);
// Instead of an update while the window is not active: releases every held key, and what the
// pad holds now counts again only once it has been let go.
void gamepad_release(GamepadKeys *keys, const GamepadState *state);
// A platform's pass: gamepad_update while the window is active, gamepad_release while it is not.
void gamepad_pass(GamepadKeys *keys, const GamepadState *state, bool active, uint32_t now);
// Adds a pad to a merged state: the buttons of either, and on each stick axis the one pushed further.
void gamepad_merge(GamepadState *merged, const GamepadState *pad);
