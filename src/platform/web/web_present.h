// Inside the web layer: the page's present step. The game draws each frame into a texture of its
// own through a framebuffer object; presenting draws that texture onto the canvas in the parts
// and places the page's script has handed over (web_page_layout), each game pixel a block of
// whole device pixels. Where the layout is the frame itself, the game draws straight onto the
// canvas.
#pragma once

// Makes the frame's texture and its framebuffer in the current context, and has the game draw
// where the layout asks. On failure says in one line what failed and returns false.
bool web_present_start();
// Deletes the texture and the framebuffer (in a lost context, where they are gone already, only
// their names); safe to run twice.
void web_present_stop();
// Presents the frame just drawn.
void web_present_frame();
