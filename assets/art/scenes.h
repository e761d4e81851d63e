// The backgrounds: one landscape of lake, wooded hills and far mountains, painted at four
// times of day (morning, afternoon, dusk, night), one per level band. The shapes are shared;
// each scene gives the light and the colours.
#pragma once

#include <array>
#include <cstdint>

#include "raster.h"

namespace art {

// One ridge of the landscape, from the far mountains to the near shore. Heights in pixels
// from the bottom of the screen.
struct Ridge {
    float base;        // mean height of the ridge line
    float amplitude;   // how far the ridge line rises and falls around it
    float features;    // hills or peaks across the 480 pixels
    int octaves;       // detail of the ridge line
    bool peaked;       // sharp mountain crests rather than rounded hills
    float depth;       // 0 the farthest, 1 the nearest: how much the haze shows through
    float trees;       // share of the ridge covered by groves of pines (0 none)
    float tree_height; // tallest pine, pixels
    uint32_t seed;
};

constexpr Ridge RIDGES[] = {
    {122.0f, 34.0f, 3.2f, 5, true, 0.00f, 0.00f, 0.0f, 11u},
    {101.0f, 20.0f, 4.5f, 4, false, 0.35f, 0.00f, 0.0f, 23u},
    {78.0f, 16.0f, 3.0f, 4, false, 0.70f, 0.45f, 7.0f, 37u},
    {50.0f, 7.0f, 5.0f, 3, false, 1.00f, 0.70f, 13.0f, 41u},
};

// How far snow reaches down from the highest crests, pixels.
constexpr float SNOW_DEPTH = 16.0f;

// Height of the lake's surface; below it the picture is the landscape's reflection.
constexpr float WATER_LINE = 38.0f;
// The ridge lines are kept low on the left, where the name, caption and score sit over sky.
constexpr float RIDGE_LOW_LEFT = 0.55f;     // height factor at the left edge
constexpr float RIDGE_FULL_FROM_X = 260.0f; // full height from here to the right

// A stop of the sky's vertical gradient.
struct SkyStop {
    float y;
    Colour colour;
};

// The light and colours of one time of day.
struct Scene {
    std::array<SkyStop, 4> sky;   // from the horizon (low y) to the top of the screen
    Colour haze;                  // air between the ridges, near the horizon
    Colour light;                 // the sun or the moon
    float light_x, light_y;       // its centre
    float light_radius;           // its disc
    float glow_radius;            // how far its glow reaches
    float glow;                   // strength of the glow
    std::array<Colour, 4> ridge;  // each ridge's own colour, before haze (far to near)
    float mist;                   // valley mist at the foot of each ridge
    Colour cloud_lit, cloud_shade;
    float cloud_cover;            // 0 clear, 1 overcast
    float cloud_low, cloud_high;  // the band of sky the clouds keep to
    Colour water;                 // the lake's own colour over the reflection
    float water_mix;              // how much of it shows
    int stars;                    // stars in the sky (night)
    bool moon;                    // the light is the moon: pale disc with markings
    float snow;                   // how bright the snow on the far crests shows
};

constexpr Scene SCENES[4] = {
    // Morning: cool pale sky warming to peach at the horizon, low soft sun, light mist.
    {{{{100, rgb8(255, 214, 184)}, {165, rgb8(242, 212, 212)}, {240, rgb8(200, 208, 234)},
       {320, rgb8(160, 182, 228)}}},
     rgb8(232, 210, 212), rgb8(255, 236, 200), 244, 168, 11, 90, 0.55f,
     {rgb8(150, 160, 190), rgb8(106, 138, 150), rgb8(70, 112, 96), rgb8(40, 74, 58)},
     0.65f, rgb8(255, 232, 226), rgb8(206, 186, 206), 0.30f, 170, 300,
     rgb8(120, 150, 170), 0.35f, 0, false, 0.75f},
    // Afternoon: clear blue, high white sun, bright green hills, a few fair clouds.
    {{{{100, rgb8(214, 230, 238)}, {170, rgb8(172, 208, 238)}, {250, rgb8(134, 184, 234)},
       {320, rgb8(104, 160, 226)}}},
     rgb8(196, 218, 232), rgb8(255, 252, 232), 258, 286, 10, 70, 0.45f,
     {rgb8(128, 150, 190), rgb8(92, 140, 128), rgb8(66, 126, 70), rgb8(36, 92, 44)},
     0.30f, rgb8(255, 255, 255), rgb8(182, 198, 220), 0.42f, 190, 310,
     rgb8(70, 128, 168), 0.40f, 0, false, 0.85f},
    // Dusk: gold at the horizon, rose and lavender above, the sun setting behind the hills.
    {{{{100, rgb8(255, 196, 118)}, {160, rgb8(250, 170, 130)}, {235, rgb8(214, 156, 172)},
       {320, rgb8(150, 134, 184)}}},
     rgb8(232, 160, 140), rgb8(255, 226, 150), 214, 126, 15, 120, 0.75f,
     {rgb8(150, 110, 150), rgb8(112, 78, 120), rgb8(74, 52, 90), rgb8(40, 28, 54)},
     0.45f, rgb8(255, 200, 160), rgb8(170, 120, 160), 0.32f, 150, 300,
     rgb8(90, 60, 100), 0.35f, 0, false, 0.6f},
    // Night: deep blue sky, a pale moon with a faint halo, stars, dark ridges.
    {{{{100, rgb8(36, 48, 86)}, {170, rgb8(22, 32, 66)}, {250, rgb8(13, 20, 48)},
       {320, rgb8(8, 12, 34)}}},
     rgb8(30, 40, 74), rgb8(238, 238, 220), 246, 258, 9, 48, 0.35f,
     {rgb8(38, 48, 82), rgb8(26, 36, 64), rgb8(16, 26, 46), rgb8(8, 14, 28)},
     0.35f, rgb8(96, 110, 150), rgb8(28, 36, 66), 0.22f, 160, 300,
     rgb8(10, 16, 36), 0.45f, 170, true, 0.25f},
};

// Where the name, caption and score sit (left, bottom, right, top): kept free of stars.
constexpr std::array<float, 4> TEXT_AREA = {30.0f, 150.0f, 190.0f, 285.0f};

// Noise seeds of the clouds, stars and water ripples.
constexpr uint32_t CLOUD_SEED = 101u;
constexpr uint32_t STAR_SEED = 211u;
constexpr uint32_t RIPPLE_SEED = 307u;

}  // namespace art
