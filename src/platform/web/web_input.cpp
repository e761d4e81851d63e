// The page's keys, focus and visibility as the window messages of the desktop: a DOM key
// event's keyCode is the virtual-key code, and losing the focus or being hidden deactivates.
#include <emscripten.h>
#include <emscripten/html5.h>

#include "platform/messages.h"
#include "platform/vkeys.h"
#include "platform/web/web_input.h"
#include "platform/web/web_platform.h"

namespace {

constexpr uint32_t KEY_CODE_ALT = 18;
constexpr uint32_t KEY_CODE_F10 = 0x79;
constexpr uint32_t KEY_CODE_COMPOSING = 229;  // a key taken by an input method

struct WebInput {
    bool listening;
    bool active;                      // the page has the focus and is shown
    bool (*uses_key)(uint32_t code);  // the keys the program acts on, when it has said
};

WebInput web_input = {};

// F10 and keys held with Alt are the desktop's system keys: they make no key messages there,
// and here they stay with the browser alone.
bool is_system_key(const EmscriptenKeyboardEvent &key) {
    return key.altKey != 0 || key.keyCode == KEY_CODE_ALT || key.keyCode == KEY_CODE_F10;
}

bool claimed(uint32_t code) {
    return web_input.uses_key != nullptr && web_input.uses_key(code & 0xFFu);
}

// Returns whether the page's own action for the key is to be suppressed.
EM_BOOL on_key(int event_type, const EmscriptenKeyboardEvent *key, void * /*unused*/) {
    const auto code = static_cast<uint32_t>(key->keyCode);
    if (code == 0 || code == KEY_CODE_COMPOSING || is_system_key(*key)) {
        return EM_FALSE;
    }
    const bool down = event_type == EMSCRIPTEN_EVENT_KEYDOWN;
    // A press with Control or Meta held is a browser shortcut; a release always reaches the
    // game, which clears what the press had set.
    if (down && (key->ctrlKey != 0 || key->metaKey != 0)) {
        return EM_FALSE;
    }
    window_proc(nullptr, down ? WM_KEYDOWN : WM_KEYUP, code, 0);
    return claimed(code) ? EM_TRUE : EM_FALSE;
}

bool page_has_focus() {
    return EM_ASM_INT({ return document.hasFocus() ? 1 : 0; }) != 0;
}

bool page_hidden() {
    EmscriptenVisibilityChangeEvent status{};
    return emscripten_get_visibility_status(&status) == EMSCRIPTEN_RESULT_SUCCESS && status.hidden != 0;
}

// Sends an activation message on a change only, as a window system does: blur and a hidden
// page often come together, and so do focus and a page shown again.
void set_active(bool active) {
    if (active == web_input.active) {
        return;
    }
    web_input.active = active;
    window_proc(nullptr, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
    web_run_pass_now();  // a hidden page gets no frames: the pause must happen now
}

EM_BOOL on_blur(int /*event_type*/, const EmscriptenFocusEvent * /*event*/, void * /*unused*/) {
    set_active(false);
    return EM_FALSE;
}

EM_BOOL on_focus(int /*event_type*/, const EmscriptenFocusEvent * /*event*/, void * /*unused*/) {
    set_active(!page_hidden());
    return EM_FALSE;
}

// A page shown again is a window uncovered: it is repainted, then active if it has the focus.
EM_BOOL on_visibility(int /*event_type*/, const EmscriptenVisibilityChangeEvent *event, void * /*unused*/) {
    if (event->hidden != 0) {
        set_active(false);
        return EM_FALSE;
    }
    window_proc(nullptr, WM_PAINT, 0, 0);
    set_active(page_has_focus());
    return EM_FALSE;
}

void listen(bool on) {
    const char *window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(window, nullptr, EM_TRUE, on ? on_key : nullptr);
    emscripten_set_keyup_callback(window, nullptr, EM_TRUE, on ? on_key : nullptr);
    emscripten_set_blur_callback(window, nullptr, EM_TRUE, on ? on_blur : nullptr);
    emscripten_set_focus_callback(window, nullptr, EM_TRUE, on ? on_focus : nullptr);
    emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, on ? on_visibility : nullptr);
    web_input.listening = on;
}

}  // namespace

void web_input_start() {
    listen(true);
    // As a new desktop window, the page starts active or not; an inactive one starts paused.
    web_input.active = page_has_focus() && !page_hidden();
    window_proc(nullptr, WM_ACTIVATE, web_input.active ? WA_ACTIVE : WA_INACTIVE, 0);
}

void web_input_stop() {
    if (web_input.listening) {
        listen(false);
    }
}

void web_claim_keys(bool (*uses_key)(uint32_t code)) {
    web_input.uses_key = uses_key;
}
