// PNG reading and writing through libpng's simplified interface, which reports errors
// through the image record instead of long jumps.
#include "png_io.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace {

uint32_t png_format_for(int channels) {
    switch (channels) {
    case 1: return PNG_FORMAT_GRAY;
    case 2: return PNG_FORMAT_GA;
    case 3: return PNG_FORMAT_RGB;
    case 4: return PNG_FORMAT_RGBA;
    default: return 0xFFFFFFFFu;
    }
}

}  // namespace

bool write_png(const std::string &path, int width, int height, int channels,
               const uint8_t *pixels_bottom_row_first) {
    const uint32_t format = png_format_for(channels);
    if (width <= 0 || height <= 0 || format == 0xFFFFFFFFu || pixels_bottom_row_first == nullptr) {
        std::fprintf(stderr, "write_png: %s: bad picture (%dx%d, %d channels)\n", path.c_str(),
                     width, height, channels);
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = format;
    // A negative row stride tells libpng the rows are stored bottom-up.
    const png_int_32 stride = -png_int_32(width * channels);
    if (png_image_write_to_file(&image, path.c_str(), 0, pixels_bottom_row_first, stride, nullptr) == 0) {
        std::fprintf(stderr, "write_png: %s: %s\n", path.c_str(), image.message);
        png_image_free(&image);
        return false;
    }
    return true;
}

bool write_png_rgba(const std::string &path, int width, int height,
                    const uint8_t *pixels_bottom_row_first) {
    return write_png(path, width, height, 4, pixels_bottom_row_first);
}

bool read_png_rgba(const std::string &path, int *width, int *height,
                   std::vector<uint8_t> *pixels_bottom_row_first) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        std::fprintf(stderr, "read_png_rgba: %s: %s\n", path.c_str(), image.message);
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    const png_int_32 stride = -png_int_32(PNG_IMAGE_ROW_STRIDE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), stride, nullptr) == 0) {
        std::fprintf(stderr, "read_png_rgba: %s: %s\n", path.c_str(), image.message);
        png_image_free(&image);
        return false;
    }
    *width = int(image.width);
    *height = int(image.height);
    *pixels_bottom_row_first = std::move(pixels);
    return true;
}
