// The text font's tables and atlas: every row and range its layout depends on.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "data/data.h"
#include "font_support.h"

namespace {

const Glyph &glyph(int code) {
    const Glyph *g = font_find(font_text, code);
    EXPECT_NE(g, nullptr) << "code " << code;
    static const Glyph none{};
    return g ? *g : none;
}

TEST(TextFont, RecordAndGlyphCodes) {
    EXPECT_EQ(font_text.atlas_width, 128);
    EXPECT_EQ(font_text.atlas_height, 128);
    EXPECT_EQ(font_text.line_height, 12);
    ASSERT_NE(font_text.kerning, nullptr);
    const std::vector<Glyph> glyphs = font_glyphs(font_text);
    ASSERT_EQ(glyphs.size(), 95u);
    for (size_t i = 0; i < glyphs.size(); ++i) EXPECT_EQ(glyphs[i].code, 32 + i);
    // The terminator is all zeros.
    const Glyph &end = font_text.glyphs[95];
    EXPECT_EQ(end.x | end.y | end.width | end.height, 0);
    EXPECT_EQ(end.x_offset | end.y_offset | end.advance, 0);
}

TEST(TextFont, SpaceIsADegenerateQuad) {
    const Glyph &g = glyph(' ');
    EXPECT_EQ(g.x, 0);
    EXPECT_EQ(g.y, 0);
    EXPECT_EQ(g.width, 1);
    EXPECT_EQ(g.height, 0);
    EXPECT_EQ(g.x_offset, 0);
    EXPECT_EQ(g.y_offset, 12);
    EXPECT_EQ(g.advance, 3);
}

TEST(TextFont, DigitsCapitalsAndLowerCaseSizes) {
    for (int c = '0'; c <= '9'; ++c) {
        const Glyph &g = glyph(c);
        EXPECT_EQ(g.width, 11) << char(c);
        EXPECT_EQ(g.height, 13) << char(c);
        EXPECT_EQ(g.x_offset, -2) << char(c);
        EXPECT_EQ(g.y_offset, 0) << char(c);
        EXPECT_EQ(g.advance, 6) << char(c);
    }
    for (int c = 'A'; c <= 'Z'; ++c) {
        const Glyph &g = glyph(c);
        EXPECT_TRUE(g.width >= 7 && g.width <= 15) << char(c) << " width " << g.width;
        EXPECT_TRUE(g.height >= 13 && g.height <= 15) << char(c) << " height " << g.height;
        EXPECT_EQ(g.y_offset, 0) << char(c);
    }
    const Glyph &a = glyph('A');
    EXPECT_EQ(a.width, 13);
    EXPECT_EQ(a.height, 13);
    EXPECT_EQ(a.x_offset, -3);
    EXPECT_EQ(a.advance, 7);
    for (char c : std::string("aeo")) {
        const Glyph &g = glyph(c);
        EXPECT_EQ(g.width, 11) << c;
        EXPECT_EQ(g.height, 11) << c;
        EXPECT_EQ(g.y_offset, 2) << c;
        EXPECT_EQ(g.advance, 6) << c;
    }
    for (char c : std::string("gpqy")) {
        EXPECT_EQ(glyph(c).height, 13) << c;
        EXPECT_EQ(glyph(c).y_offset, 2) << c;
    }
}

TEST(TextFont, VerticalOffsets) {
    for (char c : std::string("bdfhijkl()[]{}|`")) EXPECT_EQ(glyph(c).y_offset, -1) << c;
    EXPECT_EQ(glyph('.').y_offset, 6);
    EXPECT_EQ(glyph(',').y_offset, 6);
    EXPECT_EQ(glyph('_').y_offset, 8);
}

TEST(TextFont, HorizontalOffsetClasses) {
    std::map<int, int> counts;
    for (const Glyph &g : font_glyphs(font_text)) ++counts[g.x_offset];
    EXPECT_EQ(counts, (std::map<int, int>{{-4, 1}, {-3, 14}, {-2, 78}, {-1, 1}, {0, 1}}));
    EXPECT_EQ(glyph('!').x_offset, -1);
    EXPECT_EQ(glyph('J').x_offset, -4);
    EXPECT_EQ(glyph(' ').x_offset, 0);
}

TEST(TextFont, AdvancesRunFromTwoToEleven) {
    std::set<int> narrowest, widest;
    for (const Glyph &g : font_glyphs(font_text)) {
        EXPECT_TRUE(g.advance >= 2 && g.advance <= 11) << char(g.code);
        if (g.advance == 2) narrowest.insert(g.code);
        if (g.advance == 11) widest.insert(g.code);
    }
    EXPECT_EQ(narrowest, (std::set<int>{'i', 'j', 'l'}));
    EXPECT_EQ(widest, (std::set<int>{'@'}));
}

TEST(TextFont, RectanglesTileTheAtlasWithoutOverlap) {
    const std::vector<Glyph> glyphs = font_glyphs(font_text);
    int right = 0, bottom = 0;
    for (const Glyph &g : glyphs) {
        EXPECT_LE(g.x + g.width, 128) << char(g.code);
        EXPECT_LE(g.y + g.height, 128) << char(g.code);
        right = std::max(right, g.x + g.width);
        bottom = std::max(bottom, g.y + g.height);
    }
    // The last texel column used is 127 and the last row 123.
    EXPECT_EQ(right, 128);
    EXPECT_EQ(bottom, 124);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        for (size_t j = i + 1; j < glyphs.size(); ++j) {
            const Glyph &a = glyphs[i], &b = glyphs[j];
            const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
                               b.y + b.height <= a.y;
            EXPECT_TRUE(apart) << char(a.code) << " overlaps " << char(b.code);
        }
    }
}

// Every inked texel of an atlas lies inside a glyph rectangle with one clear texel around the
// ink, and every glyph but the space has ink.
void expect_ink_inside(const FontDesc &font) {
    int decoded = 0;
    const std::vector<uint8_t> atlas = font_atlas_top_down(font, &decoded);
    EXPECT_EQ(decoded, font.atlas_width * font.atlas_height + 1);
    std::vector<int> owner(atlas.size(), -1);
    for (const Glyph &g : font_glyphs(font)) {
        int ink = 0;
        for (int y = g.y; y < g.y + g.height; ++y) {
            for (int x = g.x; x < g.x + g.width; ++x) {
                const size_t at = size_t(y * font.atlas_width + x);
                owner[at] = g.code;
                if (atlas[at] == 0) continue;
                ++ink;
                const bool edge = x == g.x || y == g.y || x == g.x + g.width - 1 || y == g.y + g.height - 1;
                EXPECT_FALSE(edge) << "ink on the edge of '" << char(g.code) << "'";
            }
        }
        if (g.code != ' ') {
            EXPECT_GT(ink, 0) << "no ink for '" << char(g.code) << "'";
        }
    }
    for (size_t at = 0; at < atlas.size(); ++at) {
        if (atlas[at] != 0) {
            EXPECT_NE(owner[at], -1) << "stray ink at texel " << at;
        }
    }
}

TEST(TextFont, InkStaysInsideTheRectangles) { expect_ink_inside(font_text); }
TEST(ScoreFont, InkStaysInsideTheRectangles) { expect_ink_inside(font_score); }

TEST(TextFont, AtlasTextIsStoredInShortStrings) {
    size_t strings = 0, characters = 0;
    const char *const *s = font_text.atlas.strings;
    for (; (*s)[0] != '\0'; ++s, ++strings) {
        const std::string text(*s);
        EXPECT_LE(text.size(), 128u);
        characters += text.size();
        for (char c : text) EXPECT_TRUE(c >= '0' && c <= 'o');
    }
    EXPECT_EQ(characters, 16384u / 3 * 4 + 2);
    EXPECT_EQ(strings, (characters + 127) / 128);
}

struct Pair {
    char first;
    char second;
    int amount;
};

TEST(TextFont, KerningPairs) {
    // Written out pair by pair, grouped by the first character.
    const std::string groups[][2] = {
        {"-", "JTVXY"}, {"A", "TVWYvy"}, {"B", "Y"}, {"D", "Y"}, {"F", ".:Aaeiruy"}, {"G", "Y"},
        {"K", "-COTeouy"}, {"L", "TUVWYy"}, {"O", "XY"}, {"P", ".A"}, {"R", "CTVYy"},
        {"T", "-.:ACaceorsuwy"}, {"V", "-.:Aaeou"}, {"W", ".:Aaeo"}, {"X", "-CO"},
        {"Y", "-.:ACOaeou"}, {"f", "-."}, {"r", "-."}, {"v", ".:"}, {"w", ".:"}, {"y", ".:"},
    };
    const std::set<std::string> minus_two = {"F.", "P.", "Y.", "Ta", "Tc", "Te", "To", "Tr", "Ts", "Tu", "Tw", "Ty"};
    std::vector<Pair> expected;
    for (const auto &group : groups) {
        for (char second : group[1]) {
            const std::string pair = group[0] + second;
            const int amount = pair == "-J" ? 1 : minus_two.count(pair) ? -2 : -1;
            expected.push_back({group[0][0], second, amount});
        }
    }
    const std::vector<KerningPair> pairs = font_kerning(font_text);
    ASSERT_EQ(expected.size(), 97u);
    ASSERT_EQ(pairs.size(), 97u);
    for (size_t i = 0; i < pairs.size(); ++i) {
        EXPECT_EQ(pairs[i].first, uint16_t(expected[i].first)) << i;
        EXPECT_EQ(pairs[i].second, uint16_t(expected[i].second)) << i;
        EXPECT_EQ(pairs[i].amount, expected[i].amount) << expected[i].first << expected[i].second;
    }
    EXPECT_EQ(font_text.kerning[97].first, 0);
}

}  // namespace
