#include "analysis/pitch_run.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <cstdint>
#include <optional>
#include <string_view>
#include <limits>
#include <vector>

#include "base/errors.hpp"
#include "analysis/box_player.hpp"
#include "analysis/host_session.hpp"
#include "process/interrupt.hpp"
#include "morvhost/host.hpp"
#include "yin_geometry.h"

// The command knows zid~ as a patch does, through the host; its record stays the object's own.
#if __has_include("yin.h")
#error "zid~'s record header is visible to the morvkit command"
#endif

namespace morvkit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// zid~'s threshold is set by a message and is not an attribute, so the box cannot be asked for
// it: the value sent, kept within its range as the object keeps it, or the object's default.
double threshold_sent(const std::optional<double> &threshold) {
    return threshold ? YIN_THRESHOLD.clamp(*threshold) : YIN_THRESHOLD.initial;
}

// One number of a numeric attribute, read through the host as a patch would read it.
double attribute(morvhost::Box &box, std::string_view name) {
    const auto atoms = box.get_attr(name);
    if (atoms.empty())
        throw Error(ExitStatus::analysis,
                    "zid~ does not report its attribute \"" + std::string(name) + "\"");
    return atom_getfloat(&atoms[0]);
}

// What the box settles on at this rate and vector size: its parameters as its attributes say,
// and the geometry that the object derives from them with the same function.
PitchSettled settled_of(morvhost::Box &box, double samplerate, const PitchSettings &settings) {
    // The object keeps "down" within its range and gives its vector size as a 32-bit number; a
    // NaN (no "down" the object would keep) counts as the lowest rather than reach the
    // conversion.
    const double asked_down = attribute(box, YIN_DOWN.name);
    const auto down = static_cast<std::int32_t>(
        asked_down >= YIN_DOWN.lowest ? YIN_DOWN.clamp(asked_down) : YIN_DOWN.lowest);
    const double minfreq = attribute(box, YIN_MINFREQ.name);
    const double period = attribute(box, YIN_PERIOD.name);
    const auto vector_size =
        static_cast<std::int32_t>(std::clamp<long>(settings.vector_size, 1, INT32_MAX));
    const yin_geometry g = yin_derive_geometry(samplerate, vector_size, down, minfreq, period);
    return {{g.down, g.analysis_rate, g.max_lag, g.window_size, g.hop_size},
            {down, minfreq, period, threshold_sent(settings.threshold)}};
}

std::unique_ptr<morvhost::Box> make_pitch_box(const PitchSettings &settings) {
    auto box = create_box(settings.box_text, "zid~");
    if (settings.threshold)
        send_message(*box, YIN_THRESHOLD.name, {morvhost::make_float(*settings.threshold)});
    return box;
}

}  // namespace

PitchRun::PitchRun(const PitchSettings &settings)
    : settings_(settings), box_(make_pitch_box(settings)) {}

PitchRun::~PitchRun() = default;

PitchSettled PitchRun::settled(double samplerate) const {
    return settled_of(*box_, samplerate, settings_);
}

std::int64_t PitchRun::run(SampleSource &source, const Segment &segment, RunObserver &observer) {
    // The box runs once, and goes with this call: its outlets' handlers hold the call's locals,
    // and it must outlive the graph that runs it.
    const std::unique_ptr<morvhost::Box> box = std::move(box_);
    const double samplerate = source.samplerate();
    // The outlets fire right to left; the left (frequency) one completes a row.  Rows wait here
    // until the scheduler returns: the observer may throw, and nothing may unwind through the
    // object's own routines.
    using Row = std::array<double, 4>;
    std::vector<Row> delivered;
    double periodicity = nan, amplitude = nan;
    std::int64_t start_samples = 0, done = 0;
    box->outlet(2).on_message([&](const morvhost::Message &m) {
        if (!m.atoms.empty())
            periodicity = atom_getfloat(&m.atoms[0]);
    });
    box->outlet(1).on_message([&](const morvhost::Message &m) {
        if (!m.atoms.empty())
            amplitude = atom_getfloat(&m.atoms[0]);
    });
    box->outlet(0).on_message([&](const morvhost::Message &m) {
        const double frequency = m.atoms.empty() ? nan : atom_getfloat(&m.atoms[0]);
        const std::int64_t at = m.time_samples - start_samples;
        // The host's own seconds for the position in the whole input, so that every segment's
        // times are those of one pass.
        if (at <= done && segment.keeps(segment.first_frame + at))
            delivered.push_back({static_cast<double>(segment.first_frame + at) / samplerate,
                                 frequency, amplitude, periodicity});
        periodicity = amplitude = nan;
    });

    BoxPlay play;
    play.vector_size = settings_.vector_size;
    play.needed = segment.frames_needed(0);
    play.started = [&](std::int64_t at) {
        start_samples = at;
        observer.start(settled_of(*box, samplerate, settings_));
    };
    play.processed = [&](std::int64_t frames_read) { done = frames_read; };
    play.delivered = [&](std::int64_t) {
        // The outlets keep a history of their own; the rows already hold it.
        for (int i = 0; i < 3; ++i) box->outlet(i).clear();
        for (const Row &row : delivered) observer.row(row);
        delivered.clear();
        observer.progress(done);
    };
    return play_into_box(*box, source, play);
}

std::int64_t run_pitch(SampleSource &source, const PitchSettings &settings, RunObserver &observer) {
    PitchRun run(settings);
    return run.run(source, Segment{}, observer);
}

}  // namespace morvkit
