// The four level-band backgrounds and their DXT1 compression.
#include <squish.h>

#include "pictures.h"

namespace art {

Raster paint_background(int band) {
    static constexpr Colour TOPS[4] = {rgb8(120, 170, 230), rgb8(90, 150, 220), rgb8(80, 60, 120),
                                       rgb8(10, 14, 40)};
    static constexpr Colour BOTTOMS[4] = {rgb8(230, 220, 200), rgb8(220, 230, 240),
                                          rgb8(240, 160, 110), rgb8(30, 40, 80)};
    Raster sky = raster_new(BACKGROUND_WIDTH, BACKGROUND_HEIGHT, {0, 0, 0, 1});
    for (int y = 0; y < sky.height; ++y) {
        const Colour c = colour_mix(BOTTOMS[band], TOPS[band], float(y) / float(sky.height - 1));
        for (int x = 0; x < sky.width; ++x) raster_at(sky, x, y) = {c[0], c[1], c[2], 1.0f};
    }
    return sky;
}

std::vector<uint8_t> background_dxt1(const Raster &background) {
    const std::vector<uint8_t> rgba = raster_to_rgba8(background, 6.0f);
    std::vector<uint8_t> blocks(size_t(squish::GetStorageRequirements(
        background.width, background.height, squish::kDxt1)));
    // Row 0 of the raster is the bottom of the picture, so the first block row squish writes
    // covers the bottom four rows, which is the order the game reads.
    squish::CompressImage(rgba.data(), background.width, background.height, blocks.data(),
                          squish::kDxt1 | squish::kColourIterativeClusterFit);
    return blocks;
}

}  // namespace art
