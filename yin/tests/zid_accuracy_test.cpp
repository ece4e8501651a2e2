// Accuracy of zid~ at its defaults (down 2, minfreq 60, period 5, threshold 0.1) on sines,
// harmonic tones and white noise, measured through the stand-in host as a patch would use it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "zid_test_host.h"

namespace {

using morvhost::DspGraph;

constexpr double rate = 44100;
constexpr double two_pi = 6.283185307179586;

struct Analysis {
    double frequency, amplitude, periodicity;
};

// Runs `seconds` of the source through a default zid~ and returns the analyses whose frame was
// entirely filled with signal (the frame spans 376 samples at 11025 Hz, about 34 ms).
std::vector<Analysis> analyse(DspGraph::Source source, double seconds = 0.25) {
    auto box = zid_test::make_box("zid~");
    if (!box)
        return {};
    zid_test::OutletLog log(*box);
    DspGraph graph;
    graph.add(*box);
    graph.connect(std::move(source), *box, 0);
    EXPECT_TRUE(graph.compile(rate, 64));
    const long vectors = static_cast<long>(seconds * rate / 64);
    for (long i = 0; i < vectors; ++i) {
        graph.run(1);
        zid_test::run_scheduler();
    }
    std::vector<Analysis> out;
    const auto &sent = log.sent();
    for (size_t i = 3 * 10; i + 2 < sent.size(); i += 3)  // skip the first 10 hops (58 ms)
        out.push_back({sent[i + 2].value, sent[i + 1].value, sent[i].value});
    EXPECT_GT(out.size(), 20u);
    return out;
}

// A tone of every harmonic of f0 below a quarter of the analysis rate, amplitudes 1/k, with
// phases that differ from partial to partial.
DspGraph::Source harmonic_tone(double f0) {
    return [f0, i = 0L](double *out, long n) mutable {
        for (long k = 0; k < n; ++k, ++i) {
            double s = 0;
            for (int h = 1; h * f0 < 11025.0 / 4; ++h)
                s += std::sin(two_pi * h * f0 * i / rate + 0.7 * h * h) / h;
            out[k] = 0.3 * s;
        }
    };
}

std::vector<double> test_frequencies() {
    std::vector<double> f;
    for (int i = 0; i <= 40; ++i) f.push_back(65.0 * std::pow(1000.0 / 65.0, i / 40.0));
    return f;
}

// The worst relative frequency error and the lowest periodicity over every analysis.
struct Worst {
    double error = 0, at = 0, periodicity = 1;
    void add(double f0, const std::vector<Analysis> &analyses) {
        for (const Analysis &a : analyses) {
            const double e = std::fabs(a.frequency - f0) / f0;
            if (e > error)
                error = e, at = f0;
            periodicity = std::min(periodicity, a.periodicity);
        }
    }
};

TEST(ZidAccuracy, SinesWithinOnePercent) {
    Worst worst;
    for (double f0 : test_frequencies()) {
        const auto analyses = analyse(DspGraph::sine(f0, rate, 0.5));
        for (const Analysis &a : analyses) {
            EXPECT_NEAR(a.frequency, f0, 0.01 * f0);
            EXPECT_NEAR(a.amplitude, 0.5 / std::sqrt(2.0), 0.05);
        }
        worst.add(f0, analyses);
    }
    EXPECT_GT(worst.periodicity, 0.95);
    std::printf("sines 65-1000 Hz: worst error %.4f %% at %.1f Hz, lowest periodicity %.4f\n",
                100 * worst.error, worst.at, worst.periodicity);
    RecordProperty("worst_error_percent", std::to_string(100 * worst.error));
}

TEST(ZidAccuracy, HarmonicTonesWithinOnePercent) {
    Worst worst;
    for (double f0 : test_frequencies()) {
        const auto analyses = analyse(harmonic_tone(f0));
        for (const Analysis &a : analyses) EXPECT_NEAR(a.frequency, f0, 0.01 * f0);
        worst.add(f0, analyses);
    }
    EXPECT_GT(worst.periodicity, 0.85);
    std::printf(
        "harmonic tones 65-1000 Hz: worst error %.4f %% at %.1f Hz, lowest periodicity "
        "%.4f\n",
        100 * worst.error, worst.at, worst.periodicity);
    RecordProperty("worst_error_percent", std::to_string(100 * worst.error));
}

TEST(ZidAccuracy, WhiteNoiseIsAperiodic) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> noise(-0.5, 0.5);
    const auto analyses = analyse([&](double *out, long n) {
        for (long k = 0; k < n; ++k) out[k] = noise(rng);
    });
    double sum = 0, highest = 0;
    for (const Analysis &a : analyses) {
        sum += a.periodicity;
        highest = std::max(highest, a.periodicity);
        EXPECT_GT(a.amplitude, 0.1);
    }
    const double mean = sum / analyses.size();
    std::printf("white noise: mean periodicity %.3f, highest %.3f\n", mean, highest);
    EXPECT_LT(mean, 0.25);
    EXPECT_LT(highest, 0.35);
}

}  // namespace
