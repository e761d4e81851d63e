// The desktop program. Stakmir takes no options and reads no files: everything it needs is
// compiled in, and the whole run is the main loop, whose result is the exit status.
#include "app/app.h"
#include "platform/platform.h"

// Start-up, passes until the game is over, shutdown. Between passes that ran no tick, the
// loop sleeps until the next event or the next tick's deadline instead of spinning.
int run_game_loop() {
    App app{};
    if (const int status = app_start(&app); status != 0) {
        return status;
    }
    while (app_running(&app)) {
        if (app_pass(&app) == 0 && app_running(&app)) {
            platform_wait_event(app_wait_time(&app));
        }
    }
    return app_stop(&app);
}

#if !defined(_WIN32)
// On Windows the process is entered through WinMain, in the Windows layer.
int main() {
    return run_game_loop();
}
#endif
