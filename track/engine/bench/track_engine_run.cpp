// track_engine_run - the tracking engine over raw audio files, for its benchmarks.
//
// Usage: track_engine_run [--rate HZ] [--fmin HZ] [--fmax HZ] [--lag MS] [--repeat N]
//                         [--out-dir DIR] FILE.f32...
// Each file holds mono 32-bit floats in the machine's order.  With --out-dir, FILE's frames go to
// DIR/NAME.frames.csv (time, frequency, voicing probability, voiced; an unvoiced frame with the
// pitch it would have, which pitch scores count) and its notes to DIR/NAME.notes.csv (onset,
// offset, fractional MIDI pitch, velocity), every time where the sound is.  Standard output gets
// the processor time and the speed in multiples of real time.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "track_engine.h"

namespace {

struct Output {
    double samplerate;
    std::vector<track_frame> frames;
    std::vector<track_note> notes;
};

std::vector<double> read_floats(const char *path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<double> samples(bytes.size() / sizeof(float));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        float f;
        std::memcpy(&f, bytes.data() + i * sizeof(float), sizeof f);
        samples[i] = f;
    }
    return samples;
}

std::string stem(const std::string &path) {
    const std::size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void write(const std::string &dir, const std::string &name, const Output &out) {
    const double sr = out.samplerate;
    FILE *f = std::fopen((dir + "/" + name + ".frames.csv").c_str(), "w");
    std::fprintf(f, "time,frequency,voicing probability,voiced\n");
    for (const track_frame &t : out.frames)
        std::fprintf(f, "%.6f,%.4f,%.4f,%d\n", t.time / sr, t.frequency, t.voicing,
                     t.voiced ? 1 : 0);
    std::fclose(f);
    f = std::fopen((dir + "/" + name + ".notes.csv").c_str(), "w");
    std::fprintf(f, "onset,offset,pitch,velocity\n");
    for (std::size_t i = 0; i + 1 < out.notes.size(); i += 2)
        std::fprintf(f, "%.6f,%.6f,%.4f,%d\n", out.notes[i].time / sr, out.notes[i + 1].time / sr,
                     out.notes[i].pitch, out.notes[i].velocity);
    std::fclose(f);
}

}  // namespace

int main(int argc, char **argv) {
    track_settings settings{44100.0, 40.0, 2200.0, 300.0, 440.0};
    int repeat = 1;
    std::string out_dir;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--rate" && has_value)
            settings.samplerate = std::atof(argv[++i]);
        else if (a == "--fmin" && has_value)
            settings.fmin = std::atof(argv[++i]);
        else if (a == "--fmax" && has_value)
            settings.fmax = std::atof(argv[++i]);
        else if (a == "--lag" && has_value)
            settings.lag_ms = std::atof(argv[++i]);
        else if (a == "--repeat" && has_value)
            repeat = std::atoi(argv[++i]);
        else if (a == "--out-dir" && has_value)
            out_dir = argv[++i];
        else
            files.push_back(a);
    }
    const track_sink sink{
        nullptr,
        [](void *c, const track_frame &f) { static_cast<Output *>(c)->frames.push_back(f); },
        [](void *c, const track_note &n) { static_cast<Output *>(c)->notes.push_back(n); }};
    double audio_seconds = 0.0, cpu_seconds = 0.0;
    for (const std::string &file : files) {
        std::vector<double> samples = read_floats(file.c_str());
        track_engine *engine = track_engine_new(settings);
        if (!engine) {
            std::fprintf(stderr, "no engine\n");
            return 1;
        }
        // The frames of the last samples come out `delay` samples later: push that much silence.
        samples.resize(samples.size() + static_cast<std::size_t>(track_engine_delay(engine)), 0.0);
        Output out{settings.samplerate, {}, {}};
        track_sink s = sink;
        s.context = &out;
        for (int r = 0; r < repeat; ++r) {
            out.frames.clear();
            out.notes.clear();
            const auto start = std::chrono::steady_clock::now();
            for (std::size_t at = 0; at < samples.size(); at += 64)
                track_engine_push(engine, samples.data() + at,
                                  static_cast<long>(std::min<std::size_t>(64, samples.size() - at)),
                                  s);
            track_engine_reset(engine, s);
            cpu_seconds +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            audio_seconds += samples.size() / settings.samplerate;
        }
        track_engine_free(engine);
        if (!out_dir.empty())
            write(out_dir, stem(file), out);
    }
    std::printf("audio %.1f s, processor %.3f s, %.0f x real time\n", audio_seconds, cpu_seconds,
                audio_seconds / cpu_seconds);
    return 0;
}
