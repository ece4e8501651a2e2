// morvkit track end to end: two notes between silences, read back through a real morv.track~ box.
#include <gtest/gtest.h>

#include <smf.h>

#include <cmath>
#include <memory>

#include <sndfile.h>

#include "morvhost/host.hpp"
#include "run_command.hpp"
#include "wav_fixture.hpp"

namespace morvkit::testing {
namespace {

using Json = nlohmann::json;

constexpr double rate = 44100;

// A harmonic tone with 10 ms ramps, placed at `onset` in `out`.
void add_note(std::vector<double> &out, double frequency, double onset, double seconds) {
    const auto first = static_cast<std::size_t>(onset * rate);
    const auto count = static_cast<std::size_t>(seconds * rate);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double ramp = std::min({1.0, t / 0.01, (seconds - t) / 0.01});
        double x = 0;
        for (int h = 1; h <= 4; ++h) x += std::sin(2 * M_PI * h * frequency * t) / h;
        out[first + i] = 0.3 * ramp * x;
    }
}

class Track : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<double> samples(static_cast<std::size_t>(2.0 * rate));
        add_note(samples, 329.63, 0.3, 0.6);  // E4, MIDI 64
        add_note(samples, 440.0, 1.1, 0.5);   // A4, MIDI 69
        write_wav(melody, rate, {samples});
    }

    CommandResult ok(const std::vector<std::string> &args) {
        auto r = run_morvkit(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return r;
    }

    ScratchDir dir;
    std::filesystem::path melody = dir / "melody.wav";
};

TEST_F(Track, RowsAreTimedWhereTheSoundIsAtEveryLag) {
    for (const char *lag : {"300", "100", "0"}) {
        const auto r = ok({"track", melody, "--lag", lag});
        EXPECT_EQ(split_csv(r.out)[0],
                  (std::vector<std::string>{"time", "frequency", "voicing probability", "voiced"}));
        const auto rows = csv_numbers(r.out);
        ASSERT_GT(rows.size(), 300u) << lag;
        // Every frame to the end of the input, none beyond, a hop (256 samples) apart.
        EXPECT_LT(rows.back()[0], 2.0);
        EXPECT_GT(rows.back()[0], 2.0 - 2 * 256 / rate) << lag;
        for (std::size_t i = 1; i < rows.size(); ++i)
            ASSERT_NEAR(rows[i][0] - rows[i - 1][0], 256 / rate, 1e-9) << lag << " row " << i;
        // Voiced from about the onsets to about the ends, at the notes' pitch; silence unvoiced.
        const auto voiced_at = [&](double time) {
            for (const auto &row : rows)
                if (row[0] >= time)
                    return row[3] > 0 ? row[1] : 0.0;
            return 0.0;
        };
        for (double t : {0.1, 1.0, 1.8}) EXPECT_EQ(voiced_at(t), 0.0) << lag << " at " << t;
        for (double t : {0.35, 0.6, 0.85}) EXPECT_NEAR(voiced_at(t), 329.63, 3) << lag << " " << t;
        for (double t : {1.15, 1.4}) EXPECT_NEAR(voiced_at(t), 440, 4) << lag << " at " << t;
        for (const auto &row : rows) {
            EXPECT_EQ(row[3], row[1] > 0 ? 1 : 0);
            ASSERT_TRUE(row[2] >= 0 && row[2] <= 1) << row[2];
        }
    }
}

TEST_F(Track, NotesAsCsvJsonAndAMidiFileThatLibsmfReadsBack) {
    const auto r = ok({"track", melody, "--notes", dir / "notes.csv", "--plot", dir / "roll.png",
                       "--output", dir / "frames.csv"});
    EXPECT_EQ(read_text(dir / "roll.png").substr(0, 4), "\x89PNG");
    const auto notes = csv_numbers(read_text(dir / "notes.csv"));
    EXPECT_EQ(split_csv(read_text(dir / "notes.csv"))[0],
              (std::vector<std::string>{"onset", "offset", "pitch", "velocity"}));
    ASSERT_EQ(notes.size(), 2u) << read_text(dir / "notes.csv");
    const double truth[2][3] = {{0.3, 0.9, 64}, {1.1, 1.6, 69}};
    for (int n = 0; n < 2; ++n) {
        EXPECT_NEAR(notes[n][0], truth[n][0], 0.03) << n;
        EXPECT_NEAR(notes[n][1], truth[n][1], 0.06) << n;
        EXPECT_EQ(notes[n][2], truth[n][2]) << n;
        EXPECT_TRUE(notes[n][3] >= 1 && notes[n][3] <= 127) << n;
    }

    // The MIDI file, by its extension or by --notes-format: the same notes to the pulse (about
    // half a millisecond).
    ok({"track", melody, "--notes", dir / "notes.mid", "--output", "/dev/null"});
    ok({"track", melody, "--notes", dir / "notes.bin", "--notes-format", "mid", "--output",
        "/dev/null"});
    EXPECT_EQ(read_text(dir / "notes.bin"), read_text(dir / "notes.mid"));
    std::unique_ptr<smf_t, decltype(&smf_delete)> smf(smf_load((dir / "notes.mid").c_str()),
                                                      smf_delete);
    ASSERT_TRUE(smf);
    std::vector<std::vector<double>> read;  // status, note, velocity, seconds
    while (smf_event_t *event = smf_get_next_event(smf.get()))
        if (!smf_event_is_metadata(event))
            read.push_back({static_cast<double>(event->midi_buffer[0]),
                            static_cast<double>(event->midi_buffer[1]),
                            static_cast<double>(event->midi_buffer[2]), event->time_seconds});
    ASSERT_EQ(read.size(), 4u);
    for (int n = 0; n < 2; ++n) {
        EXPECT_EQ(read[2 * n],
                  (std::vector<double>{0x90, notes[n][2], notes[n][3], read[2 * n][3]}));
        EXPECT_NEAR(read[2 * n][3], notes[n][0], 0.001);
        EXPECT_EQ(read[2 * n + 1][0], 0x80);
        EXPECT_NEAR(read[2 * n + 1][3], notes[n][1], 0.001);
    }

    // JSON: the head says what the box kept, its default lag the one --help names.
    ok({"track", melody, "--notes", dir / "notes.json", "--output", "/dev/null"});
    const auto json = Json::parse(read_text(dir / "notes.json"));
    EXPECT_EQ(json["columns"], (Json{"onset", "offset", "pitch", "velocity"}));
    EXPECT_EQ(json["rows"].size(), 2u);
    EXPECT_EQ(json["parameters"]["lag"], 300);
    EXPECT_GT(json["parameters"]["delay"].get<double>(), 300);
    EXPECT_NE(ok({"track", "--help"}).out.find("default 300"), std::string::npos);
}

TEST_F(Track, MidiUnitAndSeveralFilesWithTheirNotes) {
    const auto hz = csv_numbers(ok({"track", melody}).out);
    const auto midi = csv_numbers(ok({"track", melody, "--unit", "midi", "--a4", "432"}).out);
    ASSERT_EQ(midi.size(), hz.size());
    for (std::size_t i = 0; i < hz.size(); ++i) {
        if (hz[i][3] > 0) {
            ASSERT_NEAR(midi[i][1], 69 + 12 * std::log2(hz[i][1] / 432), 1e-9) << i;
        }
    }

    // A folder of results, each input's notes beside its frames, as one run of each writes them.
    std::filesystem::copy_file(melody, dir / "again.wav");
    const auto out = dir / "results";
    ok({"track", melody, dir / "again.wav", "--output-dir", out, "--notes-format", "csv", "--jobs",
        "2"});
    ok({"track", melody, "--notes", dir / "alone.csv", "--output", dir / "alone.track.csv"});
    for (const char *name : {"melody.wav", "again.wav"}) {
        EXPECT_EQ(read_text(out / (std::string(name) + ".track.csv")),
                  read_text(dir / "alone.track.csv"));
        EXPECT_EQ(read_text(out / (std::string(name) + ".notes.csv")),
                  read_text(dir / "alone.csv"));
    }
    const auto r = run_morvkit({"track", melody, "--output-dir", out, "--notes", dir / "n.csv"});
    EXPECT_EQ(r.status, 2);
}

// The command is the object: at the same settings and vector size, every frame the command writes
// is the one the object sends from the same samples (as the file holds them), value for value,
// and, where the vector divides the hop, at its sending time less @delay.
TEST_F(Track, FramesAreTheObjectsValueForValue) {
    SF_INFO info{};
    SNDFILE *file = sf_open(melody.c_str(), SFM_READ, &info);
    ASSERT_TRUE(file);
    std::vector<double> samples(static_cast<std::size_t>(info.frames));
    sf_readf_double(file, samples.data(), info.frames);
    sf_close(file);
    auto &host = morvhost::Host::get();
    ASSERT_TRUE(host.load_module(std::string(MORV_EXTERNALS_DIR) + "/morv.track~" +
                                 morvhost::Host::module_suffix()));
    for (const auto &[lag, vector] : {std::pair{"300", 64L}, std::pair{"0", 1000L}}) {
        const auto rows = csv_numbers(
            ok({"track", melody, "--lag", lag, "--vector", std::to_string(vector)}).out);
        auto box = morvhost::Box::create(std::string("morv.track~ @lag ") + lag);
        ASSERT_TRUE(box);
        const double delay = atom_getfloat(&box->get_attr("delay")[0]) * rate / 1000.0;
        std::vector<double> input = samples;
        input.resize(input.size() + static_cast<std::size_t>(delay) + 2 * 1000, 0.0);
        morvhost::DspGraph graph;
        graph.connect(input, *box, 0);
        ASSERT_TRUE(graph.compile(rate, vector));
        const std::int64_t start = host.now_samples();
        for (std::size_t v = 0; v < input.size() / static_cast<std::size_t>(vector); ++v) {
            graph.run(1);
            host.run_scheduler();
        }
        const auto pitch = box->outlet(0).messages();
        const auto voicing = box->outlet(1).floats();
        ASSERT_GE(pitch.size(), rows.size()) << lag;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const double p = atom_getfloat(&pitch[i].atoms[0]);
            // A vector that divides the hop delivers each frame exactly @delay after its sound.
            if (256 % vector == 0) {
                EXPECT_DOUBLE_EQ(
                    rows[i][0], (static_cast<double>(pitch[i].time_samples - start) - delay) / rate)
                    << lag << " row " << i;
            }
            ASSERT_EQ(rows[i][1], p) << lag << " row " << i;  // negated while unvoiced
            ASSERT_EQ(rows[i][2], voicing[i]) << lag << " row " << i;
            ASSERT_EQ(rows[i][3], p > 0 ? 1 : 0) << lag << " row " << i;
        }
    }
}

}  // namespace
}  // namespace morvkit::testing
