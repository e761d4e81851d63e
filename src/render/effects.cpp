// The background layer with its intro animation, and the effects around the falling piece:
// slam streaks, column marker, settle copies and the upcoming pieces.
#include <GL/gl.h>

#include "render/render.h"
#include "render/render_internal.h"

constexpr PreviewLayout PREVIEW_LAYOUT[PIECE_KINDS] = {
    // rotation, pivot_row, pivot_column, column_offset, row_offset
    {0, 15.0f, -15, 1, 1.0f},
    {0, 12.0f, -18, 1, 1.5f},
    {0, 11.0f, -16, 2, 2.5f},
    {0, 12.0f, -16, 2, 1.0f},
    {1, 12.0f, -15, 1, 1.5f},
    {1, 15.0f, -17, 2, 1.5f},
    {1, 16.0f, -15, 2, 1.5f},
};

namespace {

// The shape of the state's current piece.
const uint16_t *current_shape(const GameState *state) {
    return piece_shapes[state->current.kind][state->current.rotation];
}

// 1 when box column x of the shape holds a cell.
bool column_has_cell(const uint16_t *shape, int x) {
    for (int y = 0; y < 4; ++y) {
        if (((shape[y] >> (12 - 4 * x)) & 15u) != 0) {
            return true;
        }
    }
    return false;
}

// Smallest box row with a cell in column x, or -1 when the column is empty.
int top_row_of_column(const uint16_t *shape, int x) {
    for (int y = 0; y < 4; ++y) {
        if (((shape[y] >> (12 - 4 * x)) & 15u) != 0) {
            return y;
        }
    }
    return -1;
}

}  // namespace

void draw_background(const TextureSet *textures, float progress, int level) {
    const int band = level_band(level);
    glClear(GL_COLOR_BUFFER_BIT);

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, textures->names[TEX_BACKGROUND_0 + band]);
    draw_textured_rect(0, 0, 480, 320, 1.0f);

    const float title_alpha = clamp_unit(4.0 * progress);
    glColor4f(1.0f, 1.0f, 1.0f, title_alpha);
    glBindTexture(GL_TEXTURE_2D, textures->names[TEX_TITLE]);
    draw_textured_rect(30, 250, 107, 27, 1.0f);

    const float caption_alpha = clamp_unit(4.0 * (progress - 0.25));
    const float grey = band == 3 ? 1.0f : 0.0f;
    glColor4f(grey, grey, grey, caption_alpha);
    glBindTexture(GL_TEXTURE_2D, textures->names[TEX_CAPTION]);
    draw_textured_rect(35, 220, 154, 19, 1.0f);

    draw_well_backdrop(clamp_unit(4.0 * (progress - 0.5)), level);
}

void draw_well_backdrop(float growth, int level) {
    if (!(growth > 0.0f)) {
        return;
    }
    int w = 150;
    int h = 300;
    if (growth < 1.0f) {
        w = static_cast<int>(150.0f * growth);
        h = static_cast<int>(300.0f * growth);
    }
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    draw_outline_rect(300, 10, w, h);

    // Bottom colour cycles with a period of 8 levels: level 0 uses entry 7, level 1 entry 0.
    const int bottom = (level % 8 + 15) % 8;
    glBegin(GL_QUADS);
    glColor4fv(WELL_COLOURS[bottom]);
    glVertex2i(300, 10);
    glVertex2i(300 + w, 10);
    glColor4fv(WELL_COLOURS[8]);
    glVertex2i(300 + w, 10 + h);
    glVertex2i(300, 10 + h);
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void draw_slam_trail(const GameState *state, int length) {
    const float *c = PIECE_COLOURS[state->current.kind];
    const uint16_t *shape = current_shape(state);
    glEnable(GL_SCISSOR_TEST);
    for (int x = 0; x < 4; ++x) {
        const int top = top_row_of_column(shape, x);
        if (top < 0) {
            continue;
        }
        const double column = static_cast<double>(state->current.column) + x;
        const auto left = static_cast<float>(300.0 + 15.0 * column);
        const auto right = static_cast<float>(static_cast<double>(left) + 15.0);
        // The vertical middle of the column's topmost cell.
        const auto y0 = static_cast<float>(295.0 - 15.0 * (static_cast<double>(state->current.row) + top + 0.5 - 1.0));
        const auto y1 = static_cast<float>(static_cast<double>(y0) + 15.0 * length);
        glBegin(GL_QUAD_STRIP);
        glColor4f(c[0], c[1], c[2], 1.0f);
        glVertex2f(left, y0);
        glVertex2f(right, y0);
        glColor4f(c[0], c[1], c[2], 0.0f);
        glVertex2f(left, y1);
        glVertex2f(right, y1);
        glEnd();
    }
    glDisable(GL_SCISSOR_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void draw_column_marker(const GameState *state, int level) {
    const float alpha = level / 2 == 2 ? 1.0f : 0.7f;
    const uint16_t *shape = current_shape(state);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glBegin(GL_QUADS);
    for (int x = 0; x < 4; ++x) {
        if (!column_has_cell(shape, x)) {
            continue;
        }
        const auto left = static_cast<float>(300.0 + 15.0 * (static_cast<double>(state->current.column) + x));
        const auto right = static_cast<float>(static_cast<double>(left) + 15.0);
        glVertex2f(left, 9.25f);
        glVertex2f(right, 9.25f);
        glVertex2f(right, 5.0f);
        glVertex2f(left, 5.0f);
    }
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void draw_settle_effect(const GameState *state, float fade) {
    const PieceState &piece = state->current;
    const float *c = PIECE_COLOURS[piece.kind];
    const uint16_t *shape = current_shape(state);
    glColor4f(c[0], c[1], c[2], static_cast<float>(1.0 - fade));
    const auto shift = 2.0 * static_cast<double>(fade);
    emit_piece_cells(shape, piece.row, static_cast<float>(piece.column - shift));
    emit_piece_cells(shape, piece.row, static_cast<float>(piece.column + shift));
}

void draw_upcoming_pieces(const TextureSet *textures, const PieceState queue[2], float turn) {
    glBindTexture(GL_TEXTURE_2D, textures->names[TEX_TILES]);
    glEnable(GL_TEXTURE_2D);
    const auto angle = static_cast<float>(360.0 * static_cast<double>(turn));
    for (int i = 0; i < 2; ++i) {
        const int kind = queue[i].kind;
        const PreviewLayout &layout = PREVIEW_LAYOUT[kind];
        const auto px = static_cast<float>(300.0 + 15.0 * layout.pivot_column);
        const auto py = static_cast<float>(295.0 - 15.0 * static_cast<double>(layout.pivot_row));
        const float scale = i == 0 ? static_cast<float>(1.0 - static_cast<double>(turn)) : turn;

        glPushMatrix();
        glTranslatef(px, py, 0.0f);
        glRotatef(angle, 0.0f, 0.0f, 1.0f);
        glScalef(scale, scale, 1.0f);
        glTranslatef(-px, -py, 0.0f);
        glBegin(GL_QUADS);
        const float *c = PIECE_COLOURS[kind];
        glColor4f(c[0], c[1], c[2], 1.0f);
        const auto box_row = static_cast<float>(static_cast<double>(layout.pivot_row) + layout.row_offset - 3.0);
        const auto box_column = static_cast<float>(layout.pivot_column - layout.column_offset);
        emit_piece_cells(piece_shapes[kind][layout.rotation], box_row, box_column);
        glEnd();
        glPopMatrix();
    }
    glDisable(GL_TEXTURE_2D);
}
