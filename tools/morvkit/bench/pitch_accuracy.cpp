// pitch_accuracy - how well `morvkit pitch` tracks notes of known pitch, at what processor cost,
// and how often it claims a pitch in quiet.  Run by hand (a minute or two), not in CI:
//
//   build/tools/morvkit/pitch_accuracy
//
// The notes are synthetic, so their pitch is exact: fundamentals from 30 Hz to 4 kHz, four per
// octave, each with four spectra (a strong fundamental with partials falling as 1/k; the same
// with the fundamental at a tenth; the fundamental missing; a nearly pure tone whose upper
// partials are weak, as high notes of many instruments are), random partial phases, a 10 ms
// attack, a slow decay, and noise at -70 dBFS.  Each note lasts 0.5 s, then falls by 290 dB a
// second for 0.25 s (its release tail) and is followed by 0.25 s of digital silence.
//
// An analysis counts when its frame lies wholly within a note's sounding half (after the first
// 20 ms), and is right when within 50 cents of the note.  "Quiet" analyses have their frame
// wholly in the last 0.3 s of a note's second, where the tone has fallen below -70 dBFS; one of
// them claims a pitch when it is voiced (every row, without gates).  The runs go through the
// command's own pieces: the range rule, the box text, zid~ in the stand-in host, the gates.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "analysis/host_session.hpp"
#include "cli/options.hpp"
#include "output/pitch_presentation.hpp"
#include "analysis/pitch_range.hpp"
#include "analysis/pitch_run.hpp"

namespace morvkit {
namespace {

constexpr double samplerate = 44100;
constexpr double note_seconds = 1.0, sounding = 0.5, quiet_from = 0.7;

struct Shape {
    const char *name;
    double (*partial)(int k);  // amplitude of partial k (from 1)
};

const Shape shapes[] = {
    {"strong fundamental", [](int k) { return 1.0 / k; }},
    {"weak fundamental", [](int k) { return k == 1 ? 0.1 : 1.0 / k; }},
    {"missing fundamental", [](int k) { return k == 1 ? 0.0 : 1.0 / k; }},
    {"weak upper partials",
     [](int k) {
         return k == 1 ? 1.0 : (k == 2 ? 0.1 : k == 3 ? 0.03 : 0.0);
     }},
};

std::vector<double> fundamentals() {
    std::vector<double> f;
    for (int i = 0; 30 * std::exp2(i / 4.0) < 4000; ++i) f.push_back(30 * std::exp2(i / 4.0));
    f.push_back(4000);
    return f;
}

// One note per fundamental, one after the other, each in its second.
std::vector<double> synthesise(const Shape &shape, const std::vector<double> &f0s) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> phase(0, 2 * M_PI);
    std::normal_distribution<double> noise(0, std::pow(10, -70 / 20.0));
    const auto per_note = static_cast<std::size_t>(note_seconds * samplerate);
    std::vector<double> out(per_note * f0s.size(), 0.0);
    for (std::size_t n = 0; n < f0s.size(); ++n) {
        std::vector<double> amplitude, start;
        double sum = 0;
        for (int k = 1; k * f0s[n] < 0.45 * samplerate && k <= 30; ++k) {
            amplitude.push_back(shape.partial(k));
            start.push_back(phase(random));
            sum += amplitude.back();
        }
        for (std::size_t i = 0; i < per_note; ++i) {
            const double t = static_cast<double>(i) / samplerate;
            if (t >= sounding + 0.25)
                break;  // digital silence
            double envelope = std::min(t / 0.01, 1.0) * std::exp(-std::min(t, sounding) / 0.6);
            if (t > sounding)
                envelope *= std::exp(-(t - sounding) / 0.03);
            double value = 0;
            for (std::size_t k = 0; k < amplitude.size(); ++k)
                value += amplitude[k] *
                         std::sin(2 * M_PI * f0s[n] * static_cast<double>(k + 1) * t + start[k]);
            out[n * per_note + i] = 0.5 / sum * envelope * value + noise(random);
        }
    }
    return out;
}

struct Tally {
    long counted = 0, right = 0, right_voiced = 0;
    void add(bool is_right, bool voiced) {
        ++counted;
        right += is_right;
        right_voiced += is_right && voiced;
    }
    double share() const { return counted ? 100.0 * right / counted : NAN; }
    double share_voiced() const { return counted ? 100.0 * right_voiced / counted : NAN; }
};

struct Result {
    Tally in_range;                             // notes within the configuration's range
    std::vector<Tally> per_note;                // every note
    std::vector<std::vector<Tally>> per_shape;  // every note of each spectrum
    long quiet = 0, quiet_voiced = 0;
    double seconds = 0, audio = 0;  // processor time, input length
    std::string box;
};

const VoicingGates gates{0.5, -60.0};

// Every shape through the configuration, timed; scores against `f0s`, within [low, high].
Result run(const Options &options, const std::vector<std::vector<double>> &signals,
           const std::vector<double> &f0s, double low, double high) {
    Result result;
    result.per_note.resize(f0s.size());
    result.per_shape.assign(signals.size(), std::vector<Tally>(f0s.size()));
    const RangeChoice choice = choose_parameters(options.pitch.range, samplerate);
    PitchSettings settings;
    settings.box_text = result.box = pitch_box_text(options.pitch.box, choice);
    for (std::size_t s = 0; s < signals.size(); ++s) {
        const auto &signal = signals[s];
        MemorySource source(signal, samplerate);
        TableObserver rows(pitch_columns);
        const std::clock_t begin = std::clock();
        run_pitch(source, settings, rows);
        result.seconds += static_cast<double>(std::clock() - begin) / CLOCKS_PER_SEC;
        result.audio += static_cast<double>(signal.size()) / samplerate;
        const double frame = std::get<PitchSettled>(rows.settled).frame_seconds();
        for (std::size_t r = 0; r < rows.rows.rows(); ++r) {
            const double end = rows.rows.at(r, 0), begin_at = end - frame;
            const double slot = std::floor(begin_at / note_seconds);
            if (slot < 0 || slot >= static_cast<double>(f0s.size()) ||
                end > (slot + 1) * note_seconds)
                continue;
            const auto n = static_cast<std::size_t>(slot);
            const double from = begin_at - slot * note_seconds, to = end - slot * note_seconds;
            const std::vector<double> delivered{end, rows.rows.at(r, 1), rows.rows.at(r, 2),
                                                rows.rows.at(r, 3)};
            const bool voiced = is_voiced(gates, delivered[2], delivered[3]);
            if (from >= 0.02 && to <= sounding) {
                const bool right = std::fabs(1200 * std::log2(delivered[1] / f0s[n])) <= 50;
                result.per_note[n].add(right, voiced);
                result.per_shape[s][n].add(right, voiced);
                if (f0s[n] >= low && f0s[n] <= high)
                    result.in_range.add(right, voiced);
            } else if (from >= quiet_from) {
                ++result.quiet;
                result.quiet_voiced += voiced;
            }
        }
    }
    return result;
}

Options pitch_options(std::optional<double> fmin, std::optional<double> fmax,
                      std::optional<double> down = {}, std::optional<double> minfreq = {}) {
    Options options;
    options.pitch.range = {fmin, fmax};
    options.pitch.box.down = down;
    options.pitch.box.minfreq = minfreq;
    return options;
}

}  // namespace
}  // namespace morvkit

int main() {
    using namespace morvkit;
    prepare_host({});
    const auto f0s = fundamentals();
    std::vector<std::vector<double>> signals;
    for (const auto &shape : shapes) signals.push_back(synthesise(shape, f0s));

    // 1. The rule for --fmax: accuracy against samples per period at each down, with notes
    // placed at the analysis rate over 4, 4.5, ... 24 (minfreq 100 keeps the lags short).
    std::vector<double> periods;
    for (double spp = 4; spp <= 24; spp += 0.5) periods.push_back(spp);
    std::printf(
        "Share within 50 cents against samples per period (analysis rate / f0): all four "
        "spectra, and the worst of them; minfreq 100:\n\n| samples per period |");
    for (int down = 0; down <= 3; ++down) std::printf(" down %d |", down);
    std::printf("\n|---|---|---|---|---|\n");
    std::vector<Result> by_down;
    for (int down = 0; down <= 3; ++down) {
        std::vector<double> notes;
        for (double spp : periods) notes.push_back(samplerate / std::exp2(down) / spp);
        std::vector<std::vector<double>> placed;
        for (const auto &shape : shapes) placed.push_back(synthesise(shape, notes));
        by_down.push_back(run(pitch_options({}, {}, down, 100.0), placed, notes, 0, 1e9));
    }
    for (std::size_t n = 0; n < periods.size(); ++n) {
        std::printf("| %.1f |", periods[n]);
        for (const auto &r : by_down) {
            double worst = 100;
            for (const auto &shape : r.per_shape) worst = std::min(worst, shape[n].share());
            std::printf(" %.0f %% (%.0f %%) |", r.per_note[n].share(), worst);
        }
        std::printf("\n");
    }

    // 2. The rule for --fmin: each note from 30 to 120 Hz with minfreq at exactly its pitch.
    Tally at_fmin;
    for (std::size_t n = 0; n < f0s.size() && f0s[n] <= 120; ++n) {
        const Result r = run(pitch_options(f0s[n], {}), signals, f0s, f0s[n], f0s[n]);
        at_fmin.counted += r.in_range.counted;
        at_fmin.right += r.in_range.right;
    }
    std::printf("\nNotes of 30 to 120 Hz at exactly --fmin (down 2): %.1f %% within 50 cents.\n",
                at_fmin.share());

    // 3. The defaults against ranges.
    struct Config {
        const char *label;
        Options options;
        double low, high;
    };
    const Config configs[] = {
        {"defaults", pitch_options({}, {}), 30, 4000},
        {"--fmin 30 --fmax 4000", pitch_options(30.0, 4000.0), 30, 4000},
        {"--fmin 30 --fmax 1000", pitch_options(30.0, 1000.0), 30, 1000},
        {"--fmin 60 --fmax 1000", pitch_options(60.0, 1000.0), 60, 1000},
        {"--fmin 100 --fmax 2000", pitch_options(100.0, 2000.0), 100, 2000},
        {"--down 0 --minfreq 40", pitch_options({}, {}, 0.0, 40.0), 30, 4000},
    };
    std::printf(
        "\nThe notes within each range (defaults: all, 30 Hz to 4 kHz); gates "
        "--min-periodicity 0.5 --min-level -60:\n\n"
        "| options | box | within 50 cents | within 50 cents and voiced | quiet analyses "
        "voiced, gated | processor time | real time / processor time |\n"
        "|---|---|---|---|---|---|---|\n");
    std::vector<Result> results;
    for (const auto &c : configs) {
        results.push_back(run(c.options, signals, f0s, c.low, c.high));
        const Result &r = results.back();
        std::printf("| %s | `%s` | %.1f %% | %.1f %% | %.2f %% (%ld of %ld) | %.2f s | %.0f× |\n",
                    c.label, r.box.c_str(), r.in_range.share(), r.in_range.share_voiced(),
                    r.quiet
                        ? 100.0 * static_cast<double>(r.quiet_voiced) / static_cast<double>(r.quiet)
                        : NAN,
                    r.quiet_voiced, r.quiet, r.seconds, r.audio / r.seconds);
    }
    std::printf(
        "\n(Without gates every quiet analysis carries a pitch: 100 %%.)  %.0f s of audio "
        "per configuration.\n\nShare within 50 cents by octave, all spectra:\n\n| f0 (Hz) |",
        results[0].audio);
    for (const auto &c : configs) std::printf(" %s |", c.label);
    std::printf("\n|---|");
    for (std::size_t i = 0; i < std::size(configs); ++i) std::printf("---|");
    std::printf("\n");
    for (std::size_t n = 0; n < f0s.size(); n += 4) {
        std::printf("| %.0f-%.0f |", f0s[n], f0s[std::min(n + 3, f0s.size() - 1)]);
        for (const auto &r : results) {
            Tally octave;
            for (std::size_t m = n; m < std::min(n + 4, f0s.size()); ++m) {
                octave.counted += r.per_note[m].counted;
                octave.right += r.per_note[m].right;
            }
            std::printf(" %.1f %% |", octave.share());
        }
        std::printf("\n");
    }
    return 0;
}
