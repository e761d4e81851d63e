// The main loop's rules: keys and window events turned into changes of the game record,
// window dragging, and the tick timing. The window is reached only through LoopHooks, so a
// test drives all of it with events and clock values, without a window.
#pragma once

#include <cstdint>

#include "game/game.h"
#include "platform/events.h"
#include "platform/platform.h"
#include "sound/sound.h"

// What the loop needs of the window; the program fills it from the platform, tests with a recorder.
struct LoopHooks {
    void *context;
    // Reads the window's outer rectangle.
    void (*get_window_rect)(void *context, WindowRect *rect);
    // Moves the window so that its outer rectangle starts at (left, top) with the given size.
    void (*move_window)(void *context, int32_t left, int32_t top, int32_t width, int32_t height);
    // Draws one whole frame of the record and presents it.
    void (*present_frame)(void *context, const GameState *state);
};

// State private to the loop, alive for the whole run.
struct LoopState {
    uint32_t last_tick_time;  // the millisecond clock at the last tick
    int32_t drag_x;           // screen position of the pointer at the last press or move
    int32_t drag_y;
    int32_t drag_anchored;    // 1 once a left-button press in the window has set drag_x, drag_y
    int32_t window_moved;     // 1 when a mouse move has moved the window in this pass
    int32_t player_paused;    // 1 while the pause is the player's (a pause key), not the window's
    int32_t pause_key_down;   // 1 while a pause key is held: its auto-repeat does not toggle again
};

// Starts the loop's own state at the given clock value.
void loop_start(LoopState *loop, uint32_t now);
// Begins one pass of the loop (clears window_moved).
void loop_begin_pass(LoopState *loop);
// Applies one event by the event table and the key tables.
void loop_handle_event(LoopState *loop, GameState *state, const AppEvent *event, const LoopHooks *hooks);
// Runs one tick and presents a frame when more than 16 ms have passed since the last tick
// (unsigned 32-bit difference) and the game is neither paused nor quitting. Returns 1 if it ticked.
int loop_run_tick(LoopState *loop, GameState *state, uint32_t now, const LoopHooks *hooks);
// True when a key rule acts on the virtual-key code (0 to 255): a platform that shares its
// keys with something else (a browser page) keeps these for the game.
bool loop_uses_key(uint32_t code);
// Milliseconds until the next tick is due at the clock value `now` (0 when due already), or
// UINT32_MAX when no tick can run (paused or quitting): how long the loop may wait for events.
uint32_t loop_wait_time(const LoopState *loop, const GameState *state, uint32_t now);

// The key that turns the sound off and on (M); the loop's rules see it as any other key.
constexpr uint32_t LOOP_MUTE_KEY = 0x4D;
constexpr int LOOP_SOUNDS_MAX = 3;  // sounds one step can call for
// How long a touch device vibrates when a piece locks without filling a row, and when rows clear.
constexpr uint32_t LOOP_PULSE_LOCK_MS = 15;
constexpr uint32_t LOOP_PULSE_CLEAR_MS = 60;

// What the player has heard so far, for the sounds of the next change.
struct LoopHearing {
    uint32_t held[8];      // bit per virtual-key code: the keys that are down (a key-down of one is a repeat)
    int32_t heard_level;   // the level the latest level sound was for
};

// The sounds of one step, in the order they are heard, whether the step toggles the sound, and
// the pulse a touch device gives for it (0: none; a lock's short one, or the clear's longer one).
struct LoopSounds {
    int32_t count;
    SoundId ids[LOOP_SOUNDS_MAX];
    bool toggle_mute;
    uint32_t pulse_ms;
};

// Starts hearing a game at its record: no key down, the record's level heard.
void loop_hearing_start(LoopHearing *hearing, const GameState *state);
// The sounds one step calls for, from the record before and after it: the step is one event
// (`event`) or one tick (`event` null). A move or turn is heard when a fresh press made it (not a
// refused one, nor a held key's repeats); a slam when it starts; a lock or the rows it fills; a
// new level, or the landscape moving on, when the next piece comes; the end of a game and the
// start of one. The press of the mute key (not its repeats) toggles the sound.
LoopSounds loop_sounds(LoopHearing *hearing, const GameState *before, const GameState *after, const AppEvent *event);
