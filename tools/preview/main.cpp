// stakmir-preview <outdir>: decodes every embedded picture and writes it as a PNG, so the
// compiled-in art can be looked at without running the game.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "assets/assets.h"
#include "data/data.h"
#include "png_io.h"

namespace {

// Decodes a picture (with room for the flushed byte of a partial group) and writes it;
// alpha-only pictures (one channel) come out as grey, full alpha white.
bool write_picture(const std::string &path, const EncodedImage &image, int width, int height,
                   int channels) {
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * size_t(channels) + 1);
    decode_text6(&image, pixels.data());
    return write_png(path, width, height, channels, pixels.data());
}

bool write_background(const std::string &path, const EncodedImage &image) {
    std::vector<uint8_t> pixels(480 * 320 * 3);
    decode_dxt1_image(pixels.data(), &image);
    return write_png(path, 480, 320, 3, pixels.data());
}

// Writes every embedded picture into `dir`; false if any file could not be written.
bool write_all(const std::string &dir) {
    bool ok = true;
    for (int i = 0; i < 4; ++i) {
        ok &= write_background(dir + "/background_" + std::to_string(i) + ".png", IMAGE_BACKGROUNDS[i]);
    }
    ok &= write_picture(dir + "/title.png", IMAGE_TITLE, 107, 27, 4);
    ok &= write_picture(dir + "/caption.png", IMAGE_CAPTION, 154, 19, 1);
    for (int k = 0; k < 5; ++k) {
        ok &= write_picture(dir + "/tile_" + std::to_string(k) + ".png", IMAGE_TILES[k], 15, 15, 2);
    }
    ok &= write_picture(dir + "/font_text.png", font_text.atlas, font_text.atlas_width,
                        font_text.atlas_height, 1);
    ok &= write_picture(dir + "/font_score.png", font_score.atlas, font_score.atlas_width,
                        font_score.atlas_height, 1);
    for (int i = 0; i < 3; ++i) {
        const int size = ICON_SIZES[i];
        ok &= write_picture(dir + "/icon_" + std::to_string(size) + ".png", IMAGE_ICONS[i], size, size, 4);
    }
    return ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: stakmir-preview <output folder>\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "stakmir-preview: cannot create %s: %s\n", dir.c_str(), error.message().c_str());
        return 1;
    }
    if (!write_all(dir)) {
        std::fprintf(stderr, "stakmir-preview: some pictures could not be written to %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
