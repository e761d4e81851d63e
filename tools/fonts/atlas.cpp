#include "fonts/atlas.h"

#include <algorithm>
#include <numeric>

namespace fontgen {
namespace {

// Rows of rectangles, left to right, a new row when one would pass the right edge.
// Returns the index of each row's first item (in `order`) and sets the glyphs' x and y.
std::vector<size_t> shelf_place(BuiltFont &font, const std::vector<AtlasItem> &items,
                                const std::vector<size_t> &order, int &used_bottom) {
    std::vector<size_t> row_starts;
    int x = ATLAS_SIZE, y = 0, row_height = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        Glyph &g = font.glyphs[items[order[k]].glyph];
        if (x + g.width > ATLAS_SIZE) {
            y += row_height;
            x = 0;
            row_height = 0;
            row_starts.push_back(k);
        }
        g.x = uint16_t(x);
        g.y = uint16_t(y);
        x += g.width;
        row_height = std::max(row_height, int(g.height));
    }
    used_bottom = y + row_height;
    return row_starts;
}

}  // namespace

bool atlas_pack(BuiltFont &font, const std::vector<AtlasItem> &items, int bottom, std::string &error) {
    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return font.glyphs[items[a].glyph].height > font.glyphs[items[b].glyph].height;
    });
    int used_bottom = 0;
    const std::vector<size_t> rows = shelf_place(font, items, order, used_bottom);
    if (used_bottom > bottom) {
        error = "the glyphs need " + std::to_string(used_bottom) + " atlas rows, more than " +
                std::to_string(bottom);
        return false;
    }
    // The last row drops so that its tallest rectangle ends on `bottom`, and the last
    // rectangle of the first row moves to the right edge.
    const int drop = bottom - used_bottom;
    for (size_t k = rows.back(); k < order.size(); ++k) font.glyphs[items[order[k]].glyph].y += uint16_t(drop);
    const size_t first_row_end = rows.size() > 1 ? rows[1] : order.size();
    Glyph &last = font.glyphs[items[order[first_row_end - 1]].glyph];
    last.x = uint16_t(ATLAS_SIZE - last.width);
    return atlas_blit(font, items, error);
}

bool atlas_blit(BuiltFont &font, const std::vector<AtlasItem> &items, std::string &error) {
    font.atlas.assign(size_t(ATLAS_SIZE * ATLAS_SIZE), 0);
    for (const AtlasItem &item : items) {
        const Glyph &g = font.glyphs[item.glyph];
        const Ink &ink = *item.ink;
        if (item.ink_x < 0 || item.ink_y < 0 || item.ink_x + ink.width > g.width ||
            item.ink_y + ink.height > g.height || g.x + g.width > ATLAS_SIZE ||
            g.y + g.height > ATLAS_SIZE) {
            error = "the ink of glyph " + std::to_string(g.code) + " leaves its rectangle";
            return false;
        }
        for (int y = 0; y < ink.height; ++y) {
            for (int x = 0; x < ink.width; ++x) {
                const size_t at = size_t((g.y + item.ink_y + y) * ATLAS_SIZE + g.x + item.ink_x + x);
                font.atlas[at] = ink.pixels[size_t(y * ink.width + x)];
            }
        }
    }
    return true;
}

}  // namespace fontgen
