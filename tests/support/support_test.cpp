// The offscreen context and the PNG helpers that the picture tests rely on.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "offscreen_gl.h"
#include "assets/assets.h"
#include "platform/platform.h"

namespace {

struct ContextGuard {
    ~ContextGuard() { test_gl_close(); }
};

std::string temp_path(const char *name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

TEST(OffscreenGl, OpensFixedFunctionContextWithCompressedEntryPoints) {
    ContextGuard guard;
    ASSERT_TRUE(test_gl_open());
    EXPECT_EQ(test_gl_width(), 480);
    EXPECT_EQ(test_gl_height(), 320);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 480);
    EXPECT_EQ(viewport[3], 320);
    EXPECT_NE(compressed_tex_image_2d_proc, nullptr);
    EXPECT_NE(compressed_tex_sub_image_2d_proc, nullptr);
    // Immediate mode must work: the renderer draws nothing else.
    glBegin(GL_QUADS);
    glEnd();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(OffscreenGl, CanPretendTheCompressionExtensionIsAbsent) {
    ContextGuard guard;
    ASSERT_TRUE(test_gl_open(480, 320, false));
    EXPECT_EQ(compressed_tex_image_2d_proc, nullptr);
    EXPECT_EQ(compressed_tex_sub_image_2d_proc, nullptr);
    ASSERT_TRUE(test_gl_open(16, 8));  // reopening replaces the context
    EXPECT_EQ(test_gl_read_rgba().size(), size_t(16 * 8 * 4));
    test_gl_close();
    EXPECT_TRUE(test_gl_read_rgba().empty());
    EXPECT_EQ(test_gl_width(), 0);
}

TEST(OffscreenGl, ReadsTheFramebufferBottomRowFirst) {
    ContextGuard guard;
    ASSERT_TRUE(test_gl_open(8, 4));
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 8, 0, 4, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glColor3ub(255, 0, 0);
    glBegin(GL_QUADS);  // the bottom row only, y 0 to 1
    glVertex2i(0, 0);
    glVertex2i(8, 0);
    glVertex2i(8, 1);
    glVertex2i(0, 1);
    glEnd();
    const std::vector<uint8_t> pixels = test_gl_read_rgba();
    ASSERT_EQ(pixels.size(), size_t(8 * 4 * 4));
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(pixels[size_t(4 * x)], 255) << "row 0 is the bottom row";
        EXPECT_EQ(pixels[size_t(4 * x + 2)], 0);
        EXPECT_EQ(pixels[size_t(8 * 4 * 3 + 4 * x + 2)], 255) << "row 3 is the top row, cleared";
    }
}

TEST(Png, RoundTripKeepsBottomRowFirstAndFileIsTopRowFirst) {
    // 2 by 2: bottom row red, green; top row blue, white half transparent.
    const uint8_t rgba[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};
    const std::string path = temp_path("stakmir_support_rgba.png");
    ASSERT_TRUE(write_png_rgba(path, 2, 2, rgba));
    int w = 0, h = 0;
    std::vector<uint8_t> back;
    ASSERT_TRUE(read_png_rgba(path, &w, &h, &back));
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(back, std::vector<uint8_t>(rgba, rgba + sizeof rgba));

    // Read the file independently: its first row must be the picture's top row.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0);
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> file_order(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, file_order.data(), 0, nullptr), 0);
    EXPECT_EQ(file_order[2], 255) << "first row in the file is the top (blue) row";
    EXPECT_EQ(file_order[0], 0);
    std::remove(path.c_str());
}

TEST(Png, FailuresAreReportedNotHidden) {
    const uint8_t pixel[4] = {};
    EXPECT_FALSE(write_png_rgba("/nonexistent-dir/x.png", 1, 1, pixel));
    EXPECT_FALSE(write_png(temp_path("stakmir_bad.png"), 1, 1, 5, pixel));
    int w = 0, h = 0;
    std::vector<uint8_t> back;
    EXPECT_FALSE(read_png_rgba("/nonexistent-dir/x.png", &w, &h, &back));
    const std::string not_png = temp_path("stakmir_not_png.png");
    FILE *f = std::fopen(not_png.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not a picture", f);
    std::fclose(f);
    EXPECT_FALSE(read_png_rgba(not_png, &w, &h, &back));
    std::remove(not_png.c_str());
}

}  // namespace
