#include <cmath>
#include <string>
#include <tuple>
#include <variant>

#include "analysis/host_session.hpp"
#include "analysis/track_run.hpp"
#include "base/errors.hpp"
#include "base/number_text.hpp"
#include "cli/commands.hpp"
#include "cli/input_run.hpp"
#include "output/metadata.hpp"
#include "output/notes.hpp"
#include "output/result_files.hpp"
#include "output/result_stream.hpp"

namespace morvkit {
namespace {

// The object keeps its settings within its own limits, silently as a patch would; the command
// line says what it asked for, so a setting kept otherwise is refused, naming what was kept.
void check_kept(const TrackBoxArguments &asked, const TrackSettled &kept) {
    for (const auto &[name, value, got] :
         {std::tuple{"--fmin", asked.fmin, kept.fmin}, std::tuple{"--fmax", asked.fmax, kept.fmax},
          std::tuple{"--lag", asked.lag, kept.lag}, std::tuple{"--a4", asked.a4, kept.a4}})
        if (value && *value != got)
            throw Error(ExitStatus::usage, std::string(name) + " " + format_number(*value) +
                                               ": morv.track~ keeps " + format_number(got));
}

// Checks what the box kept as the run starts, before the first row is written, and keeps it.
class KeptChecks : public RunObserver {
  public:
    KeptChecks(RunObserver &next, const TrackBoxArguments &asked, TrackSettled &kept)
        : next_(next), asked_(asked), kept_(kept) {}
    void start(const Settled &settled) override {
        kept_ = std::get<TrackSettled>(settled);
        check_kept(asked_, kept_);
        next_.start(settled);
    }
    void row(std::span<const double> values) override { next_.row(values); }
    void progress(std::int64_t frames) override { next_.progress(frames); }

  private:
    RunObserver &next_;
    const TrackBoxArguments &asked_;
    TrackSettled &kept_;
};

// A semitone's band around a MIDI note, in Hz at `a4`.
PlotNote plot_note(const Note &note, double a4) {
    const auto hz = [a4](double midi) { return a4 * std::exp2((midi - 69) / 12); };
    const auto pitch = static_cast<double>(note.pitch);
    return {note.onset, note.offset, hz(pitch - 0.5), hz(pitch + 0.5)};
}

}  // namespace

void run_track_command(const Options &options) {
    const TrackOptions &asked = options.track;
    AudioFileSource source(options.input, options.channel);
    ResultFiles outputs(options.output, options.plot, &options.input, asked.notes);
    prepare_host(options.modules);
    const TrackSettings settings{track_box_text(asked.box), asked.vector_size};
    Json head = source_head(options, source);
    head["box"] = settings.box_text;
    head["vector_size"] = settings.vector_size;
    ResultStream stream(outputs.table, options.format, track_columns,
                        {head,
                         "where the sound is (s): the host's logical time when the scheduler "
                         "delivered the frame, less the object's reported delay",
                         input_name(options.input), source.announced_frames().value_or(0),
                         source.samplerate(), options.quiet, nullptr});
    NoteList notes;
    TrackSettled kept;
    std::int64_t frames_read = 0;
    // The decoder works across the whole input: one process reads it, whatever --jobs says.
    analyse_segments(options, source, stream, {Segment{}}, track_columns.size(),
                     [&](SampleSource &from, const Segment &, RunObserver &observer) {
                         KeptChecks checked(observer, asked.box, kept);
                         frames_read = run_track(from, settings, checked,
                                                 [&](const NoteEvent &e) { notes.add(e); });
                         return frames_read;
                     });
    notes.end(static_cast<double>(frames_read) / source.samplerate());
    if (outputs.notes) {
        head.update(settled_fields(kept));  // as the frames' head has it
        write_notes(*outputs.notes, *asked.notes_format, notes.notes(), head);
    }
    PlotInput input = stream.plot_input();
    input.title = "morv.track~: " + options.input.filename().string();
    for (const Note &note : notes.notes()) input.notes.push_back(plot_note(note, kept.a4));
    outputs.draw(input);
}

}  // namespace morvkit
