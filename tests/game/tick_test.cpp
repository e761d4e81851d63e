// The tick: gravity, soft drop, landing and lock delay, slam, lock with scoring, pauses.
// (The intro length is pinned by the scripted whole game, the lock delay per level by Scoring.LockDelayTable.)
#include <gtest/gtest.h>

#include "game_test_support.h"

using namespace game_test;

// Waiting and game over only count ticks: nothing else in the record moves.
TEST(Tick, WaitingAndGameOverOnlyCount) {
    for (GameMode mode : {MODE_WAIT_START, MODE_GAME_OVER}) {
        GameState state = fresh_state(3, mode);
        state.current = piece(0, 0, 3, 2.5f);
        const GameState before = state;
        for (int i = 0; i < 200; ++i) {
            game_tick(&state);
        }
        EXPECT_EQ(state.ticks, 200u);
        state.ticks = 0;
        EXPECT_TRUE(same_record(state, before)) << mode;
    }
}

// Gravity adds fall_speed per tick, the faster key 0.5 instead; the landing tick snaps and scores the
// drop bonus but does not lock; the lock comes after the delay.
TEST(Tick, FallLandAndLock) {
    GameState state = fresh_state();
    state.current = piece(3, 0, 3, 15.45f);
    game_tick(&state);
    EXPECT_EQ(state.current.row, 15.45f + 0.03f);
    EXPECT_EQ(state.ticks, 1u);
    state.soft_drop = 1;
    game_tick(&state);
    EXPECT_EQ(state.current.row, 15.45f + 0.03f + 0.5f);
    EXPECT_EQ(state.mode, MODE_FALLING);
    state.soft_drop = 0;
    game_tick(&state);  // about 16.01 reaches below row 19: lands at 16.0 on tick 3
    EXPECT_EQ(state.mode, MODE_LANDED);
    EXPECT_EQ(state.current.row, 16.0f);
    EXPECT_EQ(state.bonus, 7);
    EXPECT_EQ(state.ticks, 0u);
    EXPECT_EQ(state.board[19][4], 0);
    EXPECT_EQ(ticks_until_mode_changes(state), 35);  // level 0: delay 34
    EXPECT_EQ(state.mode, MODE_SETTLE);
    EXPECT_EQ(state.board[19][4], 0x35);
    EXPECT_EQ(state.score, 7);

    GameState faster = fresh_state(1, MODE_LANDED);  // the faster key locks on the first landed tick
    faster.current = piece(3, 0, 3, 16.0f);
    faster.soft_drop = 1;
    game_tick(&faster);
    EXPECT_EQ(faster.mode, MODE_SETTLE);
    EXPECT_EQ(faster.current.row, 16.0f);
}

// A landed piece moved over a gap falls again by gravity (not soft drop) with no second bonus.
TEST(Tick, MovedOverAGapFallsAgainWithoutASecondBonus) {
    GameState state = fresh_state(1, MODE_LANDED);
    for (int r = 17; r < 20; ++r) {
        fill_row(state, r, 9);
    }
    state.current = piece(2, 1, 6, 13.0f);  // upright long piece in column 8, rows 13 to 16
    state.ticks = 5;
    state.soft_drop = 1;
    piece_try_move(&state, 1, 0);  // over the open column 9
    ASSERT_EQ(state.current.column, 7);
    game_tick(&state);
    EXPECT_EQ(state.mode, MODE_FALLING);
    EXPECT_EQ(state.ticks, 30u);
    EXPECT_EQ(state.current.row, 13.0f + 0.03f);
    state.soft_drop = 0;
    while (state.mode == MODE_FALLING) {
        game_tick(&state);
    }
    EXPECT_EQ(state.mode, MODE_LANDED);
    EXPECT_EQ(state.current.row, 16.0f);
    EXPECT_EQ(state.bonus, 0);
    EXPECT_EQ(ticks_until_mode_changes(state), 35);  // the delay starts again from 0
    EXPECT_EQ(state.mode, MODE_CLEARING);           // rows 17 to 19 are now full
    EXPECT_EQ(state.bonus, 75);
}

// From two rows a tick on, gravity may not carry a piece past a one-cell-thick stack, neither
// while falling nor from rest: the flat bar at 2 rows a tick, the bar and the square at more.
TEST(Tick, FastGravityStopsOnTheFirstLockedRow) {
    const struct {
        int32_t kind;
        float speed;
        int lowest_box_row;
    } cases[] = {{2, 2.0f, 1}, {2, 3.0f, 1}, {3, 3.0f, 3}, {3, 7.5f, 3}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.speed);
        GameState state = fresh_state(1, MODE_FALLING);
        fill_row(state, 10, 0);
        state.fall_speed = c.speed;
        state.current = piece(c.kind, 0, 3, 0.0f);
        for (int n = 0; n < 50 && state.mode != MODE_SETTLE; ++n) {
            game_tick(&state);
        }
        ASSERT_EQ(state.mode, MODE_SETTLE);
        EXPECT_EQ(state.current.row, static_cast<float>(9 - c.lowest_box_row));
        EXPECT_NE(state.board[9][4], 0) << "locked on the stack";
        for (int r = 11; r < BOARD_ROWS; ++r) {
            EXPECT_EQ(occupancy(state)[r], "..........") << "passed through to row " << r;
        }
    }
}

// A slam drops two rows a tick and locks in the tick that lands, with bonus 10 - ticks + 2. (A slam of
// ten ticks from the spawn: the scripted whole game.)
TEST(Tick, SlamFromRow327LocksInItsFourthTick) {
    GameState state = fresh_state(1, MODE_SLAM);
    fill_row(state, 14, 0);  // the square can rest at whole row 10 (cells in rows 12 and 13)
    state.current = piece(3, 0, 3, 3.27f);
    for (float expected : {5.27f, 7.27f, 9.27f}) {
        game_tick(&state);
        EXPECT_EQ(state.mode, MODE_SLAM);
        EXPECT_NEAR(state.current.row, expected, 1e-5);
    }
    game_tick(&state);
    EXPECT_EQ(state.current.row, 10.0f);
    EXPECT_EQ(state.mode, MODE_SETTLE);
    EXPECT_EQ(state.ticks, 0u);
    EXPECT_EQ(state.bonus, 8);
    EXPECT_EQ(state.score, 8);
    EXPECT_EQ(state.board[13][4], 0x35);
}

// Score, level and speed change in the lock tick; the rows go (and the next piece comes) 11 ticks later.
TEST(Tick, ScoreChangesInTheLockTickAndRowsGoElevenTicksLater) {
    GameState state = fresh_state(1, MODE_LANDED);
    state.score = 95;
    fill_row(state, 19);
    fill_row(state, 18, 0);
    for (int r : {18, 19}) {
        state.board[r][4] = state.board[r][5] = 0;
    }
    state.current = piece(3, 0, 3, 16.0f);  // fills columns 4 and 5 of rows 18 and 19
    state.soft_drop = 1;
    game_tick(&state);
    ASSERT_EQ(state.mode, MODE_CLEARING);
    EXPECT_EQ(state.cleared_rows[0], 19);
    EXPECT_EQ(state.score, 105);
    EXPECT_EQ(state.level, 1);
    EXPECT_EQ(state.fall_speed, 0.04f);
    EXPECT_EQ(state.ticks, 0u);
    for (int i = 0; i < 10; ++i) {
        game_tick(&state);
        ASSERT_EQ(state.mode, MODE_CLEARING);
        ASSERT_NE(state.board[19][0], 0);
    }
    game_tick(&state);
    EXPECT_EQ(state.mode, MODE_FALLING);
    EXPECT_EQ(state.ticks, 0u);
    EXPECT_EQ(occupancy(state)[19], ".#########");  // former row 18 dropped into row 19

    GameState settle = fresh_state(1, MODE_SETTLE);  // the settle pause is as long
    EXPECT_EQ(ticks_until_mode_changes(settle), 11);
    EXPECT_EQ(settle.mode, MODE_FALLING);
}
