// Pictures while they are being painted: floating-point RGBA rasters, bottom row first.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace art {

// An RGB colour with components from 0 to 1.
using Colour = std::array<float, 3>;

// A painted picture: width x height pixels of straight (not premultiplied) RGBA, row 0 at
// the bottom, so pixel (x, y) matches screen unit (x, y) of a picture drawn at the origin.
struct Raster {
    int width = 0;
    int height = 0;
    std::vector<std::array<float, 4>> pixels;  // row-major, bottom row first
};

// A raster of the given size filled with one RGBA value.
Raster raster_new(int width, int height, std::array<float, 4> fill = {0, 0, 0, 0});
// The pixel at (x, y); x and y must lie inside the raster.
std::array<float, 4> &raster_at(Raster &raster, int x, int y);
// Lays `colour` with coverage `alpha` over pixel (x, y) (source-over); ignores outside pixels.
void raster_blend(Raster &raster, int x, int y, const Colour &colour, float alpha);

// Linear interpolation of two colours.
Colour colour_mix(const Colour &a, const Colour &b, float t);
// A colour from 0-255 integer components.
constexpr Colour rgb8(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }
// Hermite smooth step of x between edges e0 and e1.
float smooth_step(float e0, float e1, float x);
// A deterministic value in [0, 1) for integer coordinates and a seed.
float hash_unit(uint32_t x, uint32_t y, uint32_t seed);
// Smooth value noise in [0, 1) at (x, y), lattice spacing 1.
float value_noise(float x, float y, uint32_t seed);
// Sum of `octaves` octaves of value noise, normalised to [0, 1).
float fractal_noise(float x, float y, int octaves, uint32_t seed);

// Quantises to 8-bit RGBA, bottom row first, with a small deterministic dither of
// `dither` levels (0 for plain rounding).
std::vector<uint8_t> raster_to_rgba8(const Raster &raster, float dither);
// One byte per pixel of the given channel (0 red to 3 alpha), rounded, bottom row first.
std::vector<uint8_t> raster_channel8(const Raster &raster, int channel);

// Writes 8-bit pixels (bottom row first, `channels` 1 to 4) as a PNG file, top row first;
// false with a message on failure.
bool png_write(const std::string &path, int width, int height, int channels,
               const std::vector<uint8_t> &pixels);

}  // namespace art
