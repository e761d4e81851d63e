// The event queue when a record cannot be allocated: the event is dropped, counted and
// reported once, and the queue stays intact.
#include <gtest/gtest.h>

#include <new>

#include "platform/events.h"
#include "platform/messages.h"

namespace {
bool refuse_allocations = false;
}

// The queue allocates its records with the non-throwing form; this test binary can make it fail.
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    try {
        return refuse_allocations ? nullptr : ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

TEST(EventQueueOutOfMemory, DropsTheEventKeepsTheQueueAndReportsOnce) {
    event_queue_clear();
    window_proc(nullptr, WM_KEYDOWN, 0x25, 0);
    testing::internal::CaptureStderr();
    refuse_allocations = true;
    EXPECT_EQ(event_queue_append(EVENT_PAINT, 0, 0), 0);
    window_proc(nullptr, WM_KEYUP, 0x25, 0);
    window_proc(nullptr, WM_CLOSE, 0, 0);
    refuse_allocations = false;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "stakmir: out of memory, window events are being dropped\n");
    EXPECT_EQ(event_queue_dropped, 3u);

    // The queue still holds the one event appended before, and takes new ones afterwards.
    ASSERT_NE(event_queue_head, nullptr);
    EXPECT_EQ(event_queue_tail, &event_queue_head->next);
    window_proc(nullptr, WM_PAINT, 0, 0);
    AppEvent event{};
    ASSERT_EQ(event_queue_pop(&event), 1);
    EXPECT_EQ(event.type, EVENT_KEY_DOWN);
    ASSERT_EQ(event_queue_pop(&event), 1);
    EXPECT_EQ(event.type, EVENT_PAINT);
    EXPECT_EQ(event_queue_pop(&event), 0);
}

}  // namespace
