// Gamepads on the page: the browser's Gamepad API, read once an animation frame, every pad of
// the standard layout merged into one and played through the shared mapping as the keyboard.
#include <emscripten.h>

#include "platform/gamepad.h"
#include "platform/web/web_input.h"

// Reads pad `index` of navigator.getGamepads(): 1 and its buttons and left stick when it is
// there in the standard layout, 0 otherwise (no pad, another layout, no Gamepad API).
EM_JS(int, page_read_gamepad, (int index, uint32_t *buttons, float *x, float *y), {
    var pads = navigator.getGamepads ? navigator.getGamepads() : [];
    var pad = pads[index];
    if (!pad || !pad.connected || pad.mapping !== 'standard') {
        return 0;
    }
    var bits = 0;
    for (var i = 0; i < pad.buttons.length && i < 32; ++i) {
        bits |= pad.buttons[i].pressed ? 1 << i : 0;
    }
    HEAPU32[buttons >> 2] = bits >>> 0;
    HEAPF32[x >> 2] = pad.axes.length > 0 ? pad.axes[0] : 0;
    HEAPF32[y >> 2] = pad.axes.length > 1 ? pad.axes[1] : 0;
    return 1;
});

namespace {

constexpr int MAX_PADS = 4;  // what browsers report

struct WebGamepads {
    bool started;
    GamepadKeys keys;
};

WebGamepads web_gamepads = {};

}  // namespace

void web_gamepads_poll(bool active, uint32_t now) {
    if (!web_gamepads.started) {
        gamepad_start(&web_gamepads.keys, GAMEPAD_REPEAT_DELAY_MS, GAMEPAD_REPEAT_INTERVAL_MS);
        web_gamepads.started = true;
    }
    GamepadState merged{};
    for (int index = 0; index < MAX_PADS; ++index) {
        GamepadState pad{};
        if (page_read_gamepad(index, &pad.buttons, &pad.stick_x, &pad.stick_y) != 0) {
            gamepad_merge(&merged, &pad);
        }
    }
    gamepad_pass(&web_gamepads.keys, &merged, active, now);
}
