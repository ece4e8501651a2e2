// The candidates of a frame on hand-made normalised differences, where every weight is known.
#include "track_candidates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

const track_prior kPrior = track_beta_prior(2, 18);

// A flat d' of 1 with a V-shaped dip of `value` at each listed lag (symmetric: no parabolic
// shift, and the refined value is the sampled one).
std::vector<double> dips(int w, std::initializer_list<std::pair<int, double>> at) {
    std::vector<double> d(static_cast<std::size_t>(w), 1.0);
    for (const auto &[lag, value] : at) {
        d[static_cast<std::size_t>(lag)] = value;
        d[static_cast<std::size_t>(lag - 1)] = d[static_cast<std::size_t>(lag + 1)] = value + 0.5;
    }
    return d;
}

double weight(int from, int to) {  // thresholds from/100 < s <= to/100
    return kPrior.cumulative[to] - kPrior.cumulative[from];
}

TEST(TrackPrior, IsTheBetaDistributionOverTheThresholds) {
    EXPECT_EQ(kPrior.cumulative[0], 0.0);
    EXPECT_EQ(kPrior.cumulative[kTrackThresholds], 1.0);
    double mean = 0.0;
    for (int k = 1; k <= kTrackThresholds; ++k) {
        EXPECT_GE(kPrior.cumulative[k], kPrior.cumulative[k - 1]);
        mean += (k - 0.5) * 0.01 * weight(k - 1, k);
    }
    EXPECT_NEAR(mean, 0.1, 1e-3);  // Beta(2, 18)
    // Beta(2, 18)'s distribution function at x is P(Binomial(19, x) >= 2); at 0.1 it is
    // 1 - 0.9^19 - 19 0.1 0.9^18 = 0.579735.
    EXPECT_NEAR(kPrior.cumulative[10], 1.0 - std::pow(0.9, 18) * 2.8, 1e-9);
    // Parameters below 1 are taken as 1: Beta(1, 1) is uniform.
    const track_prior uniform = track_beta_prior(0, -5);
    EXPECT_NEAR(uniform.cumulative[37], 0.37, 1e-12);
}

TEST(TrackCandidates, EachThresholdPicksTheFirstDipBelowIt) {
    // A shallow dip at 20 (0.3), then the period at 40 (0.05): thresholds above 0.3 pick the
    // first, those in (0.05, 0.3] the second, and the rest give 1 % to the deepest.
    const auto d = dips(100, {{20, 0.3}, {40, 0.05}, {60, 0.2}});
    const track_candidates c = track_find_candidates(d.data(), 10, 100, kPrior, 0.01);
    ASSERT_EQ(c.count, 2);  // the dip at 60 is never first below any threshold
    EXPECT_EQ(c.candidate[0].lag, 20.0);
    EXPECT_NEAR(c.candidate[0].probability, weight(30, 100), 1e-12);
    EXPECT_EQ(c.candidate[1].lag, 40.0);
    EXPECT_NEAR(c.candidate[1].probability, weight(5, 30) + 0.01 * weight(0, 5), 1e-12);
    EXPECT_NEAR(c.voicing, 1.0 - 0.99 * weight(0, 5), 1e-12);
}

TEST(TrackCandidates, TheRangeBoundsTheSearch) {
    const auto d = dips(100, {{20, 0.3}, {40, 0.05}});
    // From lag 30 on, the period alone; up to lag 40 (max_lag 42 searches up to 40) as well.
    track_candidates c = track_find_candidates(d.data(), 30, 42, kPrior, 0.01);
    ASSERT_EQ(c.count, 1);
    EXPECT_EQ(c.candidate[0].lag, 40.0);
    c = track_find_candidates(d.data(), 30, 41, kPrior, 0.01);
    EXPECT_EQ(c.count, 0);
    EXPECT_EQ(c.voicing, 0.0);
}

TEST(TrackCandidates, ParabolaRefinesLagAndValue) {
    std::vector<double> d(64, 1.0);
    d[29] = 0.4, d[30] = 0.1, d[31] = 0.2;  // a = 0.4, b = -0.1: lag 30.25, value 0.0875
    const track_candidates c = track_find_candidates(d.data(), 2, 64, kPrior, 0.0);
    ASSERT_EQ(c.count, 1);
    EXPECT_DOUBLE_EQ(c.candidate[0].lag, 30.25);
    EXPECT_NEAR(c.candidate[0].probability, weight(8, 100), 1e-12);
}

TEST(TrackCandidates, NoisyFramesKeepTheMostProbable) {
    // Descending dips at every third lag: each is first below a band of thresholds.
    std::vector<double> d(400, 1.0);
    int dips_made = 0;
    for (int lag = 5; lag < 395 && dips_made < 40; lag += 3, ++dips_made)
        d[static_cast<std::size_t>(lag)] = 0.9 - 0.02 * dips_made;
    const track_candidates c = track_find_candidates(d.data(), 2, 400, kPrior, 0.01);
    EXPECT_EQ(c.count, kTrackMaxCandidates);
    for (int i = 1; i < c.count; ++i) EXPECT_LT(c.candidate[i - 1].lag, c.candidate[i].lag);
    EXPECT_LE(c.voicing, 1.0);
    EXPECT_GT(c.voicing, 0.0);
}

TEST(TrackCandidates, NaNIsNeverADip) {
    auto d = dips(64, {{30, 0.05}});
    d[30] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(track_find_candidates(d.data(), 2, 64, kPrior, 0.01).count, 0);
}

}  // namespace
