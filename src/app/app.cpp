// The program's body: bring the window, the textures and the game record up, run passes until
// the game is over, and take everything down again in reverse order.
#include "app/app.h"

#include <ctime>
#include <new>

#include "assets/assets.h"
#include "platform/platform.h"
#include "render/render.h"

namespace {

void hook_get_window_rect(void * /*context*/, WindowRect *rect) {
    platform_get_window_rect(rect);
}

void hook_move_window(void * /*context*/, int32_t left, int32_t top, int32_t width, int32_t height) {
    platform_move_window(left, top, width, height);
}

void hook_present_frame(void * /*context*/, const GameState *state) {
    render_frame(state);
    platform_swap_buffers();
}

// Frees what start-up made so far, in reverse order, and gives the failure's exit status.
int abandon_start(App *app) {
    delete app->state;
    app->state = nullptr;
    shutdown_platform();
    return 1;
}

}  // namespace

int app_start(App *app) {
    *app = App{};
    if (!create_main_window()) {
        return abandon_start(app);
    }
    if (swap_interval_proc != nullptr) {
        swap_interval_proc(1);
    }
    const auto seed = static_cast<uint32_t>(std::time(nullptr));
    app->state = new (std::nothrow) GameState{};
    if (app->state == nullptr) {
        platform_report_failure("out of memory for the game record");
        return abandon_start(app);
    }
    app->textures = create_textures();
    if (app->textures == nullptr) {
        return abandon_start(app);  // create_textures has said what failed
    }
    app->state->textures = app->textures;
    game_start(app->state, seed);
    loop_start(&app->loop, platform_time_ms());
    app->hooks = LoopHooks{nullptr, hook_get_window_rect, hook_move_window, hook_present_frame};
    return 0;
}

int app_pass(App *app) {
    AppEvent event{};
    loop_begin_pass(&app->loop);
    while (poll_event(&event) != 0) {
        loop_handle_event(&app->loop, app->state, &event, &app->hooks);
    }
    return loop_run_tick(&app->loop, app->state, platform_time_ms(), &app->hooks);
}

bool app_running(const App *app) {
    return app->state->mode != MODE_QUIT;
}

uint32_t app_wait_time(const App *app) {
    return loop_wait_time(&app->loop, app->state, platform_time_ms());
}

int app_stop(App *app) {
    release_textures(app->textures);
    app->textures = nullptr;
    delete app->state;
    app->state = nullptr;
    shutdown_platform();
    return 0;
}
