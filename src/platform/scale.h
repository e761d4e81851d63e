// The frame on today's screens: a whole-number scale of the 480 by 320 picture, chosen from the
// screen or set by hand, and the step that draws each finished frame onto the screen, enlarged,
// whole or in parts. The frame itself is always drawn at 480 by 320: in the desktop drawable's
// lower left corner, or on a page into a texture of its own.
#pragma once

#include <array>
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

// A rectangle of pixels, counted from the top left corner as screens and pages count them.
struct ScaleRect {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

// One part of the frame on the drawable: a rectangle of the 480 by 320 frame, the rectangle of
// the drawable it is drawn into, and whether it is sampled smoothly (for a part shrunk below one
// drawable pixel per game pixel) or as blocks (each game pixel a block of whole pixels).
struct ScalePart {
    ScaleRect source;
    ScaleRect target;
    bool smooth;
};

constexpr uint32_t SCALE_MAX_PARTS = 8;

// Where the frame's parts go on a drawable of width by height pixels; what no part covers is
// filled with `fill` (0xRRGGBB).
struct ScaleLayout {
    int32_t width;
    int32_t height;
    uint32_t fill;
    uint32_t count;
    std::array<ScalePart, SCALE_MAX_PARTS> parts;
};

// An empty layout of a drawable of width by height pixels.
ScaleLayout scale_layout(int32_t width, int32_t height, uint32_t fill);
// The whole frame `scale` times enlarged, centred on black in a drawable of width by height
// pixels: the desktop window's layout.
ScaleLayout scale_layout_whole(int32_t width, int32_t height, int32_t scale);
// Adds a part; false (and the layout unchanged) when the layout is full, the source is empty or
// reaches outside the frame, or the target is empty.
bool scale_layout_add(ScaleLayout *layout, const ScalePart &part);

// Makes the texture the frame is copied or drawn into: its lower left 480 by 320 texels are the
// frame. `rgba` makes it a four-channel texture, which every WebGL can draw into.
uint32_t scale_make_texture(bool rgba);
// Draws the layout's parts of the frame held in `texture` onto the current drawable, with the
// layout's fill around them where they leave anything uncovered. On the desktop every OpenGL
// state is left as it was. WebGL has no attribute stack: there the matrices, the viewport, the
// clear colour, blending and the scissor test are restored, and texturing is left off with the
// texture environment at modulate, as the frame's drawing leaves them (it binds each texture it
// uses itself).
void scale_draw(uint32_t texture, const ScaleLayout &layout);
// Enlarges the frame at the drawable's lower left corner `scale` times, centred on black in a
// drawable of width by height pixels, as one nearest-filtered quad: each game pixel becomes a
// block of scale by scale pixels. Does nothing when the drawable is the frame itself. `texture`
// holds the texture the frame is copied into (0 until the first call).
void scale_present(uint32_t *texture, int32_t width, int32_t height, int32_t scale);
