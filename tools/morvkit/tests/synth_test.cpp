#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

#include "demo/synth.hpp"

namespace morvkit {
namespace {

const Phrase &phrase() {
    static const Phrase p = synthesise_phrase(44100);
    return p;
}

const PhraseSegment &segment(const std::string &prefix) {
    for (const auto &s : phrase().segments)
        if (s.name.rfind(prefix, 0) == 0)
            return s;
    throw std::runtime_error("no segment " + prefix);
}

// Magnitude of the signal's component at `frequency` over a segment (a single DFT bin).
double magnitude_at(const PhraseSegment &s, double frequency) {
    std::complex<double> sum;
    const auto first = static_cast<std::size_t>(s.start * 44100);
    const auto last = static_cast<std::size_t>(s.end * 44100);
    for (std::size_t i = first; i < last; ++i)
        sum += phrase().samples[i] *
               std::polar(1.0, -2 * std::numbers::pi * frequency * static_cast<double>(i) / 44100);
    return std::abs(sum) / static_cast<double>(last - first);
}

TEST(Phrase, SegmentsTileTheSignalWithATruePitchPerSample) {
    const auto &p = phrase();
    ASSERT_EQ(p.samples.size(), p.true_pitch.size());
    ASSERT_EQ(p.segments.size(), 6u);
    EXPECT_EQ(p.segments.front().start, 0);
    for (std::size_t i = 1; i < p.segments.size(); ++i)
        EXPECT_EQ(p.segments[i].start, p.segments[i - 1].end);
    EXPECT_NEAR(p.segments.back().end * 44100, static_cast<double>(p.samples.size()), 1e-6);
    for (double x : p.samples) ASSERT_LT(std::fabs(x), 1.0);
}

TEST(Phrase, IsTheSameOnEveryRun) {
    EXPECT_EQ(synthesise_phrase(44100).samples, phrase().samples);
}

TEST(Phrase, NotesSoundAtTheirStatedPitch) {
    const auto &a3 = segment("note A3");
    EXPECT_EQ(phrase().pitch_at((a3.start + a3.end) / 2), 220.0);
    // The fundamental dominates its neighbourhood: the signal really has the pitch it claims.
    EXPECT_GT(magnitude_at(a3, 220), 10 * magnitude_at(a3, 232));
    const auto &noisy = segment("noisy");
    EXPECT_GT(magnitude_at(noisy, 261.63), 5 * magnitude_at(noisy, 275));
}

TEST(Phrase, GlideAndVibratoFollowTheirCurves) {
    const auto &glide = segment("glide");
    EXPECT_NEAR(phrase().pitch_at(glide.start), 196, 0.01);
    EXPECT_NEAR(phrase().pitch_at(glide.end - 1e-4), 392, 0.1);
    const auto &vibrato = segment("vibrato");
    double low = 1e9, high = 0;
    for (auto i = std::lround(vibrato.start * 44100); i < std::lround(vibrato.end * 44100); ++i) {
        low = std::min(low, phrase().true_pitch[static_cast<std::size_t>(i)]);
        high = std::max(high, phrase().true_pitch[static_cast<std::size_t>(i)]);
    }
    EXPECT_NEAR(1200 * std::log2(high / 329.63), 50, 0.5);
    EXPECT_NEAR(1200 * std::log2(low / 329.63), -50, 0.5);
}

TEST(Phrase, SilenceIsSilentAndUnpitched) {
    const auto &silence = segment("silence");
    EXPECT_FALSE(silence.voiced);
    for (auto i = static_cast<std::size_t>(silence.start * 44100); i < phrase().samples.size();
         ++i) {
        ASSERT_EQ(phrase().samples[i], 0.0);
        ASSERT_EQ(phrase().true_pitch[i], 0.0);
    }
}

TEST(Phrase, LookupsOutsideThePhraseFindNothing) {
    EXPECT_EQ(phrase().pitch_at(-1), 0);
    EXPECT_EQ(phrase().pitch_at(1e9), 0);
    EXPECT_EQ(phrase().pitch_at(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(phrase().segment_at(-0.1), nullptr);
    EXPECT_EQ(phrase().segment_at(phrase().segments.back().end), nullptr);
    EXPECT_THROW(synthesise_phrase(0), std::invalid_argument);
    EXPECT_THROW(synthesise_phrase(std::numeric_limits<double>::infinity()), std::invalid_argument);
}

TEST(Phrase, HarmonicsStayBelowNyquistAtLowRates) {
    // At 8 kHz the C5 note (523 Hz) may carry only 7 harmonics; an 8th would alias to 3.8 kHz.
    const Phrase low = synthesise_phrase(8000);
    const auto &c5 = low.segments[1];
    std::complex<double> sum;
    const auto first = static_cast<std::size_t>(c5.start * 8000);
    const auto last = static_cast<std::size_t>(c5.end * 8000);
    for (std::size_t i = first; i < last; ++i)
        sum += low.samples[i] * std::polar(1.0, -2 * std::numbers::pi * (8000 - 8 * 523.25) *
                                                    static_cast<double>(i) / 8000);
    EXPECT_LT(std::abs(sum) / static_cast<double>(last - first), 1e-3);
}

}  // namespace
}  // namespace morvkit
