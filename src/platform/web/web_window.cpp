// The page as the program's window: the canvas with its WebGL context under Emscripten's
// fixed-function emulation, the animation-frame clock, the loss and return of the context, and
// the notes that take the canvas's place when the game ends or cannot go on.
#include <GL/gl.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "platform/platform.h"
#include "platform/web/web_input.h"
#include "platform/web/web_platform.h"
#include "platform/web/web_present.h"

// Emscripten's own lookup of OpenGL entry points, which its headers do not declare.
extern "C" void *emscripten_GetProcAddress(const char *name);

// Tells the page what the game shows, and asks it for a pulse of vibration.
EM_JS(void, page_tell_scene, (int scene), { Module.stakmirScene(scene); });
EM_JS(void, page_vibrate, (int milliseconds), { Module.stakmirVibrate(milliseconds); });

namespace {

constexpr char CANVAS[] = "#canvas";
constexpr int CANVAS_WIDTH = 480;
constexpr int CANVAS_HEIGHT = 320;
// The clock's step: the game's tick interval (a tick runs when more than 16 ms have passed).
constexpr uint64_t CLOCK_STEP_MS = 17;
// Passes run for one animation frame at most, so that a stall never fast-forwards the game.
constexpr uint64_t MAX_PASSES_PER_FRAME = 4;
// How long a lost context may stay away while the page is shown before the game gives up.
constexpr double RESTORE_WAIT_MS = 4000;
// The frames of a shown page come far closer together than this: a longer gap means the page
// was hidden in between.
constexpr double HIDDEN_GAP_MS = 1000;

struct WebWindow {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context;
    uint64_t clock_ms;        // what platform_time_ms() reads: a whole number of clock steps
    bool running;             // the program runs: `program` is set
    WebProgram program;
    bool lost;                // the context is lost and not given back yet
    double restore_wait;      // timestamp of the first shown frame since the loss (0: none yet)
    double last_frame;        // timestamp of the latest animation frame
};

WebWindow web_window = {};

bool fail(const char *what) {
    std::fprintf(stderr, "stakmir: %s\n", what);
    return false;
}

uint64_t whole_steps(double timestamp) {
    const auto ms = static_cast<uint64_t>(timestamp);
    return ms - ms % CLOCK_STEP_MS;
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

// A context given back after a loss keeps its handle but has none of its objects: the
// emulation forgets its programs and buffers and makes new ones, and the extensions are
// enabled again (the compressed textures among them, where the new context offers them).
void restart_gl_emulation() {
    EM_ASM({
        var context = GL.currentContext;
        context.initExtensionsDone = false;
        GL.initExtensions(context);
        GL.stringCache = {};
        GLImmediate.currentRenderer = null;
        GLImmediate.lastRenderer = null;
        GLImmediate.lastArrayBuffer = null;
        GLImmediate.lastProgram = null;
        GL.currProgram = 0;
        GL.currArrayBuffer = 0;
        GL.currElementArrayBuffer = 0;
        GLImmediate.init();
    });
}

void find_extensions() {
    platform_find_s3tc(reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS)), emscripten_GetProcAddress);
}

// Takes the program down, then shows how it ended in the canvas's place.
void end_program(bool failed) {
    const WebProgram program = web_window.program;
    web_window.running = false;
    program.stop(program.context);
    if (failed) {
        EM_ASM({ Module.stakmirShowFailure('Stakmir stopped: ', Module.stakmirFailure); });
    } else {
        EM_ASM({ Module.stakmirShowQuitNote(); });
    }
}

// One pass of the program; false once it has ended.
bool run_pass() {
    if (!web_window.running) {
        return false;
    }
    if (web_window.program.pass(web_window.program.context) != 0) {
        return true;
    }
    end_program(false);
    return false;
}

void show_frame() {
    if (web_window.running && !web_window.lost) {
        web_window.program.show(web_window.program.context);
    }
}

// While the context is lost the game waits, paused; once the page has been shown for a while
// without the context coming back, it gives up with one line.
void wait_for_restore(double timestamp) {
    if (web_window.restore_wait == 0 || timestamp - web_window.last_frame > HIDDEN_GAP_MS) {
        web_window.restore_wait = timestamp;
    } else if (timestamp - web_window.restore_wait > RESTORE_WAIT_MS) {
        fail("the browser took the game's WebGL context away and did not give it back");
        end_program(true);
    }
}

// Runs a pass for every clock step since the last frame, each at its own clock value, so that
// the game keeps its pace when frames come further apart than a tick (30 or 50 Hz displays).
// At most four: the last of those takes the clock to the frame's time, and lost time is not
// made up. A frame that finds the clock where it was still runs one pass, for the events.
EM_BOOL animation_frame(double timestamp, void * /*unused*/) {
    if (!web_window.running) {
        return EM_FALSE;
    }
    if (web_window.lost) {
        wait_for_restore(timestamp);
    }
    web_window.last_frame = timestamp;
    web_gamepads_poll(web_input_active(), platform_time_ms());
    const uint64_t target = whole_steps(timestamp);
    const uint64_t steps = target > web_window.clock_ms ? (target - web_window.clock_ms) / CLOCK_STEP_MS : 0;
    const uint64_t passes = steps < 1 ? 1 : steps > MAX_PASSES_PER_FRAME ? MAX_PASSES_PER_FRAME : steps;
    for (uint64_t pass = 1; pass <= passes; ++pass) {
        if (steps > 0) {
            web_window.clock_ms = pass == passes ? target : web_window.clock_ms + CLOCK_STEP_MS;
        }
        if (!run_pass()) {
            return EM_FALSE;
        }
    }
    show_frame();
    return web_window.running ? EM_TRUE : EM_FALSE;
}

// A lost context pauses the game as a hidden page does; asking the browser to give it back
// (the event's default is prevented) is what lets it come back at all.
EM_BOOL on_context_lost(int /*type*/, const void * /*unused*/, void * /*unused*/) {
    if (web_window.running && !web_window.lost) {
        web_window.lost = true;
        web_window.restore_wait = 0;
        web_window.program.lose(web_window.program.context);
        web_present_stop();
        web_input_set_drawable(false);
    }
    return EM_TRUE;
}

// A context given back: everything in it is made again, and the game goes on when the page is
// active.
EM_BOOL on_context_restored(int /*type*/, const void * /*unused*/, void * /*unused*/) {
    if (!web_window.running || !web_window.lost) {
        return EM_FALSE;
    }
    restart_gl_emulation();
    find_extensions();
    if (!web_present_start() || !web_window.program.restore(web_window.program.context)) {
        end_program(true);
        return EM_FALSE;
    }
    web_window.lost = false;
    web_input_set_drawable(true);
    show_frame();
    return EM_FALSE;
}

void watch_context(bool on) {
    emscripten_set_webglcontextlost_callback(CANVAS, nullptr, EM_FALSE, on ? on_context_lost : nullptr);
    emscripten_set_webglcontextrestored_callback(CANVAS, nullptr, EM_FALSE, on ? on_context_restored : nullptr);
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
    // A canvas that is not drawn into keeps showing its last frame; every frame is drawn whole.
    attributes.preserveDrawingBuffer = EM_FALSE;
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
    find_extensions();
    if (!web_present_start()) {
        return false;
    }
    watch_context(true);
    web_window.clock_ms = whole_steps(emscripten_performance_now());
    web_input_start();
    return true;
}

void shutdown_platform() {
    platform_audio_close();
    web_input_stop();
    web_window.running = false;
    if (web_window.context > 0) {
        watch_context(false);
        web_present_stop();
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

// The clock counts in steps of 17 ms, the tick interval. Frames come at the display's rate,
// 16.7 ms apart at 60 Hz: a millisecond clock read at frames shows 16 ms between two of every
// three of them, and the game would tick at only two of three frames, 40 times a second.
// Counted in steps, the clock has moved on at all but one frame in 51, and the game ticks 58.8
// times a second as on the desktop, at 60 Hz and at any faster display rate alike.
uint32_t platform_time_ms() {
    return static_cast<uint32_t>(web_window.clock_ms);
}

// A frame drawn into its texture goes onto the canvas (one drawn straight onto the canvas is
// there already); the browser shows the canvas when the frame's callback returns.
void platform_swap_buffers() {
    web_present_frame();
}

// A page has no window to drag: the canvas stands at the origin and stays there.
void platform_get_window_rect(WindowRect *rect) {
    *rect = WindowRect{0, 0, CANVAS_WIDTH, CANVAS_HEIGHT};
}

void platform_move_window(int32_t /*left*/, int32_t /*top*/, int32_t /*width*/, int32_t /*height*/) {}

void web_run_program(const WebProgram *program) {
    web_window.program = *program;
    web_window.running = true;
    emscripten_request_animation_frame_loop(animation_frame, nullptr);
}

void web_run_pass_now() {
    if (run_pass()) {
        show_frame();
    }
}

void web_show_scene(WebScene scene) {
    page_tell_scene(scene);
}

void web_vibrate(uint32_t milliseconds) {
    page_vibrate(static_cast<int>(milliseconds));
}

void web_show_failure() {
    EM_ASM({ Module.stakmirShowFailure('Stakmir cannot start: ', Module.stakmirFailure); });
}
