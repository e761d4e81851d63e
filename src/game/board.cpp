// Full rows, their removal with the repair of cut links, and the scoring rule.
#include <array>
#include <climits>
#include <cmath>
#include <cstring>

#include "game/game.h"

namespace {

// Points for 1, 2, 3 or 4 rows filled by one lock.
constexpr std::array<int32_t, 5> LINE_POINTS = {0, 10, 25, 75, 300};

// A 16-entry map over tile codes: code -> code, identity except for the listed pairs.
struct TileMap {
    std::array<uint8_t, 16> to;
};

constexpr TileMap make_tile_map(std::array<std::array<uint8_t, 2>, 7> pairs) {
    TileMap map{};
    for (int code = 0; code < 16; ++code) {
        map.to[code] = static_cast<uint8_t>(code);
    }
    for (const auto &pair : pairs) {
        map.to[pair[0]] = pair[1];
    }
    return map;
}

// Every down link cut: the row below is gone.
constexpr TileMap UNLINK_DOWN = make_tile_map({{{2, 14}, {3, 11}, {4, 12}, {7, 5}, {8, 6}, {9, 1}, {13, 15}}});
// Every up link cut: the row above is gone.
constexpr TileMap UNLINK_UP = make_tile_map({{{2, 13}, {5, 11}, {6, 12}, {7, 3}, {8, 4}, {10, 1}, {14, 15}}});

// Rewrites the tile code (low nibble) of every cell of one row, keeping the kind (high nibble).
void unlink_row(uint8_t *cells, const TileMap &map) {
    for (int c = 0; c < BOARD_COLUMNS; ++c) {
        const uint8_t cell = cells[c];
        cells[c] = static_cast<uint8_t>((cell & 0xF0) | map.to[cell & 0x0F]);
    }
}

bool row_is_full(const uint8_t *cells) {
    for (int c = 0; c < BOARD_COLUMNS; ++c) {
        if (cells[c] == 0) {
            return false;
        }
    }
    return true;
}

// Drops rows 0 to removed - 1 by one row and empties row 0.
void remove_row(uint8_t board[BOARD_ROWS][BOARD_COLUMNS], int removed) {
    for (int r = removed; r >= 1; --r) {
        std::memcpy(board[r], board[r - 1], BOARD_COLUMNS);
    }
    std::memset(board[0], 0, BOARD_COLUMNS);
}

}  // namespace

float game_fall_speed(int32_t level) {
    // The double product of a 32-bit integer and the single-precision 0.01 is exact, so the
    // conversion rounds once: the correctly rounded single-precision product.
    return static_cast<float>(static_cast<double>(level + 3) * static_cast<double>(0.01f));
}

uint32_t game_lock_delay(float fall_speed) {
    // Taken in double precision on the single-precision speed: 0.04f gives 26, not 25.
    return static_cast<uint32_t>(std::ceil(1.0 / static_cast<double>(fall_speed)));
}

void game_score_bonus(GameState *state) {
    // The score saturates instead of overflowing, so it never falls.
    const int64_t score = static_cast<int64_t>(state->score) + state->bonus;
    state->score = score > INT32_MAX ? INT32_MAX : static_cast<int32_t>(score);
    state->level = state->score / 100;
    state->fall_speed = game_fall_speed(state->level);
}

int board_find_full_rows(GameState *state) {
    int count = 0;
    for (int32_t &entry : state->cleared_rows) {
        entry = -1;
    }
    for (int r = 0; r < BOARD_ROWS && count < 4; ++r) {
        if (row_is_full(state->board[r])) {
            state->cleared_rows[count++] = r;
        }
    }
    if (count == 0) {
        return 0;
    }
    state->ticks = 0;
    state->mode = MODE_CLEARING;
    state->bonus += LINE_POINTS[count];
    return count;
}

void board_collapse_rows(GameState *state) {
    for (const int32_t removed : state->cleared_rows) {
        if (removed < 0 || removed >= BOARD_ROWS) {
            continue;
        }
        remove_row(state->board, removed);
        board_unlink_down(state->board, removed);
        if (removed + 1 < BOARD_ROWS) {
            board_unlink_up(state->board, removed + 1);
        }
    }
}

void board_unlink_down(uint8_t board[BOARD_ROWS][BOARD_COLUMNS], int row) {
    unlink_row(board[row], UNLINK_DOWN);
}

void board_unlink_up(uint8_t board[BOARD_ROWS][BOARD_COLUMNS], int row) {
    unlink_row(board[row], UNLINK_UP);
}
