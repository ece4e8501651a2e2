#include <iostream>
#include <variant>

#include "analysis/pitch_box.hpp"
#include "analysis/pitch_range.hpp"
#include "analysis/pitch_run.hpp"
#include "analysis/host_session.hpp"
#include "cli/commands.hpp"
#include "cli/input_run.hpp"
#include "output/cost.hpp"
#include "output/metadata.hpp"
#include "output/pitch_presentation.hpp"
#include "output/result_files.hpp"
#include "output/result_stream.hpp"

namespace morvkit {

void run_pitch_command(const Options &options) {
    AudioFileSource source(options.input, options.channel);
    ResultFiles outputs(options.output, options.plot, &options.input);
    prepare_host(options.modules);
    const double samplerate = source.samplerate();
    const PitchOptions &asked = options.pitch;
    const RangeChoice range = choose_parameters(asked.range, samplerate);
    if (!range.warning.empty())
        std::cerr << "morvkit: warning: " << range.warning << std::endl;
    const PitchSettings settings{pitch_box_text(asked.box, range), asked.threshold,
                                 asked.vector_size};
    Json head = source_head(options, source);
    head["box"] = settings.box_text;
    head["vector_size"] = settings.vector_size;
    if (asked.range.any())
        head["range"] = describe_range(asked.range, range);
    const PitchPresentation presentation(asked.unit, asked.a4, asked.gates);
    head.update(presentation.describe());
    const auto cost = [&](const Settled &settled) {
        const auto &[g, parameters] = std::get<PitchSettled>(settled);
        return pitch_cost(samplerate, settings.vector_size, g.analysis_rate, g.max_lag,
                          g.window_size, g.hop_size, parameters.period);
    };
    ResultStream stream(outputs.table, options.format, presentation,
                        {std::move(head),
                         "host logical time (s) when the scheduler delivered the analysis; none "
                         "after the end of the input",
                         input_name(options.input), source.announced_frames().value_or(0),
                         samplerate, options.quiet, cost});
    // The box that analyses the first segment; a segment's process runs its own copy.
    PitchRun run(settings);
    if (!asked.box.minfreq)  // --minfreq overrides --fmin
        check_fmin(asked.range, run.settled(samplerate));
    std::vector<Segment> segments{Segment{}};
    if (options.jobs > 1 && known_frames(options, source) > 0) {
        const PitchSpan span = pitch_span(run.settled(samplerate));
        segments = plan_segments(known_frames(options, source), span.hop, span.frame,
                                 min_segment_frames, options.jobs);
    }
    analyse_segments(options, source, stream, segments, pitch_columns.size(),
                     [&](SampleSource &from, const Segment &segment, RunObserver &observer) {
                         return run.run(from, segment, observer);
                     });
    PlotInput input = stream.plot_input();
    input.title = "zid~: " + options.input.filename().string();
    outputs.draw(input);
}

}  // namespace morvkit
