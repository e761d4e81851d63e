// The tick: one step of the mode machine.
#include "game/game.h"

namespace {

constexpr uint32_t INTRO_TICKS = 50;
constexpr float SOFT_DROP_STEP = 0.5f;
constexpr int SLAM_STEPS = 2;
constexpr uint32_t FALL_AGAIN_MARK = 30;   // ticks of a piece that falls again: no second drop bonus
constexpr uint32_t PAUSE_TICKS = 10;       // length of the clearing and settle pauses

bool current_collides(const GameState *state) {
    return piece_collides(&state->current, &state->board[0][0]) != 0;
}

// Moves the piece `step` rows down and tells whether it collides where it stops. A step of two
// rows or more could carry the piece past a locked row it never overlapped, so such a step goes
// one row at a time and stops at the first position that collides; shorter steps, which always
// overlap every row they pass, move in one addition.
bool fall_by(GameState *state, float step) {
    const float start = state->current.row;
    for (float k = 1.0f; step >= 2.0f && k < step; k += 1.0f) {
        state->current.row = start + k;
        if (current_collides(state)) {
            return true;
        }
    }
    state->current.row = start + step;
    return current_collides(state);
}

void tick_falling(GameState *state) {
    if (fall_by(state, state->soft_drop != 0 ? SOFT_DROP_STEP : state->fall_speed)) {
        piece_land(state, 0);
    }
}

// Writes the piece in, scores the lock and starts the clearing or settle pause.
void lock_piece(GameState *state) {
    piece_lock(state);
    const int full_rows = board_find_full_rows(state);
    game_score_bonus(state);
    if (full_rows == 0) {
        state->mode = MODE_SETTLE;
        state->ticks = 0;
    }
}

void tick_landed(GameState *state) {
    const float resting_row = state->current.row;
    if (!fall_by(state, state->fall_speed)) {  // gravity, never the soft-drop speed
        state->mode = MODE_FALLING;
        state->ticks = FALL_AGAIN_MARK;
        return;
    }
    state->current.row = resting_row;
    if (state->ticks > game_lock_delay(state->fall_speed) || state->soft_drop != 0) {
        lock_piece(state);
    }
}

// Returns true when the slam ended with a landing, which the same tick goes on to lock.
bool tick_slam(GameState *state) {
    for (int step = 0; step < SLAM_STEPS; ++step) {
        state->current.row += 1.0f;
        if (current_collides(state)) {
            piece_land(state, 1);
            return true;
        }
    }
    return false;
}

}  // namespace

void game_tick(GameState *state) {
    ++state->ticks;
    switch (state->mode) {
    case MODE_INTRO:
        if (state->ticks > INTRO_TICKS) {
            state->mode = MODE_WAIT_START;
        }
        break;
    case MODE_FALLING:
        tick_falling(state);
        break;
    case MODE_SLAM:
        if (tick_slam(state)) {
            game_tick(state);  // ticks goes past the slam mark and the landed step locks
        }
        break;
    case MODE_LANDED:
        tick_landed(state);
        break;
    case MODE_CLEARING:
        if (state->ticks > PAUSE_TICKS) {
            board_collapse_rows(state);
            piece_advance_queue(state);
        }
        break;
    case MODE_SETTLE:
        if (state->ticks > PAUSE_TICKS) {
            piece_advance_queue(state);
        }
        break;
    default:
        break;  // waiting, game over, paused, quitting: only ticks moves
    }
}
