// pitch_run.hpp - a sample stream through a zid~ box in the stand-in host.
//
// The box is created from its text as a user types it, "threshold" is sent as a message, and the
// stream is played into it as box_player.hpp says.  One row per analysis, recorded as the outlets
// fire (right to left): time, frequency, amplitude, periodicity, where time is the host's logical
// time in seconds when the scheduler delivered the analysis, counted from the start of the
// stream.  An analysis delivered after the end of the stream (at the end of the padded last
// vector) is not reported: its frame ends in the padding, and its time would lie beyond the input.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "analysis/run_observer.hpp"
#include "analysis/segment.hpp"
#include "input/sample_source.hpp"

namespace morvhost {
class Box;
}

namespace morvkit {

struct PitchSettings {
    std::string box_text = "zid~";
    std::optional<double> threshold;
    long vector_size = 64;
};

// A zid~ box made from the settings, which runs one stream.  What it settles on can be asked
// before the run (to plan the segments of a long input) from the box that then runs.  A child
// process started after the box is made runs the box's copy as its own.
class PitchRun {
  public:
    explicit PitchRun(const PitchSettings &settings);
    ~PitchRun();
    PitchRun(const PitchRun &) = delete;
    PitchRun &operator=(const PitchRun &) = delete;

    // What the box settles on at this rate, learnt through its attributes: nothing is analysed
    // or delivered.  Asked before the run, which takes the box with it.
    PitchSettled settled(double samplerate) const;
    // Runs the stream through the box, once in a process.  The source delivers
    // `segment` of a longer input: rows outside it are dropped, and times count from the start
    // of the whole input.  Returns the number of frames read from the source.  Stops with
    // Interrupted at the next vector after a signal.
    std::int64_t run(SampleSource &source, const Segment &segment, RunObserver &observer);

  private:
    PitchSettings settings_;
    std::unique_ptr<morvhost::Box> box_;
};

// A box made and run at once, for a stream analysed whole.
std::int64_t run_pitch(SampleSource &source, const PitchSettings &settings, RunObserver &observer);

}  // namespace morvkit
