// The two fonts: their tables and atlases, and the game's texts laid out with them the way the
// renderer places them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "data/data.h"
#include "data/records.h"

namespace {

std::vector<Glyph> glyphs_of(const FontDesc &font) {
    std::vector<Glyph> glyphs;
    for (const Glyph *g = font.glyphs; g->code != 0; ++g) glyphs.push_back(*g);
    return glyphs;
}

const Glyph *find(const FontDesc &font, int code) {
    for (const Glyph *g = font.glyphs; g->code != 0; ++g) {
        if (g->code == code) return g;
    }
    return nullptr;
}

// The decoded atlas, TOP row first (the rectangles count y from the top).
std::vector<uint8_t> atlas_top_down(const FontDesc &font) {
    const int w = font.atlas_width, h = font.atlas_height;
    std::vector<uint8_t> bottom_up(size_t(w * h + 1), 0), top_down(size_t(w * h));
    EXPECT_EQ(decode_text6(&font.atlas, bottom_up.data()), w * h + 1);
    for (int row = 0; row < h; ++row) {
        std::copy_n(&bottom_up[size_t((h - 1 - row) * w)], w, &top_down[size_t(row * w)]);
    }
    return top_down;
}

// Both records: atlas size, line height, kerning, glyph count, an all-zero terminator, and
// the atlas stored in strings of at most 128 characters of the six-bit alphabet.
TEST(Fonts, Records) {
    struct Case { const FontDesc *font; int line_height; size_t glyphs; bool kerning; };
    for (const Case &c : {Case{&font_text, 12, 95, true}, Case{&font_score, 32, 22, false}}) {
        SCOPED_TRACE(c.line_height);
        EXPECT_EQ(c.font->atlas_width, 128);
        EXPECT_EQ(c.font->atlas_height, 128);
        EXPECT_EQ(c.font->line_height, c.line_height);
        EXPECT_EQ(c.font->kerning != nullptr, c.kerning);
        ASSERT_EQ(glyphs_of(*c.font).size(), c.glyphs);
        const Glyph &end = c.font->glyphs[c.glyphs];
        EXPECT_EQ(end.x | end.y | end.width | end.height | end.x_offset | end.y_offset | end.advance, 0);
        size_t strings = 0, characters = 0;
        for (const char *const *s = c.font->atlas.strings; (*s)[0] != '\0'; ++s, ++strings) {
            const std::string text(*s);
            EXPECT_LE(text.size(), 128u);
            characters += text.size();
            EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= 'o'; }));
        }
        EXPECT_EQ(characters, 16384u / 3 * 4 + 2);
        EXPECT_EQ(strings, (characters + 127) / 128);
    }
    for (int i = 0; i < 95; ++i) EXPECT_EQ(font_text.glyphs[i].code, 32 + i);
}

// The text font's stated rows; ANY leaves a field unchecked.
TEST(TextFont, StatedRows) {
    constexpr int ANY = -99;
    const struct { const char *chars; int width, height, x_offset, y_offset, advance; } rows[] = {
        {" ", 1, 0, 0, 12, 3},          {"0123456789", 11, 13, -2, 0, 6},   {"A", 13, 13, -3, 0, 7},
        {"aeo", 11, 11, ANY, 2, 6},     {"gpqy", ANY, 13, ANY, 2, ANY},     {"!", ANY, ANY, -1, ANY, ANY},
        {"J", ANY, ANY, -4, 0, ANY},    {"bdfhijkl()[]{}|`", ANY, ANY, ANY, -1, ANY},
        {".,", ANY, ANY, ANY, 6, ANY},  {"_", ANY, ANY, ANY, 8, ANY},
    };
    for (const auto &row : rows) {
        for (const char *c = row.chars; *c; ++c) {
            SCOPED_TRACE(*c);
            const Glyph *g = find(font_text, *c);
            ASSERT_NE(g, nullptr);
            const int actual[5] = {g->width, g->height, g->x_offset, g->y_offset, g->advance};
            const int wanted[5] = {row.width, row.height, row.x_offset, row.y_offset, row.advance};
            for (int f = 0; f < 5; ++f) {
                EXPECT_EQ(actual[f], wanted[f] == ANY ? actual[f] : wanted[f]) << "field " << f;
            }
        }
    }
    EXPECT_EQ(font_text.glyphs[0].x | font_text.glyphs[0].y, 0);  // the space is a degenerate quad
    for (int c = 'A'; c <= 'Z'; ++c) {
        const Glyph *g = find(font_text, c);
        EXPECT_TRUE(g->width >= 7 && g->width <= 15 && g->height >= 13 && g->height <= 15 && g->y_offset == 0)
            << char(c);
    }
}

// The text font's ranges: x_offset classes, advances 2 to 11 and the atlas extents.
TEST(TextFont, Ranges) {
    const std::vector<Glyph> glyphs = glyphs_of(font_text);
    std::map<int, int> x_offsets;
    std::set<int> narrowest, widest;
    int right = 0, bottom = 0;
    for (const Glyph &g : glyphs) {
        ++x_offsets[g.x_offset];
        EXPECT_TRUE(g.advance >= 2 && g.advance <= 11) << char(g.code);
        if (g.advance == 2) narrowest.insert(g.code);
        if (g.advance == 11) widest.insert(g.code);
        right = std::max(right, g.x + g.width);
        bottom = std::max(bottom, g.y + g.height);
    }
    EXPECT_EQ(x_offsets, (std::map<int, int>{{-4, 1}, {-3, 14}, {-2, 78}, {-1, 1}, {0, 1}}));
    EXPECT_EQ(narrowest, (std::set<int>{'i', 'j', 'l'}));
    EXPECT_EQ(widest, (std::set<int>{'@'}));
    EXPECT_EQ(right, 128);   // the last texel column used is 127
    EXPECT_EQ(bottom, 124);  // and the last row 123
}

// Characters that look alike read apart at the size drawn: each pair, drawn at the same pen
// position, differs by at least a quarter of full ink in at least six texels.
TEST(TextFont, LookAlikesDifferAsDrawn) {
    constexpr int CLEAR = 64, MIN_TEXELS = 6, SIDE = 24;  // canvas from 4 left of and above the pen
    const std::vector<uint8_t> atlas = atlas_top_down(font_text);
    const auto drawn = [&](char c) {
        const Glyph *g = find(font_text, c);
        std::vector<int> canvas(SIDE * SIDE, 0);
        for (int y = 0; y < g->height; ++y) {
            for (int x = 0; x < g->width; ++x) {
                canvas[size_t((4 + g->y_offset + y) * SIDE + 4 + g->x_offset + x)] = atlas[size_t((g->y + y) * 128 + g->x + x)];
            }
        }
        return canvas;
    };
    for (const char *pair : {"S5", "8B", "0O", "1l", "1I", "38", "3S", "8S"}) {
        const std::vector<int> a = drawn(pair[0]), b = drawn(pair[1]);
        int differing = 0;
        for (size_t i = 0; i < a.size(); ++i) differing += std::abs(a[i] - b[i]) >= CLEAR;
        EXPECT_GE(differing, MIN_TEXELS) << pair;
    }
}

// In both atlases the rectangles lie inside and apart, every inked texel lies inside a
// rectangle with one clear texel around the ink, and every glyph but the space has ink.
TEST(Fonts, RectanglesApartAndInkInside) {
    for (const FontDesc *font : {&font_text, &font_score}) {
        SCOPED_TRACE(font->line_height);
        const std::vector<Glyph> glyphs = glyphs_of(*font);
        const std::vector<uint8_t> atlas = atlas_top_down(*font);
        std::vector<bool> owned(atlas.size(), false);
        for (size_t i = 0; i < glyphs.size(); ++i) {
            const Glyph &g = glyphs[i];
            ASSERT_TRUE(g.x + g.width <= 128 && g.y + g.height <= 128) << char(g.code);
            for (size_t j = i + 1; j < glyphs.size(); ++j) {
                const Glyph &o = glyphs[j];
                EXPECT_TRUE(g.x + g.width <= o.x || o.x + o.width <= g.x || g.y + g.height <= o.y ||
                            o.y + o.height <= g.y)
                    << char(g.code) << " overlaps " << char(o.code);
            }
            int ink = 0;
            for (int y = g.y; y < g.y + g.height; ++y) {
                for (int x = g.x; x < g.x + g.width; ++x) {
                    const size_t at = size_t(y * 128 + x);
                    owned[at] = true;
                    if (atlas[at] == 0) continue;
                    ++ink;
                    EXPECT_FALSE(x == g.x || y == g.y || x == g.x + g.width - 1 || y == g.y + g.height - 1)
                        << "ink on the edge of '" << char(g.code) << "'";
                }
            }
            EXPECT_EQ(ink > 0, g.code != ' ') << "ink of '" << char(g.code) << "'";
        }
        for (size_t at = 0; at < atlas.size(); ++at) EXPECT_TRUE(atlas[at] == 0 || owned[at]) << "stray ink at " << at;
    }
}

// The 97 kerning pairs in order, written out independently, grouped by the first character.
TEST(TextFont, KerningPairs) {
    const std::string groups[][2] = {
        {"-", "JTVXY"}, {"A", "TVWYvy"}, {"B", "Y"}, {"D", "Y"}, {"F", ".:Aaeiruy"}, {"G", "Y"},
        {"K", "-COTeouy"}, {"L", "TUVWYy"}, {"O", "XY"}, {"P", ".A"}, {"R", "CTVYy"},
        {"T", "-.:ACaceorsuwy"}, {"V", "-.:Aaeou"}, {"W", ".:Aaeo"}, {"X", "-CO"},
        {"Y", "-.:ACOaeou"}, {"f", "-."}, {"r", "-."}, {"v", ".:"}, {"w", ".:"}, {"y", ".:"},
    };
    const std::set<std::string> minus_two = {"F.", "P.", "Y.", "Ta", "Tc", "Te", "To", "Tr", "Ts", "Tu", "Tw", "Ty"};
    std::vector<std::string> expected, actual;
    for (const auto &group : groups) {
        for (char second : group[1]) {
            const std::string pair = group[0] + second;
            expected.push_back(pair + std::to_string(pair == "-J" ? 1 : minus_two.count(pair) ? -2 : -1));
        }
    }
    for (const KerningPair *k = font_text.kerning; k->first != 0; ++k) {
        actual.push_back(std::string{char(k->first), char(k->second)} + std::to_string(k->amount));
    }
    ASSERT_EQ(expected.size(), 97u);
    EXPECT_EQ(actual, expected);
}

// The score font's glyph table, row by row: the reference.
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
    const std::vector<Glyph> glyphs = glyphs_of(font_score);
    ASSERT_EQ(glyphs.size(), 22u);
    for (size_t i = 0; i < 22; ++i) {
        const Glyph &g = glyphs[i];
        const int actual[8] = {g.code, g.x, g.y, g.width, g.height, g.x_offset, g.y_offset, g.advance};
        for (int f = 0; f < 8; ++f) EXPECT_EQ(actual[f], rows[i][f]) << "row " << i << " field " << f;
    }
}

// Score digits share a baseline and a readable height, lower case sits on it, and no glyph's
// ink reaches past its advance less one texel.
TEST(ScoreFont, DigitsAlignAndGlyphsDoNotTouch) {
    const std::vector<uint8_t> atlas = atlas_top_down(font_score);
    std::map<int, std::pair<int, int>> ink_rows;  // first and last row with ink >= 128, from the line top
    for (const Glyph &g : glyphs_of(font_score)) {
        auto &rows = ink_rows[g.code] = {1000, -1};
        for (int y = 0; y < g.height; ++y) {
            for (int x = 0; x < g.width; ++x) {
                const uint8_t a = atlas[size_t((g.y + y) * 128 + g.x + x)];
                const int pen_x = x + g.x_offset;
                EXPECT_TRUE(a == 0 || (pen_x >= 0 && pen_x < g.advance - 1)) << char(g.code) << " column " << pen_x;
                if (a >= 128) rows = {std::min(rows.first, y + g.y_offset), std::max(rows.second, y + g.y_offset)};
            }
        }
    }
    const auto zero = ink_rows['0'];
    EXPECT_GE(zero.second - zero.first + 1, 18);  // tall enough to read at a glance
    for (char c : std::string("123456789celorsv")) {
        EXPECT_NEAR(c <= '9' ? ink_rows[c].first : zero.first, zero.first, 1) << c;
        EXPECT_NEAR(ink_rows[c].second, zero.second, 1) << c;
    }
}

struct Placed {
    const Glyph *glyph;
    int x, top, line;  // quad from (x, top) to (x + width, top - height), y upwards
};
struct Layout {
    std::vector<Placed> glyphs;
    bool wrapped = false, cut = false;  // a glyph reached `right` / would have gone below `bottom`
};

// Lays `text` out as the renderer does: pen from (left, top), line feeds, tab stops every 75,
// kerning, wrap at `right` and stop at `bottom`.
Layout lay_out(const FontDesc &font, const std::string &text, int left, int top, int right, int bottom) {
    Layout out;
    int px = left, py = top, line = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const int ch = static_cast<signed char>(text[i]);
        if (ch == '\n') px = left, py -= font.line_height, ++line;
        if (ch == '\t') px = (px + 75) / 75 * 75;
        const Glyph *g = find(font, ch);
        if (g == nullptr) continue;
        for (const KerningPair *k = font.kerning; i > 0 && k && k->first != 0; ++k) {
            if (k->first == uint16_t(text[i - 1]) && k->second == ch) px += k->amount;
        }
        int qx = px + g->x_offset, qtop = py - g->y_offset;
        if (qx + g->width >= right) {
            out.wrapped = true;
            py -= font.line_height, px = left, ++line;
            qx = left + g->x_offset, qtop = py - g->y_offset;
        }
        if (qtop - g->height < bottom) {
            out.cut = true;
            break;
        }
        out.glyphs.push_back({g, qx, qtop, line});
        px = qx + g->advance - g->x_offset;
    }
    return out;
}

// The help text fits its box (x 32 to 175, y 75 to 200) in ten lines and the play-again
// question its box on one line, without wrapping; the parts after tabs start at x 75.
TEST(TextLayout, GameTextsFitTheirBoxes) {
    const struct { std::string text; int bottom, right, top, lines, first_x; } boxes[] = {
        {"Welcome to Stakmir " STAKMIR_VERSION "\n\nQuit:\tEsc or X or Q\nRotate:\tUp Arrow or 8 or 5\n"
         "Left:\tLeft Arrow or 4\nRight:\tRight Arrow or 6\nFaster:\tDown Arrow or 2\n"
         "Slam:\tPgDn or Spacebar\n\nPress any key to start.", 75, 175, 200, 10, 31},
        {"Do you want to play again?", 10, 275, 100, 1, 32},
    };
    for (const auto &box : boxes) {
        SCOPED_TRACE(box.text);
        const Layout layout = lay_out(font_text, box.text, 34, box.top, box.right, box.bottom);
        EXPECT_FALSE(layout.wrapped);
        EXPECT_FALSE(layout.cut);
        const size_t controls = size_t(std::count_if(box.text.begin(), box.text.end(), [](char c) { return c < ' '; }));
        ASSERT_EQ(layout.glyphs.size(), box.text.size() - controls);
        EXPECT_EQ(layout.glyphs.back().line, box.lines - 1);
        EXPECT_EQ(layout.glyphs.front().x, box.first_x);  // ink, a texel in, from x 32
        for (size_t i = 0; i < layout.glyphs.size(); ++i) {
            const Placed &p = layout.glyphs[i];
            EXPECT_LT(p.x + p.glyph->width, box.right);
            EXPECT_GE(p.top - p.glyph->height, box.bottom);
            if (i > 0 && layout.glyphs[i - 1].glyph->code == ':' && layout.glyphs[i - 1].line == p.line) {
                EXPECT_EQ(p.x - p.glyph->x_offset, 75) << "line " << p.line;
            }
        }
    }
}

// The score lines start at (32, 215) and stack one score-font line apart.
TEST(TextLayout, ScoreLinesStackAtTheLineHeight) {
    const Layout layout = lay_out(font_score, "score: 0\nlevel: 0", 32, 215, 1 << 20, -(1 << 20));
    const Placed &digit = layout.glyphs[7];
    ASSERT_EQ(digit.glyph->code, '0');
    EXPECT_EQ(digit.top, 212);
    EXPECT_EQ(digit.top - digit.glyph->height, 185);
    EXPECT_EQ(layout.glyphs.back().top + layout.glyphs.back().glyph->y_offset, 183);
}

}  // namespace
