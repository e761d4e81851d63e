// PNG previews of the pictures, for looking at them while they are made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster.h"

namespace art {

// Writes the painted background, its DXT1 result, and a mock-up of a game screen over it
// with the title, the caption and stand-ins for the well, the score and a piece.
bool preview_background(const std::string &dir, int band, const Raster &painted,
                        const std::vector<uint8_t> &blocks, const Raster &title,
                        const Raster &caption);
// Writes the title and caption enlarged, over a checkerboard and over each background band.
bool preview_titles(const std::string &dir, const Raster &title, const Raster &caption);
// Writes the five tiles enlarged, and a few pieces laid out from them.
bool preview_tiles(const std::string &dir, const std::vector<Raster> &tiles);

}  // namespace art
