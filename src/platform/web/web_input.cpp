// The page's keys, touch controls, focus and visibility as the window messages of the desktop: a
// DOM key event's keyCode is the virtual-key code, a touch control sends the key it stands for,
// and losing the focus, being hidden or losing the WebGL context deactivates.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <bitset>

#include "platform/messages.h"
#include "platform/vkeys.h"
#include "platform/web/web_input.h"
#include "platform/web/web_platform.h"

// Tells the page whether the game is active, for its hint to click on the game.
EM_JS(void, page_tell_activation, (int active), { Module.stakmirActivated(active !== 0); });

namespace {

constexpr uint32_t KEY_CODE_ALT = 18;
constexpr uint32_t KEY_CODE_F10 = 0x79;
constexpr uint32_t KEY_CODE_COMPOSING = 229;  // a key taken by an input method

struct WebInput {
    bool listening;
    bool focused;                     // the page has the focus
    bool shown;                       // the page is not hidden
    bool drawable;                    // the WebGL context is there to draw into
    bool active;                      // all three: what the game was last told
    std::bitset<256> pressed;         // keys whose key-down the game was given
    bool (*uses_key)(uint32_t code);  // the keys the program acts on, when it has said
};

WebInput web_input = {};

// F10 and keys held with Alt are the desktop's system keys: they make no key messages there,
// and here they stay with the browser alone.
bool is_system_key(const EmscriptenKeyboardEvent &key) {
    return key.altKey != 0 || key.keyCode == KEY_CODE_ALT || key.keyCode == KEY_CODE_F10;
}

bool claimed(uint32_t code) {
    return web_input.uses_key != nullptr && web_input.uses_key(code);
}

bool page_fullscreen() {
    return EM_ASM_INT({ return document.fullscreenElement ? 1 : 0; }) != 0;
}

// Gives the game a key-down or key-up. A key-up comes through only for a key whose key-down did:
// an input method that took the press, or a browser shortcut, keeps the release as well.
bool send_key(uint32_t code, bool down) {
    code &= 0xFFu;
    if (!down && !web_input.pressed.test(code)) {
        return false;
    }
    web_input.pressed.set(code, down);
    window_proc(nullptr, down ? WM_KEYDOWN : WM_KEYUP, code, 0);
    return true;
}

// Returns whether the page's own action for the key is to be suppressed.
EM_BOOL on_key(int event_type, const EmscriptenKeyboardEvent *key, void * /*unused*/) {
    const auto code = static_cast<uint32_t>(key->keyCode);
    if (code == 0 || code == KEY_CODE_COMPOSING || is_system_key(*key)) {
        return EM_FALSE;
    }
    const bool down = event_type == EMSCRIPTEN_EVENT_KEYDOWN;
    // A press with Control or Meta held is a browser shortcut. Escape in fullscreen is the
    // browser's way back to the window, not a quit.
    if (down && (key->ctrlKey != 0 || key->metaKey != 0 || (code == static_cast<uint32_t>(VK_ESCAPE) && page_fullscreen()))) {
        return EM_FALSE;
    }
    return send_key(code, down) && claimed(code) ? EM_TRUE : EM_FALSE;
}

bool page_has_focus() {
    return EM_ASM_INT({ return document.hasFocus() ? 1 : 0; }) != 0;
}

bool page_hidden() {
    EmscriptenVisibilityChangeEvent status{};
    return emscripten_get_visibility_status(&status) == EMSCRIPTEN_RESULT_SUCCESS && status.hidden != 0;
}

// Sends an activation message on a change only, as a window system does: blur and a hidden
// page often come together, and so do focus and a page shown again. The page hears of it too,
// for its hint to click on the game.
void update_activation() {
    const bool active = web_input.focused && web_input.shown && web_input.drawable;
    if (active == web_input.active) {
        return;
    }
    web_input.active = active;
    if (!active) {
        web_input.pressed.reset();  // their key-ups go elsewhere; the game lets go of them itself
    }
    window_proc(nullptr, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
    page_tell_activation(active ? 1 : 0);
    web_run_pass_now();  // a hidden page gets no frames: the pause must happen now
}

EM_BOOL on_blur(int /*event_type*/, const EmscriptenFocusEvent * /*event*/, void * /*unused*/) {
    web_input.focused = false;
    update_activation();
    return EM_FALSE;
}

EM_BOOL on_focus(int /*event_type*/, const EmscriptenFocusEvent * /*event*/, void * /*unused*/) {
    web_input.focused = true;
    web_input.shown = !page_hidden();
    update_activation();
    return EM_FALSE;
}

// A page shown again is a window uncovered: it is repainted, then active if it has the focus.
EM_BOOL on_visibility(int /*event_type*/, const EmscriptenVisibilityChangeEvent *event, void * /*unused*/) {
    web_input.shown = event->hidden == 0;
    if (web_input.shown) {
        window_proc(nullptr, WM_PAINT, 0, 0);
        web_input.focused = page_has_focus();
    }
    update_activation();
    return EM_FALSE;
}

// The keys are heard first, before any element of the page. The focus is the window's own: its
// blur and focus are heard without capturing, as those of the page's elements (a button that
// loses the focus to the game) would also reach a capturing listener on the window.
void listen(bool on) {
    const char *window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(window, nullptr, EM_TRUE, on ? on_key : nullptr);
    emscripten_set_keyup_callback(window, nullptr, EM_TRUE, on ? on_key : nullptr);
    emscripten_set_blur_callback(window, nullptr, EM_FALSE, on ? on_blur : nullptr);
    emscripten_set_focus_callback(window, nullptr, EM_FALSE, on ? on_focus : nullptr);
    emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, on ? on_visibility : nullptr);
    web_input.listening = on;
}

}  // namespace

// The page's touch controls: each press and release of one is the key-down or key-up of the key
// it stands for (the page repeats the key-down while a control is held, as a keyboard does).
extern "C" EMSCRIPTEN_KEEPALIVE void web_page_key(int code, int down) {
    if (web_input.listening) {
        send_key(static_cast<uint32_t>(code), down != 0);
    }
}

void web_input_start() {
    listen(true);
    // As a new desktop window, the page starts active or not; an inactive one starts paused.
    web_input.focused = page_has_focus();
    web_input.shown = !page_hidden();
    web_input.drawable = true;
    web_input.active = web_input.focused && web_input.shown;
    window_proc(nullptr, WM_ACTIVATE, web_input.active ? WA_ACTIVE : WA_INACTIVE, 0);
    page_tell_activation(web_input.active ? 1 : 0);
}

void web_input_stop() {
    if (web_input.listening) {
        listen(false);
    }
}

bool web_input_active() {
    return web_input.active;
}

void web_input_set_drawable(bool drawable) {
    web_input.drawable = drawable;
    update_activation();
}

void web_claim_keys(bool (*uses_key)(uint32_t code)) {
    web_input.uses_key = uses_key;
}
