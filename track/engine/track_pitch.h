// track_pitch - the tracker's pitches in the units a host sends them: a frequency as a fractional
// MIDI note, and a note's MIDI pitch (the engine's, at A4 = 440 Hz) as the nearest note at another
// tuning, within 0 .. 127.  Shared by every host's glue so that all send the same numbers.
#pragma once

#include <cmath>
#include <cstdint>

inline double track_midi_at(double frequency, double a4) {
    return 69.0 + 12.0 * std::log2(frequency / a4);
}

inline int32_t track_note_pitch(double midi_at_440, double a4) {
    const double pitch = std::round(midi_at_440 - 12.0 * std::log2(a4 / 440.0));
    return pitch > 0.0 ? (pitch < 127.0 ? static_cast<int32_t>(pitch) : 127) : 0;
}
