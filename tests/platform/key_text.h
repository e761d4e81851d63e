// Key events written out for the gamepad tests: "+Up" for a press, "-Up" for a release.
#pragma once

#include <string>

#include "platform/events.h"
#include "platform/vkeys.h"

inline std::string key_text(uint32_t code) {
    switch (code) {
    case VK_UP: return "Up";
    case VK_LEFT: return "Left";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_SPACE: return "Space";
    case VK_ESCAPE: return "Esc";
    case VK_RETURN: return "Enter";
    case VK_PAUSE: return "Pause";
    case 'Y': return "Y";
    case 'N': return "N";
    default: return "?" + std::to_string(code);
    }
}

// One event as text; anything but a well-formed key event shows as "!".
inline std::string event_text(const AppEvent &event) {
    const bool down = event.type == EVENT_KEY_DOWN && (event.a & 0xFFu) == 1;
    const bool up = event.type == EVENT_KEY_UP && (event.a & 0xFFu) == 0;
    return std::string(down ? "+" : up ? "-" : "!") + key_text((event.a >> 8) & 0xFFu);
}

inline void append_text(std::string *text, const AppEvent &event) {
    *text += (text->empty() ? "" : " ") + event_text(event);
}
