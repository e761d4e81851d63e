// The four level-band backgrounds and their DXT1 compression. A scene is painted in layers:
// sky with glow, clouds, stars and the sun or moon; then the ridges from far to near, each
// hazier the farther it is, with pines on the nearer ones; then the lake reflects it all.
#include <squish.h>

#include <algorithm>
#include <cmath>

#include "pictures.h"
#include "scenes.h"

namespace art {
namespace {

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

Colour scaled(const Colour &c, float k) { return {c[0] * k, c[1] * k, c[2] * k}; }

Colour added(const Colour &a, const Colour &b, float k) {
    return {a[0] + b[0] * k, a[1] + b[1] * k, a[2] + b[2] * k};
}

Colour sky_gradient(const Scene &scene, float y) {
    const auto &stops = scene.sky;
    if (y <= stops[0].y) return stops[0].colour;
    for (size_t i = 1; i < stops.size(); ++i) {
        if (y <= stops[i].y) {
            const float t = smooth_step(stops[i - 1].y, stops[i].y, y);
            return colour_mix(stops[i - 1].colour, stops[i].colour, t);
        }
    }
    return stops.back().colour;
}

float light_distance(const Scene &scene, float x, float y) {
    return std::hypot(x - scene.light_x, y - scene.light_y);
}

// Cloud density at a point: stretched fractal noise inside the scene's band of sky.
float cloud_density(const Scene &scene, float x, float y) {
    const float n = fractal_noise(x / 95.0f, y / 24.0f, 5, CLOUD_SEED);
    const float band = smooth_step(scene.cloud_low, scene.cloud_low + 40.0f, y) *
                       (1.0f - smooth_step(scene.cloud_high - 30.0f, scene.cloud_high, y));
    const float edge = 1.0f - scene.cloud_cover;
    return smooth_step(edge, edge + 0.22f, n) * band;
}

Colour paint_sky(const Scene &scene, float x, float y) {
    Colour c = sky_gradient(scene, y);
    const float d = light_distance(scene, x, y);
    // A tight glow around the light and a broad one that warms the sky near it.
    c = added(c, scene.light, scene.glow * std::exp(-d / (scene.glow_radius * 0.35f)));
    c = added(c, scene.light, scene.glow * 0.35f * std::exp(-d / scene.glow_radius));
    const float density = cloud_density(scene, x, y);
    if (density > 0.0f) {
        // Lit where the cloud thins towards the light, shaded where it thickens.
        const float dx = (scene.light_x - x) / std::max(d, 1.0f) * 4.0f;
        const float dy = (scene.light_y - y) / std::max(d, 1.0f) * 4.0f;
        const float towards = cloud_density(scene, x + dx, y + dy);
        const float lit = clamp01(0.55f + (density - towards) * 2.5f);
        const Colour cloud = colour_mix(scene.cloud_shade, scene.cloud_lit, lit);
        c = colour_mix(c, cloud, density * 0.85f);
    }
    return c;
}

Colour paint_light(const Scene &scene, const Colour &under, float x, float y) {
    const float d = light_distance(scene, x, y);
    const float disc = clamp01(scene.light_radius + 0.5f - d);
    if (disc <= 0.0f) return under;
    Colour body = scene.light;
    if (scene.moon) {
        // Soft grey seas on the moon's face.
        const float marks = fractal_noise(x / 5.0f, y / 5.0f, 3, STAR_SEED + 7u);
        body = scaled(body, 0.86f + 0.14f * smooth_step(0.35f, 0.7f, marks));
    }
    return colour_mix(under, body, disc);
}

// Stars: a few hundred hashed positions of varied brightness, fewer behind the text.
void paint_stars(const Scene &scene, Raster &picture) {
    for (int i = 0; i < scene.stars; ++i) {
        const auto k = uint32_t(i);
        const float x = hash_unit(k, 1u, STAR_SEED) * float(picture.width);
        const float y = 130.0f + hash_unit(k, 2u, STAR_SEED) * float(picture.height - 130);
        float bright = 0.25f + 0.75f * std::pow(hash_unit(k, 3u, STAR_SEED), 3.0f);
        const bool in_text = x >= TEXT_AREA[0] && x <= TEXT_AREA[2] && y >= TEXT_AREA[1] &&
                             y <= TEXT_AREA[3];
        if (in_text) bright *= 0.2f;
        if (light_distance(scene, x, y) < scene.glow_radius) continue;
        bright *= smooth_step(130.0f, 200.0f, y);
        const int px = int(x), py = int(y);
        raster_blend(picture, px, py, {1.0f, 1.0f, 0.94f}, bright);
        if (bright > 0.6f) {
            // The brightest get a faint cross so that they survive compression.
            const Colour dim = {0.8f, 0.85f, 1.0f};
            raster_blend(picture, px + 1, py, dim, bright * 0.35f);
            raster_blend(picture, px - 1, py, dim, bright * 0.35f);
            raster_blend(picture, px, py + 1, dim, bright * 0.35f);
            raster_blend(picture, px, py - 1, dim, bright * 0.35f);
        }
    }
}

// Height of a ridge line at x, lower on the left so that the text keeps its sky.
float ridge_height(const Ridge &ridge, float x) {
    const float f = ridge.features / 480.0f;
    float n = fractal_noise(x * f, 0.5f + float(ridge.seed), ridge.octaves, ridge.seed);
    if (ridge.peaked) n = 1.0f - std::fabs(2.0f * n - 1.0f);
    const float left = RIDGE_LOW_LEFT + (1.0f - RIDGE_LOW_LEFT) * smooth_step(0.0f, RIDGE_FULL_FROM_X, x);
    return ridge.base + ridge.amplitude * (2.0f * n - 1.0f) * left;
}

// Colour of a ridge at (x, y): its own colour seen through haze, misty towards its foot,
// a little brighter on slopes that face the light.
Colour ridge_colour(const Scene &scene, size_t index, float x, float y, float top) {
    const Ridge &ridge = RIDGES[index];
    Colour c = scene.ridge[index];
    // Slopes that face the light are lit near the crest; the light fades lower down.
    const float slope = (ridge_height(ridge, x + 6.0f) - ridge_height(ridge, x - 6.0f)) / 12.0f;
    const float facing = scene.light_x > x ? slope : -slope;
    const float near_crest = 1.0f - smooth_step(0.0f, 24.0f, top - y);
    c = scaled(c, 1.0f + std::clamp(facing * 0.25f, -0.06f, 0.10f) * near_crest);
    const float texture = fractal_noise(x / 6.0f, y / 4.0f, 3, ridge.seed + 5u) - 0.5f;
    c = scaled(c, 1.0f + texture * 0.10f * ridge.depth);
    if (ridge.peaked) {
        // Gullies and rock faces running down from the crests.
        const float faces = fractal_noise(x / 10.0f, y / 26.0f, 3, ridge.seed + 13u) - 0.5f;
        c = scaled(c, 1.0f + faces * 0.12f * near_crest);
        // Snow on the higher crests, reaching down the gullies, lit by the sky's light.
        const float height = clamp01((top - ridge.base) / ridge.amplitude);
        const float drift = fractal_noise(x / 14.0f, y / 30.0f, 2, ridge.seed + 17u) - 0.5f;
        const float reach = SNOW_DEPTH * height * (0.7f + drift * 1.2f);
        const float snow = smooth_step(0.25f, 0.6f, height) *
                           (1.0f - smooth_step(reach - 4.0f, reach + 3.0f, top - y));
        c = colour_mix(c, colour_mix(scene.light, scene.haze, 0.35f), snow * scene.snow);
    }
    const float haze = (1.0f - ridge.depth) * 0.55f;
    const float foot = 1.0f - smooth_step(ridge.base - ridge.amplitude - 12.0f,
                                          ridge.base + ridge.amplitude * 0.6f, y);
    return colour_mix(c, scene.haze, clamp01(haze + scene.mist * foot * (1.1f - ridge.depth)));
}

// Coverage of the pines of a ridge at (x, y): narrow triangles standing on the ridge line.
float tree_cover(const Ridge &ridge, float x, float y) {
    if (ridge.trees <= 0.0f) return 0.0f;
    float cover = 0.0f;
    const int slot = int(std::floor(x / 4.0f));
    for (int s = slot - 3; s <= slot + 3; ++s) {
        const auto us = uint32_t(s + 1000);
        const float grove = fractal_noise(float(s) / 14.0f, 3.0f, 2, ridge.seed + 9u);
        if (grove < 1.0f - ridge.trees) continue;
        const float tx = float(s) * 4.0f + hash_unit(us, 1u, ridge.seed) * 4.0f;
        const float h = ridge.tree_height * (0.45f + 0.55f * hash_unit(us, 2u, ridge.seed));
        const float foot = ridge_height(ridge, tx) - 2.0f;
        const float rise = y - foot;
        if (rise < 0.0f || rise > h) continue;
        const float half = (h - rise) * 0.32f + 0.4f;
        cover = std::max(cover, clamp01(half - std::fabs(x + 0.5f - tx) + 0.5f));
    }
    return cover;
}

void paint_land(const Scene &scene, Raster &picture) {
    for (size_t i = 0; i < std::size(RIDGES); ++i) {
        const Ridge &ridge = RIDGES[i];
        for (int x = 0; x < picture.width; ++x) {
            const float fx = float(x) + 0.5f;
            const float top = ridge_height(ridge, fx);
            const int y_max = std::min(picture.height - 1, int(top + ridge.tree_height + 2.0f));
            for (int y = int(WATER_LINE) - 1; y <= y_max; ++y) {
                const float fy = float(y) + 0.5f;
                const float cover = std::max(clamp01(top - fy + 0.5f), tree_cover(ridge, fx, fy));
                if (cover <= 0.0f) continue;
                Colour c = ridge_colour(scene, i, fx, fy, top);
                if (fy > top) c = scaled(c, 0.9f);  // pines stand darker against the sky
                raster_blend(picture, x, y, c, cover);
            }
        }
    }
}

// The lake: the landscape above mirrored in the water line, broken by ripples, tinted with
// the water's colour and darkening towards the viewer, with a glint under the light.
void paint_water(const Scene &scene, Raster &picture) {
    const int line = int(WATER_LINE);
    for (int y = 0; y < line; ++y) {
        const float depth = (WATER_LINE - float(y)) / WATER_LINE;
        for (int x = 0; x < picture.width; ++x) {
            const float ripple = (value_noise(float(x) / 30.0f, float(y) / 1.6f, RIPPLE_SEED) - 0.5f);
            const int sx = std::clamp(x + int(std::lround(ripple * (2.0f + 6.0f * depth))), 0,
                                      picture.width - 1);
            const int sy = std::clamp(2 * line - 1 - y, 0, picture.height - 1);
            const auto &m = raster_at(picture, sx, sy);
            Colour c = {m[0], m[1], m[2]};
            c = colour_mix(c, scene.water, scene.water_mix + 0.3f * depth);
            const float glint_x = std::exp(-std::fabs(float(x) - scene.light_x) / (6.0f + 14.0f * depth));
            const float sparkle = smooth_step(0.55f, 0.85f, ripple + 0.5f);
            c = added(c, scene.light, scene.glow * 0.5f * glint_x * sparkle);
            const float streak = value_noise(float(x) / 60.0f, float(y) / 1.1f, RIPPLE_SEED + 3u);
            c = scaled(c, 0.94f + 0.1f * streak - 0.12f * depth);
            raster_at(picture, x, y) = {c[0], c[1], c[2], 1.0f};
        }
    }
}

}  // namespace

Raster paint_background(int band) {
    const Scene &scene = SCENES[band];
    Raster picture = raster_new(BACKGROUND_WIDTH, BACKGROUND_HEIGHT, {0, 0, 0, 1});
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            const Colour c = paint_sky(scene, fx, fy);
            raster_at(picture, x, y) = {c[0], c[1], c[2], 1.0f};
        }
    }
    paint_stars(scene, picture);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            auto &p = raster_at(picture, x, y);
            const Colour c = paint_light(scene, {p[0], p[1], p[2]}, float(x) + 0.5f, float(y) + 0.5f);
            p = {c[0], c[1], c[2], 1.0f};
        }
    }
    paint_land(scene, picture);
    paint_water(scene, picture);
    return picture;
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
