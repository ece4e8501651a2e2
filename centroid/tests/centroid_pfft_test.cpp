// End to end: audio through the stand-in host's pfft~ container into morv.centroid~, with the
// package's own splash companion loaded from its extensions folder.
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "host_fixture.h"
#include "morvhost/pfft.hpp"

namespace {

using namespace centroid_test;
using morvhost::Pfft;
using morvhost::PfftFrame;

constexpr double samplerate = 44100;

class CentroidInPfft : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        load_splash();
        load_centroid();
    }

    // Streams the input through pfft~ (size n, overlap 4) into one morv.centroid~ and returns
    // the centroid of every frame (checking it is constant over the frame).
    static std::vector<double> centroids(const std::vector<double> &input, bool complex,
                                         long n = 1024) {
        Pfft pfft(n, 4);
        morvhost::Box *box = pfft.create("morv.centroid~");
        EXPECT_NE(box, nullptr);
        if (box == nullptr) {
            return {};
        }
        if (complex) {
            pfft.feed_real(*box, 0);
            pfft.feed_imag(*box, 1);
        } else {
            pfft.feed_amplitude(*box, 0);
        }
        std::vector<double> out;
        pfft.collect(*box, 0, [&out](const PfftFrame &frame) {
            for (double v : frame.values) {
                EXPECT_EQ(v, frame.values[0]);
            }
            out.push_back(frame.values[0]);
        });
        EXPECT_TRUE(pfft.compile(samplerate));
        EXPECT_EQ(record(*box).input_mode, complex ? 2 : 1);
        pfft.process(input);
        return out;
    }
};

std::vector<double> sine(double frequency, std::size_t length, double amplitude = 0.5) {
    std::vector<double> v(length);
    for (std::size_t i = 0; i < length; ++i) {
        v[i] = amplitude *
               std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / samplerate);
    }
    return v;
}

TEST_F(CentroidInPfft, SineAtABinCentreGivesThatBin) {
    // The Hann window spreads a bin-centred sine over bins k-1, k, k+1 symmetrically (weights
    // 1/4, 1, 1/4 of the peak power), so the centroid is exactly k bins: the only error left is
    // rounding, below 1e-9 of the value.
    const double width = samplerate / 1024;
    for (int k : {2, 10, 100, 400}) {
        for (bool complex : {true, false}) {
            const auto out = centroids(sine(k * width, 8192), complex);
            ASSERT_EQ(out.size(), (8192u - 1024u) / 256u + 1u);
            for (double c : out) {
                EXPECT_NEAR(c, k * width, 1e-9 * k * width) << "bin " << k;
            }
        }
    }
}

TEST_F(CentroidInPfft, SineBetweenBinsStaysCloseToItsFrequency) {
    // Off-centre, the Hann power spectrum of a tone still centres on the tone: what is left is
    // the pull of its mirror image below DC and above the last bin, under 0.001 bin from three
    // bins up (0.07 bin at 1.5 bins).  Amplitude weighting is not symmetric in the same way and
    // strays by up to about 0.04 bin.
    const double width = samplerate / 1024;
    for (double bin : {3.25, 5.5, 20.25, 50.5, 200.75, 300.3, 500.5}) {
        for (double c : centroids(sine(bin * width, 8192), true)) {
            EXPECT_NEAR(c, bin * width, 0.001 * width) << bin;
        }
        for (double c : centroids(sine(bin * width, 8192), false)) {
            EXPECT_NEAR(c, bin * width, 0.05 * width) << bin;
        }
    }
}

TEST_F(CentroidInPfft, WhiteNoiseCentresOnAQuarterOfTheRate) {
    std::mt19937 gen(42);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> noise(2 * static_cast<std::size_t>(samplerate));
    for (double &s : noise) {
        s = dist(gen);
    }
    // A flat spectrum over bins 0 .. n/2-1 centres on bin (n/2 - 1) / 2: a quarter of the rate
    // less half a bin.
    const double expected = samplerate / 4 - samplerate / 1024 / 2;
    for (bool complex : {true, false}) {
        const auto out = centroids(noise, complex);
        ASSERT_GT(out.size(), 300u);
        // One frame of noise is a random spectrum: its centroid scatters by a few percent (about
        // 4% for power weighting, 2% for amplitude weighting at this size); their mean does not.
        double mean = 0, worst = 0;
        for (double c : out) {
            mean += c / static_cast<double>(out.size());
            worst = std::max(worst, std::abs(c - expected));
        }
        EXPECT_LT(worst, 0.2 * expected);
        EXPECT_NEAR(mean, expected, 0.01 * expected) << (complex ? "complex" : "amplitude");
    }
}

TEST_F(CentroidInPfft, SilenceGivesZero) {
    for (bool complex : {true, false}) {
        const auto out = centroids(std::vector<double>(4096, 0.0), complex);
        ASSERT_EQ(out.size(), 13u);
        for (double c : out) {
            EXPECT_EQ(c, 0.0);
        }
    }
}

TEST_F(CentroidInPfft, DoubleClickOpensThePackagesSplash) {
    Pfft pfft;
    morvhost::Box *box = pfft.create("morv.centroid~");
    ASSERT_NE(box, nullptr);
    morvhost::Host::get().clear_console();
    box->dblclick();
    box->dblclick();
    const auto console = morvhost::Host::get().console();
    ASSERT_EQ(console.size(), 2u);
    for (const auto &line : console) {
        EXPECT_EQ(line.kind, morvhost::ConsoleLine::Kind::post);
        EXPECT_EQ(line.class_name, "morv.splash");
        EXPECT_NE(line.text.find("morvkit"), std::string::npos);
    }
}

}  // namespace
