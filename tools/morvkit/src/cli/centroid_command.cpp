#include <variant>

#include "analysis/centroid_run.hpp"
#include "analysis/host_session.hpp"
#include "cli/commands.hpp"
#include "cli/input_run.hpp"
#include "output/cost.hpp"
#include "output/result_files.hpp"
#include "output/result_stream.hpp"

namespace morvkit {

void run_centroid_command(const Options &options) {
    AudioFileSource source(options.input, options.channel);
    ResultFiles outputs(options.output, options.plot, &options.input);
    prepare_host(options.modules);
    Json head = source_head(options, source);
    head["box"] = "morv.centroid~";
    const double samplerate = source.samplerate();
    const auto cost = [&](const Settled &settled) {
        const auto &c = std::get<CentroidSettled>(settled);
        return centroid_cost(samplerate, c.fft_size, c.hop, source.announced_frames().value_or(0));
    };
    ResultStream stream(
        outputs.table, options.format, centroid_columns,
        {std::move(head), "centre of the frame's window (s)", input_name(options.input),
         source.announced_frames().value_or(0), samplerate, options.quiet, cost});
    const CentroidOptions &asked = options.centroid;
    const CentroidSettings settings{asked.fft_size, asked.overlap, asked.amplitude, {}};
    // Frames are whole within a segment, so a segment needs no warm-up; it is at least a frame.
    const auto segments =
        plan_segments(known_frames(options, source),
                      settings.overlap > 0 ? settings.fft_size / settings.overlap : 0,
                      settings.fft_size, min_segment_frames, options.jobs);
    analyse_segments(options, source, stream, segments, centroid_columns.size(),
                     [&](SampleSource &from, const Segment &segment, RunObserver &observer) {
                         CentroidSettings part = settings;
                         part.segment = segment;
                         return run_centroid(from, part, observer);
                     });
    PlotInput input = stream.plot_input();
    input.title = "morv.centroid~: " + options.input.filename().string();
    outputs.draw(input);
}

}  // namespace morvkit
