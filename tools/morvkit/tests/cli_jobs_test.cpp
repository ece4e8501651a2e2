// morvkit with --jobs and with several files: the same bytes as one pass, one result per input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "run_command.hpp"
#include "wav_fixture.hpp"

namespace morvkit::testing {
namespace {

namespace fs = std::filesystem;

// A tone whose pitch and loudness keep moving, so that a row out of place or a frame that differs
// by one sample changes the output.
std::vector<double> moving_tone(double samplerate, double seconds) {
    std::vector<double> out(static_cast<std::size_t>(samplerate * seconds));
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / samplerate;
        phase += 2 * M_PI * (150 + 100 * std::sin(2 * M_PI * 0.7 * t)) / samplerate;
        out[i] = (0.3 + 0.2 * std::sin(2 * M_PI * 1.3 * t)) * std::sin(phase) +
                 0.05 * std::sin(2 * M_PI * 3100 * t);
    }
    return out;
}

class Jobs : public ::testing::Test {
  protected:
    void SetUp() override {
        // 5 s at 22050 Hz is long enough for three segments; 0.5 s is shorter than one.
        write_wav(long_file, 22050, {moving_tone(22050, 5.0)});
        write_wav(short_file, 22050, {moving_tone(22050, 0.5)});
    }

    CommandResult ok(const std::vector<std::string> &args) {
        auto r = run_morvkit(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return r;
    }

    ScratchDir dir;
    fs::path long_file = dir / "long.wav", short_file = dir / "short.wav";
};

TEST_F(Jobs, SegmentsGiveTheBytesOfOnePass) {
    struct Case {
        std::vector<std::string> args;
        bool short_input = false;
    };
    const std::vector<Case> cases = {
        {{"pitch", "--down", "0", "--minfreq", "50"}},
        {{"pitch", "--down", "0", "--minfreq", "20", "--period", "20"}},  // the FFT path
        {{"pitch", "--down", "1", "--vector", "3", "--period", "3"}},
        {{"pitch", "--vector", "100", "--period", "10"}},
        {{"pitch", "--down", "3", "--vector", "7", "--period", "1"}},
        {{"pitch", "--down", "2", "--vector", "1000", "--minfreq", "30", "--format", "json"}},
        {{"pitch"}, true},
        {{"centroid"}},
        {{"centroid", "--fft", "256", "--overlap", "2", "--amplitude"}},
        {{"centroid", "--fft", "4096", "--overlap", "8", "--format", "json"}},
        {{"centroid", "--fft", "4096", "--overlap", "1"}, true},
    };
    for (const auto &c : cases) {
        auto args = c.args;
        args.insert(args.begin() + 1, (c.short_input ? short_file : long_file).string());
        args.insert(args.end(), {"--jobs", "1"});
        const auto one_pass = ok(args);
        EXPECT_GT(one_pass.out.size(), 40u);  // more than the header
        for (const char *jobs : {"2", "3"}) {
            args.back() = jobs;
            const auto split = ok(args);
            EXPECT_EQ(split.out, one_pass.out) << args[0] << " " << args[2] << " --jobs " << jobs;
            EXPECT_EQ(split.err, one_pass.err);
        }
        // Standard input, a pipe or a file, is read in one pass whatever --jobs says (a
        // segment's process could not open it again); JSON names the input "-".
        if (std::find(args.begin(), args.end(), "json") == args.end()) {
            args[1] = "-";
            for (const bool redirected : {false, true}) {
                const auto in = run_morvkit_piped(c.short_input ? short_file : long_file, args,
                                                  redirected);
                EXPECT_EQ(in.status, 0) << in.err;
                EXPECT_EQ(in.out, one_pass.out) << args[0] << " " << args[2] << " " << redirected;
            }
        }
    }
}

TEST_F(Jobs, SeveralFilesOneResultEachFailuresNamedOthersGoOn) {
    write_text(dir / "bad.wav", "not audio");
    const fs::path out = dir / "results";
    const std::string listed[] = {long_file, dir / "bad.wav", short_file};
    auto r = run_morvkit({"pitch", listed[0], listed[1], listed[2], "--output-dir", out});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("morvkit: " + listed[1] + ": '"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("1 of 3 files failed"), std::string::npos) << r.err;
    EXPECT_EQ(read_text(out / "long.wav.pitch.csv"), ok({"pitch", long_file}).out);
    EXPECT_EQ(read_text(out / "short.wav.pitch.csv"), ok({"pitch", short_file}).out);
    EXPECT_FALSE(fs::exists(out / "bad.wav.pitch.csv"));

    // Existing results are kept unless --force.
    write_text(out / "short.wav.pitch.csv", "kept");
    r = run_morvkit({"pitch", long_file, short_file, "--output-dir", out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("0 analysed, 2 skipped"), std::string::npos) << r.err;
    EXPECT_EQ(read_text(out / "short.wav.pitch.csv"), "kept");
    ok({"pitch", long_file, short_file, "--output-dir", out, "--force", "--quiet"});
    EXPECT_EQ(read_text(out / "short.wav.pitch.csv"), ok({"pitch", short_file}).out);

    // Shards share the list out: together all results, none twice.
    const std::vector<std::string> files = {long_file, short_file, dir / "bad.wav"};
    std::vector<std::string> seen;
    for (const char *shard : {"1/2", "2/2"}) {
        const fs::path part = dir / (std::string("shard") + shard[0]);
        std::vector<std::string> args = {"centroid"};
        args.insert(args.end(), files.begin(), files.end());
        args.insert(args.end(), {"--output-dir", part, "--shard", shard, "--format", "json"});
        run_morvkit(args);
        for (const auto &entry : fs::directory_iterator(part))
            seen.push_back(entry.path().filename());
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen,
              (std::vector<std::string>{"long.wav.centroid.json", "short.wav.centroid.json"}));

    // Two inputs with one result name are refused before anything runs.
    fs::create_directory(dir / "other");
    write_wav(dir / "other" / "short.wav", 22050, {sine(220, 22050, 0.2)});
    r = run_morvkit({"pitch", short_file, dir / "other" / "short.wav", "--output-dir", dir / "x"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("would both write short.wav.pitch.csv"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "x"));
}

}  // namespace
}  // namespace morvkit::testing
