// The dip search and selection on hand-made difference functions, where every value is exact.
#include "yinutils_dips.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Scan {
    double lag;
    double aperiodicity;
    int lags_examined;  // calls of next_difference
};

// d holds d(1) .. d(W - 1) at indices 1 .. W - 1 (index 0 is unused), so W is d.size().
Scan scan(const std::vector<double> &d, double threshold, double max_aperiodicity = 1.0) {
    Scan s{0.0, -1.0, 0};
    const int w = static_cast<int>(d.size());
    int expected_j = 2;
    const auto next = [&](int j) {
        EXPECT_EQ(j, expected_j++) << "lags must be examined once each, in order";
        EXPECT_LE(j, w - 2) << "examined a lag without a right neighbour";
        ++s.lags_examined;
        return d.at(static_cast<std::size_t>(j + 1));
    };
    s.lag = yinutils::yin_search_dips(w, d.at(1), d.at(2), next, threshold, max_aperiodicity,
                                      &s.aperiodicity);
    return s;
}

// Alternating 3, 1, 3, 1 ...: a dip at every even lag j, each with normalised value
// j * 1 / (2j) = 1/2 exactly and no parabolic shift.
std::vector<double> alternating(int w) {
    std::vector<double> d(static_cast<std::size_t>(w), 3.0);
    for (int j = 2; j < w; j += 2) {
        d[static_cast<std::size_t>(j)] = 1.0;
    }
    return d;
}

// Three symmetric dips at lags 5, 10 and 15 of depths 2, 1.25 and 2 on a level of 8; their
// values are 5/17 (0.294), 12.5/67.25 (0.186) and 30/101.25 (0.296): the middle one the deepest.
std::vector<double> three_dips() {
    std::vector<double> d(19, 8.0);
    d[5] = 2.0;
    d[10] = 1.25;
    d[15] = 2.0;
    return d;
}

TEST(DipSearch, WithoutDipsReturnsTheDefault) {
    for (const auto &d : {std::vector<double>{0, 1, 2, 3, 4, 5, 6}, std::vector<double>(40, 2.0),
                          std::vector<double>{0, 6, 5, 4, 3, 2, 1}}) {
        const Scan s = scan(d, 0.1);
        EXPECT_EQ(s.lag, static_cast<double>(d.size()));
        EXPECT_EQ(s.aperiodicity, 1.0);
        EXPECT_EQ(s.lags_examined, static_cast<int>(d.size()) - 3);
    }
}

TEST(DipSearch, SmallestWindowExaminesLagTwoOnly) {
    Scan s = scan({0, 2, 1, 2}, 0.1);
    EXPECT_EQ(s.lags_examined, 1);
    EXPECT_EQ(s.lag, 2.0);
    EXPECT_EQ(s.aperiodicity, 2.0 / 3.0);
    s = scan({0, 3, 2, 1}, 0.1);  // lag 3 would be a dip, but has no right neighbour
    EXPECT_EQ(s.lag, 4.0);
    EXPECT_EQ(s.aperiodicity, 1.0);
}

TEST(DipSearch, RefinesByParabolaAndNormalisesAtTheIntegerLag) {
    // Dip at 3 between 3 and 2: the vertex lies 1/6 towards the lower side, its depth is
    // 1 - 1/24, and it is normalised by the cumulative mean at lag 3: S(3) = 5 + 3 + 1 = 9.
    const Scan s = scan({0, 5, 3, 1, 2, 4, 6}, 0.1);
    EXPECT_DOUBLE_EQ(s.lag, 3.0 + 1.0 / 6.0);
    EXPECT_DOUBLE_EQ(s.aperiodicity, (23.0 / 24.0) * 3.0 / 9.0);
}

TEST(DipSearch, NegativeRefinedValueIsClampedToZero) {
    // The parabola through 4, 0.1, 0.2 dips below zero: its value is recorded, and chosen, as 0.
    const Scan s = scan({0, 8, 4, 0.1, 0.2, 4, 8}, 0.1);
    EXPECT_EQ(s.aperiodicity, 0.0);
    EXPECT_FALSE(std::signbit(s.aperiodicity));
    EXPECT_NEAR(s.lag, 3.475, 1e-12);
    // The clamp comes before the limit test: a limit of 0 records nothing.
    const Scan none = scan({0, 8, 4, 0.1, 0.2, 4, 8}, 0.1, 0.0);
    EXPECT_EQ(none.lag, 7.0);
    EXPECT_EQ(none.aperiodicity, 1.0);
}

TEST(DipSearch, StrictDipTest) {
    // Flat bottoms and shoulders are no dips, on either side.
    for (const auto &d : {std::vector<double>{0, 4, 1, 1, 4, 5}, std::vector<double>{0, 1, 1, 2, 3},
                          std::vector<double>{0, 4, 2, 2, 3, 4}}) {
        const Scan s = scan(d, 0.1);
        EXPECT_EQ(s.lag, static_cast<double>(d.size()));
        EXPECT_EQ(s.aperiodicity, 1.0);
    }
}

TEST(DipSearch, MaxAperiodicityIsAStrictLimit) {
    // A dip at lag 3 with value exactly 1.0: 3 * 1.5 / (1 + 2 + 1.5).
    const std::vector<double> d = {0, 1, 2, 1.5, 2, 3, 4};
    Scan s = scan(d, 0.1, 1.0);
    EXPECT_EQ(s.lag, 7.0);
    EXPECT_EQ(s.aperiodicity, 1.0);

    // A dip with value exactly 1/2 at lag 2: 2 * 1 / (3 + 1).
    const std::vector<double> half = {0, 3, 1, 3, 4};
    s = scan(half, 0.1, 0.5);
    EXPECT_EQ(s.lag, 5.0);
    EXPECT_EQ(s.aperiodicity, 1.0);
    s = scan(half, 0.1, std::nextafter(0.5, 1.0));
    EXPECT_EQ(s.lag, 2.0);
    EXPECT_EQ(s.aperiodicity, 0.5);
}

TEST(DipSearch, BestStartsAtOneWhateverTheLimit) {
    // A limit above 1 records the dip at value 1.0, but it never beats the initial best: with
    // threshold 0 the default comes back, with a threshold above 0 the dip is chosen.
    const std::vector<double> d = {0, 1, 2, 1.5, 2, 3, 4};
    Scan s = scan(d, 0.0, 2.0);
    EXPECT_EQ(s.lag, 7.0);
    EXPECT_EQ(s.aperiodicity, 1.0);
    s = scan(d, 0.01, 2.0);
    EXPECT_EQ(s.lag, 3.0);
    EXPECT_EQ(s.aperiodicity, 1.0);
}

TEST(DipSearch, ThresholdPicksFirstDipNearTheDeepest) {
    const auto d = three_dips();
    EXPECT_EQ(scan(d, 0.0).lag, 10.0);  // the deepest
    EXPECT_EQ(scan(d, 1.0).lag, 5.0);   // the first candidate
    EXPECT_EQ(scan(d, 0.2).lag, 5.0);   // 0.294 < 0.186 + 0.2
    EXPECT_EQ(scan(d, 0.1).lag, 10.0);  // neither outer dip is within 0.1 of it
    EXPECT_EQ(scan(d, 0.0).aperiodicity, 12.5 / 67.25);
    EXPECT_EQ(scan(d, 1.0).aperiodicity, 5.0 / 17.0);
}

TEST(DipSearch, ThresholdLimitIsStrict) {
    // Values 5/17 (0.294), 19/67.9 (0.280) and 15/100.9 (0.149), in that order.  With the limit
    // exactly on the first, the second is chosen; one step wider, the first is.
    auto d = three_dips();
    d[10] = 1.9;
    d[15] = 1.0;
    const double first = scan(d, 1.0).aperiodicity;
    const double best = scan(d, 0.0).aperiodicity;
    ASSERT_EQ(scan(d, 0.0).lag, 15.0);
    const double threshold = first - best;  // exact: the two are within a factor of 2
    ASSERT_EQ(threshold + best, first);
    EXPECT_EQ(scan(d, threshold).lag, 10.0);
    EXPECT_EQ(scan(d, std::nextafter(threshold, 1.0)).lag, 5.0);
}

TEST(DipSearch, EqualValuesKeepTheEarlierLag) {
    const Scan s = scan(alternating(20), 0.0);
    EXPECT_EQ(s.lag, 2.0);
    EXPECT_EQ(s.aperiodicity, 0.5);
}

TEST(DipSearch, OnlyTheFirst64CandidatesCount) {
    // 64 equal candidates at lags 2, 4, .., 128; a deeper dip as the 64th counts, as the 65th
    // (lag 130) it is never examined.
    auto d = alternating(200);
    d[128] = 0.25;
    Scan s = scan(d, 0.0);
    EXPECT_EQ(s.lag, 128.0);
    EXPECT_EQ(s.lags_examined, 127);

    d = alternating(200);
    d[130] = 0.25;
    s = scan(d, 0.0);
    EXPECT_EQ(s.lag, 2.0);
    EXPECT_EQ(s.lags_examined, 127);
}

TEST(DipSearch, DipsAboveTheLimitDoNotFillTheList) {
    // Raise the first ten dips above the limit: they are not candidates, so the list fills at
    // the 74th dip (lag 148), which is therefore still considered.
    auto d = alternating(200);
    for (int j = 2; j <= 20; j += 2) {
        d[static_cast<std::size_t>(j)] = 2.9;
    }
    d[148] = 0.25;
    const Scan s = scan(d, 0.0, 0.9);
    EXPECT_EQ(s.lag, 148.0);
    EXPECT_EQ(s.lags_examined, 147);
}

TEST(DipSearch, NaNNeverMakesADip) {
    // A NaN neighbour fails the dip test.
    Scan s = scan({0, 3, 1, kNaN, 4, 5}, 1.0);
    EXPECT_EQ(s.lag, 6.0);
    EXPECT_EQ(s.aperiodicity, 1.0);
    s = scan({0, kNaN, 1, 3, 4, 5}, 1.0);
    EXPECT_EQ(s.lag, 6.0);
    EXPECT_EQ(s.aperiodicity, 1.0);

    // A NaN anywhere before a dip makes its running sum, so its value, NaN: not recorded, even
    // though it would be the deepest; the dip before the NaN is still found.
    auto d = three_dips();
    d[7] = kNaN;
    s = scan(d, 0.0);
    EXPECT_EQ(s.lag, 5.0);
    EXPECT_EQ(s.aperiodicity, 5.0 / 17.0);
}

}  // namespace
