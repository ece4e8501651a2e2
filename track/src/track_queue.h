// track_queue - the results of morv.track~'s audio thread on their way to the scheduler.
//
// Contract: one producer (the perform routine) and one consumer (the clock routine), without
// locks: each side owns its index and publishes it with a release store, which the other reads
// with acquire.  The queue holds a fixed number of events in the object's own record: nothing is
// allocated.  When the consumer falls behind, frames and note starts are dropped first: they are
// queued only while two slots are free, so the end of a queued note, which comes before any other
// start (a note never starts while another sounds), always finds room and no note is left
// sounding by an overflow.
#pragma once

#include <stdint.h>

inline constexpr uint32_t kTrackQueueSize = 256;  // a power of two

enum track_event_kind : int32_t { track_event_frame, track_event_note };

struct track_event {
    int32_t kind;
    uint32_t epoch;  // the restarts the producer had applied when it made the event
    double a;        // frame: frequency in Hz, negated when unvoiced; note: MIDI pitch at 440 Hz
    double b;        // frame: voicing probability; note: velocity, 0 for the end
};

struct track_queue {
    uint32_t head;  // written by the consumer: events before it are read
    uint32_t tail;  // written by the producer: events before it are ready
    track_event events[kTrackQueueSize];
};

// Producer side; false when the event was dropped.
bool track_queue_push(track_queue *q, const track_event &event);
// Consumer side; false when the queue is empty.
bool track_queue_pop(track_queue *q, track_event *event);
