// The gamepad mapping table, read back from the key events it queues: each button, the stick's
// dead zone, the repeat of held directions, the release on a loss of focus and merged pads.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "key_text.h"
#include "platform/gamepad.h"

namespace {

// The queued events as "+Key" for a press and "-Key" for a release, in order.
std::string drain() {
    std::string text;
    AppEvent event{};
    while (event_queue_pop(&event) != 0) {
        append_text(&text, event);
    }
    return text;
}

struct Pad {
    GamepadKeys keys{};
    uint32_t now = 1000;
    Pad() { gamepad_start(&keys, 400, 40); }
    std::string set(uint32_t buttons, float x = 0.0f, float y = 0.0f) {
        const GamepadState state{buttons, x, y};
        gamepad_update(&keys, &state, now);
        return drain();
    }
};

// Taps at the press for the buttons of both meanings (rotate or yes, slam or no), slam and quit;
// held keys for Start and the directions; nothing for the buttons without a use.
TEST(Gamepad, EachButtonSendsTheKeysOfItsRow) {
    const struct {
        uint32_t button;
        const char *press;
        const char *release;
    } rows[] = {
        {GAMEPAD_SOUTH, "+Up -Up +Y -Y", ""},
        {GAMEPAD_EAST, "+Space -Space +N -N", ""},
        {GAMEPAD_LEFT_SHOULDER, "+Space -Space", ""},
        {GAMEPAD_RIGHT_SHOULDER, "+Space -Space", ""},
        {GAMEPAD_LEFT_SHOULDER | GAMEPAD_RIGHT_SHOULDER, "+Space -Space", ""},
        {GAMEPAD_BACK, "+Esc -Esc", ""},
        {GAMEPAD_START, "+Pause", "-Pause"},
        {GAMEPAD_DPAD_LEFT, "+Left", "-Left"},
        {GAMEPAD_DPAD_RIGHT, "+Right", "-Right"},
        {GAMEPAD_DPAD_DOWN, "+Down", "-Down"},
        {GAMEPAD_DPAD_UP | GAMEPAD_WEST | GAMEPAD_NORTH | (1u << 6) | (1u << 7) | (1u << 16), "", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.button);
        Pad pad;
        EXPECT_EQ(pad.set(row.button), row.press);
        EXPECT_EQ(pad.set(row.button), "") << "held: no second press before the repeat";
        EXPECT_EQ(pad.set(0), row.release);
    }
}

// The stick counts from half way out and lets go inside 0.35; up means nothing; it joins the d-pad.
TEST(Gamepad, StickPassesTheDeadZoneAndLetsGoAtTheCentre) {
    Pad pad;
    EXPECT_EQ(pad.set(0, -0.49f, 0.3f), "");
    EXPECT_EQ(pad.set(0, -0.5f, 0.3f), "+Left");
    EXPECT_EQ(pad.set(0, -0.36f, 0.3f), "") << "still held outside the release line";
    EXPECT_EQ(pad.set(0, -0.34f, 0.3f), "-Left");
    EXPECT_EQ(pad.set(0, 0.0f, 0.0f), "");
    EXPECT_EQ(pad.set(0, 0.8f, 0.7f), "+Right +Down");
    EXPECT_EQ(pad.set(0, 0.0f, -1.0f), "-Right -Down");
    EXPECT_EQ(pad.set(0, 0.0f, 0.0f), "");
    EXPECT_EQ(pad.set(GAMEPAD_DPAD_LEFT, -0.9f), "+Left") << "d-pad and stick are one key";
    EXPECT_EQ(pad.set(0, -0.9f), "");
    EXPECT_EQ(pad.set(0, 0.0f), "-Left");
    EXPECT_EQ(pad.set(0, std::nanf(""), std::nanf("")), "") << "a value that is no number holds nothing";
}

// The first repeat after the delay, then one per interval; after a stall one, not a burst.
TEST(Gamepad, HeldDirectionsRepeatAtTheKeyboardsPace) {
    Pad pad;
    EXPECT_EQ(pad.set(GAMEPAD_DPAD_LEFT), "+Left");
    const struct {
        uint32_t now;
        const char *events;
    } steps[] = {{1399, ""}, {1400, "+Left"}, {1439, ""}, {1440, "+Left"}, {1600, "+Left"}, {1639, ""}, {1640, "+Left"}};
    for (const auto &step : steps) {
        pad.now = step.now;
        EXPECT_EQ(pad.set(GAMEPAD_DPAD_LEFT), step.events) << "at " << step.now;
    }
    EXPECT_EQ(pad.set(0), "-Left");
    EXPECT_EQ(pad.set(GAMEPAD_START), "+Pause");
    pad.now += 5000;
    EXPECT_EQ(pad.set(GAMEPAD_START), "") << "Start does not repeat";
}

// Without the focus the held keys are released; what is held then, also what was pressed
// meanwhile, counts again only once let go.
TEST(Gamepad, ReleaseLetsGoOfEverythingUntilItIsPressedAgain) {
    Pad pad;
    EXPECT_EQ(pad.set(GAMEPAD_START | GAMEPAD_SOUTH, 0.0f, 1.0f), "+Up -Up +Y -Y +Pause +Down");
    const GamepadState held{GAMEPAD_START | GAMEPAD_SOUTH, 0.0f, 1.0f};
    gamepad_release(&pad.keys, &held);
    EXPECT_EQ(drain(), "-Pause -Down");
    const GamepadState more{GAMEPAD_START | GAMEPAD_SOUTH | GAMEPAD_EAST, 0.0f, 1.0f};
    gamepad_release(&pad.keys, &more);
    EXPECT_EQ(drain(), "");
    EXPECT_EQ(pad.set(GAMEPAD_START | GAMEPAD_SOUTH | GAMEPAD_EAST, 0.0f, 1.0f), "");
    EXPECT_EQ(pad.set(GAMEPAD_SOUTH), "");
    EXPECT_EQ(pad.set(GAMEPAD_SOUTH | GAMEPAD_START, 0.0f, 1.0f), "+Pause +Down");
}

TEST(Gamepad, MergedPadsHoldEitherButtonsAndTheFurtherStick) {
    GamepadState merged{};
    const GamepadState first{GAMEPAD_SOUTH, -0.2f, 0.9f};
    const GamepadState second{GAMEPAD_START, 0.7f, -0.1f};
    gamepad_merge(&merged, &first);
    gamepad_merge(&merged, &second);
    EXPECT_EQ(merged.buttons, GAMEPAD_SOUTH | GAMEPAD_START);
    EXPECT_FLOAT_EQ(merged.stick_x, 0.7f);
    EXPECT_FLOAT_EQ(merged.stick_y, 0.9f);
}

}  // namespace
