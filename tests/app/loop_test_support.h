// Helpers shared by the main loop's tests: events as the window delivers them, and a window
// that records what the loop asks of it.
#pragma once

#include <vector>

#include "app/loop.h"
#include "game_test_support.h"

namespace game_test {

inline AppEvent key_down(uint8_t code) { return AppEvent{EVENT_KEY_DOWN, nullptr, 1u | (uint32_t{code} << 8), 0}; }
inline AppEvent key_up(uint8_t code) { return AppEvent{EVENT_KEY_UP, nullptr, uint32_t{code} << 8, 0}; }
inline AppEvent plain_event(int32_t type) { return AppEvent{type, nullptr, 0, 0}; }
inline AppEvent mouse_event(int32_t type, uint32_t buttons, uint16_t x, uint16_t y) {
    return AppEvent{type, nullptr, buttons | (uint32_t{x} << 16), y};
}

// A window that records what the loop asks of it.
struct Recorder {
    WindowRect rect{100, 100, 582, 426};
    int frames = 0;
    GameMode last_frame_mode = 0;
    std::vector<WindowRect> moves;
    LoopHooks hooks{this, [](void *self, WindowRect *out) { *out = static_cast<Recorder *>(self)->rect; },
                    [](void *self, int32_t left, int32_t top, int32_t width, int32_t height) {
                        auto *r = static_cast<Recorder *>(self);
                        r->rect = WindowRect{left, top, left + width, top + height};
                        r->moves.push_back(r->rect);
                    },
                    [](void *self, const GameState *state) {
                        ++static_cast<Recorder *>(self)->frames;
                        static_cast<Recorder *>(self)->last_frame_mode = state->mode;
                    }};

    Recorder() = default;
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;
};

}  // namespace game_test
