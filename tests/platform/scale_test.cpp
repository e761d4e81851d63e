// The window's scale from the screen's size and from the STAKMIR_SCALE setting; the layouts of
// the frame's parts, and the parts drawn in a real Mesa context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "offscreen_gl.h"
#include "platform/scale.h"

namespace {

// Two thirds of the screen each way hold the window; at least 1, also on a screen too small for it.
TEST(Scale, LargestWholeScaleInTwoThirdsOfTheScreen) {
    const int32_t cases[][3] = {{1920, 1080, 2}, {2560, 1440, 3}, {3840, 2160, 4}, {1366, 768, 1}, {1440, 960, 2},
                                {1439, 960, 1},  {1440, 959, 1},  {5120, 2880, 6}, {7680, 4320, 9}, {3840, 1200, 2},
                                {300, 200, 1}};
    for (const auto &c : cases) {
        EXPECT_EQ(scale_for_screen(c[0], c[1]), c[2]) << c[0] << "x" << c[1];
    }
    EXPECT_EQ(scale_fit(1365, 768), 2) << "fullscreen fills the whole screen";
    EXPECT_EQ(scale_fit(1439, 960), 2);
}

// Only a whole number from 1 to 16; empty is not set; anything else is refused in one line.
TEST(Scale, SettingIsAWholeNumberFrom1To16) {
    EXPECT_EQ(scale_parse(nullptr), 0);
    EXPECT_EQ(scale_parse(""), 0);
    EXPECT_EQ(scale_parse("1"), 1);
    EXPECT_EQ(scale_parse("03"), 3);
    EXPECT_EQ(scale_parse("16"), 16);
    for (const char *bad : {"0", "17", "-2", "2.5", "2x", " 2", "abc", "99999999999999999999"}) {
        EXPECT_EQ(scale_parse(bad), -1) << bad;
    }
    char line[128];
    scale_setting_error("big", line, sizeof line);
    EXPECT_EQ(std::string(line), "STAKMIR_SCALE must be a whole number from 1 to 16, not \"big\"");
}

// The setting is kept, also above the screen's own choice, as long as the window fits on the
// screen; a larger one is lowered to the largest that fits, and one line says so.
TEST(Scale, SettingTooLargeForTheScreenIsLowered) {
    const int32_t cases[][4] = {{0, 3840, 2160, 4}, {2, 3840, 2160, 2}, {3, 1920, 1080, 3},  {5, 1920, 1080, 3},
                                {16, 1280, 1024, 2}, {16, 7680, 5120, 16}, {16, 300, 200, 1}};
    for (const auto &c : cases) {
        EXPECT_EQ(scale_choose(c[0], c[1], c[2]), c[3]) << c[0] << " on " << c[1] << "x" << c[2];
    }
    char line[160];
    scale_lowered_note(16, 2, 1280, 1024, line, sizeof line);
    EXPECT_EQ(std::string(line),
              "STAKMIR_SCALE=16 does not fit on the 1280 by 1024 screen: the window opens at 2 (960 by 640)");
}

}  // namespace

// The whole frame centred as the desktop has always placed it (the margin below rounded down),
// and the parts a layout refuses: outside the frame, empty, or one too many.
TEST(Scale, LayoutsOfTheFrame) {
    const int32_t whole[][7] = {// drawable, scale, then the target: left, top, width and height
                                {480, 320, 1, 0, 0, 480, 320},     {960, 640, 2, 0, 0, 960, 640},
                                {1366, 768, 2, 203, 64, 960, 640}, {1441, 961, 3, 0, 1, 1440, 960},
                                {1920, 1081, 3, 240, 61, 1440, 960}};
    for (const auto &c : whole) {
        const ScaleLayout layout = scale_layout_whole(c[0], c[1], c[2]);
        ASSERT_EQ(layout.count, 1u) << c[0] << "x" << c[1];
        const ScalePart &part = layout.parts[0];
        EXPECT_EQ((std::array<int32_t, 4>{part.target.left, part.target.top, part.target.width, part.target.height}),
                  (std::array<int32_t, 4>{c[3], c[4], c[5], c[6]}))
            << c[0] << "x" << c[1];
        EXPECT_EQ((std::array<int32_t, 4>{part.source.left, part.source.top, part.source.width, part.source.height}),
                  (std::array<int32_t, 4>{0, 0, 480, 320}));
        EXPECT_FALSE(part.smooth);
        EXPECT_EQ(layout.fill, 0u);
    }
    ScaleLayout layout = scale_layout(1170, 2532, 0x1D2230);
    const ScaleRect target{0, 0, 100, 100};
    const ScaleRect refused[] = {{-1, 0, 10, 10}, {0, -1, 10, 10}, {0, 0, 0, 10}, {0, 0, 10, 0}, {471, 0, 10, 10},
                                 {0, 311, 10, 10}, {0, 0, 481, 320}};
    for (const ScaleRect &source : refused) {
        EXPECT_FALSE(scale_layout_add(&layout, ScalePart{source, target, false}))
            << source.left << "," << source.top << " " << source.width << "x" << source.height;
    }
    EXPECT_FALSE(scale_layout_add(&layout, ScalePart{ScaleRect{0, 0, 480, 320}, ScaleRect{0, 0, 0, 10}, false}));
    const ScalePart well{ScaleRect{295, 5, 160, 310}, ScaleRect{105, 0, 960, 1860}, false};
    for (uint32_t i = 0; i < SCALE_MAX_PARTS; ++i) {
        EXPECT_TRUE(scale_layout_add(&layout, well));
    }
    EXPECT_FALSE(scale_layout_add(&layout, well)) << "one part too many";
    EXPECT_EQ(layout.count, SCALE_MAX_PARTS);
    EXPECT_EQ(layout.fill, 0x1D2230u);
}

// Game pixel (x, y), counted from the top, in a colour of its own.
std::array<uint8_t, 3> game_colour(int32_t x, int32_t y) {
    return {static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(y & 0xFF),
            static_cast<uint8_t>((x >> 8) * 128 + (y >> 8) * 64 + 7)};
}

// Draws that frame into the drawable's lower left corner, as the game draws its frames there.
void draw_test_frame() {
    std::vector<uint8_t> rgba;
    for (int32_t row = 0; row < SCALE_HEIGHT; ++row) {  // bottom row first
        for (int32_t x = 0; x < SCALE_WIDTH; ++x) {
            const auto colour = game_colour(x, SCALE_HEIGHT - 1 - row);
            rgba.insert(rgba.end(), {colour[0], colour[1], colour[2], 255});
        }
    }
    glViewport(0, 0, test_gl_width(), test_gl_height());
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);  // left behind wherever the parts do not cover it
    glClear(GL_COLOR_BUFFER_BIT);
    glRasterPos2i(-1, -1);  // the lower left corner, with the matrices at identity
    glDrawPixels(SCALE_WIDTH, SCALE_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

// Every pixel of the drawable: the game pixel its part takes it from (each game pixel a block),
// or the fill. Returns the number of pixels that are neither.
int32_t wrong_pixels(const ScaleLayout &layout) {
    const std::vector<uint8_t> pixels = test_gl_read_rgba();
    int32_t wrong = 0;
    for (int32_t y = 0; y < layout.height; ++y) {
        for (int32_t x = 0; x < layout.width; ++x) {
            const uint8_t *got = &pixels[4 * (size_t(layout.height - 1 - y) * size_t(layout.width) + size_t(x))];
            std::array<uint8_t, 3> want{uint8_t(layout.fill >> 16), uint8_t(layout.fill >> 8), uint8_t(layout.fill)};
            for (uint32_t i = 0; i < layout.count; ++i) {
                const ScaleRect &s = layout.parts[i].source;
                const ScaleRect &t = layout.parts[i].target;
                if (x >= t.left && x < t.left + t.width && y >= t.top && y < t.top + t.height) {
                    want = game_colour(s.left + (x - t.left) * s.width / t.width,
                                       s.top + (y - t.top) * s.height / t.height);
                }
            }
            wrong += got[0] != want[0] || got[1] != want[1] || got[2] != want[2] ? 1 : 0;
        }
    }
    return wrong;
}

// The desktop's whole frame at 2x centred on black, and a page's frame in parts: most of the well
// at 3x, the top of the rest of the frame beside it at 1x (sampled smoothly, which at one pixel
// per game pixel is exact too), on the page's colour. Rows count from the top in both rectangles.
TEST(Scale, PartsAreDrawnAsBlocksWhereTheLayoutSays) {
    ASSERT_TRUE(test_gl_open(1000, 1000));
    draw_test_frame();
    uint32_t texture = 0;
    scale_present(&texture, 1000, 1000, 2);
    EXPECT_EQ(wrong_pixels(scale_layout_whole(1000, 1000, 2)), 0) << "the whole frame at 2x";

    draw_test_frame();
    const uint32_t frame = scale_make_texture(false);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, SCALE_WIDTH, SCALE_HEIGHT);
    ScaleLayout parts = scale_layout(1000, 1000, 0x1D2230);
    ASSERT_TRUE(scale_layout_add(&parts, ScalePart{ScaleRect{295, 5, 160, 300}, ScaleRect{10, 20, 480, 900}, false}));
    ASSERT_TRUE(scale_layout_add(&parts, ScalePart{ScaleRect{0, 0, 290, 200}, ScaleRect{600, 7, 290, 200}, true}));
    scale_draw(frame, parts);
    EXPECT_EQ(wrong_pixels(parts), 0) << "the well at 3x and the top of the rest at 1x";
    test_gl_close();
}
