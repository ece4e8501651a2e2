#include "output/plot_series.hpp"

#include <algorithm>
#include <cmath>

namespace morvkit {

void PlotSeries::Bucket::add(const PlotPoint &p) {
    if (!std::isfinite(p.value)) {
        gap = true;
        return;
    }
    if (!used) {
        first = last = low = high = p;
        used = true;
        return;
    }
    if (p.time < first.time)
        first = p;
    if (p.time >= last.time)
        last = p;
    if (p.value < low.value)
        low = p;
    if (p.value > high.value)
        high = p;
}

void PlotSeries::Bucket::merge(const Bucket &later) {
    gap = gap || later.gap;
    if (!later.used)
        return;
    if (!used) {
        const bool had_gap = gap;
        *this = later;
        gap = had_gap || later.gap;
        return;
    }
    for (const PlotPoint &p : {later.first, later.low, later.high, later.last}) add(p);
}

PlotSeries::PlotSeries(std::size_t buckets) : bucket_count_(std::max<std::size_t>(buckets, 2)) {}

void PlotSeries::add(double time, double value, double weight) {
    if (!std::isfinite(time))
        return;  // nowhere on the time axis
    const PlotPoint p{time, value, weight};
    if (buckets_.empty()) {
        raw_.push_back(p);
        if (raw_.size() > 4 * bucket_count_)
            to_buckets();
        return;
    }
    while (index_of(time) >= bucket_count_) widen();
    buckets_[index_of(time)].add(p);
}

std::size_t PlotSeries::index_of(double time) const {
    const double position = (time - origin_) / width_;
    if (!(position > 0))
        return 0;
    return position < static_cast<double>(bucket_count_) ? static_cast<std::size_t>(position)
                                                         : bucket_count_;
}

void PlotSeries::to_buckets() {
    const auto [low, high] =
        std::minmax_element(raw_.begin(), raw_.end(),
                            [](const PlotPoint &a, const PlotPoint &b) { return a.time < b.time; });
    origin_ = low->time;
    // Half the buckets for what is there, half for what is still to come.
    const double span = high->time - low->time;
    width_ = span > 0 ? span / static_cast<double>(bucket_count_ / 2) : 1.0;
    if (!std::isfinite(width_) || !(width_ > 0))
        width_ = std::numeric_limits<double>::max();
    buckets_.assign(bucket_count_, Bucket{});
    for (const PlotPoint &p : raw_) {
        while (index_of(p.time) >= bucket_count_) widen();
        buckets_[index_of(p.time)].add(p);
    }
    raw_ = {};
}

void PlotSeries::widen() {
    for (std::size_t i = 0; i < bucket_count_ / 2; ++i) {
        Bucket merged = buckets_[2 * i];
        merged.merge(buckets_[2 * i + 1]);
        buckets_[i] = merged;
    }
    std::fill(buckets_.begin() + static_cast<std::ptrdiff_t>(bucket_count_ / 2), buckets_.end(),
              Bucket{});
    width_ *= 2;
}

std::vector<PlotPoint> PlotSeries::points() const {
    if (buckets_.empty())
        return raw_;
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<PlotPoint> out;
    for (std::size_t i = 0; i < bucket_count_; ++i) {
        const Bucket &b = buckets_[i];
        if (b.used) {
            PlotPoint kept[] = {b.first, b.low, b.high, b.last};
            std::stable_sort(
                std::begin(kept), std::end(kept),
                [](const PlotPoint &a, const PlotPoint &c) { return a.time < c.time; });
            for (const PlotPoint &p : kept)
                if (out.empty() || p.time != out.back().time || p.value != out.back().value)
                    out.push_back(p);
        }
        if (b.gap)
            out.push_back(
                {b.used ? b.last.time : origin_ + static_cast<double>(i) * width_, nan, nan});
    }
    return out;
}

void PlotSeries::append_to(std::vector<double> &time, std::vector<double> &value,
                           std::vector<double> *weight) const {
    for (const PlotPoint &p : points()) {
        time.push_back(p.time);
        value.push_back(p.value);
        if (weight)
            weight->push_back(p.weight);
    }
}

}  // namespace morvkit
