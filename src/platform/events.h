// Window events as the game sees them, and the first-in first-out queue that carries them
// from the window procedure to the main loop. Plain data and a heap queue: no window system here.
#pragma once

#include <cstdint>

constexpr int32_t EVENT_NONE = 0;         // nothing to deliver
constexpr int32_t EVENT_KEY_DOWN = 1;     // a: bits 0-7 = 1, bits 8-15 = virtual-key code
constexpr int32_t EVENT_KEY_UP = 2;       // a: bits 0-7 = 0, bits 8-15 = virtual-key code
constexpr int32_t EVENT_MOUSE_MOVE = 3;   // a: bits 0-7 button flags, 16-31 x; b: bits 0-15 y
constexpr int32_t EVENT_BUTTON_DOWN = 4;  // left button pressed; payload as EVENT_MOUSE_MOVE
constexpr int32_t EVENT_BUTTON_UP = 5;    // left button released; flags always 1
constexpr int32_t EVENT_CLOSE = 6;        // close request or quit message
constexpr int32_t EVENT_RESIZE = 7;       // a: new client width, b: new client height
constexpr int32_t EVENT_ACTIVATE = 8;     // the window became active
constexpr int32_t EVENT_DEACTIVATE = 9;   // the window stopped being active
constexpr int32_t EVENT_PAINT = 10;       // the window must be repainted

// Pointer positions of mouse events are client coordinates in 16-bit two's complement: during
// a fast drag the pointer can be left of or above the window, and reads as negative then.

// Button flags of mouse events: left, middle, right.
constexpr uint32_t EVENT_BUTTON_LEFT = 1;
constexpr uint32_t EVENT_BUTTON_MIDDLE = 2;
constexpr uint32_t EVENT_BUTTON_RIGHT = 4;

// One queued event. `next` links the queue and means nothing in a delivered copy.
struct AppEvent {
    int32_t type;
    AppEvent *next;
    uint32_t a;
    uint32_t b;
};

// The queue: the oldest record, and the link into which the next record is stored.
extern AppEvent *event_queue_head;
extern AppEvent **event_queue_tail;

// Appends one event at the tail of the queue. When no memory is left the event is dropped,
// counted in event_queue_dropped and the first drop reported on stderr; returns 0 then, else 1.
int event_queue_append(int32_t type, uint32_t a, uint32_t b);
// Takes the oldest event off the queue into `event` and frees its record: 1, or 0 and
// EVENT_NONE in event->type when the queue is empty.
int event_queue_pop(AppEvent *event);
// Frees every queued record and leaves the queue empty with the tail pointing at the head.
void event_queue_clear();
// Events dropped because a queue record could not be allocated, since the program started.
extern uint32_t event_queue_dropped;
