// The gamepad mapping: buttons and the left stick in the keyboard's key messages.
//
// The platform does not know the game's mode, so the two buttons whose meaning changes after a
// game send the keys of both meanings, and the rules ignore the one that does not apply: A is
// the rotate key and Y ("yes"), B the slam key and N ("no"). Both are sent as a tap at the press
// (each key down and at once up, rotate or slam first): a button held while the game ends then
// answers nothing when it is let go, and after "yes" the game waits for a further press to start,
// as it waits for a further key release. Directions are held keys with the keyboard's repeat.
#include "platform/gamepad.h"

#include <cmath>
#include <iterator>

#include "platform/messages.h"
#include "platform/vkeys.h"

namespace {

enum class Press : uint8_t {
    TAP,     // at the press: each key down and up, in order; nothing at the release
    HOLD,    // down at the press, up at the release
    REPEAT,  // as HOLD, and the down again while held, at the keyboard's repeat
};

struct GamepadBinding {
    uint32_t inputs;   // any of these buttons (the stick counts as the d-pad)
    Press press;
    int32_t codes[2];  // virtual-key codes in the order sent; 0 for none
};

constexpr GamepadBinding GAMEPAD_BINDINGS[] = {
    {GAMEPAD_SOUTH, Press::TAP, {VK_UP, 'Y'}},                                // rotate; after a game, yes
    {GAMEPAD_EAST, Press::TAP, {VK_SPACE, 'N'}},                              // slam; after a game, no
    {GAMEPAD_LEFT_SHOULDER | GAMEPAD_RIGHT_SHOULDER, Press::TAP, {VK_SPACE, 0}},  // slam only
    {GAMEPAD_BACK, Press::TAP, {VK_ESCAPE, 0}},                               // quit
    {GAMEPAD_START, Press::HOLD, {VK_PAUSE, 0}},  // pauses a game in play; its release starts a game
    {GAMEPAD_DPAD_LEFT, Press::REPEAT, {VK_LEFT, 0}},
    {GAMEPAD_DPAD_RIGHT, Press::REPEAT, {VK_RIGHT, 0}},
    {GAMEPAD_DPAD_DOWN, Press::REPEAT, {VK_DOWN, 0}},  // faster, while held
};
static_assert(std::size(GAMEPAD_BINDINGS) == GAMEPAD_BINDING_COUNT);

void send_key(uint32_t message, int32_t code) {
    if (code != 0) {
        window_proc(nullptr, message, static_cast<MessageWParam>(code), 0);
    }
}

void send_downs(const GamepadBinding &binding) {
    for (int32_t code : binding.codes) {
        send_key(WM_KEYDOWN, code);
    }
}

void send_ups(const GamepadBinding &binding) {
    for (int32_t code : binding.codes) {
        send_key(WM_KEYUP, code);
    }
}

void send_taps(const GamepadBinding &binding) {
    for (int32_t code : binding.codes) {
        send_key(WM_KEYDOWN, code);
        send_key(WM_KEYUP, code);
    }
}

// Whether a stick axis pushed `push` towards a direction holds it, given whether it held it before.
bool stick_holds(bool held, float push) {
    return push >= (held ? GAMEPAD_STICK_RELEASE : GAMEPAD_STICK_PRESS);  // false for NaN
}

uint32_t stick_directions(uint32_t held, float x, float y) {
    uint32_t directions = 0;
    directions |= stick_holds((held & GAMEPAD_DPAD_LEFT) != 0, -x) ? GAMEPAD_DPAD_LEFT : 0;
    directions |= stick_holds((held & GAMEPAD_DPAD_RIGHT) != 0, x) ? GAMEPAD_DPAD_RIGHT : 0;
    directions |= stick_holds((held & GAMEPAD_DPAD_DOWN) != 0, y) ? GAMEPAD_DPAD_DOWN : 0;
    return directions;
}

bool due(uint32_t now, uint32_t at) {
    return static_cast<int32_t>(now - at) >= 0;
}

// A held direction repeats at most once a call; after a stall the next repeat counts from now,
// so that no burst of moves makes up for the lost time.
void repeat_if_due(GamepadKeys *keys, int index, uint32_t now) {
    if (!due(now, keys->repeat_at[index])) {
        return;
    }
    send_downs(GAMEPAD_BINDINGS[index]);
    keys->repeat_at[index] += keys->interval_ms;
    if (due(now, keys->repeat_at[index])) {
        keys->repeat_at[index] = now + keys->interval_ms;
    }
}

}  // namespace

void gamepad_start(GamepadKeys *keys, uint32_t delay_ms, uint32_t interval_ms) {
    *keys = GamepadKeys{};
    keys->delay_ms = delay_ms;
    keys->interval_ms = interval_ms > 0 ? interval_ms : 1;
}

void gamepad_update(GamepadKeys *keys, const GamepadState *state, uint32_t now) {
    keys->stick = stick_directions(keys->stick, state->stick_x, state->stick_y);
    const uint32_t down = state->buttons | keys->stick;
    keys->ignored &= down;  // let go: counts again from the next press
    const uint32_t pressed = down & ~keys->ignored;
    for (int i = 0; i < GAMEPAD_BINDING_COUNT; ++i) {
        const GamepadBinding &binding = GAMEPAD_BINDINGS[i];
        const bool was = (keys->pressed & binding.inputs) != 0;
        const bool is = (pressed & binding.inputs) != 0;
        if (is && !was) {
            if (binding.press == Press::TAP) {
                send_taps(binding);
            } else {
                send_downs(binding);
                keys->repeat_at[i] = now + keys->delay_ms;
            }
        } else if (was && !is && binding.press != Press::TAP) {
            send_ups(binding);
        } else if (is && binding.press == Press::REPEAT) {
            repeat_if_due(keys, i, now);
        }
    }
    keys->pressed = pressed;
}

void gamepad_release(GamepadKeys *keys, const GamepadState *state) {
    for (const GamepadBinding &binding : GAMEPAD_BINDINGS) {
        if ((keys->pressed & binding.inputs) != 0 && binding.press != Press::TAP) {
            send_ups(binding);
        }
    }
    keys->stick = stick_directions(keys->stick, state->stick_x, state->stick_y);
    keys->ignored = state->buttons | keys->stick;
    keys->pressed = 0;
}

void gamepad_merge(GamepadState *merged, const GamepadState *pad) {
    merged->buttons |= pad->buttons;
    if (std::fabs(pad->stick_x) > std::fabs(merged->stick_x)) {
        merged->stick_x = pad->stick_x;
    }
    if (std::fabs(pad->stick_y) > std::fabs(merged->stick_y)) {
        merged->stick_y = pad->stick_y;
    }
}

void gamepad_pass(GamepadKeys *keys, const GamepadState *state, bool active, uint32_t now) {
    if (active) {
        gamepad_update(keys, state, now);
    } else {
        gamepad_release(keys, state);
    }
}
