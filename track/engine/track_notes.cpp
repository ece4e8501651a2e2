// track_notes - see track_notes.h.
#include "track_notes.h"

#include <algorithm>
#include <cmath>

track_notes track_notes_start() {
    return {};
}

double track_midi_from_hz(double frequency, double a4) {
    return 69.0 + 12.0 * std::log2(frequency / a4);
}

namespace {

double midi(const track_decision &d, const track_note_params &p) {
    return track_midi_from_hz(d.frequency, p.a4);
}

bool sounding_pitch(const track_decision &d) {
    return d.voiced && d.frequency > 0.0;
}

int velocity(double level_db, const track_note_params &p) {
    const double v = 1.0 + 126.0 * (level_db - p.velocity_floor_db) / -p.velocity_floor_db;
    if (!(v > 1.0))
        return 1;  // also NaN
    return v >= 127.0 ? 127 : static_cast<int>(std::lround(v));
}

// The rise of the level at a frame over the least of the `span` levels before it.
double rise(const track_notes &s, const track_note_params &p, double level) {
    const int n = std::min(s.stored, p.reattack_span);
    double least = level;
    for (int k = 0; k < n; ++k) {
        const int at = (s.newest - k + kTrackMaxReattackSpan) % kTrackMaxReattackSpan;
        least = std::min(least, s.levels[at]);
    }
    return level - least;
}

void remember(track_notes &s, double level) {
    s.newest = (s.newest + 1) % kTrackMaxReattackSpan;
    s.levels[s.newest] = level;
    s.stored = std::min(s.stored + 1, kTrackMaxReattackSpan);
}

bool strays(const track_notes &s, const track_note_params &p, const track_decision *path,
            int count) {
    const int n = std::min(p.change_frames, count);
    for (int k = 0; k < n; ++k)
        if (sounding_pitch(path[k]) && std::fabs(midi(path[k], p) - s.pitch) <= p.change_semitones)
            return false;
    return true;
}

// A repeated note: the level rises steeply here, and no steeper in the next frame.
bool reattacks(const track_notes &s, const track_note_params &p, const track_decision *path,
               int count) {
    if (s.frames < p.min_frames)
        return false;
    const double here = rise(s, p, path[0].level_db);
    if (!(here >= p.reattack_db))
        return false;
    if (count < 2)
        return true;
    track_notes after = s;
    remember(after, path[0].level_db);
    return here >= rise(after, p, path[1].level_db);
}

// Starts a note at path[0] when the frames ahead hold one stable voiced pitch.
bool starts(track_notes &s, const track_note_params &p, const track_decision *path, int count) {
    const int n = std::min(p.min_frames, count);
    double pitches[256];
    const int m = std::min(n, 256);
    if (m < 1)
        return false;
    double loudest = path[0].level_db;
    for (int k = 0; k < m; ++k) {
        if (!sounding_pitch(path[k]))
            return false;
        pitches[k] = midi(path[k], p);
        loudest = std::max(loudest, path[k].level_db);
    }
    std::nth_element(pitches, pitches + m / 2, pitches + m);
    const double median = pitches[m / 2];
    for (int k = 0; k < m; ++k)
        if (!(std::fabs(midi(path[k], p) - median) <= p.change_semitones))
            return false;
    s.sounding = true;
    s.pitch = median;
    s.velocity = velocity(loudest, p);
    s.frames = 0;
    return true;
}

}  // namespace

int track_notes_step(track_notes &s, const track_note_params &p, const track_decision *path,
                     int count, track_note out[2]) {
    int events = 0;
    const std::int64_t time = path[0].time;
    if (s.sounding &&
        (!sounding_pitch(path[0]) || strays(s, p, path, count) || reattacks(s, p, path, count))) {
        out[events++] = {time, s.pitch, 0};
        s.sounding = false;
    }
    if (!s.sounding && starts(s, p, path, count))
        out[events++] = {time, s.pitch, s.velocity};
    ++s.frames;
    remember(s, path[0].level_db);
    return events;
}

bool track_notes_end(track_notes &s, std::int64_t time, track_note *out) {
    if (!s.sounding)
        return false;
    *out = {time, s.pitch, 0};
    s.sounding = false;
    return true;
}
