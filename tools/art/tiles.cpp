// Cell tiles and the window icon: square cells with a rim on every side that meets open
// space and none on the sides that join a neighbouring cell of the same piece.
#include <algorithm>
#include <cmath>

#include "pictures.h"
#include "tiles_style.h"

namespace art {
namespace {

// Sides of a cell, as seen in the unturned picture (up = the last stored row).
constexpr int SIDE_LEFT = 1;
constexpr int SIDE_RIGHT = 2;
constexpr int SIDE_DOWN = 4;
constexpr int SIDE_UP = 8;

// Joined sides of the five unturned pictures: straight, corner, three-way, end, single.
constexpr int PICTURE_JOINS[TILE_COUNT] = {
    SIDE_LEFT | SIDE_RIGHT, SIDE_RIGHT | SIDE_DOWN, SIDE_LEFT | SIDE_RIGHT | SIDE_UP, SIDE_RIGHT, 0};

// Luminance and coverage of one pixel of a cell.
struct CellTexel {
    float luminance;
    float alpha;
};

// Texel (x, y) of a `size`-pixel cell joined on the sides in `joins`.
CellTexel cell_texel(int x, int y, int size, int joins) {
    const int open_h_left = (joins & SIDE_LEFT) ? size : x;
    const int open_h_right = (joins & SIDE_RIGHT) ? size : size - 1 - x;
    const int open_v_down = (joins & SIDE_DOWN) ? size : y;
    const int open_v_up = (joins & SIDE_UP) ? size : size - 1 - y;
    const int dx = std::min(open_h_left, open_h_right);
    const int dy = std::min(open_v_down, open_v_up);
    // Where two open sides meet, the outermost corner pixel is cut off and the rim follows
    // the diagonal, which rounds the piece's outer corners a little.
    if (dx == 0 && dy == 0) return {0.0f, 0.0f};
    const int d = (dx + dy == 1) ? 0 : std::min(dx, dy);
    // Thicker rims on larger cells: one rim step per 15th of the cell, at least one pixel.
    const float step = std::max(1.0f, float(size) / 15.0f);
    const auto ring = size_t(std::min(float(d) / step, float(RIM_PROFILE.size() - 1)));
    return {RIM_PROFILE[ring], 1.0f};
}

void paint_cell(Raster &raster, int x0, int y0, int size, int joins, const Colour &tint) {
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const CellTexel texel = cell_texel(x, y, size, joins);
            const Colour lit = {tint[0] * texel.luminance, tint[1] * texel.luminance,
                                tint[2] * texel.luminance};
            raster_blend(raster, x0 + x, y0 + y, lit, texel.alpha);
        }
    }
}

}  // namespace

Raster paint_tile(int picture) {
    Raster tile = raster_new(TILE_SIZE, TILE_SIZE);
    paint_cell(tile, 0, 0, TILE_SIZE, PICTURE_JOINS[picture], {1.0f, 1.0f, 1.0f});
    return tile;
}

Raster paint_icon(int size) {
    Raster icon = raster_new(size, size);
    // Three by three cells, centred; the cell side is the largest whole size that fits.
    const int cell = size / ICON_GRID;
    const int margin = (size - cell * ICON_GRID) / 2;
    for (const IconCell &c : ICON_CELLS) {
        int joins = 0;
        for (const IconCell &n : ICON_CELLS) {
            if (n.piece != c.piece) continue;
            if (n.row == c.row && n.column == c.column - 1) joins |= SIDE_LEFT;
            if (n.row == c.row && n.column == c.column + 1) joins |= SIDE_RIGHT;
            if (n.column == c.column && n.row == c.row + 1) joins |= SIDE_DOWN;
            if (n.column == c.column && n.row == c.row - 1) joins |= SIDE_UP;
        }
        const int x0 = margin + c.column * cell;
        const int y0 = margin + (ICON_GRID - 1 - c.row) * cell;
        paint_cell(icon, x0, y0, cell, joins, ICON_COLOURS[size_t(c.piece)]);
    }
    return icon;
}

}  // namespace art
