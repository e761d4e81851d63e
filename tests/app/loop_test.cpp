// The loop's event and key tables, the pause rules, window dragging and the tick timing.
#include <gtest/gtest.h>

#include <map>

#include "loop_test_support.h"

using namespace game_test;

namespace {

enum class Group { NONE, ROTATE, LEFT, RIGHT, FASTER, SLAM, QUIT, YES, NO, PAUSE };

// Every virtual-key code any rule looks at: the keypad with NumLock on and off, the digits, the answers.
const std::map<int, Group> KEYS = {
    {0x0C, Group::ROTATE}, {0x26, Group::ROTATE}, {0x35, Group::ROTATE}, {0x38, Group::ROTATE},
    {0x65, Group::ROTATE}, {0x68, Group::ROTATE}, {0x25, Group::LEFT},   {0x34, Group::LEFT},
    {0x64, Group::LEFT},   {0x27, Group::RIGHT},  {0x36, Group::RIGHT},  {0x66, Group::RIGHT},
    {0x28, Group::FASTER}, {0x32, Group::FASTER}, {0x62, Group::FASTER}, {0x20, Group::SLAM},
    {0x22, Group::SLAM},   {0x33, Group::SLAM},   {0x63, Group::SLAM},   {0x1B, Group::QUIT},
    {0x51, Group::QUIT},   {0x58, Group::QUIT},   {0x71, Group::QUIT},   {0x78, Group::QUIT},
    {0x59, Group::YES},    {0x79, Group::YES},    {0x4E, Group::NO},     {0x6E, Group::NO},
    {0x50, Group::PAUSE},  {0x13, Group::PAUSE},
};

constexpr GameMode EVERY_MODE[] = {MODE_INTRO, MODE_WAIT_START, MODE_FALLING, MODE_PAUSED, MODE_CLEARING,
                                   MODE_SLAM,  MODE_LANDED,     MODE_SETTLE,  MODE_GAME_OVER, MODE_QUIT};

Group group_of(int code) {
    const auto found = KEYS.find(code);
    return found == KEYS.end() ? Group::NONE : found->second;
}

struct Harness {
    Recorder window;
    LoopState loop{};
    GameState state = fresh_state(7, MODE_FALLING);

    Harness() {
        loop_start(&loop, 0);
        state.current = piece(0, 0, 3, 5.0f);  // in the open middle of the well: every move succeeds
    }
    void send(const AppEvent &event) { loop_handle_event(&loop, &state, &event, &window.hooks); }
    int tick(uint32_t now) { return loop_run_tick(&loop, &state, now, &window.hooks); }
};

}  // namespace

// Every code of the key-down and key-up tables does exactly its group's change and no other code acts
// (and loop_uses_key names exactly these codes); only bits 8 to 15 of a key event carry the code.
TEST(Keys, EveryCodeActsByItsGroupOnPressAndRelease) {
    const auto noisy = [](AppEvent event) {
        event.a |= 0xABCD0000u;
        event.b = 0xFFFFFFFFu;
        return event;
    };
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(testing::Message() << "code " << code);
        const auto key = static_cast<uint8_t>(code);
        const Group group = group_of(code);
        const bool move = group == Group::ROTATE || group == Group::LEFT || group == Group::RIGHT;
        EXPECT_EQ(loop_uses_key(static_cast<uint32_t>(code)), group != Group::NONE);

        Harness down;  // a press while falling
        down.state.ticks = 5;
        GameState expected = down.state;
        down.send(noisy(key_down(key)));
        expected.shift_held = move ? 1 : 0;
        expected.current.rotation = group == Group::ROTATE ? 3 : 0;
        expected.current.column = group == Group::LEFT ? 2 : group == Group::RIGHT ? 4 : 3;
        expected.soft_drop = group == Group::FASTER ? 1 : 0;
        if (group == Group::SLAM || group == Group::QUIT) {
            expected.mode = group == Group::SLAM ? MODE_SLAM : MODE_QUIT;
            expected.ticks = group == Group::SLAM ? 0 : 5;
        }
        if (group == Group::PAUSE) {
            expected.mode = MODE_PAUSED;
            expected.saved_mode = MODE_FALLING;
        }
        EXPECT_TRUE(same_record(down.state, expected));
        EXPECT_EQ(down.window.frames, group == Group::PAUSE ? 1 : 0);

        Harness up;  // a release while falling with every flag up
        up.state.key_guard = up.state.shift_held = up.state.soft_drop = 1;
        up.send(noisy(key_up(key)));
        EXPECT_EQ(up.state.key_guard, move || group == Group::FASTER ? 0 : 1);
        EXPECT_EQ(up.state.shift_held, move ? 0 : 1);
        EXPECT_EQ(up.state.soft_drop, group == Group::FASTER ? 0 : 1);
        EXPECT_EQ(up.state.mode, MODE_FALLING);

        Harness wait;  // any release starts the fall from the waiting mode
        wait.state.mode = MODE_WAIT_START;
        wait.state.ticks = 77;
        wait.send(key_up(key));
        EXPECT_EQ(wait.state.mode, MODE_FALLING);
        EXPECT_EQ(wait.state.ticks, 0u);

        Harness over;  // only the release of yes or no answers the play-again question
        over.state.mode = MODE_GAME_OVER;
        over.state.score = 1234;
        over.state.board[19][0] = 0x3F;
        over.state.soft_drop = 1;  // a held faster key stays in force through the answer
        over.send(key_down(key));
        EXPECT_EQ(over.state.mode, group == Group::QUIT ? MODE_QUIT : MODE_GAME_OVER);
        if (group == Group::QUIT) {
            continue;
        }
        over.send(key_up(key));
        EXPECT_EQ(over.state.mode, group == Group::YES  ? MODE_WAIT_START
                                   : group == Group::NO ? MODE_QUIT
                                                        : MODE_GAME_OVER);
        EXPECT_EQ(over.state.score, group == Group::YES ? 0 : 1234);
        EXPECT_EQ(over.state.board[19][0], group == Group::YES ? 0 : 0x3F);
        EXPECT_EQ(over.state.soft_drop, group == Group::FASTER ? 0 : 1);
    }
}

// In every mode: a move key sets the held flag (moving or turning only when falling or landed), slam acts only
// when falling, quit always quits, and no press starts the fall from the waiting mode.
TEST(Keys, MovesSlamAndQuitInEveryMode) {
    for (GameMode mode : EVERY_MODE) {
        SCOPED_TRACE(mode);
        Harness h;
        h.state.mode = mode;
        h.state.ticks = 5;
        h.send(key_down(0x64));
        EXPECT_EQ(h.state.shift_held, 1);
        h.send(key_down(0x68));
        const bool moves = (mode & (MODE_FALLING | MODE_LANDED)) != 0;
        EXPECT_TRUE(same_piece(h.state.current, moves ? piece(0, 3, 2, 5.0f) : piece(0, 0, 3, 5.0f)));
        h.send(key_down(0x20));
        EXPECT_EQ(h.state.mode, mode == MODE_FALLING ? MODE_SLAM : mode);
        EXPECT_EQ(h.state.ticks, mode == MODE_FALLING ? 0u : 5u);
        h.send(key_down(0x1B));
        EXPECT_EQ(h.state.mode, MODE_QUIT);
    }
}

// A held key repeats until the next spawn raises the guard; the guard stops moves and the faster key
// but not the held flag or a slam; releasing any move key lifts it.
TEST(Keys, HeldKeysAndTheSpawnGuard) {
    Harness h;
    h.send(key_down(0x25));
    h.send(key_down(0x25));  // auto-repeat
    EXPECT_EQ(h.state.current.column, 1);
    h.state.mode = MODE_SETTLE;
    h.state.queue[0] = piece(0, 0, 3, -3.0f);
    piece_advance_queue(&h.state);
    ASSERT_EQ(h.state.key_guard, 1);
    h.state.shift_held = 0;
    for (uint8_t code : {0x25, 0x27, 0x26, 0x28}) {
        h.send(key_down(code));
    }
    EXPECT_TRUE(same_piece(h.state.current, piece(0, 0, 3, -3.0f)));
    EXPECT_EQ(h.state.shift_held, 1);
    EXPECT_EQ(h.state.soft_drop, 0);
    h.send(key_up(0x66));  // even another move key
    h.send(key_down(0x25));
    EXPECT_EQ(h.state.current.column, 2);
    h.state.key_guard = 1;
    h.state.ticks = 5;
    h.send(key_down(0x20));
    EXPECT_EQ(h.state.mode, MODE_SLAM);
    EXPECT_EQ(h.state.ticks, 0u);
}

// Deactivate pauses once and draws the paused frame; paint draws only while paused; activate resumes.
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

// A pause key pauses a game in play as a deactivate does (held keys released, the mode saved, the
// paused frame drawn), its auto-repeat changes nothing, and its next press goes on. In the intro,
// on the welcome screen (whose any-key rule its release still meets), at the question, during
// the window's pause and when quitting it does nothing.
TEST(Pause, PauseKeysPauseAGameInPlayUntilTheirNextPress) {
    for (GameMode mode : EVERY_MODE) {
        SCOPED_TRACE(mode);
        Harness h;
        h.state.mode = mode;
        h.state.saved_mode = MODE_INTRO;
        h.state.soft_drop = h.state.key_guard = 1;
        const bool in_play = (mode & (MODE_FALLING | MODE_SLAM | MODE_LANDED | MODE_SETTLE | MODE_CLEARING)) != 0;
        const GameMode paused = in_play ? MODE_PAUSED : mode;
        h.send(key_down(0x50));
        h.send(key_down(0x50));  // auto-repeat
        EXPECT_EQ(h.state.mode, paused);
        EXPECT_EQ(h.state.saved_mode, in_play ? mode : MODE_INTRO);
        EXPECT_EQ(h.state.soft_drop + h.state.key_guard, in_play ? 0 : 2);
        EXPECT_EQ(h.window.frames, in_play ? 1 : 0);
        EXPECT_EQ(h.window.last_frame_mode, in_play ? MODE_PAUSED : 0);
        h.send(key_up(0x50));
        EXPECT_EQ(h.state.mode, mode == MODE_WAIT_START ? MODE_FALLING : paused);
        if (mode != MODE_WAIT_START) {
            h.send(key_down(0x13));
            EXPECT_EQ(h.state.mode, mode);
            EXPECT_EQ(h.window.frames, in_play ? 1 : 0);
        }
    }
}

// A pause key held while the window lost the focus counts as let go (its key-up went to the other
// window); a quit during the player's pause stays a quit when the window is active again.
TEST(Pause, PauseKeyLetGoElsewhereAndQuitWhilePaused) {
    Harness h;
    h.send(key_down(0x50));
    h.send(plain_event(EVENT_DEACTIVATE));
    h.send(plain_event(EVENT_ACTIVATE));
    EXPECT_EQ(h.state.mode, MODE_PAUSED) << "the player's pause outlasts the focus";
    h.send(key_down(0x50));
    EXPECT_EQ(h.state.mode, MODE_FALLING);
    h.send(key_down(0x13));
    h.send(key_down(0x1B));
    h.send(plain_event(EVENT_ACTIVATE));
    EXPECT_EQ(h.state.mode, MODE_QUIT);
}

// Keys held when the window loses the focus are released for the game: a faster key's soft drop
// and a move key's spawn guard do not outlive the switch. No answer of the play-again question
// comes with it, and the game does not start from the help screen.
TEST(Pause, DeactivateReleasesTheHeldKeysOnly) {
    for (const GameMode mode : {MODE_FALLING, MODE_PAUSED, MODE_GAME_OVER, MODE_WAIT_START}) {
        Harness h;
        h.state.mode = mode;
        h.state.saved_mode = mode == MODE_PAUSED ? MODE_FALLING : mode;
        h.state.shift_held = 1;
        h.state.soft_drop = 1;
        h.state.key_guard = 1;
        h.send(plain_event(EVENT_DEACTIVATE));
        EXPECT_EQ(h.state.shift_held, 0);
        EXPECT_EQ(h.state.soft_drop, 0);
        EXPECT_EQ(h.state.key_guard, 0);
        EXPECT_EQ(h.state.mode, MODE_PAUSED);
        h.send(plain_event(EVENT_ACTIVATE));
        EXPECT_EQ(h.state.mode, mode == MODE_PAUSED ? MODE_FALLING : mode);
    }
}

// Regression: an activate without a pause must not bring back a stale saved mode (here it would
// restart the fall of a locked piece); only a pause is ended by an activate.
TEST(Pause, ActivateWithoutAPauseKeepsTheGameWhereItIs) {
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

// Regression: close then deactivate must not save MODE_QUIT behind a pause; quit stays quit.
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

// Button up, resize and unknown event types change nothing.
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

// Window at 100,100: press at (10,20) anchors (110,120); a move to (15,22) puts the window at 105,102
// with its size kept; a second move in the same pass is dropped, anchor included.
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

// Moves before any left press in the window, or without the left button, are ignored.
TEST(Drag, NeedsTheLeftButtonAndAnAnchorFromAPressInTheWindow) {
    Harness h;
    loop_begin_pass(&h.loop);
    h.send(mouse_event(EVENT_MOUSE_MOVE, EVENT_BUTTON_LEFT, 50, 50));  // press began elsewhere
    h.send(mouse_event(EVENT_BUTTON_DOWN, EVENT_BUTTON_RIGHT, 10, 10));
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

// Regression: client positions are signed 16-bit, so a drag past the left or top edge follows the pointer.
TEST(Drag, PointerLeftOfAndAboveTheWindowIsReadAsNegative) {
    Harness h;
    loop_begin_pass(&h.loop);
    h.send(mouse_event(EVENT_BUTTON_DOWN, EVENT_BUTTON_LEFT, 0, 0));
    AppEvent move = mouse_event(EVENT_MOUSE_MOVE, EVENT_BUTTON_LEFT, 0xFFFF, 0xFFFE);  // client (-1, -2)
    move.b |= 0xFFFF0000u;  // the high bits of b carry nothing
    h.send(move);
    ASSERT_EQ(h.window.moves.size(), 1u);
    EXPECT_EQ(h.window.rect.left, 99);
    EXPECT_EQ(h.window.rect.top, 98);
}

// A tick (and a frame) runs only after more than 16 ms, once per pass; a stall gives one tick; the
// clock may wrap.
TEST(TickRule, RunsAfterMoreThan16MsAndSurvivesTheClockWrap) {
    Harness h;
    loop_start(&h.loop, 1000);
    EXPECT_EQ(h.tick(1016), 0);
    EXPECT_EQ(loop_wait_time(&h.loop, &h.state, 1016), 1u);
    EXPECT_EQ(loop_wait_time(&h.loop, &h.state, 1000), 17u);
    EXPECT_EQ(h.window.frames, 0);
    EXPECT_EQ(h.state.ticks, 0u);
    EXPECT_EQ(h.tick(1017), 1);
    EXPECT_EQ(h.window.frames, 1);
    EXPECT_EQ(h.state.ticks, 1u);
    EXPECT_EQ(h.loop.last_tick_time, 1017u);
    EXPECT_EQ(h.tick(1017), 0);
    // A stall of 200 ms: one tick, and the timing starts again from that moment.
    EXPECT_EQ(loop_wait_time(&h.loop, &h.state, 1217), 0u);
    EXPECT_EQ(h.tick(1217), 1);
    EXPECT_EQ(h.tick(1230), 0);
    EXPECT_EQ(h.state.ticks, 2u);

    loop_start(&h.loop, 0xFFFFFFF5u);
    EXPECT_EQ(h.tick(5), 0);  // 16 ms later
    EXPECT_EQ(loop_wait_time(&h.loop, &h.state, 5), 1u);
    EXPECT_EQ(h.tick(6), 1);  // 17 ms later
    EXPECT_EQ(h.loop.last_tick_time, 6u);
}

// No ticks, frames or waiting deadline while paused or quitting.
TEST(TickRule, NoTicksWhilePausedOrQuitting) {
    for (GameMode mode : {MODE_PAUSED, MODE_QUIT}) {
        Harness h;
        h.state.mode = mode;
        EXPECT_EQ(h.tick(5000), 0);
        EXPECT_EQ(loop_wait_time(&h.loop, &h.state, 5000), UINT32_MAX);
        EXPECT_EQ(h.state.ticks, 0u);
        EXPECT_EQ(h.window.frames, 0);
        EXPECT_EQ(h.loop.last_tick_time, 0u);
    }
}

// The first game begins in the intro with the key flags cleared; the loop state starts afresh.
TEST(StartUp, FirstGameBeginsInTheIntroWithClearedFlags) {
    GameState state{};
    state.shift_held = state.soft_drop = state.key_guard = state.bonus = 1;
    game_start(&state, 1);
    EXPECT_EQ(state.mode, MODE_INTRO);
    EXPECT_EQ(state.saved_mode, MODE_INTRO);
    EXPECT_EQ(state.shift_held + state.soft_drop + state.key_guard + state.bonus, 0);
    LoopState loop{};
    loop.drag_anchored = 1;
    loop_start(&loop, 77);
    EXPECT_EQ(loop.last_tick_time, 77u);
    EXPECT_EQ(loop.drag_anchored, 0);
}
