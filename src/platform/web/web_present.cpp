// The page's present step. Drawn into a texture of its own, the frame can be drawn onto the
// canvas as often as the page needs (a resized canvas has lost its drawing), in parts, at any
// whole number of device pixels per game pixel, also where the canvas is smaller than the frame;
// the canvas's drawing buffer takes the device pixels of its box, so the browser shows it as it
// is, sharp in every engine (some ignore a request to enlarge a WebGL canvas without smoothing).
// Where the layout is the frame itself (one device pixel per game pixel), frames are drawn
// straight onto the canvas, as on the desktop: the extra step would cost as much again.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/scale.h"
#include "platform/web/web_present.h"

// Asks the page to hand over its layout; it does so again whenever the layout changes.
EM_JS(void, page_ask_layout, (), { Module.stakmirSendLayout(); });

namespace {

constexpr char CANVAS[] = "#canvas";

struct WebPresent {
    GLuint texture;       // the frame: the lower left 480 by 320 texels
    GLuint framebuffer;   // draws into the texture
    bool drawn;           // the texture holds the latest frame
    bool direct;          // the layout is the frame itself: frames go straight onto the canvas
    bool asked;           // the page has been asked for its layout
    ScaleLayout layout;   // the page's layout, in force
    ScaleLayout next;     // the layout the page is handing over
};

WebPresent web_present = {};

bool is_frame_itself(const ScaleLayout &layout) {
    const ScalePart &part = layout.parts[0];
    const auto whole = [](const ScaleRect &r) {
        return r.left == 0 && r.top == 0 && r.width == SCALE_WIDTH && r.height == SCALE_HEIGHT;
    };
    return layout.width == SCALE_WIDTH && layout.height == SCALE_HEIGHT && layout.count == 1 && whole(part.source) &&
           whole(part.target);
}

// Where the game draws its frames: the canvas itself, or the texture.
void draw_frames_into_target() {
    glBindFramebuffer(GL_FRAMEBUFFER, web_present.direct ? 0 : web_present.framebuffer);
    glViewport(0, 0, SCALE_WIDTH, SCALE_HEIGHT);
}

// Draws the texture's frame onto the canvas by the layout, then draws into the texture again.
void show() {
    if (!web_present.drawn || web_present.framebuffer == 0) {
        return;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    scale_draw(web_present.texture, web_present.layout);
    draw_frames_into_target();
}

}  // namespace

// The page's layout, handed over in three steps: the canvas's size in device pixels and the
// colour of what no part covers, then each part (rectangles from the top left: the frame's in
// game pixels, the canvas's in device pixels; smooth where it is shrunk), then the call that puts
// it in force. The canvas takes that size and shows the latest frame at once, or as soon as it
// is drawn. A part or a layout the program cannot draw is refused with 0, and the layout in force
// stays.
extern "C" EMSCRIPTEN_KEEPALIVE void web_page_layout(int width, int height, int fill) {
    web_present.next = scale_layout(width, height, static_cast<uint32_t>(fill));
}

extern "C" EMSCRIPTEN_KEEPALIVE int web_page_layout_part(int source_left, int source_top, int source_width,
                                                          int source_height, int target_left, int target_top,
                                                          int target_width, int target_height, int smooth) {
    const ScalePart part{ScaleRect{source_left, source_top, source_width, source_height},
                         ScaleRect{target_left, target_top, target_width, target_height}, smooth != 0};
    return scale_layout_add(&web_present.next, part) ? 1 : 0;
}

extern "C" EMSCRIPTEN_KEEPALIVE int web_page_layout_show() {
    const ScaleLayout &next = web_present.next;
    if (next.width <= 0 || next.height <= 0 || next.count == 0) {
        return 0;
    }
    const bool was_direct = web_present.direct;
    const bool resized = next.width != web_present.layout.width || next.height != web_present.layout.height;
    web_present.layout = next;
    web_present.direct = is_frame_itself(next);
    if (resized) {  // which clears the canvas
        emscripten_set_canvas_element_size(CANVAS, next.width, next.height);
    }
    if (web_present.framebuffer == 0) {
        return 1;  // drawn once the context is there
    }
    if (was_direct && !web_present.direct) {
        // The latest frame went straight onto the canvas: the texture gets the next one. A paused
        // game draws it at the repaint, a running one at its next tick.
        web_present.drawn = false;
        window_proc(nullptr, WM_PAINT, 0, 0);
    }
    if (!was_direct) {
        show();  // the texture holds the latest frame
    }
    draw_frames_into_target();
    return 1;
}

bool web_present_start() {
    if (!web_present.asked) {  // until the page hands its own: the whole frame on a canvas of its size
        web_present.layout = scale_layout_whole(SCALE_WIDTH, SCALE_HEIGHT, 1);
        web_present.direct = true;
    }
    web_present.texture = scale_make_texture(true);
    glGenFramebuffers(1, &web_present.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, web_present.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, web_present.texture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        web_present_stop();
        platform_report_failure("this browser's WebGL cannot draw into a texture, as the game draws its frames");
        return false;
    }
    web_present.drawn = false;
    draw_frames_into_target();
    if (!web_present.asked) {
        web_present.asked = true;
        page_ask_layout();
    }
    return true;
}

void web_present_stop() {
    if (web_present.framebuffer != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &web_present.framebuffer);
    }
    if (web_present.texture != 0) {
        glDeleteTextures(1, &web_present.texture);
    }
    web_present.texture = 0;
    web_present.framebuffer = 0;
    web_present.drawn = false;
}

void web_present_frame() {
    if (!web_present.direct) {
        web_present.drawn = true;
        show();
    }
}
