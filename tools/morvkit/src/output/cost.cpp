#include "output/cost.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace morvkit {
namespace {

constexpr double correlation_rate = 4.5e9;  // multiply-adds per second
// zid~ correlates long windows through an FFT of about twice the lag count instead, whichever is
// cheaper: about 4 ns per L log2 L at the large lengths that matter here (2.4 to 3.9 ns measured
// for 22052 to 262144 lags, the transforms and the lags re-summed directly together).
constexpr double correlation_fft_seconds = 4e-9;
constexpr double vector_seconds = 12e-6;  // one host vector and scheduler pass
constexpr double transform_seconds = 0.5e-9, bin_seconds = 1e-9, frame_seconds = 0.3e-6;

std::string whole(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
}

}  // namespace

CostEstimate pitch_cost(double samplerate, long vector_size, double analysis_rate, long max_lag,
                        long window_size, long hop_size, double period) {
    CostEstimate cost;
    if (!(samplerate > 0) || vector_size < 1)
        return cost;
    const double analyses =
        period > 0 && hop_size > 0 && analysis_rate > 0 ? analysis_rate / hop_size : 0;
    const double lags = std::max(static_cast<double>(max_lag), 1.0);
    const double direct = lags * static_cast<double>(window_size) / correlation_rate;
    const double fft = correlation_fft_seconds * 2 * lags * std::log2(2 * lags);
    const double analysis = analyses * std::min(direct, fft);
    const double vectors = samplerate / static_cast<double>(vector_size) * vector_seconds;
    cost.realtime_factor = analysis + vectors;
    // The host's share stays near real time even at one sample per vector, so only the lag
    // count can make a run costly enough to announce.
    cost.driver = "zid~ compares " + std::to_string(max_lag) +
                  " lags per analysis (set by minfreq and down), " + whole(analyses) +
                  " analyses per second of input";
    return cost;
}

CostEstimate centroid_cost(double samplerate, long fft_size, long hop, std::int64_t input_frames) {
    CostEstimate cost;
    if (!(samplerate > 0) || fft_size < 1 || hop < 1)
        return cost;
    const double n = static_cast<double>(fft_size);
    const double frame = transform_seconds * n * std::log2(n) + bin_seconds * n + frame_seconds;
    double frames_per_second = samplerate / static_cast<double>(hop);
    if (input_frames > 0) {
        const double total = static_cast<double>(input_frames);
        const double frames =
            total < n ? 0 : std::floor((total - n) / static_cast<double>(hop)) + 1;
        frames_per_second = frames / (total / samplerate);
    }
    cost.realtime_factor = frames_per_second * frame;
    cost.driver = "a " + std::to_string(fft_size) + "-point FFT every " + std::to_string(hop) +
                  (hop == 1 ? " sample" : " samples") + " (--fft and --overlap)";
    return cost;
}

std::optional<std::string> cost_warning(const CostEstimate &cost, double input_seconds,
                                        const std::string &subject) {
    if (!(cost.realtime_factor > costly_realtime_factor))
        return std::nullopt;
    std::string text = subject + " will take about ";
    if (std::isfinite(input_seconds) && input_seconds > 0)
        text += duration_text(cost.realtime_factor * input_seconds) + ", ";
    return text + whole(cost.realtime_factor) + " times real time: " + cost.driver;
}

std::string duration_text(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        return "an unknown time";
    const double total = std::round(seconds);
    if (total < 60)
        return whole(total) + " s";
    if (total < 3600)
        return whole(std::floor(total / 60)) + " min " + whole(std::fmod(total, 60)) + " s";
    const double minutes = std::round(seconds / 60);
    return whole(std::floor(minutes / 60)) + " h " + whole(std::fmod(minutes, 60)) + " min";
}

}  // namespace morvkit
