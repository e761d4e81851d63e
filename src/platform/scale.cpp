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
    return scale_fit(screen_width / 2, screen_height / 2);
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

int32_t scale_choose(const char *setting, int32_t screen_width, int32_t screen_height) {
    const int32_t scale = scale_parse(setting);
    return scale != 0 ? scale : scale_for_screen(screen_width, screen_height);
}

void scale_setting_error(const char *setting, char *line, size_t size) {
    std::snprintf(line, size, "STAKMIR_SCALE must be a whole number from 1 to %d, not \"%.40s\"", SCALE_MAX,
                  setting != nullptr ? setting : "");
}
