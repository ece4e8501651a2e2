#include "commands.hpp"

#include <cstdio>
#include <iostream>
#include <limits>
#include <memory>

#include "atomic_file.hpp"
#include "centroid_run.hpp"
#include "demo_report.hpp"
#include "errors.hpp"
#include "host_session.hpp"
#include "pitch_run.hpp"
#include "plot.hpp"
#include "progress.hpp"
#include "synth.hpp"
#include "writers.hpp"

namespace morvkit {
namespace {

// The result files of one run, reserved up front.
struct Outputs {
    std::unique_ptr<AtomicFile> table;
    std::unique_ptr<AtomicFile> plot;

    explicit Outputs(const Options &options) {
        if (options.output)
            table = std::make_unique<AtomicFile>(*options.output);
        if (options.plot)
            plot = std::make_unique<AtomicFile>(*options.plot);
    }

    void write(const Options &options, const Json &metadata, const Table &rows) {
        std::ostream &out = table ? table->stream() : std::cout;
        if (options.format == Format::json)
            write_json(out, metadata, rows);
        else
            write_csv(out, rows);
        if (table) {
            table->commit();
        } else {
            std::cout.flush();
            if (!std::cout)
                throw Error(ExitStatus::output, "cannot write to standard output");
        }
    }
};

Json source_metadata(const Options &options, const AudioFileSource &source) {
    Json meta;
    meta["file"] = options.input.string();
    meta["samplerate"] = source.samplerate();
    meta["channels"] = source.channels();
    if (options.channel.mix)
        meta["channel"] = "mix";
    else
        meta["channel"] = options.channel.channel;
    meta["frames"] = source.frames();
    return meta;
}

ProgressCallback progress_of(ProgressBar &bar) {
    return [&bar](std::int64_t done) { bar.update(done); };
}

PlotInput pitch_plot(const PitchResult &pitch) {
    PlotInput input;
    input.pitch_time = pitch.rows.column(0);
    input.frequency = pitch.rows.column(1);
    input.periodicity = pitch.rows.column(3);
    return input;
}

void add_centroid_plot(PlotInput &input, const CentroidResult &centroid) {
    input.centroid_time = centroid.rows.column(0);
    input.centroid = centroid.rows.column(1);
}

}  // namespace

void run_pitch_command(const Options &options) {
    AudioFileSource source(options.input, options.channel);
    Outputs outputs(options);
    prepare_host(options.modules);
    const PitchSettings settings{pitch_box_text(options), options.threshold, options.vector_size};
    PitchResult result;
    {
        ProgressBar bar(source.frames(), source.samplerate(), options.quiet);
        result = run_pitch(source, settings, progress_of(bar));
    }
    Json meta = source_metadata(options, source);
    meta["box"] = settings.box_text;
    meta["vector_size"] = settings.vector_size;
    meta["geometry"] = result.geometry;
    meta["parameters"] = result.parameters;
    meta["time"] = "host logical time (s) when the scheduler delivered the analysis";
    outputs.write(options, meta, result.rows);
    if (outputs.plot) {
        PlotInput input = pitch_plot(result);
        input.title = "zid~: " + options.input.filename().string();
        write_plot(*outputs.plot, input);
    }
}

void run_centroid_command(const Options &options) {
    AudioFileSource source(options.input, options.channel);
    Outputs outputs(options);
    prepare_host(options.modules);
    CentroidResult result;
    {
        ProgressBar bar(source.frames(), source.samplerate(), options.quiet);
        result = run_centroid(source, {options.fft_size, options.overlap, options.amplitude},
                              progress_of(bar));
    }
    Json meta = source_metadata(options, source);
    meta["box"] = "morv.centroid~";
    meta["geometry"] = result.geometry;
    meta["time"] = "centre of the frame's window (s)";
    outputs.write(options, meta, result.rows);
    if (outputs.plot) {
        PlotInput input;
        add_centroid_plot(input, result);
        input.title = "morv.centroid~: " + options.input.filename().string();
        write_plot(*outputs.plot, input);
    }
}

void run_demo_command(const Options &options, std::ostream &out) {
    constexpr double samplerate = 44100;
    Outputs outputs(options);
    prepare_host(options.modules);
    const Phrase phrase = synthesise_phrase(samplerate);

    MemorySource pitch_source(phrase.samples, samplerate);
    const PitchResult pitch = run_pitch(pitch_source, {});
    MemorySource centroid_source(phrase.samples, samplerate);
    const CentroidResult centroid = run_centroid(centroid_source, {});

    char line[256];
    std::snprintf(line, sizeof line,
                  "A %.1f s phrase at %g Hz through \"zid~\" (vector 64) and morv.centroid~ in "
                  "pfft~ (FFT 1024, overlap 4).\n\n",
                  static_cast<double>(phrase.samples.size()) / samplerate, samplerate);
    out << line;
    const auto report = evaluate_demo(phrase, pitch.rows, pitch.frame_seconds, centroid.rows);
    out << format_demo_report(report);
    out.flush();

    if (outputs.plot) {
        PlotInput input = pitch_plot(pitch);
        add_centroid_plot(input, centroid);
        input.title = "morvkit demo: zid~ and morv.centroid~ on a phrase of known pitch";
        // The true pitch every 5 ms; silence breaks the line.
        for (std::size_t i = 0; i < phrase.true_pitch.size(); i += 220) {
            input.truth_time.push_back(static_cast<double>(i) / samplerate);
            input.truth_frequency.push_back(phrase.true_pitch[i] > 0
                                                ? phrase.true_pitch[i]
                                                : std::numeric_limits<double>::quiet_NaN());
        }
        write_plot(*outputs.plot, input);
    }
}

}  // namespace morvkit
