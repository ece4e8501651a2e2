// The decoder against an exhaustive search over every path, and its fixed-lag bookkeeping.
#include "track_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr double kRate = 1000.0;  // so a candidate's frequency is 1000 / lag

const track_decoder_params kParams{0, 100.0, 100.0, 2, 0.5, -6.0, 0.05, 0.5};

track_observation frame(std::int64_t time, std::vector<std::pair<double, double>> hz_probability) {
    track_observation o{time, -20.0, kRate, 1.0, {}};
    for (const auto &[hz, p] : hz_probability) {
        o.candidates.candidate[o.candidates.count++] = {kRate / hz, p};
        o.candidates.voicing += p;
    }
    return o;
}

// The model written out once more, for the exhaustive search: state -1 is unvoiced.
double path_score(const std::vector<track_observation> &frames, const std::vector<int> &states,
                  const track_decoder_params &p) {
    const auto bin = [&](const track_observation &o, int s) {
        return static_cast<int>(
            std::lround(std::log2(o.rate / o.candidates.candidate[s].lag / p.reference_hz) *
                        1200.0 / p.cents_per_bin));
    };
    double score = 0.0;
    for (std::size_t t = 0; t < frames.size(); ++t) {
        const track_observation &o = frames[t];
        const int s = states[t];
        score += s < 0 ? std::log((1.0 - o.candidates.voicing) * p.unvoiced_weight)
                       : std::log(o.candidates.candidate[s].probability);
        if (t == 0)
            continue;
        const int r = states[t - 1];
        if ((r < 0) != (s < 0)) {
            score += std::log(p.switch_probability);
        } else {
            score += std::log1p(-p.switch_probability);
            if (s >= 0) {
                const int distance = std::abs(bin(frames[t - 1], r) - bin(o, s));
                score += distance <= p.band ? -p.cost_per_bin * distance : p.jump;
            }
        }
    }
    return score;
}

TEST(TrackDecoder, FindsTheBestPathOfAWholeSequence) {
    // Candidates a semitone apart in 100-cent bins, so none merge; random probabilities.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(0.01, 1.0);
    for (int trial = 0; trial < 40; ++trial) {
        std::vector<track_observation> frames;
        for (int t = 0; t < 6; ++t) {
            const int n = 1 + t % 3;
            std::vector<std::pair<double, double>> c;
            double total = 0.0;
            for (int i = 0; i < n; ++i) total += c.emplace_back(0, uniform(random)).second;
            const double voicing = uniform(random);
            for (int i = 0; i < n; ++i)
                c[static_cast<std::size_t>(i)] = {
                    100.0 * std::exp2((i * 3 + static_cast<int>(random() % 3)) / 12.0),
                    c[static_cast<std::size_t>(i)].second / total * voicing};
            frames.push_back(frame(t, c));
        }
        // Every path, by counting through the states of each frame (the last index unvoiced).
        std::vector<int> states(frames.size(), -1), best_states;
        double best = -INFINITY;
        for (;;) {
            const double s = path_score(frames, states, kParams);
            if (s > best)
                best = s, best_states = states;
            std::size_t t = 0;
            while (t < frames.size() && ++states[t] == frames[t].candidates.count) states[t++] = -1;
            if (t == frames.size())
                break;
        }
        track_decoder_params p = kParams;
        p.lag = static_cast<int>(frames.size()) - 1;
        track_decoder *d = track_decoder_new(p);
        std::vector<track_decision> path(frames.size());
        for (std::size_t t = 0; t < frames.size(); ++t)
            EXPECT_EQ(track_decoder_step(d, frames[t], path.data()),
                      t + 1 == frames.size() ? p.lag + 1 : 0);
        for (std::size_t t = 0; t < frames.size(); ++t) {
            const int s = best_states[t];
            EXPECT_EQ(path[t].time, static_cast<std::int64_t>(t));
            EXPECT_EQ(path[t].voiced, s >= 0) << "trial " << trial << " frame " << t;
            if (s >= 0) {
                EXPECT_DOUBLE_EQ(path[t].frequency, kRate / frames[t].candidates.candidate[s].lag);
            }
        }
        track_decoder_free(d);
    }
}

TEST(TrackDecoder, DecidesLagFramesBehindTheNewest) {
    track_decoder_params p = kParams;
    p.lag = 3;
    track_decoder *d = track_decoder_new(p);
    ASSERT_TRUE(d);
    EXPECT_EQ(track_decoder_lag(d), 3);
    std::vector<track_decision> path(4);
    for (int round = 0; round < 2; ++round) {
        for (int t = 0; t < 10; ++t) {
            const int n = track_decoder_step(d, frame(100 * t, {{200.0, 0.9}}), path.data());
            ASSERT_EQ(n, t < 3 ? 0 : 4) << t;
            for (int k = 0; k < n; ++k) {
                EXPECT_EQ(path[static_cast<std::size_t>(k)].time, 100 * (t - 3 + k));
                EXPECT_TRUE(path[static_cast<std::size_t>(k)].voiced);
                EXPECT_DOUBLE_EQ(path[static_cast<std::size_t>(k)].frequency, 200.0);
            }
        }
        track_decoder_reset(d);  // a new path: the lag fills again
    }
    track_decoder_free(d);
}

TEST(TrackDecoder, UnvoicedFramesReportTheirBestVoicedPitch) {
    track_decoder *d = track_decoder_new(kParams);
    track_decision decided;
    ASSERT_EQ(track_decoder_step(d, frame(0, {{200.0, 0.02}, {300.0, 0.03}}), &decided), 1);
    EXPECT_FALSE(decided.voiced);
    EXPECT_DOUBLE_EQ(decided.frequency, 300.0);
    EXPECT_DOUBLE_EQ(decided.voicing, 0.05);
    ASSERT_EQ(track_decoder_step(d, frame(1, {}), &decided), 1);
    EXPECT_FALSE(decided.voiced);
    EXPECT_EQ(decided.frequency, 0.0);
    track_decoder_free(d);
}

TEST(TrackDecoder, RefusesParametersOutOfRange) {
    for (auto broken : {+[](track_decoder_params &p) { p.lag = -1; },
                        +[](track_decoder_params &p) { p.cents_per_bin = 0.0; },
                        +[](track_decoder_params &p) { p.switch_probability = 1.0; },
                        +[](track_decoder_params &p) { p.unvoiced_weight = std::nan(""); }}) {
        track_decoder_params p = kParams;
        broken(p);
        EXPECT_EQ(track_decoder_new(p), nullptr);
    }
}

}  // namespace
