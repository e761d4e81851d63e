// The program: start-up, one pass of the main loop, and shutdown, on top of the rules, the
// renderer, the textures and whichever platform layer it is linked with. The desktop entry
// loops over passes and waits between them; a browser calls one pass per animation frame.
#pragma once

#include <cstdint>

#include "app/loop.h"
#include "game/game.h"

// The game's sound: the mixer the device pulls from, and what the player has heard so far.
struct AppSound {
    SoundMixer mixer;     // changed only under the device's lock
    LoopHearing hearing;
    bool device;          // a sound device is open
    bool muted;           // the mute key turned the sound off
    bool hushed;          // the game is paused or quitting: the mixer was silenced
    uint32_t pulse_ms;    // the longest pulse called for since app_take_pulse (none while muted)
};

// Everything the program owns for the whole run.
struct App {
    GameState *state;        // the game record (heap)
    TextureSet *textures;    // the textures, which the record's `textures` only points at
    LoopState loop;          // the main loop's own state
    LoopHooks hooks;         // the window, reached through the platform
    AppSound sound;
};

// Brings the window, the textures, the game record and the sound up (a missing sound device is
// no failure). Returns 0 when the game runs; else
// the exit status, after one line saying what failed and with everything released again.
int app_start(App *app);
// One pass: every queued event, then one tick and a frame when one is due by platform_time_ms(),
// and the sounds they call for; silence while the game is paused or quitting. Returns 1 when it ticked.
int app_pass(App *app);
// False once the game is quitting.
bool app_running(const App *app);
// Whether the mute key has turned the sound off.
bool app_muted(const App *app);
// The pulse a touch device is to give for what was heard since the last call, in milliseconds
// (0: none); it goes with the sound, so none while the sound is off.
uint32_t app_take_pulse(App *app);
// Milliseconds the desktop loop may wait for events before the next pass (UINT32_MAX: no tick due).
uint32_t app_wait_time(const App *app);
// Closes the sound device, releases the textures, frees the record and shuts the platform down;
// returns the exit status 0.
int app_stop(App *app);
