// The whole engine on synthetic tones: geometry, timing, independence from how the input is cut,
// and notes where the sound is.
#include "track_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
const track_settings kSettings{kRate, 40.0, 2200.0, 100.0, 440.0};

struct Output {
    std::vector<track_frame> frames;
    std::vector<track_note> notes;
    std::vector<std::int64_t> frame_reported_at;  // input samples pushed when each came
    std::int64_t pushed = 0;
};

track_sink sink_of(Output &out) {
    return {&out,
            [](void *c, const track_frame &f) {
                auto *o = static_cast<Output *>(c);
                o->frames.push_back(f);
                o->frame_reported_at.push_back(o->pushed);
            },
            [](void *c, const track_note &n) { static_cast<Output *>(c)->notes.push_back(n); }};
}

// Harmonic tones of the given pitches (Hz, 0 = silence), each lasting `seconds`.
std::vector<double> melody(std::initializer_list<std::pair<double, double>> notes) {
    std::vector<double> x;
    double phase = 0.0;
    for (const auto &[hz, seconds] : notes) {
        const auto n = static_cast<std::size_t>(seconds * kRate);
        for (std::size_t i = 0; i < n; ++i) {
            phase += 2.0 * std::numbers::pi * hz / kRate;
            x.push_back(hz > 0 ? 0.3 * std::sin(phase) + 0.15 * std::sin(2 * phase) : 0.0);
        }
    }
    return x;
}

// Pushes the samples one at a time, counting each before the sink sees its results, then
// `delay` samples of silence so every frame comes out.
Output run(const track_settings &settings, const std::vector<double> &x) {
    Output out;
    track_engine *e = track_engine_new(settings);
    EXPECT_TRUE(e);
    std::vector<double> input = x;
    input.resize(x.size() + static_cast<std::size_t>(track_engine_delay(e)), 0.0);
    for (const double sample : input) {
        ++out.pushed;
        track_engine_push(e, &sample, 1, sink_of(out));
    }
    track_engine_reset(e, sink_of(out));
    track_engine_free(e);
    return out;
}

Output run_in_pushes(const track_settings &settings, const std::vector<double> &x, long cut) {
    Output out;
    track_engine *e = track_engine_new(settings);
    std::vector<double> input = x;
    input.resize(x.size() + static_cast<std::size_t>(track_engine_delay(e)), 0.0);
    for (std::size_t at = 0; at < input.size(); at += static_cast<std::size_t>(cut))
        track_engine_push(e, &input[at], std::min<long>(cut, static_cast<long>(input.size() - at)),
                          sink_of(out));
    track_engine_reset(e, sink_of(out));
    track_engine_free(e);
    return out;
}

TEST(TrackGeometry, DefaultRangeAt44100) {
    const track_geometry g = track_derive_geometry(kSettings);
    EXPECT_EQ(g.down, 2);  // 11025 Hz: five samples and more per period of 2200 Hz
    EXPECT_EQ(g.rate, 11025.0);
    EXPECT_EQ(g.min_lag, 5);
    EXPECT_EQ(g.max_lag, 278);  // ceil(11025 / 40) + 2
    EXPECT_EQ(g.hop, 64);       // 256 input samples, 5.8 ms
    EXPECT_EQ(g.lag_frames, 17);
    EXPECT_GT(g.delay, 17 * 256);
}

TEST(TrackGeometry, AnyInputGivesAUsableGeometry) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const track_settings cases[] = {{nan, nan, nan, nan, nan},   {-1, -1, -1, -1, -1},
                                    {inf, inf, inf, inf, inf},   {8000, 3000, 20, 0, 440},
                                    {1e12, 1e-9, 1e12, 1e12, 1}, {48000, 2200, 40, 1e300, 0}};
    for (const track_settings &s : cases) {
        const track_geometry g = track_derive_geometry(s);
        EXPECT_GE(g.down, 0);
        EXPECT_LE(g.down, 3);
        EXPECT_GE(g.min_lag, 2);
        EXPECT_GE(g.max_lag, g.min_lag + 4);
        EXPECT_LE(g.max_lag, 400000);
        EXPECT_GE(g.hop, 1);
        EXPECT_GE(g.lag_frames, 0);
        EXPECT_LE(g.lag_frames, kTrackMaxLagFrames);
        EXPECT_GT(g.delay, 0);
    }
}

TEST(TrackEngine, FramesComeOnTheHopExactlyTheDelayLate) {
    for (const double lag : {0.0, 100.0}) {
        track_settings s = kSettings;
        s.lag_ms = lag;
        track_engine *e = track_engine_new(s);
        const std::int64_t delay = track_engine_delay(e);
        track_engine_free(e);
        const Output out = run(s, melody({{220.0, 0.3}}));
        ASSERT_GT(out.frames.size(), 40u);
        for (std::size_t i = 0; i < out.frames.size(); ++i) {
            EXPECT_EQ(out.frame_reported_at[i] - out.frames[i].time, delay) << i;
            if (i > 0) {
                EXPECT_EQ(out.frames[i].time - out.frames[i - 1].time, 256);
            }
        }
        EXPECT_GE(out.frames.front().time, 0);
        EXPECT_LT(out.frames.front().time, 256);
    }
}

TEST(TrackEngine, HowTheInputIsCutChangesNothing) {
    const auto x = melody({{0.0, 0.1}, {330.0, 0.25}, {247.0, 0.25}, {0.0, 0.1}});
    const Output whole = run_in_pushes(kSettings, x, 1 << 20);
    for (const long cut : {1L, 63L, 64L, 1000L}) {
        const Output out = run_in_pushes(kSettings, x, cut);
        ASSERT_EQ(out.frames.size(), whole.frames.size()) << cut;
        for (std::size_t i = 0; i < out.frames.size(); ++i) {
            EXPECT_EQ(out.frames[i].time, whole.frames[i].time);
            EXPECT_EQ(out.frames[i].frequency, whole.frames[i].frequency);
            EXPECT_EQ(out.frames[i].voicing, whole.frames[i].voicing);
        }
        EXPECT_EQ(out.notes.size(), whole.notes.size()) << cut;
    }
}

TEST(TrackEngine, NotesSitWhereTheTonesAre) {
    // Silence, A3, E4, silence, A3 again: three notes, on and off within
    // 25 ms (four frames) of the truth.
    const auto x =
        melody({{0.0, 0.2}, {220.0, 0.4}, {329.63, 0.4}, {0.0, 0.3}, {220.0, 0.4}, {0.0, 0.2}});
    const Output out = run(kSettings, x);
    ASSERT_EQ(out.notes.size(), 6u);
    const double expected[][3] = {{0.2, 57, 1}, {0.6, 57, 0}, {0.6, 64, 1},
                                  {1.0, 64, 0}, {1.3, 57, 1}, {1.7, 57, 0}};
    for (std::size_t i = 0; i < 6; ++i) {
        const track_note &n = out.notes[i];
        EXPECT_NEAR(n.time / kRate, expected[i][0], 0.025) << i;
        EXPECT_NEAR(n.pitch, expected[i][1], 0.1) << i;
        EXPECT_EQ(n.velocity > 0, expected[i][2] == 1) << i;
    }
    // The frames inside each tone are voiced at its pitch.
    for (const track_frame &f : out.frames) {
        const double t = f.time / kRate;
        if ((t > 0.25 && t < 0.55) || (t > 1.35 && t < 1.65)) {
            EXPECT_TRUE(f.voiced) << t;
            EXPECT_NEAR(f.frequency, 220.0, 1.0) << t;
        } else if (t < 0.15 || (t > 1.05 && t < 1.25)) {
            EXPECT_FALSE(f.voiced) << t;
        }
    }
}

TEST(TrackEngine, AReleaseIsNotHeldAsTheNote) {
    // A tone released with a 50 ms time constant (174 dB per second) keeps its pitch while it
    // dies away; the track is unvoiced 70 ms after the release, and the note has ended within
    // 50 ms of it.
    auto x = melody({{330.0, 0.4}, {330.0, 0.3}});
    const auto release = static_cast<std::size_t>(0.4 * kRate);
    for (std::size_t i = release; i < x.size(); ++i)
        x[i] *= std::exp(-static_cast<double>(i - release) / (0.05 * kRate));
    const Output out = run(kSettings, x);
    ASSERT_EQ(out.notes.size(), 2u);
    EXPECT_NEAR(out.notes[1].time / kRate, 0.4, 0.05);
    for (const track_frame &f : out.frames)
        if (f.time / kRate > 0.47) {
            EXPECT_FALSE(f.voiced) << f.time / kRate;
        }
}

TEST(TrackEngine, ResetEndsASoundingNoteFirst) {
    Output out;
    track_engine *e = track_engine_new(kSettings);
    const auto x = melody({{440.0, 0.5}});
    track_engine_push(e, x.data(), static_cast<long>(x.size()), sink_of(out));
    ASSERT_EQ(out.notes.size(), 1u);
    ASSERT_GT(out.notes[0].velocity, 0);
    track_engine_reset(e, sink_of(out));
    ASSERT_EQ(out.notes.size(), 2u);
    EXPECT_EQ(out.notes[1].velocity, 0);
    EXPECT_EQ(out.notes[1].time, out.frames.back().time);
    // Then it starts over at time 0, and a second reset has nothing to end.
    out = Output{};
    track_engine_push(e, x.data(), static_cast<long>(x.size()), sink_of(out));
    EXPECT_LT(out.frames.front().time, 256);
    track_engine_reset(e, sink_of(out));
    const std::size_t notes = out.notes.size();
    track_engine_reset(e, sink_of(out));
    EXPECT_EQ(out.notes.size(), notes);
    track_engine_free(e);
}

}  // namespace
