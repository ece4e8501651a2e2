// result_stream.hpp - a run's rows on their way out: the table written row by row, the picture's
// series kept in bounded memory, the progress bar, and a word on the cost before it is paid.
//
// The table's head is written when the run starts (JSON: the metadata known by then, including
// what the object settled on), each row as it comes, and the tail (how many frames were read,
// and how many the file announced when that differs) at the end.  Nothing grows with the input.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cost.hpp"
#include "output_file.hpp"
#include "plot.hpp"
#include "plot_series.hpp"
#include "progress.hpp"
#include "run_observer.hpp"
#include "writers.hpp"

namespace morvkit {

class ResultStream : public RunObserver {
  public:
    // What the picture shows of a row.
    enum class Picture { pitch, centroid };
    // `head` holds the fields written before what the run settles on; `time` says what the time
    // column means; `cost` estimates the run from what it settled on.
    ResultStream(OutputFile &table, Format format, std::vector<std::string> columns, Json head,
                 std::string time, Picture picture, std::int64_t expected_frames, double samplerate,
                 bool quiet, std::function<CostEstimate(const Json &)> cost);

    void start(const Json &settled) override;
    void row(std::span<const double> values) override;
    void progress(std::int64_t frames_done) override;

    // Ends the table with its tail and puts it in place.
    void finish(const Json &tail);
    // The picture's data, in bounded size.
    PlotInput plot_input() const;

  private:
    OutputFile &table_;
    RowWriter writer_;
    Json head_;
    std::string time_;
    Picture picture_;
    double input_seconds_;
    std::function<CostEstimate(const Json &)> cost_;
    ProgressBar bar_;
    PlotSeries first_, second_;  // pitch: frequency (weighted by periodicity), periodicity
};

}  // namespace morvkit
