// The game's texts laid out with the real font tables: they fit their boxes, and a picture of
// each is written next to the test binary for a look.
#include <gtest/gtest.h>

#include <algorithm>

#include "data/data.h"
#include "font_support.h"

namespace {

const std::string HELP_TEXT =
    "Welcome to Stakmir 1.0\n\nQuit:\tEsc or X or Q\nRotate:\tUp Arrow or 8 or 5\n"
    "Left:\tLeft Arrow or 4\nRight:\tRight Arrow or 6\nFaster:\tDown Arrow or 2\n"
    "Slam:\tPgDn or Spacebar\n\nPress any key to start.";
const std::string PLAY_AGAIN = "Do you want to play again?";

constexpr uint8_t WHITE[3] = {255, 255, 255};
constexpr uint8_t BLACK[3] = {0, 0, 0};
constexpr uint8_t BACKDROP[3] = {40, 70, 110};

int right_edge(const TextLayout &layout) {
    int right = 0;
    for (const PlacedGlyph &p : layout.glyphs) right = std::max(right, p.x + int(p.glyph->width));
    return right;
}

int lowest_edge(const TextLayout &layout) {
    int low = 1000;
    for (const PlacedGlyph &p : layout.glyphs) low = std::min(low, p.top - int(p.glyph->height));
    return low;
}

// The help box as the intro screen shows it, over a plain backdrop.
Screen draw_box(const std::string &text, int bottom, int right, int top) {
    Screen screen;
    screen_fill(screen, 0, 0, 480, 320, BACKDROP, 1.0f);
    screen_fill(screen, 32, bottom, right, top, WHITE, 0.75f);
    screen_draw(screen, font_text, layout_text_box(font_text, text, bottom, right, top), BLACK);
    return screen;
}

TEST(TextLayout, HelpTextFitsItsBoxInTenLines) {
    const TextLayout layout = layout_text_box(font_text, HELP_TEXT, 75, 175, 200);
    EXPECT_FALSE(layout.wrapped);
    EXPECT_FALSE(layout.cut);
    EXPECT_EQ(layout.glyphs.back().line, 9);
    EXPECT_EQ(layout.glyphs.back().glyph->code, '.');
    EXPECT_LT(right_edge(layout), 175);
    EXPECT_GE(lowest_edge(layout), 75);
    // Every glyph after a tab starts its part at x 75: the first one's pen is there.
    for (size_t i = 0; i + 1 < layout.glyphs.size(); ++i) {
        const PlacedGlyph &p = layout.glyphs[i];
        if (p.glyph->code == ':' && layout.glyphs[i + 1].line == p.line) {
            const PlacedGlyph &next = layout.glyphs[i + 1];
            EXPECT_EQ(next.x - next.glyph->x_offset, 75) << "line " << next.line;
        }
    }
    EXPECT_TRUE(screen_write_png(draw_box(HELP_TEXT, 75, 175, 200), "help_text.png", 2));
}

TEST(TextLayout, PlayAgainQuestionFitsOnOneLine) {
    const TextLayout layout = layout_text_box(font_text, PLAY_AGAIN, 10, 275, 100);
    EXPECT_FALSE(layout.wrapped);
    EXPECT_FALSE(layout.cut);
    EXPECT_EQ(layout.glyphs.size(), PLAY_AGAIN.size());
    EXPECT_EQ(layout.glyphs.back().line, 0);
    EXPECT_GE(layout.glyphs.front().x + 2, 34);
    EXPECT_LT(right_edge(layout), 275);
    EXPECT_TRUE(screen_write_png(draw_box(PLAY_AGAIN, 10, 275, 100), "play_again.png", 2));
}

TEST(TextLayout, ScoreLinesStackAtTheLineHeight) {
    const TextLayout layout = layout_score(font_score, "score: 0\nlevel: 0");
    const PlacedGlyph *digit = nullptr;
    for (const PlacedGlyph &p : layout.glyphs) {
        if (p.glyph->code == '0' && p.line == 0) digit = &p;
    }
    ASSERT_NE(digit, nullptr);
    EXPECT_EQ(digit->top, 212);
    EXPECT_EQ(digit->top - digit->glyph->height, 185);
    EXPECT_EQ(layout.glyphs.back().top + layout.glyphs.back().glyph->y_offset, 183);

    Screen screen;
    screen_fill(screen, 0, 0, 480, 320, WHITE, 1.0f);
    const uint8_t dark_blue[3] = {0, 32, 64};
    screen_draw(screen, font_score, layout_score(font_score, "score: 12345\nlevel: 123"), dark_blue);
    EXPECT_TRUE(screen_write_png(screen, "score_text.png", 2));
}

}  // namespace
