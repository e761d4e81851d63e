// Text layout in the two bitmap fonts: pen, kerning, tabs, wrapping, the stop at the bottom.
#include <gtest/gtest.h>

#include "data/data.h"
#include "recorder_support.h"

namespace {

const TextureSet TEXTURES = fake_textures();

const Glyph &glyph(const FontDesc &font, char ch) {
    for (const Glyph *g = font.glyphs; g->code != 0; ++g) {
        if (g->code == static_cast<uint16_t>(ch)) {
            return *g;
        }
    }
    static const Glyph none{};
    ADD_FAILURE() << "no glyph for " << ch;
    return none;
}

// A glyph quad: its top-left corner and size as drawn.
struct Quad {
    int x, top, width, height;
};

// The glyph quads drawn in the given font texture.
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

TEST(DrawTextBox, BoxOutlineAndGlyphVertices) {
    const std::vector<Quad> q = box("A");
    const std::vector<GlPrimitive> &prims = gl_recorded_primitives();
    // Translucent white box, then the black outline just outside it.
    const GlPrimitive &fill = prims.at(0);
    EXPECT_FALSE(fill.texturing);
    ASSERT_EQ(fill.vertices.size(), 4u);
    EXPECT_EQ(fill.vertices[0].colour, (std::array<float, 4>{1, 1, 1, 0.75f}));
    EXPECT_EQ(fill.vertices[0].x, 32);
    EXPECT_EQ(fill.vertices[0].y, 75);
    EXPECT_EQ(fill.vertices[1].x, 175);
    EXPECT_EQ(fill.vertices[2].y, 200);
    EXPECT_EQ(fill.vertices[3].x, 32);
    EXPECT_EQ(prims.at(1).mode, static_cast<GLenum>(GL_LINE_STRIP));
    EXPECT_EQ(prims.at(1).vertices[1].x, 175.5);
    EXPECT_EQ(prims.at(1).vertices[2].y, 200.5);
    EXPECT_EQ(prims.at(2).mode, static_cast<GLenum>(GL_POINTS));

    // "A" at the margin: 13 by 13 with x_offset -3, hanging from the top of the box.
    const Glyph &a = glyph(font_text, 'A');
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].x, 34 - 3);
    EXPECT_EQ(q[0].top, 200 - a.y_offset);
    EXPECT_EQ(q[0].width, 13);
    EXPECT_EQ(q[0].height, 13);
    const std::vector<GlPrimitive> glyphs = textured_with(tex_name(TEX_FONT_TEXT));
    const GlVertex &v0 = glyphs.at(0).vertices.at(0);
    EXPECT_TRUE(v0.integer);
    EXPECT_EQ(v0.colour, (std::array<float, 4>{0, 0, 0, 1}));
    EXPECT_EQ(v0.tex[0], static_cast<float>(a.x) / 128.0f);
    EXPECT_EQ(v0.tex[1], 1.0f - static_cast<float>(a.y) / 128.0f);
    const GlVertex &v2 = glyphs.at(0).vertices.at(2);
    EXPECT_EQ(v2.tex[0], static_cast<float>(a.x) / 128.0f + 13.0f / 128.0f);
    EXPECT_EQ(v2.tex[1], 1.0f - static_cast<float>(a.y) / 128.0f - 13.0f / 128.0f);

    const GlModelState &st = gl_recorded_state();
    EXPECT_FALSE(st.texturing);
    EXPECT_EQ(st.matrix_depth, 0);
    EXPECT_EQ(st.colour, (std::array<float, 4>{1, 1, 1, 1}));
}

TEST(DrawTextBox, NullTextDrawsTheBoxOnly) {
    EXPECT_TRUE(box(nullptr).empty());
    EXPECT_EQ(gl_recorded_primitives().at(0).vertices.size(), 4u);
    EXPECT_FALSE(gl_recorded_state().texturing);
}

TEST(DrawTextBox, TabsGoToTheNextMultipleOf75) {
    // Digits advance 6 and "i" 2: "000000ii" leaves the pen at 34 + 36 + 4 = 74.
    const int x_offset = glyph(font_text, '0').x_offset;
    EXPECT_EQ(box("\t0")[0].x, 75 + x_offset);                 // from the margin, 34
    EXPECT_EQ(box("000000ii\t0").at(8).x, 75 + x_offset);      // from 74
    EXPECT_EQ(box("\t\t0")[0].x, 150 + x_offset);              // from a stop, 75, to the next
    EXPECT_EQ(box("0\n\t\t\t0", 75, 300).at(1).x, 225 + x_offset);
}

TEST(DrawTextBox, KerningPairsButNeverOnTheFirstCharacter) {
    const int adv_a = glyph(font_text, 'A').advance;
    const int off_t = glyph(font_text, 'T').x_offset;
    EXPECT_EQ(box("T")[0].x, 34 + off_t);                      // first character: no kerning
    const char after_a[] = "AT";                               // not even with the byte before it
    EXPECT_EQ(box(after_a + 1)[0].x, 34 + off_t);
    EXPECT_EQ(box("AT")[1].x, 34 + adv_a - 1 + off_t);         // (A, T) -1
    const int adv_t = glyph(font_text, 'T').advance;
    EXPECT_EQ(box("Ta")[1].x, 34 + adv_t - 2 + glyph(font_text, 'a').x_offset);  // (T, a) -2
    const int adv_dash = glyph(font_text, '-').advance;
    EXPECT_EQ(box("-J")[1].x, 34 + adv_dash + 1 + glyph(font_text, 'J').x_offset);  // (-, J) +1
    // A character without a glyph draws nothing, does not move the pen and breaks the pair.
    const std::vector<Quad> q = box("A\x01T");
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[1].x, 34 + adv_a + off_t);
    EXPECT_EQ(box("A\xC3\x84T").size(), 2u);  // bytes 128 to 255 never match
    // A line feed between them: the previous character is the line feed, no pair.
    EXPECT_EQ(box("A\nT")[1].x, 34 + off_t);
}

TEST(DrawTextBox, WrapsBeforeTheGlyphThatWouldReachTheRightEdge) {
    // Digits: 11 wide, x_offset -2, advance 6. In a box ending at x 100 the glyph at pen
    // 94 (quad 92 to 103) is the first to reach it.
    const std::vector<Quad> q = box("000000000000000", 10, 100, 200);
    ASSERT_EQ(q.size(), 15u);
    EXPECT_EQ(q[9].x, 34 + 54 - 2);
    EXPECT_EQ(q[9].top, 200);
    EXPECT_EQ(q[10].x, 32);
    EXPECT_EQ(q[10].top, 188);
    EXPECT_EQ(q[11].x, 38);
    // The wrap test sees the kerned pen: in a box ending at 98, "J" after "-" (+1) reaches the
    // edge. The wrapped glyph is placed as the first glyph after a line feed, unkerned.
    const std::vector<Quad> k = box("000000000-J", 10, 98, 200);
    const std::vector<Quad> n = box("\nJ", 10, 98, 200);
    ASSERT_EQ(k.size(), 11u);
    EXPECT_EQ(k[9].top, 200 - glyph(font_text, '-').y_offset);
    EXPECT_EQ(k[10].x, n[0].x);
    EXPECT_EQ(k[10].top, n[0].top);
    // A glyph wider than the box still goes on the new line.
    const std::vector<Quad> w = box("00", 10, 40, 200);
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].top, 188);
    EXPECT_EQ(w[1].top, 176);
}

TEST(DrawTextBox, StopsAtTheFirstGlyphBelowTheBottom) {
    // Digits are 13 high with y_offset 0: the first line's glyphs end at 187.
    EXPECT_EQ(box("00\n00", 187, 175, 200).size(), 2u);  // lower edge exactly on the bottom: drawn
    EXPECT_EQ(box("00\n00", 188, 175, 200).size(), 0u);
    // Line feeds and tabs are not tested; later characters never come back.
    EXPECT_EQ(box("0\n\n\n\n\t\t0", 187, 175, 200).size(), 1u);
    EXPECT_EQ(box("0\n0\n0\n0\n0", 150, 175, 200).size(), 4u);  // lines end at 187, 175, 163, 151
}

TEST(DrawTextBox, HelpTextFitsInTenLinesWithoutWrapping) {
    gl_recorder_reset();
    GameState s = make_state(&TEXTURES, MODE_WAIT_START);
    render_frame(&s);
    const std::vector<Quad> q = glyph_quads(TEX_FONT_TEXT);
    int lines = 0;
    int last_top_line = -1;
    for (const Quad &g : q) {
        EXPECT_GE(g.x, 34 - 4);  // quads may start left of the margin by their x_offset
        EXPECT_LT(g.x + g.width, 175);
        EXPECT_GE(g.top - g.height, 75);
        if (g.height == 0) {
            continue;  // a space
        }
        // Line index from the glyph's top: each line is 12 lower; glyphs start 1 above to 8 below.
        const int line = (200 - g.top + 1) / 12;
        EXPECT_GE(line, last_top_line);
        last_top_line = line;
        lines = line + 1;
    }
    EXPECT_EQ(lines, 10);
    // Printable characters of the text that have a visible glyph all appear: count non-space ones.
    const char *text = "Welcome to Stakmir 1.0Quit:Esc or X or QRotate:Up Arrow or 8 or 5Left:Left Arrow or 4"
                       "Right:Right Arrow or 6Faster:Down Arrow or 2Slam:PgDn or SpacebarPress any key to start.";
    size_t glyphs = 0;
    for (const char *p = text; *p != '\0'; ++p) {
        ++glyphs;
    }
    EXPECT_EQ(q.size(), glyphs);
}

TEST(DrawTextBox, PlayAgainFitsOnOneLine) {
    const std::vector<Quad> q = box("Do you want to play again?", 10, 275, 100);
    ASSERT_EQ(q.size(), 26u);
    for (const Quad &g : q) {
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

TEST(DrawScoreText, TwoLinesFromThePenAt32And215) {
    const std::vector<Quad> q = score("score: 0\nlevel: 0");
    ASSERT_EQ(q.size(), 16u);  // the spaces are degenerate quads but still drawn
    // "s" hangs 9 below the top, its quad starts 2 left of the pen.
    EXPECT_EQ(q[0].x, 30);
    EXPECT_EQ(q[0].top, 206);
    // The digit spans y 212 down to 185.
    EXPECT_EQ(q[7].top, 212);
    EXPECT_EQ(q[7].top - q[7].height, 185);
    // Second line: top 183, so "l" (y_offset 3) starts at 180 and the pen is back at 32.
    EXPECT_EQ(q[8].x, 30);
    EXPECT_EQ(q[8].top, 180);
    EXPECT_EQ(q[15].top, 180);
    EXPECT_EQ(q[15].top - q[15].height, 153);
    // Pen: s 10, c 12, o 16, r 11, e 14, colon 8, space 8 from 32 put the digit's pen at 111.
    EXPECT_EQ(q[7].x, 111 - 2);
    // Texture rectangle of "0": x 23, y 0, 21 by 27 in a 128 by 128 atlas.
    const std::vector<GlVertex> v = all_vertices(textured_with(tex_name(TEX_FONT_SCORE)));
    EXPECT_EQ(v[28].tex, (std::array<float, 2>{23.0f / 128.0f, 1.0f}));
    EXPECT_EQ(v[30].tex, (std::array<float, 2>{23.0f / 128.0f + 21.0f / 128.0f, 1.0f - 27.0f / 128.0f}));
    EXPECT_EQ(gl_recorded_state().matrix_depth, 0);
    EXPECT_FALSE(gl_recorded_state().texturing);
}

TEST(DrawScoreText, MissingGlyphsAreSkippedAndNothingWraps) {
    const std::vector<Quad> plain = score("00");
    const std::vector<Quad> gap = score("0-\t0");
    ASSERT_EQ(gap.size(), 2u);
    EXPECT_EQ(gap[1].x, plain[1].x);
    const std::vector<Quad> wide = score("00000000000000000000000000000000");
    EXPECT_EQ(wide.back().top, 212);
    EXPECT_GT(wide.back().x, 480);
    EXPECT_TRUE(score("").empty());
}

TEST(DrawScoreText, ColourByLevelBand) {
    for (const int level : {0, 3, 5, 6, 9, 123}) {
        score("0", level);
        const GlVertex v = textured_with(tex_name(TEX_FONT_SCORE)).at(0).vertices.at(0);
        const std::array<float, 4> expected =
            level >= 6 ? std::array<float, 4>{0.75f, 0.75f, 0.25f, 1.0f} : std::array<float, 4>{0.0f, 0.125f, 0.25f, 1.0f};
        EXPECT_EQ(v.colour, expected) << "level " << level;
    }
}

}  // namespace
