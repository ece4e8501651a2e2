// cost.hpp - what a run will cost, said before it is paid.
//
// Some parameters make an analysis enormously expensive (hundreds of thousands of lags analysed
// every vector, an FFT for every input sample), and the user should hear so before waiting hours.
// The models are rough measurements of this tool on an ordinary 2020s core: zid~'s correlation
// does about 4.5 billion multiply-adds per second (max_lag x window_size per analysis) or, for
// long windows, goes through an FFT at about 4 ns x L log2 L with L = 2 x max_lag, whichever is
// cheaper; the stand-in host spends about 12 microseconds per vector and scheduler pass, and
// pfft~'s frame costs about 0.5 ns x N log2 N for the transform plus 1 ns x N around it.  They are
// meant to be right within a factor of two or three, which is all a warning needs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace morvkit {

struct CostEstimate {
    double realtime_factor = 0;  // seconds of work per second of input
    std::string driver;          // what makes it costly, in the user's terms
};

// zid~ as it derived its geometry; `period` 0 means no periodic analyses.
CostEstimate pitch_cost(double samplerate, long vector_size, double analysis_rate, long max_lag,
                        long window_size, long hop_size, double period);
// Only whole frames are analysed: an input of `input_frames` (0 when unknown) shorter than one
// FFT costs nothing.
CostEstimate centroid_cost(double samplerate, long fft_size, long hop, std::int64_t input_frames);

// Runs costing more than this many seconds per second of input are announced.
inline constexpr double costly_realtime_factor = 10;
// The warning for a run over `input_seconds` of audio (NaN when the length is unknown), or
// none when the run is not costly.  `subject` names what will take that long: the input, so that
// a warning from one of many files says which.
std::optional<std::string> cost_warning(const CostEstimate &cost, double input_seconds,
                                        const std::string &subject = "this run");
// "41 s", "3 min 20 s", "2 h 41 min".
std::string duration_text(double seconds);

}  // namespace morvkit
