// The program's body: bring the window, the textures, the game record and the sound up, run
// passes until the game is over, and take everything down again in reverse order.
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

// The device's pull: the mixer's next samples (the device holds its lock meanwhile).
void pull_sound(void *context, int16_t *out, uint32_t frames) {
    sound_mix(static_cast<SoundMixer *>(context), out, frames);
}

// Plays what one step of the loop calls for, unless the sound is off; the mute key turns it
// off at once, cutting short what is playing.
void hear(App *app, const GameState *before, const AppEvent *event) {
    AppSound &sound = app->sound;
    const LoopSounds heard = loop_sounds(&sound.hearing, before, app->state, event);
    const bool cut = heard.toggle_mute && !sound.muted;
    sound.muted = heard.toggle_mute ? !sound.muted : sound.muted;
    if (!sound.muted && heard.pulse_ms > sound.pulse_ms) {
        sound.pulse_ms = heard.pulse_ms;
    }
    if (!sound.device || (!cut && (heard.count == 0 || sound.muted))) {
        return;
    }
    platform_audio_lock();
    if (cut) {
        sound_silence(&sound.mixer);
    }
    for (int32_t i = 0; i < heard.count && !sound.muted; ++i) {
        sound_play(&sound.mixer, heard.ids[i]);
    }
    platform_audio_unlock();
}

// While the game is paused or quitting nothing sounds, and what was playing is dropped, so that
// nothing plays late when the game goes on.
void hush_when_paused(App *app) {
    AppSound &sound = app->sound;
    const bool quiet = (app->state->mode & (MODE_PAUSED | MODE_QUIT)) != 0;
    if (quiet && !sound.hushed && sound.device) {
        platform_audio_lock();
        sound_silence(&sound.mixer);
        platform_audio_unlock();
    }
    sound.hushed = quiet;
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
    loop_hearing_start(&app->sound.hearing, app->state);
    sound_mixer_start(&app->sound.mixer, SOUND_RATE);
    app->sound.device = platform_audio_open(SOUND_RATE, pull_sound, &app->sound.mixer);
    return 0;
}

int app_pass(App *app) {
    AppEvent event{};
    loop_begin_pass(&app->loop);
    while (poll_event(&event) != 0) {
        const GameState before = *app->state;
        loop_handle_event(&app->loop, app->state, &event, &app->hooks);
        hear(app, &before, &event);
    }
    const GameState before = *app->state;
    const int ticked = loop_run_tick(&app->loop, app->state, platform_time_ms(), &app->hooks);
    if (ticked != 0) {
        hear(app, &before, nullptr);
    }
    hush_when_paused(app);
    return ticked;
}

bool app_muted(const App *app) {
    return app->sound.muted;
}

uint32_t app_take_pulse(App *app) {
    const uint32_t pulse = app->sound.pulse_ms;
    app->sound.pulse_ms = 0;
    return pulse;
}

bool app_running(const App *app) {
    return app->state->mode != MODE_QUIT;
}

uint32_t app_wait_time(const App *app) {
    return loop_wait_time(&app->loop, app->state, platform_time_ms());
}

int app_stop(App *app) {
    platform_audio_close();
    app->sound.device = false;
    release_textures(app->textures);
    app->textures = nullptr;
    delete app->state;
    app->state = nullptr;
    shutdown_platform();
    return 0;
}
