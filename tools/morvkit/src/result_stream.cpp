#include "result_stream.hpp"

#include <iostream>
#include <limits>

#include "audio_file.hpp"

namespace morvkit {

ResultStream::ResultStream(OutputFile &table, Format format, std::vector<std::string> columns,
                           Json head, std::string time, Picture picture,
                           std::int64_t expected_frames, double samplerate, bool quiet,
                           std::function<CostEstimate(const Json &)> cost)
    : table_(table),
      writer_(table.stream(), format, std::move(columns)),
      head_(std::move(head)),
      time_(std::move(time)),
      picture_(picture),
      input_seconds_(expected_frames > 0 && samplerate > 0
                         ? static_cast<double>(expected_frames) / samplerate
                         : std::numeric_limits<double>::quiet_NaN()),
      cost_(std::move(cost)),
      bar_(expected_frames, samplerate, quiet) {}

void ResultStream::start(const Json &settled) {
    if (cost_)
        if (const auto warning = cost_warning(cost_(settled), input_seconds_,
                                              input_name(head_.value("file", std::string()))))
            std::cerr << "morvkit: warning: " << *warning << std::endl;
    Json head = head_;
    head.update(settled);
    head["time"] = time_;
    writer_.begin(head);
}

void ResultStream::row(std::span<const double> values) {
    writer_.row(values);
    if (picture_ == Picture::pitch) {
        first_.add(values[0], values[1], values[3]);
        second_.add(values[0], values[3]);
    } else {
        first_.add(values[0], values[1]);
    }
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
    if (picture_ == Picture::pitch) {
        first_.append_to(input.pitch_time, input.frequency, &input.periodicity);
        // The periodicity line keeps its own points; the dots' weights came with theirs.
        second_.append_to(input.periodicity_time, input.periodicity_line);
    } else {
        first_.append_to(input.centroid_time, input.centroid);
    }
    return input;
}

}  // namespace morvkit
