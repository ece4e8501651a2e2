// make_phrase - writes the phrase the help patches play and the Pd tests analyse: harmonic
// notes, a glide, noise, silence and a low note, the same on every run (fixed-seed noise).
//   make_phrase <file> <samplerate> <float|pcm16>
// float: 32-bit float WAV; pcm16: 16-bit WAV.  Either way Pd and the morvkit command read the
// same sample values: Pd keeps them as 32-bit floats, and both formats hold only such values.
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double two_pi = 6.283185307179586;

struct Phrase {
    double rate;
    std::vector<float> samples;

    // Harmonics 1..5 of a frequency that moves linearly from f0 to f1, amplitude 1/h each.
    void harmonic(double seconds, double f0, double f1) {
        const auto n = static_cast<long>(seconds * rate);
        double phase = 0.0;
        for (long i = 0; i < n; ++i) {
            const double f = f0 + (f1 - f0) * static_cast<double>(i) / static_cast<double>(n);
            phase += two_pi * f / rate;
            double v = 0.0;
            for (int h = 1; h <= 5; ++h) {
                v += std::sin(h * phase) / h;
            }
            samples.push_back(static_cast<float>(0.25 * v));
        }
    }
    void noise(double seconds) {
        std::uint32_t state = 12345;
        for (long i = 0, n = static_cast<long>(seconds * rate); i < n; ++i) {
            state = state * 1664525u + 1013904223u;
            samples.push_back(static_cast<float>((state >> 8) / 16777216.0 - 0.5) * 0.5f);
        }
    }
    void silence(double seconds) { samples.resize(samples.size() + std::lround(seconds * rate)); }
};

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_phrase <file> <samplerate> <float|pcm16>\n");
        return 2;
    }
    Phrase p{std::atof(argv[2]), {}};
    p.harmonic(0.5, 220.0, 220.0);
    p.harmonic(0.6, 300.0, 600.0);
    p.noise(0.3);
    p.silence(0.2);
    p.harmonic(0.4, 97.0, 97.0);
    const bool pcm16 = std::string(argv[3]) == "pcm16";
    SF_INFO info{};
    info.samplerate = static_cast<int>(p.rate);
    info.channels = 1;
    info.format = SF_FORMAT_WAV | (pcm16 ? SF_FORMAT_PCM_16 : SF_FORMAT_FLOAT);
    SNDFILE *file = sf_open(argv[1], SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "make_phrase: %s\n", sf_strerror(nullptr));
        return 1;
    }
    const auto count = static_cast<sf_count_t>(p.samples.size());
    const bool written = sf_writef_float(file, p.samples.data(), count) == count;
    sf_close(file);
    return written ? 0 : 1;
}
