#include "analysis/pitch_run.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <limits>
#include <vector>

#include "base/errors.hpp"
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
// it: the value sent, kept within 0 to 1 as the object keeps it, or the object's default.
double threshold_sent(const std::optional<double> &threshold) {
    return threshold ? std::clamp(*threshold, 0.0, 1.0) : 0.1;
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
Json settled_of(morvhost::Box &box, double samplerate, const PitchSettings &settings) {
    // The object keeps "down" within 0 to 3 and gives its vector size as a 32-bit number; a
    // NaN (no "down" the object would keep) counts as 0 rather than reach the conversion.
    const double asked_down = attribute(box, "down");
    const auto down = static_cast<std::int32_t>(asked_down >= 0 ? std::min(asked_down, 3.0) : 0.0);
    const double minfreq = attribute(box, "minfreq"), period = attribute(box, "period");
    const auto vector_size =
        static_cast<std::int32_t>(std::clamp<long>(settings.vector_size, 1, INT32_MAX));
    const yin_geometry g = yin_derive_geometry(samplerate, vector_size, down, minfreq, period);
    Json settled;
    settled["geometry"] = {{"down", g.down},
                           {"analysis_rate", g.analysis_rate},
                           {"max_lag", g.max_lag},
                           {"window_size", g.window_size},
                           {"hop_size", g.hop_size}};
    settled["parameters"] = {{"down", down},
                             {"minfreq", minfreq},
                             {"period", period},
                             {"threshold", threshold_sent(settings.threshold)}};
    return settled;
}

std::unique_ptr<morvhost::Box> make_pitch_box(const PitchSettings &settings) {
    if (settings.vector_size < 1)
        throw Error(ExitStatus::usage, "the vector size must be at least 1");
    auto box = create_box(settings.box_text, "zid~");
    if (settings.threshold)
        send_message(*box, "threshold", {morvhost::make_float(*settings.threshold)});
    return box;
}

void compile_pitch_graph(morvhost::DspGraph &graph, double samplerate, long vector_size) {
    if (!graph.compile(samplerate, vector_size))
        throw Error(ExitStatus::analysis,
                    "cannot compile the signal graph: " + last_console_error());
}

}  // namespace

Json pitch_settled(double samplerate, const PitchSettings &settings) {
    auto box = make_pitch_box(settings);
    return settled_of(*box, samplerate, settings);
}

PitchSpan pitch_span(const Json &settled) {
    const auto &g = settled["geometry"];
    const long down = g.value("down", 0L), hop = g.value("hop_size", 0L);
    const long window = g.value("window_size", 0L);
    const double period = settled["parameters"].value("period", 0.0);
    if (down < 0 || down > 3 || hop <= 0 || window <= 0 || !(period > 0))
        return {};
    return {static_cast<std::int64_t>(hop) << down, static_cast<std::int64_t>(2 * window) << down};
}

std::int64_t run_pitch(SampleSource &source, const PitchSettings &settings, RunObserver &observer) {
    auto box = make_pitch_box(settings);
    auto &host = morvhost::Host::get();
    const Segment &segment = settings.segment;
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

    const auto vector_size = static_cast<std::size_t>(settings.vector_size);
    std::vector<double> block(vector_size);
    morvhost::DspGraph graph;
    graph.add(*box);
    graph.connect(
        [&](double *out, long n) {
            std::copy_n(block.begin(), std::min(static_cast<std::size_t>(n), vector_size), out);
        },
        *box, 0);
    compile_pitch_graph(graph, samplerate, settings.vector_size);
    start_samples = host.now_samples();

    const std::int64_t needed = segment.frames_needed(0);
    bool started = false;
    const InterruptChecks checks;
    while (done < needed) {
        const auto want =
            static_cast<std::size_t>(std::min<std::int64_t>(settings.vector_size, needed - done));
        const std::size_t got = source.read(std::span(block).first(want));
        if (got == 0)
            break;
        check_interrupt();
        std::fill(block.begin() + static_cast<std::ptrdiff_t>(got), block.end(), 0.0);
        graph.run(1);
        done += static_cast<std::int64_t>(got);
        if (!started) {
            observer.start(settled_of(*box, samplerate, settings));
            started = true;
        }
        host.run_scheduler();
        // The outlets keep a history of their own; the rows already hold it.
        for (int i = 0; i < 3; ++i) box->outlet(i).clear();
        for (const Row &row : delivered) observer.row(row);
        delivered.clear();
        observer.progress(done);
    }
    return done;
}

}  // namespace morvkit
