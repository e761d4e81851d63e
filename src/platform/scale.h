// The window on today's screens: a whole-number scale of the 480 by 320 picture, chosen from
// the screen or set by hand, and the step that enlarges each finished frame to it. The frame
// itself is always drawn at 480 by 320 in the drawable's lower left corner.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t SCALE_WIDTH = 480;   // the picture's size in game pixels
constexpr int32_t SCALE_HEIGHT = 320;
constexpr int32_t SCALE_MAX = 16;      // the largest scale STAKMIR_SCALE may ask for

// The largest whole scale at which the picture fits in width by height pixels; at least 1.
int32_t scale_fit(int32_t width, int32_t height);
// The window's scale on a screen: the largest at which it fits in two thirds of the screen's
// width and two thirds of its height (1 on 1366 by 768, 2 on 1920 by 1080, 3 on 2560 by 1440,
// 4 on 3840 by 2160).
int32_t scale_for_screen(int32_t screen_width, int32_t screen_height);
// The scale a STAKMIR_SCALE setting asks for: 0 when it is not set (null or empty), 1 to
// SCALE_MAX for that whole number, -1 for anything else.
int32_t scale_parse(const char *setting);
// The window's scale for a setting read by scale_parse (0 when not set): the screen's when it is
// not set, else the setting's, lowered to the largest at which the window fits on the screen.
int32_t scale_choose(int32_t asked, int32_t screen_width, int32_t screen_height);
// The one line that explains a bad setting (without the program's name), into `line`.
void scale_setting_error(const char *setting, char *line, size_t size);
// The one line that says a setting too large for the screen was lowered to `used` (without the
// program's name), into `line`.
void scale_lowered_note(int32_t asked, int32_t used, int32_t screen_width, int32_t screen_height, char *line,
                        size_t size);

// Enlarges the frame at the drawable's lower left corner `scale` times, centred on black in a
// drawable of width by height pixels, as one nearest-filtered quad: each game pixel becomes a
// block of scale by scale pixels. Does nothing when the drawable is the frame itself. `texture`
// holds the texture the frame is copied into (0 until the first call). Every OpenGL state is
// left as it was.
void scale_present(uint32_t *texture, int32_t width, int32_t height, int32_t scale);
