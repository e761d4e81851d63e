// Gamepads through the real SDL layer: SDL's own virtual game controller, its buttons and stick
// set in this process, read by the layer's pass of poll_event into the event queue, and on
// through the main loop's rules for a whole game. Needs no display and no device.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

#include "key_text.h"
#include "loop_test_support.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_platform.h"

using namespace game_test;

namespace {

class SdlGamepad : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A repeat far beyond any test's length: the repeat is the mapping table's own test.
        ASSERT_TRUE(sdl_gamepad_start(600000, 600000)) << SDL_GetError();
    }

    void SetUp() override {
        main_window.input.active = 1;
        attach();
    }

    void TearDown() override {
        detach();
        pass();
    }

    void attach() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        device = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(device, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(device);
        ASSERT_NE(joystick, nullptr) << SDL_GetError();
        pass();  // the layer opens the pad when SDL reports it plugged in
        pass();
        ASSERT_NE(main_window.pads[0], nullptr) << "the layer did not open the pad";
    }

    void detach() {
        if (joystick != nullptr) {
            SDL_JoystickClose(joystick);
            SDL_JoystickDetachVirtual(device);
            joystick = nullptr;
        }
    }

    // One pass of the program's loop: poll_event until it has nothing more; the key events as text.
    static std::string pass() {
        std::string text;
        AppEvent event{};
        while (poll_event(&event) != 0) {
            append_text(&text, event);
        }
        return text;
    }

    std::string button(SDL_GameControllerButton which, bool down) {
        SDL_JoystickSetVirtualButton(joystick, which, down ? 1 : 0);
        return pass();
    }

    std::string axis(SDL_GameControllerAxis which, int16_t value) {
        SDL_JoystickSetVirtualAxis(joystick, which, value);
        return pass();
    }

    int device = -1;
    SDL_Joystick *joystick = nullptr;
};

// Each button of SDL's controller reaches the mapping as the button in the same place.
TEST_F(SdlGamepad, EachButtonHeldAndReleased) {
    const struct {
        SDL_GameControllerButton button;
        const char *press;
        const char *release;
    } rows[] = {
        {SDL_CONTROLLER_BUTTON_A, "+Up -Up +Y -Y", ""},
        {SDL_CONTROLLER_BUTTON_B, "+Space -Space +N -N", ""},
        {SDL_CONTROLLER_BUTTON_X, "", ""},
        {SDL_CONTROLLER_BUTTON_Y, "", ""},
        {SDL_CONTROLLER_BUTTON_BACK, "+Esc -Esc", ""},
        {SDL_CONTROLLER_BUTTON_GUIDE, "", ""},
        {SDL_CONTROLLER_BUTTON_START, "+Pause", "-Pause"},
        {SDL_CONTROLLER_BUTTON_LEFTSTICK, "", ""},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, "+Space -Space", ""},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, "+Space -Space", ""},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, "", ""},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "+Down", "-Down"},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, "+Left", "-Left"},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "+Right", "-Right"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(SDL_GameControllerGetStringForButton(row.button));
        EXPECT_EQ(button(row.button, true), row.press);
        EXPECT_EQ(pass(), "") << "held";
        EXPECT_EQ(button(row.button, false), row.release);
    }
}

// The left stick counts past half way and lets go near the centre; up and the right stick do nothing.
TEST_F(SdlGamepad, LeftStickThroughTheDeadZone) {
    EXPECT_EQ(axis(SDL_CONTROLLER_AXIS_LEFTX, -16000), "");
    EXPECT_EQ(axis(SDL_CONTROLLER_AXIS_LEFTX, -17000), "+Left");
    EXPECT_EQ(axis(SDL_CONTROLLER_AXIS_LEFTX, -12000), "");
    EXPECT_EQ(axis(SDL_CONTROLLER_AXIS_LEFTX, -11000), "-Left");
    EXPECT_EQ(axis(SDL_CONTROLLER_AXIS_LEFTX, 32767), "+Right");
    EXPECT_EQ(axis(SDL_CONTROLLER_AXIS_LEFTX, 0), "-Right");
    EXPECT_EQ(axis(SDL_CONTROLLER_AXIS_LEFTY, 30000), "+Down");
    EXPECT_EQ(axis(SDL_CONTROLLER_AXIS_LEFTY, -32768), "-Down");
    EXPECT_EQ(axis(SDL_CONTROLLER_AXIS_LEFTY, 0), "");
    EXPECT_EQ(axis(SDL_CONTROLLER_AXIS_RIGHTX, -32768), "");
    EXPECT_EQ(axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767), "");
}

// A pad pulled out lets go of what it held; one plugged in is taken up; a window without the
// focus lets go of everything, and a button held through that counts again once pressed anew.
TEST_F(SdlGamepad, HotPlugAndFocus) {
    EXPECT_EQ(button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true), "+Left");
    detach();
    EXPECT_EQ(pass(), "-Left");
    EXPECT_EQ(main_window.pads[0], nullptr);
    attach();
    EXPECT_EQ(button(SDL_CONTROLLER_BUTTON_START, true), "+Pause");
    main_window.input.active = 0;
    EXPECT_EQ(pass(), "-Pause");
    EXPECT_EQ(button(SDL_CONTROLLER_BUTTON_A, true), "");
    main_window.input.active = 1;
    EXPECT_EQ(pass(), "");
    EXPECT_EQ(button(SDL_CONTROLLER_BUTTON_START, false), "");
    EXPECT_EQ(button(SDL_CONTROLLER_BUTTON_START, true), "+Pause");
    EXPECT_EQ(button(SDL_CONTROLLER_BUTTON_START, false), "-Pause");
    EXPECT_EQ(button(SDL_CONTROLLER_BUTTON_A, false), "");
}

// Start starts, and pauses and goes on during play; the d-pad and stick move, A turns, held
// down falls faster, B slams; after the game A plays again and B says no, which ends the
// program. All through the loop's own rules.
TEST_F(SdlGamepad, PlaysWholeGames) {
    Recorder window;
    LoopState loop{};
    GameState state{};
    uint32_t clock = 0;
    game_start(&state, 7);
    loop_start(&loop, clock);
    const auto step = [&] {  // one pass of the loop, a tick's time after the last
        clock += 17;
        loop_begin_pass(&loop);
        AppEvent event{};
        while (poll_event(&event) != 0) {
            loop_handle_event(&loop, &state, &event, &window.hooks);
        }
        loop_run_tick(&loop, &state, clock, &window.hooks);
    };
    const auto set = [&](SDL_GameControllerButton which, bool down) {
        SDL_JoystickSetVirtualButton(joystick, which, down ? 1 : 0);
        step();
    };
    const auto tap = [&](SDL_GameControllerButton which) {
        set(which, true);
        set(which, false);
    };
    const auto until = [&](GameMode modes) {
        for (int n = 0; n < 5000 && (state.mode & modes) == 0; ++n) {
            step();
        }
        ASSERT_NE(state.mode & modes, 0) << "mode " << state.mode;
    };
    // Slams every piece until the well is full.
    const auto slam_to_the_end = [&] {
        for (int n = 0; n < 5000 && state.mode != MODE_GAME_OVER; ++n) {
            until(MODE_FALLING | MODE_GAME_OVER);
            if (state.mode == MODE_FALLING) {
                tap(SDL_CONTROLLER_BUTTON_B);
            }
        }
        ASSERT_EQ(state.mode, MODE_GAME_OVER);
    };

    until(MODE_WAIT_START);
    set(SDL_CONTROLLER_BUTTON_START, true);
    EXPECT_EQ(state.mode, MODE_WAIT_START) << "Start starts when it is let go";
    set(SDL_CONTROLLER_BUTTON_START, false);
    EXPECT_EQ(state.mode, MODE_FALLING);
    for (int n = 0; n < 30; ++n) {
        step();  // into the well
    }
    tap(SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(state.mode, MODE_PAUSED) << "Start pauses during play";
    const uint32_t paused_at = state.ticks;
    for (int n = 0; n < 10; ++n) {
        step();
    }
    EXPECT_EQ(state.ticks, paused_at);
    tap(SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(state.mode, MODE_FALLING) << "and goes on at its next press";
    const int32_t column = state.current.column;
    tap(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    EXPECT_EQ(state.current.column, column - 1);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, 32767);
    step();
    EXPECT_EQ(state.current.column, column);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, 0);
    step();
    const int32_t rotation = state.current.rotation;
    tap(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(state.current.rotation, (rotation + 3) % 4);
    set(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    EXPECT_EQ(state.soft_drop, 1);
    set(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
    EXPECT_EQ(state.soft_drop, 0);
    set(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
    EXPECT_EQ(state.mode & (MODE_SLAM | MODE_SETTLE | MODE_CLEARING), state.mode) << "slammed";
    set(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false);

    slam_to_the_end();
    set(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(state.mode, MODE_WAIT_START) << "yes: a new game waits for its start";
    EXPECT_EQ(state.score, 0);
    set(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(state.mode, MODE_WAIT_START);
    tap(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(state.mode & (MODE_FALLING | MODE_LANDED), state.mode) << "A starts the game too";

    slam_to_the_end();
    set(SDL_CONTROLLER_BUTTON_B, true);
    EXPECT_EQ(state.mode, MODE_QUIT) << "no";
    set(SDL_CONTROLLER_BUTTON_B, false);
}

}  // namespace
