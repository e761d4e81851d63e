// Building the two bitmap fonts: FreeType rasters packed into alpha atlases with their tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/records.h"

namespace fontgen {

constexpr int ATLAS_SIZE = 128;  // both atlases are 128 x 128 texels

// A font ready to be written: glyph and kerning tables without their terminators, and the
// atlas as ATLAS_SIZE x ATLAS_SIZE alpha bytes, TOP row first (as the rectangles count y).
struct BuiltFont {
    std::vector<Glyph> glyphs;
    std::vector<KerningPair> kerning;
    std::vector<uint8_t> atlas;
    int line_height = 0;
    bool has_kerning = false;
};

// One rendered glyph: coverage bytes (0-255), `left`/`top` place it relative to the pen and
// the baseline (top counts up from the baseline), as FreeType reports them.
struct Ink {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0;              // hinted advance in whole pixels
    std::vector<uint8_t> pixels;  // width x height, top row first
};

// The default folder of the DejaVu fonts on Debian.
constexpr const char *DEFAULT_FONT_DIR = "/usr/share/fonts/truetype/dejavu";

// Builds the text font from DejaVu Sans Condensed in `font_dir`; false with a message on error.
bool build_text_font(const std::string &font_dir, BuiltFont &out, std::string &error);
// Builds the score font from DejaVu Sans Condensed Bold; false with a message on error.
bool build_score_font(const std::string &font_dir, BuiltFont &out, std::string &error);

// The C++ source of data/<name>.cpp defining `const FontDesc <name>`.
std::string font_source(const std::string &name, const std::string &about, const BuiltFont &font);

// Writes data/font_text.cpp and data/font_score.cpp into `data_dir`; false with a message.
bool write_fonts(const std::string &data_dir, const std::string &font_dir, std::string &error);

}  // namespace fontgen
