// The program in a browser page: the same start-up, passes and shutdown as on the desktop, but
// the page calls the passes, shows at most one frame per animation frame, and can take the WebGL
// context away and give it back.
#include <new>

#include "app/app.h"
#include "app/loop.h"
#include "assets/assets.h"
#include "platform/platform.h"
#include "platform/web/web_platform.h"
#include "render/render.h"

namespace {

struct WebApp {
    App app;
    bool frame_due;  // a pass asked for a frame that is not drawn yet
    WebScene scene;  // what the page was last told the game shows
    bool muted;      // the page was told that the sound is off
};

WebApp *web_app(void *context) {
    return static_cast<WebApp *>(context);
}

// The loop presents a frame after every tick and when it pauses; the page draws only the latest
// of them, once the animation frame's passes are done.
void ask_for_frame(void *context, const GameState * /*state*/) {
    web_app(context)->frame_due = true;
}

// What the page is to say beside the game, from the mode and who paused it.
WebScene scene_of(const App &app) {
    const GameMode mode = app.state->mode;
    if (mode == MODE_PAUSED) {
        return app.loop.player_paused != 0 ? WEB_SCENE_PLAYER_PAUSED : WEB_SCENE_PAUSED;
    }
    if (mode == MODE_GAME_OVER) {
        return WEB_SCENE_ASKING;
    }
    return (mode & (MODE_INTRO | MODE_WAIT_START)) != 0 ? WEB_SCENE_WELCOME : WEB_SCENE_PLAYING;
}

int pass(void *context) {
    WebApp *web = web_app(context);
    app_pass(&web->app);
    if (!app_running(&web->app)) {
        return 0;
    }
    const WebScene scene = scene_of(web->app);
    if (scene != web->scene) {
        web->scene = scene;
        web_show_scene(scene);
    }
    if (const uint32_t pulse = app_take_pulse(&web->app); pulse != 0) {
        web_vibrate(pulse);
    }
    if (app_muted(&web->app) != web->muted) {
        web->muted = !web->muted;
        web_show_muted(web->muted);
    }
    return 1;
}

void show(void *context) {
    WebApp *web = web_app(context);
    if (web->frame_due && web->app.textures != nullptr) {
        web->frame_due = false;
        render_frame(web->app.state);
        platform_swap_buffers();
    }
}

// The textures went with the lost context; deleting their names there does nothing more.
void lose(void *context) {
    WebApp *web = web_app(context);
    release_textures(web->app.textures);
    web->app.textures = nullptr;
    web->app.state->textures = nullptr;
}

bool restore(void *context) {
    WebApp *web = web_app(context);
    web->app.textures = create_textures();
    web->app.state->textures = web->app.textures;
    web->frame_due = true;
    return web->app.textures != nullptr;
}

void stop(void *context) {
    WebApp *web = web_app(context);
    app_stop(&web->app);
    delete web;
}

}  // namespace

int main() {
    auto *web = new (std::nothrow) WebApp{};
    if (web == nullptr) {
        platform_report_failure("out of memory for the program");
        web_show_failure();
        return 1;
    }
    if (const int status = app_start(&web->app); status != 0) {
        delete web;
        web_show_failure();
        return status;
    }
    web->app.hooks.context = web;
    web->app.hooks.present_frame = ask_for_frame;
    web_claim_keys(loop_uses_key);
    const WebProgram program{web, pass, show, lose, restore, stop};
    web_run_program(&program);  // the browser owns the program from here on
    return 0;
}
