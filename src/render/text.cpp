// Bitmap text: the help and play-again boxes in the text font and the score lines in the
// score font, each glyph a textured quad cut from the font's alpha atlas.
#include <GL/gl.h>

#include "data/data.h"
#include "render/render.h"

namespace {

constexpr int TEXT_MARGIN = 34;    // pen x at the start of a line in a text box
constexpr int TAB_STEP = 75;       // tab stops at screen x 75, 150, 225, ...
constexpr int SCORE_LEFT = 32;     // pen start of the score lines
constexpr int SCORE_TOP = 215;

// The glyph of a character, or null. Characters are signed bytes, so 128 to 255 never match.
const Glyph *find_glyph(const FontDesc &font, char ch) {
    const int code = static_cast<signed char>(ch);
    for (const Glyph *g = font.glyphs; g->code != 0; ++g) {
        if (g->code == code) {
            return g;
        }
    }
    return nullptr;
}

// The kerning between two characters of the text, 0 when the font has no such pair.
int kerning(const FontDesc &font, char previous, char ch) {
    if (font.kerning == nullptr) {
        return 0;
    }
    const int first = static_cast<signed char>(previous);
    const int second = static_cast<signed char>(ch);
    for (const KerningPair *k = font.kerning; k->first != 0; ++k) {
        if (k->first == first && k->second == second) {
            return k->amount;
        }
    }
    return 0;
}

// One glyph quad with its top-left corner at (qx, qtop), integer vertices.
void emit_glyph(const FontDesc &font, const Glyph &g, int qx, int qtop) {
    const auto w = static_cast<float>(font.atlas_width);
    const auto h = static_cast<float>(font.atlas_height);
    const float s0 = static_cast<float>(g.x) / w;
    const float s1 = s0 + static_cast<float>(g.width) / w;
    const float t0 = 1.0f - static_cast<float>(g.y) / h;
    const float t1 = t0 - static_cast<float>(g.height) / h;
    glTexCoord2f(s0, t0);
    glVertex2i(qx, qtop);
    glTexCoord2f(s1, t0);
    glVertex2i(qx + g.width, qtop);
    glTexCoord2f(s1, t1);
    glVertex2i(qx + g.width, qtop - g.height);
    glTexCoord2f(s0, t1);
    glVertex2i(qx, qtop - g.height);
}

// Lays out the characters of a text box; returns when the text ends or reaches the bottom.
void lay_out_box_text(const char *text, int bottom, int right, int top) {
    const FontDesc &font = font_text;
    int px = TEXT_MARGIN;
    int py = top;
    for (const char *p = text; *p != '\0'; ++p) {
        const char ch = *p;
        if (ch == '\n') {
            px = TEXT_MARGIN;
            py -= font.line_height;
            continue;
        }
        if (ch == '\t') {
            px = (px + TAB_STEP) / TAB_STEP * TAB_STEP;
            continue;
        }
        const Glyph *g = find_glyph(font, ch);
        if (g == nullptr) {
            continue;
        }
        if (p != text) {
            px += kerning(font, p[-1], ch);
        }
        int qx = px + g->x_offset;
        int qtop = py - g->y_offset;
        if (qx + g->width >= right) {  // wrap: the glyph starts the next line, unkerned
            py -= font.line_height;
            px = TEXT_MARGIN;
            qx = px + g->x_offset;
            qtop = py - g->y_offset;
        }
        if (qtop - g->height < bottom) {
            return;
        }
        emit_glyph(font, *g, qx, qtop);
        px = qx + g->advance - g->x_offset;
    }
}

}  // namespace

void draw_text_box(const TextureSet *textures, const char *text, int bottom, int right, int top) {
    glPushMatrix();
    glColor4f(1.0f, 1.0f, 1.0f, 0.75f);
    glBegin(GL_QUADS);
    glVertex2i(32, bottom);
    glVertex2i(right, bottom);
    glVertex2i(right, top);
    glVertex2i(32, top);
    glEnd();

    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    draw_outline_rect(32, bottom, right - 32, top - bottom);

    glBindTexture(GL_TEXTURE_2D, textures->names[TEX_FONT_TEXT]);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    if (text != nullptr) {
        lay_out_box_text(text, bottom, right, top);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPopMatrix();
}

void draw_score_text(const TextureSet *textures, const char *text, int level) {
    const FontDesc &font = font_score;
    glPushMatrix();
    if (level / 2 >= 3) {
        glColor4f(0.75f, 0.75f, 0.25f, 1.0f);
    } else {
        glColor4f(0.0f, 0.125f, 0.25f, 1.0f);
    }
    glBindTexture(GL_TEXTURE_2D, textures->names[TEX_FONT_SCORE]);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    int px = SCORE_LEFT;
    int py = SCORE_TOP;
    for (const char *p = text; p != nullptr && *p != '\0'; ++p) {
        if (*p == '\n') {
            px = SCORE_LEFT;
            py -= font.line_height;
            continue;
        }
        const Glyph *g = find_glyph(font, *p);
        if (g == nullptr) {
            continue;
        }
        if (p != text) {
            px += kerning(font, p[-1], *p);
        }
        const int qx = px + g->x_offset;
        emit_glyph(font, *g, qx, py - g->y_offset);
        px = qx + g->advance - g->x_offset;
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}
