// plot_series.hpp - the points of one plotted series, in bounded memory however long the input.
//
// A picture is about a thousand pixels wide, so a long run's rows cannot all be seen anyway.
// While a series is short every point is kept.  Past `4 * buckets` points the time axis is cut
// into at most `buckets` equal spans (widened two-fold whenever the series outgrows them), and
// each span keeps its first, lowest, highest and last point: lines through them cover exactly
// the pixels the full series would at any width below `buckets`, and the extremes of a dot
// cloud all stay.  A non-finite value is remembered as a break in the line.
#pragma once

#include <cstddef>
#include <limits>
#include <vector>

namespace morvkit {

struct PlotPoint {
    double time;
    double value;
    double weight;  // carried along for the drawing (opacity); NaN when unused
};

class PlotSeries {
  public:
    explicit PlotSeries(std::size_t buckets = 8192);
    void add(double time, double value, double weight = std::numeric_limits<double>::quiet_NaN());
    // The kept points in time order; a point with a NaN value marks a break.
    std::vector<PlotPoint> points() const;
    // The points as the drawing takes them: parallel vectors (weights only if asked for).
    void append_to(std::vector<double> &time, std::vector<double> &value,
                   std::vector<double> *weight = nullptr) const;

  private:
    struct Bucket {
        bool used = false, gap = false;
        PlotPoint first{}, last{}, low{}, high{};
        void add(const PlotPoint &p);
        void merge(const Bucket &later);
    };
    void to_buckets();
    void widen();
    std::size_t index_of(double time) const;

    std::size_t bucket_count_;
    std::vector<PlotPoint> raw_;  // every point, while there are few
    std::vector<Bucket> buckets_;
    double origin_ = 0, width_ = 0;
};

}  // namespace morvkit
