// The adapter from SDL events to window messages, with made-up events, and on through the
// window procedure into queued events.
#include <gtest/gtest.h>

#include "platform/events.h"
#include "platform/sdl_input.h"
#include "platform/sdl_platform.h"
#include "platform/vkeys.h"

namespace {

SDL_Event key_event(uint32_t type, SDL_Keycode sym, SDL_Scancode scancode, uint16_t mod, uint8_t repeat = 0) {
    SDL_Event event{};
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.sym = sym;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    return event;
}

SDL_Event window_event(uint8_t kind, int32_t data1 = 0, int32_t data2 = 0) {
    SDL_Event event{};
    event.window.type = SDL_WINDOWEVENT;
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    return event;
}

SDL_Event button_event(uint32_t type, uint8_t button) {
    SDL_Event event{};
    event.button.type = type;
    event.button.button = button;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    return event;
}

SDL_Event motion_event() {
    SDL_Event event{};
    event.motion.type = SDL_MOUSEMOTION;
    event.motion.x = 1000;  // ignored: the caller supplies the position
    event.motion.y = 1000;
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

TEST(Input, KeysBecomeKeyMessagesOnePerRepeat) {
    InputState input{};
    for (uint8_t repeat : {0, 1, 1}) {
        const Translated down = translate(&input, key_event(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT, 0, repeat));
        ASSERT_EQ(down.made, 1);
        EXPECT_EQ(down.message.message, WM_KEYDOWN);
        EXPECT_EQ(down.message.wparam, static_cast<MessageWParam>(VK_LEFT));
    }
    const Translated up = translate(&input, key_event(SDL_KEYUP, SDLK_LEFT, SDL_SCANCODE_LEFT, 0));
    ASSERT_EQ(up.made, 1);
    EXPECT_EQ(up.message.message, WM_KEYUP);
    EXPECT_EQ(up.message.wparam, static_cast<MessageWParam>(VK_LEFT));

    const Translated keypad = translate(&input, key_event(SDL_KEYDOWN, SDLK_KP_3, SDL_SCANCODE_KP_3, KMOD_NUM));
    EXPECT_EQ(keypad.message.wparam, 0x63u);
    EXPECT_EQ(translate(&input, key_event(SDL_KEYDOWN, SDLK_KP_3, SDL_SCANCODE_KP_3, 0)).message.wparam, 0x22u);
}

TEST(Input, SystemKeysMakeNoMessage) {
    InputState input{};
    EXPECT_EQ(translate(&input, key_event(SDL_KEYDOWN, SDLK_F10, SDL_SCANCODE_F10, 0)).made, 0);
    EXPECT_EQ(translate(&input, key_event(SDL_KEYUP, SDLK_F10, SDL_SCANCODE_F10, 0)).made, 0);
    EXPECT_EQ(translate(&input, key_event(SDL_KEYDOWN, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT)).made, 0);
    EXPECT_EQ(translate(&input, key_event(SDL_KEYDOWN, SDLK_F3, SDL_SCANCODE_F3, KMOD_LALT)).made, 0);
    EXPECT_EQ(translate(&input, key_event(SDL_KEYUP, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT)).made, 0);
    EXPECT_EQ(translate(&input, key_event(SDL_KEYUP, SDLK_y, SDL_SCANCODE_Y, KMOD_RALT)).made, 0);
}

TEST(Input, AltF4AsksToClose) {
    InputState input{};
    for (uint16_t alt : {uint16_t{KMOD_LALT}, uint16_t{KMOD_RALT}, static_cast<uint16_t>(KMOD_LALT | KMOD_NUM)}) {
        const Translated close = translate(&input, key_event(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, alt));
        ASSERT_EQ(close.made, 1);
        EXPECT_EQ(close.message.message, WM_CLOSE);
    }
    // F4 alone is an ordinary key.
    EXPECT_EQ(translate(&input, key_event(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, 0)).message.message, WM_KEYDOWN);
}

TEST(Input, ActivationIsReportedOnlyWhenItChanges) {
    InputState input{};
    const uint8_t sequence[] = {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_FOCUS_GAINED,
                                SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_GAINED};
    const int made[] = {0, 1, 0, 1, 0, 1};
    const MessageWParam state[] = {0, WA_ACTIVE, 0, WA_INACTIVE, 0, WA_ACTIVE};
    for (size_t i = 0; i < std::size(sequence); ++i) {
        const Translated t = translate(&input, window_event(sequence[i]));
        ASSERT_EQ(t.made, made[i]) << "step " << i;
        if (t.made != 0) {
            EXPECT_EQ(t.message.message, WM_ACTIVATE);
            EXPECT_EQ(t.message.wparam, state[i]) << "step " << i;
        }
    }
}

TEST(Input, WindowEvents) {
    InputState input{};
    EXPECT_EQ(translate(&input, window_event(SDL_WINDOWEVENT_EXPOSED)).message.message, WM_PAINT);
    EXPECT_EQ(translate(&input, window_event(SDL_WINDOWEVENT_CLOSE)).message.message, WM_CLOSE);
    const Translated size = translate(&input, window_event(SDL_WINDOWEVENT_SIZE_CHANGED, 480, 320));
    EXPECT_EQ(size.message.message, WM_SIZE);
    EXPECT_EQ(size.message.lparam, 480 | (320 << 16));
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(translate(&input, quit).message.message, WM_QUIT);
    for (uint8_t ignored : {SDL_WINDOWEVENT_MOVED, SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_ENTER,
                            SDL_WINDOWEVENT_LEAVE, SDL_WINDOWEVENT_TAKE_FOCUS}) {
        EXPECT_EQ(translate(&input, window_event(ignored)).made, 0);
    }
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    EXPECT_EQ(translate(&input, wheel).made, 0);
}

TEST(Input, MouseMessagesCarryHeldButtonsAndTheGivenPosition) {
    InputState input{};
    EXPECT_EQ(translate(&input, button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT)).made, 0);
    Translated move = translate(&input, motion_event(), 7, 9);
    EXPECT_EQ(move.message.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.message.wparam, MK_RBUTTON);
    EXPECT_EQ(move.message.lparam, 7 | (9 << 16));

    const Translated press = translate(&input, button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), 10, 20);
    EXPECT_EQ(press.message.message, WM_LBUTTONDOWN);
    EXPECT_EQ(press.message.wparam, MK_LBUTTON | MK_RBUTTON);
    EXPECT_EQ(translate(&input, button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE)).made, 0);
    EXPECT_EQ(translate(&input, button_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT)).made, 0);

    // A position left of and above the window travels as signed 16-bit words.
    move = translate(&input, motion_event(), -40, -2);
    EXPECT_EQ(move.message.wparam, MK_LBUTTON | MK_MBUTTON);
    EXPECT_EQ(move.message.lparam, message_pack_point(-40, -2));

    const Translated release = translate(&input, button_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT), 3, 4);
    EXPECT_EQ(release.message.message, WM_LBUTTONUP);
    EXPECT_EQ(translate(&input, motion_event()).message.wparam, MK_MBUTTON);
}

TEST(Input, PointerEventsAreMotionAndButtons) {
    const SDL_Event pointer[] = {motion_event(), button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT),
                                 button_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT)};
    for (const SDL_Event &event : pointer) {
        EXPECT_EQ(input_is_pointer_event(&event), 1);
    }
    const SDL_Event expose = window_event(SDL_WINDOWEVENT_EXPOSED);
    EXPECT_EQ(input_is_pointer_event(&expose), 0);
}

TEST(Input, ThroughTheWindowProcedureIntoEvents) {
    event_queue_clear();
    InputState input{};
    const SDL_Event events[] = {
        window_event(SDL_WINDOWEVENT_FOCUS_GAINED),
        button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT),
        button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT),
        motion_event(),
        key_event(SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE, 0),
        key_event(SDL_KEYUP, SDLK_y, SDL_SCANCODE_Y, 0),
        window_event(SDL_WINDOWEVENT_FOCUS_LOST),
    };
    for (const SDL_Event &event : events) {
        PlatformMessage message{};
        if (input_translate(&input, &event, -3, 25, &message) != 0) {
            window_proc(nullptr, message.message, message.wparam, message.lparam);
        }
    }
    AppEvent event{};
    ASSERT_EQ(event_queue_pop(&event), 1);
    EXPECT_EQ(event.type, EVENT_ACTIVATE);
    ASSERT_EQ(event_queue_pop(&event), 1);
    EXPECT_EQ(event.type, EVENT_BUTTON_DOWN);
    EXPECT_EQ(event.a, 0xFFFD0005u);  // x = -3, flags left and right
    EXPECT_EQ(event.b, 25u);
    ASSERT_EQ(event_queue_pop(&event), 1);
    EXPECT_EQ(event.type, EVENT_MOUSE_MOVE);
    EXPECT_EQ(event.a & 0xFFu, 5u);
    ASSERT_EQ(event_queue_pop(&event), 1);
    EXPECT_EQ(event.a, 0x2001u);
    ASSERT_EQ(event_queue_pop(&event), 1);
    EXPECT_EQ(event.a, 0x5900u);
    ASSERT_EQ(event_queue_pop(&event), 1);
    EXPECT_EQ(event.type, EVENT_DEACTIVATE);
    EXPECT_EQ(event_queue_pop(&event), 0);
}

}  // namespace

namespace {

TEST(WindowOrigin, CentreLessHalfTheWindowWithTruncatedHalves) {
    EXPECT_EQ(window_origin(1365, 768).left, 442);  // 682 - 240
    EXPECT_EQ(window_origin(1365, 768).top, 224);
    EXPECT_EQ(window_origin(1366, 767).left, 443);
    EXPECT_EQ(window_origin(1366, 767).top, 223);   // 383 - 160
    // A screen smaller than the window puts the corner off the screen, as computed.
    EXPECT_EQ(window_origin(300, 200).left, -90);
    EXPECT_EQ(window_origin(300, 200).top, -60);
    EXPECT_EQ(window_origin(479, 319).left, -1);
    EXPECT_EQ(window_origin(479, 319).top, -1);
}

}  // namespace
