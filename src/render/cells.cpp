// Cells of the well: the colour and texture tables, one cell quad, a whole piece from its
// shape rows, the locked cells of the board and the white overlay of rows being cleared.
#include <GL/gl.h>

#include "render/render.h"
#include "render/render_internal.h"

namespace {

// n/255 in single precision. Dividing two floats rounds once, so the result is n/255
// correctly rounded to float (converting a double quotient would round twice).
constexpr float c255(int n) { return static_cast<float>(n) / 255.0f; }

// Tile coordinates are whole numbers of 128ths (s) and 16ths (t), exact in single precision.
constexpr float S(int n) { return static_cast<float>(n) / 128.0f; }
constexpr float T(int n) { return static_cast<float>(n) / 16.0f; }

}  // namespace

constexpr float PIECE_COLOURS[PIECE_KINDS][3] = {
    {c255(160), c255(100), c255(200)},
    {c255(50), c255(115), c255(255)},
    {c255(220), c255(170), c255(40)},
    {c255(185), c255(216), c255(278)},  // above 1: the colour clamp draws it as 1
    {c255(220), c255(120), c255(50)},
    {c255(196), c255(34), c255(60)},
    {c255(171), c255(198), c255(164)},
};

constexpr float WELL_COLOURS[9][4] = {
    {c255(140), c255(90), c255(180), c255(255)},
    {c255(0), c255(115), c255(211), c255(255)},
    {c255(210), c255(165), c255(34), c255(255)},
    {c255(148), c255(173), c255(222), c255(255)},
    {c255(211), c255(115), c255(50), c255(255)},
    {c255(157), c255(27), c255(48), c255(255)},
    {c255(137), c255(158), c255(131), c255(255)},
    {c255(30), c255(64), c255(119), c255(255)},   // backdrop bottom at level 0, 8, ...
    {c255(49), c255(106), c255(197), c255(229)},  // backdrop top
};

// Corners bottom-left, bottom-right, top-right, top-left; turns are quarter turns clockwise.
constexpr float TILE_TEXCOORDS[16][4][2] = {
    {{S(0), T(0)}, {S(0), T(0)}, {S(0), T(0)}, {S(0), T(0)}},  // 0: empty, never drawn
    {{S(0), T(0)}, {S(15), T(0)}, {S(15), T(15)}, {S(0), T(15)}},  // 1: straight
    {{S(15), T(0)}, {S(15), T(15)}, {S(0), T(15)}, {S(0), T(0)}},  // 2: straight, 1 quarter turn
    {{S(16), T(0)}, {S(31), T(0)}, {S(31), T(15)}, {S(16), T(15)}},  // 3: corner
    {{S(31), T(0)}, {S(31), T(15)}, {S(16), T(15)}, {S(16), T(0)}},  // 4: corner, 1 quarter
    {{S(16), T(15)}, {S(16), T(0)}, {S(31), T(0)}, {S(31), T(15)}},  // 5: corner, 3 quarters
    {{S(31), T(15)}, {S(16), T(15)}, {S(16), T(0)}, {S(31), T(0)}},  // 6: corner, half turn
    {{S(47), T(0)}, {S(47), T(15)}, {S(32), T(15)}, {S(32), T(0)}},  // 7: three-way, 1 quarter
    {{S(32), T(15)}, {S(32), T(0)}, {S(47), T(0)}, {S(47), T(15)}},  // 8: three-way, 3 quarters
    {{S(47), T(15)}, {S(32), T(15)}, {S(32), T(0)}, {S(47), T(0)}},  // 9: three-way, half turn
    {{S(32), T(0)}, {S(47), T(0)}, {S(47), T(15)}, {S(32), T(15)}},  // 10: three-way
    {{S(48), T(0)}, {S(63), T(0)}, {S(63), T(15)}, {S(48), T(15)}},  // 11: end
    {{S(63), T(15)}, {S(48), T(15)}, {S(48), T(0)}, {S(63), T(0)}},  // 12: end, half turn
    {{S(63), T(0)}, {S(63), T(15)}, {S(48), T(15)}, {S(48), T(0)}},  // 13: end, 1 quarter
    {{S(48), T(15)}, {S(48), T(0)}, {S(63), T(0)}, {S(63), T(15)}},  // 14: end, 3 quarters
    {{S(64), T(0)}, {S(79), T(0)}, {S(79), T(15)}, {S(64), T(15)}},  // 15: single
};

void emit_cell_quad(float column, float row, uint8_t tile) {
    // The tile code is a nibble; masking keeps any stray byte inside the 16-entry table.
    const float(*tc)[2] = TILE_TEXCOORDS[tile & 15u];
    const float x = cell_x(column);
    const float y = cell_y(row);
    glTexCoord2fv(tc[0]);
    glVertex2f(x, y);
    glTexCoord2fv(tc[1]);
    glVertex2f(x + 15.0f, y);
    glTexCoord2fv(tc[2]);
    glVertex2f(x + 15.0f, y + 15.0f);
    glTexCoord2fv(tc[3]);
    glVertex2f(x, y + 15.0f);
}

void emit_piece_cells(const uint16_t shape[4], float row, float column) {
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const auto tile = static_cast<uint8_t>((shape[y] >> (12 - 4 * x)) & 15u);
            if (tile != 0) {
                emit_cell_quad(column + static_cast<float>(x), row + static_cast<float>(y), tile);
            }
        }
    }
}

void draw_board(const uint8_t board[BOARD_ROWS][BOARD_COLUMNS]) {
    for (int r = 0; r < BOARD_ROWS; ++r) {
        for (int c = 0; c < BOARD_COLUMNS; ++c) {
            const uint8_t b = board[r][c];
            if (b == 0) {
                continue;
            }
            // Kinds are 0 to 6; a corrupt high nibble must not read past the table.
            const int kind = b / 16 < 9 ? b / 16 : 8;
            glColor3fv(WELL_COLOURS[kind]);
            emit_cell_quad(static_cast<float>(c), static_cast<float>(r), static_cast<uint8_t>(b % 16));
        }
    }
}

void draw_cleared_rows(const uint8_t board[BOARD_ROWS][BOARD_COLUMNS], const int32_t cleared_rows[4]) {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (int k = 0; k < 4; ++k) {
        const int32_t r = cleared_rows[k];
        if (r < 0 || r >= BOARD_ROWS) {  // -1 marks an unused entry
            continue;
        }
        for (int c = 0; c < BOARD_COLUMNS; ++c) {
            emit_cell_quad(static_cast<float>(c), static_cast<float>(r), static_cast<uint8_t>(board[r][c] % 16));
        }
    }
}
