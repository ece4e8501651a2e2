#include "output/result_stream.hpp"

#include <cmath>
#include <iostream>
#include <limits>

#include "output/metadata.hpp"

namespace morvkit {

ResultStream::ResultStream(OutputFile &table, Format format, PitchPresentation presentation,
                           Run run)
    : ResultStream(table, format, presentation.columns(), presentation, std::move(run)) {}

ResultStream::ResultStream(OutputFile &table, Format format, std::vector<std::string> columns,
                           Run run)
    : ResultStream(table, format, columns, std::nullopt, std::move(run)) {
    track_ = columns == track_columns;
}

ResultStream::ResultStream(OutputFile &table, Format format, std::vector<std::string> columns,
                           std::optional<PitchPresentation> presentation, Run run)
    : table_(table),
      writer_(table.stream(), format, std::move(columns)),
      pitch_(std::move(presentation)),
      run_(std::move(run)),
      input_seconds_(run_.expected_frames > 0 && run_.samplerate > 0
                         ? static_cast<double>(run_.expected_frames) / run_.samplerate
                         : std::numeric_limits<double>::quiet_NaN()),
      bar_(run_.expected_frames, run_.samplerate, run_.quiet) {}

void ResultStream::start(const Settled &settled) {
    if (run_.cost)
        if (const auto warning = cost_warning(run_.cost(settled), input_seconds_, run_.subject))
            std::cerr << "morvkit: warning: " << *warning << std::endl;
    if (const auto *track = std::get_if<TrackSettled>(&settled); track && track->unit == "midi")
        track_a4_ = track->a4;
    Json head = run_.head;
    head.update(settled_fields(settled));
    head["time"] = run_.time;
    writer_.begin(head);
}

void ResultStream::row(std::span<const double> values) {
    if (track_) {
        writer_.row(values);
        // In Hz for the picture's axis, the line broken where the decoder found no pitch.
        const double hz = track_a4_ ? *track_a4_ * std::exp2((values[1] - 69) / 12) : values[1];
        first_.add(values[0], values[3] > 0 ? hz : std::numeric_limits<double>::quiet_NaN());
        second_.add(values[0], values[2]);
        return;
    }
    if (!pitch_) {
        writer_.row(values);
        first_.add(values[0], values[1]);
        return;
    }
    writer_.row(pitch_->present(values));
    if (pitch_->voiced(values))
        first_.add(values[0], values[1], values[3]);
    else
        unvoiced_.add(values[0], values[1]);
    second_.add(values[0], values[3]);
}

void ResultStream::progress(std::int64_t frames_done) {
    bar_.update(frames_done);
}

void ResultStream::finish(const Json &tail) {
    bar_.finish();
    writer_.end(tail);
    table_.commit();
}

PlotInput ResultStream::plot_input() const {
    PlotInput input;
    if (track_) {
        first_.append_to(input.decoded_time, input.decoded_frequency);
        second_.append_to(input.periodicity_time, input.periodicity_line);
        input.second_label = "Voicing probability";
    } else if (pitch_) {
        first_.append_to(input.pitch_time, input.frequency, &input.periodicity);
        // The periodicity line keeps its own points; the dots' weights came with theirs.
        second_.append_to(input.periodicity_time, input.periodicity_line);
        unvoiced_.append_to(input.unvoiced_time, input.unvoiced_frequency);
    } else {
        first_.append_to(input.centroid_time, input.centroid);
    }
    return input;
}

}  // namespace morvkit
