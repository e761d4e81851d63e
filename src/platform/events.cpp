// The event queue and the window procedure that fills it. The queue is a singly linked list of
// heap records: the head is the oldest, and the tail is the link the next record is stored in.
#include <cstdio>
#include <new>

#include "platform/events.h"
#include "platform/messages.h"

AppEvent *event_queue_head = nullptr;
AppEvent **event_queue_tail = &event_queue_head;
uint32_t event_queue_dropped = 0;

int event_queue_append(int32_t type, uint32_t a, uint32_t b) {
    AppEvent *record = new (std::nothrow) AppEvent{type, nullptr, a, b};
    if (record == nullptr) {
        // Without memory the game cannot take the event; it carries on and reports it once.
        // A close request still ends the game: poll_event reports it without the queue.
        if (event_queue_dropped++ == 0) {
            std::fputs("stakmir: out of memory, window events are being dropped\n", stderr);
        }
        return 0;
    }
    *event_queue_tail = record;
    event_queue_tail = &record->next;
    return 1;
}

int event_queue_pop(AppEvent *event) {
    AppEvent *record = event_queue_head;
    if (record == nullptr) {
        event->type = EVENT_NONE;
        return 0;
    }
    event->type = record->type;
    event->next = record->next;
    event->a = record->a;
    event->b = record->b;
    event_queue_head = record->next;
    if (event_queue_head == nullptr) {
        event_queue_tail = &event_queue_head;
    }
    delete record;
    return 1;
}

void event_queue_clear() {
    while (event_queue_head != nullptr) {
        AppEvent *record = event_queue_head;
        event_queue_head = record->next;
        if (event_queue_head == nullptr) {
            event_queue_tail = &event_queue_head;
        }
        delete record;
    }
    event_queue_tail = &event_queue_head;
}

namespace {

// Button flags in event order (left, middle, right) from the message's MK_ bits.
uint32_t button_flags(MessageWParam wparam) {
    uint32_t flags = 0;
    if ((wparam & MK_LBUTTON) != 0) {
        flags |= EVENT_BUTTON_LEFT;
    }
    if ((wparam & MK_MBUTTON) != 0) {
        flags |= EVENT_BUTTON_MIDDLE;
    }
    if ((wparam & MK_RBUTTON) != 0) {
        flags |= EVENT_BUTTON_RIGHT;
    }
    return flags;
}

uint32_t low_word(MessageLParam lparam) {
    return static_cast<uint32_t>(lparam) & 0xFFFFu;
}

uint32_t high_word(MessageLParam lparam) {
    return (static_cast<uint32_t>(lparam) >> 16) & 0xFFFFu;
}

// The key payload: the low 8 bits of wParam in bits 8-15, the pressed flag in bits 0-7.
uint32_t key_word(MessageWParam wparam, uint32_t pressed) {
    return ((static_cast<uint32_t>(wparam) & 0xFFu) << 8) | pressed;
}

uint32_t point_word(uint32_t flags, MessageLParam lparam) {
    return (low_word(lparam) << 16) | flags;
}

}  // namespace

MessageLParam window_proc(void * /*window*/, uint32_t message, MessageWParam wparam, MessageLParam lparam) {
    switch (message) {
    case WM_SIZE:
        event_queue_append(EVENT_RESIZE, low_word(lparam), high_word(lparam));
        break;
    case WM_ACTIVATE:
        event_queue_append((wparam & 0xFFFFu) == WA_INACTIVE ? EVENT_DEACTIVATE : EVENT_ACTIVATE, 0, 0);
        break;
    case WM_PAINT:
        event_queue_append(EVENT_PAINT, 0, 0);
        break;
    case WM_CLOSE:
    case WM_QUIT:
        event_queue_append(EVENT_CLOSE, 0, 0);
        break;
    case WM_KEYDOWN:
        event_queue_append(EVENT_KEY_DOWN, key_word(wparam, 1), 0);
        break;
    case WM_KEYUP:
        event_queue_append(EVENT_KEY_UP, key_word(wparam, 0), 0);
        break;
    case WM_MOUSEMOVE:
        event_queue_append(EVENT_MOUSE_MOVE, point_word(button_flags(wparam), lparam), high_word(lparam));
        break;
    case WM_LBUTTONDOWN:
        event_queue_append(EVENT_BUTTON_DOWN, point_word(button_flags(wparam), lparam), high_word(lparam));
        break;
    case WM_LBUTTONUP:
        event_queue_append(EVENT_BUTTON_UP, point_word(EVENT_BUTTON_LEFT, lparam), high_word(lparam));
        break;
    default:
        break;
    }
    return 0;
}
