// rows_near.cpp - compares the rows of a build whose zid~ correlates with Accelerate's vDSP_conv
// (the Apple build, or this one against the stand-in) with a native build's.
//
// vDSP_conv sums each r(tau) in single precision, where the native routine rounds once, so pitch
// rows differ in their last bits.  Everything else must not: the same lines, headers and times,
// and morv.centroid~'s rows byte for byte.  The direct sums run for windows of W lags below
// yin_correlate_fft_from(); longer ones take the FFT path, whose results do not depend on the
// variant.  With u = 2^-24:
//   - a sum of W products in single precision errs by at most W u times the sum of their
//     magnitudes; for r(0), a sum of squares, that is W u relative, and the amplitude,
//     sqrt(r(0) / W), moves by at most W u relative;
//   - d(tau) = e(tau) + e(0) - 2 r(tau), with the energies built from r(0), moves by at most
//     4 W u times the frame's energy, and the cumulative mean that normalises it is about twice
//     that energy near a period, so the aperiodicity moves by at most B = 4 W u (with its own
//     normalisation's error), and the periodicity 1 - sqrt(aperiodicity) by B / (sqrt(a) +
//     sqrt(a')), never more than sqrt(B);
//   - near a dip of a signal of period T <= W, d' is at least (1 - a) 2 pi^2 (tau - T)^2 / T^2 (the
//     fundamental's share alone), so the parabola's minimum moves by at most B T^2 / (4 pi^2 (1 -
//     a)), and the frequency by B W / (4 pi^2 (1 - a)) relative; where the periodicity exceeds 0.5
//     (a < 0.25) that is B W / (3 pi^2).
// Where the periodicity is 0.5 or less, two dips may lie within B of the threshold's reach, and
// the two builds may choose different ones: there frequency and periodicity may differ by any
// amount, in at most 1 % of the pitch rows.
//
// morv.track~ reads the same difference function.  Its frame rows (time, pitch, voicing): the
// pitch comes from a refined dip, so it keeps zid~'s frequency bound, and its sign (the decoder's
// voiced or unvoiced) must agree; the voicing probability is the prior weight of the thresholds
// that some dip passes, so a dip within B of one of the 100 thresholds may move it by that
// threshold's weight, at most the prior's largest, V.  Beyond these (another path decoded) in at
// most 1 % of the frame rows.  Its note rows must be the same byte for byte: a note is decided on
// many frames, and a change there would be heard.
//
//   morv_rows_near NATIVE_ROWS ROWS
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "track_candidates.h"
#include "yin_correlation.h"

namespace {

std::vector<std::string> lines(const char *path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> all;
    for (std::string line; std::getline(in, line);) all.push_back(line);
    return all;
}

// N comma-separated numbers: zid~'s time, frequency, amplitude, periodicity; the tracker's time,
// pitch, voicing.
template <int N>
bool parse(const std::string &line, double (&v)[N]) {
    const char *p = line.data(), *end = p + line.size();
    for (int i = 0; i < N; ++i) {
        const auto r = std::from_chars(p, end, v[i]);
        if (r.ec != std::errc() || (i < N - 1 ? r.ptr == end || *r.ptr != ',' : r.ptr != end))
            return false;
        p = r.ptr + 1;
    }
    return true;
}

// The largest weight the tracker's prior, Beta(2, 18) (docs/objects.md), gives one threshold.
double largest_threshold_weight() {
    const track_prior prior = track_beta_prior(2, 18);
    double largest = 0;
    for (int k = 1; k <= kTrackThresholds; ++k)
        largest = std::max(largest, prior.cumulative[k] - prior.cumulative[k - 1]);
    return largest;
}

double relative(double a, double b) {
    return a == b ? 0.0 : std::fabs(a - b) / std::max(std::fabs(a), std::fabs(b));
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: morv_rows_near NATIVE_ROWS ROWS\n");
        return 2;
    }
    const auto native = lines(argv[1]);
    const auto here = lines(argv[2]);
    if (native.size() != here.size() || native.empty()) {
        std::fprintf(stderr, "%zu lines here, %zu in the native build's\n", here.size(),
                     native.size());
        return 1;
    }
    const double pi = std::acos(-1.0);
    const double w = yin_correlate_fft_from();
    const double u = 0x1p-24;
    const double b = 4 * w * u;
    const double amplitude_bound = w * u;
    const double frequency_bound = b * w / (3 * pi * pi);

    const double voicing_bound = largest_threshold_weight();

    enum class Block { exact, pitch, track } block = Block::exact;
    int rows = 0, differing = 0, beyond_1e4 = 0, choices = 0;
    int track_rows = 0, track_differing = 0, paths = 0;
    double track_cents = 0, track_voicing = 0;
    double largest[3] = {0, 0, 0}, periodic_cents = 0;
    for (std::size_t i = 0; i < here.size(); ++i) {
        const std::string &a = native[i], &h = here[i];
        const auto fail = [&](const char *why) {
            std::fprintf(stderr, "line %zu: %s\n  here:   %s\n  native: %s\n", i + 1, why,
                         h.c_str(), a.c_str());
            return 1;
        };
        if (h.starts_with('#') || a.starts_with('#')) {
            if (h != a)
                return fail("the headers differ");
            block = h.starts_with("# zid~")          ? Block::pitch
                    : h.starts_with("# morv.track~") ? Block::track
                                                     : Block::exact;
            continue;
        }
        if (block == Block::exact) {
            if (h != a)
                return fail("a row outside zid~'s and the tracker's frames differs");
            continue;
        }
        if (block == Block::track) {
            ++track_rows;
            if (h == a)
                continue;
            ++track_differing;
            double x[3], y[3];
            if (!parse(a, x) || !parse(h, y))
                return fail("not a tracker's frame row");
            if (x[0] != y[0])
                return fail("the times differ");
            const bool same_decision = std::signbit(x[1]) == std::signbit(y[1]);
            const double dv = std::fabs(x[2] - y[2]);
            track_voicing = std::max(track_voicing, dv);
            if (same_decision && x[1] != 0 && y[1] != 0)
                track_cents = std::max(track_cents, std::fabs(1200 * std::log2(x[1] / y[1])));
            if (same_decision && relative(x[1], y[1]) <= frequency_bound && dv <= voicing_bound)
                continue;
            ++paths;  // another path decoded
            continue;
        }
        ++rows;
        if (h == a)
            continue;
        ++differing;
        double x[4], y[4];
        if (!parse(a, x) || !parse(h, y))
            return fail("not a pitch row");
        if (x[0] != y[0])
            return fail("the times differ");
        const double r[3] = {relative(x[1], y[1]), relative(x[2], y[2]), relative(x[3], y[3])};
        for (int k = 0; k < 3; ++k) largest[k] = std::max(largest[k], r[k]);
        beyond_1e4 += std::max({r[0], r[1], r[2]}) > 1e-4;
        if (r[1] > amplitude_bound)
            return fail("the amplitudes differ beyond W u");
        const bool periodic = x[3] > 0.5 && y[3] > 0.5;
        if (periodic)
            periodic_cents = std::max(periodic_cents, std::fabs(1200 * std::log2(x[1] / y[1])));
        const double roots =
            std::sqrt(std::max(0.0, 1 - x[3])) + std::sqrt(std::max(0.0, 1 - y[3]));
        const double periodicity_bound = std::min(std::sqrt(b), b / roots);
        if (r[0] <= frequency_bound && std::fabs(x[3] - y[3]) <= periodicity_bound)
            continue;
        if (periodic)
            return fail("frequency or periodicity differ beyond their bounds");
        ++choices;  // another dip chosen
    }
    std::printf(
        "%zu lines, %d pitch rows, %d of them differ; largest relative differences: "
        "frequency %.3g, amplitude %.3g, periodicity %.3g; %d rows beyond 1e-4; at "
        "periodicity > 0.5 at most %.3g cents apart; another dip chosen in %d (W %g, "
        "bounds: amplitude %.3g, aperiodicity %.3g, frequency %.3g)\n",
        here.size(), rows, differing, largest[0], largest[1], largest[2], beyond_1e4,
        periodic_cents, choices, w, amplitude_bound, b, frequency_bound);
    std::printf(
        "%d tracker frame rows, %d of them differ; at most %.3g cents and %.3g in voicing "
        "apart; another path in %d (bound: voicing %.3g)\n",
        track_rows, track_differing, track_cents, track_voicing, paths, voicing_bound);
    if (choices * 100 > rows || paths * 100 > track_rows) {
        std::fprintf(stderr, "another dip or path chosen in more than 1 %% of the rows\n");
        return 1;
    }
    return 0;
}
