// track_queue - see track_queue.h.
#include "track_queue.h"

namespace {

// The record lives in the host's allocation, so its indices are reached through the compiler's
// atomic built-ins rather than std::atomic members.
uint32_t acquire(const uint32_t &index) {
    return __atomic_load_n(&index, __ATOMIC_ACQUIRE);
}

void release(uint32_t &index, uint32_t value) {
    __atomic_store_n(&index, value, __ATOMIC_RELEASE);
}

}  // namespace

bool track_queue_push(track_queue *q, const track_event &event) {
    const uint32_t tail = q->tail;  // only this side writes it
    const uint32_t free = kTrackQueueSize - (tail - acquire(q->head));
    const bool ends_a_note = event.kind == track_event_note && event.b == 0.0;
    if (free < (ends_a_note ? 1u : 2u))
        return false;
    q->events[tail % kTrackQueueSize] = event;
    release(q->tail, tail + 1);
    return true;
}

bool track_queue_pop(track_queue *q, track_event *event) {
    const uint32_t head = q->head;
    if (head == acquire(q->tail))
        return false;
    *event = q->events[head % kTrackQueueSize];
    release(q->head, head + 1);
    return true;
}
