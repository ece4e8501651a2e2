#include "demo/demo_report.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace morvkit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

double median(std::vector<double> values) {
    if (values.empty())
        return nan;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

std::string hz(double value) {
    if (!std::isfinite(value))
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace

double cents(double frequency, double reference) {
    if (!(frequency > 0) || !(reference > 0))
        return nan;
    return 1200.0 * std::log2(frequency / reference);
}

bool is_gross_error(double estimate, double truth) {
    const double distance = cents(estimate, truth);
    return !(std::fabs(distance) <= gross_error_cents);
}

double DemoReport::gross_error_share() const {
    return voiced > 0 ? static_cast<double>(gross_errors) / voiced : nan;
}

DemoReport evaluate_demo(const Phrase &phrase, const Table &pitch, double frame_seconds,
                         const Table &centroid) {
    DemoReport report;
    std::vector<std::vector<double>> estimates(phrase.segments.size());
    for (const auto &segment : phrase.segments) {
        SegmentReport entry{segment.name, segment.start, segment.end};
        double low = std::numeric_limits<double>::infinity(), high = 0;
        // Segment bounds are whole sample counts divided by the rate; rounding recovers them.
        const auto first =
            static_cast<std::size_t>(std::llround(segment.start * phrase.samplerate));
        const auto last =
            std::min(static_cast<std::size_t>(std::llround(segment.end * phrase.samplerate)),
                     phrase.true_pitch.size());
        for (std::size_t i = first; i < last; ++i) {
            if (phrase.true_pitch[i] <= 0)
                continue;
            low = std::min(low, phrase.true_pitch[i]);
            high = std::max(high, phrase.true_pitch[i]);
        }
        if (high > 0)
            entry.true_low = low, entry.true_high = high;
        report.segments.push_back(entry);
    }
    const auto index_of = [&](const PhraseSegment *segment) {
        return static_cast<std::size_t>(segment - phrase.segments.data());
    };

    const double last_sample = 0.5 / phrase.samplerate;
    for (std::size_t row = 0; row < pitch.rows(); ++row) {
        const double end = pitch.at(row, 0);
        const PhraseSegment *segment = phrase.segment_at(end - last_sample);
        if (!segment || !segment->voiced || phrase.segment_at(end - frame_seconds) != segment)
            continue;
        const double estimate = pitch.at(row, 1);
        auto &entry = report.segments[index_of(segment)];
        ++entry.voiced;
        ++report.voiced;
        if (is_gross_error(estimate, phrase.pitch_at(end - frame_seconds / 2))) {
            ++entry.gross_errors;
            ++report.gross_errors;
        }
        estimates[index_of(segment)].push_back(estimate);
    }
    std::vector<std::vector<double>> centroids(phrase.segments.size());
    for (std::size_t row = 0; row < centroid.rows(); ++row)
        if (const auto *segment = phrase.segment_at(centroid.at(row, 0)))
            centroids[index_of(segment)].push_back(centroid.at(row, 1));
    for (std::size_t s = 0; s < report.segments.size(); ++s) {
        report.segments[s].estimate_median = median(estimates[s]);
        // A median, so the few frames whose window still reaches into a neighbouring segment
        // (a noisy note's tail in the frames of a silence) do not colour the whole segment.
        report.segments[s].centroid_median = median(centroids[s]);
    }
    return report;
}

std::string format_demo_report(const DemoReport &report) {
    std::string text;
    char line[256];
    std::snprintf(line, sizeof line, "%-13s %-11s %-15s %-15s %-12s %s\n", "segment", "time (s)",
                  "true pitch", "estimate", "gross errors", "centroid");
    text += line;
    std::snprintf(line, sizeof line, "%-13s %-11s %-15s %-15s %-12s %s\n", "", "", "(Hz)",
                  "(Hz, median)", "", "(Hz, median)");
    text += line;
    for (const auto &s : report.segments) {
        char span[32], truth[40], errors[32];
        std::snprintf(span, sizeof span, "%.2f-%.2f", s.start, s.end);
        if (s.true_high <= 0)
            std::snprintf(truth, sizeof truth, "-");
        else if (s.true_high - s.true_low < 0.05)
            std::snprintf(truth, sizeof truth, "%s", hz(s.true_low).c_str());
        else
            std::snprintf(truth, sizeof truth, "%s-%s", hz(s.true_low).c_str(),
                          hz(s.true_high).c_str());
        if (s.voiced > 0)
            std::snprintf(errors, sizeof errors, "%d/%d", s.gross_errors, s.voiced);
        else
            std::snprintf(errors, sizeof errors, "-");
        std::snprintf(line, sizeof line, "%-13s %-11s %-15s %-15s %-12s %s\n", s.name.c_str(), span,
                      truth, hz(s.estimate_median).c_str(), errors, hz(s.centroid_median).c_str());
        text += line;
    }
    if (report.voiced > 0)
        std::snprintf(
            line, sizeof line,
            "gross-error share: %.2f%% (%d of %d voiced analyses more than %g cents off)\n",
            100 * report.gross_error_share(), report.gross_errors, report.voiced,
            gross_error_cents);
    else
        std::snprintf(line, sizeof line, "gross-error share: - (no voiced analyses)\n");
    text += line;
    return text;
}

}  // namespace morvkit
