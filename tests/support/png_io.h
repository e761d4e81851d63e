// PNG files for pictures held bottom row first, as OpenGL and the embedded data keep them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes a width by height picture of 1 (grey), 2 (grey, alpha), 3 (RGB) or 4 (RGBA) bytes per
// pixel; the PNG gets the top row first. Returns false with a one-line message on stderr.
bool write_png(const std::string &path, int width, int height, int channels,
               const uint8_t *pixels_bottom_row_first);
// Writes RGBA pixels, bottom row first in memory, as a PNG (top row first in the file).
bool write_png_rgba(const std::string &path, int width, int height,
                    const uint8_t *pixels_bottom_row_first);
// Reads any PNG as RGBA, bottom row first; false with a one-line message on stderr.
bool read_png_rgba(const std::string &path, int *width, int *height,
                   std::vector<uint8_t> *pixels_bottom_row_first);
