// The browser's own part of the platform layer, beside platform.h: the page drives the program
// by animation frames instead of a loop, and the page shows how the game ended. The page
// (index.html) holds the canvas "#canvas", the note "#note" under it, and the script that keeps
// the program's last failure line.
#pragma once

#include <cstdint>

// Calls `pass(context)` once per animation frame, with the frame's timestamp as the clock of
// platform_time_ms, until it returns 0; also at once when the page loses or regains the focus,
// as a hidden page gets no frames. Returns at once: the browser calls the frames.
void web_run_frames(int (*pass)(void *context), void *context);
// Tells which virtual-key codes the program acts on: the page's own use of those keys
// (scrolling, ...) is suppressed, every other key stays with the browser as well.
void web_claim_keys(bool (*uses_key)(uint32_t code));
// Puts the note that the game is over, with a way to play again, in the canvas's place.
void web_show_quit_note();
// Puts the program's last failure line (or a general one) in the canvas's place.
void web_show_failure();
