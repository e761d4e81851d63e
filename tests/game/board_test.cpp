// Full rows, collapse with link repair, and the scoring rule.
#include <gtest/gtest.h>

#include <cmath>

#include "game_test_support.h"

using namespace game_test;

namespace {

// Fills a row with single cells (code 15, which the repair never changes), leaving column 0
// empty unless full, and writes the row number into the kinds of columns 8 and 9.
void mark_row(GameState &state, int row, bool full) {
    for (int c = 0; c < BOARD_COLUMNS; ++c) {
        state.board[row][c] = (full || c != 0) ? 0x3F : 0;
    }
    state.board[row][8] = static_cast<uint8_t>(((row / 7) << 4) | 0x0F);
    state.board[row][9] = static_cast<uint8_t>(((row % 7) << 4) | 0x0F);
}

// The row number written by mark_row.
int row_id(const GameState &state, int row) {
    return (state.board[row][8] >> 4) * 7 + (state.board[row][9] >> 4);
}

}  // namespace

TEST(FullRows, FindsAndScoresUpToFourRowsInOrder) {
    const int32_t points[] = {0, 10, 25, 75, 300};
    for (int count = 0; count <= 4; ++count) {
        GameState state = fresh_state(1, MODE_LANDED);
        state.ticks = 40;
        state.bonus = 3;
        for (int i = 0; i < count; ++i) {
            fill_row(state, 19 - 2 * i);
        }
        fill_row(state, 10, 4);  // one gap: not full
        EXPECT_EQ(board_find_full_rows(&state), count);
        EXPECT_EQ(state.bonus, 3 + points[count]);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(state.cleared_rows[i], i < count ? 19 - 2 * (count - 1 - i) : -1);
        }
        EXPECT_EQ(state.mode, count ? MODE_CLEARING : MODE_LANDED);
        EXPECT_EQ(state.ticks, count ? 0u : 40u);
    }
}

TEST(FullRows, KindZeroCellsFillARow) {
    GameState state = fresh_state();
    fill_row(state, 5, -1, 0x01);
    EXPECT_EQ(board_find_full_rows(&state), 1);
    EXPECT_EQ(state.cleared_rows[0], 5);
}

TEST(Collapse, ThreeBottomRowsDropEverythingByThree) {
    GameState state = fresh_state();
    for (int r = 0; r < 17; ++r) {
        mark_row(state, r, false);
    }
    for (int r = 17; r < 20; ++r) {
        fill_row(state, r);
    }
    ASSERT_EQ(board_find_full_rows(&state), 3);
    EXPECT_EQ(state.cleared_rows[0], 17);
    EXPECT_EQ(state.cleared_rows[1], 18);
    EXPECT_EQ(state.cleared_rows[2], 19);
    EXPECT_EQ(state.cleared_rows[3], -1);
    board_collapse_rows(&state);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < BOARD_COLUMNS; ++c) {
            EXPECT_EQ(state.board[r][c], 0);
        }
    }
    for (int r = 3; r < 20; ++r) {
        EXPECT_EQ(row_id(state, r), r - 3) << "row " << r;
        EXPECT_EQ(state.board[r][0], 0);
    }
}

TEST(Collapse, SeparatedFullRowsKeepTheRowsBetweenInOrder) {
    GameState state = fresh_state();
    for (int r = 0; r < 20; ++r) {
        mark_row(state, r, r == 15 || r == 18);
    }
    ASSERT_EQ(board_find_full_rows(&state), 2);
    GameState before = state;
    board_collapse_rows(&state);
    EXPECT_EQ(std::memcmp(state.board[19], before.board[19], BOARD_COLUMNS), 0);
    EXPECT_EQ(row_id(state, 18), 17);
    EXPECT_EQ(row_id(state, 17), 16);
    for (int r = 2; r <= 16; ++r) {
        EXPECT_EQ(row_id(state, r), r - 2) << "row " << r;
    }
    EXPECT_EQ(occupancy(state)[0], "..........");
    EXPECT_EQ(occupancy(state)[1], "..........");
}

TEST(Collapse, UprightLongPieceCutInTheMiddleLeavesTwoSingles) {
    GameState state = fresh_state();
    state.current = piece(2, 1, 0, 16.0f);  // column 2, rows 16 to 19: codes 13, 2, 2, 14
    piece_lock(&state);
    for (int r : {17, 18}) {
        fill_row(state, r, 2);
        state.board[r][2] = 0x22;
    }
    ASSERT_EQ(board_find_full_rows(&state), 2);
    board_collapse_rows(&state);
    EXPECT_EQ(state.board[18][2], 0x2F);
    EXPECT_EQ(state.board[19][2], 0x2F);
    EXPECT_EQ(state.board[17][2], 0);
}

TEST(Collapse, KindZeroPieceLosingEitherRow) {
    // Kind 0 rotation 0 at row 16: row 18 columns 3 to 5 (codes 11, 9, 12), row 19 column 4 (14).
    GameState upper = fresh_state();
    upper.current = piece(0, 0, 3, 16.0f);
    piece_lock(&upper);
    fill_row(upper, 18, 3);  // fill around the piece without touching it
    upper.board[18][3] = 0x0B;
    ASSERT_EQ(board_find_full_rows(&upper), 1);
    board_collapse_rows(&upper);
    EXPECT_EQ(upper.board[19][4], 0x0F);
    EXPECT_EQ(occupancy(upper)[18], "..........");

    GameState lower = fresh_state();
    lower.current = piece(0, 0, 3, 16.0f);
    piece_lock(&lower);
    for (int c : {0, 1, 2, 3, 5, 6, 7, 8, 9}) {
        lower.board[19][c] = 0x3F;
    }
    ASSERT_EQ(board_find_full_rows(&lower), 1);
    board_collapse_rows(&lower);
    EXPECT_EQ(lower.board[19][3], 0x0B);
    EXPECT_EQ(lower.board[19][4], 0x01);
    EXPECT_EQ(lower.board[19][5], 0x0C);
    EXPECT_EQ(occupancy(lower)[18], "..........");
}

TEST(Collapse, TopAndBottomRowsRepairOnlyTheirOneNeighbour) {
    GameState state = fresh_state();
    fill_row(state, 0, -1, 0x12);   // straight up-down cells
    fill_row(state, 1, -1, 0x12);
    state.board[1][0] = 0;           // row 1 not full
    fill_row(state, 19, -1, 0x42);
    fill_row(state, 18, -1, 0x42);
    state.board[18][0] = 0;
    ASSERT_EQ(board_find_full_rows(&state), 2);
    board_collapse_rows(&state);
    // Removing row 0 empties it and cuts the up links of row 1 (2 -> 13); removing row 19 then
    // drops every row by one, and the row that moves into 19 loses its down links (2 -> 14).
    EXPECT_EQ(occupancy(state)[0], "..........");
    EXPECT_EQ(occupancy(state)[1], "..........");
    EXPECT_EQ(state.board[2][1], 0x1D);
    EXPECT_EQ(state.board[19][1], 0x4E);
}

TEST(Unlink, MapsEveryCodeAndKeepsTheKind) {
    const uint8_t down[16] = {0, 1, 14, 11, 12, 5, 6, 5, 6, 1, 10, 11, 12, 15, 14, 15};
    const uint8_t up[16] = {0, 1, 13, 3, 4, 11, 12, 3, 4, 9, 1, 11, 12, 13, 15, 15};
    for (int kind = 0; kind < PIECE_KINDS; ++kind) {
        for (int code = 1; code < 16; ++code) {
            uint8_t board[BOARD_ROWS][BOARD_COLUMNS] = {};
            board[4][0] = static_cast<uint8_t>(kind * 16 + code);
            board[4][9] = static_cast<uint8_t>(kind * 16 + code);
            board[5][0] = static_cast<uint8_t>(kind * 16 + code);
            board_unlink_down(board, 4);
            EXPECT_EQ(board[4][0], kind * 16 + down[code]) << kind << " " << code;
            EXPECT_EQ(board[4][9], kind * 16 + down[code]);
            EXPECT_EQ(board[5][0], kind * 16 + code);  // other rows untouched
            board[4][0] = static_cast<uint8_t>(kind * 16 + code);
            board_unlink_up(board, 4);
            EXPECT_EQ(board[4][0], kind * 16 + up[code]) << kind << " " << code;
            EXPECT_EQ(board[4][1], 0);  // empty stays empty
        }
    }
}

TEST(Scoring, FallSpeedIsTheSinglePrecisionProduct) {
    EXPECT_EQ(game_fall_speed(0), 0.03f);
    EXPECT_EQ(game_fall_speed(1), 0.04f);
    // 5 * 0.01f rounds to the single-precision value just below 0.05, not to 0.05f (just above).
    EXPECT_EQ(game_fall_speed(2), std::nextafter(0.05f, 0.0f));
    EXPECT_LT(static_cast<double>(game_fall_speed(2)), 0.05);
    EXPECT_EQ(game_fall_speed(97), 1.0f);
    EXPECT_LT(game_fall_speed(96), 1.0f);
    for (int32_t level : {0, 1, 7, 17, 1000, 16777213, 21474833}) {
        // level + 3 is exact in single precision here, so one float multiplication rounds once.
        EXPECT_EQ(game_fall_speed(level), static_cast<float>(level + 3) * 0.01f) << level;
    }
}

TEST(Scoring, LockDelayTable) {
    const struct {
        int32_t level;
        uint32_t delay;
    } table[] = {{0, 34}, {1, 26}, {2, 21}, {3, 17}, {5, 13}, {7, 11},
                 {10, 8}, {17, 6}, {22, 4}, {47, 2}, {97, 1}};
    for (const auto &row : table) {
        EXPECT_EQ(game_lock_delay(game_fall_speed(row.level)), row.delay) << row.level;
    }
}

TEST(Scoring, ScoreSetsLevelAndSpeed) {
    const struct {
        int32_t score_before;
        int32_t bonus;
        int32_t level;
        float speed;
    } cases[] = {{0, 99, 0, 0.03f}, {90, 10, 1, 0.04f}, {290, 9, 2, std::nextafter(0.05f, 0.0f)}, {290, 10, 3, 0.06f}};
    for (const auto &c : cases) {
        GameState state = fresh_state();
        state.score = c.score_before;
        state.bonus = c.bonus;
        game_score_bonus(&state);
        EXPECT_EQ(state.score, c.score_before + c.bonus);
        EXPECT_EQ(state.level, c.level);
        EXPECT_EQ(state.fall_speed, c.speed);
    }
}

TEST(Scoring, ScoreSaturatesInsteadOfWrapping) {
    GameState state = fresh_state();
    state.score = INT32_MAX - 5;
    state.bonus = 311;
    game_score_bonus(&state);
    EXPECT_EQ(state.score, INT32_MAX);
    EXPECT_EQ(state.level, INT32_MAX / 100);
}
