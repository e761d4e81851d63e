// Frame composition: what each mode draws and in which order, the shared primitives and the
// OpenGL state a frame leaves behind.
#include <gtest/gtest.h>

#include <climits>
#include <map>

#include "recorder_support.h"

namespace {

// What a batch draws, recognised by its texture, primitive type and first vertex.
std::string label(const GlPrimitive &p) {
    if (p.texturing) {
        const std::map<GLuint, std::string> names = {
            {tex_name(TEX_TITLE), "title"}, {tex_name(TEX_CAPTION), "caption"}, {tex_name(TEX_FONT_TEXT), "text"},
            {tex_name(TEX_FONT_SCORE), "score"}};
        if (p.texture >= tex_name(TEX_BACKGROUND_0) && p.texture <= tex_name(TEX_BACKGROUND_3)) {
            return "background";
        }
        if (p.texture == tex_name(TEX_TILES)) {
            return p.matrix_depth > 0 ? "upcoming" : (p.scissor ? "well" : "tiles?");
        }
        return names.contains(p.texture) ? names.at(p.texture) : "textured?";
    }
    if (p.mode == GL_POINTS || p.vertices.empty()) {
        return "";
    }
    const GlVertex &v = p.vertices[0];
    if (p.mode == GL_LINE_STRIP) {
        return v.x == 299.5 ? "well frame" : "box frame";
    }
    return p.mode == GL_QUAD_STRIP                                   ? "slam"
           : v.y == 9.25                                             ? "marker"
           : v.x == 0 && v.y == 0 && p.vertices.at(2).x == 480       ? "veil"
           : v.x == 300 && v.y == 10                                 ? "backdrop"
           : v.x == 32                                               ? "box"
                                                                     : "?";
}

using Layers = std::vector<std::string>;

// The labels of a frame in drawing order, repeats folded.
Layers frame_layers(const GameState &s) {
    gl_recorder_reset();
    render_frame(&s);
    Layers out;
    for (const GlPrimitive &p : gl_recorded_primitives()) {
        const std::string l = label(p);
        if (!l.empty() && (out.empty() || out.back() != l)) {
            out.push_back(l);
        }
    }
    return out;
}

// The well batch's vertices counted by what drew them: "settle", "board", "piece", "flash".
std::map<std::string, int> well_contents(const GameState &s) {
    std::map<std::string, int> counts;
    const float *piece = PIECE_COLOURS[s.current.kind];
    for (const GlPrimitive &p : gl_recorded_primitives()) {
        for (const GlVertex &v : label(p) == "well" ? p.vertices : std::vector<GlVertex>{}) {
            counts[v.colour == Rgba{1, 1, 1, 1}                       ? "flash"
                   : v.colour[0] == piece[0] && v.colour[3] == 1.0f    ? "piece"
                   : v.colour[0] == piece[0]                           ? "settle"
                   : v.colour[0] == WELL_COLOURS[1][0]                 ? "board"
                                                                       : "?"] += 1;
        }
    }
    return counts;
}

// A record with a full bottom row of kind 1 listed as cleared and a kind 0 piece in the well.
GameState busy_state(GameMode mode, uint32_t ticks) {
    GameState s = make_state(mode, ticks);
    for (uint8_t &cell : s.board[19]) {
        cell = 0x1F;
    }
    s.cleared_rows[0] = 19;
    s.score = 40;
    return s;
}

// The drawing order of every mode (the masks 11, 244, 144 and 3 choose the layers), the well
// batch's contents and the state a frame leaves behind.
TEST(RenderFrame, EachModeDrawsItsLayersInOrder) {
    const Layers back = {"background", "title", "caption", "well frame", "backdrop"};
    const Layers help = {"box", "box frame", "text"}, play = {"well", "marker", "upcoming", "score"};
    const std::map<std::string, int> board_piece = {{"board", 40}, {"piece", 16}};
    const struct {
        GameMode mode;
        Layers layers;
        std::map<std::string, int> well;
    } cases[] = {
        {MODE_INTRO, help, {}},
        {MODE_WAIT_START, help, {}},
        {MODE_FALLING, play, board_piece},
        {MODE_PAUSED, {"veil"}, {}},
        {MODE_CLEARING, play, {{"board", 40}, {"piece", 16}, {"flash", 40}}},
        {MODE_SLAM, {"slam", "well", "marker", "upcoming", "score"}, board_piece},
        {MODE_LANDED, play, board_piece},
        {MODE_SETTLE, play, {{"settle", 32}, {"board", 40}, {"piece", 16}}},
        {MODE_GAME_OVER, {"well", "box", "box frame", "text", "score"}, {{"board", 40}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        const GameState s = busy_state(c.mode, 50);  // ticks 50: the intro is complete, flash bit clear
        Layers want = back;
        want.insert(want.end(), c.layers.begin(), c.layers.end());
        EXPECT_EQ(frame_layers(s), want);
        EXPECT_EQ(well_contents(s), c.well);
        EXPECT_TRUE(gl_recorded_errors().empty());
        EXPECT_FALSE(gl_recorded_state().texturing);
        EXPECT_FALSE(gl_recorded_state().scissor);
        EXPECT_EQ(gl_recorded_state().matrix_depth, 0);
        EXPECT_EQ(gl_recorded_calls().front().name, "glClear");
    }
}

// The well is one scissored batch of quads; settle copies (fade ticks / 10) come first.
TEST(RenderFrame, WellBatchIsOneScissoredBindOfTheTiles) {
    frame_layers(busy_state(MODE_SETTLE, 3));
    int wells = 0;
    for (const GlPrimitive &p : gl_recorded_primitives()) {
        if (label(p) == "well") {
            ++wells;
            EXPECT_EQ(p.mode, static_cast<GLenum>(GL_QUADS));
        }
    }
    EXPECT_EQ(wells, 1);
    EXPECT_EQ(textured_with(tex_name(TEX_TILES)).at(0).vertices.at(0).colour[3],
              static_cast<float>(1.0 - static_cast<double>(0.3f)));
}

// Rows flash white while bit 2 of ticks is clear.
TEST(RenderFrame, RowsFlashWhiteWhileBitTwoOfTicksIsClear) {
    for (uint32_t ticks = 0; ticks <= 10; ++ticks) {
        const GameState s = busy_state(MODE_CLEARING, ticks);
        frame_layers(s);
        EXPECT_EQ(well_contents(s).count("flash"), ticks < 4 || ticks > 7 ? 1u : 0u) << "ticks " << ticks;
    }
}

// The upcoming pieces turn by ticks / 10 only while clearing or settling; the slam trail is
// ticks long; the intro's progress comes from ticks only in the intro.
TEST(RenderFrame, AnimationsFollowTicksOnlyInTheirModes) {
    for (const GameMode mode : {MODE_CLEARING, MODE_SETTLE, MODE_FALLING, MODE_SLAM, MODE_LANDED}) {
        frame_layers(busy_state(mode, 5));
        double angle = -1;
        for (const GlCall &c : gl_recorded_calls()) {
            angle = c.name == "glRotatef" ? c.args[0] : angle;
        }
        EXPECT_EQ(angle, mode == MODE_CLEARING || mode == MODE_SETTLE ? 180.0 : 0.0) << "mode " << mode;
    }
    frame_layers(busy_state(MODE_SLAM, 3));
    const GlPrimitive &strip = gl_recorded_primitives().at(6);  // after the background's six
    ASSERT_EQ(strip.mode, static_cast<GLenum>(GL_QUAD_STRIP));
    EXPECT_EQ(strip.vertices.at(2).y - strip.vertices[0].y, 45.0);
    const Layers intro = {"background", "title", "caption", "box", "box frame", "text"};  // no well yet at tick 0
    EXPECT_EQ(frame_layers(busy_state(MODE_INTRO, 0)), intro);
    EXPECT_EQ(gl_recorded_primitives().at(1).vertices[0].colour[3], 0.0f);
    frame_layers(busy_state(MODE_PAUSED, 0));  // paused frames are complete
    EXPECT_EQ(gl_recorded_primitives().at(1).vertices[0].colour[3], 1.0f);
    EXPECT_EQ(gl_recorded_primitives().at(2).vertices[0].colour[3], 1.0f);
}

// "score: N\nlevel: L" in the level's colour; the longest numbers fit the buffer.
TEST(RenderFrame, ScoreLinesAreFormattedWithTheLevel) {
    GameState s = busy_state(MODE_FALLING, 0);
    s.score = 12345;
    s.level = 123;
    frame_layers(s);
    const std::vector<GlPrimitive> text = textured_with(tex_name(TEX_FONT_SCORE));
    ASSERT_EQ(text.size(), 1u);
    ASSERT_EQ(text[0].vertices.size(), 22u * 4u);  // 12 and 10 glyphs
    EXPECT_EQ(text[0].vertices[11 * 4].y, 212.0);  // last digit of the score
    EXPECT_EQ(text[0].vertices[21 * 4].y, 180.0);  // last digit of the level, 32 lower
    EXPECT_EQ(text[0].vertices[0].colour, (Rgba{0.75f, 0.75f, 0.25f, 1.0f}));
    s.score = s.level = INT_MIN;  // "-" has no glyph, so 34 glyphs are drawn
    frame_layers(s);
    EXPECT_EQ(textured_with(tex_name(TEX_FONT_SCORE)).at(0).vertices.size(), 34u * 4u);
}

// Texture coordinates are the size over the next power of two; the scale stretches the quad.
TEST(DrawTexturedRect, PowerOfTwoCoordinatesAndScale) {
    const struct {
        int w, h;
        float u, v;
    } cases[] = {{480, 320, 0.9375f, 0.625f}, {107, 27, 0.8359375f, 0.84375f}, {154, 19, 0.6015625f, 0.59375f},
                 {1, 1, 1.0f, 1.0f}, {0, 3, 0.0f, 0.75f}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.w);
        gl_recorder_reset();
        draw_textured_rect(10, 20, c.w, c.h, 1.0f);
        const GlPrimitive &p = gl_recorded_primitives().at(0);
        EXPECT_TRUE(p.texturing);
        ASSERT_EQ(p.vertices.size(), 4u);
        const std::array<float, 2> tex[4] = {{0, 0}, {c.u, 0}, {c.u, c.v}, {0, c.v}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(p.vertices[i].tex, tex[i]);
        }
        EXPECT_EQ(xys(p.vertices), (Points{{10, 20}, {10.0 + c.w, 20}, {10.0 + c.w, 20.0 + c.h}, {10, 20.0 + c.h}}));
        EXPECT_FALSE(gl_recorded_state().texturing);
    }
    gl_recorder_reset();
    draw_textured_rect(10, 20, 100, 50, 0.5f);
    EXPECT_EQ(xys(gl_recorded_primitives().at(0).vertices, 2, 1), (Points{{60, 45}}));
}

}  // namespace
