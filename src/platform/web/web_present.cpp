// The page's present step. Drawn into a texture of its own, the frame can be drawn onto the
// canvas as often as the page needs (a resized canvas has lost its drawing), in parts, at any
// whole number of device pixels per game pixel, also where the canvas is smaller than the frame;
// the canvas's drawing buffer takes the device pixels of its box, so the browser shows it as it
// is, sharp in every engine (some ignore a request to enlarge a WebGL canvas without smoothing).
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <emscripten.h>
#include <emscripten/html5.h>

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
    bool drawn;           // the texture holds a frame
    bool asked;           // the page has been asked for its layout
    ScaleLayout layout;   // the page's layout, in force
    ScaleLayout next;     // the layout the page is handing over
};

WebPresent web_present = {};

void show() {
    if (!web_present.drawn || web_present.framebuffer == 0) {
        return;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    scale_draw(web_present.texture, web_present.layout);
    glBindFramebuffer(GL_FRAMEBUFFER, web_present.framebuffer);
}

}  // namespace

// The page's layout, handed over in three steps: the canvas's size in device pixels and the
// colour of what no part covers, then each part (rectangles from the top left: the frame's in
// game pixels, the canvas's in device pixels; smooth where it is shrunk), then the call that puts
// it in force. The canvas takes that size and shows the latest frame at once. A part or a layout
// the program cannot draw is refused with 0, and the layout in force stays.
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
    web_present.layout = next;
    emscripten_set_canvas_element_size(CANVAS, next.width, next.height);
    show();
    return 1;
}

bool web_present_start() {
    if (!web_present.asked) {  // until the page hands its own: the whole frame on a canvas of its size
        web_present.layout = scale_layout_whole(SCALE_WIDTH, SCALE_HEIGHT, 1);
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
    glViewport(0, 0, SCALE_WIDTH, SCALE_HEIGHT);
    web_present.drawn = false;
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
    web_present.drawn = true;
    show();
}
