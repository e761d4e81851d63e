// Drawing one frame of the game with fixed-function OpenGL, from scratch every time.
// draw_* routines are complete; emit_* routines only add vertices to a batch of quads
// that the caller has opened with the tile atlas bound and the colour set.
#pragma once

#include <cstdint>

#include "assets/assets.h"
#include "game/game.h"

// Colours by piece kind (falling piece, upcoming piece, effects), red, green, blue.
extern const float PIECE_COLOURS[PIECE_KINDS][3];
// Locked cells by kind (entries 0 to 6), well backdrop bottom by level (0 to 7) and top (8); RGBA.
extern const float WELL_COLOURS[9][4];
// Texture coordinates of a cell quad by tile code: bottom-left, bottom-right, top-right, top-left.
extern const float TILE_TEXCOORDS[16][4][2];

// Where and how the upcoming piece of each kind is drawn, in well units.
struct PreviewLayout {
    int32_t rotation;       // rotation of piece_shapes drawn
    float pivot_row;        // pivot of the turn and scale
    int32_t pivot_column;
    int32_t column_offset;  // box column 0 lies at pivot_column - column_offset
    float row_offset;       // box row 0 lies at pivot_row + row_offset - 3
};
extern const PreviewLayout PREVIEW_LAYOUT[PIECE_KINDS];

// Frame composition and shared primitives.
void render_frame(const GameState *state);                                  // one whole frame
void draw_textured_rect(int x, int y, int width, int height, float scale);  // lower-left texels of the bound texture
void draw_outline_rect(int x, int y, int width, int height);                // one-pixel outline just outside
void draw_pause_veil();                                                     // translucent white over the screen

// Cells and pieces (inside the well's batch of quads).
void emit_cell_quad(float column, float row, uint8_t tile);
void emit_piece_cells(const uint16_t shape[4], float row, float column);
void draw_board(const uint8_t board[BOARD_ROWS][BOARD_COLUMNS]);
void draw_cleared_rows(const uint8_t board[BOARD_ROWS][BOARD_COLUMNS], const int32_t cleared_rows[4]);

// Background and effects.
void draw_background(const TextureSet *textures, float progress, int level);
void draw_well_backdrop(float growth, int level);
void draw_slam_trail(const GameState *state, int length);
void draw_column_marker(const GameState *state, int level);
void draw_settle_effect(const GameState *state, float fade);
void draw_upcoming_pieces(const TextureSet *textures, const PieceState queue[2], float turn);

// Bitmap text.
void draw_text_box(const TextureSet *textures, const char *text, int bottom, int right, int top);
void draw_score_text(const TextureSet *textures, const char *text, int level);
