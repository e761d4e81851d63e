// The background layer, the intro animation and the effects around the falling piece.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "recorder_support.h"

namespace {

const TextureSet TEXTURES = fake_textures();

// The colour given by the last glColor4f call of the log.
std::vector<double> last_colour4() {
    const std::vector<GlCall> &calls = gl_recorded_calls();
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->name == "glColor4f") {
            return it->args;
        }
    }
    return {};
}

// The untextured integer quad of the well backdrop, if drawn.
const GlPrimitive *backdrop_quad() {
    for (const GlPrimitive &p : gl_recorded_primitives()) {
        if (p.mode == GL_QUADS && !p.texturing && !p.vertices.empty() && p.vertices[0].integer) {
            return &p;
        }
    }
    return nullptr;
}

TEST(DrawBackground, ClearsThenDrawsThePictureOfTheLevelBand) {
    const int levels[] = {0, 1, 2, 3, 4, 5, 6, 7, 100, -3};
    const int bands[] = {0, 0, 1, 1, 2, 2, 3, 3, 3, 0};
    for (int i = 0; i < 10; ++i) {
        gl_recorder_reset();
        draw_background(&TEXTURES, 1.0f, levels[i]);
        const std::vector<GlCall> &calls = gl_recorded_calls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls[0].name, "glClear");
        EXPECT_EQ(calls[0].args[0], GL_COLOR_BUFFER_BIT);
        const GlPrimitive &bg = gl_recorded_primitives().at(0);
        EXPECT_EQ(bg.texture, tex_name(TEX_BACKGROUND_0 + bands[i])) << "level " << levels[i];
        EXPECT_TRUE(bg.texturing);
        ASSERT_EQ(bg.vertices.size(), 4u);
        EXPECT_EQ(bg.vertices[0].colour, (std::array<float, 4>{1, 1, 1, 1}));
        EXPECT_EQ(bg.vertices[2].x, 480.0);
        EXPECT_EQ(bg.vertices[2].y, 320.0);
        EXPECT_EQ(bg.vertices[2].tex, (std::array<float, 2>{0.9375f, 0.625f}));
        // Caption: black on bands 0 to 2, white on band 3.
        const GlPrimitive &caption = gl_recorded_primitives().at(2);
        EXPECT_EQ(caption.texture, tex_name(TEX_CAPTION));
        const float grey = bands[i] == 3 ? 1.0f : 0.0f;
        EXPECT_EQ(caption.vertices[0].colour, (std::array<float, 4>{grey, grey, grey, 1.0f}));
        EXPECT_FALSE(gl_recorded_state().texturing);
    }
}

TEST(DrawBackground, IntroFadesTheTitlesThenGrowsTheWell) {
    struct Case {
        uint32_t ticks;
        float title_alpha, caption_alpha;
        int w, h;  // 0 when the backdrop is not drawn
    };
    const Case cases[] = {
        {0, 0.0f, 0.0f, 0, 0},
        {13, 1.0f, static_cast<float>(4.0 * (static_cast<double>(13.0f / 50.0f) - 0.25)), 0, 0},
        {25, 1.0f, 1.0f, 0, 0},
        {26, 1.0f, 1.0f, 11, 23},  // progress 0.51999998: growth just below 0.08
        {38, 1.0f, 1.0f, 150, 300},
        {50, 1.0f, 1.0f, 150, 300},
    };
    for (const Case &c : cases) {
        gl_recorder_reset();
        const auto progress = static_cast<float>(c.ticks / 50.0);
        draw_background(&TEXTURES, progress, 0);
        const std::vector<GlPrimitive> &prims = gl_recorded_primitives();
        ASSERT_GE(prims.size(), 3u);
        EXPECT_EQ(prims[1].texture, tex_name(TEX_TITLE));
        EXPECT_EQ(prims[1].vertices[0].colour[3], c.title_alpha) << c.ticks;
        EXPECT_EQ(prims[1].vertices[0].x, 30.0);
        EXPECT_EQ(prims[1].vertices[2].x, 137.0);
        EXPECT_EQ(prims[1].vertices[2].y, 277.0);
        EXPECT_EQ(prims[1].vertices[2].tex, (std::array<float, 2>{0.8359375f, 0.84375f}));
        EXPECT_EQ(prims[2].vertices[0].colour[3], c.caption_alpha) << c.ticks;
        EXPECT_EQ(prims[2].vertices[2].tex, (std::array<float, 2>{0.6015625f, 0.59375f}));
        EXPECT_EQ(prims[2].vertices[2].x, 189.0);
        EXPECT_EQ(prims[2].vertices[2].y, 239.0);
        const GlPrimitive *quad = backdrop_quad();
        if (c.w == 0) {
            EXPECT_EQ(quad, nullptr) << c.ticks;
            EXPECT_EQ(prims.size(), 3u);
            continue;
        }
        ASSERT_NE(quad, nullptr) << c.ticks;
        EXPECT_EQ(quad->vertices[2].x, 300 + c.w) << c.ticks;
        EXPECT_EQ(quad->vertices[2].y, 10 + c.h) << c.ticks;
    }
}

TEST(DrawWellBackdrop, FrameOutsideTheWellWithSolidCorners) {
    gl_recorder_reset();
    draw_well_backdrop(1.0f, 0);
    const std::vector<GlPrimitive> &prims = gl_recorded_primitives();
    ASSERT_EQ(prims.size(), 3u);
    const GlPrimitive &lines = prims[0];
    EXPECT_EQ(lines.mode, static_cast<GLenum>(GL_LINE_STRIP));
    const double xs[5] = {299.5, 450.5, 450.5, 299.5, 299.5};
    const double ys[5] = {9.5, 9.5, 310.5, 310.5, 9.5};
    ASSERT_EQ(lines.vertices.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(lines.vertices[i].x, xs[i]);
        EXPECT_EQ(lines.vertices[i].y, ys[i]);
        EXPECT_EQ(lines.vertices[i].colour, (std::array<float, 4>{0, 0, 0, 1}));
    }
    const GlPrimitive &points = prims[1];
    EXPECT_EQ(points.mode, static_cast<GLenum>(GL_POINTS));
    ASSERT_EQ(points.vertices.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(points.vertices[i].x, xs[i]);
        EXPECT_EQ(points.vertices[i].y, ys[i]);
    }
    EXPECT_FALSE(prims[2].texturing);
    EXPECT_EQ(last_colour4(), (std::vector<double>{1, 1, 1, 1}));
}

TEST(DrawWellBackdrop, BottomColourCyclesWithTheLevelTopIsFixed) {
    const int levels[] = {0, 1, 2, 7, 8, 9, 16};
    const int entries[] = {7, 0, 1, 6, 7, 0, 7};
    for (int i = 0; i < 7; ++i) {
        gl_recorder_reset();
        draw_well_backdrop(1.0f, levels[i]);
        const GlPrimitive *quad = backdrop_quad();
        ASSERT_NE(quad, nullptr);
        ASSERT_EQ(quad->vertices.size(), 4u);
        for (int v = 0; v < 4; ++v) {
            const int entry = v < 2 ? entries[i] : 8;
            for (int k = 0; k < 4; ++k) {
                EXPECT_EQ(quad->vertices[v].colour[k], WELL_COLOURS[entry][k]) << "level " << levels[i];
            }
            EXPECT_TRUE(quad->vertices[v].integer);
        }
        EXPECT_EQ(quad->vertices[0].x, 300.0);
        EXPECT_EQ(quad->vertices[0].y, 10.0);
        EXPECT_EQ(quad->vertices[1].x, 450.0);
        EXPECT_EQ(quad->vertices[3].y, 310.0);
    }
    gl_recorder_reset();
    draw_well_backdrop(0.0f, 0);
    draw_well_backdrop(-1.0f, 0);
    EXPECT_TRUE(gl_recorded_calls().empty());
}

TEST(DrawSlamTrail, OneStreakPerOccupiedColumnFromTheTopCellsMiddle) {
    GameState s = make_state(&TEXTURES, MODE_SLAM);
    s.current = PieceState{0, 0, 3, 5.0f};  // XXX / .X. in box rows 2 and 3
    gl_recorder_reset();
    draw_slam_trail(&s, 1);
    std::vector<GlPrimitive> prims = gl_recorded_primitives();
    ASSERT_EQ(prims.size(), 3u);
    for (int x = 0; x < 3; ++x) {
        const GlPrimitive &p = prims[x];
        EXPECT_EQ(p.mode, static_cast<GLenum>(GL_QUAD_STRIP));
        EXPECT_TRUE(p.scissor);
        EXPECT_FALSE(p.texturing);
        ASSERT_EQ(p.vertices.size(), 4u);
        const float left = 345.0f + 15.0f * static_cast<float>(x);
        EXPECT_EQ(p.vertices[0].x, left);
        EXPECT_EQ(p.vertices[1].x, left + 15.0f);
        EXPECT_EQ(p.vertices[0].y, 197.5);  // 295 - 15 * (5 + 2.5 - 1)
        EXPECT_EQ(p.vertices[2].y, 212.5);  // 15 units long at length 1
        EXPECT_EQ(p.vertices[0].colour[3], 1.0f);
        EXPECT_EQ(p.vertices[1].colour[3], 1.0f);
        EXPECT_EQ(p.vertices[2].colour[3], 0.0f);
        EXPECT_EQ(p.vertices[3].colour[3], 0.0f);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(p.vertices[3].colour[k], PIECE_COLOURS[0][k]);
        }
    }
    EXPECT_FALSE(gl_recorded_state().scissor);
    EXPECT_EQ(last_colour4(), (std::vector<double>{1, 1, 1, 1}));

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

TEST(DrawColumnMarker, BarsUnderTheCoveredColumnsOpaqueOnlyAtLevelsFourAndFive) {
    GameState s = make_state(&TEXTURES, MODE_FALLING);
    s.current = PieceState{2, 0, 3, 0.0f};
    const int levels[] = {0, 1, 3, 4, 5, 6, 8};
    const float alphas[] = {0.7f, 0.7f, 0.7f, 1.0f, 1.0f, 0.7f, 0.7f};
    for (int i = 0; i < 7; ++i) {
        gl_recorder_reset();
        draw_column_marker(&s, levels[i]);
        const std::vector<GlPrimitive> &prims = gl_recorded_primitives();
        ASSERT_EQ(prims.size(), 1u);
        const GlPrimitive &p = prims[0];
        EXPECT_FALSE(p.texturing);
        EXPECT_FALSE(p.scissor);
        ASSERT_EQ(p.vertices.size(), 16u);
        for (int bar = 0; bar < 4; ++bar) {
            const float left = 345.0f + 15.0f * static_cast<float>(bar);
            const GlVertex *v = &p.vertices[4 * bar];
            EXPECT_EQ(v[0].x, left);
            EXPECT_EQ(v[0].y, 9.25);
            EXPECT_EQ(v[1].x, left + 15.0f);
            EXPECT_EQ(v[1].y, 9.25);
            EXPECT_EQ(v[2].x, left + 15.0f);
            EXPECT_EQ(v[2].y, 5.0);
            EXPECT_EQ(v[3].x, left);
            EXPECT_EQ(v[3].y, 5.0);
            EXPECT_EQ(v[0].colour, (std::array<float, 4>{1, 1, 1, alphas[i]})) << "level " << levels[i];
        }
        EXPECT_EQ(last_colour4(), (std::vector<double>{1, 1, 1, 1}));
    }
    s.current = PieceState{2, 1, -2, 0.0f};  // the upright bar sits in box column 2
    gl_recorder_reset();
    draw_column_marker(&s, 0);
    ASSERT_EQ(gl_recorded_primitives()[0].vertices.size(), 4u);
    EXPECT_EQ(gl_recorded_primitives()[0].vertices[0].x, 300.0f);
}

TEST(DrawSettleEffect, TwoCopiesSlideApartAndFade) {
    GameState s = make_state(&TEXTURES, MODE_SETTLE);
    s.current = PieceState{3, 0, 4, 16.0f};  // square in box rows 2 and 3, columns 1 and 2
    struct Case {
        float fade, alpha, shift;
    };
    for (const Case c : {Case{0.0f, 1.0f, 0.0f}, Case{0.5f, 0.5f, 1.0f}, Case{1.0f, 0.0f, 2.0f}}) {
        gl_recorder_reset();
        glBegin(GL_QUADS);
        draw_settle_effect(&s, c.fade);
        glEnd();
        const std::vector<GlVertex> v = all_vertices(gl_recorded_primitives());
        ASSERT_EQ(v.size(), 32u);
        const float left = 300.0f + 15.0f * 5.0f;  // box column 1 of a box at column 4
        EXPECT_EQ(v[0].x, left - 15.0f * c.shift) << c.fade;
        EXPECT_EQ(v[16].x, left + 15.0f * c.shift) << c.fade;
        EXPECT_EQ(v[0].y, 295.0f - 15.0f * 18.0f);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(v[0].colour[k], PIECE_COLOURS[3][k]);
        }
        EXPECT_EQ(v[0].colour[3], c.alpha);
        EXPECT_EQ(v[31].colour[3], c.alpha);
    }
}

TEST(PreviewLayout, CellsAtRestFillTheirGivenExtent) {
    // x range and y range of the cells at rest, given with the layout for checking.
    const float extent[7][4] = {{60, 105, 55, 85},     {30, 60, 92.5f, 137.5f}, {30, 90, 122.5f, 137.5f},
                                {45, 75, 100, 130},    {60, 90, 92.5f, 137.5f}, {30, 60, 47.5f, 92.5f},
                                {60, 90, 32.5f, 77.5f}};
    const TextureSet t = TEXTURES;
    for (int kind = 0; kind < 7; ++kind) {
        const PieceState queue[2] = {{kind, 0, 0, 0.0f}, {kind, 0, 0, 0.0f}};
        gl_recorder_reset();
        draw_upcoming_pieces(&t, queue, 0.0f);
        const GlPrimitive &p = gl_recorded_primitives().at(0);
        ASSERT_EQ(p.vertices.size(), 16u);
        double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
        for (const GlVertex &v : p.vertices) {
            x0 = std::min(x0, v.eye_x);
            x1 = std::max(x1, v.eye_x);
            y0 = std::min(y0, v.eye_y);
            y1 = std::max(y1, v.eye_y);
        }
        EXPECT_NEAR(x0, extent[kind][0], 1e-4) << kind;
        EXPECT_NEAR(x1, extent[kind][1], 1e-4) << kind;
        EXPECT_NEAR(y0, extent[kind][2], 1e-4) << kind;
        EXPECT_NEAR(y1, extent[kind][3], 1e-4) << kind;
    }
}

TEST(DrawUpcomingPieces, TurnsAndScalesAboutEachPivot) {
    const PieceState queue[2] = {{0, 2, 7, 3.0f}, {5, 3, -1, 9.0f}};  // own rotation etc. unused
    const double pivot[2][2] = {{75, 70}, {45, 70}};
    for (const float turn : {0.0f, 0.5f, 1.0f}) {
        gl_recorder_reset();
        draw_upcoming_pieces(&TEXTURES, queue, turn);
        const std::vector<GlCall> &calls = gl_recorded_calls();
        // The transform calls of the first piece, in order.
        std::vector<GlCall> transform;
        for (const GlCall &c : calls) {
            if (c.name == "glTranslatef" || c.name == "glRotatef" || c.name == "glScalef") {
                transform.push_back(c);
            }
        }
        ASSERT_EQ(transform.size(), 8u);
        EXPECT_EQ(transform[0].args, (std::vector<double>{75, 70, 0}));
        EXPECT_EQ(transform[1].args, (std::vector<double>{360.0f * turn, 0, 0, 1}));
        EXPECT_EQ(transform[2].args, (std::vector<double>{1.0f - turn, 1.0f - turn, 1}));
        EXPECT_EQ(transform[3].args, (std::vector<double>{-75, -70, 0}));
        EXPECT_EQ(transform[6].args, (std::vector<double>{turn, turn, 1}));

        const std::vector<GlPrimitive> &prims = gl_recorded_primitives();
        ASSERT_EQ(prims.size(), 2u);
        for (int i = 0; i < 2; ++i) {
            const float s = i == 0 ? 1.0f - turn : turn;
            const double a = 2.0 * 3.14159265358979323846 * static_cast<double>(turn);
            EXPECT_EQ(prims[i].texture, tex_name(TEX_TILES));
            EXPECT_TRUE(prims[i].texturing);
            EXPECT_EQ(prims[i].matrix_depth, 1);
            EXPECT_EQ(prims[i].vertices.front().colour[3], 1.0f);
            EXPECT_EQ(prims[i].vertices.front().colour[0], PIECE_COLOURS[queue[i].kind][0]);
            for (const GlVertex &v : prims[i].vertices) {
                const double dx = v.x - pivot[i][0];
                const double dy = v.y - pivot[i][1];
                EXPECT_NEAR(v.eye_x, pivot[i][0] + s * (std::cos(a) * dx - std::sin(a) * dy), 1e-3);
                EXPECT_NEAR(v.eye_y, pivot[i][1] + s * (std::sin(a) * dx + std::cos(a) * dy), 1e-3);
            }
        }
        // The layout's rotation is drawn, not the queued piece's: kind 0 in rotation 0 starts
        // with the cell at x 60 (rotation 2 would start at x 75).
        EXPECT_EQ(prims[0].vertices[0].x, 60.0f);
        EXPECT_EQ(gl_recorded_state().matrix_depth, 0);
        EXPECT_FALSE(gl_recorded_state().texturing);
        EXPECT_TRUE(gl_recorded_errors().empty());
    }
}

}  // namespace
