// Collision, the player's moves, the end of a fall and the writing of a piece into the well.
#include <cmath>

#include "game/game.h"

namespace {

constexpr uint32_t SLAM_MARK = 1000;  // ticks after a slam landing: above every lock delay
constexpr int32_t DROP_BONUS_TICKS = 10;
constexpr int32_t SLAM_BONUS = 2;

// Tile code of box cell x (0 = leftmost) in one shape word.
int box_nibble(uint16_t word, int x) {
    return (word >> (12 - 4 * x)) & 0xF;
}

// 1 when one cell at well column c and cell row Y (double) cannot be where it is.
int cell_collides(const uint8_t *board, int c, double cell_row, bool fractional) {
    if (c < 0 || c >= BOARD_COLUMNS) {
        return 1;
    }
    if (cell_row > static_cast<double>(BOARD_ROWS - 1)) {
        return 1;
    }
    // A fractional cell straddles its whole row and the row below; rows above the well are open.
    const int iy = static_cast<int>(std::floor(cell_row));
    if (iy >= 0 && board[iy * BOARD_COLUMNS + c] != 0) {
        return 1;
    }
    if (fractional && iy + 1 >= 0 && board[(iy + 1) * BOARD_COLUMNS + c] != 0) {
        return 1;
    }
    return 0;
}

}  // namespace

int piece_collides(const PieceState *piece, const uint8_t *board) {
    const bool fractional = piece->row != std::floor(piece->row);
    for (int y = 0; y < 4; ++y) {
        const uint16_t word = piece_shapes[piece->kind][piece->rotation][y];
        const double cell_row = static_cast<double>(piece->row) + y;
        for (int x = 0; x < 4; ++x) {
            if (box_nibble(word, x) != 0 &&
                cell_collides(board, piece->column + x, cell_row, fractional) != 0) {
                return 1;
            }
        }
    }
    return 0;
}

void piece_try_move(GameState *state, int column_delta, int rotation_delta) {
    if ((state->mode & (MODE_FALLING | MODE_LANDED)) == 0) {
        return;
    }
    PieceState &piece = state->current;
    const int32_t old_column = piece.column;
    const int32_t old_rotation = piece.rotation;
    piece.column += column_delta;
    piece.rotation = (piece.rotation + rotation_delta) % 4;
    if (piece_collides(&piece, &state->board[0][0]) != 0) {
        piece.column = old_column;  // refused whole: no kicks
        piece.rotation = old_rotation;
    }
}

void piece_land(GameState *state, int slam) {
    PieceState &piece = state->current;
    piece.row = std::floor(piece.row);
    // The piece was free one step earlier, so walking up ends at the latest there. The bound only
    // guards against a caller that hands in a piece stuck in a wall: above it every cell is open.
    while (piece_collides(&piece, &state->board[0][0]) != 0 && piece.row > -4.0f) {
        piece.row -= 1.0f;
    }
    state->bonus = state->ticks < DROP_BONUS_TICKS ? DROP_BONUS_TICKS - static_cast<int32_t>(state->ticks) : 0;
    state->ticks = slam == 1 ? SLAM_MARK : 0;
    state->mode = MODE_LANDED;
    if (slam == 1) {
        state->bonus += SLAM_BONUS;
    }
}

void piece_lock(GameState *state) {
    const PieceState &piece = state->current;
    for (int y = 0; y < 4; ++y) {
        const uint16_t word = piece_shapes[piece.kind][piece.rotation][y];
        const int r = static_cast<int>(std::floor(static_cast<double>(piece.row) + y));
        for (int x = 0; x < 4; ++x) {
            const int tile = box_nibble(word, x);
            const int c = piece.column + x;
            // Cells outside the well (above row 0 in practice) are dropped.
            if (tile != 0 && r >= 0 && r < BOARD_ROWS && c >= 0 && c < BOARD_COLUMNS) {
                state->board[r][c] = static_cast<uint8_t>(piece.kind * 16 + tile);
            }
        }
    }
}
