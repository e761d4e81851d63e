// One whole frame: what is drawn in which mode and in which order, and the small shared
// primitives (textured rectangle, pixel outline, pause veil).
#include <GL/gl.h>

#include <cstdio>

#include "render/render.h"
#include "render/render_internal.h"

namespace {

// Groups of modes tested with one mask.
constexpr GameMode MASK_HIDE_PLAY = MODE_INTRO | MODE_WAIT_START | MODE_PAUSED;  // 11
constexpr GameMode MASK_PLAYING = MODE_FALLING | MODE_CLEARING | MODE_SLAM | MODE_LANDED | MODE_SETTLE;  // 244
constexpr GameMode MASK_HAND_OVER = MODE_CLEARING | MODE_SETTLE;  // 144
constexpr GameMode MASK_HELP = MODE_INTRO | MODE_WAIT_START;      // 3
static_assert(MASK_HIDE_PLAY == 11 && MASK_PLAYING == 244 && MASK_HAND_OVER == 144 && MASK_HELP == 3);

constexpr const char *HELP_TEXT =
    "Welcome to Stakmir " STAKMIR_VERSION "\n\nQuit:\tEsc or X or Q\nRotate:\tUp Arrow or 8 or 5\nLeft:\tLeft Arrow or 4\n"
    "Right:\tRight Arrow or 6\nFaster:\tDown Arrow or 2\nSlam:\tPgDn or Spacebar\n\nPress any key to start.";
constexpr const char *PLAY_AGAIN_TEXT = "Do you want to play again?";

// Ticks as a duration of `divisor` ticks, the quotient rounded to single precision.
float ticks_over(uint32_t ticks, double divisor) {
    return static_cast<float>(static_cast<double>(ticks) / divisor);
}

// The well's cells in one batch under the tile atlas, clipped to the well.
void draw_well_cells(const GameState *state) {
    const GameMode mode = state->mode;
    glEnable(GL_SCISSOR_TEST);
    glBindTexture(GL_TEXTURE_2D, state->textures->names[TEX_TILES]);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    if (mode == MODE_SETTLE) {
        draw_settle_effect(state, ticks_over(state->ticks, 10.0));
    }
    draw_board(state->board);
    if (mode != MODE_GAME_OVER) {
        const PieceState &piece = state->current;
        glColor3fv(PIECE_COLOURS[piece.kind]);
        emit_piece_cells(piece_shapes[piece.kind][piece.rotation], piece.row, static_cast<float>(piece.column));
    }
    if (mode == MODE_CLEARING && (state->ticks & 4u) == 0) {
        draw_cleared_rows(state->board, state->cleared_rows);
    }
    glEnd();
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_TEXTURE_2D);
}

}  // namespace

void render_frame(const GameState *state) {
    const GameMode mode = state->mode;
    const TextureSet *textures = state->textures;

    const float progress = mode == MODE_INTRO ? ticks_over(state->ticks, 50.0) : 1.0f;
    draw_background(textures, progress, state->level);

    if ((mode & MASK_HIDE_PLAY) == 0) {
        if (mode == MODE_SLAM) {
            draw_slam_trail(state, static_cast<int>(state->ticks));
        }
        draw_well_cells(state);
        if ((mode & MASK_PLAYING) != 0) {
            const float turn = (mode & MASK_HAND_OVER) != 0 ? ticks_over(state->ticks, 10.0) : 0.0f;
            draw_column_marker(state, state->level);
            draw_upcoming_pieces(textures, state->queue, turn);
        }
    }

    if (mode == MODE_PAUSED) {
        draw_pause_veil();
    }

    if ((mode & MASK_HELP) != 0) {
        draw_text_box(textures, HELP_TEXT, 75, 175, 200);
    } else if (mode == MODE_GAME_OVER) {
        draw_text_box(textures, PLAY_AGAIN_TEXT, 10, 275, 100);
    }

    if ((mode & MASK_HIDE_PLAY) == 0) {
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "score: %d\nlevel: %d", state->score, state->level);
        draw_score_text(textures, buffer, state->level);
    }
}

void draw_textured_rect(int x, int y, int width, int height, float scale) {
    const float u = static_cast<float>(width) / static_cast<float>(next_pow2(width));
    const float v = static_cast<float>(height) / static_cast<float>(next_pow2(height));
    const float x0 = static_cast<float>(x);
    const float y0 = static_cast<float>(y);
    const auto x1 = static_cast<float>(x + static_cast<double>(width) * scale);
    const auto y1 = static_cast<float>(y + static_cast<double>(height) * scale);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x0, y0);
    glTexCoord2f(u, 0.0f);
    glVertex2f(x1, y0);
    glTexCoord2f(u, v);
    glVertex2f(x1, y1);
    glTexCoord2f(0.0f, v);
    glVertex2f(x0, y1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

void draw_outline_rect(int x, int y, int width, int height) {
    const auto x0 = static_cast<float>(x - 0.5);
    const auto y0 = static_cast<float>(y - 0.5);
    const auto x1 = static_cast<float>(static_cast<double>(x) + width + 0.5);
    const auto y1 = static_cast<float>(static_cast<double>(y) + height + 0.5);
    glBegin(GL_LINE_STRIP);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glVertex2f(x0, y0);
    glEnd();
    // Line rasterisation may leave the corner pixels out; points fill them.
    glBegin(GL_POINTS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
}

void draw_pause_veil() {
    glColor4f(1.0f, 1.0f, 1.0f, 0.25f);
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(480, 0);
    glVertex2i(480, 320);
    glVertex2i(0, 320);
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
