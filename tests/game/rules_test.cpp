// The piece catalogue, the generator, collision, moves, landing, locking, full rows and scoring.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "game_test_support.h"

using namespace game_test;

namespace {

using Cell = std::pair<int, int>;  // box row, box column

int nibble(int kind, int rotation, int y, int x) { return (piece_shapes[kind][rotation][y] >> (12 - 4 * x)) & 0xF; }

bool filled(int kind, int rotation, int y, int x) {
    return y >= 0 && y < 4 && x >= 0 && x < 4 && nibble(kind, rotation, y, x) != 0;
}

// The cells of a shape, turned a clockwise quarter if asked, moved to touch the top and left edges.
std::set<Cell> shape(int kind, int rotation, bool turn) {
    std::set<Cell> cells;
    int top = 4, left = 4;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            if (filled(kind, rotation, y, x)) {
                const Cell cell = turn ? Cell{x, 3 - y} : Cell{y, x};
                cells.insert(cell);
                top = std::min(top, cell.first);
                left = std::min(left, cell.second);
            }
        }
    }
    std::set<Cell> out;
    for (const auto &[y, x] : cells) {
        out.insert({y - top, x - left});
    }
    return out;
}

// Link bits of each tile code: up 1, down 2, left 4, right 8.
constexpr int UP = 1, DOWN = 2, LEFT = 4, RIGHT = 8;
constexpr int LINKS[16] = {0, 12, 3, 10, 6, 9, 5, 11, 7, 14, 13, 8, 4, 2, 1, 0};

int collides(const GameState &state, const PieceState &p) { return piece_collides(&p, &state.board[0][0]); }

int occupied_cells(const GameState &state) {
    const uint8_t *cells = &state.board[0][0];
    return static_cast<int>(std::count_if(cells, cells + sizeof state.board, [](uint8_t c) { return c != 0; }));
}

}  // namespace

// Every shape has four cells whose tile codes join exactly their same-piece neighbours (or the drawing
// and the link repair go wrong), and rotation r + 1 is rotation r turned a clockwise quarter.
TEST(Catalogue, ShapesHaveFourJoinedCellsAndTurnClockwise) {
    for (int kind = 0; kind < PIECE_KINDS; ++kind) {
        for (int rotation = 0; rotation < 4; ++rotation) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << " rotation " << rotation);
            EXPECT_EQ(shape(kind, rotation, false).size(), 4u);
            EXPECT_EQ(shape(kind, rotation, true), shape(kind, (rotation + 1) % 4, false));
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 4; ++x) {
                    const auto at = [&](int dy, int dx) { return filled(kind, rotation, y + dy, x + dx); };
                    const int expected = (at(-1, 0) ? UP : 0) | (at(1, 0) ? DOWN : 0) | (at(0, -1) ? LEFT : 0) |
                                         (at(0, 1) ? RIGHT : 0);
                    EXPECT_EQ(LINKS[nibble(kind, rotation, y, x)], at(0, 0) ? expected : 0) << y << "," << x;
                }
            }
        }
    }
}

// At the spawn position each kind reaches row 0 in exactly its entry cells and no lower row.
TEST(Catalogue, SpawnedPiecesReachExactlyTheEntryCellsOfRowZero) {
    const std::vector<std::vector<int>> row0_columns = {{4}, {4}, {3, 4, 5, 6}, {4, 5}, {3}, {3, 4}, {4, 5}};
    for (int kind = 0; kind < PIECE_KINDS; ++kind) {
        GameState state = fresh_state();
        state.current = piece(kind, 0, 3, kind == 2 ? -1.0f : -3.0f);
        piece_lock(&state);
        std::string expected(BOARD_COLUMNS, '.');
        for (int c : row0_columns[kind]) {
            expected[c] = '#';
        }
        EXPECT_EQ(occupancy(state)[0], expected) << "kind " << kind;
        EXPECT_EQ(occupied_cells(state), static_cast<int>(row0_columns[kind].size())) << "kind " << kind;
    }
}

// A known seed pins the first numbers (bits 16 to 30 of a state that wraps modulo 2^32).
TEST(Generator, SeedOneGivesTheClassicSequence) {
    GameState state{};
    game_seed_random(&state, 1);
    for (int value : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}) {
        EXPECT_EQ(game_random(&state), value);
    }
}

// game_new draws current, queue[0], queue[1] in that order and resets only its own fields.
TEST(GameNew, DrawsThreeKindsInOrderAndResetsTheGame) {
    GameState state = fresh_state(1, MODE_GAME_OVER);
    game_seed_random(&state, 1);
    state.board[19][0] = 0x3F;
    state.score = 420;
    state.level = 4;
    state.fall_speed = 0.07f;
    state.ticks = 99;
    state.key_guard = state.shift_held = state.soft_drop = state.bonus = state.cleared_rows[0] = 1;
    GameState expected = state;  // mode, saved_mode, flags, bonus and cleared_rows are left alone
    game_new(&state);
    expected.current = piece(6, 0, 3, -3.0f);  // 41, 18467, 6334 modulo 7: kinds 6, 1, 6
    expected.queue[0] = piece(1, 0, 3, -3.0f);
    expected.queue[1] = piece(6, 0, 3, -3.0f);
    expected.ticks = expected.score = expected.level = expected.key_guard = expected.board[19][0] = 0;
    expected.fall_speed = 0.03f;
    expected.random_state = state.random_state;
    EXPECT_TRUE(same_record(state, expected));
    for (uint32_t seed = 0; seed < 200; ++seed) {  // the long piece spawns one row below the others
        game_seed_random(&state, seed);
        game_new(&state);
        EXPECT_EQ(state.current.row, state.current.kind == 2 ? -1.0f : -3.0f);
    }
}

// The spawn takes the queue and draws one piece; a taken entry cell (even a kind-0 byte) ends the
// game without touching the queue, ticks, flags or generator. (Held keys: Keys.HeldKeysAndTheSpawnGuard.)
TEST(Spawn, TakesTheQueueOrEndsTheGame) {
    for (const bool blocked : {false, true}) {
        GameState state = fresh_state(1, MODE_SETTLE);
        state.queue[0] = piece(0, 0, 3, -3.0f);  // enters at row 0 column 4 only
        state.queue[1] = piece(5, 0, 3, -3.0f);
        state.ticks = 11;
        fill_row(state, 0, 4);  // the neighbours of the entry cell do not matter
        state.board[0][4] = blocked ? 0x01 : 0;
        state.shift_held = state.soft_drop = blocked ? 1 : 0;
        game_seed_random(&state, 1);
        GameState expected = state;
        piece_advance_queue(&state);
        expected.current = expected.queue[0];
        expected.queue[0] = expected.queue[1];
        expected.mode = blocked ? MODE_GAME_OVER : MODE_FALLING;
        if (!blocked) {
            expected.queue[1] = piece(6, 0, 3, -3.0f);  // seed 1: 41 % 7
            expected.ticks = 0;
            expected.random_state = state.random_state;
        }
        EXPECT_TRUE(same_record(state, expected)) << blocked;
    }
}

// Walls bound the cells, not the box; the floor takes row 19 exactly; a fractional row also tests
// the row below; cells above the well meet only the walls.
TEST(Collision, WallsFloorFractionalRowsAndAboveTheWell) {
    const struct {
        int full_row, block_row, block_column;
        PieceState p;
        int expected;
    } cases[] = {
        {-1, -1, 0, piece(2, 1, -2, 5.0f), 0}, {-1, -1, 0, piece(2, 1, -3, 5.0f), 1},
        {-1, -1, 0, piece(0, 0, 7, 5.0f), 0},  {-1, -1, 0, piece(0, 0, 8, 5.0f), 1},
        {-1, -1, 0, piece(2, 3, 7, 5.0f), 0},  {-1, -1, 0, piece(2, 3, 8, 5.0f), 1},
        {-1, -1, 0, piece(0, 0, 3, 16.0f), 0}, {-1, -1, 0, piece(0, 0, 3, 16.03f), 1},
        {-1, -1, 0, piece(0, 0, 3, 17.0f), 1}, {-1, 8, 4, piece(0, 0, 3, 5.0f), 1},
        {-1, 8, 4, piece(0, 0, 3, 4.0f), 0},   {-1, 8, 4, piece(0, 0, 3, 4.5f), 1},
        {-1, 8, 4, piece(0, 0, 3, 4.999f), 1}, {-1, 8, 3, piece(0, 0, 3, 4.5f), 0},
        {-1, 8, 3, piece(0, 0, 3, 5.0f), 0},   {-1, 8, 3, piece(0, 0, 3, 5.5f), 1},
        {0, -1, 0, piece(2, 0, 3, -2.0f), 0},  {0, -1, 0, piece(2, 0, -1, -2.0f), 1},
        {0, -1, 0, piece(2, 0, 3, -1.5f), 1},  {-1, -1, 0, piece(2, 0, 3, -1.5f), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        GameState state = fresh_state();
        if (c.full_row >= 0) {
            fill_row(state, c.full_row);
        }
        if (c.block_row >= 0) {
            state.board[c.block_row][c.block_column] = 0x3F;
        }
        EXPECT_EQ(collides(state, c.p), c.expected);
    }
}

// Turns wrap modulo 4; a colliding move or turn is refused whole: no wall or floor kicks. (Which modes
// allow moves: Keys.MovesSlamAndQuitInEveryMode.)
TEST(TryMove, RefusesWholeMovesWithoutKicks) {
    GameState state = fresh_state();
    state.current = piece(0, 0, 3, 5.0f);
    piece_try_move(&state, 0, 3);
    piece_try_move(&state, 0, 3);
    EXPECT_TRUE(same_piece(state.current, piece(0, 2, 3, 5.0f)));
    state.current = piece(2, 1, 7, 5.0f);  // upright in column 9: flat would need columns 7 to 10
    piece_try_move(&state, 0, 3);
    piece_try_move(&state, 1, 0);
    EXPECT_TRUE(same_piece(state.current, piece(2, 1, 7, 5.0f)));
    // Kind 0 at row 5.0 fills row 7 columns 3 to 5 and row 8 column 4; rotation 3 also needs row 6 column 4.
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

// Landing snaps down to a whole row, walks up out of cells, and ends even for a piece stuck in a wall.
TEST(Land, SnapsToTheFloorRowOrWalksUp) {
    GameState state = fresh_state();
    fill_row(state, 19);
    fill_row(state, 18);
    state.current = piece(0, 0, 3, 17.5f);  // lowest cell in rows 20 and 21: snaps to 17, then walks up
    state.ticks = 9;
    state.bonus = 55;  // replaced, not added to
    piece_land(&state, 0);
    EXPECT_EQ(state.current.row, 14.0f);
    EXPECT_EQ(state.bonus, 1);

    GameState stuck = fresh_state();
    stuck.current = piece(2, 0, 8, 5.0f);  // columns 8 to 11: no row can free it
    piece_land(&stuck, 0);
    EXPECT_EQ(stuck.mode, MODE_LANDED);
    EXPECT_LE(stuck.current.row, -4.0f);
}

// Drop bonus 10 - ticks (never negative), +2 and the tick mark 1000 for a slam.
TEST(Land, DropBonusBySpeedOfTheFall) {
    const struct {
        uint32_t ticks;
        int slam;
        int32_t bonus;
        uint32_t ticks_after;
    } cases[] = {{1, 0, 9, 0},     {3, 0, 7, 0},    {9, 0, 1, 0},     {10, 0, 0, 0},      {30, 0, 0, 0},
                 {1, 1, 11, 1000}, {4, 1, 8, 1000}, {10, 1, 2, 1000}, {5000, 1, 2, 1000}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.ticks << " ticks, slam " << c.slam);
        GameState state = fresh_state(1, c.slam ? MODE_SLAM : MODE_FALLING);
        state.current = piece(3, 0, 3, 10.0f);
        state.ticks = c.ticks;
        piece_land(&state, c.slam);
        EXPECT_EQ(state.bonus, c.bonus);
        EXPECT_EQ(state.ticks, c.ticks_after);
        EXPECT_EQ(state.mode, MODE_LANDED);
    }
}

// Up to four full rows (kind-0 cells count) are found in ascending order and scored 10/25/75/300.
TEST(FullRows, FindsAndScoresUpToFourRowsInOrder) {
    const int32_t points[] = {0, 10, 25, 75, 300};
    for (int count = 0; count <= 4; ++count) {
        SCOPED_TRACE(count);
        GameState state = fresh_state(1, MODE_LANDED);
        state.ticks = 40;
        state.bonus = 3;
        for (int i = 0; i < count; ++i) {
            fill_row(state, 19 - 2 * i, -1, static_cast<uint8_t>(i == 0 ? 0x01 : 0x3F));
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

// Removing full rows (together or apart) keeps the other rows in order and empties the top.
TEST(Collapse, OtherRowsDropInOrder) {
    for (const std::vector<int> &full : {std::vector<int>{17, 18, 19}, std::vector<int>{15, 18}}) {
        GameState state = fresh_state();
        std::vector<std::string> expected(full.size(), "..........");
        for (int r = 0; r < BOARD_ROWS; ++r) {  // column 0 empty and the row number in columns 1 to 5
            const bool is_full = std::count(full.begin(), full.end(), r) > 0;
            for (int c = 0; c < BOARD_COLUMNS; ++c) {
                state.board[r][c] = is_full || (c > 0 && (c > 5 || ((r >> (c - 1)) & 1))) ? 0x3F : 0;
            }
            if (!is_full) {
                expected.push_back(occupancy(state)[r]);
            }
        }
        ASSERT_EQ(board_find_full_rows(&state), static_cast<int>(full.size()));
        board_collapse_rows(&state);
        EXPECT_EQ(occupancy(state), expected);
    }
}

// Cutting a piece repairs the links of the cells left above and below the removed row.
TEST(Collapse, CutPiecesLoseTheirLinksToRemovedRows) {
    GameState upright = fresh_state();
    upright.current = piece(2, 1, 0, 16.0f);  // column 2, rows 16 to 19: codes 13, 2, 2, 14
    piece_lock(&upright);
    for (int r : {17, 18}) {
        fill_row(upright, r, -1);
        upright.board[r][2] = 0x22;
    }
    ASSERT_EQ(board_find_full_rows(&upright), 2);
    board_collapse_rows(&upright);
    EXPECT_EQ(upright.board[18][2], 0x2F);
    EXPECT_EQ(upright.board[19][2], 0x2F);
    EXPECT_EQ(upright.board[17][2], 0);

    // Removing row 0 cuts the up links of row 1 (2 -> 13); removing row 19 drops every row by one,
    // and the row that moves into 19 loses its down links (2 -> 14).
    GameState edges = fresh_state();
    fill_row(edges, 0, -1, 0x12);
    fill_row(edges, 1, 0, 0x12);
    fill_row(edges, 19, -1, 0x42);
    fill_row(edges, 18, 0, 0x42);
    ASSERT_EQ(board_find_full_rows(&edges), 2);
    board_collapse_rows(&edges);
    EXPECT_EQ(occupancy(edges)[0], "..........");
    EXPECT_EQ(occupancy(edges)[1], "..........");
    EXPECT_EQ(edges.board[2][1], 0x1D);
    EXPECT_EQ(edges.board[19][1], 0x4E);
}

// Each unlink removes exactly the down (or up) link from every cell of one row and keeps the kind.
TEST(Unlink, CutsExactlyOneLinkDirectionAndKeepsTheKind) {
    for (int kind = 0; kind < PIECE_KINDS; ++kind) {
        for (int code = 1; code < 16; ++code) {
            for (const bool up : {false, true}) {
                SCOPED_TRACE(testing::Message() << "kind " << kind << " code " << code << (up ? " up" : " down"));
                const auto cell = static_cast<uint8_t>(kind * 16 + code);
                uint8_t board[BOARD_ROWS][BOARD_COLUMNS] = {};
                board[4][0] = board[4][9] = board[5][0] = cell;
                (up ? board_unlink_up : board_unlink_down)(board, 4);
                EXPECT_EQ(board[4][0] >> 4, kind);
                EXPECT_NE(board[4][0] & 0xF, 0);
                EXPECT_EQ(LINKS[board[4][0] & 0xF], LINKS[code] & ~(up ? UP : DOWN));
                EXPECT_EQ(board[4][9], board[4][0]);
                EXPECT_EQ(board[5][0], cell);  // other rows untouched
                EXPECT_EQ(board[4][1], 0);     // empty stays empty
            }
        }
    }
}

// Fall speed is (level + 3) * 0.01 rounded once to single precision.
TEST(Scoring, FallSpeedIsTheSinglePrecisionProduct) {
    EXPECT_EQ(game_fall_speed(0), 0.03f);
    EXPECT_EQ(game_fall_speed(1), 0.04f);
    // 5 * 0.01f rounds to the value just below 0.05, not to 0.05f (just above).
    EXPECT_EQ(game_fall_speed(2), std::nextafter(0.05f, 0.0f));
    EXPECT_EQ(game_fall_speed(97), 1.0f);
    EXPECT_LT(game_fall_speed(96), 1.0f);
    for (int32_t level : {7, 17, 1000, 16777213, 21474833}) {
        EXPECT_EQ(game_fall_speed(level), static_cast<float>(level + 3) * 0.01f) << level;
    }
}

// The lock delay is ceil(1 / speed) in double precision; the tick locks one tick after it runs out.
TEST(Scoring, LockDelayTable) {
    const struct {
        int32_t level;
        uint32_t delay;
    } table[] = {{0, 34}, {1, 26}, {2, 21}, {3, 17}, {5, 13}, {7, 11}, {10, 8}, {17, 6}, {22, 4}, {47, 2}, {97, 1}};
    for (const auto &row : table) {
        SCOPED_TRACE(row.level);
        EXPECT_EQ(game_lock_delay(game_fall_speed(row.level)), row.delay);
        GameState state = fresh_state(1, MODE_LANDED);
        state.current = piece(3, 0, 3, 16.0f);  // a square resting on the floor
        state.level = row.level;
        state.score = row.level * 100;
        state.fall_speed = game_fall_speed(row.level);
        EXPECT_EQ(ticks_until_mode_changes(state), static_cast<int>(row.delay) + 1);
        EXPECT_EQ(state.mode, MODE_SETTLE);
    }
}

// Score sets level and speed; it saturates instead of wrapping.
TEST(Scoring, ScoreSetsLevelAndSpeedAndSaturates) {
    const struct {
        int32_t score_before, bonus, score, level;
        float speed;
    } cases[] = {{0, 99, 99, 0, 0.03f},
                 {90, 10, 100, 1, 0.04f},
                 {290, 9, 299, 2, std::nextafter(0.05f, 0.0f)},
                 {290, 10, 300, 3, 0.06f},
                 {INT32_MAX - 5, 311, INT32_MAX, INT32_MAX / 100, game_fall_speed(INT32_MAX / 100)}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.score_before);
        GameState state = fresh_state();
        state.score = c.score_before;
        state.bonus = c.bonus;
        game_score_bonus(&state);
        EXPECT_EQ(state.score, c.score);
        EXPECT_EQ(state.level, c.level);
        EXPECT_EQ(state.fall_speed, c.speed);
    }
}
