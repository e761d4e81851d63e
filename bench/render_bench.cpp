// Cost of drawing one frame: render_frame over a full well, next to a baseline frame that
// only clears and draws the background layer, both measured in the same run on the offscreen
// Mesa context with glFinish, so that the ratio between them is what counts.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "offscreen_gl.h"
#include "render/render.h"

namespace {

TextureSet *g_textures = nullptr;

void close_context() {
    if (g_textures != nullptr) {
        release_textures(g_textures);
        g_textures = nullptr;
    }
    test_gl_close();
}

// Opens the offscreen context and creates the textures on first use; false when impossible.
bool ensure_context() {
    static const bool ready = [] {
        // Let Mesa's software rasteriser work on this thread, so that CPU time covers the drawing.
        setenv("LP_NUM_THREADS", "0", 0);
        if (!test_gl_open(480, 320, true)) {
            return false;
        }
        g_textures = create_textures();
        std::atexit(close_context);
        return true;
    }();
    return ready;
}

// Every cell of the well occupied, kinds and tile codes cycling; the piece over it.
GameState full_state(GameMode mode) {
    GameState s{};
    s.mode = mode;
    s.current = PieceState{2, 0, 3, 4.5f};
    s.queue[0] = PieceState{0, 0, 3, -3.0f};
    s.queue[1] = PieceState{6, 0, 3, -3.0f};
    for (int r = 0; r < BOARD_ROWS; ++r) {
        for (int c = 0; c < BOARD_COLUMNS; ++c) {
            s.board[r][c] = static_cast<uint8_t>(((r + c) % 7) * 16 + 1 + (r * 3 + c) % 15);
        }
    }
    for (int k = 0; k < 4; ++k) {
        s.cleared_rows[k] = 16 + k;
    }
    s.ticks = 2;
    s.score = 98765;
    s.level = 987;
    s.textures = g_textures;
    return s;
}

void baseline_frame() {
    draw_background(g_textures, 1.0f, 0);
    glFinish();
}

void full_frame(const GameState &s) {
    render_frame(&s);
    glFinish();
}

// Processor time of the process; the rasteriser works on this thread, so it is all drawing.
double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

void BM_BaselineBackground(benchmark::State &state) {
    if (!ensure_context()) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    for (auto _ : state) {
        baseline_frame();
    }
}
BENCHMARK(BM_BaselineBackground);

void BM_RenderFrame(benchmark::State &state) {
    if (!ensure_context()) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    const GameState s = full_state(static_cast<GameMode>(state.range(0)));
    for (auto _ : state) {
        full_frame(s);
    }
}
BENCHMARK(BM_RenderFrame)->Arg(MODE_FALLING)->Arg(MODE_CLEARING)->ArgName("mode");

// Both frames in turn in every iteration; the counter "ratio" is the full frame's CPU time
// over the baseline's.
void BM_FrameOverBaseline(benchmark::State &state) {
    if (!ensure_context()) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    const GameState s = full_state(MODE_FALLING);
    double baseline = 0.0;
    double frame = 0.0;
    for (auto _ : state) {
        const double t0 = cpu_seconds();
        baseline_frame();
        const double t1 = cpu_seconds();
        full_frame(s);
        const double t2 = cpu_seconds();
        baseline += t1 - t0;
        frame += t2 - t1;
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["baseline_us"] = baseline / n * 1e6;
    state.counters["frame_us"] = frame / n * 1e6;
    state.counters["ratio"] = baseline > 0.0 ? frame / baseline : 0.0;
}
BENCHMARK(BM_FrameOverBaseline);

}  // namespace

BENCHMARK_MAIN();
