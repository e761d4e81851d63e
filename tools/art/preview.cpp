#include "preview.h"

#include <squish.h>

#include <algorithm>

#include "pictures.h"

namespace art {
namespace {

Raster decoded_blocks(const std::vector<uint8_t> &blocks) {
    std::vector<uint8_t> rgba(size_t(BACKGROUND_WIDTH) * BACKGROUND_HEIGHT * 4);
    squish::DecompressImage(rgba.data(), BACKGROUND_WIDTH, BACKGROUND_HEIGHT, blocks.data(),
                            squish::kDxt1);
    Raster raster = raster_new(BACKGROUND_WIDTH, BACKGROUND_HEIGHT);
    for (size_t i = 0; i < raster.pixels.size(); ++i) {
        raster.pixels[i] = {rgba[4 * i] / 255.0f, rgba[4 * i + 1] / 255.0f,
                            rgba[4 * i + 2] / 255.0f, 1.0f};
    }
    return raster;
}

void overlay(Raster &target, const Raster &picture, int x0, int y0, const Colour *solid) {
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const auto &p = picture.pixels[size_t(y) * size_t(picture.width) + size_t(x)];
            const Colour c = solid ? *solid : Colour{p[0], p[1], p[2]};
            raster_blend(target, x0 + x, y0 + y, c, p[3]);
        }
    }
}

Raster enlarged(const Raster &picture, int factor) {
    Raster big = raster_new(picture.width * factor, picture.height * factor);
    for (int y = 0; y < big.height; ++y) {
        for (int x = 0; x < big.width; ++x) {
            raster_at(big, x, y) = picture.pixels[size_t(y / factor) * size_t(picture.width) +
                                                  size_t(x / factor)];
        }
    }
    return big;
}

void fill_rect(Raster &target, int x0, int y0, int w, int h, const Colour &c, float alpha) {
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) raster_blend(target, x, y, c, alpha);
    }
}

bool write_rgb(const std::string &path, const Raster &raster) {
    std::vector<uint8_t> rgba = raster_to_rgba8(raster, 0.0f);
    return png_write(path, raster.width, raster.height, 4, rgba);
}

}  // namespace

bool preview_background(const std::string &dir, int band, const Raster &painted,
                        const std::vector<uint8_t> &blocks, const Raster &title,
                        const Raster &caption) {
    const std::string stem = dir + "/background-" + std::to_string(band);
    Raster screen = decoded_blocks(blocks);
    if (!write_rgb(stem + "-painted.png", painted) || !write_rgb(stem + "-dxt1.png", screen)) {
        return false;
    }
    // The well: a black frame and the backdrop, level colour at the bottom to blue at the top.
    fill_rect(screen, 299, 9, 152, 302, {0, 0, 0}, 1.0f);
    for (int y = 10; y < 310; ++y) {
        const float t = float(y - 10) / 300.0f;
        const Colour c = colour_mix(rgb8(30, 64, 119), rgb8(49, 106, 197), t);
        fill_rect(screen, 300, y, 150, 1, c, 1.0f + (229.0f / 255.0f - 1.0f) * t);
    }
    const Colour ink = band == 3 ? Colour{1, 1, 1} : Colour{0, 0, 0};
    const Colour score = band == 3 ? Colour{0.75f, 0.75f, 0.25f} : Colour{0, 0.125f, 0.25f};
    overlay(screen, title, 30, 250, nullptr);
    overlay(screen, caption, 35, 220, &ink);
    // Stand-ins for the two score lines and the upcoming piece.
    fill_rect(screen, 32, 200, 70, 9, score, 1.0f);
    fill_rect(screen, 32, 185, 60, 9, score, 1.0f);
    fill_rect(screen, 60, 55, 45, 15, rgb8(160, 100, 200), 1.0f);
    fill_rect(screen, 75, 70, 15, 15, rgb8(160, 100, 200), 1.0f);
    return write_rgb(stem + "-mockup.png", screen);
}

bool preview_titles(const std::string &dir, const Raster &title, const Raster &caption) {
    Raster sheet = raster_new(CAPTION_WIDTH * 4, (TITLE_HEIGHT + CAPTION_HEIGHT) * 4 + 8,
                              {0.5f, 0.5f, 0.5f, 1.0f});
    for (int y = 0; y < sheet.height; ++y) {
        for (int x = 0; x < sheet.width; ++x) {
            if (((x / 8) + (y / 8)) % 2) raster_at(sheet, x, y) = {0.7f, 0.7f, 0.7f, 1.0f};
        }
    }
    const Colour black = {0, 0, 0};
    overlay(sheet, enlarged(title, 4), 0, CAPTION_HEIGHT * 4 + 8, nullptr);
    overlay(sheet, enlarged(caption, 4), 0, 0, &black);
    return write_rgb(dir + "/titles.png", sheet);
}

bool preview_tiles(const std::string &dir, const std::vector<Raster> &tiles) {
    constexpr int SCALE = 8;
    Raster sheet = raster_new(TILE_SIZE * SCALE * 5 + 4 * 8, TILE_SIZE * SCALE,
                              {0.1f, 0.1f, 0.2f, 1.0f});
    for (size_t k = 0; k < tiles.size(); ++k) {
        overlay(sheet, enlarged(tiles[k], SCALE), int(k) * (TILE_SIZE * SCALE + 8), 0, nullptr);
    }
    return write_rgb(dir + "/tiles.png", sheet);
}

}  // namespace art
