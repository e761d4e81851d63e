// The piece catalogue, the generator, game_new and the spawn of the next piece.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "game_test_support.h"

using namespace game_test;

namespace {

using Cell = std::pair<int, int>;  // box row, box column

int nibble(int kind, int rotation, int y, int x) {
    return (piece_shapes[kind][rotation][y] >> (12 - 4 * x)) & 0xF;
}

std::set<Cell> cells_of(int kind, int rotation) {
    std::set<Cell> cells;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            if (nibble(kind, rotation, y, x) != 0) {
                cells.insert({y, x});
            }
        }
    }
    return cells;
}

// Moves a set of cells so that its topmost row and leftmost column are 0.
std::set<Cell> normalised(const std::set<Cell> &cells) {
    int top = 4;
    int left = 4;
    for (const auto &[y, x] : cells) {
        top = std::min(top, y);
        left = std::min(left, x);
    }
    std::set<Cell> out;
    for (const auto &[y, x] : cells) {
        out.insert({y - top, x - left});
    }
    return out;
}

// Link bits of each tile code: up 1, down 2, left 4, right 8.
constexpr int UP = 1, DOWN = 2, LEFT = 4, RIGHT = 8;
constexpr int LINKS[16] = {0,         LEFT | RIGHT,     UP | DOWN,       RIGHT | DOWN,
                           LEFT | DOWN, RIGHT | UP,     LEFT | UP,       UP | DOWN | RIGHT,
                           UP | DOWN | LEFT, LEFT | RIGHT | DOWN, LEFT | RIGHT | UP, RIGHT,
                           LEFT,      DOWN,             UP,              0};

}  // namespace

TEST(Catalogue, EveryShapeHasFourCellsJoinedExactlyToTheirNeighbours) {
    for (int kind = 0; kind < PIECE_KINDS; ++kind) {
        for (int rotation = 0; rotation < 4; ++rotation) {
            const auto cells = cells_of(kind, rotation);
            ASSERT_EQ(cells.size(), 4u) << "kind " << kind << " rotation " << rotation;
            for (const auto &[y, x] : cells) {
                int expected = 0;
                expected |= cells.count({y - 1, x}) ? UP : 0;
                expected |= cells.count({y + 1, x}) ? DOWN : 0;
                expected |= cells.count({y, x - 1}) ? LEFT : 0;
                expected |= cells.count({y, x + 1}) ? RIGHT : 0;
                EXPECT_EQ(LINKS[nibble(kind, rotation, y, x)], expected)
                    << "kind " << kind << " rotation " << rotation << " cell " << y << "," << x;
            }
        }
    }
}

TEST(Catalogue, NextRotationIsAClockwiseQuarterTurn) {
    for (int kind = 0; kind < PIECE_KINDS; ++kind) {
        for (int rotation = 0; rotation < 4; ++rotation) {
            std::set<Cell> turned;
            for (const auto &[y, x] : cells_of(kind, rotation)) {
                turned.insert({x, 3 - y});  // clockwise with rows drawn downwards
            }
            EXPECT_EQ(normalised(turned), normalised(cells_of(kind, (rotation + 1) % 4)))
                << "kind " << kind << " rotation " << rotation;
        }
    }
}

TEST(Catalogue, SpawnedPiecesReachExactlyTheEntryCellsOfRowZero) {
    const std::vector<std::vector<int>> row0_columns = {{4}, {4}, {3, 4, 5, 6}, {4, 5}, {3}, {3, 4}, {4, 5}};
    GameState state = fresh_state();
    for (int kind = 0; kind < PIECE_KINDS; ++kind) {
        state.current = piece(kind, 0, 3, kind == 2 ? -1.0f : -3.0f);
        std::memset(state.board, 0, sizeof state.board);
        piece_lock(&state);
        for (int c = 0; c < BOARD_COLUMNS; ++c) {
            const bool expected = std::count(row0_columns[kind].begin(), row0_columns[kind].end(), c) > 0;
            EXPECT_EQ(state.board[0][c] != 0, expected) << "kind " << kind << " column " << c;
        }
        for (int r = 1; r < BOARD_ROWS; ++r) {
            EXPECT_EQ(std::count(state.board[r], state.board[r] + BOARD_COLUMNS, 0), BOARD_COLUMNS);
        }
    }
}

TEST(Generator, FollowsTheClassicSequence) {
    GameState state{};
    game_seed_random(&state, 1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected) {
        EXPECT_EQ(game_random(&state), value);
    }
}

TEST(Generator, StateWrapsModulo32BitsAndResultDropsBit31) {
    GameState state{};
    game_seed_random(&state, 0xFFFFFFFFu);
    const uint64_t next = (0xFFFFFFFFull * 214013u + 2531011u) % (1ull << 32);
    EXPECT_EQ(game_random(&state), static_cast<int>((next >> 16) & 0x7FFF));
    EXPECT_EQ(state.random_state, static_cast<uint32_t>(next));
}

TEST(GameNew, DrawsThreeKindsInOrderAndResetsTheGame) {
    GameState state = fresh_state(1, MODE_GAME_OVER);
    game_seed_random(&state, 1);
    state.board[19][0] = 0x3F;
    state.score = 420;
    state.level = 4;
    state.fall_speed = 0.07f;
    state.ticks = 99;
    state.key_guard = 1;
    state.shift_held = 1;
    state.soft_drop = 1;
    state.bonus = 7;
    state.cleared_rows[0] = 12;
    game_new(&state);
    // rand() 41, 18467, 6334 modulo 7: kinds 6, 1, 6.
    EXPECT_EQ(state.current.kind, 6);
    EXPECT_EQ(state.queue[0].kind, 1);
    EXPECT_EQ(state.queue[1].kind, 6);
    for (const PieceState &p : {state.current, state.queue[0], state.queue[1]}) {
        EXPECT_EQ(p.rotation, 0);
        EXPECT_EQ(p.column, 3);
        EXPECT_EQ(p.row, -3.0f);
    }
    EXPECT_EQ(state.ticks, 0u);
    EXPECT_EQ(state.key_guard, 0);
    EXPECT_EQ(state.score, 0);
    EXPECT_EQ(state.level, 0);
    EXPECT_EQ(state.fall_speed, 0.03f);
    EXPECT_EQ(state.board[19][0], 0);
    // Left for the caller and the other rules.
    EXPECT_EQ(state.mode, MODE_GAME_OVER);
    EXPECT_EQ(state.shift_held, 1);
    EXPECT_EQ(state.soft_drop, 1);
    EXPECT_EQ(state.bonus, 7);
    EXPECT_EQ(state.cleared_rows[0], 12);
}

TEST(GameNew, TheLongPieceSpawnsOneRowBelowTheOthers) {
    GameState state = fresh_state();
    for (uint32_t seed = 0; seed < 200; ++seed) {
        game_seed_random(&state, seed);
        game_new(&state);
        EXPECT_EQ(state.current.row, state.current.kind == 2 ? -1.0f : -3.0f);
    }
}

TEST(Spawn, TakesTheQueueAndDrawsOneNewPiece) {
    GameState state = fresh_state(1, MODE_SETTLE);
    state.queue[0] = piece(2, 0, 3, -1.0f);
    state.queue[1] = piece(5, 0, 3, -3.0f);
    state.ticks = 11;
    fill_row(state, 1);  // only row 0 matters for the entry test
    game_seed_random(&state, 1);
    piece_advance_queue(&state);
    EXPECT_EQ(state.current.kind, 2);
    EXPECT_EQ(state.queue[0].kind, 5);
    EXPECT_EQ(state.queue[1].kind, 6);  // 41 % 7
    EXPECT_EQ(state.mode, MODE_FALLING);
    EXPECT_EQ(state.ticks, 0u);
    EXPECT_EQ(state.key_guard, 0);
}

TEST(Spawn, OccupiedEntryCellEndsTheGameAndLeavesTheRestAlone) {
    GameState state = fresh_state(1, MODE_SETTLE);
    state.queue[0] = piece(0, 0, 3, -3.0f);  // enters at row 0 column 4 only
    state.queue[1] = piece(4, 0, 3, -3.0f);
    state.board[0][4] = 0x01;                 // kind 0, tile 1: non-zero, so occupied
    state.ticks = 11;
    state.shift_held = 1;
    state.soft_drop = 1;
    const uint32_t random_before = state.random_state;
    piece_advance_queue(&state);
    EXPECT_EQ(state.mode, MODE_GAME_OVER);
    EXPECT_EQ(state.ticks, 11u);
    EXPECT_EQ(state.key_guard, 0);
    EXPECT_EQ(state.soft_drop, 1);
    EXPECT_EQ(state.random_state, random_before);
    EXPECT_EQ(state.queue[0].kind, 4);
    EXPECT_EQ(state.queue[1].kind, 4);
}

TEST(Spawn, NeighbouringEntryCellsDoNotEndTheGame) {
    GameState state = fresh_state(1, MODE_SETTLE);
    state.queue[0] = piece(0, 0, 3, -3.0f);
    fill_row(state, 0, 4);  // everything in row 0 but the one entry cell of kind 0
    piece_advance_queue(&state);
    EXPECT_EQ(state.mode, MODE_FALLING);
}

TEST(Spawn, HeldKeysRaiseTheGuardAndDropTheSoftDrop) {
    GameState state = fresh_state(1, MODE_SETTLE);
    state.shift_held = 1;
    state.soft_drop = 1;
    piece_advance_queue(&state);
    EXPECT_EQ(state.key_guard, 1);
    EXPECT_EQ(state.soft_drop, 0);
    EXPECT_EQ(state.shift_held, 1);

    GameState idle = fresh_state(1, MODE_SETTLE);
    idle.key_guard = 1;  // no key held: the guard is left as it was
    piece_advance_queue(&idle);
    EXPECT_EQ(idle.key_guard, 1);
}
