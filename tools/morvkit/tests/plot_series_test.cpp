#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "output/plot_series.hpp"

namespace morvkit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(PlotSeries, ALongSeriesStaysBoundedAndKeepsWhatAPictureShows) {
    constexpr std::size_t buckets = 256;
    PlotSeries series(buckets);
    constexpr int n = 1'000'000;
    for (int i = 0; i < n; ++i) {
        double value = std::sin(i * 1e-3);
        if (i == 777'777)
            value = 50;  // one outlier among a million: the picture must show it
        if (i == 123'457)
            value = -50;
        series.add(i * 1e-3, value, 0.5);
    }
    const auto points = series.points();
    EXPECT_LE(points.size(), 4 * buckets);
    EXPECT_GE(points.size(), buckets);  // widened at most twice too far
    EXPECT_TRUE(
        std::is_sorted(points.begin(), points.end(),
                       [](const PlotPoint &a, const PlotPoint &b) { return a.time < b.time; }));
    EXPECT_EQ(points.front().time, 0);
    EXPECT_EQ(points.back().time, (n - 1) * 1e-3);
    const auto has = [&](double time, double value) {
        return std::any_of(points.begin(), points.end(), [&](const PlotPoint &p) {
            return p.time == time && p.value == value && p.weight == 0.5;
        });
    };
    EXPECT_TRUE(has(777'777 * 1e-3, 50));
    EXPECT_TRUE(has(123'457 * 1e-3, -50));
    // Every wave still reaches both extremes: each span of the picture keeps its low and high.
    int near_top = 0;
    for (const auto &p : points) near_top += p.value > 0.999 && p.value <= 1;
    EXPECT_GE(near_top, static_cast<int>(n * 1e-3 / (2 * M_PI)) - 1);
}

TEST(PlotSeries, NonFiniteValuesStayBreaksInTheLine) {
    PlotSeries series(4);
    for (int i = 0; i < 100; ++i) series.add(i, i == 50 ? nan : 1.0);
    const auto points = series.points();
    const auto breaks = std::count_if(points.begin(), points.end(),
                                      [](const PlotPoint &p) { return std::isnan(p.value); });
    EXPECT_EQ(breaks, 1);
    const auto at = std::find_if(points.begin(), points.end(),
                                 [](const PlotPoint &p) { return std::isnan(p.value); });
    EXPECT_GT(at, points.begin());
    EXPECT_LT(at, points.end() - 1);
}

}  // namespace
}  // namespace morvkit
