// The window's scale: from the screen's size, or from the STAKMIR_SCALE setting.
#include <cstdio>

#include "platform/scale.h"

int32_t scale_fit(int32_t width, int32_t height) {
    const int32_t across = width / SCALE_WIDTH;
    const int32_t down = height / SCALE_HEIGHT;
    const int32_t scale = across < down ? across : down;
    return scale > 1 ? scale : 1;
}

int32_t scale_for_screen(int32_t screen_width, int32_t screen_height) {
    return scale_fit(screen_width * 2 / 3, screen_height * 2 / 3);
}

int32_t scale_parse(const char *setting) {
    if (setting == nullptr || *setting == '\0') {
        return 0;
    }
    int32_t scale = 0;
    for (const char *c = setting; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') {
            return -1;
        }
        scale = scale * 10 + (*c - '0');
        if (scale > SCALE_MAX) {
            return -1;  // also stops before a long number could overflow
        }
    }
    return scale >= 1 ? scale : -1;
}

int32_t scale_choose(int32_t asked, int32_t screen_width, int32_t screen_height) {
    if (asked == 0) {
        return scale_for_screen(screen_width, screen_height);
    }
    const int32_t largest = scale_fit(screen_width, screen_height);
    return asked < largest ? asked : largest;
}

void scale_setting_error(const char *setting, char *line, size_t size) {
    std::snprintf(line, size, "STAKMIR_SCALE must be a whole number from 1 to %d, not \"%.40s\"", SCALE_MAX,
                  setting != nullptr ? setting : "");
}

void scale_lowered_note(int32_t asked, int32_t used, int32_t screen_width, int32_t screen_height, char *line,
                        size_t size) {
    std::snprintf(line, size,
                  "STAKMIR_SCALE=%d does not fit on the %d by %d screen: the window opens at %d (%d by %d)",
                  asked, screen_width, screen_height, used, SCALE_WIDTH * used, SCALE_HEIGHT * used);
}

ScaleLayout scale_layout(int32_t width, int32_t height, uint32_t fill) {
    ScaleLayout layout{};
    layout.width = width;
    layout.height = height;
    layout.fill = fill;
    return layout;
}

// Whole pixels on both sides of the picture, so that every pixel's centre samples one texel. The
// margin below is rounded down, as the desktop has always placed it.
ScaleLayout scale_layout_whole(int32_t width, int32_t height, int32_t scale) {
    ScaleLayout layout = scale_layout(width, height, 0x000000);
    const int32_t enlarged_width = SCALE_WIDTH * scale;
    const int32_t enlarged_height = SCALE_HEIGHT * scale;
    const int32_t bottom = (height - enlarged_height) / 2;
    const ScaleRect target{(width - enlarged_width) / 2, height - bottom - enlarged_height, enlarged_width,
                           enlarged_height};
    scale_layout_add(&layout, ScalePart{ScaleRect{0, 0, SCALE_WIDTH, SCALE_HEIGHT}, target, false});
    return layout;
}

bool scale_layout_add(ScaleLayout *layout, const ScalePart &part) {
    const ScaleRect &source = part.source;
    const bool inside = source.left >= 0 && source.top >= 0 && source.width > 0 && source.height > 0 &&
                        source.width <= SCALE_WIDTH - source.left && source.height <= SCALE_HEIGHT - source.top;
    if (layout->count >= SCALE_MAX_PARTS || !inside || part.target.width <= 0 || part.target.height <= 0) {
        return false;
    }
    layout->parts[layout->count] = part;
    layout->count += 1;
    return true;
}
