// The event queue and the window procedure's translation of messages into events.
#include <gtest/gtest.h>

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

    static std::vector<int32_t> drain_types() {
        std::vector<int32_t> types;
        AppEvent event{};
        while (event_queue_pop(&event) != 0) {
            types.push_back(event.type);
        }
        EXPECT_EQ(event.type, EVENT_NONE);
        return types;
    }
};

TEST_F(EventQueue, EmptyQueueGivesNoneAndTheTailReturnsToTheHead) {
    AppEvent event{EVENT_PAINT, nullptr, 7, 8};
    EXPECT_EQ(event_queue_pop(&event), 0);
    EXPECT_EQ(event.type, EVENT_NONE);
    EXPECT_EQ(event_queue_tail, &event_queue_head);

    window_proc(nullptr, WM_PAINT, 0, 0);
    ASSERT_NE(event_queue_head, nullptr);
    EXPECT_EQ(event_queue_tail, &event_queue_head->next);
    EXPECT_EQ(event_queue_pop(&event), 1);
    EXPECT_EQ(event_queue_tail, &event_queue_head);
    EXPECT_EQ(event_queue_pop(&event), 0);

    // The next append after the queue ran dry lands at the head again.
    window_proc(nullptr, WM_CLOSE, 0, 0);
    ASSERT_NE(event_queue_head, nullptr);
    EXPECT_EQ(event_queue_head->type, EVENT_CLOSE);
    EXPECT_EQ(event_queue_head->next, nullptr);
}

TEST_F(EventQueue, EventsLeaveInTheOrderTheirMessagesCame) {
    window_proc(nullptr, WM_SIZE, 0, message_pack_point(480, 320));
    window_proc(nullptr, WM_ACTIVATE, WA_ACTIVE, 0);
    window_proc(nullptr, 0x0024, 0, 0);  // a message the game ignores
    window_proc(nullptr, WM_PAINT, 0, 0);
    window_proc(nullptr, WM_KEYDOWN, 0x25, 0);
    window_proc(nullptr, WM_KEYUP, 0x25, 0);
    window_proc(nullptr, WM_CLOSE, 0, 0);
    EXPECT_EQ(drain_types(), (std::vector<int32_t>{EVENT_RESIZE, EVENT_ACTIVATE, EVENT_PAINT, EVENT_KEY_DOWN,
                                                   EVENT_KEY_UP, EVENT_CLOSE}));
    EXPECT_EQ(event_queue_tail, &event_queue_head);
}

TEST_F(EventQueue, ClearFreesEverythingAndCanRunTwice) {
    for (int i = 0; i < 100; ++i) {
        window_proc(nullptr, WM_KEYDOWN, 0x20, 0);
    }
    event_queue_clear();
    EXPECT_EQ(event_queue_head, nullptr);
    EXPECT_EQ(event_queue_tail, &event_queue_head);
    event_queue_clear();
    EXPECT_EQ(event_queue_head, nullptr);
    window_proc(nullptr, WM_PAINT, 0, 0);
    EXPECT_EQ(drain_types(), (std::vector<int32_t>{EVENT_PAINT}));
}

TEST_F(EventQueue, KeysCarryThePressedFlagAndTheLowByteOfTheCode) {
    const AppEvent down = translate(WM_KEYDOWN, 0x25, 0x7FFF0001);
    EXPECT_EQ(down.type, EVENT_KEY_DOWN);
    EXPECT_EQ(down.a, 0x2501u);
    const AppEvent up = translate(WM_KEYUP, 0x79, 0);
    EXPECT_EQ(up.type, EVENT_KEY_UP);
    EXPECT_EQ(up.a, 0x7900u);
    // Only the low 8 bits of wParam are the code.
    EXPECT_EQ(translate(WM_KEYDOWN, 0x1234, 0).a, 0x3401u);
    EXPECT_EQ(translate(WM_KEYUP, 0xFFFFFFFF, 0).a, 0xFF00u);
}

TEST_F(EventQueue, ButtonFlagsAreReorderedLeftMiddleRight) {
    struct Case {
        MessageWParam wparam;
        uint32_t flags;
    };
    const Case cases[] = {
        {0, 0},
        {MK_LBUTTON, 1},
        {MK_MBUTTON, 2},
        {MK_RBUTTON, 4},
        {MK_LBUTTON | MK_RBUTTON, 5},
        {MK_LBUTTON | MK_MBUTTON, 3},
        {MK_MBUTTON | MK_RBUTTON, 6},
        {MK_LBUTTON | MK_MBUTTON | MK_RBUTTON | 0x0004 | 0x0008, 7},  // Shift and Control dropped
        {0x0004 | 0x0008 | 0x0020 | 0x0040, 0},
    };
    for (const Case &c : cases) {
        const AppEvent move = translate(WM_MOUSEMOVE, c.wparam, message_pack_point(3, 4));
        EXPECT_EQ(move.type, EVENT_MOUSE_MOVE);
        EXPECT_EQ(move.a & 0xFFu, c.flags) << "wParam " << c.wparam;
        EXPECT_EQ(move.a & 0xFF00u, 0u);
        const AppEvent press = translate(WM_LBUTTONDOWN, c.wparam, message_pack_point(3, 4));
        EXPECT_EQ(press.type, EVENT_BUTTON_DOWN);
        EXPECT_EQ(press.a & 0xFFu, c.flags) << "wParam " << c.wparam;
        // A release always reports the left button, whatever is still held.
        const AppEvent release = translate(WM_LBUTTONUP, c.wparam, message_pack_point(3, 4));
        EXPECT_EQ(release.type, EVENT_BUTTON_UP);
        EXPECT_EQ(release.a & 0xFFu, 1u) << "wParam " << c.wparam;
    }
}

TEST_F(EventQueue, PointerPositionsAreTheTwoLowWordsOfLParam) {
    AppEvent move = translate(WM_MOUSEMOVE, MK_LBUTTON, message_pack_point(479, 319));
    EXPECT_EQ(move.a, (479u << 16) | 1u);
    EXPECT_EQ(move.b, 319u);
    // Positions left of and above the window keep their 16-bit two's complement form.
    move = translate(WM_MOUSEMOVE, MK_LBUTTON, message_pack_point(-5, -300));
    EXPECT_EQ(move.a >> 16, 0xFFFBu);
    EXPECT_EQ(static_cast<int16_t>(move.a >> 16), -5);
    EXPECT_EQ(move.b, 0xFED4u);
    EXPECT_EQ(static_cast<int16_t>(move.b), -300);
    // Bits of lParam above the low 32 carry nothing.
    const AppEvent press = translate(WM_LBUTTONDOWN, 0, static_cast<MessageLParam>(-1));
    EXPECT_EQ(press.a, 0xFFFF0000u);
    EXPECT_EQ(press.b, 0xFFFFu);
}

TEST_F(EventQueue, SizesAreZeroExtended) {
    const AppEvent size = translate(WM_SIZE, 0, message_pack_point(0xFFFF, 0x8000));
    EXPECT_EQ(size.type, EVENT_RESIZE);
    EXPECT_EQ(size.a, 65535u);
    EXPECT_EQ(size.b, 32768u);
    EXPECT_EQ(translate(WM_SIZE, 0, message_pack_point(480, 320)).a, 480u);
}

TEST_F(EventQueue, ActivationDependsOnTheLowWordOnly) {
    EXPECT_EQ(translate(WM_ACTIVATE, WA_INACTIVE, 0).type, EVENT_DEACTIVATE);
    EXPECT_EQ(translate(WM_ACTIVATE, WA_ACTIVE, 0).type, EVENT_ACTIVATE);
    EXPECT_EQ(translate(WM_ACTIVATE, WA_CLICKACTIVE, 0).type, EVENT_ACTIVATE);
    EXPECT_EQ(translate(WM_ACTIVATE, 0x00010000, 0).type, EVENT_DEACTIVATE);  // inactive, minimised
    EXPECT_EQ(translate(WM_ACTIVATE, 0x00010001, 0).type, EVENT_ACTIVATE);
}

TEST_F(EventQueue, CloseQuitAndPaintCarryNothing) {
    EXPECT_EQ(translate(WM_CLOSE, 5, 6).type, EVENT_CLOSE);
    EXPECT_EQ(translate(WM_QUIT, 0, 0).type, EVENT_CLOSE);
    EXPECT_EQ(translate(WM_PAINT, 0, 0).type, EVENT_PAINT);
}

TEST_F(EventQueue, OtherMessagesMakeNoEvent) {
    // Right and middle buttons, double clicks, system keys, wheel, characters, moves of the window.
    const uint32_t ignored[] = {0x0000, 0x0001, 0x0002, 0x0003, 0x0007, 0x0008, 0x0014, 0x0102, 0x0104,
                                0x0105, 0x0203, 0x0204, 0x0205, 0x0206, 0x0207, 0x0208, 0x020A, 0x0112};
    for (uint32_t message : ignored) {
        window_proc(nullptr, message, MK_LBUTTON, message_pack_point(1, 1));
    }
    EXPECT_EQ(event_queue_head, nullptr);
    EXPECT_EQ(event_queue_tail, &event_queue_head);
}

}  // namespace
