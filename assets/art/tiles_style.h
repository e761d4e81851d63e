// The look of the cell tiles and of the window icon.
#pragma once

#include <array>

#include "raster.h"

namespace art {

// Luminance of a cell by distance from an open side, in rim steps: a dark outline, a bright
// edge, a soft shoulder, then the flat face that neighbouring joined cells share.
constexpr std::array<float, 4> RIM_PROFILE = {0.42f, 1.00f, 0.90f, 0.80f};

// The icon: a small stack of cells of two pieces on a three by three grid.
constexpr int ICON_GRID = 3;

// One icon cell: grid row (0 at the top), grid column and the piece it belongs to. Cells of
// the same piece that touch are drawn joined.
struct IconCell {
    int row;
    int column;
    int piece;
};

constexpr IconCell ICON_CELLS[] = {
    {0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {1, 1, 0},  // a T on top
    {1, 0, 1}, {2, 0, 1}, {2, 1, 1}, {2, 2, 1},  // a J below it
};

// Piece colours of the icon: the game's purple and orange.
constexpr Colour ICON_COLOURS[] = {rgb8(160, 100, 200), rgb8(220, 120, 50)};

}  // namespace art
