// The large score font: DejaVu Sans Condensed Bold, anti-aliased, in the fixed rectangles of
// its glyph table.
#include "fonts/atlas.h"
#include "fonts/fontgen.h"
#include "fonts/raster.h"

namespace fontgen {
namespace {

constexpr int PIXEL_SIZE = 26;
constexpr double X_SCALE = 0.9;  // a little narrower than the face, for the tight advances
constexpr int BASELINE = 26;     // rows from the top of a line down to the baseline
constexpr int LINE_HEIGHT = 32;

// The score font's glyphs: the rectangles in its atlas and their metrics, in code order.
constexpr Glyph SCORE_GLYPHS[] = {
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

// Renders `code` no wider than `max_width`, narrowing the glyph further when it is too wide.
bool render_fitted(const std::string &path, uint32_t code, int max_width, Ink &ink, std::string &error) {
    double scale = X_SCALE;
    for (int attempt = 0; attempt < 8; ++attempt) {
        FacePtr face = face_open(path, PIXEL_SIZE, scale, error);
        if (!face || !face_render(*face, code, ink, error)) return false;
        if (ink.width <= max_width) return true;
        scale *= double(max_width) / double(ink.width + 1);
    }
    error = "glyph " + std::to_string(code) + " does not narrow to " + std::to_string(max_width);
    return false;
}

}  // namespace

bool build_score_font(const std::string &font_dir, BuiltFont &out, std::string &error) {
    const std::string path = font_dir + "/DejaVuSansCondensed-Bold.ttf";
    out = BuiltFont{};
    out.line_height = LINE_HEIGHT;
    out.glyphs.assign(std::begin(SCORE_GLYPHS), std::end(SCORE_GLYPHS));
    std::vector<Ink> inks(out.glyphs.size());
    std::vector<AtlasItem> items;
    for (size_t i = 0; i < out.glyphs.size(); ++i) {
        const Glyph &g = out.glyphs[i];
        if (g.code == ' ') continue;
        // One texel of space between neighbours: the ink is at most advance - 1 wide and
        // centred on the advance.
        if (!render_fitted(path, g.code, g.advance - 1, inks[i], error)) return false;
        AtlasItem item;
        item.glyph = i;
        item.ink = &inks[i];
        item.ink_x = (g.advance - inks[i].width) / 2 - g.x_offset;
        item.ink_y = BASELINE - inks[i].top - g.y_offset;
        items.push_back(item);
    }
    return atlas_blit(out, items, error);
}

}  // namespace fontgen
