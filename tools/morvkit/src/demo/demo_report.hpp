// demo_report.hpp - how well the analyses of the demo phrase match its known pitch.
//
// An analysis counts as voiced when its whole frame lies inside one voiced segment of the
// phrase: frames that straddle two notes, or reach into silence, have no single true pitch.  A
// voiced analysis is a gross error when its estimate is more than `gross_error_cents` away from
// the true pitch at the centre of its frame (or is no positive number at all).
#pragma once

#include <string>
#include <vector>

#include "demo/synth.hpp"
#include "base/table.hpp"

namespace morvkit {

inline constexpr double gross_error_cents = 50.0;

// Signed distance in cents from `reference` to `frequency`; NaN unless both are positive.
double cents(double frequency, double reference);
bool is_gross_error(double estimate, double truth);

struct SegmentReport {
    std::string name;
    double start = 0, end = 0;           // seconds
    double true_low = 0, true_high = 0;  // Hz, over the segment; 0 when unvoiced
    double estimate_median = 0;          // Hz, over the segment's voiced analyses; NaN if none
    int voiced = 0;                      // analyses whose frame lies inside the segment
    int gross_errors = 0;
    double centroid_median =
        0;  // Hz, median of the centroid frames timed inside the segment; NaN if none
};

struct DemoReport {
    std::vector<SegmentReport> segments;
    int voiced = 0;
    int gross_errors = 0;
    double gross_error_share() const;  // 0..1; NaN without voiced analyses
};

// `pitch` has the columns time, frequency, ... with time the end of each analysis frame, which
// spans `frame_seconds`; `centroid` has the columns time, centroid.
DemoReport evaluate_demo(const Phrase &phrase, const Table &pitch, double frame_seconds,
                         const Table &centroid);
std::string format_demo_report(const DemoReport &report);

}  // namespace morvkit
