// Helpers shared by the rules tests: a clean record, board set-up and a recording LoopHooks.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/loop.h"

namespace game_test {

// A record as the program has it after start-up, with a fixed seed and a chosen mode.
inline GameState fresh_state(uint32_t seed = 1, GameMode mode = MODE_FALLING) {
    GameState state{};
    loop_start_game(&state, seed);
    state.mode = mode;
    state.saved_mode = mode;
    return state;
}

inline PieceState piece(int32_t kind, int32_t rotation, int32_t column, float row) {
    return PieceState{kind, rotation, column, row};
}

// Fills every cell of a row except the listed column (-1 for a full row) with a kind-3 single.
inline void fill_row(GameState &state, int row, int gap_column = -1, uint8_t cell = 0x3F) {
    for (int c = 0; c < BOARD_COLUMNS; ++c) {
        state.board[row][c] = c == gap_column ? 0 : cell;
    }
}

// The board as 20 strings of '.' (empty) and '#' (occupied), for readable comparisons.
inline std::vector<std::string> occupancy(const GameState &state) {
    std::vector<std::string> rows;
    for (const auto &row : state.board) {
        std::string text;
        for (uint8_t cell : row) {
            text += cell != 0 ? '#' : '.';
        }
        rows.push_back(text);
    }
    return rows;
}

inline bool same_piece(const PieceState &a, const PieceState &b) {
    return a.kind == b.kind && a.rotation == b.rotation && a.column == b.column && a.row == b.row;
}

// Field-by-field equality of two records.
inline bool same_record(const GameState &a, const GameState &b) {
    return same_piece(a.current, b.current) && same_piece(a.queue[0], b.queue[0]) &&
           same_piece(a.queue[1], b.queue[1]) && a.ticks == b.ticks && a.fall_speed == b.fall_speed &&
           a.mode == b.mode && a.saved_mode == b.saved_mode &&
           std::memcmp(a.board, b.board, sizeof a.board) == 0 &&
           std::memcmp(a.cleared_rows, b.cleared_rows, sizeof a.cleared_rows) == 0 &&
           a.key_guard == b.key_guard && a.score == b.score && a.bonus == b.bonus && a.level == b.level &&
           a.shift_held == b.shift_held && a.soft_drop == b.soft_drop && a.textures == b.textures &&
           a.random_state == b.random_state;
}

inline AppEvent key_down(uint8_t code) {
    return AppEvent{EVENT_KEY_DOWN, nullptr, 1u | (uint32_t{code} << 8), 0};
}

inline AppEvent key_up(uint8_t code) {
    return AppEvent{EVENT_KEY_UP, nullptr, uint32_t{code} << 8, 0};
}

inline AppEvent mouse_event(int32_t type, uint32_t buttons, uint16_t x, uint16_t y) {
    return AppEvent{type, nullptr, buttons | (uint32_t{x} << 16), y};
}

inline AppEvent plain_event(int32_t type) {
    return AppEvent{type, nullptr, 0, 0};
}

// A window that records what the loop asks of it.
struct Recorder {
    WindowRect rect{100, 100, 582, 426};
    int frames = 0;
    GameMode last_frame_mode = 0;
    std::vector<WindowRect> moves;
    LoopHooks hooks{};

    Recorder() {
        hooks.context = this;
        hooks.get_window_rect = [](void *context, WindowRect *out) {
            *out = static_cast<Recorder *>(context)->rect;
        };
        hooks.move_window = [](void *context, int32_t left, int32_t top, int32_t width, int32_t height) {
            auto *self = static_cast<Recorder *>(context);
            self->rect = WindowRect{left, top, left + width, top + height};
            self->moves.push_back(self->rect);
        };
        hooks.present_frame = [](void *context, const GameState *state) {
            auto *self = static_cast<Recorder *>(context);
            ++self->frames;
            self->last_frame_mode = state->mode;
        };
    }
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;
};

}  // namespace game_test
