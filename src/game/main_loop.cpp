// The body of the program: bring the window, the textures and the game record up, run passes
// until the game is over, and take everything down again in reverse order.
#include <cstdio>
#include <ctime>
#include <memory>

#include "assets/assets.h"
#include "game/loop.h"
#include "platform/platform.h"

namespace {

// Takes every waiting event, then ticks when a tick is due. When neither an event nor a tick
// was due, sleeps until the next event or the next tick's deadline instead of spinning.
void run_pass(LoopState *loop, GameState *state, const LoopHooks *hooks) {
    AppEvent event{};
    loop_begin_pass(loop);
    while (poll_event(&event) != 0) {
        loop_handle_event(loop, state, &event, hooks);
    }
    if (loop_run_tick(loop, state, platform_time_ms(), hooks) != 0 || state->mode == MODE_QUIT) {
        return;
    }
    platform_wait_event(loop_wait_time(loop, state, platform_time_ms()));
}

}  // namespace

int run_game_loop() {
    if (!create_main_window()) {
        shutdown_platform();
        return 1;
    }
    if (swap_interval_proc != nullptr) {
        swap_interval_proc(1);
    }
    const auto seed = static_cast<uint32_t>(std::time(nullptr));
    auto state = std::make_unique<GameState>();
    TextureSet *textures = create_textures();
    if (textures == nullptr) {
        std::fputs("stakmir: cannot create the textures\n", stderr);
        shutdown_platform();
        return 1;
    }
    state->textures = textures;
    loop_start_game(state.get(), seed);
    LoopState loop{};
    loop_start(&loop, platform_time_ms());
    const LoopHooks hooks = platform_loop_hooks();
    while (state->mode != MODE_QUIT) {
        run_pass(&loop, state.get(), &hooks);
    }
    release_textures(textures);
    state.reset();
    shutdown_platform();
    return 0;
}
