// The queue between the audio thread and the scheduler, and how it drops when full.
#include "track_queue.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

track_event frame(double f) {
    return {track_event_frame, 0, f, 0.5};
}
track_event note(double velocity) {
    return {track_event_note, 0, 60.0, velocity};
}

TEST(TrackQueue, KeepsOrderAndWrapsAround) {
    auto q = std::make_unique<track_queue>();
    q->head = q->tail = 0xfffffff0u;  // the indices wrap as well
    track_event e;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 100; ++i) ASSERT_TRUE(track_queue_push(q.get(), frame(i)));
        for (int i = 0; i < 100; ++i) {
            ASSERT_TRUE(track_queue_pop(q.get(), &e));
            EXPECT_EQ(e.a, i);
        }
        EXPECT_FALSE(track_queue_pop(q.get(), &e));
    }
}

TEST(TrackQueue, WhenFullOnlyTheEndOfANoteGetsTheLastSlot) {
    auto q = std::make_unique<track_queue>();
    q->head = q->tail = 0;
    ASSERT_TRUE(track_queue_push(q.get(), note(90)));
    while (track_queue_push(q.get(), frame(1))) {
    }
    EXPECT_EQ(q->tail - q->head, kTrackQueueSize - 1);
    EXPECT_FALSE(track_queue_push(q.get(), note(90)));  // a start would leave no room for its end
    EXPECT_TRUE(track_queue_push(q.get(), note(0)));
    EXPECT_FALSE(track_queue_push(q.get(), note(0)));  // truly full
    track_event e;
    ASSERT_TRUE(track_queue_pop(q.get(), &e));
    EXPECT_EQ(e.b, 90);
}

}  // namespace
