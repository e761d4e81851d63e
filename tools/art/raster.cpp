#include "raster.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace art {

Raster raster_new(int width, int height, std::array<float, 4> fill) {
    Raster raster;
    raster.width = width;
    raster.height = height;
    raster.pixels.assign(size_t(width) * size_t(height), fill);
    return raster;
}

std::array<float, 4> &raster_at(Raster &raster, int x, int y) {
    return raster.pixels[size_t(y) * size_t(raster.width) + size_t(x)];
}

void raster_blend(Raster &raster, int x, int y, const Colour &colour, float alpha) {
    if (x < 0 || y < 0 || x >= raster.width || y >= raster.height || alpha <= 0.0f) return;
    alpha = std::min(alpha, 1.0f);
    auto &p = raster_at(raster, x, y);
    const float out_alpha = alpha + p[3] * (1.0f - alpha);
    for (int c = 0; c < 3; ++c) {
        const float mixed = colour[size_t(c)] * alpha + p[size_t(c)] * p[3] * (1.0f - alpha);
        p[size_t(c)] = out_alpha > 0.0f ? mixed / out_alpha : 0.0f;
    }
    p[3] = out_alpha;
}

Colour colour_mix(const Colour &a, const Colour &b, float t) {
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}

float smooth_step(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float hash_unit(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return float(h >> 8) / 16777216.0f;
}

float value_noise(float x, float y, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const auto ix = uint32_t(int32_t(fx)), iy = uint32_t(int32_t(fy));
    const float tx = smooth_step(0.0f, 1.0f, x - fx), ty = smooth_step(0.0f, 1.0f, y - fy);
    const float a = hash_unit(ix, iy, seed), b = hash_unit(ix + 1, iy, seed);
    const float c = hash_unit(ix, iy + 1, seed), d = hash_unit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float fractal_noise(float x, float y, int octaves, uint32_t seed) {
    float sum = 0.0f, weight = 1.0f, total = 0.0f, scale = 1.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += value_noise(x * scale, y * scale, seed + uint32_t(i) * 101u) * weight;
        total += weight;
        weight *= 0.5f;
        scale *= 2.0f;
    }
    return sum / total;
}

static uint8_t to_byte(float v) {
    return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

std::vector<uint8_t> raster_to_rgba8(const Raster &raster, float dither) {
    std::vector<uint8_t> bytes;
    bytes.reserve(raster.pixels.size() * 4);
    for (int y = 0; y < raster.height; ++y) {
        for (int x = 0; x < raster.width; ++x) {
            const auto &p = raster.pixels[size_t(y) * size_t(raster.width) + size_t(x)];
            for (int c = 0; c < 4; ++c) {
                float noise = 0.0f;
                if (c < 3 && dither > 0.0f) {
                    // Triangular noise (sum of two uniforms) hides banding without a pattern.
                    const auto ux = uint32_t(x), uy = uint32_t(y), uc = uint32_t(c);
                    noise = (hash_unit(ux, uy, 17u + uc) + hash_unit(ux, uy, 29u + uc) - 1.0f) *
                            dither / 255.0f;
                }
                bytes.push_back(to_byte(p[size_t(c)] + noise));
            }
        }
    }
    return bytes;
}

std::vector<uint8_t> raster_channel8(const Raster &raster, int channel) {
    std::vector<uint8_t> bytes;
    bytes.reserve(raster.pixels.size());
    for (const auto &p : raster.pixels) bytes.push_back(to_byte(p[size_t(channel)]));
    return bytes;
}

bool png_write(const std::string &path, int width, int height, int channels,
               const std::vector<uint8_t> &pixels) {
    static constexpr png_uint_32 FORMATS[5] = {0, PNG_FORMAT_GRAY, PNG_FORMAT_GA, PNG_FORMAT_RGB,
                                               PNG_FORMAT_RGBA};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = FORMATS[channels];
    // A negative stride tells libpng the buffer holds the bottom row first.
    const int stride = -width * channels;
    if (!png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), stride, nullptr)) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), image.message);
        return false;
    }
    return true;
}

}  // namespace art
