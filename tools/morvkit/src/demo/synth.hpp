// synth.hpp - the demo's phrase: a short signal whose pitch is known at every sample.
//
// Harmonic notes, a glide, a vibrato, a note buried in noise, and silence, one after another.
// Every segment keeps its own name and span so the demo can report per segment; `true_pitch`
// holds the fundamental in Hz for every sample, 0 where there is none (silence).  The noise is
// drawn from a fixed-seed generator, so the phrase is the same on every run and machine.
#pragma once

#include <string>
#include <vector>

namespace morvkit {

struct PhraseSegment {
    std::string name;
    double start;  // seconds
    double end;    // seconds
    bool voiced;
};

struct Phrase {
    double samplerate = 0;
    std::vector<double> samples;
    std::vector<double> true_pitch;  // Hz per sample; 0: no pitch
    std::vector<PhraseSegment> segments;

    // The true pitch at a time in seconds (the nearest sample; 0 outside the phrase).
    double pitch_at(double seconds) const;
    // The segment holding a time, or null outside the phrase.
    const PhraseSegment *segment_at(double seconds) const;
};

// `samplerate` must be positive and finite (the demo uses 44100).
Phrase synthesise_phrase(double samplerate);

}  // namespace morvkit
