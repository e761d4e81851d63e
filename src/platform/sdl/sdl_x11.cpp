// Where the pointer and the window are, asked of the X server directly. SDL's own idea of the
// pointer is built from events: it lags while the window moves under the pointer, drops motion
// that looks like none relative to the window, and misses input it did not see. A drag needs
// the true positions, so on X11 they come from XQueryPointer and XTranslateCoordinates; on other
// window systems SDL's global state is the best there is.
#include <poll.h>

#include <cstdio>
#include <cstdlib>

#include <SDL_mouse.h>
#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/XKBlib.h>
#endif

#include "platform/messages.h"
#include "platform/sdl/sdl_platform.h"

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
bool x11_info(SDL_SysWMinfo *info) {
    SDL_VERSION(&info->version);
    return main_window.window != nullptr && SDL_GetWindowWMInfo(main_window.window, info) == SDL_TRUE &&
           info->subsystem == SDL_SYSWM_X11;
}

uint32_t mk_from_x11(unsigned int mask) {
    uint32_t flags = 0;
    flags |= (mask & Button1Mask) != 0 ? MK_LBUTTON : 0;
    flags |= (mask & Button2Mask) != 0 ? MK_MBUTTON : 0;
    flags |= (mask & Button3Mask) != 0 ? MK_RBUTTON : 0;
    return flags;
}
#endif

uint32_t mk_from_sdl(uint32_t mask) {
    uint32_t flags = 0;
    flags |= (mask & SDL_BUTTON_LMASK) != 0 ? MK_LBUTTON : 0;
    flags |= (mask & SDL_BUTTON_MMASK) != 0 ? MK_MBUTTON : 0;
    flags |= (mask & SDL_BUTTON_RMASK) != 0 ? MK_RBUTTON : 0;
    return flags;
}

}  // namespace

void pointer_screen_state(int32_t *x, int32_t *y, uint32_t *mk_buttons) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (x11_info(&info)) {
        Window root = 0;
        Window child = 0;
        int root_x = 0;
        int root_y = 0;
        int window_x = 0;
        int window_y = 0;
        unsigned int mask = 0;
        if (XQueryPointer(info.info.x11.display, info.info.x11.window, &root, &child, &root_x, &root_y,
                          &window_x, &window_y, &mask) != 0) {
            *x = root_x;
            *y = root_y;
            *mk_buttons = mk_from_x11(mask);
            return;
        }
    }
#endif
    int global_x = 0;
    int global_y = 0;
    *mk_buttons = mk_from_sdl(SDL_GetGlobalMouseState(&global_x, &global_y));
    *x = global_x;
    *y = global_y;
}

bool pointer_event_position(const SDL_Event *event, int32_t *x, int32_t *y) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (event->type != SDL_SYSWMEVENT || event->syswm.msg == nullptr || event->syswm.msg->subsystem != SDL_SYSWM_X11) {
        return false;
    }
    const XEvent &xevent = event->syswm.msg->msg.x11.event;
    switch (xevent.type) {
    case ButtonPress:
    case ButtonRelease:
        *x = xevent.xbutton.x_root;
        *y = xevent.xbutton.y_root;
        return true;
    case MotionNotify:
        *x = xevent.xmotion.x_root;
        *y = xevent.xmotion.y_root;
        return true;
    default:
        return false;
    }
#else
    (void)event;
    (void)x;
    (void)y;
    return false;
#endif
}

void window_screen_position(int32_t *left, int32_t *top) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (x11_info(&info)) {
        Display *display = info.info.x11.display;
        Window child = 0;
        int root_x = 0;
        int root_y = 0;
        if (XTranslateCoordinates(display, info.info.x11.window, DefaultRootWindow(display), 0, 0, &root_x,
                                  &root_y, &child) != 0) {
            *left = root_x;
            *top = root_y;
            return;
        }
    }
#endif
    int window_x = 0;
    int window_y = 0;
    SDL_GetWindowPosition(main_window.window, &window_x, &window_y);
    *left = window_x;
    *top = window_y;
}

bool keyboard_repeat(uint32_t *delay_ms, uint32_t *interval_ms) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    unsigned int delay = 0;
    unsigned int interval = 0;
    if (x11_info(&info) && XkbGetAutoRepeatRate(info.info.x11.display, XkbUseCoreKbd, &delay, &interval) != 0 &&
        interval > 0) {
        *delay_ms = delay;
        *interval_ms = interval;
        return true;
    }
#endif
    (void)delay_ms;
    (void)interval_ms;
    return false;
}

bool wait_for_window_system(int timeout_ms) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (x11_info(&info)) {
        // SDL's own wait wakes itself with messages to the window from a second connection,
        // which can reach the server after the window is gone at shutdown; a plain poll of the
        // connection needs none of that.
        Display *display = info.info.x11.display;
        if (XPending(display) == 0) {
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, timeout_ms);
        }
        return true;
    }
#endif
    (void)timeout_ms;
    return false;
}

#if defined(SDL_VIDEO_DRIVER_X11)
namespace {

// While the window is being made, X errors are remembered and start-up reports the first one
// (or the failure it causes) in its own line; once the game runs, any X error ends it.
bool starting = true;
char start_error[160] = "";
Window game_window = 0;

// Xlib calls this for every X error that no one else catches; its default prints a report of
// many lines and exits. Nothing here sends anything to the server.
int x_error(Display *display, XErrorEvent *error) {
    char text[96];
    XGetErrorText(display, error->error_code, text, sizeof text);
    if (starting) {
        if (start_error[0] == '\0') {
            std::snprintf(start_error, sizeof start_error, "the X server refused a request (%s, request %d.%d)",
                          text, error->request_code, error->minor_code);
        }
        return 0;
    }
    // Drawing into the window or asking about it fails first when another program destroyed it.
    const bool window_gone = (error->error_code == BadWindow || error->error_code == BadDrawable) &&
                             game_window != 0 && error->resourceid == game_window;
    if (window_gone) {
        std::fputs("stakmir: the game window was destroyed by another program\n", stderr);
    } else {
        std::fprintf(stderr, "stakmir: the X server refused a request of the game (%s, request %d.%d)\n", text,
                     error->request_code, error->minor_code);
    }
    std::_Exit(1);
}

// Xlib calls this when the connection to the X server breaks (the server quit or was killed),
// and would otherwise exit through the exit handlers, where releasing the window waits for
// the dead server forever. Nothing can be shown or released any more, so end at once.
int display_lost(Display *) {
    std::fputs("stakmir: lost the connection to the display\n", stderr);
    std::_Exit(1);
}

}  // namespace
#endif

void watch_display_connection() {
#if defined(SDL_VIDEO_DRIVER_X11)
    XSetErrorHandler(x_error);
    XSetIOErrorHandler(display_lost);
#endif
}

const char *display_start_error() {
#if defined(SDL_VIDEO_DRIVER_X11)
    return start_error[0] != '\0' ? start_error : nullptr;
#else
    return nullptr;
#endif
}

void display_game_running() {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (x11_info(&info)) {
        game_window = info.info.x11.window;
    }
    starting = false;
#endif
}
