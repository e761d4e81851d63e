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
                  "STAKMIR_SCALE=%d does not fit on the %d by %d screen: the window opens at %d (%d by %d)", asked, screen_width, screen_height, used, SCALE_WIDTH * used, SCALE_HEIGHT * used);
}
