// The browser's own part of the platform layer, beside platform.h: the page runs the program by
// animation frames instead of a loop, its WebGL context can be lost and given back, and the
// page shows how the game ended. The page (index.html and stakmir-page.js) holds the canvas
// "#canvas", the note "#note" that takes its place, the touch controls and the script that
// keeps the program's last failure line.
#pragma once

#include <cstdint>

// What the program hands the page to be run. Every function gets `context`.
struct WebProgram {
    void *context;
    // One pass of the main loop at the clock platform_time_ms() reads; 0 once the game is over.
    int (*pass)(void *context);
    // Draws the latest frame, when a pass has asked for one since the last call.
    void (*show)(void *context);
    // The WebGL context is lost: lets go of everything that lived in it.
    void (*lose)(void *context);
    // A new context is current: makes everything again and asks for a frame. On failure says
    // in one line what failed and returns false.
    bool (*restore)(void *context);
    // Takes the program down, once the game is over or cannot go on.
    void (*stop)(void *context);
};

// Runs the program from now on: on every animation frame as many passes as tick intervals have
// passed since the last frame (at least one, at most four, each at its own clock value), and one
// at once when the page loses or regains the focus; the latest frame is shown after them. Ends
// with the note that the game is over, or with the failure line when the context is lost for
// good. Returns at once: the browser calls the frames.
void web_run_program(const WebProgram *program);
// Tells which virtual-key codes the program acts on: the page's own use of those keys
// (scrolling, ...) is suppressed, every other key stays with the browser as well.
void web_claim_keys(bool (*uses_key)(uint32_t code));
// What the game shows, for what the page says and offers beside it: the welcome screen (a tap
// starts the game), a game in play, a game paused by the window (the page lost the focus, or is
// hidden) or by the player (a pause key), and the question whether to play again (the touch
// controls answer it then).
enum WebScene : int32_t {
    WEB_SCENE_WELCOME,
    WEB_SCENE_PLAYING,
    WEB_SCENE_PAUSED,
    WEB_SCENE_PLAYER_PAUSED,
    WEB_SCENE_ASKING,
};
void web_show_scene(WebScene scene);
// Asks the device to vibrate for `milliseconds`, where the browser offers vibration.
void web_vibrate(uint32_t milliseconds);
// Tells the page whether the sound is off (its sound buttons show it).
void web_show_muted(bool muted);
// Puts the program's last failure line (or a general one) in the canvas's place.
void web_show_failure();
