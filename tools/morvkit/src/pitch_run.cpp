#include "pitch_run.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "errors.hpp"
#include "host_session.hpp"
#include "interrupt.hpp"
#include "morvhost/host.hpp"
#include "yin.h"

namespace morvkit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

Json settled_of(const yin_t &record) {
    Json settled;
    settled["geometry"] = {{"down", record.applied_down},
                           {"analysis_rate", record.analysis_rate},
                           {"max_lag", record.max_lag},
                           {"window_size", record.window_size},
                           {"hop_size", record.hop_size}};
    settled["parameters"] = {{"down", record.down},
                             {"minfreq", record.minfreq},
                             {"period", record.period},
                             {"threshold", record.threshold}};
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
    morvhost::DspGraph graph;
    graph.add(*box);
    graph.connect(morvhost::DspGraph::constant(0), *box, 0);
    compile_pitch_graph(graph, samplerate, settings.vector_size);
    // The object derives its geometry at the start of a vector, before it looks whether it is
    // muted; muted, it buffers nothing and sets no clock.
    box->set_dsp_enabled(false);
    graph.run(1);
    return settled_of(*box->as<yin_t>());
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

    const auto *record = box->as<yin_t>();
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
            // The object derives its geometry in the first vector; rows follow the scheduler.
            observer.start(settled_of(*record));
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
