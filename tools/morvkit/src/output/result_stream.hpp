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

#include "output/cost.hpp"
#include "output/output_file.hpp"
#include "output/pitch_presentation.hpp"
#include "output/plot.hpp"
#include "output/plot_series.hpp"
#include "output/progress.hpp"
#include "analysis/run_observer.hpp"
#include "output/writers.hpp"

namespace morvkit {

class ResultStream : public RunObserver {
  public:
    // `head` holds the fields written before what the run settles on; `time` says what the time
    // column means; `subject` names the input in a warning; `cost` estimates the run from what
    // it settled on.
    struct Run {
        Json head;
        std::string time;
        std::string subject;
        std::int64_t expected_frames;  // 0 when not known
        double samplerate;
        bool quiet;
        std::function<CostEstimate(const Settled &)> cost;
    };
    // A pitch track, its rows written as `presentation` says; the picture keeps Hz and draws
    // unvoiced analyses grey.
    ResultStream(OutputFile &table, Format format, PitchPresentation presentation, Run run);
    // Rows written as delivered: centroid rows, or track rows (track_columns), whose picture is
    // the decoded line in Hz (its unit learnt from what the run settled on) and the voicing.
    ResultStream(OutputFile &table, Format format, std::vector<std::string> columns, Run run);

    void start(const Settled &settled) override;
    void row(std::span<const double> values) override;
    void progress(std::int64_t frames_done) override;

    // Ends the table with its tail and puts it in place.
    void finish(const Json &tail);
    // The picture's data, in bounded size.
    PlotInput plot_input() const;

  private:
    ResultStream(OutputFile &table, Format format, std::vector<std::string> columns,
                 std::optional<PitchPresentation> presentation, Run run);

    OutputFile &table_;
    RowWriter writer_;
    std::optional<PitchPresentation> pitch_;  // none: centroid or track rows
    bool track_ = false;
    std::optional<double> track_a4_;  // the track's frequencies are MIDI notes at this A4
    Run run_;
    double input_seconds_;
    ProgressBar bar_;
    // pitch: voiced frequency (weighted by periodicity), periodicity, unvoiced frequency;
    // track: decoded line (broken where unvoiced), voicing probability
    PlotSeries first_, second_, unvoiced_;
};

}  // namespace morvkit
