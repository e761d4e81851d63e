// The background layer, the intro animation and the effects around the falling piece.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "recorder_support.h"

namespace {

// The colour given by the last glColor4f call of the log.
std::vector<double> last_colour4() {
    const std::vector<GlCall> &calls = gl_recorded_calls();
    const auto it = std::find_if(calls.rbegin(), calls.rend(), [](const GlCall &c) { return c.name == "glColor4f"; });
    return it == calls.rend() ? std::vector<double>{} : it->args;
}
const std::vector<double> WHITE = {1, 1, 1, 1};

// The untextured integer quad of the well backdrop, if drawn.
const GlPrimitive *backdrop_quad() {
    for (const GlPrimitive &p : gl_recorded_primitives()) {
        if (p.mode == GL_QUADS && !p.texturing && !p.vertices.empty() && p.vertices[0].integer) {
            return &p;
        }
    }
    return nullptr;
}

// Cleared first; the picture of the level band (levels beyond the bands and below 0 clamp);
// the caption black on bands 0 to 2 and white on band 3.
TEST(DrawBackground, ClearsThenDrawsThePictureOfTheLevelBand) {
    const int levels[] = {0, 1, 2, 3, 4, 5, 6, 7, 100, -3}, bands[] = {0, 0, 1, 1, 2, 2, 3, 3, 3, 0};
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(levels[i]);
        gl_recorder_reset();
        draw_background(&TEXTURES, 1.0f, levels[i]);
        EXPECT_EQ(gl_recorded_calls().at(0).name, "glClear");
        EXPECT_EQ(gl_recorded_calls()[0].args, (std::vector<double>{GL_COLOR_BUFFER_BIT}));
        const GlPrimitive &bg = gl_recorded_primitives().at(0);
        EXPECT_EQ(bg.texture, tex_name(TEX_BACKGROUND_0 + bands[i]));
        EXPECT_EQ(bg.vertices.at(0).colour, (Rgba{1, 1, 1, 1}));
        EXPECT_EQ(xys(bg.vertices), (Points{{0, 0}, {480, 0}, {480, 320}, {0, 320}}));
        const float grey = bands[i] == 3 ? 1.0f : 0.0f;
        EXPECT_EQ(gl_recorded_primitives().at(2).vertices.at(0).colour, (Rgba{grey, grey, grey, 1.0f}));
    }
}

// Intro: the title fades in over the first quarter, the caption over the second, then the
// well grows; progress 0.52 (rounded down to float) gives 11 by 23.
TEST(DrawBackground, IntroFadesTheTitlesThenGrowsTheWell) {
    const struct {
        uint32_t ticks;
        float title_alpha, caption_alpha;
        int w, h;  // 0 when the backdrop is not drawn
    } cases[] = {
        {0, 0.0f, 0.0f, 0, 0},
        {13, 1.0f, static_cast<float>(4.0 * (static_cast<double>(13.0f / 50.0f) - 0.25)), 0, 0},
        {25, 1.0f, 1.0f, 0, 0},
        {26, 1.0f, 1.0f, 11, 23},
        {38, 1.0f, 1.0f, 150, 300},
        {50, 1.0f, 1.0f, 150, 300},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.ticks);
        gl_recorder_reset();
        draw_background(&TEXTURES, static_cast<float>(c.ticks / 50.0), 0);
        const std::vector<GlPrimitive> &prims = gl_recorded_primitives();
        ASSERT_GE(prims.size(), 3u);
        EXPECT_EQ(prims[1].vertices[0].colour[3], c.title_alpha);
        EXPECT_EQ(prims[2].vertices[0].colour[3], c.caption_alpha);
        EXPECT_EQ(xys(prims[1].vertices, 0, 3), (Points{{30, 250}, {137, 250}, {137, 277}}));
        EXPECT_EQ(xys(prims[2].vertices, 0, 3), (Points{{35, 220}, {189, 220}, {189, 239}}));
        const GlPrimitive *quad = backdrop_quad();
        EXPECT_EQ(prims.size(), c.w == 0 ? 3u : 6u);
        const Points far_corner = c.w == 0 ? Points{} : Points{{300.0 + c.w, 10.0 + c.h}};
        EXPECT_EQ(quad == nullptr ? Points{} : xys(quad->vertices, 2, 1), far_corner);
    }
}

// The black outline half a pixel outside the well with its corner points, then the backdrop
// quad: bottom colour cycling with a period of 8 levels (level 0 entry 7), top entry 8;
// nothing at all at growth 0 or below.
TEST(DrawWellBackdrop, OutlineWithCornersAndColoursByLevel) {
    const int levels[] = {0, 1, 2, 7, 8, 9, 16}, entries[] = {7, 0, 1, 6, 7, 0, 7};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(levels[i]);
        gl_recorder_reset();
        draw_well_backdrop(1.0f, levels[i]);
        const std::vector<GlPrimitive> &prims = gl_recorded_primitives();
        ASSERT_EQ(prims.size(), 3u);
        EXPECT_EQ(prims[0].mode, static_cast<GLenum>(GL_LINE_STRIP));
        EXPECT_EQ(prims[1].mode, static_cast<GLenum>(GL_POINTS));
        const Points corners = {{299.5, 9.5}, {450.5, 9.5}, {450.5, 310.5}, {299.5, 310.5}, {299.5, 9.5}};
        EXPECT_EQ(xys(prims[0].vertices, 0, 9), corners);
        EXPECT_EQ(xys(prims[1].vertices, 0, 9), Points(corners.begin(), corners.begin() + 4));
        EXPECT_EQ(prims[0].vertices[0].colour, (Rgba{0, 0, 0, 1}));
        EXPECT_FALSE(prims[2].texturing);
        EXPECT_EQ(xys(prims[2].vertices, 0, 9), (Points{{300, 10}, {450, 10}, {450, 310}, {300, 310}}));
        for (int v = 0; v < 4; ++v) {
            const float *c = WELL_COLOURS[v < 2 ? entries[i] : 8];
            EXPECT_EQ(prims[2].vertices[v].colour, (Rgba{c[0], c[1], c[2], c[3]}));
            EXPECT_TRUE(prims[2].vertices[v].integer);
        }
        EXPECT_EQ(last_colour4(), WHITE);
    }
    gl_recorder_reset();
    draw_well_backdrop(0.0f, 0);
    draw_well_backdrop(-1.0f, 0);
    EXPECT_TRUE(gl_recorded_calls().empty());
}

// One scissored streak per occupied column, from the middle of its top cell, fading upwards.
TEST(DrawSlamTrail, OneStreakPerOccupiedColumnFromTheTopCellsMiddle) {
    GameState s = make_state(MODE_SLAM);  // kind 0 at column 3, row 5: XXX / .X. in box rows 2 and 3
    gl_recorder_reset();
    draw_slam_trail(&s, 1);
    std::vector<GlPrimitive> prims = gl_recorded_primitives();
    ASSERT_EQ(prims.size(), 3u);
    for (int x = 0; x < 3; ++x) {
        SCOPED_TRACE(x);
        const GlPrimitive &p = prims[x];
        EXPECT_EQ(p.mode, static_cast<GLenum>(GL_QUAD_STRIP));
        EXPECT_TRUE(p.scissor);
        EXPECT_FALSE(p.texturing);
        ASSERT_EQ(p.vertices.size(), 4u);
        const double left = 345 + 15 * x;  // from 295 - 15 * (5 + 2.5 - 1), 15 long at length 1
        EXPECT_EQ(xys(p.vertices), (Points{{left, 197.5}, {left + 15, 197.5}, {left, 212.5}, {left + 15, 212.5}}));
        const float *c = PIECE_COLOURS[0];
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(p.vertices[i].colour, (Rgba{c[0], c[1], c[2], i < 2 ? 1.0f : 0.0f}));
        }
    }
    EXPECT_FALSE(gl_recorded_state().scissor);
    EXPECT_EQ(last_colour4(), WHITE);

    // Kind 2 upright: one column of four, one streak from its top cell; lying: four streaks.
    s.current = PieceState{2, 1, 3, 6.5f};
    gl_recorder_reset();
    draw_slam_trail(&s, 20);
    prims = gl_recorded_primitives();
    ASSERT_EQ(prims.size(), 1u);
    EXPECT_EQ(prims[0].vertices[0].x, 375.0f);
    EXPECT_EQ(prims[0].vertices[0].y, 295.0 - 15.0 * (6.5 + 0.5 - 1.0));
    EXPECT_EQ(prims[0].vertices[2].y, prims[0].vertices[0].y + 300.0);
    s.current.rotation = 0;
    gl_recorder_reset();
    draw_slam_trail(&s, 2);
    EXPECT_EQ(gl_recorded_primitives().size(), 4u);
}

// White bars from y 9.25 down to 5 under each covered column, opaque only at levels 4 and 5.
TEST(DrawColumnMarker, BarsUnderTheCoveredColumnsOpaqueOnlyAtLevelsFourAndFive) {
    GameState s = make_state(MODE_FALLING);
    s.current = PieceState{2, 0, 3, 0.0f};
    const int levels[] = {0, 1, 3, 4, 5, 6, 8};
    const float alphas[] = {0.7f, 0.7f, 0.7f, 1.0f, 1.0f, 0.7f, 0.7f};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(levels[i]);
        gl_recorder_reset();
        draw_column_marker(&s, levels[i]);
        ASSERT_EQ(gl_recorded_primitives().size(), 1u);
        const GlPrimitive &p = gl_recorded_primitives()[0];
        EXPECT_FALSE(p.texturing);
        EXPECT_FALSE(p.scissor);
        ASSERT_EQ(p.vertices.size(), 16u);
        for (int bar = 0; bar < 4; ++bar) {
            const double left = 345 + 15 * bar;
            EXPECT_EQ(xys(p.vertices, 4 * bar), (Points{{left, 9.25}, {left + 15, 9.25}, {left + 15, 5}, {left, 5}}));
        }
        for (const GlVertex &v : p.vertices) {
            EXPECT_EQ(v.colour, (Rgba{1, 1, 1, alphas[i]}));
        }
        EXPECT_EQ(last_colour4(), WHITE);
    }
    s.current = PieceState{2, 1, -2, 0.0f};  // the upright bar sits in box column 2
    gl_recorder_reset();
    draw_column_marker(&s, 0);
    ASSERT_EQ(gl_recorded_primitives()[0].vertices.size(), 4u);
    EXPECT_EQ(gl_recorded_primitives()[0].vertices[0].x, 300.0f);
}

// Two copies of the piece slide two columns apart while fading out.
TEST(DrawSettleEffect, TwoCopiesSlideApartAndFade) {
    GameState s = make_state(MODE_SETTLE);
    s.current = PieceState{3, 0, 4, 16.0f};  // square in box rows 2 and 3, columns 1 and 2
    const float *c = PIECE_COLOURS[3];
    for (const auto [fade, alpha, shift] : {std::array<float, 3>{0, 1, 0}, {0.5f, 0.5f, 1}, {1, 0, 2}}) {
        SCOPED_TRACE(fade);
        const std::vector<GlVertex> v = emitted([&] { draw_settle_effect(&s, fade); });
        ASSERT_EQ(v.size(), 32u);
        EXPECT_EQ(v[0].x, 375.0f - 15.0f * shift);  // box column 1 of a box at column 4
        EXPECT_EQ(v[16].x, 375.0f + 15.0f * shift);
        EXPECT_EQ(v[0].y, 295.0f - 15.0f * 18.0f);
        EXPECT_EQ(v[0].colour, (Rgba{c[0], c[1], c[2], alpha}));
        EXPECT_EQ(v[31].colour[3], alpha);
    }
}

// The cells of each kind at rest fill the extent given with the layout.
TEST(PreviewLayout, CellsAtRestFillTheirGivenExtent) {
    const float extent[7][4] = {{60, 105, 55, 85},     {30, 60, 92.5f, 137.5f}, {30, 90, 122.5f, 137.5f},
                                {45, 75, 100, 130},    {60, 90, 92.5f, 137.5f}, {30, 60, 47.5f, 92.5f},
                                {60, 90, 32.5f, 77.5f}};  // x from, to, y from, to
    for (int kind = 0; kind < 7; ++kind) {
        SCOPED_TRACE(kind);
        const PieceState queue[2] = {{kind, 0, 0, 0.0f}, {kind, 0, 0, 0.0f}};
        gl_recorder_reset();
        draw_upcoming_pieces(&TEXTURES, queue, 0.0f);
        const GlPrimitive &p = gl_recorded_primitives().at(0);
        ASSERT_EQ(p.vertices.size(), 16u);
        double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
        for (const GlVertex &v : p.vertices) {
            x0 = std::min(x0, v.eye_x), x1 = std::max(x1, v.eye_x);
            y0 = std::min(y0, v.eye_y), y1 = std::max(y1, v.eye_y);
        }
        const double got[4] = {x0, x1, y0, y1};
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(got[k], extent[kind][k], 1e-4);
        }
    }
}

// At turn t the first piece turns by 360t and shrinks by 1 - t, the second grows by t, each
// about its pivot; the layout's rotation is drawn, not the queued piece's.
TEST(DrawUpcomingPieces, TurnsAndScalesAboutEachPivot) {
    const PieceState queue[2] = {{0, 2, 7, 3.0f}, {5, 3, -1, 9.0f}};  // own rotation etc. unused
    const double pivot[2][2] = {{75, 70}, {45, 70}};
    for (const float turn : {0.0f, 0.5f, 1.0f}) {
        SCOPED_TRACE(turn);
        gl_recorder_reset();
        draw_upcoming_pieces(&TEXTURES, queue, turn);
        std::vector<std::vector<double>> transform;  // the transform calls, in order
        for (const GlCall &c : gl_recorded_calls()) {
            if (c.name == "glTranslatef" || c.name == "glRotatef" || c.name == "glScalef") {
                transform.push_back(c.args);
            }
        }
        ASSERT_EQ(transform.size(), 8u);
        EXPECT_EQ(transform[0], (std::vector<double>{75, 70, 0}));
        EXPECT_EQ(transform[1], (std::vector<double>{360.0f * turn, 0, 0, 1}));
        EXPECT_EQ(transform[2], (std::vector<double>{1.0f - turn, 1.0f - turn, 1}));
        EXPECT_EQ(transform[3], (std::vector<double>{-75, -70, 0}));
        EXPECT_EQ(transform[6], (std::vector<double>{turn, turn, 1}));
        const std::vector<GlPrimitive> &prims = gl_recorded_primitives();
        ASSERT_EQ(prims.size(), 2u);
        const double a = 2.0 * std::numbers::pi * static_cast<double>(turn);
        for (int i = 0; i < 2; ++i) {
            const float s = i == 0 ? 1.0f - turn : turn;
            EXPECT_EQ(prims[i].texture, tex_name(TEX_TILES));
            EXPECT_TRUE(prims[i].texturing);
            EXPECT_EQ(prims[i].matrix_depth, 1);
            const float *c = PIECE_COLOURS[queue[i].kind];
            EXPECT_EQ(prims[i].vertices.at(0).colour, (Rgba{c[0], c[1], c[2], 1.0f}));
            for (const GlVertex &v : prims[i].vertices) {
                const double dx = v.x - pivot[i][0], dy = v.y - pivot[i][1];
                EXPECT_NEAR(v.eye_x, pivot[i][0] + s * (std::cos(a) * dx - std::sin(a) * dy), 1e-3);
                EXPECT_NEAR(v.eye_y, pivot[i][1] + s * (std::sin(a) * dx + std::cos(a) * dy), 1e-3);
            }
        }
        EXPECT_EQ(prims[0].vertices[0].x, 60.0f);  // kind 0 rotation 0 (rotation 2 would start at 75)
        EXPECT_EQ(gl_recorded_state().matrix_depth, 0);
        EXPECT_FALSE(gl_recorded_state().texturing);
        EXPECT_TRUE(gl_recorded_errors().empty());
    }
}

}  // namespace
