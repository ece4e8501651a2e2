// track_decoder - see track_decoder.h.
#include "track_decoder.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <vector>

namespace {

constexpr int kStates = kTrackMaxCandidates + 1;  // the voiced bins, then the unvoiced state
constexpr double kImpossible = -std::numeric_limits<double>::infinity();

struct State {
    int bin;
    double frequency;
    double score;  // log-probability of the best path ending here (newest frame only)
    int back;      // index of the previous frame's state on that path
};

struct Frame {
    std::int64_t time;
    double level_db;
    double voicing;
    double likeliest;  // frequency of the best voiced state, or 0
    int voiced_count;  // states[0 .. voiced_count - 1] voiced, states[voiced_count] unvoiced
    State states[kStates];
};

}  // namespace

struct track_decoder {
    track_decoder_params params;
    double stay_voiced;
    double stay_unvoiced;
    double switch_cost;
    std::vector<Frame> ring;  // lag + 1 frames, the newest at `newest`
    int newest = -1;
    std::int64_t frames = 0;  // since the start or the last reset
};

track_decoder *track_decoder_new(const track_decoder_params &p) {
    if (!(p.lag >= 0 && p.lag < (1 << 20) && p.cents_per_bin > 0.0 && p.reference_hz > 0.0 &&
          p.band >= 0 && p.cost_per_bin >= 0.0 && p.switch_probability > 0.0 &&
          p.switch_probability < 1.0 && p.unvoiced_weight > 0.0))
        return nullptr;
    auto *d = new (std::nothrow) track_decoder;
    if (!d)
        return nullptr;
    try {
        d->ring.resize(static_cast<std::size_t>(p.lag) + 1);
    } catch (const std::bad_alloc &) {
        delete d;
        return nullptr;
    }
    d->params = p;
    d->switch_cost = std::log(p.switch_probability);
    d->stay_voiced = std::log1p(-p.switch_probability);
    d->stay_unvoiced = d->stay_voiced;
    return d;
}

void track_decoder_free(track_decoder *decoder) {
    delete decoder;
}

void track_decoder_reset(track_decoder *decoder) {
    decoder->newest = -1;
    decoder->frames = 0;
}

int track_decoder_lag(const track_decoder *decoder) {
    return decoder->params.lag;
}

namespace {

// The frame's states with their observation log-probabilities as scores; candidates in one bin
// merge, the more probable one giving the frequency.
void observe(const track_decoder &d, const track_observation &o, Frame &f) {
    const track_decoder_params &p = d.params;
    f.time = o.time;
    f.level_db = o.level_db;
    f.voicing = o.candidates.voicing;
    f.voiced_count = 0;
    const double bins_per_octave = 1200.0 / p.cents_per_bin;
    for (int i = 0; i < o.candidates.count; ++i) {
        const track_candidate &c = o.candidates.candidate[i];
        const double frequency = o.rate / c.lag;
        const double position = std::log2(frequency / p.reference_hz) * bins_per_octave;
        if (!(std::fabs(position) < 1e6))
            continue;  // NaN, or no pitch the decoder could mean
        const int bin = static_cast<int>(std::lround(position));
        int s = 0;
        while (s < f.voiced_count && f.states[s].bin != bin) ++s;
        if (s == f.voiced_count) {
            f.states[f.voiced_count++] = {bin, frequency, c.probability, -1};
        } else {
            if (c.probability > f.states[s].score)
                f.states[s].frequency = frequency;
            f.states[s].score += c.probability;
        }
    }
    const double belief = std::fmin(std::fmax(o.belief, 0.0), 1.0);  // NaN: none
    for (int s = 0; s < f.voiced_count; ++s)
        f.states[s].score = std::log(f.states[s].score * belief);
    // Floored, so that a frame certain of its voicing but without a usable candidate still has a
    // state to be in.
    const double unvoiced = std::fmax((1.0 - f.voicing * belief) * p.unvoiced_weight, 1e-12);
    f.states[f.voiced_count] = {0, 0.0, std::log(unvoiced), -1};
}

// Adds the best way into each state of f from the previous frame's states.
void transit(const track_decoder &d, const Frame &prev, Frame &f) {
    const track_decoder_params &p = d.params;
    const int pu = prev.voiced_count;
    int best_voiced = -1;
    for (int i = 0; i < pu; ++i)
        if (best_voiced < 0 || prev.states[i].score > prev.states[best_voiced].score)
            best_voiced = i;
    for (int j = 0; j < f.voiced_count; ++j) {
        State &s = f.states[j];
        double best = prev.states[pu].score + d.switch_cost;
        int from = pu;
        for (int i = 0; i < pu; ++i) {
            const int distance = std::abs(prev.states[i].bin - s.bin);
            const double move = distance <= p.band ? -p.cost_per_bin * distance : p.jump;
            const double score = prev.states[i].score + d.stay_voiced + move;
            if (score > best) {
                best = score;
                from = i;
            }
        }
        s.score += best;
        s.back = from;
    }
    State &u = f.states[f.voiced_count];
    double best = prev.states[pu].score + d.stay_unvoiced;
    int from = pu;
    if (best_voiced >= 0 && prev.states[best_voiced].score + d.switch_cost > best) {
        best = prev.states[best_voiced].score + d.switch_cost;
        from = best_voiced;
    }
    u.score += best;
    u.back = from;
    // Scores only compare within a frame: keep the best at 0 so they never drift out of range.
    double top = kImpossible;
    for (int s = 0; s <= f.voiced_count; ++s) top = std::fmax(top, f.states[s].score);
    if (std::isfinite(top))
        for (int s = 0; s <= f.voiced_count; ++s) f.states[s].score -= top;
}

// The pitch an unvoiced frame reports: its best voiced state's, so that a frame the path leaves
// unvoiced still says which pitch it would have been.
void note_likeliest(Frame &f) {
    int best = -1;
    for (int s = 0; s < f.voiced_count; ++s)
        if (best < 0 || f.states[s].score > f.states[best].score)
            best = s;
    f.likeliest = best < 0 ? 0.0 : f.states[best].frequency;
}

track_decision decision(const Frame &f, int state) {
    const bool voiced = state < f.voiced_count;
    return {f.time, f.level_db, f.voicing, voiced,
            voiced ? f.states[state].frequency : f.likeliest};
}

}  // namespace

int track_decoder_step(track_decoder *d, const track_observation &o, track_decision *path) {
    const int size = static_cast<int>(d->ring.size());
    const int prev = d->newest;
    d->newest = (d->newest + 1) % size;
    Frame &f = d->ring[static_cast<std::size_t>(d->newest)];
    observe(*d, o, f);
    if (d->frames > 0)
        transit(*d, d->ring[static_cast<std::size_t>(prev)], f);
    note_likeliest(f);
    ++d->frames;
    const int lag = d->params.lag;
    if (d->frames <= lag)
        return 0;

    int state = 0;
    for (int s = 1; s <= f.voiced_count; ++s)
        if (f.states[s].score > f.states[state].score)
            state = s;
    int index = d->newest;
    for (int k = lag; k >= 0; --k) {
        const Frame &at = d->ring[static_cast<std::size_t>(index)];
        path[k] = decision(at, state);
        state = at.states[state].back;
        index = (index + size - 1) % size;
    }
    return lag + 1;
}
