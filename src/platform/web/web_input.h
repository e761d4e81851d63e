// Inside the web layer: the page's keys, touch controls, gamepads, focus and visibility in window
// messages, and the pass that a change of activation runs at once.
#pragma once

#include <cstdint>

// Starts turning the page's key, focus and visibility events into window messages, and
// queues the page's first activation state.
void web_input_start();
// Gives the page's keys and focus events back to the browser; safe to run twice.
void web_input_stop();
// Whether the WebGL context can be drawn into: while it cannot, the game is inactive, as if the
// page were hidden.
void web_input_set_drawable(bool drawable);
// Runs the program's pass outside an animation frame (nothing when no program runs).
void web_run_pass_now();
// Whether the game was last told it is active.
bool web_input_active();
// Reads the page's gamepads and sends the keys they press, held and repeated at `now`; while the
// game is not active their keys are released instead.
void web_gamepads_poll(bool active, uint32_t now);
