// The event queue and the window procedure's translation of messages into events.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/events.h"
#include "platform/messages.h"

namespace {

class EventQueue : public ::testing::Test {
protected:
    void SetUp() override { event_queue_clear(); }
    void TearDown() override { event_queue_clear(); }

    // Sends one message and takes the single event it made.
    static AppEvent translate(uint32_t message, MessageWParam wparam, MessageLParam lparam) {
        window_proc(nullptr, message, wparam, lparam);
        AppEvent event{};
        EXPECT_EQ(event_queue_pop(&event), 1);
        EXPECT_EQ(event_queue_head, nullptr) << "one message made more than one event";
        return event;
    }
};

// Guards the links: arrival order, ignored messages, the tail back at the head once drained, clear.
TEST_F(EventQueue, OrderTailResetAndClear) {
    AppEvent event{EVENT_PAINT, nullptr, 7, 8};
    EXPECT_EQ(event_queue_pop(&event), 0);
    EXPECT_EQ(event.type, EVENT_NONE);
    EXPECT_EQ(event_queue_tail, &event_queue_head);

    window_proc(nullptr, WM_SIZE, 0, message_pack_point(480, 320));
    ASSERT_NE(event_queue_head, nullptr);
    EXPECT_EQ(event_queue_tail, &event_queue_head->next);
    // Right and middle buttons, double clicks, system keys, wheel, characters, moves of the window.
    for (uint32_t ignored : {0x0000u, 0x0001u, 0x0002u, 0x0003u, 0x0007u, 0x0008u, 0x0014u, 0x0024u, 0x0102u,
                             0x0104u, 0x0105u, 0x0203u, 0x0204u, 0x0205u, 0x0206u, 0x0207u, 0x0208u, 0x020Au,
                             0x0112u}) {
        window_proc(nullptr, ignored, MK_LBUTTON, message_pack_point(1, 1));
    }
    window_proc(nullptr, WM_ACTIVATE, WA_ACTIVE, 0);
    window_proc(nullptr, WM_PAINT, 0, 0);
    window_proc(nullptr, WM_KEYDOWN, 0x25, 0);
    window_proc(nullptr, WM_KEYUP, 0x25, 0);
    window_proc(nullptr, WM_CLOSE, 0, 0);
    std::vector<int32_t> types;
    while (event_queue_pop(&event) != 0) {
        types.push_back(event.type);
    }
    EXPECT_EQ(event.type, EVENT_NONE);
    EXPECT_EQ(types, (std::vector<int32_t>{EVENT_RESIZE, EVENT_ACTIVATE, EVENT_PAINT, EVENT_KEY_DOWN, EVENT_KEY_UP,
                                           EVENT_CLOSE}));
    EXPECT_EQ(event_queue_tail, &event_queue_head);

    // The next append after the queue ran dry lands at the head again.
    window_proc(nullptr, WM_CLOSE, 0, 0);
    ASSERT_NE(event_queue_head, nullptr);
    EXPECT_EQ(event_queue_head->type, EVENT_CLOSE);
    EXPECT_EQ(event_queue_tail, &event_queue_head->next);

    // Clearing frees everything, can run twice, and leaves the queue usable.
    for (int i = 0; i < 100; ++i) {
        window_proc(nullptr, WM_KEYDOWN, 0x20, 0);
    }
    event_queue_clear();
    EXPECT_EQ(event_queue_head, nullptr);
    EXPECT_EQ(event_queue_tail, &event_queue_head);
    event_queue_clear();
    EXPECT_EQ(translate(WM_PAINT, 0, 0).type, EVENT_PAINT);
}

// Guards the payload packing of every message: key code bits, pointer and size words, activation.
TEST_F(EventQueue, PayloadOfEachMessage) {
    struct Case {
        uint32_t message;
        MessageWParam wparam;
        MessageLParam lparam;
        int32_t type;
        uint32_t a, b;
    };
    const Case cases[] = {
        {WM_KEYDOWN, 0x25, 0x7FFF0001, EVENT_KEY_DOWN, 0x2501, 0},
        {WM_KEYUP, 0x79, 0, EVENT_KEY_UP, 0x7900, 0},
        {WM_KEYDOWN, 0x1234, 0, EVENT_KEY_DOWN, 0x3401, 0},  // only the low 8 bits of wParam are the code
        {WM_KEYUP, 0xFFFFFFFF, 0, EVENT_KEY_UP, 0xFF00, 0},
        {WM_MOUSEMOVE, MK_LBUTTON, message_pack_point(479, 319), EVENT_MOUSE_MOVE, (479u << 16) | 1u, 319},
        // Left of and above the window: 16-bit two's complement (-5, -300).
        {WM_MOUSEMOVE, MK_LBUTTON, message_pack_point(-5, -300), EVENT_MOUSE_MOVE, 0xFFFB0001, 0xFED4},
        // Bits of lParam above the low 32 carry nothing.
        {WM_LBUTTONDOWN, 0, static_cast<MessageLParam>(-1), EVENT_BUTTON_DOWN, 0xFFFF0000, 0xFFFF},
        {WM_SIZE, 0, message_pack_point(0xFFFF, 0x8000), EVENT_RESIZE, 65535, 32768},  // zero-extended
        {WM_SIZE, 0, message_pack_point(480, 320), EVENT_RESIZE, 480, 320},
        {WM_ACTIVATE, WA_INACTIVE, 0, EVENT_DEACTIVATE, 0, 0},
        {WM_ACTIVATE, WA_ACTIVE, 0, EVENT_ACTIVATE, 0, 0},
        {WM_ACTIVATE, WA_CLICKACTIVE, 0, EVENT_ACTIVATE, 0, 0},
        {WM_ACTIVATE, 0x00010000, 0, EVENT_DEACTIVATE, 0, 0},  // inactive and minimised: the low word decides
        {WM_ACTIVATE, 0x00010001, 0, EVENT_ACTIVATE, 0, 0},
        {WM_CLOSE, 5, 6, EVENT_CLOSE, 0, 0},
        {WM_QUIT, 0, 0, EVENT_CLOSE, 0, 0},
        {WM_PAINT, 0, 0, EVENT_PAINT, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "message " << c.message << " wParam " << c.wparam);
        const AppEvent event = translate(c.message, c.wparam, c.lparam);
        EXPECT_EQ(event.type, c.type);
        EXPECT_EQ(event.a, c.a);
        EXPECT_EQ(event.b, c.b);
    }
}

// Guards the button flag order (left 1, middle 2, right 4) and the release that always says left.
TEST_F(EventQueue, ButtonFlagsAreReorderedLeftMiddleRight) {
    const std::pair<MessageWParam, uint32_t> cases[] = {
        {0, 0}, {MK_LBUTTON, 1}, {MK_MBUTTON, 2}, {MK_RBUTTON, 4}, {MK_LBUTTON | MK_RBUTTON, 5},
        {MK_LBUTTON | MK_MBUTTON, 3}, {MK_MBUTTON | MK_RBUTTON, 6},
        {MK_LBUTTON | MK_MBUTTON | MK_RBUTTON | 0x0004 | 0x0008, 7},  // Shift and Control dropped
        {0x0004 | 0x0008 | 0x0020 | 0x0040, 0},
    };
    const uint32_t point = 3u << 16;
    for (const auto &[wparam, flags] : cases) {
        SCOPED_TRACE(testing::Message() << "wParam " << wparam);
        const AppEvent move = translate(WM_MOUSEMOVE, wparam, message_pack_point(3, 4));
        EXPECT_EQ(move.type, EVENT_MOUSE_MOVE);
        EXPECT_EQ(move.a, point | flags);
        EXPECT_EQ(move.b, 4u);
        const AppEvent press = translate(WM_LBUTTONDOWN, wparam, message_pack_point(3, 4));
        EXPECT_EQ(press.type, EVENT_BUTTON_DOWN);
        EXPECT_EQ(press.a, point | flags);
        const AppEvent release = translate(WM_LBUTTONUP, wparam, message_pack_point(3, 4));
        EXPECT_EQ(release.type, EVENT_BUTTON_UP);
        EXPECT_EQ(release.a, point | 1u);
    }
}

}  // namespace
