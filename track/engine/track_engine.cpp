// track_engine - see track_engine.h.
#include "track_engine.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "track_candidates.h"
#include "yin_arrays.h"
#include "yin_correlation_fft.h"
#include "yin_decimate.h"
#include "yinutils.h"

namespace {

// The analysis rate is kept at least this many times the highest pitch: enough samples per period
// for the parabola to place the period, and no more (each halving of the rate quarters the
// correlation's cost).
constexpr double kRateOverFmax = 5.0;
// About the hop: frames this far apart follow the fastest note changes; a power of two of input
// samples, so that it is a whole number of the host's vectors.
constexpr double kHopSeconds = 0.0058;
// Frames quieter than this have no pitch.
constexpr double kSilenceDb = -60.0;
constexpr double kLevelFloorDb = -120.0;

// A release or a room's tail keeps its pitch while it fades: a frame this far below the recent
// peak level (which falls back at the given rate) loses its voicing, gradually between the two.
constexpr double kPeakFallDbPerSecond = 30.0;
constexpr double kFullBelowPeakDb = 6.0;
constexpr double kNoneBelowPeakDb = 14.0;
// And a level falling this fast is a release or a tail, not a held note: believed less as the fall
// over the last 45 ms grows from 3 to 6 dB (65 to 130 dB per second; a plucked string dies away
// at a tenth of that).
constexpr double kFallSeconds = 0.045;
constexpr double kFullFallDb = 3.0;
constexpr double kNoneFallDb = 6.0;
constexpr int kMaxFallFrames = 16;

// The published threshold prior and the share of a threshold without a dip.
constexpr int kBetaAlpha = 2, kBetaBeta = 18;
constexpr double kNoDipShare = 0.01;

// The decoder.
constexpr double kCentsPerBin = 10.0;
constexpr double kOctavesPerSecond = 35.92;  // the fastest glide followed at the linear cost
constexpr double kBandCost = 3.0;            // log-probability lost moving the whole band
constexpr double kJump = -9.0;               // log-probability of a leap beyond the band
constexpr double kSwitch = 0.01;
constexpr double kUnvoicedWeight = 0.5;

// The notes.
constexpr double kMinNoteSeconds = 0.06;
constexpr double kChangeSemitones = 0.6;
constexpr double kChangeSeconds = 0.02;
constexpr double kReattackDb = 6.0;
constexpr double kReattackSeconds = 0.025;
constexpr double kVelocityFloorDb = -48.0;

double clamp(double x, double lo, double hi, double if_nan) {
    if (std::isnan(x))
        return if_nan;
    return x < lo ? lo : (x > hi ? hi : x);
}

int frames_of(double seconds, double frame_seconds, int most) {
    return static_cast<int>(clamp(std::round(seconds / frame_seconds), 1.0, most, 1.0));
}

// A frame's time, in input samples before its newest sample: where its evidence lies.  The
// difference at lag tau compares the frame's first max_lag samples with those tau later, so the
// evidence of short periods sits early in the frame; the fraction of max_lag was measured on
// melodies with known notes (a quarter of max_lag after the frame's start: onsets, offsets and
// frame accuracy all best).
constexpr double kCentre = 1.75;
std::int64_t centre(const track_geometry &g) {
    return static_cast<std::int64_t>(kCentre * g.max_lag) << g.down;
}

}  // namespace

track_geometry track_derive_geometry(const track_settings &s) {
    track_geometry g{};
    const double samplerate = clamp(s.samplerate, 1000.0, 1536000.0, 44100.0);
    const double fmax = clamp(s.fmax, 20.0, samplerate / 4.0, 2200.0);
    const double fmin = clamp(s.fmin, 10.0, fmax / 2.0, fmax / 2.0);
    g.down = 0;
    while (g.down < 3 && samplerate / (2 << g.down) >= kRateOverFmax * fmax) ++g.down;
    g.rate = samplerate / (1 << g.down);
    g.min_lag = std::max(2, static_cast<int>(std::floor(g.rate / fmax)));
    // At most about 300 000 lags (10 Hz at 1.5 MHz): every size below fits an int.
    g.max_lag = std::max(static_cast<int>(std::ceil(g.rate / fmin)) + 2, g.min_lag + 4);
    const double hop_in = std::exp2(std::round(std::log2(samplerate * kHopSeconds)));
    g.hop = std::max(1, static_cast<int>(hop_in) >> g.down);
    const double hop_seconds = (g.hop << g.down) / samplerate;
    g.lag_frames = static_cast<int>(
        clamp(std::round(s.lag_ms * 0.001 / hop_seconds), 0.0, kTrackMaxLagFrames, 0.0));
    g.delay = static_cast<std::int64_t>(g.lag_frames) * (g.hop << g.down) + centre(g);
    return g;
}

struct track_engine {
    track_geometry g;
    track_prior prior;
    track_note_params note_params;
    double samplerate;
    std::vector<float> buffer;  // the frame (2 max_lag samples), then the incoming hop
    std::vector<float> acf;
    std::vector<double> normalised;
    std::vector<track_decision> path;
    yin_fft_correlation *plan = nullptr;
    track_decoder *decoder = nullptr;
    track_notes notes;
    yin_group partial;
    int fill;
    std::int64_t consumed;  // input samples in completed hops
    std::int64_t last_reported;
    double peak_db;
    double peak_fall;                  // dB per frame
    double recent_db[kMaxFallFrames];  // the last frames' levels, by frame count
    std::int64_t analysed;             // frames since creation or reset
    int fall_frames;
    ~track_engine() {
        yin_fft_correlation_free(plan);
        track_decoder_free(decoder);
    }
};

track_engine *track_engine_new(const track_settings &settings) {
    auto *e = new (std::nothrow) track_engine;
    if (!e)
        return nullptr;
    const track_geometry g = track_derive_geometry(settings);
    e->g = g;
    e->samplerate = clamp(settings.samplerate, 1000.0, 1536000.0, 44100.0);
    const double frame_seconds = (g.hop << g.down) / e->samplerate;
    e->prior = track_beta_prior(kBetaAlpha, kBetaBeta);
    e->note_params = {frames_of(kMinNoteSeconds, frame_seconds, 256),
                      kChangeSemitones,
                      frames_of(kChangeSeconds, frame_seconds, 256),
                      kReattackDb,
                      frames_of(kReattackSeconds, frame_seconds, kTrackMaxReattackSpan),
                      clamp(settings.a4, 200.0, 1000.0, 440.0),
                      kVelocityFloorDb};
    const double band_bins = kOctavesPerSecond * frame_seconds * 1200.0 / kCentsPerBin;
    const int band = std::max(1, static_cast<int>(std::lround(band_bins)));
    const double fmin = g.rate / (g.max_lag - 2);
    e->decoder = track_decoder_new({g.lag_frames, fmin, kCentsPerBin, band, kBandCost / band, kJump,
                                    kSwitch, kUnvoicedWeight});
    try {
        const auto w = static_cast<std::size_t>(g.max_lag);
        e->buffer.resize(2 * w + static_cast<std::size_t>(g.hop));
        e->acf.resize(w);
        e->normalised.resize(w);
        e->path.resize(static_cast<std::size_t>(g.lag_frames) + 1);
    } catch (const std::bad_alloc &) {
        delete e;
        return nullptr;
    }
    // A plan where the FFT is the faster correlation; without one the estimator sums directly.
    yin_resize_fft_plan(&e->plan, g.max_lag);
    if (!e->decoder) {
        delete e;
        return nullptr;
    }
    e->notes = track_notes_start();
    e->partial = {0.0, 0};
    e->fill = 0;
    e->consumed = 0;
    e->last_reported = 0;
    e->peak_db = kLevelFloorDb;
    e->peak_fall = kPeakFallDbPerSecond * frame_seconds;
    e->analysed = 0;
    e->fall_frames = frames_of(kFallSeconds, frame_seconds, kMaxFallFrames - 1);
    return e;
}

void track_engine_free(track_engine *engine) {
    delete engine;
}

const track_geometry &track_engine_geometry(const track_engine *engine) {
    return engine->g;
}

std::int64_t track_engine_delay(const track_engine *engine) {
    return engine->g.delay;
}

namespace {

double level_db(const float *frame, int w) {
    double sum = 0.0;
    for (int i = w / 2; i < w / 2 + w; ++i) sum += static_cast<double>(frame[i]) * frame[i];
    const double mean = sum / w;
    return mean > 0.0 ? std::max(10.0 * std::log10(mean), kLevelFloorDb) : kLevelFloorDb;
}

void report(track_engine *e, const track_sink &sink, int count) {
    track_note events[2];
    const int n = track_notes_step(e->notes, e->note_params, e->path.data(), count, events);
    for (int i = 0; i < n; ++i) sink.note(sink.context, events[i]);
    const track_decision &d = e->path[0];
    e->last_reported = d.time;
    sink.frame(sink.context, {d.time, d.frequency, d.voicing, d.voiced, d.level_db});
}

void analyse(track_engine *e, const track_sink &sink) {
    const track_geometry &g = e->g;
    const std::int64_t time = e->consumed - centre(g);
    if (time < 0)
        return;  // the frame still reaches before the first sample
    const float *frame = e->buffer.data();
    yin_normalised_difference(frame, e->acf.data(), g.max_lag, e->normalised.data(), e->plan);
    track_observation o{time, level_db(frame, g.max_lag), g.rate, 1.0, {}};
    e->peak_db = std::max(o.level_db, e->peak_db - e->peak_fall);
    const double below = e->peak_db - o.level_db;
    o.belief =
        clamp((kNoneBelowPeakDb - below) / (kNoneBelowPeakDb - kFullBelowPeakDb), 0.0, 1.0, 0.0);
    if (e->analysed >= e->fall_frames) {
        const double fall =
            e->recent_db[(e->analysed - e->fall_frames) % kMaxFallFrames] - o.level_db;
        o.belief *= clamp((kNoneFallDb - fall) / (kNoneFallDb - kFullFallDb), 0.0, 1.0, 1.0);
    }
    e->recent_db[e->analysed % kMaxFallFrames] = o.level_db;
    ++e->analysed;
    if (o.level_db > kSilenceDb)
        o.candidates = track_find_candidates(e->normalised.data(), g.min_lag, g.max_lag, e->prior,
                                             kNoDipShare);
    const int count = track_decoder_step(e->decoder, o, e->path.data());
    if (count > 0)
        report(e, sink, count);
}

}  // namespace

void track_engine_push(track_engine *e, const double *samples, long count, const track_sink &sink) {
    const track_geometry &g = e->g;
    const int frame_length = 2 * g.max_lag;
    while (count > 0) {
        // Exactly the input that completes the hop, or all of it.
        const long missing = (static_cast<long>(g.hop - e->fill) << g.down) - e->partial.count;
        const long take = std::min(count, missing);
        e->fill += yin_decimate(samples, take, g.down, &e->partial,
                                e->buffer.data() + frame_length + e->fill, g.hop - e->fill);
        samples += take;
        count -= take;
        if (e->fill < g.hop)
            break;
        yin_slide(e->buffer.data(), frame_length, g.hop);
        e->fill = 0;
        e->consumed += static_cast<std::int64_t>(g.hop) << g.down;
        analyse(e, sink);
    }
}

void track_engine_reset(track_engine *e, const track_sink &sink) {
    track_note end;
    if (track_notes_end(e->notes, e->last_reported, &end))
        sink.note(sink.context, end);
    e->notes = track_notes_start();
    track_decoder_reset(e->decoder);
    std::fill(e->buffer.begin(), e->buffer.end(), 0.0f);
    e->partial = {0.0, 0};
    e->fill = 0;
    e->consumed = 0;
    e->last_reported = 0;
    e->peak_db = kLevelFloorDb;
    e->analysed = 0;
}
