// The piece catalogue, the piece generator, the reset for a new game and the spawn of the next piece.
#include <cstring>

#include "game/game.h"

namespace {

constexpr float SPAWN_ROW_LONG = -1.0f;   // kind 2 lies in box row 1, so it needs one row less
constexpr float SPAWN_ROW_OTHER = -3.0f;  // every other kind has its lowest cells in box row 3
constexpr int32_t SPAWN_COLUMN = 3;
constexpr int32_t KIND_LONG = 2;

// A fresh piece of a random kind at the spawn position.
PieceState new_random_piece(GameState *state) {
    PieceState piece{};
    piece.kind = game_random(state) % PIECE_KINDS;
    piece.rotation = 0;
    piece.column = SPAWN_COLUMN;
    piece.row = piece.kind == KIND_LONG ? SPAWN_ROW_LONG : SPAWN_ROW_OTHER;
    return piece;
}

}  // namespace

// Each word is one box row; nibbles from the most significant are box columns 0 to 3 and give
// the tile code of the cell (which same-piece neighbours it joins), 0 for an empty box cell.
constexpr uint16_t piece_shapes[PIECE_KINDS][4][4] = {
    {{0x0000, 0x0000, 0xB9C0, 0x0E00},
     {0x0000, 0x0D00, 0xB800, 0x0E00},
     {0x0000, 0x0000, 0x0D00, 0xBAC0},
     {0x0000, 0x0D00, 0x07C0, 0x0E00}},
    {{0x0000, 0x03C0, 0x0200, 0x0E00},
     {0x0000, 0x0000, 0xB140, 0x00E0},
     {0x0000, 0x0D00, 0x0200, 0xB600},
     {0x0000, 0x0000, 0xD000, 0x51C0}},
    {{0x0000, 0xB11C, 0x0000, 0x0000},
     {0x00D0, 0x0020, 0x0020, 0x00E0},
     {0x0000, 0xB11C, 0x0000, 0x0000},
     {0x00D0, 0x0020, 0x0020, 0x00E0}},
    {{0x0000, 0x0000, 0x0340, 0x0560},
     {0x0000, 0x0000, 0x0340, 0x0560},
     {0x0000, 0x0000, 0x0340, 0x0560},
     {0x0000, 0x0000, 0x0340, 0x0560}},
    {{0x0000, 0x0000, 0x31C0, 0xE000},
     {0x0000, 0xB400, 0x0200, 0x0E00},
     {0x0000, 0x0000, 0x00D0, 0xB160},
     {0x0000, 0x0D00, 0x0200, 0x05C0}},
    {{0x0000, 0x0000, 0x03C0, 0xB600},
     {0x0000, 0x0D00, 0x0540, 0x00E0},
     {0x0000, 0x0000, 0x03C0, 0xB600},
     {0x0000, 0x0D00, 0x0540, 0x00E0}},
    {{0x0000, 0x0000, 0xB400, 0x05C0},
     {0x0000, 0x00D0, 0x0360, 0x0E00},
     {0x0000, 0x0000, 0xB400, 0x05C0},
     {0x0000, 0x00D0, 0x0360, 0x0E00}},
};

void game_seed_random(GameState *state, uint32_t seed) {
    state->random_state = seed;
}

int game_random(GameState *state) {
    state->random_state = state->random_state * 214013u + 2531011u;  // wraps modulo 2^32
    return static_cast<int>((state->random_state >> 16) & 0x7FFFu);
}

void game_new(GameState *state) {
    state->current = new_random_piece(state);
    state->queue[0] = new_random_piece(state);
    state->queue[1] = new_random_piece(state);
    state->ticks = 0;
    state->key_guard = 0;
    state->fall_speed = game_fall_speed(0);
    state->score = 0;
    state->level = 0;
    std::memset(state->board, 0, sizeof state->board);
}

void game_start(GameState *state, uint32_t seed) {
    game_seed_random(state, seed);
    state->mode = MODE_INTRO;
    state->saved_mode = MODE_INTRO;
    state->shift_held = 0;
    state->soft_drop = 0;
    state->bonus = 0;
    for (int32_t &entry : state->cleared_rows) {
        entry = -1;
    }
    game_new(state);
}

void piece_advance_queue(GameState *state) {
    state->current = state->queue[0];
    state->queue[0] = state->queue[1];
    if (piece_collides(&state->current, &state->board[0][0])) {
        state->mode = MODE_GAME_OVER;  // the queue is not refilled
        return;
    }
    state->queue[1] = new_random_piece(state);
    state->mode = MODE_FALLING;
    state->ticks = 0;
    // A key held through the spawn must not keep acting on the new piece by auto-repeat.
    if (state->shift_held != 0 || state->soft_drop != 0) {
        state->soft_drop = 0;
        state->key_guard = 1;
    }
}
