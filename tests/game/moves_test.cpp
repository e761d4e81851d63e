// Collision, moves, landing and locking.
#include <gtest/gtest.h>

#include "game_test_support.h"

using namespace game_test;

namespace {

int collides(const GameState &state, const PieceState &p) {
    return piece_collides(&p, &state.board[0][0]);
}

}  // namespace

TEST(Collision, SideWallsBoundTheCellsNotTheBox) {
    GameState state = fresh_state();
    EXPECT_EQ(collides(state, piece(2, 1, -2, 5.0f)), 0);  // cells in column 0
    EXPECT_EQ(collides(state, piece(2, 1, -3, 5.0f)), 1);
    EXPECT_EQ(collides(state, piece(0, 0, 7, 5.0f)), 0);   // cells in columns 7 to 9
    EXPECT_EQ(collides(state, piece(0, 0, 8, 5.0f)), 1);
    EXPECT_EQ(collides(state, piece(2, 3, 7, 5.0f)), 0);   // cells in column 9
    EXPECT_EQ(collides(state, piece(2, 3, 8, 5.0f)), 1);
}

TEST(Collision, FloorAllowsRow19ExactlyButNothingBelow) {
    GameState state = fresh_state();
    // Kind 0 rotation 0 has its lowest cell in box row 3.
    EXPECT_EQ(collides(state, piece(0, 0, 3, 16.0f)), 0);   // Y = 19.0
    EXPECT_EQ(collides(state, piece(0, 0, 3, 16.03f)), 1);  // Y = 19.03
    EXPECT_EQ(collides(state, piece(0, 0, 3, 17.0f)), 1);
}

TEST(Collision, FractionalRowsTestTheRowBelowToo) {
    GameState state = fresh_state();
    state.board[8][4] = 0x3F;  // under the lowest cell of kind 0 when it stands at row 4 or 5
    // At 5.0 the lowest cell (box row 3) is in row 8: collides.
    EXPECT_EQ(collides(state, piece(0, 0, 3, 5.0f)), 1);
    // At 4.0 it is in row 7 only; at 4.5 it straddles rows 7 and 8.
    EXPECT_EQ(collides(state, piece(0, 0, 3, 4.0f)), 0);
    EXPECT_EQ(collides(state, piece(0, 0, 3, 4.5f)), 1);
    EXPECT_EQ(collides(state, piece(0, 0, 3, 4.999f)), 1);
    // Move the obstacle under an end cell of the upper row: at the whole row 5.0 the upper row
    // is in row 7 only, at 5.5 it straddles rows 7 and 8.
    state.board[8][4] = 0;
    state.board[8][3] = 0x3F;
    EXPECT_EQ(collides(state, piece(0, 0, 3, 4.5f)), 0);
    EXPECT_EQ(collides(state, piece(0, 0, 3, 5.0f)), 0);
    EXPECT_EQ(collides(state, piece(0, 0, 3, 5.5f)), 1);
}

TEST(Collision, CellsAboveTheWellMeetOnlyTheWalls) {
    GameState state = fresh_state();
    fill_row(state, 0);
    // Kind 2 rotation 0 lies in box row 1: at row -2.0 its cells are at Y = -1.0.
    EXPECT_EQ(collides(state, piece(2, 0, 3, -2.0f)), 0);
    EXPECT_EQ(collides(state, piece(2, 0, -1, -2.0f)), 1);
    // At Y = -0.5 the cells straddle row -1 and row 0 and meet the full row 0.
    EXPECT_EQ(collides(state, piece(2, 0, 3, -1.5f)), 1);
    fill_row(state, 0, -1, 0);
    EXPECT_EQ(collides(state, piece(2, 0, 3, -1.5f)), 0);
}

TEST(TryMove, ShiftsAndTurnsOnlyWhileFallingOrLanded) {
    for (GameMode mode : {MODE_FALLING, MODE_LANDED}) {
        GameState state = fresh_state(1, mode);
        state.current = piece(0, 0, 3, 5.0f);
        piece_try_move(&state, -1, 0);
        EXPECT_EQ(state.current.column, 2);
        piece_try_move(&state, 0, 3);
        EXPECT_EQ(state.current.rotation, 3);
        piece_try_move(&state, 0, 3);
        EXPECT_EQ(state.current.rotation, 2);
        EXPECT_EQ(state.current.row, 5.0f);
        EXPECT_EQ(state.ticks, 0u);
    }
    for (GameMode mode : {MODE_INTRO, MODE_WAIT_START, MODE_SLAM, MODE_SETTLE, MODE_CLEARING,
                          MODE_GAME_OVER, MODE_PAUSED, MODE_QUIT}) {
        GameState state = fresh_state(1, mode);
        state.current = piece(0, 0, 3, 5.0f);
        piece_try_move(&state, -1, 3);
        EXPECT_EQ(state.current.column, 3) << mode;
        EXPECT_EQ(state.current.rotation, 0) << mode;
    }
}

TEST(TryMove, RefusesWholeMovesWithoutKicks) {
    GameState state = fresh_state();
    // Kind 2 upright in column 9 (box column 2): turning it flat would need columns 7 to 10.
    state.current = piece(2, 1, 7, 5.0f);
    piece_try_move(&state, 0, 3);
    EXPECT_EQ(state.current.rotation, 1);
    EXPECT_EQ(state.current.column, 7);
    piece_try_move(&state, 1, 0);
    EXPECT_EQ(state.current.column, 7);
    // Kind 0 at column 3, row 5.0 fills row 7 columns 3 to 5 and row 8 column 4; a counterclockwise
    // turn (rotation 3) would also need row 6 column 4.
    state.current = piece(0, 0, 3, 5.0f);
    state.board[6][4] = 0x3F;
    piece_try_move(&state, 0, 3);
    EXPECT_EQ(state.current.rotation, 0);
    state.board[7][2] = 0x3F;
    piece_try_move(&state, -1, 0);
    EXPECT_EQ(state.current.column, 3);
    piece_try_move(&state, 1, 0);
    EXPECT_EQ(state.current.column, 4);
}

TEST(Land, SnapsToTheFloorRowOrWalksUp) {
    GameState state = fresh_state();
    state.current = piece(0, 0, 3, 7.6f);
    state.ticks = 3;
    piece_land(&state, 0);
    EXPECT_EQ(state.current.row, 7.0f);
    EXPECT_EQ(state.bonus, 7);
    EXPECT_EQ(state.ticks, 0u);
    EXPECT_EQ(state.mode, MODE_LANDED);

    fill_row(state, 19);
    fill_row(state, 18);
    state.current = piece(0, 0, 3, 17.0f);  // lowest cell in row 20: two rows too low
    state.ticks = 9;
    state.bonus = 55;  // replaced, not added to
    piece_land(&state, 0);
    EXPECT_EQ(state.current.row, 14.0f);
    EXPECT_EQ(state.bonus, 1);
}

TEST(Land, APieceStuckInAWallStillEnds) {
    GameState state = fresh_state();
    state.current = piece(2, 0, 8, 5.0f);  // columns 8 to 11: no row can free it
    piece_land(&state, 0);
    EXPECT_EQ(state.mode, MODE_LANDED);
    EXPECT_LE(state.current.row, -4.0f);
}

TEST(Land, DropBonusBySpeedOfTheFall) {
    const struct {
        uint32_t ticks;
        int slam;
        int32_t bonus;
        uint32_t ticks_after;
    } cases[] = {{1, 0, 9, 0}, {3, 0, 7, 0}, {9, 0, 1, 0}, {10, 0, 0, 0}, {30, 0, 0, 0},
                 {1, 1, 11, 1000}, {4, 1, 8, 1000}, {10, 1, 2, 1000}, {5000, 1, 2, 1000}};
    for (const auto &c : cases) {
        GameState state = fresh_state(1, c.slam ? MODE_SLAM : MODE_FALLING);
        state.current = piece(3, 0, 3, 10.0f);
        state.ticks = c.ticks;
        piece_land(&state, c.slam);
        EXPECT_EQ(state.bonus, c.bonus) << c.ticks << " " << c.slam;
        EXPECT_EQ(state.ticks, c.ticks_after);
        EXPECT_EQ(state.mode, MODE_LANDED);
    }
}

TEST(Lock, WritesKindAndTileCodes) {
    GameState state = fresh_state();
    state.current = piece(6, 0, 3, 16.0f);
    piece_lock(&state);
    EXPECT_EQ(state.board[18][3], 0x6B);
    EXPECT_EQ(state.board[18][4], 0x64);
    EXPECT_EQ(state.board[19][4], 0x65);
    EXPECT_EQ(state.board[19][5], 0x6C);
    int occupied = 0;
    for (const auto &row : state.board) {
        for (uint8_t cell : row) {
            occupied += cell != 0;
        }
    }
    EXPECT_EQ(occupied, 4);
}

TEST(Lock, CellsAboveTheWellAreDroppedAndLinksKept) {
    GameState state = fresh_state();
    // Kind 1 rotation 0 at row -2: box rows 1, 2, 3 are well rows -1, 0, 1.
    state.current = piece(1, 0, 3, -2.0f);
    piece_lock(&state);
    EXPECT_EQ(state.board[0][4], 0x12);  // still joined up and down
    EXPECT_EQ(state.board[1][4], 0x1E);
    EXPECT_EQ(state.board[0][5], 0);
    int occupied = 0;
    for (const auto &row : state.board) {
        for (uint8_t cell : row) {
            occupied += cell != 0;
        }
    }
    EXPECT_EQ(occupied, 2);
}
