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

}  // namespace

std::int64_t run_pitch(SampleSource &source, const PitchSettings &settings, RunObserver &observer) {
    if (settings.vector_size < 1)
        throw Error(ExitStatus::usage, "the vector size must be at least 1");
    auto box = create_box(settings.box_text, "zid~");
    if (settings.threshold)
        send_message(*box, "threshold", {morvhost::make_float(*settings.threshold)});

    auto &host = morvhost::Host::get();
    // The outlets fire right to left; the left (frequency) one completes a row.  Rows wait here
    // until the scheduler returns: the observer may throw, and nothing may unwind through the
    // object's own routines.
    using Row = std::array<double, 4>;
    std::vector<Row> delivered;
    double periodicity = nan, amplitude = nan;
    std::int64_t start_samples = 0, done = 0;
    double start_seconds = 0;
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
        if (m.time_samples - start_samples <= done)
            delivered.push_back(
                {m.time_seconds - start_seconds, frequency, amplitude, periodicity});
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
    if (!graph.compile(source.samplerate(), settings.vector_size))
        throw Error(ExitStatus::analysis,
                    "cannot compile the signal graph: " + last_console_error());
    start_samples = host.now_samples();
    start_seconds = host.now_seconds();

    const auto *record = box->as<yin_t>();
    bool started = false;
    while (const std::size_t got = source.read(block)) {
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
