#include "pitch_run.hpp"

#include <algorithm>
#include <limits>
#include <vector>

#include "errors.hpp"
#include "host_session.hpp"
#include "morvhost/host.hpp"
#include "yin.h"

namespace morvkit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

Json geometry_of(const yin_t &record) {
    Json geometry;
    geometry["down"] = record.applied_down;
    geometry["analysis_rate"] = record.analysis_rate;
    geometry["max_lag"] = record.max_lag;
    geometry["window_size"] = record.window_size;
    geometry["hop_size"] = record.hop_size;
    return geometry;
}

Json parameters_of(const yin_t &record) {
    Json parameters;
    parameters["down"] = record.down;
    parameters["minfreq"] = record.minfreq;
    parameters["period"] = record.period;
    parameters["threshold"] = record.threshold;
    return parameters;
}

}  // namespace

PitchResult run_pitch(SampleSource &source, const PitchSettings &settings,
                      const ProgressCallback &progress) {
    if (settings.vector_size < 1)
        throw Error(ExitStatus::usage, "the vector size must be at least 1");
    auto box = create_box(settings.box_text, "zid~");
    if (settings.threshold && !box->send("threshold", {morvhost::make_float(*settings.threshold)}))
        throw Error(ExitStatus::analysis,
                    "zid~ refused the message \"threshold\": " + last_console_error());

    PitchResult result;
    auto &host = morvhost::Host::get();
    // The outlets fire right to left; the left (frequency) one completes a row.
    double periodicity = nan, amplitude = nan;
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
        result.rows.add_row({m.time_seconds - start_seconds, frequency, amplitude, periodicity});
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
    start_seconds = host.now_seconds();

    const auto *record = box->as<yin_t>();
    std::int64_t done = 0;
    bool first = true;
    while (const std::size_t got = source.read(block)) {
        std::fill(block.begin() + static_cast<std::ptrdiff_t>(got), block.end(), 0.0);
        graph.run(1);
        host.run_scheduler();
        // The outlets keep a history of their own; the rows already hold it.
        for (int i = 0; i < 3; ++i) box->outlet(i).clear();
        if (first) {
            result.geometry = geometry_of(*record);
            if (record->analysis_rate > 0)
                result.frame_seconds = 2.0 * record->window_size / record->analysis_rate;
            first = false;
        }
        done += static_cast<std::int64_t>(got);
        if (progress)
            progress(done);
    }
    result.parameters = parameters_of(*record);
    return result;
}

}  // namespace morvkit
