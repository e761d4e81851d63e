// Placing glyph rectangles in an atlas and copying their ink into it.
#pragma once

#include <cstddef>
#include <string>

#include "fonts/fontgen.h"

namespace fontgen {

// One glyph to place: its index in BuiltFont::glyphs and where its ink sits in its rectangle.
struct AtlasItem {
    size_t glyph = 0;
    int ink_x = 0;
    int ink_y = 0;
    const Ink *ink = nullptr;
};

// Packs the rectangles in rows, tallest first, so that the lowest one ends exactly at row
// `bottom` and the rightmost at the atlas's right edge; sets each glyph's x and y and copies
// the ink. False with a message when they do not fit.
bool atlas_pack(BuiltFont &font, const std::vector<AtlasItem> &items, int bottom, std::string &error);

// Copies the ink of every item into the rectangle its glyph already has; false with a message
// when some ink would leave its rectangle or the atlas.
bool atlas_blit(BuiltFont &font, const std::vector<AtlasItem> &items, std::string &error);

}  // namespace fontgen
