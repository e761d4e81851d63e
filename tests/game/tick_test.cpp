// The tick: intro, gravity, soft drop, landing and lock delay, slam, lock with scoring, pauses.
#include <gtest/gtest.h>

#include "game_test_support.h"

using namespace game_test;

namespace {

// Ticks until the mode changes (at most `limit` ticks); returns how many ran.
int ticks_until_mode_changes(GameState &state, int limit) {
    const GameMode start = state.mode;
    for (int n = 1; n <= limit; ++n) {
        game_tick(&state);
        if (state.mode != start) {
            return n;
        }
    }
    return -1;
}

// A square (kind 3) resting on the floor of the empty well at row 16, just landed.
GameState square_landed_on_floor() {
    GameState state = fresh_state(1, MODE_LANDED);
    state.current = piece(3, 0, 3, 16.0f);  // cells in rows 18 and 19, columns 4 and 5
    return state;
}

}  // namespace

TEST(Tick, IntroShowsFiftyTicks) {
    GameState state = fresh_state(1, MODE_INTRO);
    EXPECT_EQ(ticks_until_mode_changes(state, 100), 51);
    EXPECT_EQ(state.mode, MODE_WAIT_START);
    EXPECT_EQ(state.ticks, 51u);
}

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

TEST(Tick, GravityAndSoftDropSteps) {
    GameState state = fresh_state();
    state.current = piece(3, 0, 3, 0.0f);
    game_tick(&state);
    EXPECT_EQ(state.current.row, 0.03f);
    EXPECT_EQ(state.ticks, 1u);
    state.soft_drop = 1;
    game_tick(&state);
    EXPECT_EQ(state.current.row, 0.03f + 0.5f);
    EXPECT_EQ(state.mode, MODE_FALLING);
}

TEST(Tick, LandingSnapsAndWaitsForTheLockDelay) {
    GameState state = fresh_state();
    state.current = piece(3, 0, 3, 15.98f);
    state.ticks = 2;
    game_tick(&state);  // 16.01 reaches below row 19: lands at 16.0 on tick 3
    EXPECT_EQ(state.mode, MODE_LANDED);
    EXPECT_EQ(state.current.row, 16.0f);
    EXPECT_EQ(state.bonus, 7);
    EXPECT_EQ(state.ticks, 0u);
    EXPECT_EQ(state.board[19][4], 0);  // the lock does not happen in the landing tick
    // At level 0 the lock delay is 34: the lock comes on the 35th tick after the landing.
    EXPECT_EQ(ticks_until_mode_changes(state, 100), 35);
    EXPECT_EQ(state.mode, MODE_SETTLE);
    EXPECT_EQ(state.board[19][4], 0x35);
    EXPECT_EQ(state.score, 7);
}

TEST(Tick, LockDelayFollowsTheLevel) {
    const struct {
        int32_t level;
        int ticks;
    } table[] = {{0, 35}, {1, 27}, {2, 22}, {7, 12}, {17, 7}, {47, 3}};
    for (const auto &row : table) {
        GameState state = square_landed_on_floor();
        state.level = row.level;
        state.score = row.level * 100;
        state.fall_speed = game_fall_speed(row.level);
        EXPECT_EQ(ticks_until_mode_changes(state, 100), row.ticks) << row.level;
    }
}

TEST(Tick, FasterKeyLocksOnTheFirstTickAfterLanding) {
    GameState state = square_landed_on_floor();
    state.soft_drop = 1;
    game_tick(&state);
    EXPECT_EQ(state.mode, MODE_SETTLE);
    EXPECT_EQ(state.current.row, 16.0f);
}

TEST(Tick, MovedOverAGapFallsAgainWithoutASecondBonus) {
    GameState state = fresh_state(1, MODE_LANDED);
    for (int r = 17; r < 20; ++r) {
        fill_row(state, r, 9);
    }
    state.current = piece(2, 1, 6, 13.0f);  // upright long piece in column 8, rows 13 to 16
    state.ticks = 5;
    state.soft_drop = 1;                    // the fall-again test still uses gravity
    piece_try_move(&state, 1, 0);           // over the open column 9
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
    EXPECT_EQ(ticks_until_mode_changes(state, 100), 35);  // the delay starts again from 0
    EXPECT_EQ(state.mode, MODE_CLEARING);                // rows 17 to 19 are now full
    EXPECT_EQ(state.bonus, 75);
}

TEST(Tick, SlamFromRow327LocksInItsFourthTick) {
    GameState state = fresh_state();
    fill_row(state, 14, 0);  // the square can rest at whole row 10 (cells in rows 12 and 13)
    state.current = piece(3, 0, 3, 3.27f);
    state.mode = MODE_SLAM;
    state.ticks = 0;
    const float expected_rows[] = {5.27f, 7.27f, 9.27f};
    for (float expected : expected_rows) {
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

TEST(Tick, SlamBonusByLengthOfTheSlam) {
    GameState first = fresh_state(1, MODE_SLAM);
    first.current = piece(3, 0, 3, 16.0f);  // already on the floor
    game_tick(&first);
    EXPECT_EQ(first.bonus, 11);
    EXPECT_EQ(first.mode, MODE_SETTLE);

    GameState slow = fresh_state(1, MODE_SLAM);
    slow.current = piece(3, 0, 3, -3.0f);
    slow.ticks = 0;
    int n = 0;
    while (slow.mode == MODE_SLAM) {
        game_tick(&slow);
        ++n;
    }
    EXPECT_EQ(n, 10);  // 19 rows in steps of two: the tenth tick collides
    EXPECT_EQ(slow.bonus, 2);
    EXPECT_EQ(slow.current.row, 16.0f);
}

TEST(Tick, ScoreChangesInTheLockTickAndRowsGoElevenTicksLater) {
    GameState state = fresh_state(1, MODE_LANDED);
    state.score = 95;
    fill_row(state, 19);
    fill_row(state, 18, 0);
    for (int r : {18, 19}) {
        state.board[r][4] = 0;
        state.board[r][5] = 0;
    }
    state.current = piece(3, 0, 3, 16.0f);  // fills columns 4 and 5 of rows 18 and 19
    state.bonus = 0;
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
}

TEST(Tick, SettleShowsElevenFramesThenSpawns) {
    GameState state = fresh_state(1, MODE_SETTLE);
    state.ticks = 0;
    EXPECT_EQ(ticks_until_mode_changes(state, 100), 11);
    EXPECT_EQ(state.mode, MODE_FALLING);
}

TEST(Tick, SpawnOntoAFullEntryEndsTheGame) {
    GameState state = fresh_state(1, MODE_SETTLE);
    fill_row(state, 0, 9);
    state.queue[0] = piece(3, 0, 3, -3.0f);
    state.ticks = 10;
    game_tick(&state);
    EXPECT_EQ(state.mode, MODE_GAME_OVER);
}
