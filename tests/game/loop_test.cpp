// The loop's event and key tables, the pause rules, window dragging and the tick timing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "game_test_support.h"

using namespace game_test;

namespace {

enum class Effect { NOTHING, ROTATE, LEFT, RIGHT, FASTER, SLAM, QUIT };

// A falling piece in the open middle of the well, so that every move succeeds.
GameState open_falling_state() {
    GameState state = fresh_state(7, MODE_FALLING);
    state.current = piece(0, 0, 3, 5.0f);
    return state;
}

struct Harness {
    Recorder window;
    LoopState loop{};
    GameState state = open_falling_state();

    Harness() { loop_start(&loop, 0); }
    void send(const AppEvent &event) { loop_handle_event(&loop, &state, &event, &window.hooks); }
};

Effect key_down_effect(uint8_t code) {
    Harness h;
    const GameState before = h.state;
    h.send(key_down(code));
    const GameState &after = h.state;
    if (after.mode == MODE_QUIT) return Effect::QUIT;
    if (after.mode == MODE_SLAM) return Effect::SLAM;
    if (after.soft_drop == 1) return Effect::FASTER;
    if (after.current.column == 2 && after.shift_held == 1) return Effect::LEFT;
    if (after.current.column == 4 && after.shift_held == 1) return Effect::RIGHT;
    if (after.current.rotation == 3 && after.shift_held == 1) return Effect::ROTATE;
    EXPECT_TRUE(same_record(before, after)) << "code " << int(code);
    return Effect::NOTHING;
}

const std::map<int, Effect> KEY_DOWN_EXPECTED = {
    {0x0C, Effect::ROTATE}, {0x26, Effect::ROTATE}, {0x35, Effect::ROTATE}, {0x38, Effect::ROTATE},
    {0x65, Effect::ROTATE}, {0x68, Effect::ROTATE}, {0x25, Effect::LEFT},   {0x34, Effect::LEFT},
    {0x64, Effect::LEFT},   {0x27, Effect::RIGHT},  {0x36, Effect::RIGHT},  {0x66, Effect::RIGHT},
    {0x28, Effect::FASTER}, {0x32, Effect::FASTER}, {0x62, Effect::FASTER}, {0x20, Effect::SLAM},
    {0x22, Effect::SLAM},   {0x33, Effect::SLAM},   {0x63, Effect::SLAM},   {0x1B, Effect::QUIT},
    {0x51, Effect::QUIT},   {0x58, Effect::QUIT},   {0x71, Effect::QUIT},   {0x78, Effect::QUIT},
};

const int MOVE_CODES[] = {0x0C, 0x25, 0x26, 0x27, 0x34, 0x35, 0x36, 0x38, 0x64, 0x65, 0x66, 0x68};
const int FASTER_CODES[] = {0x28, 0x32, 0x62};

}  // namespace

TEST(KeyDown, EveryCodeActsByItsGroupAndNoOtherCodeActs) {
    for (int code = 0; code < 256; ++code) {
        const auto found = KEY_DOWN_EXPECTED.find(code);
        const Effect expected = found == KEY_DOWN_EXPECTED.end() ? Effect::NOTHING : found->second;
        EXPECT_EQ(key_down_effect(static_cast<uint8_t>(code)), expected) << "code " << code;
    }
}

TEST(KeyDown, OnlyBits8To15CarryTheCode) {
    Harness h;
    AppEvent event = key_down(0x25);
    event.a |= 0xABCD0000u;  // bits nobody reads
    event.b = 0xFFFFFFFFu;
    h.send(event);
    EXPECT_EQ(h.state.current.column, 2);
}

TEST(KeyUp, MoveAndFasterReleasesClearTheirFlagsAndTheGuard) {
    for (int code = 0; code < 256; ++code) {
        Harness h;
        h.state.key_guard = 1;
        h.state.shift_held = 1;
        h.state.soft_drop = 1;
        h.send(key_up(static_cast<uint8_t>(code)));
        const bool move = std::count(std::begin(MOVE_CODES), std::end(MOVE_CODES), code) > 0;
        const bool faster = std::count(std::begin(FASTER_CODES), std::end(FASTER_CODES), code) > 0;
        EXPECT_EQ(h.state.key_guard, move || faster ? 0 : 1) << code;
        EXPECT_EQ(h.state.shift_held, move ? 0 : 1) << code;
        EXPECT_EQ(h.state.soft_drop, faster ? 0 : 1) << code;
        EXPECT_EQ(h.state.mode, MODE_FALLING) << code;
    }
}

TEST(KeyUp, OnlyYesAndNoReleasesAnswerThePlayAgainQuestion) {
    for (int code = 0; code < 256; ++code) {
        Harness h;
        h.state.mode = MODE_GAME_OVER;
        h.state.score = 1234;
        h.state.board[19][0] = 0x3F;
        h.send(key_down(static_cast<uint8_t>(code)));  // a press never answers
        const bool quit_key = KEY_DOWN_EXPECTED.count(code) && KEY_DOWN_EXPECTED.at(code) == Effect::QUIT;
        if (quit_key) {
            EXPECT_EQ(h.state.mode, MODE_QUIT);
            continue;
        }
        EXPECT_EQ(h.state.mode, MODE_GAME_OVER) << code;
        h.send(key_up(static_cast<uint8_t>(code)));
        if (code == 0x59 || code == 0x79) {
            EXPECT_EQ(h.state.mode, MODE_WAIT_START);
            EXPECT_EQ(h.state.score, 0);
            EXPECT_EQ(h.state.board[19][0], 0);
        } else if (code == 0x4E || code == 0x6E) {
            EXPECT_EQ(h.state.mode, MODE_QUIT);
        } else {
            EXPECT_EQ(h.state.mode, MODE_GAME_OVER) << code;
            EXPECT_EQ(h.state.score, 1234);
        }
    }
}

TEST(KeyUp, YesStartsANewGameWhoseFallTheNextReleaseStarts) {
    Harness h;
    h.state.mode = MODE_GAME_OVER;
    h.state.soft_drop = 1;  // a faster key held across the answer stays in force
    h.send(key_up(0x59));
    EXPECT_EQ(h.state.mode, MODE_WAIT_START);
    EXPECT_EQ(h.state.soft_drop, 1);
    h.send(key_up(0x10));  // Shift: in no table, still starts the fall
    EXPECT_EQ(h.state.mode, MODE_FALLING);
    EXPECT_EQ(h.state.ticks, 0u);
}

TEST(KeyUp, AnyReleaseStartsTheFallAndFasterStillClearsItsFlags) {
    Harness h;
    h.state.mode = MODE_WAIT_START;
    h.state.ticks = 77;
    h.state.key_guard = 1;
    h.state.soft_drop = 1;
    h.send(key_up(0x28));
    EXPECT_EQ(h.state.mode, MODE_FALLING);
    EXPECT_EQ(h.state.ticks, 0u);
    EXPECT_EQ(h.state.key_guard, 0);
    EXPECT_EQ(h.state.soft_drop, 0);
    // A press in the waiting mode does not start anything.
    Harness pressed;
    pressed.state.mode = MODE_WAIT_START;
    pressed.send(key_down(0x41));
    EXPECT_EQ(pressed.state.mode, MODE_WAIT_START);
}

TEST(KeyDown, GuardStopsMovesAndFasterButNotTheHeldFlagOrSlam) {
    Harness h;
    h.state.key_guard = 1;
    for (uint8_t code : {0x25, 0x27, 0x26, 0x28}) {
        h.send(key_down(code));
    }
    EXPECT_EQ(h.state.current.column, 3);
    EXPECT_EQ(h.state.current.rotation, 0);
    EXPECT_EQ(h.state.shift_held, 1);
    EXPECT_EQ(h.state.soft_drop, 0);
    h.send(key_down(0x20));
    EXPECT_EQ(h.state.mode, MODE_SLAM);
    EXPECT_EQ(h.state.ticks, 0u);
}

TEST(KeyDown, SlamOnlyWhileFalling) {
    for (GameMode mode : {MODE_INTRO, MODE_WAIT_START, MODE_LANDED, MODE_SETTLE, MODE_CLEARING,
                          MODE_GAME_OVER, MODE_PAUSED, MODE_SLAM}) {
        Harness h;
        h.state.mode = mode;
        h.state.ticks = 5;
        h.send(key_down(0x20));
        EXPECT_EQ(h.state.mode, mode);
        EXPECT_EQ(h.state.ticks, 5u);
    }
}

TEST(KeyDown, QuitFromEveryModeAndMovesSetTheHeldFlagEverywhere) {
    for (GameMode mode : {MODE_INTRO, MODE_WAIT_START, MODE_FALLING, MODE_PAUSED, MODE_CLEARING,
                          MODE_SLAM, MODE_LANDED, MODE_SETTLE, MODE_GAME_OVER}) {
        Harness h;
        h.state.mode = mode;
        h.send(key_down(0x64));
        EXPECT_EQ(h.state.shift_held, 1);
        EXPECT_EQ(h.state.current.column, (mode & (MODE_FALLING | MODE_LANDED)) ? 2 : 3) << mode;
        h.send(key_down(0x1B));
        EXPECT_EQ(h.state.mode, MODE_QUIT) << mode;
    }
}

TEST(KeyDown, HeldLeftKeyRepeatsUntilTheNextSpawn) {
    Harness h;
    for (int i = 0; i < 2; ++i) {
        h.send(key_down(0x25));  // auto-repeat
    }
    EXPECT_EQ(h.state.current.column, 1);
    h.state.mode = MODE_SETTLE;
    h.state.queue[0] = piece(0, 0, 3, -3.0f);
    piece_advance_queue(&h.state);
    ASSERT_EQ(h.state.key_guard, 1);
    h.send(key_down(0x25));
    EXPECT_EQ(h.state.current.column, 3);
    h.send(key_up(0x66));  // releasing any move key, even another one, lifts the guard
    h.send(key_down(0x25));
    EXPECT_EQ(h.state.current.column, 2);
}

TEST(Pause, DeactivateSavesTheModeAndDrawsOnce) {
    Harness h;
    h.send(plain_event(EVENT_DEACTIVATE));
    EXPECT_EQ(h.state.mode, MODE_PAUSED);
    EXPECT_EQ(h.state.saved_mode, MODE_FALLING);
    EXPECT_EQ(h.window.frames, 1);
    EXPECT_EQ(h.window.last_frame_mode, MODE_PAUSED);
    h.send(plain_event(EVENT_DEACTIVATE));  // already paused: nothing
    EXPECT_EQ(h.state.saved_mode, MODE_FALLING);
    EXPECT_EQ(h.window.frames, 1);
    h.send(plain_event(EVENT_PAINT));
    EXPECT_EQ(h.window.frames, 2);
    h.send(plain_event(EVENT_ACTIVATE));
    EXPECT_EQ(h.state.mode, MODE_FALLING);
    h.send(plain_event(EVENT_PAINT));  // not paused: the next tick draws
    EXPECT_EQ(h.window.frames, 2);
}

TEST(Pause, ActivateWithoutAPauseKeepsTheGameWhereItIs) {
    // A stale saved mode must not come back: here it would restart the fall of a locked piece.
    Harness h;
    h.state.mode = MODE_SETTLE;
    h.state.saved_mode = MODE_FALLING;
    h.send(plain_event(EVENT_ACTIVATE));
    EXPECT_EQ(h.state.mode, MODE_SETTLE);
    h.send(plain_event(EVENT_DEACTIVATE));
    h.send(plain_event(EVENT_ACTIVATE));
    h.send(plain_event(EVENT_ACTIVATE));  // a repeated activate changes nothing either
    EXPECT_EQ(h.state.mode, MODE_SETTLE);
}

TEST(Pause, QuitStaysQuitThroughLaterActivationEvents) {
    Harness closed;
    closed.send(plain_event(EVENT_CLOSE));
    closed.send(plain_event(EVENT_DEACTIVATE));
    EXPECT_EQ(closed.state.mode, MODE_QUIT);
    EXPECT_EQ(closed.window.frames, 0);
    closed.send(plain_event(EVENT_ACTIVATE));
    EXPECT_EQ(closed.state.mode, MODE_QUIT);

    Harness paused;  // quit while paused: a later activate must not resume the game
    paused.send(plain_event(EVENT_DEACTIVATE));
    paused.send(key_down(0x51));
    paused.send(plain_event(EVENT_ACTIVATE));
    EXPECT_EQ(paused.state.mode, MODE_QUIT);
}

TEST(Events, ButtonUpResizeAndUnknownTypesChangeNothing) {
    Harness h;
    const GameState before = h.state;
    for (const AppEvent &event : {mouse_event(EVENT_BUTTON_UP, 1, 5, 5), AppEvent{EVENT_RESIZE, nullptr, 480, 320},
                                  plain_event(EVENT_NONE), plain_event(42), plain_event(-1)}) {
        h.send(event);
    }
    EXPECT_TRUE(same_record(before, h.state));
    EXPECT_EQ(h.window.frames, 0);
    EXPECT_TRUE(h.window.moves.empty());
}

TEST(Drag, MovesTheWindowByThePointerTravel) {
    Harness h;
    loop_begin_pass(&h.loop);
    h.send(mouse_event(EVENT_BUTTON_DOWN, EVENT_BUTTON_LEFT, 10, 20));
    EXPECT_EQ(h.loop.drag_x, 110);
    EXPECT_EQ(h.loop.drag_y, 120);
    h.send(mouse_event(EVENT_MOUSE_MOVE, EVENT_BUTTON_LEFT, 15, 22));
    ASSERT_EQ(h.window.moves.size(), 1u);
    EXPECT_EQ(h.window.rect.left, 105);
    EXPECT_EQ(h.window.rect.top, 102);
    EXPECT_EQ(h.window.rect.right - h.window.rect.left, 482);
    EXPECT_EQ(h.window.rect.bottom - h.window.rect.top, 326);
    EXPECT_EQ(h.loop.drag_x, 115);
    EXPECT_EQ(h.loop.drag_y, 122);
    // A second move in the same pass is dropped, anchor included.
    h.send(mouse_event(EVENT_MOUSE_MOVE, EVENT_BUTTON_LEFT, 40, 40));
    EXPECT_EQ(h.window.moves.size(), 1u);
    EXPECT_EQ(h.loop.drag_x, 115);
    // Next pass: the pointer at rest on the screen (client 10, 20 now) leaves the window put.
    loop_begin_pass(&h.loop);
    h.send(mouse_event(EVENT_MOUSE_MOVE, EVENT_BUTTON_LEFT, 10, 20));
    ASSERT_EQ(h.window.moves.size(), 2u);
    EXPECT_EQ(h.window.rect.left, 105);
    EXPECT_EQ(h.window.rect.top, 102);
}

TEST(Drag, NeedsTheLeftButtonAndAnAnchorFromAPressInTheWindow) {
    Harness h;
    loop_begin_pass(&h.loop);
    h.send(mouse_event(EVENT_MOUSE_MOVE, EVENT_BUTTON_LEFT, 50, 50));  // press began elsewhere
    h.send(mouse_event(EVENT_BUTTON_DOWN, EVENT_BUTTON_RIGHT, 10, 10));  // not the left button
    h.send(mouse_event(EVENT_MOUSE_MOVE, EVENT_BUTTON_LEFT | EVENT_BUTTON_RIGHT, 60, 60));
    EXPECT_TRUE(h.window.moves.empty());
    EXPECT_EQ(h.loop.drag_anchored, 0);
    h.send(mouse_event(EVENT_BUTTON_DOWN, EVENT_BUTTON_LEFT, 0, 0));
    h.send(mouse_event(EVENT_MOUSE_MOVE, EVENT_BUTTON_RIGHT, 60, 60));  // left button up
    EXPECT_TRUE(h.window.moves.empty());
    h.send(mouse_event(EVENT_MOUSE_MOVE, EVENT_BUTTON_LEFT | EVENT_BUTTON_MIDDLE, 3, 4));
    ASSERT_EQ(h.window.moves.size(), 1u);
    EXPECT_EQ(h.window.rect.left, 103);
    EXPECT_EQ(h.window.rect.top, 104);
}

TEST(Drag, PointerLeftOfAndAboveTheWindowIsReadAsNegative) {
    Harness h;
    loop_begin_pass(&h.loop);
    h.send(mouse_event(EVENT_BUTTON_DOWN, EVENT_BUTTON_LEFT, 0, 0));
    // Client (-1, -2), packed as 16-bit words; the high bits of b carry nothing.
    AppEvent move = mouse_event(EVENT_MOUSE_MOVE, EVENT_BUTTON_LEFT, 0xFFFF, 0xFFFE);
    move.b |= 0xFFFF0000u;
    h.send(move);
    ASSERT_EQ(h.window.moves.size(), 1u);
    EXPECT_EQ(h.window.rect.left, 100 - 1);
    EXPECT_EQ(h.window.rect.top, 100 - 2);
}

TEST(TickRule, RunsAfterMoreThan16MsAtMostOncePerPass) {
    Harness h;
    loop_start(&h.loop, 1000);
    EXPECT_EQ(loop_run_tick(&h.loop, &h.state, 1016, &h.window.hooks), 0);
    EXPECT_EQ(loop_wait_time(&h.loop, &h.state, 1016), 1u);
    EXPECT_EQ(loop_wait_time(&h.loop, &h.state, 1000), 17u);
    EXPECT_EQ(h.window.frames, 0);
    EXPECT_EQ(h.state.ticks, 0u);
    EXPECT_EQ(loop_run_tick(&h.loop, &h.state, 1017, &h.window.hooks), 1);
    EXPECT_EQ(h.window.frames, 1);
    EXPECT_EQ(h.state.ticks, 1u);
    EXPECT_EQ(h.loop.last_tick_time, 1017u);
    EXPECT_EQ(loop_run_tick(&h.loop, &h.state, 1017, &h.window.hooks), 0);
    // A stall of 200 ms: one tick, and the timing starts again from that moment.
    EXPECT_EQ(loop_wait_time(&h.loop, &h.state, 1217), 0u);
    EXPECT_EQ(loop_run_tick(&h.loop, &h.state, 1217, &h.window.hooks), 1);
    EXPECT_EQ(loop_run_tick(&h.loop, &h.state, 1230, &h.window.hooks), 0);
    EXPECT_EQ(h.state.ticks, 2u);
}

TEST(TickRule, SurvivesTheWrapOfTheClock) {
    Harness h;
    loop_start(&h.loop, 0xFFFFFFF5u);
    EXPECT_EQ(loop_run_tick(&h.loop, &h.state, 5, &h.window.hooks), 0);   // 16 ms later
    EXPECT_EQ(loop_wait_time(&h.loop, &h.state, 5), 1u);
    EXPECT_EQ(loop_run_tick(&h.loop, &h.state, 6, &h.window.hooks), 1);   // 17 ms later
    EXPECT_EQ(h.loop.last_tick_time, 6u);
}

TEST(TickRule, NoTicksWhilePausedOrQuitting) {
    for (GameMode mode : {MODE_PAUSED, MODE_QUIT}) {
        Harness h;
        h.state.mode = mode;
        loop_start(&h.loop, 0);
        EXPECT_EQ(loop_run_tick(&h.loop, &h.state, 5000, &h.window.hooks), 0);
        EXPECT_EQ(loop_wait_time(&h.loop, &h.state, 5000), UINT32_MAX);
        EXPECT_EQ(h.state.ticks, 0u);
        EXPECT_EQ(h.window.frames, 0);
        EXPECT_EQ(h.loop.last_tick_time, 0u);
    }
}

TEST(StartUp, FirstGameBeginsInTheIntroWithClearedFlags) {
    GameState state{};
    state.shift_held = 1;
    state.soft_drop = 1;
    state.key_guard = 1;
    loop_start_game(&state, 1);
    EXPECT_EQ(state.mode, MODE_INTRO);
    EXPECT_EQ(state.saved_mode, MODE_INTRO);
    EXPECT_EQ(state.shift_held, 0);
    EXPECT_EQ(state.soft_drop, 0);
    EXPECT_EQ(state.key_guard, 0);
    EXPECT_EQ(state.current.kind, 6);  // seed 1: rand() 41
    EXPECT_EQ(state.cleared_rows[3], -1);
    LoopState loop{};
    loop.drag_anchored = 1;
    loop_start(&loop, 77);
    EXPECT_EQ(loop.last_tick_time, 77u);
    EXPECT_EQ(loop.drag_anchored, 0);
}
