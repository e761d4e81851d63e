// Helpers for the font tests: glyph look-up, the decoded atlases and text laid out the way the
// renderer places it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/font.h"

// The glyph records of `font` without the terminator.
std::vector<Glyph> font_glyphs(const FontDesc &font);
// The kerning pairs of `font` without the terminator (empty when it has none).
std::vector<KerningPair> font_kerning(const FontDesc &font);
// The glyph for `code`, or null.
const Glyph *font_find(const FontDesc &font, int code);
// The decoded atlas, TOP row first (the rectangles count y from the top); also the byte count
// that decoding produced.
std::vector<uint8_t> font_atlas_top_down(const FontDesc &font, int *decoded = nullptr);

// One glyph placed on the screen (y upwards): quad from (x, top) to (x + width, top - height).
struct PlacedGlyph {
    const Glyph *glyph;
    int x;
    int top;
    int line;  // 0 for the first line
};

// The result of laying out a text box's text.
struct TextLayout {
    std::vector<PlacedGlyph> glyphs;
    bool wrapped = false;  // some glyph reached `right` and moved to a new line
    bool cut = false;      // some glyph would have reached below `bottom`
};

// Lays out `text` as the text box does: margin 34, pen from (34, top), line feed, tab stops
// every 75, kerning, wrap at `right` and stop at `bottom`.
TextLayout layout_text_box(const FontDesc &font, const std::string &text, int bottom, int right, int top);
// Lays out `text` as the score lines are: pen from (32, 215), line feeds, kerning, no wrap.
TextLayout layout_score(const FontDesc &font, const std::string &text);

// A 480 x 320 RGB screen, bottom row first.
struct Screen {
    std::vector<uint8_t> rgb = std::vector<uint8_t>(480 * 320 * 3, 0);
};
// Fills the rectangle [x0, x1) x [y0, y1) with `colour` at opacity `alpha`.
void screen_fill(Screen &screen, int x0, int y0, int x1, int y1, const uint8_t colour[3], float alpha);
// Draws the placed glyphs of `font` in `colour`, blending by the atlas alpha.
void screen_draw(Screen &screen, const FontDesc &font, const TextLayout &layout, const uint8_t colour[3]);
// Writes the screen, enlarged `scale` times, as a PNG; false on error.
bool screen_write_png(const Screen &screen, const std::string &path, int scale);
