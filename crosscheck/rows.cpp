// rows.cpp - runs zid~, morv.track~ and morv.centroid~ through the stand-in host on fixed signals
// at many settings and writes every output row as the shortest text that reads back to the same
// double.
// Two builds of the package (Linux, Windows) must write the same file byte for byte.
//
//   morv_rows OUTPUT
#include <charconv>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "morvhost/host.hpp"
#include "morvhost/pfft.hpp"
#include "signals.hpp"

namespace {

using morvhost::Box;
using morvhost::DspGraph;
using morvhost::Host;

std::string text(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

enum class Signal { tone, glide, noise };

std::vector<double> make(Signal s, double samplerate) {
    constexpr double seconds = 0.5;
    switch (s) {
        case Signal::tone:
            return crosscheck::harmonic_tone(220.0, samplerate, seconds);
        case Signal::glide:
            return crosscheck::glide(90.0, 900.0, samplerate, seconds);
        case Signal::noise:
            break;
    }
    return crosscheck::noise(samplerate, seconds);
}

const char *name(Signal s) {
    return s == Signal::tone ? "tone" : s == Signal::glide ? "glide" : "noise";
}

struct PitchRun {
    const char *box;
    const char *message;  // sent once before audio starts, or ""
    long vector;
    Signal signal;
    int bang_every;  // vectors between bangs, 0 for none
};

// One row per analysis: logical time in samples, frequency, amplitude, periodicity.
bool pitch(std::ofstream &out, const PitchRun &run) {
    constexpr double samplerate = 44100.0;
    auto zid = Box::create(run.box);
    if (!zid)
        return false;
    if (*run.message && !zid->send_text(run.message))
        return false;
    const std::vector<double> input = make(run.signal, samplerate);
    DspGraph graph;
    graph.connect(input, *zid, 0);
    if (!graph.compile(samplerate, run.vector))
        return false;
    const long vectors = static_cast<long>(input.size()) / run.vector;
    for (long v = 0; v < vectors; ++v) {
        if (run.bang_every && v % run.bang_every == 0)
            zid->send_text("bang");
        graph.run(1);
        Host::get().run_scheduler();
    }
    out << "# " << run.box << (*run.message ? " / " : "") << run.message << " / vector "
        << run.vector << " / " << name(run.signal) << "\n";
    const auto hz = zid->outlet(0).messages();
    const auto amplitude = zid->outlet(1).floats();
    const auto periodicity = zid->outlet(2).floats();
    if (hz.size() != amplitude.size() || hz.size() != periodicity.size())
        return false;
    for (std::size_t i = 0; i < hz.size(); ++i) {
        out << hz[i].time_samples << ',' << text(atom_getfloat(&hz[i].atoms[0])) << ','
            << text(amplitude[i]) << ',' << text(periodicity[i]) << "\n";
    }
    return true;
}

struct TrackRun {
    const char *box;
    long vector;
    double samplerate;
    Signal signal;
};

// One row per frame: logical time in samples, pitch, voicing probability; then, after a
// "# notes" line, one per note event: time, pitch, velocity.  Half a second of silence follows
// the signal, longer than any run's delay, so every frame is decided and every note ends.
bool track(std::ofstream &out, const TrackRun &run) {
    auto tracker = Box::create(run.box);
    if (!tracker)
        return false;
    std::vector<double> input = make(run.signal, run.samplerate);
    input.resize(input.size() + static_cast<std::size_t>(run.samplerate / 2), 0.0);
    DspGraph graph;
    graph.connect(input, *tracker, 0);
    if (!graph.compile(run.samplerate, run.vector))
        return false;
    const long vectors = static_cast<long>(input.size()) / run.vector;
    for (long v = 0; v < vectors; ++v) {
        graph.run(1);
        Host::get().run_scheduler();
    }
    out << "# " << run.box << " / vector " << run.vector << " / " << text(run.samplerate)
        << " Hz / " << name(run.signal) << "\n";
    const auto pitch = tracker->outlet(0).messages();
    const auto voicing = tracker->outlet(1).floats();
    if (pitch.size() != voicing.size() || pitch.empty())
        return false;
    for (std::size_t i = 0; i < pitch.size(); ++i)
        out << pitch[i].time_samples << ',' << text(atom_getfloat(&pitch[i].atoms[0])) << ','
            << text(voicing[i]) << "\n";
    out << "# notes\n";
    for (const auto &note : tracker->outlet(2).messages()) {
        if (note.atoms.size() != 2)
            return false;
        out << note.time_samples << ',' << atom_getlong(&note.atoms[0]) << ','
            << atom_getlong(&note.atoms[1]) << "\n";
    }
    return true;
}

struct CentroidRun {
    long fft_size;
    long overlap;
    bool amplitude;  // amplitude alone into the left inlet, else real and imaginary parts
    double samplerate;
    Signal signal;
};

// One row per frame: frame index, centroid.
bool centroid(std::ofstream &out, const CentroidRun &run) {
    morvhost::Pfft pfft(run.fft_size, run.overlap);
    Box *c = pfft.create("morv.centroid~");
    if (!c)
        return false;
    if (run.amplitude) {
        pfft.feed_amplitude(*c, 0);
    } else {
        pfft.feed_real(*c, 0);
        pfft.feed_imag(*c, 1);
    }
    std::vector<std::string> rows;
    pfft.collect(*c, 0, [&rows](const morvhost::PfftFrame &f) {
        rows.push_back(std::to_string(f.index) + ',' + text(f.values[0]));
    });
    if (!pfft.compile(run.samplerate))
        return false;
    pfft.process(make(run.signal, run.samplerate));
    out << "# morv.centroid~ / fft " << run.fft_size << " / overlap " << run.overlap << " / "
        << (run.amplitude ? "amplitude" : "complex") << " / " << text(run.samplerate) << " Hz / "
        << name(run.signal) << "\n";
    for (const auto &row : rows) out << row << "\n";
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: morv_rows OUTPUT\n");
        return 2;
    }
    Host &host = Host::get();
    host.add_search_path(MORV_EXTERNALS_DIR);
    host.load_extensions(MORV_EXTENSIONS_DIR);

    const PitchRun pitch_runs[] = {
        {"zid~", "", 64, Signal::tone, 0},
        {"zid~ 0 30 5", "", 64, Signal::glide, 0},
        {"zid~ 1 80 10", "threshold 0.2", 128, Signal::tone, 0},
        {"zid~ 3 60 2", "", 32, Signal::noise, 0},
        {"zid~ 2 100 0", "", 64, Signal::tone, 8},
        {"zid~ 2 60 5", "", 1000, Signal::glide, 0},
        {"zid~ 0 200 1", "threshold 0.05", 256, Signal::glide, 0},
        {"zid~ @down 1 @minfreq 40 @period 7.5", "", 100, Signal::noise, 0},
    };
    const TrackRun track_runs[] = {
        {"morv.track~", 64, 44100, Signal::tone},
        {"morv.track~ @lag 0", 64, 44100, Signal::glide},
        {"morv.track~ @lag 100 @unit midi", 128, 48000, Signal::glide},
        {"morv.track~ @fmin 80 @fmax 1000", 1000, 44100, Signal::tone},
        {"morv.track~ @fmin 60 @fmax 1500 @lag 50 @a4 442 @unit midi", 32, 48000, Signal::noise},
    };
    const CentroidRun centroid_runs[] = {
        {256, 2, false, 44100, Signal::tone},  {1024, 4, false, 44100, Signal::noise},
        {1024, 4, true, 44100, Signal::glide}, {4096, 8, false, 48000, Signal::glide},
        {512, 2, true, 48000, Signal::noise},  {64, 1, false, 44100, Signal::tone},
        {2048, 16, true, 44100, Signal::tone},
    };

    std::ofstream out(argv[1], std::ios::binary);  // "\n" stays "\n" on Windows too
    bool ok = static_cast<bool>(out);
    for (const auto &run : pitch_runs) ok = ok && pitch(out, run);
    for (const auto &run : track_runs) ok = ok && track(out, run);
    for (const auto &run : centroid_runs) ok = ok && centroid(out, run);
    out.close();
    if (!ok || !out) {
        for (const auto &line : host.console()) std::fprintf(stderr, "%s\n", line.text.c_str());
        std::fprintf(stderr, "morv_rows: a run failed or %s cannot be written\n", argv[1]);
        return 1;
    }
    return 0;
}
