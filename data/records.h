// The records of the pictures and fonts compiled into the program: plain data, read by the
// decoders, the texture catalogue and the renderer.
#pragma once

#include <cstdint>

// One embedded picture: a list of printable strings read as one stream of six bits per
// character ("0" to "o"). The stream ends at the first empty string or null entry.
struct EncodedImage {
    const char *const *strings;
};

// Bitmap fonts: glyph rectangles in an alpha atlas, kerning pairs and line height.

// One character of a font; a table of them ends with a record whose code is 0.
struct Glyph {
    uint16_t code;      // the character
    uint16_t x;         // left edge of the rectangle in the atlas, texels
    uint16_t y;         // top edge, texels counted down from the top of the atlas
    uint16_t width;     // width of the rectangle and of the quad drawn
    uint16_t height;    // height of the rectangle and of the quad drawn
    int16_t x_offset;   // pen to the quad's left edge
    int16_t y_offset;   // top of the line down to the quad's top edge
    int16_t advance;    // how far the pen moves right after the glyph
};

// A kerning adjustment; a table of them ends with a record whose first is 0.
struct KerningPair {
    uint16_t first;     // the previous character
    uint16_t second;    // the current character
    int16_t amount;     // added to the pen's x before the current character
};

// One bitmap font.
struct FontDesc {
    EncodedImage atlas;           // the alpha atlas, bottom row first
    const Glyph *glyphs;          // glyph table, in code order
    const KerningPair *kerning;   // kerning table, or null
    int atlas_width;              // texels
    int atlas_height;             // texels
    int line_height;              // how far a line feed moves the pen down
};
