// The adapter from SDL events to window messages, with made-up events, and on through the
// window procedure into queued events.
#include <gtest/gtest.h>

#include "platform/events.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/vkeys.h"

namespace {

SDL_Event key_event(uint32_t type, SDL_Keycode sym, SDL_Scancode scancode, uint16_t mod, uint8_t repeat = 0) {
    SDL_Event event{};
    event.key.type = type;
    event.key.repeat = repeat;
    event.key.keysym = SDL_Keysym{scancode, sym, mod, 0};
    return event;
}

SDL_Event window_event(uint8_t kind, int32_t data1 = 0, int32_t data2 = 0) {
    SDL_Event event{};
    event.window = SDL_WindowEvent{SDL_WINDOWEVENT, 0, 0, kind, 0, 0, 0, data1, data2};
    return event;
}

// Any other event; a button or motion event carries a position of its own that must be ignored
// (the caller supplies the position), at the same place in both event layouts.
SDL_Event sdl_event(uint32_t type, uint8_t button = 0) {
    SDL_Event event{};
    event.button.type = type;
    event.button.button = button;
    event.button.x = event.button.y = 1000;
    return event;
}

struct Translated {
    int made;
    PlatformMessage message;
};

Translated translate(InputState *input, const SDL_Event &event, int32_t x = 0, int32_t y = 0) {
    Translated result{0, {0xFFFF, 0, 0}};
    result.made = input_translate(input, &event, x, y, &result.message);
    return result;
}

// Guards key messages (one per repeat, keypad by NumLock), system keys making none, Alt+F4 closing.
TEST(Input, KeyEvents) {
    struct Case {
        SDL_Event event;
        int made;
        uint32_t message;
        MessageWParam wparam;
    };
    const Case cases[] = {
        {key_event(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT, 0), 1, WM_KEYDOWN, VK_LEFT},
        {key_event(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT, 0, 1), 1, WM_KEYDOWN, VK_LEFT},
        {key_event(SDL_KEYUP, SDLK_LEFT, SDL_SCANCODE_LEFT, 0), 1, WM_KEYUP, VK_LEFT},
        {key_event(SDL_KEYDOWN, SDLK_KP_3, SDL_SCANCODE_KP_3, KMOD_NUM), 1, WM_KEYDOWN, 0x63},
        {key_event(SDL_KEYDOWN, SDLK_KP_3, SDL_SCANCODE_KP_3, 0), 1, WM_KEYDOWN, 0x22},
        {key_event(SDL_KEYDOWN, SDLK_F10, SDL_SCANCODE_F10, 0), 0, 0xFFFF, 0},
        {key_event(SDL_KEYUP, SDLK_F10, SDL_SCANCODE_F10, 0), 0, 0xFFFF, 0},
        {key_event(SDL_KEYDOWN, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT), 0, 0xFFFF, 0},
        {key_event(SDL_KEYUP, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), 0, 0xFFFF, 0},  // only the press closes
        {key_event(SDL_KEYUP, SDLK_y, SDL_SCANCODE_Y, KMOD_RALT), 0, 0xFFFF, 0},
        {key_event(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), 1, WM_CLOSE, 0},
        {key_event(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_RALT | KMOD_NUM), 1, WM_CLOSE, 0},
        {key_event(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, 0), 1, WM_KEYDOWN, 0x73},  // F4 alone is ordinary
    };
    InputState input{};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        const Translated t = translate(&input, cases[i].event);
        EXPECT_EQ(t.made, cases[i].made);
        EXPECT_EQ(t.message.message, cases[i].message);
        EXPECT_EQ(t.message.wparam, cases[i].wparam);
    }
}

// Guards activation messages only on a real change, and the other window events.
TEST(Input, WindowEvents) {
    InputState input{};
    const uint8_t focus[] = {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_FOCUS_GAINED,
                             SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_GAINED};
    const int made[] = {0, 1, 0, 1, 0, 1};
    const MessageWParam state[] = {0, WA_ACTIVE, 0, WA_INACTIVE, 0, WA_ACTIVE};
    for (size_t i = 0; i < std::size(focus); ++i) {
        const Translated t = translate(&input, window_event(focus[i]));
        ASSERT_EQ(t.made, made[i]) << "step " << i;
        if (t.made != 0) {
            EXPECT_EQ(t.message.message, WM_ACTIVATE);
            EXPECT_EQ(t.message.wparam, state[i]) << "step " << i;
        }
    }
    EXPECT_EQ(translate(&input, window_event(SDL_WINDOWEVENT_EXPOSED)).message.message, WM_PAINT);
    EXPECT_EQ(translate(&input, window_event(SDL_WINDOWEVENT_CLOSE)).message.message, WM_CLOSE);
    const Translated size = translate(&input, window_event(SDL_WINDOWEVENT_SIZE_CHANGED, 480, 320));
    EXPECT_EQ(size.message.message, WM_SIZE);
    EXPECT_EQ(size.message.lparam, 480 | (320 << 16));
    const Translated scaled = translate(&input, window_event(SDL_WINDOWEVENT_SIZE_CHANGED, 1440, 960));
    EXPECT_EQ(scaled.message.lparam, 480 | (320 << 16)) << "the game's size, in game pixels";
    EXPECT_EQ(translate(&input, sdl_event(SDL_QUIT)).message.message, WM_QUIT);
    for (uint8_t ignored : {SDL_WINDOWEVENT_MOVED, SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_ENTER,
                            SDL_WINDOWEVENT_LEAVE, SDL_WINDOWEVENT_TAKE_FOCUS}) {
        EXPECT_EQ(translate(&input, window_event(ignored)).made, 0);
    }
    EXPECT_EQ(translate(&input, sdl_event(SDL_MOUSEWHEEL)).made, 0);
}

// Guards the held-button flags of mouse messages, the supplied (signed) position, and which
// events count as pointer events.
TEST(Input, MouseMessagesCarryHeldButtonsAndTheGivenPosition) {
    InputState input{};
    EXPECT_EQ(translate(&input, sdl_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT)).made, 0);
    Translated move = translate(&input, sdl_event(SDL_MOUSEMOTION), 7, 9);
    EXPECT_EQ(move.message.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.message.wparam, MK_RBUTTON);
    EXPECT_EQ(move.message.lparam, 7 | (9 << 16));

    const Translated press = translate(&input, sdl_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), 10, 20);
    EXPECT_EQ(press.message.message, WM_LBUTTONDOWN);
    EXPECT_EQ(press.message.wparam, MK_LBUTTON | MK_RBUTTON);
    EXPECT_EQ(translate(&input, sdl_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE)).made, 0);
    EXPECT_EQ(translate(&input, sdl_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT)).made, 0);

    move = translate(&input, sdl_event(SDL_MOUSEMOTION), -40, -2);  // left of and above the window
    EXPECT_EQ(move.message.wparam, MK_LBUTTON | MK_MBUTTON);
    EXPECT_EQ(move.message.lparam, message_pack_point(-40, -2));

    EXPECT_EQ(translate(&input, sdl_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT), 3, 4).message.message, WM_LBUTTONUP);
    EXPECT_EQ(translate(&input, sdl_event(SDL_MOUSEMOTION)).message.wparam, MK_MBUTTON);

    for (const SDL_Event &event : {sdl_event(SDL_MOUSEMOTION), sdl_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT),
                                   sdl_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT)}) {
        EXPECT_EQ(input_is_pointer_event(&event), 1);
    }
    const SDL_Event expose = window_event(SDL_WINDOWEVENT_EXPOSED);
    EXPECT_EQ(input_is_pointer_event(&expose), 0);
}

// Guards the whole path from SDL events through window_proc to the queued payloads.
TEST(Input, ThroughTheWindowProcedureIntoEvents) {
    event_queue_clear();
    InputState input{};
    for (const SDL_Event &event : {window_event(SDL_WINDOWEVENT_FOCUS_GAINED),
                                   sdl_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT),
                                   sdl_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), sdl_event(SDL_MOUSEMOTION),
                                   key_event(SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE, 0),
                                   key_event(SDL_KEYUP, SDLK_y, SDL_SCANCODE_Y, 0),
                                   window_event(SDL_WINDOWEVENT_FOCUS_LOST)}) {
        PlatformMessage message{};
        if (input_translate(&input, &event, -3, 25, &message) != 0) {
            window_proc(nullptr, message.message, message.wparam, message.lparam);
        }
    }
    const AppEvent expected[] = {
        {EVENT_ACTIVATE, nullptr, 0, 0},
        {EVENT_BUTTON_DOWN, nullptr, 0xFFFD0005u, 25},  // x = -3, flags left and right
        {EVENT_MOUSE_MOVE, nullptr, 0xFFFD0005u, 25},
        {EVENT_KEY_DOWN, nullptr, 0x2001u, 0},
        {EVENT_KEY_UP, nullptr, 0x5900u, 0},
        {EVENT_DEACTIVATE, nullptr, 0, 0},
    };
    AppEvent event{};
    for (const AppEvent &e : expected) {
        ASSERT_EQ(event_queue_pop(&event), 1);
        EXPECT_EQ(event.type, e.type);
        EXPECT_EQ(event.a, e.a);
        EXPECT_EQ(event.b, e.b);
    }
    EXPECT_EQ(event_queue_pop(&event), 0);
}

// Guards the fullscreen switch: Alt+Enter (either Enter) and F11 switch once per press, and
// their repeats and releases (also an Enter released after Alt) make no key message.
TEST(Input, FullscreenKeys) {
    struct Case {
        SDL_Event event;
        int action;
    };
    const Case cases[] = {
        {key_event(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, 0), 0},
        {key_event(SDL_KEYUP, SDLK_RETURN, SDL_SCANCODE_RETURN, 0), 0},
        {key_event(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT), 1},
        {key_event(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT, 1), -1},
        {key_event(SDL_KEYUP, SDLK_RETURN, SDL_SCANCODE_RETURN, 0), -1},
        {key_event(SDL_KEYUP, SDLK_RETURN, SDL_SCANCODE_RETURN, 0), 0},
        {key_event(SDL_KEYDOWN, SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, KMOD_RALT), 1},
        {key_event(SDL_KEYUP, SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, KMOD_RALT), -1},
        {key_event(SDL_KEYDOWN, SDLK_F11, SDL_SCANCODE_F11, 0), 1},
        {key_event(SDL_KEYDOWN, SDLK_F11, SDL_SCANCODE_F11, 0, 1), -1},
        {key_event(SDL_KEYUP, SDLK_F11, SDL_SCANCODE_F11, 0), -1},
        {key_event(SDL_KEYDOWN, SDLK_F12, SDL_SCANCODE_F12, 0), 0},
        {window_event(SDL_WINDOWEVENT_EXPOSED), 0},
    };
    InputState input{};
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(input_fullscreen_key(&input, &cases[i].event), cases[i].action) << "case " << i;
    }
}

// Guards the window's corner at a larger scale: still centred.
TEST(WindowOrigin, ScaledWindowIsCentredToo) {
    EXPECT_EQ(window_origin(3840, 2160, 3).left, 1200);
    EXPECT_EQ(window_origin(3840, 2160, 3).top, 600);
    EXPECT_EQ(window_origin(2561, 1441, 2).left, 800);
}

// Guards the window's corner: the centre less half the window, halves truncated, off-screen allowed.
TEST(WindowOrigin, CentreLessHalfTheWindowWithTruncatedHalves) {
    const int32_t cases[][4] = {
        {1365, 768, 442, 224}, {1366, 767, 443, 223}, {300, 200, -90, -60}, {479, 319, -1, -1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(window_origin(c[0], c[1]).left, c[2]) << c[0] << "x" << c[1];
        EXPECT_EQ(window_origin(c[0], c[1]).top, c[3]) << c[0] << "x" << c[1];
    }
}

}  // namespace
