// The look of the title wordmark and the caption (sizes in pixels of the final pictures).
#pragma once

#include "raster.h"

namespace art {

constexpr int TITLE_SUPERSAMPLE = 4;     // drawn this many times larger, then reduced
constexpr float TITLE_MARGIN = 2.0f;     // room left around the letters for outline and shadow
constexpr float TITLE_OUTLINE = 1.25f;    // width of the dark outline
constexpr Colour TITLE_OUTLINE_COLOUR = rgb8(34, 22, 48);
constexpr float TITLE_SHADOW_SHIFT = 1.0f;  // the shadow falls right and down
constexpr float TITLE_SHADOW_DROP = 1.5f;
constexpr float TITLE_SHADOW_BLUR = 0.75f;
constexpr float TITLE_SHADOW_ALPHA = 0.55f;
constexpr Colour TITLE_SHADOW_COLOUR = rgb8(10, 6, 20);
// The letters: pale gold at the top through sunny yellow to orange at the foot, turning a
// little redder from left to right.
constexpr Colour TITLE_FILL_TOP = rgb8(255, 250, 196);
constexpr Colour TITLE_FILL_MIDDLE = rgb8(255, 204, 64);
constexpr Colour TITLE_FILL_BOTTOM = rgb8(240, 110, 36);
constexpr Colour TITLE_FILL_ACROSS = rgb8(236, 84, 60);
constexpr float TITLE_ACROSS_STRENGTH = 0.2f;

constexpr int CAPTION_MARGIN = 1;

}  // namespace art
