// The program in a browser page: the same start-up, passes and shutdown as on the desktop, but
// the browser calls the passes, one per animation frame, and the page tells how the game ended.
#include <new>

#include "app/app.h"
#include "app/loop.h"
#include "platform/platform.h"
#include "platform/web/web_platform.h"

namespace {

// One pass; once the game is over, takes everything down and shows the note instead of the
// game. Returns 0 then, so that no further pass runs.
int web_pass(void *context) {
    auto *app = static_cast<App *>(context);
    app_pass(app);
    if (app_running(app)) {
        return 1;
    }
    app_stop(app);
    delete app;
    web_show_quit_note();
    return 0;
}

}  // namespace

int main() {
    auto *app = new (std::nothrow) App{};
    if (app == nullptr) {
        platform_report_failure("out of memory for the program");
        web_show_failure();
        return 1;
    }
    if (const int status = app_start(app); status != 0) {
        delete app;
        web_show_failure();
        return status;
    }
    web_claim_keys(loop_uses_key);
    web_run_frames(web_pass, app);  // the browser owns the program from here on
    return 0;
}
