// Cell quads, pieces, the board and the row flash, checked call by call.
#include <gtest/gtest.h>

#include <cmath>

#include "recorder_support.h"

namespace {

// Colours are n/255 rounded once to the nearest float (a double quotient would round twice).
TEST(ColourTables, EveryComponentIsNOver255RoundedToFloat) {
    auto nearest = [](float f) {
        const long double exact = std::round(static_cast<long double>(f) * 255.0L) / 255.0L;
        const auto dist = [&](float g) { return std::fabs(static_cast<long double>(g) - exact); };
        return dist(f) <= dist(std::nextafter(f, -1.0f)) && dist(f) <= dist(std::nextafter(f, 2.0f));
    };
    for (int k = 0; k < 9; ++k) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(nearest(WELL_COLOURS[k][i])) << "well " << k << "," << i;
            EXPECT_TRUE(k >= 7 || i == 3 || nearest(PIECE_COLOURS[k][i])) << "piece " << k << "," << i;
        }
    }
    // By their bits: 100/255 = 0x3ec8c8c9, 278/255 = 0x3f8b8b8c, 229/255 = 0x3f65e5e6.
    EXPECT_EQ(PIECE_COLOURS[0][1], 0x1.919192p-2f);
    EXPECT_EQ(PIECE_COLOURS[3][2], 0x1.171718p+0f);
    EXPECT_EQ(WELL_COLOURS[8][3], 0x1.cbcbccp-1f);
    EXPECT_EQ(WELL_COLOURS[0][3], 1.0f);
}

// Links of a tile code as bits: left 1, right 2, up 4, down 8.
constexpr int L = 1, R = 2, U = 4, D = 8;

// A link set turned clockwise on the screen a number of quarter turns.
int turn_links(int links, int quarters) {
    for (int q = 0; q < quarters; ++q) {
        links = ((links & R) ? D : 0) | ((links & D) ? L : 0) | ((links & L) ? U : 0) | ((links & U) ? R : 0);
    }
    return links;
}

// Every tile code: the cell's corners, and its picture turned so that it joins the right sides.
TEST(EmitCellQuad, EveryTileCodeShowsItsPictureTurnedToItsLinks) {
    // The joins of each code; the five pictures unturned: straight joins left and right,
    // corner right and down, three-way left, right and up, end right, single nothing.
    constexpr int joins[16] = {0, L | R, U | D, R | D, L | D, R | U, L | U, U | D | R, U | D | L,
                               L | R | D, L | R | U, R, L, D, U, 0};
    constexpr int picture_links[5] = {L | R, R | D, L | R | U, R, 0};
    constexpr int picture[16] = {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4};
    constexpr float unturned[4][2] = {{0, 0}, {15, 0}, {15, 15}, {0, 15}};
    for (int code = 1; code < 16; ++code) {
        SCOPED_TRACE(code);
        const std::vector<GlVertex> v = emitted([&] { emit_cell_quad(2.0f, 3.0f, static_cast<uint8_t>(code)); });
        ASSERT_EQ(v.size(), 4u);
        int turn = -1;  // the quarter turn that maps the picture's corners onto this code's
        for (int q = 0; q < 4 && turn < 0; ++q) {
            bool all = true;
            for (int i = 0; i < 4; ++i) {
                const float *u = unturned[(i + q) % 4];
                all = all && v[i].tex == std::array{(16.0f * float(picture[code]) + u[0]) / 128.0f, u[1] / 16.0f};
            }
            turn = all ? q : -1;
        }
        ASSERT_GE(turn, 0) << "not its picture turned";
        EXPECT_EQ(turn_links(picture_links[picture[code]], turn), joins[code]);
        EXPECT_EQ(xys(v), (Points{{330, 250}, {345, 250}, {345, 265}, {330, 265}}));  // column 2, row 3
        for (int i = 0; i < 4; ++i) {
            EXPECT_FALSE(v[i].integer);
        }
    }
    // Given for checking: (31, 15) of code 5's top-right is s 0.2421875, t 0.9375.
    EXPECT_EQ(TILE_TEXCOORDS[5][3][0], 0.2421875f);
    EXPECT_EQ(TILE_TEXCOORDS[5][3][1], 0.9375f);
}

// Positions rounded once from double, never to whole pixels; a stray byte stays in the table.
TEST(EmitCellQuad, PositionIsRoundedOnceAndAStrayTileByteStaysInTheTable) {
    const std::vector<GlVertex> v = emitted([] {
        emit_cell_quad(-0.3f, 4.37f, 1);
        emit_cell_quad(0.0f, 0.0f, 0x1F);  // only the nibble counts: drawn as code 15
    });
    ASSERT_EQ(v.size(), 8u);
    EXPECT_EQ(v[0].x, static_cast<float>(300.0 + 15.0 * static_cast<double>(-0.3f)));
    EXPECT_EQ(v[0].y, static_cast<float>(295.0 - 15.0 * static_cast<double>(4.37f)));
    EXPECT_EQ(v[1].x, v[0].x + 15.0f);
    EXPECT_EQ(v[2].y, v[0].y + 15.0f);
    EXPECT_EQ(v[4].tex[0], 64.0f / 128.0f);
    EXPECT_EQ(v[5].tex[0], 79.0f / 128.0f);
}

// Box rows top to bottom, row before column, cells above the well still emitted.
TEST(EmitPieceCells, WalksTheBoxRowByRowAndKeepsCellsAboveTheWell) {
    // Kind 0, rotation 0: 0xB9C0 in box row 2 and 0x0E00 in box row 3.
    std::vector<GlVertex> v = emitted([] { emit_piece_cells(piece_shapes[0][0], 4.37f, 3.0f); });
    ASSERT_EQ(v.size(), 16u);
    const float box_rows[4] = {2, 2, 2, 3}, cols[4] = {3, 4, 5, 4};
    const int codes[4] = {11, 9, 12, 14};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(v[4 * i].x, 300.0f + 15.0f * cols[i]);
        EXPECT_EQ(v[4 * i].y, static_cast<float>(295.0 - 15.0 * static_cast<double>(4.37f + box_rows[i])));
        EXPECT_EQ(v[4 * i].tex, (std::array<float, 2>{TILE_TEXCOORDS[codes[i]][0][0], TILE_TEXCOORDS[codes[i]][0][1]}));
    }
    EXPECT_NE(v[0].y, std::floor(v[0].y));
    v = emitted([] { emit_piece_cells(piece_shapes[1][0], -3.0f, 3.0f); });  // rows -2, -2, -1 and 0
    ASSERT_EQ(v.size(), 16u);
    EXPECT_EQ(v[0].y, 325.0f);
    EXPECT_EQ(v[12].y, 295.0f);
}

// Each occupied cell in its kind's well colour, top row first; a corrupt kind stays in the table.
TEST(DrawBoard, EachOccupiedCellInItsKindsWellColourTopRowFirst) {
    uint8_t board[BOARD_ROWS][BOARD_COLUMNS] = {};
    EXPECT_TRUE(emitted([&] { draw_board(board); }).empty());
    board[19][0] = 0x01;  // kind 0, code 1: occupied although the kind nibble is 0
    board[0][9] = 0x6F;   // kind 6, single
    board[10][4] = 0x3D;  // kind 3, end joined down
    const std::vector<GlVertex> v = emitted([&] { draw_board(board); });
    ASSERT_EQ(v.size(), 12u);
    const struct {
        double x, y;
        float s;
        int kind;
    } want[3] = {{435, 295, 64.0f / 128.0f, 6}, {360, 145, TILE_TEXCOORDS[13][0][0], 3}, {300, 10, 0.0f, 0}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const GlVertex &c = v[4 * i];
        EXPECT_EQ(c.x, want[i].x);
        EXPECT_EQ(c.y, want[i].y);
        EXPECT_EQ(c.tex[0], want[i].s);
        const float *w = WELL_COLOURS[want[i].kind];
        EXPECT_EQ(c.colour, (Rgba{w[0], w[1], w[2], 1.0f}));  // three-component colour: alpha 1
    }
    int colour_calls = 0;
    for (const GlCall &c : gl_recorded_calls()) {
        colour_calls += c.name == "glColor3fv";
    }
    EXPECT_EQ(colour_calls, 3);
    board[5][5] = 0xF1;
    EXPECT_EQ(emitted([&] { draw_board(board); }).size(), 16u);
}

// Listed rows in white with their own tiles; out-of-range entries are ignored, never read.
TEST(DrawClearedRows, ListedRowsInWhiteWithTheirOwnTiles) {
    uint8_t board[BOARD_ROWS][BOARD_COLUMNS] = {};
    for (int c = 0; c < BOARD_COLUMNS; ++c) {
        board[3][c] = static_cast<uint8_t>(0x20 | (c == 0 ? 11 : (c == 9 ? 12 : 1)));
        board[7][c] = 0x5F;
    }
    const int32_t rows[4] = {3, -1, 7, -1};
    const std::vector<GlVertex> v = emitted([&] { draw_cleared_rows(board, rows); });
    ASSERT_EQ(v.size(), 80u);
    for (const GlVertex &x : v) {
        EXPECT_EQ(x.colour, (Rgba{1, 1, 1, 1}));
    }
    EXPECT_EQ(v[0].y, 250.0f);  // row 3
    EXPECT_EQ(v[0].tex[0], TILE_TEXCOORDS[11][0][0]);
    EXPECT_EQ(v[4].tex[0], TILE_TEXCOORDS[1][0][0]);
    EXPECT_EQ(v[40].y, 190.0f);  // row 7
    EXPECT_EQ(v[76].x, 435.0f);
    const int32_t none[4] = {-1, -1, -1, -1}, wild[4] = {20, -7, 1000, -1};
    for (const int32_t *list : {none, wild}) {
        EXPECT_TRUE(emitted([&] { draw_cleared_rows(board, list); }).empty());
    }
}

}  // namespace
