#include "cli/commands.hpp"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <limits>
#include <optional>

#include "analysis/centroid_run.hpp"
#include "output/cost.hpp"
#include "output/metadata.hpp"
#include "demo/demo_report.hpp"
#include "base/errors.hpp"
#include "analysis/host_session.hpp"
#include "cli/manifest.hpp"
#include "output/output_file.hpp"
#include "analysis/pitch_run.hpp"
#include "output/plot.hpp"
#include "output/result_stream.hpp"
#include "analysis/segment.hpp"
#include "analysis/segment_runner.hpp"
#include "demo/synth.hpp"

namespace morvkit {
namespace {

// One file as the run sees it: an existing file by device and inode (links followed), a file
// still to be made by the path it will have.  Devices and FIFOs are never "the same file" as
// anything: writing twice to /dev/null harms nobody, and they cannot be an audio input.
struct Place {
    std::optional<FileIdentity> identity;
    std::filesystem::path path;

    bool same_as(const Place &other) const {
        if (identity && other.identity)
            return identity->regular && other.identity->regular && *identity == *other.identity;
        return !identity && !other.identity && !path.empty() && path == other.path;
    }
};

Place place_of(const OutputFile &file) {
    if (file.identity())
        return {file.identity(), {}};
    std::error_code ec;
    return {std::nullopt, std::filesystem::weakly_canonical(file.target(), ec)};
}

// The result files of one run, opened before any analysis.  Standard output is the table's
// place when no --output was given (for the demo, its report's).
struct Outputs {
    OutputFile table;
    std::optional<OutputFile> plot;

    Outputs(const Options &options, const std::filesystem::path *input) : table(options.output) {
        if (options.plot)
            plot.emplace(*options.plot);
        const Place table_place = place_of(table);
        if (input) {
            // Standard input may be a file redirected in: the one it is.
            const Place input_place{identity_of(is_standard_input(*input) ? "/dev/stdin" : *input),
                                    {}};
            if (table_place.same_as(input_place))
                throw Error(ExitStatus::output,
                            "cannot write " + table.name() + ": it is the input file");
            if (plot && place_of(*plot).same_as(input_place))
                throw Error(ExitStatus::output,
                            "cannot write " + plot->name() + ": it is the input file");
        }
        if (plot && place_of(*plot).same_as(table_place))
            throw Error(ExitStatus::output, "cannot write " + plot->name() +
                                                ": it is the same file as " + table.name());
    }

    void draw(const Options &options, PlotInput input) {
        if (plot)
            write_plot(*plot, *plot_format(*options.plot), input);
    }
};

Json source_head(const Options &options, const AudioFileSource &source) {
    Json head;
    head["file"] = options.input.string();
    head["samplerate"] = source.samplerate();
    head["channels"] = source.channels();
    if (options.channel.mix)
        head["channel"] = "mix";
    else
        head["channel"] = options.channel.channel;
    head["settings"] = run_settings(options);
    return head;
}

// Ends the table with what only the end knows: the frames actually read, and what the header
// announced when that differs.  A file that decoded to nothing is refused like an empty one.
void finish_table(ResultStream &stream, const Options &options, const AudioFileSource &source,
                  std::int64_t frames_read) {
    const std::string file = input_name(options.input);
    if (frames_read == 0)
        throw Error(ExitStatus::input, file + " holds no audio (zero length)");
    Json tail;
    tail["frames"] = frames_read;
    const auto announced = source.announced_frames();
    if (announced && *announced != frames_read)
        tail["frames_announced"] = *announced;
    stream.finish(tail);
    if (announced && frames_read < *announced)
        std::cerr << "morvkit: warning: " << file << " announces " << *announced
                  << " frames but holds only " << frames_read << "; analysed those" << std::endl;
}

// The shortest segment worth a process of its own: starting one and reading its warm-up cost a
// few milliseconds.
constexpr std::int64_t min_segment_frames = 1 << 15;

// The frames an input surely holds, for cutting it into segments: 0 when its header announces
// no length, and for standard input, which a segment's process cannot open again.
std::int64_t known_frames(const Options &options, const AudioFileSource &source) {
    if (is_standard_input(options.input) || !source.announced_frames())
        return 0;
    return std::min(*source.announced_frames(), source.frames());
}

// Runs `analyse` over a segment of the input: the first segment on the source already open here,
// the others (each in a process of its own) on a source of their own that skips to the segment's
// warm-up.  Returns the position in the whole input where reading ended.
std::int64_t run_segment(const Options &options, AudioFileSource &source, const Segment &segment,
                         const std::function<std::int64_t(SampleSource &)> &analyse) {
    if (segment.start == 0)
        return analyse(source);
    AudioFileSource own(options.input, options.channel);
    const std::int64_t skipped = own.skip(segment.first_frame);
    if (skipped < segment.first_frame)
        return skipped;
    return segment.first_frame + analyse(own);
}

// One run over a segment of the input, its rows to the observer; returns the frames it read.
using Analyse = std::function<std::int64_t(SampleSource &, const Segment &, RunObserver &)>;

// Runs `analyse` over the segments and ends the table.
void analyse_segments(const Options &options, AudioFileSource &source, ResultStream &stream,
                      const std::vector<Segment> &segments, std::size_t columns,
                      const Analyse &analyse) {
    const auto run = [&](const Segment &segment, RunObserver &observer) {
        return run_segment(options, source, segment,
                           [&](SampleSource &from) { return analyse(from, segment, observer); });
    };
    finish_table(stream, options, source, run_segments(segments, columns, run, stream));
}

PlotInput pitch_plot(const Table &rows) {
    PlotInput input;
    input.pitch_time = input.periodicity_time = rows.column(0);
    input.frequency = rows.column(1);
    input.periodicity = input.periodicity_line = rows.column(3);
    return input;
}

}  // namespace

void run_pitch_command(const Options &options) {
    AudioFileSource source(options.input, options.channel);
    Outputs outputs(options, &options.input);
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
        const auto &g = std::get<PitchSettled>(settled).geometry;
        return pitch_cost(samplerate, settings.vector_size, g.analysis_rate, g.max_lag,
                          g.window_size, g.hop_size,
                          std::get<PitchSettled>(settled).parameters.period);
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
    outputs.draw(options, std::move(input));
}

void run_centroid_command(const Options &options) {
    AudioFileSource source(options.input, options.channel);
    Outputs outputs(options, &options.input);
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
    outputs.draw(options, std::move(input));
}

void run_demo_command(const Options &options) {
    constexpr double samplerate = 44100;
    Outputs outputs(options, nullptr);
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
    outputs.draw(options, std::move(input));
}

void print_to_standard_output(const std::string &text) {
    OutputFile out(std::nullopt);
    out.stream() << text;
    out.commit();
}

}  // namespace morvkit
