// The painters of every picture the game embeds, and the files they are written to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster.h"

namespace art {

constexpr int BACKGROUND_WIDTH = 480;   // pixels, the whole screen
constexpr int BACKGROUND_HEIGHT = 320;
constexpr int BACKGROUND_COUNT = 4;     // one per level band
constexpr int TITLE_WIDTH = 107;
constexpr int TITLE_HEIGHT = 27;
constexpr int CAPTION_WIDTH = 154;
constexpr int CAPTION_HEIGHT = 19;
constexpr int TILE_SIZE = 15;
constexpr int TILE_COUNT = 5;           // straight, corner, three-way, end, single
constexpr int ICON_EMBEDDED_SIZES[3] = {48, 32, 16};
// The desktop's icon sizes, and 192 and 512 for the web page's home-screen icons.
constexpr int ICON_PNG_SIZES[8] = {16, 32, 48, 64, 128, 192, 256, 512};

// Paints the landscape of level band 0 (morning) to 3 (night), 480 x 320.
Raster paint_background(int band);
// DXT1 blocks of a 480 x 320 raster (dithered first), block rows bottom first: 76800 bytes.
std::vector<uint8_t> background_dxt1(const Raster &background);

// The coloured "Stakmir" wordmark, 107 x 27 RGBA; empty raster and a message on failure.
Raster paint_title(const std::string &font_path);
// The caption as coverage in the alpha channel, 154 x 19; empty raster on failure.
Raster paint_caption(const std::string &font_path);

// Cell tile `picture` (0 straight to 4 single), unturned: luminance in red, green and blue.
Raster paint_tile(int picture);
// The window icon at `size` pixels square, RGBA, drawn for that size.
Raster paint_icon(int size);

}  // namespace art
