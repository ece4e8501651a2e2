#include <cstdio>
#include <limits>
#include <variant>

#include "analysis/centroid_run.hpp"
#include "analysis/host_session.hpp"
#include "analysis/pitch_run.hpp"
#include "cli/commands.hpp"
#include "demo/demo_report.hpp"
#include "demo/synth.hpp"
#include "output/result_files.hpp"

namespace morvkit {
namespace {

PlotInput pitch_plot(const Table &rows) {
    PlotInput input;
    input.pitch_time = input.periodicity_time = rows.column(0);
    input.frequency = rows.column(1);
    input.periodicity = input.periodicity_line = rows.column(3);
    return input;
}

}  // namespace

void run_demo_command(const Options &options) {
    constexpr double samplerate = 44100;
    ResultFiles outputs(options.output, options.plot, nullptr);
    prepare_host(options.modules);
    const Phrase phrase = synthesise_phrase(samplerate);

    MemorySource pitch_source(phrase.samples, samplerate);
    TableObserver pitch(pitch_columns);
    run_pitch(pitch_source, {}, pitch);
    MemorySource centroid_source(phrase.samples, samplerate);
    TableObserver centroid(centroid_columns);
    run_centroid(centroid_source, {}, centroid);

    const double frame_seconds = std::get<PitchSettled>(pitch.settled).frame_seconds();
    char line[256];
    std::snprintf(line, sizeof line,
                  "A %.1f s phrase at %g Hz through \"zid~\" (vector 64) and morv.centroid~ in "
                  "pfft~ (FFT 1024, overlap 4).\n\n",
                  static_cast<double>(phrase.samples.size()) / samplerate, samplerate);
    outputs.table.stream() << line
                           << format_demo_report(
                                  evaluate_demo(phrase, pitch.rows, frame_seconds, centroid.rows));
    outputs.table.commit();

    PlotInput input = pitch_plot(pitch.rows);
    input.centroid_time = centroid.rows.column(0);
    input.centroid = centroid.rows.column(1);
    input.title = "morvkit demo: zid~ and morv.centroid~ on a phrase of known pitch";
    // The true pitch every 5 ms; silence breaks the line.
    for (std::size_t i = 0; i < phrase.true_pitch.size(); i += 220) {
        input.truth_time.push_back(static_cast<double>(i) / samplerate);
        input.truth_frequency.push_back(phrase.true_pitch[i] > 0
                                            ? phrase.true_pitch[i]
                                            : std::numeric_limits<double>::quiet_NaN());
    }
    outputs.draw(input);
}

}  // namespace morvkit
