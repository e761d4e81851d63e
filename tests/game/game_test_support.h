// Helpers shared by the rules tests: a clean record, board set-up and record comparisons.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "game/game.h"

namespace game_test {

// A record as the program has it after start-up, with a fixed seed and a chosen mode.
inline GameState fresh_state(uint32_t seed = 1, GameMode mode = MODE_FALLING) {
    GameState state{};
    game_start(&state, seed);
    state.mode = state.saved_mode = mode;
    return state;
}

inline PieceState piece(int32_t kind, int32_t rotation, int32_t column, float row) {
    return PieceState{kind, rotation, column, row};
}

// Fills a row with `cell` except the gap column (-1: no gap).
inline void fill_row(GameState &state, int row, int gap_column = -1, uint8_t cell = 0x3F) {
    for (int c = 0; c < BOARD_COLUMNS; ++c) {
        state.board[row][c] = c == gap_column ? 0 : cell;
    }
}

// The board as 20 strings of '.' (empty) and '#' (occupied).
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

// Ticks until the mode changes (at most `limit` ticks); returns how many ran, or -1.
inline int ticks_until_mode_changes(GameState &state, int limit = 100) {
    const GameMode start = state.mode;
    for (int n = 1; n <= limit; ++n) {
        game_tick(&state);
        if (state.mode != start) {
            return n;
        }
    }
    return -1;
}

// Field-by-field equality of two records.
inline bool same_record(const GameState &a, const GameState &b) {
    return same_piece(a.current, b.current) && same_piece(a.queue[0], b.queue[0]) &&
           same_piece(a.queue[1], b.queue[1]) && a.ticks == b.ticks && a.fall_speed == b.fall_speed &&
           a.mode == b.mode && a.saved_mode == b.saved_mode && std::memcmp(a.board, b.board, sizeof a.board) == 0 &&
           std::memcmp(a.cleared_rows, b.cleared_rows, sizeof a.cleared_rows) == 0 && a.key_guard == b.key_guard &&
           a.score == b.score && a.bonus == b.bonus && a.level == b.level && a.shift_held == b.shift_held &&
           a.soft_drop == b.soft_drop && a.textures == b.textures && a.random_state == b.random_state;
}

}  // namespace game_test
