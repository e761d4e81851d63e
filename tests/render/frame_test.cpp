// Frame composition: what each mode draws and in which order, the shared primitives and the
// OpenGL state a frame leaves behind.
#include <gtest/gtest.h>

#include <climits>
#include <map>

#include "recorder_support.h"

namespace {

const TextureSet TEXTURES = fake_textures();

// What a batch draws, recognised by its texture, primitive type and first vertex.
std::string label(const GlPrimitive &p) {
    const GlVertex *v = p.vertices.empty() ? nullptr : &p.vertices[0];
    if (p.texturing) {
        if (p.texture >= tex_name(TEX_BACKGROUND_0) && p.texture <= tex_name(TEX_BACKGROUND_3)) {
            return "background";
        }
        if (p.texture == tex_name(TEX_TITLE)) {
            return "title";
        }
        if (p.texture == tex_name(TEX_CAPTION)) {
            return "caption";
        }
        if (p.texture == tex_name(TEX_TILES)) {
            return p.matrix_depth > 0 ? "upcoming" : (p.scissor ? "well" : "tiles?");
        }
        if (p.texture == tex_name(TEX_FONT_TEXT)) {
            return "text";
        }
        if (p.texture == tex_name(TEX_FONT_SCORE)) {
            return "score";
        }
        return "textured?";
    }
    if (p.mode == GL_POINTS) {
        return "";
    }
    if (p.mode == GL_LINE_STRIP && v != nullptr) {
        return v->x == 299.5 ? "well frame" : "box frame";
    }
    if (p.mode == GL_QUAD_STRIP) {
        return "slam";
    }
    if (v != nullptr && v->y == 9.25) {
        return "marker";
    }
    if (v != nullptr && v->x == 0 && v->y == 0 && p.vertices[2].x == 480) {
        return "veil";
    }
    if (v != nullptr && v->x == 300 && v->y == 10) {
        return "backdrop";
    }
    if (v != nullptr && v->x == 32) {
        return "box";
    }
    return "?";
}

// The labels of a frame in drawing order, repeats folded.
std::vector<std::string> frame_layers(const GameState &s) {
    gl_recorder_reset();
    render_frame(&s);
    std::vector<std::string> out;
    for (const GlPrimitive &p : gl_recorded_primitives()) {
        const std::string l = label(p);
        if (!l.empty() && (out.empty() || out.back() != l)) {
            out.push_back(l);
        }
    }
    return out;
}

// The well batch's vertices grouped by what drew them: "settle", "board", "piece", "flash".
std::map<std::string, int> well_contents(const GameState &s) {
    std::map<std::string, int> counts;
    for (const GlPrimitive &p : gl_recorded_primitives()) {
        if (label(p) != "well") {
            continue;
        }
        for (const GlVertex &v : p.vertices) {
            const int kind = s.current.kind;
            std::string what = "?";
            if (v.colour == std::array<float, 4>{1, 1, 1, 1}) {
                what = "flash";
            } else if (v.colour[0] == PIECE_COLOURS[kind][0] && v.colour[3] == 1.0f) {
                what = "piece";
            } else if (v.colour[0] == PIECE_COLOURS[kind][0]) {
                what = "settle";
            } else if (v.colour[0] == WELL_COLOURS[1][0]) {
                what = "board";
            }
            counts[what] += 1;
        }
    }
    return counts;
}

// A record with a full bottom row of kind 1 listed as cleared and a kind 0 piece in the well.
GameState busy_state(GameMode mode, uint32_t ticks) {
    GameState s = make_state(&TEXTURES, mode, ticks);
    for (int c = 0; c < BOARD_COLUMNS; ++c) {
        s.board[19][c] = 0x1F;
    }
    s.cleared_rows[0] = 19;
    s.score = 40;
    return s;
}

using Layers = std::vector<std::string>;
const Layers BACK = {"background", "title", "caption", "well frame", "backdrop"};

Layers join(Layers a, const Layers &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(RenderFrame, EachModeDrawsItsLayersInOrder) {
    struct Case {
        GameMode mode;
        Layers layers;
        std::map<std::string, int> well;
    };
    const std::map<std::string, int> board_piece = {{"board", 40}, {"piece", 16}};
    const Case cases[] = {
        {MODE_INTRO, join(BACK, {"box", "box frame", "text"}), {}},
        {MODE_WAIT_START, join(BACK, {"box", "box frame", "text"}), {}},
        {MODE_FALLING, join(BACK, {"well", "marker", "upcoming", "score"}), board_piece},
        {MODE_PAUSED, join(BACK, {"veil"}), {}},
        {MODE_CLEARING, join(BACK, {"well", "marker", "upcoming", "score"}),
         {{"board", 40}, {"piece", 16}, {"flash", 40}}},
        {MODE_SLAM, join(BACK, {"slam", "well", "marker", "upcoming", "score"}), board_piece},
        {MODE_LANDED, join(BACK, {"well", "marker", "upcoming", "score"}), board_piece},
        {MODE_SETTLE, join(BACK, {"well", "marker", "upcoming", "score"}),
         {{"settle", 32}, {"board", 40}, {"piece", 16}}},
        {MODE_GAME_OVER, join(BACK, {"well", "box", "box frame", "text", "score"}), {{"board", 40}}},
    };
    for (const Case &c : cases) {
        const GameState s = busy_state(c.mode, 50);  // ticks 50: the intro is complete, flash bit clear
        EXPECT_EQ(frame_layers(s), c.layers) << "mode " << c.mode;
        EXPECT_EQ(well_contents(s), c.well) << "mode " << c.mode;
        EXPECT_TRUE(gl_recorded_errors().empty()) << "mode " << c.mode;
        const GlModelState &st = gl_recorded_state();
        EXPECT_FALSE(st.texturing) << "mode " << c.mode;
        EXPECT_FALSE(st.scissor) << "mode " << c.mode;
        EXPECT_EQ(st.matrix_depth, 0) << "mode " << c.mode;
        EXPECT_EQ(gl_recorded_calls().front().name, "glClear");
    }
}

TEST(RenderFrame, WellBatchIsOneScissoredBindOfTheTiles) {
    const GameState s = busy_state(MODE_SETTLE, 3);
    gl_recorder_reset();
    render_frame(&s);
    int wells = 0;
    for (const GlPrimitive &p : gl_recorded_primitives()) {
        if (label(p) == "well") {
            ++wells;
            EXPECT_EQ(p.mode, static_cast<GLenum>(GL_QUADS));
        }
    }
    EXPECT_EQ(wells, 1);
    // Settle copies at fade 0.3 (rounded to float), before the board.
    const std::vector<GlPrimitive> well = textured_with(tex_name(TEX_TILES));
    EXPECT_EQ(well[0].vertices[0].colour[3], static_cast<float>(1.0 - static_cast<double>(0.3f)));
}

TEST(RenderFrame, RowsFlashWhiteWhileBitTwoOfTicksIsClear) {
    for (uint32_t ticks = 0; ticks <= 10; ++ticks) {
        const GameState s = busy_state(MODE_CLEARING, ticks);
        frame_layers(s);
        const bool white = ticks < 4 || ticks > 7;
        EXPECT_EQ(well_contents(s).count("flash"), white ? 1u : 0u) << "ticks " << ticks;
    }
}

TEST(RenderFrame, AnimationsFollowTicksOnlyInTheirModes) {
    // The upcoming pieces turn by ticks / 10 while clearing or settling, never otherwise.
    for (const GameMode mode : {MODE_CLEARING, MODE_SETTLE, MODE_FALLING, MODE_SLAM, MODE_LANDED}) {
        GameState s = busy_state(mode, 5);
        gl_recorder_reset();
        render_frame(&s);
        double angle = -1;
        for (const GlCall &c : gl_recorded_calls()) {
            if (c.name == "glRotatef") {
                angle = c.args[0];
            }
        }
        const bool turning = mode == MODE_CLEARING || mode == MODE_SETTLE;
        EXPECT_EQ(angle, turning ? 360.0f * 0.5f : 0.0f) << "mode " << mode;
    }
    // A slam trail as long as ticks.
    GameState s = busy_state(MODE_SLAM, 3);
    gl_recorder_reset();
    render_frame(&s);
    const GlPrimitive &strip = gl_recorded_primitives().at(6);  // after the background's six
    ASSERT_EQ(strip.mode, static_cast<GLenum>(GL_QUAD_STRIP));
    EXPECT_EQ(strip.vertices[2].y - strip.vertices[0].y, 45.0);
    // The intro's progress comes from ticks only in MODE_INTRO; paused frames are complete.
    s = busy_state(MODE_INTRO, 0);
    EXPECT_EQ(frame_layers(s), (Layers{"background", "title", "caption", "box", "box frame", "text"}));
    EXPECT_EQ(gl_recorded_primitives().at(1).vertices[0].colour[3], 0.0f);
    s = busy_state(MODE_PAUSED, 0);
    frame_layers(s);
    EXPECT_EQ(gl_recorded_primitives().at(1).vertices[0].colour[3], 1.0f);
    EXPECT_EQ(gl_recorded_primitives().at(2).vertices[0].colour[3], 1.0f);
}

TEST(RenderFrame, ScoreLinesAreFormattedWithTheLevel) {
    GameState s = busy_state(MODE_FALLING, 0);
    s.score = 12345;
    s.level = 123;
    gl_recorder_reset();
    render_frame(&s);
    // "score: 12345" and "level: 123": 12 and 10 glyphs, the second line 32 lower.
    const std::vector<GlPrimitive> text = textured_with(tex_name(TEX_FONT_SCORE));
    ASSERT_EQ(text.size(), 1u);
    ASSERT_EQ(text[0].vertices.size(), 22u * 4u);
    EXPECT_EQ(text[0].vertices[11 * 4].y, 212.0);   // last digit of the score
    EXPECT_EQ(text[0].vertices[21 * 4].y, 180.0);   // last digit of the level
    EXPECT_EQ(text[0].vertices[0].colour, (std::array<float, 4>{0.75f, 0.75f, 0.25f, 1.0f}));
    // The longest possible lines fit the buffer: "-" has no glyph, so 34 glyphs are drawn.
    s.score = INT_MIN;
    s.level = INT_MIN;
    gl_recorder_reset();
    render_frame(&s);
    EXPECT_EQ(textured_with(tex_name(TEX_FONT_SCORE)).at(0).vertices.size(), 34u * 4u);
}

TEST(DrawTexturedRect, PowerOfTwoCoordinatesAndScale) {
    struct Case {
        int w, h;
        float u, v;
    };
    for (const Case c : {Case{480, 320, 0.9375f, 0.625f}, Case{107, 27, 0.8359375f, 0.84375f},
                         Case{154, 19, 0.6015625f, 0.59375f}, Case{1, 1, 1.0f, 1.0f}, Case{0, 3, 0.0f, 0.75f}}) {
        gl_recorder_reset();
        draw_textured_rect(10, 20, c.w, c.h, 1.0f);
        const GlPrimitive &p = gl_recorded_primitives().at(0);
        EXPECT_TRUE(p.texturing);
        ASSERT_EQ(p.vertices.size(), 4u);
        EXPECT_EQ(p.vertices[0].tex, (std::array<float, 2>{0, 0}));
        EXPECT_EQ(p.vertices[1].tex, (std::array<float, 2>{c.u, 0}));
        EXPECT_EQ(p.vertices[2].tex, (std::array<float, 2>{c.u, c.v}));
        EXPECT_EQ(p.vertices[3].tex, (std::array<float, 2>{0, c.v}));
        EXPECT_EQ(p.vertices[0].x, 10.0);
        EXPECT_EQ(p.vertices[0].y, 20.0);
        EXPECT_EQ(p.vertices[2].x, 10.0 + c.w);
        EXPECT_EQ(p.vertices[2].y, 20.0 + c.h);
        EXPECT_FALSE(gl_recorded_state().texturing);
    }
    gl_recorder_reset();
    draw_textured_rect(10, 20, 100, 50, 0.5f);
    EXPECT_EQ(gl_recorded_primitives().at(0).vertices[2].x, 60.0);
    EXPECT_EQ(gl_recorded_primitives().at(0).vertices[2].y, 45.0);
}

TEST(DrawPauseVeil, QuarterWhiteOverTheScreenThenOpaqueWhite) {
    gl_recorder_reset();
    draw_pause_veil();
    const GlPrimitive &p = gl_recorded_primitives().at(0);
    EXPECT_FALSE(p.texturing);
    ASSERT_EQ(p.vertices.size(), 4u);
    const double xs[4] = {0, 480, 480, 0};
    const double ys[4] = {0, 0, 320, 320};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(p.vertices[i].integer);
        EXPECT_EQ(p.vertices[i].x, xs[i]);
        EXPECT_EQ(p.vertices[i].y, ys[i]);
        EXPECT_EQ(p.vertices[i].colour, (std::array<float, 4>{1, 1, 1, 0.25f}));
    }
    EXPECT_EQ(gl_recorded_state().colour, (std::array<float, 4>{1, 1, 1, 1}));
}

}  // namespace
