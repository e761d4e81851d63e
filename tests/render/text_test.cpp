// Text layout in the two bitmap fonts: pen, kerning, tabs, wrapping, the stop at the bottom.
#include <gtest/gtest.h>

#include <cstring>

#include "data/data.h"
#include "recorder_support.h"

namespace {

const Glyph &glyph(char ch) {
    for (const Glyph *g = font_text.glyphs; g->code != 0; ++g) {
        if (g->code == static_cast<uint16_t>(ch)) {
            return *g;
        }
    }
    ADD_FAILURE() << "no glyph for " << ch;
    static const Glyph none{};
    return none;
}

// A glyph quad as drawn: top-left corner and size.
struct Quad {
    int x, top, width, height;
    bool operator==(const Quad &) const = default;
    friend std::ostream &operator<<(std::ostream &o, const Quad &q) {
        return o << q.x << "," << q.top << " " << q.width << "x" << q.height;
    }
};

std::vector<Quad> glyph_quads(int texture_index) {
    std::vector<Quad> out;
    const std::vector<GlVertex> v = all_vertices(textured_with(tex_name(texture_index)));
    for (size_t i = 0; i + 3 < v.size(); i += 4) {
        out.push_back(Quad{static_cast<int>(v[i].x), static_cast<int>(v[i].y), static_cast<int>(v[i + 1].x - v[i].x),
                           static_cast<int>(v[i].y - v[i + 2].y)});
    }
    return out;
}

std::vector<Quad> box(const char *text, int bottom = 75, int right = 175, int top = 200) {
    gl_recorder_reset();
    draw_text_box(&TEXTURES, text, bottom, right, top);
    EXPECT_TRUE(gl_recorded_errors().empty());
    return glyph_quads(TEX_FONT_TEXT);
}

// A translucent white box, its outline just outside, black glyphs cut from the atlas; a null
// text draws the box only.
TEST(DrawTextBox, BoxOutlineAndGlyphVertices) {
    EXPECT_TRUE(box(nullptr).empty());
    const std::vector<Quad> q = box("A");
    const std::vector<GlPrimitive> &prims = gl_recorded_primitives();
    const GlPrimitive &fill = prims.at(0);
    EXPECT_FALSE(fill.texturing);
    ASSERT_EQ(fill.vertices.size(), 4u);
    EXPECT_EQ(fill.vertices[0].colour, (Rgba{1, 1, 1, 0.75f}));
    EXPECT_EQ(xys(fill.vertices), (Points{{32, 75}, {175, 75}, {175, 200}, {32, 200}}));
    EXPECT_EQ(prims.at(1).mode, static_cast<GLenum>(GL_LINE_STRIP));
    EXPECT_EQ(xys(prims[1].vertices, 2, 1), (Points{{175.5, 200.5}}));
    EXPECT_EQ(prims.at(2).mode, static_cast<GLenum>(GL_POINTS));

    // "A" at the margin: 13 by 13 with x_offset -3, hanging from the top of the box.
    const Glyph &a = glyph('A');
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0], (Quad{34 - 3, 200 - a.y_offset, 13, 13}));
    const std::vector<GlVertex> v = all_vertices(textured_with(tex_name(TEX_FONT_TEXT)));
    EXPECT_TRUE(v.at(0).integer);
    EXPECT_EQ(v[0].colour, (Rgba{0, 0, 0, 1}));
    const float s0 = static_cast<float>(a.x) / 128.0f, t0 = 1.0f - static_cast<float>(a.y) / 128.0f;
    EXPECT_EQ(v[0].tex, (std::array<float, 2>{s0, t0}));
    EXPECT_EQ(v.at(2).tex, (std::array<float, 2>{s0 + 13.0f / 128.0f, t0 - 13.0f / 128.0f}));
    EXPECT_FALSE(gl_recorded_state().texturing);
    EXPECT_EQ(gl_recorded_state().matrix_depth, 0);
    EXPECT_EQ(gl_recorded_state().colour, (Rgba{1, 1, 1, 1}));
}

// Tabs move the pen to the next multiple of 75, even from a stop.
TEST(DrawTextBox, TabsGoToTheNextMultipleOf75) {
    const int x_offset = glyph('0').x_offset;  // digits advance 6 and "i" 2
    EXPECT_EQ(box("\t0")[0].x, 75 + x_offset);             // from the margin, 34
    EXPECT_EQ(box("000000ii\t0").at(8).x, 75 + x_offset);  // from 34 + 36 + 4 = 74
    EXPECT_EQ(box("\t\t0")[0].x, 150 + x_offset);          // from a stop, 75, to the next
    EXPECT_EQ(box("0\n\t\t\t0", 75, 300).at(1).x, 225 + x_offset);
}

// Kerning pairs move the pen, but never for the first character (not even against the byte
// before the text: a fixed fault), nor across a missing glyph or a line feed.
TEST(DrawTextBox, KerningPairsButNeverOnTheFirstCharacter) {
    const int adv_a = glyph('A').advance, off_t = glyph('T').x_offset;
    EXPECT_EQ(box("T")[0].x, 34 + off_t);
    const char after_a[] = "AT";
    EXPECT_EQ(box(after_a + 1)[0].x, 34 + off_t);
    EXPECT_EQ(box("AT")[1].x, 34 + adv_a - 1 + off_t);                                      // (A, T) -1
    EXPECT_EQ(box("Ta")[1].x, 34 + glyph('T').advance - 2 + glyph('a').x_offset);           // (T, a) -2
    EXPECT_EQ(box("-J")[1].x, 34 + glyph('-').advance + 1 + glyph('J').x_offset);           // (-, J) +1
    const std::vector<Quad> q = box("A\x01T");  // no glyph: nothing drawn, pen unmoved, pair broken
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[1].x, 34 + adv_a + off_t);
    EXPECT_EQ(box("A\xC3\x84T").size(), 2u);  // bytes 128 to 255 never match
    EXPECT_EQ(box("A\nT")[1].x, 34 + off_t);
}

// A glyph that would reach the right edge (kerned pen included) starts the next line, unkerned.
TEST(DrawTextBox, WrapsBeforeTheGlyphThatWouldReachTheRightEdge) {
    // Digits: 11 wide, x_offset -2, advance 6; at pen 94 the quad (92 to 103) reaches x 100.
    const std::vector<Quad> q = box("000000000000000", 10, 100, 200);
    ASSERT_EQ(q.size(), 15u);
    EXPECT_EQ(q[9], (Quad{34 + 54 - 2, 200, 11, 13}));
    EXPECT_EQ(q[10], (Quad{32, 188, 11, 13}));
    EXPECT_EQ(q[11].x, 38);
    // In a box ending at 98, "J" after "-" (+1) reaches the edge and is placed as after a line feed.
    const std::vector<Quad> k = box("000000000-J", 10, 98, 200);
    const std::vector<Quad> n = box("\nJ", 10, 98, 200);
    ASSERT_EQ(k.size(), 11u);
    EXPECT_EQ(k[9].top, 200 - glyph('-').y_offset);
    EXPECT_EQ(k[10], n[0]);
    const std::vector<Quad> w = box("00", 10, 40, 200);  // wider than the box: still a new line
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].top, 188);
    EXPECT_EQ(w[1].top, 176);
}

// Drawing stops for good at the first glyph whose lower edge is below the bottom.
TEST(DrawTextBox, StopsAtTheFirstGlyphBelowTheBottom) {
    // Digits are 13 high with y_offset 0: the first line's glyphs end at 187.
    EXPECT_EQ(box("00\n00", 187, 175, 200).size(), 2u);  // exactly on the bottom: drawn
    EXPECT_EQ(box("00\n00", 188, 175, 200).size(), 0u);
    EXPECT_EQ(box("0\n\n\n\n\t\t0", 187, 175, 200).size(), 1u);  // line feeds and tabs are not tested
    EXPECT_EQ(box("0\n0\n0\n0\n0", 150, 175, 200).size(), 4u);  // lines end at 187, 175, 163, 151
}

// The real help text fills ten lines inside its box without wrapping; play-again fits one line.
TEST(DrawTextBox, HelpAndPlayAgainTextsFit) {
    gl_recorder_reset();
    const GameState s = make_state(MODE_WAIT_START);
    render_frame(&s);
    const std::vector<Quad> q = glyph_quads(TEX_FONT_TEXT);
    int lines = 0;
    for (const Quad &g : q) {
        EXPECT_GE(g.x, 34 - 4);  // may start left of the margin by the x_offset
        EXPECT_LT(g.x + g.width, 175);
        EXPECT_GE(g.top - g.height, 75);
        if (g.height != 0) {  // not a space; each line is 12 lower, glyphs start 1 above to 8 below
            const int line = (200 - g.top + 1) / 12;
            EXPECT_GE(line + 1, lines);
            lines = line + 1;
        }
    }
    EXPECT_EQ(lines, 10);
    EXPECT_EQ(q.size(), std::strlen("Welcome to Stakmir " STAKMIR_VERSION "Quit:Esc or X or QRotate:Up Arrow or 8 or 5Left:Left Arrow "
                                    "or 4Right:Right Arrow or 6Faster:Down Arrow or 2Slam:PgDn or Spacebar"
                                    "Press any key to start."));  // every character but line feeds and tabs
    const std::vector<Quad> again = box("Do you want to play again?", 10, 275, 100);
    ASSERT_EQ(again.size(), 26u);
    for (const Quad &g : again) {
        EXPECT_LE(g.top, 101);
        EXPECT_GE(g.top, 100 - 12);
    }
}

std::vector<Quad> score(const char *text, int level = 0) {
    gl_recorder_reset();
    draw_score_text(&TEXTURES, text, level);
    EXPECT_TRUE(gl_recorded_errors().empty());
    return glyph_quads(TEX_FONT_SCORE);
}

// The two score lines: pen from (32, 215), the second line 32 lower.
TEST(DrawScoreText, TwoLinesFromThePenAt32And215) {
    const std::vector<Quad> q = score("score: 0\nlevel: 0");
    ASSERT_EQ(q.size(), 16u);  // the spaces are degenerate quads but still drawn
    EXPECT_EQ(q[0].x, 30);     // "s" hangs 9 below the top, 2 left of the pen
    EXPECT_EQ(q[0].top, 206);
    // Pen: s 10, c 12, o 16, r 11, e 14, colon 8, space 8 from 32 put the digit's pen at 111.
    EXPECT_EQ(q[7], (Quad{111 - 2, 212, 21, 27}));  // spans y 212 down to 185
    EXPECT_EQ(q[8].x, 30);  // "l" (y_offset 3) under the line top 183
    EXPECT_EQ(q[8].top, 180);
    EXPECT_EQ(q[15], (Quad{q[15].x, 180, 21, 27}));  // the level digit spans 180 down to 153
    // Texture rectangle of "0": x 23, y 0, 21 by 27 in a 128 by 128 atlas.
    const std::vector<GlVertex> v = all_vertices(textured_with(tex_name(TEX_FONT_SCORE)));
    EXPECT_EQ(v[28].tex, (std::array<float, 2>{23.0f / 128.0f, 1.0f}));
    EXPECT_EQ(v[30].tex, (std::array<float, 2>{23.0f / 128.0f + 21.0f / 128.0f, 1.0f - 27.0f / 128.0f}));
    EXPECT_EQ(gl_recorded_state().matrix_depth, 0);
    EXPECT_FALSE(gl_recorded_state().texturing);
}

// Missing glyphs (and tabs) are skipped, nothing wraps; the colour follows the level band.
TEST(DrawScoreText, MissingGlyphsSkippedNothingWrapsColourByBand) {
    const std::vector<Quad> plain = score("00"), gap = score("0-\t0");
    ASSERT_EQ(gap.size(), 2u);
    EXPECT_EQ(gap[1].x, plain[1].x);
    const std::vector<Quad> wide = score("00000000000000000000000000000000");
    EXPECT_EQ(wide.back().top, 212);
    EXPECT_GT(wide.back().x, 480);
    EXPECT_TRUE(score("").empty());
    for (const int level : {0, 3, 5, 6, 9, 123}) {
        score("0", level);
        const Rgba want = level >= 6 ? Rgba{0.75f, 0.75f, 0.25f, 1.0f} : Rgba{0.0f, 0.125f, 0.25f, 1.0f};
        EXPECT_EQ(textured_with(tex_name(TEX_FONT_SCORE)).at(0).vertices.at(0).colour, want) << level;
    }
}

}  // namespace
