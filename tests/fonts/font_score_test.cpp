// The score font's table, row by row, and the look of its digits.
#include <gtest/gtest.h>

#include <algorithm>

#include "data/data.h"
#include "font_support.h"

namespace {

TEST(ScoreFont, RecordHasNoKerning) {
    EXPECT_EQ(font_score.kerning, nullptr);
    EXPECT_EQ(font_score.atlas_width, 128);
    EXPECT_EQ(font_score.atlas_height, 128);
    EXPECT_EQ(font_score.line_height, 32);
}

TEST(ScoreFont, GlyphTableRowByRow) {
    // code, x, y, width, height, x_offset, y_offset, advance
    const int rows[22][8] = {
        {' ', 0, 0, 1, 0, 0, 32, 8},      {',', 16, 77, 12, 15, -2, 18, 8},
        {'0', 23, 0, 21, 27, -2, 3, 16},  {'1', 104, 28, 15, 26, -2, 3, 11},
        {'2', 63, 28, 20, 26, -2, 3, 16}, {'3', 89, 0, 20, 27, -2, 3, 16},
        {'4', 0, 0, 22, 27, -3, 3, 16},   {'5', 0, 28, 20, 27, -2, 3, 16},
        {'6', 45, 0, 21, 27, -2, 3, 16},  {'7', 21, 28, 20, 27, -2, 3, 16},
        {'8', 42, 28, 20, 27, -2, 3, 16}, {'9', 67, 0, 21, 27, -2, 3, 16},
        {':', 113, 55, 12, 20, -2, 9, 8}, {'L', 84, 28, 19, 26, -2, 3, 14},
        {'S', 110, 0, 17, 26, -2, 3, 12}, {'c', 77, 55, 17, 20, -3, 9, 12},
        {'e', 57, 56, 19, 20, -3, 9, 14}, {'l', 0, 56, 12, 26, -2, 3, 8},
        {'o', 13, 56, 21, 20, -3, 9, 16}, {'r', 95, 55, 17, 20, -2, 9, 11},
        {'s', 0, 83, 15, 20, -2, 9, 10},  {'v', 35, 56, 21, 20, -3, 9, 15},
    };
    const std::vector<Glyph> glyphs = font_glyphs(font_score);
    ASSERT_EQ(glyphs.size(), 22u);
    for (size_t i = 0; i < 22; ++i) {
        const Glyph &g = glyphs[i];
        const int actual[8] = {g.code, g.x, g.y, g.width, g.height, g.x_offset, g.y_offset, g.advance};
        for (int f = 0; f < 8; ++f) EXPECT_EQ(actual[f], rows[i][f]) << "row " << i << " field " << f;
    }
    const Glyph &end = font_score.glyphs[22];
    EXPECT_EQ(end.x | end.y | end.width | end.height, 0);
    EXPECT_EQ(end.x_offset | end.y_offset | end.advance, 0);
}

// The first and last inked rows of a glyph, counted from the top of its line.
std::pair<int, int> ink_rows(const std::vector<uint8_t> &atlas, const Glyph &g) {
    int first = 1000, last = -1;
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x) {
            if (atlas[size_t((g.y + y) * 128 + g.x + x)] < 128) continue;
            first = std::min(first, y + g.y_offset);
            last = std::max(last, y + g.y_offset);
        }
    }
    return {first, last};
}

TEST(ScoreFont, DigitsShareABaselineAndHeight) {
    const std::vector<uint8_t> atlas = font_atlas_top_down(font_score);
    const auto zero = ink_rows(atlas, *font_find(font_score, '0'));
    EXPECT_GE(zero.second - zero.first + 1, 18);  // tall enough to read at a glance
    for (int c = '1'; c <= '9'; ++c) {
        const auto rows = ink_rows(atlas, *font_find(font_score, c));
        EXPECT_NEAR(rows.first, zero.first, 1) << char(c);
        EXPECT_NEAR(rows.second, zero.second, 1) << char(c);
    }
    // Lower-case letters sit on the same baseline.
    for (char c : std::string("celorsv")) {
        EXPECT_NEAR(ink_rows(atlas, *font_find(font_score, c)).second, zero.second, 1) << c;
    }
}

TEST(ScoreFont, NeighbouringGlyphsDoNotTouch) {
    // The ink of each glyph stays within its advance, less one texel of space.
    const std::vector<uint8_t> atlas = font_atlas_top_down(font_score);
    for (const Glyph &g : font_glyphs(font_score)) {
        for (int y = 0; y < g.height; ++y) {
            for (int x = 0; x < g.width; ++x) {
                if (atlas[size_t((g.y + y) * 128 + g.x + x)] == 0) continue;
                const int pen_x = x + g.x_offset;
                EXPECT_TRUE(pen_x >= 0 && pen_x < g.advance - 1) << char(g.code) << " column " << pen_x;
            }
        }
    }
}

}  // namespace
