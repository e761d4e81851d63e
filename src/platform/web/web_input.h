// Inside the web layer: the page's key and focus events in window messages, and the pass that
// a change of focus runs at once.
#pragma once

// Starts turning the page's key, focus and visibility events into window messages, and
// queues the page's first activation state.
void web_input_start();
// Gives the page's keys and focus events back to the browser; safe to run twice.
void web_input_stop();
// Runs the program's pass outside an animation frame (nothing when no frames run).
void web_run_pass_now();
