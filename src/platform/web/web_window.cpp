// The page as the program's window: the canvas with its WebGL context under Emscripten's
// fixed-function emulation, the animation-frame clock, and the notes that take the canvas's
// place when the game ends or cannot start.
#include <GL/gl.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "platform/platform.h"
#include "platform/web/web_input.h"
#include "platform/web/web_platform.h"

// Emscripten's own lookup of OpenGL entry points, which its headers do not declare.
extern "C" void *emscripten_GetProcAddress(const char *name);

namespace {

constexpr char CANVAS[] = "#canvas";
constexpr int CANVAS_WIDTH = 480;
constexpr int CANVAS_HEIGHT = 320;
// The clock's step: the game's tick interval (a tick runs when more than 16 ms have passed).
constexpr uint64_t CLOCK_STEP_MS = 17;

struct WebWindow {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context;
    double clock_ms;                 // the timestamp of the current animation frame
    int (*pass)(void *context);      // the program's pass, while frames run
    void *pass_context;
};

WebWindow web_window = {};

bool fail(const char *what) {
    std::fprintf(stderr, "stakmir: %s\n", what);
    return false;
}

// Emscripten sets its immediate-mode emulation up only on its own ways of making a context;
// for a context made here the same steps are taken by hand.
void start_gl_emulation() {
    EM_ASM({
        Module.ctx = GLctx;
        Module.useWebGL = true;
        Browser.moduleContextCreatedCallbacks.forEach(function(callback) { callback(); });
    });
}

// Runs one pass of the program; once it says the game is over, no further pass runs.
void run_pass() {
    if (web_window.pass != nullptr && web_window.pass(web_window.pass_context) == 0) {
        web_window.pass = nullptr;
    }
}

EM_BOOL animation_frame(double timestamp, void * /*unused*/) {
    if (web_window.pass == nullptr) {
        return EM_FALSE;
    }
    // Frame timestamps only grow, but the first may lie before the clock read at start.
    if (timestamp > web_window.clock_ms) {
        web_window.clock_ms = timestamp;
    }
    run_pass();
    return web_window.pass != nullptr ? EM_TRUE : EM_FALSE;
}

}  // namespace

bool create_main_window() {
    emscripten_set_canvas_element_size(CANVAS, CANVAS_WIDTH, CANVAS_HEIGHT);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    // Frames are drawn only when the game ticks; the canvas keeps the last one in between.
    attributes.preserveDrawingBuffer = EM_TRUE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    web_window.context = emscripten_webgl_create_context(CANVAS, &attributes);
    if (web_window.context <= 0) {
        web_window.context = 0;
        return fail("this browser offers no WebGL, which the game draws with (is it turned off?)");
    }
    if (emscripten_webgl_make_context_current(web_window.context) != EMSCRIPTEN_RESULT_SUCCESS) {
        return fail("cannot make the WebGL context current");
    }
    start_gl_emulation();
    platform_find_s3tc(reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS)), emscripten_GetProcAddress);
    web_window.clock_ms = emscripten_performance_now();
    web_input_start();
    return true;
}

void shutdown_platform() {
    web_input_stop();
    web_window.pass = nullptr;
    if (web_window.context > 0) {
        emscripten_webgl_make_context_current(0);
        emscripten_webgl_destroy_context(web_window.context);
        web_window.context = 0;
    }
    event_queue_clear();
}

void platform_report_failure(const char *what) {
    fail(what);
}

int poll_event(AppEvent *event) {
    return event_queue_pop(event);  // the page's events are queued as they happen
}

// A pass ends when the page's frame does; the browser calls the next.
void platform_wait_event(uint32_t /*milliseconds*/) {}

// The current frame's timestamp in steps of 17 ms. Frames come at the display's rate, 16.7 ms
// apart at 60 Hz: a millisecond clock read at frames shows 16 ms between two of every three of
// them, and the game would tick at only two of three frames, 40 times a second. Counted in steps
// of the tick interval, the clock has moved on at all but one frame in 51, and the game ticks
// 58.8 times a second as on the desktop, at 60 Hz and at any faster display rate alike.
uint32_t platform_time_ms() {
    const auto ms = static_cast<uint64_t>(web_window.clock_ms);
    return static_cast<uint32_t>(ms - ms % CLOCK_STEP_MS);
}

// The browser shows the canvas when the frame's callback returns.
void platform_swap_buffers() {}

// A page has no window to drag: the canvas stands at the origin and stays there.
void platform_get_window_rect(WindowRect *rect) {
    *rect = WindowRect{0, 0, CANVAS_WIDTH, CANVAS_HEIGHT};
}

void platform_move_window(int32_t /*left*/, int32_t /*top*/, int32_t /*width*/, int32_t /*height*/) {}

void web_run_frames(int (*pass)(void *context), void *context) {
    web_window.pass = pass;
    web_window.pass_context = context;
    emscripten_request_animation_frame_loop(animation_frame, nullptr);
}

void web_run_pass_now() {
    run_pass();
}

void web_show_quit_note() {
    EM_ASM({ Module.stakmirShowQuitNote(); });
}

void web_show_failure() {
    EM_ASM({ Module.stakmirShowFailure('Stakmir cannot start: ', Module.stakmirFailure); });
}
