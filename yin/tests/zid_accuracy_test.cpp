// Accuracy of zid~ at its defaults (down 2, minfreq 60, period 5, threshold 0.1) on sines,
// harmonic tones and white noise, measured through the stand-in host as a patch would use it.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "module_fixture.h"

namespace {

using morvhost::DspGraph;

constexpr double rate = 44100;
#if defined(MORV_YIN_ACCELERATE)
// Accelerate sums each correlation in single precision: the results keep their tolerances, but
// not the last bits of the recorded ones.
constexpr bool kCorrectlyRoundedCorrelation = false;
#else
constexpr bool kCorrectlyRoundedCorrelation = true;
#endif
constexpr double two_pi = 6.283185307179586;

struct Analysis {
    double frequency, amplitude, periodicity;
};

// Runs `seconds` of the source through the box typed as `text`, in host vectors of `vector`
// samples, and returns every float its outlets sent, timed from the start of the run.
std::vector<morvtest::Sent> run(DspGraph::Source source, const std::string &text, long vector,
                                double seconds) {
    auto box = morvtest::make_box(text);
    if (!box)
        return {};
    morvtest::OutletLog log(*box);
    DspGraph graph;
    graph.add(*box);
    graph.connect(std::move(source), *box, 0);
    EXPECT_TRUE(graph.compile(rate, vector));
    const std::int64_t start = morvhost::Host::get().now_samples();
    const long vectors = static_cast<long>(seconds * rate / vector);
    for (long i = 0; i < vectors; ++i) {
        graph.run(1);
        morvtest::run_scheduler();
    }
    std::vector<morvtest::Sent> sent = log.sent();
    for (morvtest::Sent &s : sent) s.time_samples -= start;
    return sent;
}

// The analyses whose frame was entirely filled with signal: those sent after the first 60 ms
// (with minfreq 60 the frame spans about 34 ms of input at every down).
std::vector<Analysis> settled(const std::vector<morvtest::Sent> &sent) {
    std::vector<Analysis> out;
    for (size_t i = 0; i + 2 < sent.size(); i += 3)
        if (sent[i].time_samples >= 0.06 * rate)
            out.push_back({sent[i + 2].value, sent[i + 1].value, sent[i].value});
    return out;
}

// A default zid~ in vectors of 64.
std::vector<Analysis> analyse(DspGraph::Source source, double seconds = 0.25) {
    std::vector<Analysis> out = settled(run(std::move(source), "zid~", 64, seconds));
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

// FNV-1a over every value and logical time sent, in order: equal only for identical rows.
uint64_t digest(const std::vector<morvtest::Sent> &sent) {
    uint64_t h = 0xcbf29ce484222325u;
    auto add = [&h](uint64_t word) {
        for (int b = 0; b < 64; b += 8) h = (h ^ ((word >> b) & 0xffu)) * 0x100000001b3u;
    };
    for (const morvtest::Sent &s : sent) {
        add(static_cast<uint64_t>(s.outlet));
        add(std::bit_cast<uint64_t>(s.value));
        add(static_cast<uint64_t>(s.time_samples));
    }
    return h;
}

TEST(ZidAccuracy, SineAtEveryVectorSize) {
    // Recorded when only vector sizes that are multiples of 2^down were analysed correctly: at
    // those sizes every number sent, and when it was sent, must stay exactly as it was.
    struct Golden {
        int32_t down;
        long vector;
        size_t sent;
        uint64_t digest;
    };
    static const Golden golden[] = {
        {0, 1, 87, 0x16323340dabb9639u},    {0, 7, 87, 0xe18fe0f825e75845u},
        {0, 64, 75, 0xff707b7a18c0bf85u},   {0, 127, 78, 0x8419c9dab8eddb7cu},
        {0, 1000, 18, 0xd19695a09631fc78u}, {1, 2, 87, 0x3926869af53bed7fu},
        {1, 10, 84, 0x8cab62225809588bu},   {1, 64, 75, 0x2357e004817d7d81u},
        {1, 1000, 18, 0x0ad0c27783943788u}, {2, 4, 87, 0x12b40163b2efb2fdu},
        {2, 12, 87, 0x10acd67483c5d169u},   {2, 64, 75, 0x97ce7d299cf60a3fu},
        {2, 1000, 18, 0x4ff590518b964d8bu}, {3, 8, 87, 0x267410ddf6212919u},
        {3, 40, 81, 0x20a6ed2e1f902916u},   {3, 64, 75, 0x261b67a2670c1de9u},
        {3, 1000, 18, 0x78ed881712e57566u},
    };
    std::vector<long> vectors;
    for (long v = 1; v <= 70; ++v) vectors.push_back(v);
    vectors.insert(vectors.end(), {127, 1000});
    for (int32_t down = 0; down <= 3; ++down)
        for (long vector : vectors) {
            SCOPED_TRACE(testing::Message() << "down " << down << ", vector " << vector);
            const auto sent =
                run(DspGraph::sine(220, rate, 0.5), "zid~ " + std::to_string(down), vector, 0.15);
            const auto analyses = settled(sent);
            EXPECT_GE(analyses.size(), 3u);
            double error = 0, amplitude_error = 0;
            for (const Analysis &a : analyses) {
                error = std::max(error, std::fabs(a.frequency - 220) / 220);
                amplitude_error =
                    std::max(amplitude_error, std::fabs(a.amplitude - 0.5 / std::sqrt(2.0)));
            }
            EXPECT_LE(error, 0.01);
            EXPECT_LE(amplitude_error, 0.05);
            for (const Golden &g : golden)
                if (g.down == down && g.vector == vector) {
                    EXPECT_EQ(sent.size(), g.sent);
                    if (kCorrectlyRoundedCorrelation) {
                        EXPECT_EQ(digest(sent), g.digest);
                    }
                }
        }
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
