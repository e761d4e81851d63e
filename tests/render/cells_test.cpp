// Cell quads, pieces, the board and the row flash, checked call by call.
#include <gtest/gtest.h>

#include <cmath>

#include "recorder_support.h"

namespace {

// True when f is n/255 rounded to the nearest float.
bool is_nearest_float(float f, int n) {
    const long double exact = static_cast<long double>(n) / 255.0L;
    const long double here = std::fabs(static_cast<long double>(f) - exact);
    const long double below = std::fabs(static_cast<long double>(std::nextafter(f, -1.0f)) - exact);
    const long double above = std::fabs(static_cast<long double>(std::nextafter(f, 2.0f)) - exact);
    return here <= below && here <= above;
}

TEST(ColourTables, EveryComponentIsNOver255RoundedToFloat) {
    constexpr int piece[7][3] = {{160, 100, 200}, {50, 115, 255}, {220, 170, 40}, {185, 216, 278},
                                 {220, 120, 50},  {196, 34, 60},  {171, 198, 164}};
    constexpr int well[9][4] = {{140, 90, 180, 255}, {0, 115, 211, 255}, {210, 165, 34, 255},
                                {148, 173, 222, 255}, {211, 115, 50, 255}, {157, 27, 48, 255},
                                {137, 158, 131, 255}, {30, 64, 119, 255}, {49, 106, 197, 229}};
    for (int k = 0; k < 7; ++k) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(is_nearest_float(PIECE_COLOURS[k][i], piece[k][i])) << "piece " << k << "," << i;
        }
    }
    for (int k = 0; k < 9; ++k) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(is_nearest_float(WELL_COLOURS[k][i], well[k][i])) << "well " << k << "," << i;
        }
    }
    // A few values by their bits: 100/255 = 0x3ec8c8c9, 278/255 = 0x3f8b8b8c, 229/255 = 0x3f65e5e6.
    EXPECT_EQ(PIECE_COLOURS[0][1], 0x1.919192p-2f);
    EXPECT_EQ(PIECE_COLOURS[3][2], 0x1.171718p+0f);
    EXPECT_EQ(WELL_COLOURS[8][3], 0x1.cbcbccp-1f);
    EXPECT_EQ(WELL_COLOURS[0][3], 1.0f);
}

// Links of a tile code as bits: left 1, right 2, up 4, down 8.
constexpr int L = 1, R = 2, U = 4, D = 8;

// A link set turned clockwise on the screen: right becomes down, down left, left up, up right.
int turn_links(int links, int quarters) {
    for (int q = 0; q < quarters; ++q) {
        int turned = 0;
        turned |= (links & R) ? D : 0;
        turned |= (links & D) ? L : 0;
        turned |= (links & L) ? U : 0;
        turned |= (links & U) ? R : 0;
        links = turned;
    }
    return links;
}

TEST(EmitCellQuad, EveryTileCodeShowsItsPictureTurnedToItsLinks) {
    // The joins each code stands for, and the five pictures unturned: straight joins left and
    // right, corner right and down, three-way left, right and up, end right, single nothing.
    constexpr int joins[16] = {0, L | R, U | D, R | D, L | D, R | U, L | U, U | D | R, U | D | L,
                               L | R | D, L | R | U, R, L, D, U, 0};
    constexpr int picture_links[5] = {L | R, R | D, L | R | U, R, 0};
    constexpr int picture[16] = {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4};
    constexpr float unturned[4][2] = {{0, 0}, {15, 0}, {15, 15}, {0, 15}};

    for (int code = 1; code < 16; ++code) {
        gl_recorder_reset();
        glBegin(GL_QUADS);
        emit_cell_quad(2.0f, 3.0f, static_cast<uint8_t>(code));
        glEnd();
        const std::vector<GlVertex> v = all_vertices(gl_recorded_primitives());
        ASSERT_EQ(v.size(), 4u);
        // Corners counterclockwise from the bottom left of the cell at column 2, row 3.
        const float xs[4] = {330, 345, 345, 330};
        const float ys[4] = {250, 250, 265, 265};
        // Which quarter turn maps the picture's corners onto this code's corners?
        int turn = -1;
        for (int q = 0; q < 4 && turn < 0; ++q) {
            bool all = true;
            for (int i = 0; i < 4; ++i) {
                const float s = (16.0f * static_cast<float>(picture[code]) + unturned[(i + q) % 4][0]) / 128.0f;
                const float t = unturned[(i + q) % 4][1] / 16.0f;
                all = all && v[i].tex[0] == s && v[i].tex[1] == t;
            }
            turn = all ? q : -1;
        }
        ASSERT_GE(turn, 0) << "code " << code << " is not its picture turned";
        EXPECT_EQ(turn_links(picture_links[picture[code]], turn), joins[code]) << "code " << code;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(v[i].x, xs[i]);
            EXPECT_EQ(v[i].y, ys[i]);
            EXPECT_FALSE(v[i].integer);
        }
    }
    // Numerators given for checking: (31, 15) of code 5's top-right is s 0.2421875, t 0.9375.
    EXPECT_EQ(TILE_TEXCOORDS[5][3][0], 0.2421875f);
    EXPECT_EQ(TILE_TEXCOORDS[5][3][1], 0.9375f);
    EXPECT_EQ(TILE_TEXCOORDS[15][1][0], 79.0f / 128.0f);
}

TEST(EmitCellQuad, PositionIsRoundedOnceAndAStrayTileByteStaysInTheTable) {
    gl_recorder_reset();
    glBegin(GL_QUADS);
    emit_cell_quad(-0.3f, 4.37f, 1);
    emit_cell_quad(0.0f, 0.0f, 0x1F);  // only the nibble counts: drawn as code 15
    glEnd();
    const std::vector<GlVertex> v = all_vertices(gl_recorded_primitives());
    ASSERT_EQ(v.size(), 8u);
    EXPECT_EQ(v[0].x, static_cast<float>(300.0 + 15.0 * static_cast<double>(-0.3f)));
    EXPECT_EQ(v[0].y, static_cast<float>(295.0 - 15.0 * static_cast<double>(4.37f)));
    EXPECT_EQ(v[1].x, v[0].x + 15.0f);
    EXPECT_EQ(v[2].y, v[0].y + 15.0f);
    EXPECT_EQ(v[4].tex[0], 64.0f / 128.0f);
    EXPECT_EQ(v[5].tex[0], 79.0f / 128.0f);
}

TEST(EmitPieceCells, WalksTheBoxRowByRowWithRowBeforeColumn) {
    gl_recorder_reset();
    glBegin(GL_QUADS);
    // Kind 0, rotation 0: 0xB9C0 in box row 2 and 0x0E00 in box row 3.
    emit_piece_cells(piece_shapes[0][0], 4.37f, 3.0f);
    glEnd();
    const std::vector<GlVertex> v = all_vertices(gl_recorded_primitives());
    ASSERT_EQ(v.size(), 16u);
    const float rows[4] = {4.37f + 2.0f, 4.37f + 2.0f, 4.37f + 2.0f, 4.37f + 3.0f};
    const float cols[4] = {3, 4, 5, 4};
    const int codes[4] = {11, 9, 12, 14};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[4 * i].x, 300.0f + 15.0f * cols[i]) << i;
        EXPECT_EQ(v[4 * i].y, static_cast<float>(295.0 - 15.0 * static_cast<double>(rows[i]))) << i;
        EXPECT_EQ(v[4 * i].tex[0], TILE_TEXCOORDS[codes[i]][0][0]) << i;
        EXPECT_EQ(v[4 * i].tex[1], TILE_TEXCOORDS[codes[i]][0][1]) << i;
    }
    // Not rounded to whole pixels.
    EXPECT_NE(v[0].y, std::floor(v[0].y));
}

TEST(EmitPieceCells, CellsAboveTheWellAreStillEmitted) {
    gl_recorder_reset();
    glBegin(GL_QUADS);
    emit_piece_cells(piece_shapes[1][0], -3.0f, 3.0f);  // rows -2, -2, -1 and 0
    glEnd();
    const std::vector<GlVertex> v = all_vertices(gl_recorded_primitives());
    ASSERT_EQ(v.size(), 16u);
    EXPECT_EQ(v[0].y, 325.0f);
    EXPECT_EQ(v[12].y, 295.0f);
}

TEST(DrawBoard, EachOccupiedCellInItsKindsWellColourTopRowFirst) {
    uint8_t board[BOARD_ROWS][BOARD_COLUMNS] = {};
    board[19][0] = 0x01;  // kind 0, code 1: occupied although the kind nibble is 0
    board[0][9] = 0x6F;   // kind 6, single
    board[10][4] = 0x3D;  // kind 3, end joined down
    gl_recorder_reset();
    glBegin(GL_QUADS);
    draw_board(board);
    glEnd();
    const std::vector<GlCall> &calls = gl_recorded_calls();
    std::vector<std::vector<double>> colours;
    for (const GlCall &c : calls) {
        if (c.name == "glColor3fv") {
            colours.push_back(c.args);
        }
    }
    ASSERT_EQ(colours.size(), 3u);
    const std::vector<GlVertex> v = all_vertices(gl_recorded_primitives());
    ASSERT_EQ(v.size(), 12u);
    // Order: row 0, then row 10, then row 19.
    EXPECT_EQ(v[0].x, 435.0f);
    EXPECT_EQ(v[0].y, 295.0f);
    EXPECT_EQ(v[0].tex[0], 64.0f / 128.0f);
    EXPECT_EQ(v[0].colour[0], WELL_COLOURS[6][0]);
    EXPECT_EQ(v[4].x, 360.0f);
    EXPECT_EQ(v[4].y, 145.0f);
    EXPECT_EQ(v[4].colour[2], WELL_COLOURS[3][2]);
    EXPECT_EQ(v[4].tex[0], TILE_TEXCOORDS[13][0][0]);
    EXPECT_EQ(v[8].x, 300.0f);
    EXPECT_EQ(v[8].y, 10.0f);
    EXPECT_EQ(v[8].tex[0], 0.0f);
    EXPECT_EQ(v[8].tex[1], 0.0f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(v[8].colour[i], WELL_COLOURS[0][i]);
    }
    EXPECT_EQ(v[8].colour[3], 1.0f);  // three-component colour: alpha 1
}

TEST(DrawBoard, EmptyBoardEmitsNothingAndACorruptKindStaysInTheTable) {
    uint8_t board[BOARD_ROWS][BOARD_COLUMNS] = {};
    gl_recorder_reset();
    glBegin(GL_QUADS);
    draw_board(board);
    glEnd();
    EXPECT_TRUE(gl_recorded_primitives()[0].vertices.empty());

    board[5][5] = 0xF1;
    gl_recorder_reset();
    glBegin(GL_QUADS);
    draw_board(board);
    glEnd();
    EXPECT_EQ(gl_recorded_primitives()[0].vertices.size(), 4u);
}

TEST(DrawClearedRows, ListedRowsInWhiteWithTheirOwnTiles) {
    uint8_t board[BOARD_ROWS][BOARD_COLUMNS] = {};
    for (int c = 0; c < BOARD_COLUMNS; ++c) {
        board[3][c] = static_cast<uint8_t>(0x20 | (c == 0 ? 11 : (c == 9 ? 12 : 1)));
        board[7][c] = 0x5F;
    }
    const int32_t rows[4] = {3, -1, 7, -1};
    gl_recorder_reset();
    glBegin(GL_QUADS);
    draw_cleared_rows(board, rows);
    glEnd();
    const std::vector<GlVertex> v = all_vertices(gl_recorded_primitives());
    ASSERT_EQ(v.size(), 80u);
    for (const GlVertex &x : v) {
        EXPECT_EQ(x.colour, (std::array<float, 4>{1, 1, 1, 1}));
    }
    EXPECT_EQ(v[0].y, 250.0f);   // row 3
    EXPECT_EQ(v[0].tex[0], TILE_TEXCOORDS[11][0][0]);
    EXPECT_EQ(v[4].tex[0], TILE_TEXCOORDS[1][0][0]);
    EXPECT_EQ(v[40].y, 190.0f);  // row 7
    EXPECT_EQ(v[76].x, 435.0f);

    const int32_t none[4] = {-1, -1, -1, -1};
    const int32_t wild[4] = {20, -7, 1000, -1};  // out of the well: ignored, never read
    for (const int32_t *list : {none, wild}) {
        gl_recorder_reset();
        glBegin(GL_QUADS);
        draw_cleared_rows(board, list);
        glEnd();
        EXPECT_TRUE(gl_recorded_primitives()[0].vertices.empty());
    }
}

}  // namespace
