// Cost of drawing one frame: render_frame over a full well, next to a baseline frame that
// only clears and draws the background layer, both measured in the same run on the offscreen
// Mesa context with glFinish, so that the ratio between them is what counts.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "offscreen_gl.h"
#include "render/render.h"

namespace {

TextureSet *g_textures = nullptr;

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

void BM_BaselineBackground(benchmark::State &state) {
    for (auto _ : state) {
        draw_background(g_textures, 1.0f, 0);
        glFinish();
    }
}
BENCHMARK(BM_BaselineBackground);

void BM_RenderFrameFullWell(benchmark::State &state) {
    const GameState s = full_state(MODE_FALLING);
    for (auto _ : state) {
        render_frame(&s);
        glFinish();
    }
}
BENCHMARK(BM_RenderFrameFullWell);

void BM_RenderFrameClearingFourRows(benchmark::State &state) {
    const GameState s = full_state(MODE_CLEARING);
    for (auto _ : state) {
        render_frame(&s);
        glFinish();
    }
}
BENCHMARK(BM_RenderFrameClearingFourRows);

// Prints each run as usual and keeps its CPU and real time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                times_[run.benchmark_name()] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void print_ratios() const {
        const auto base = times_.find("BM_BaselineBackground");
        if (base == times_.end() || base->second.first <= 0.0 || base->second.second <= 0.0) {
            return;
        }
        for (const auto &[name, time] : times_) {
            if (name != base->first) {
                std::printf("%s / BM_BaselineBackground: CPU time %.2f, real time %.2f\n", name.c_str(),
                            time.first / base->second.first, time.second / base->second.second);
            }
        }
    }

private:
    std::map<std::string, std::pair<double, double>> times_;
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // Let Mesa's software rasteriser work on this thread, so that CPU time covers the drawing.
    setenv("LP_NUM_THREADS", "0", 0);
    if (!test_gl_open(480, 320, true)) {
        std::fprintf(stderr, "bench_render: no offscreen OpenGL context\n");
        return 1;
    }
    g_textures = create_textures();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratios();
    release_textures(g_textures);
    test_gl_close();
    benchmark::Shutdown();
    return 0;
}
