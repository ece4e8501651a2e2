// morvkit with --jobs and with several files: the same bytes as one pass, one result per input.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

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
        // The decoder works across the whole input: one process, whatever --jobs says.
        {{"track"}},
        {{"track", "--lag", "0", "--vector-size", "1024", "--format", "json"}},
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
                const auto in =
                    run_morvkit_piped(c.short_input ? short_file : long_file, args, redirected);
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
              (std::vector<std::string>{".morvkit-centroid.json", ".morvkit-centroid.json",
                                        "long.wav.centroid.json", "short.wav.centroid.json"}));

    // Two inputs with one result name are refused before anything runs.
    fs::create_directory(dir / "other");
    write_wav(dir / "other" / "short.wav", 22050, {sine(220, 22050, 0.2)});
    r = run_morvkit({"pitch", short_file, dir / "other" / "short.wav", "--output-dir", dir / "x"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("would both write short.wav.pitch.csv"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "x"));
}

TEST_F(Jobs, AnInputWhoseDecoderStallsIsGivenUpAndTheOthersGoOn) {
    // libsndfile spins for ever opening this one: a LIST chunk whose sub-chunk size wraps.
    const std::string damaged = MORVKIT_TEST_DATA "/list_chunk_loop.wav";
    const std::string said =
        "morvkit: " + damaged + ": the decoder made no progress for 1 s (a damaged header?)\n";
    auto r = run_morvkit({"pitch", damaged, "--stall-timeout", "1"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, said);

    // A FIFO that never delivers is given up the same way; one that delivers a hundred bytes at
    // a time, never a whole block of frames within the timeout, is read to the end.
    const fs::path fifo = dir / "fifo.wav", slow = dir / "slow.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    r = run_morvkit({"pitch", fifo, "--stall-timeout", "0.5"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("no progress for 0.5 s"), std::string::npos) << r.err;
    write_wav(slow, 8000, {sine(220, 8000, 0.2)}, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    signal(SIGPIPE, SIG_IGN);  // should the command end early, the writer only sees EPIPE
    // Writes the first `limit` bytes to the FIFO, a hundred every 0.1 s, then holds it open.
    const auto feed = [&](std::size_t limit, std::chrono::milliseconds hold) {
        return std::thread([&, limit, hold] {
            const std::string bytes = read_text(slow).substr(0, limit);
            const int fd = open(fifo.c_str(), O_WRONLY);
            for (std::size_t at = 0; at < bytes.size(); at += 100) {
                if (write(fd, bytes.data() + at, std::min<std::size_t>(100, bytes.size() - at)) < 0)
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            std::this_thread::sleep_for(hold);
            close(fd);
        });
    };
    auto writer = feed(std::string::npos, {});
    r = run_morvkit({"pitch", fifo, "--stall-timeout", "0.5", "--jobs", "1"});
    writer.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, ok({"pitch", slow}).out);
    // One that stops midway, the result already begun: its temporary is removed.
    writer = feed(300, std::chrono::milliseconds(1200));
    r = run_morvkit({"pitch", fifo, "--stall-timeout", "0.5", "--output", dir / "cut.csv"});
    writer.join();
    EXPECT_EQ(r.status, 3) << r.err;
    for (const auto &entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".cut.csv.partial-"), std::string::npos);
    // Standard input from a pipe whose writer waits (for a writer of the FIFO) for ever.
    r = run_morvkit_piped(fifo, {"pitch", "-", "--stall-timeout", "0.5"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err,
              "morvkit: standard input: the decoder made no progress for 0.5 s (a damaged "
              "header?)\n");
    close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // lets that writer end

    // In a batch, between good files: the run takes the timeout longer than without it (a
    // margin of one more for a loaded machine), and the good results are the same.
    const auto batch = [&](const fs::path &out, const std::vector<std::string> &inputs) {
        std::vector<std::string> args = {"pitch"};
        args.insert(args.end(), inputs.begin(), inputs.end());
        args.insert(args.end(), {"--output-dir", out, "--jobs", "1", "--stall-timeout", "1"});
        const auto start = std::chrono::steady_clock::now();
        r = run_morvkit(args);
        return std::chrono::steady_clock::now() - start;
    };
    const auto without = batch(dir / "without", {long_file, short_file});
    EXPECT_EQ(r.status, 0);
    const auto with = batch(dir / "with", {long_file, damaged, short_file});
    EXPECT_LT(with - without, std::chrono::seconds(2));
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, said +
                         "morvkit: 1 of 3 files failed (named above); 2 analysed, 0 skipped "
                         "(result exists)\n");
    for (const char *result : {"long.wav.pitch.csv", "short.wav.pitch.csv"})
        EXPECT_EQ(read_text(dir / "with" / result), read_text(dir / "without" / result));
}

TEST_F(Jobs, AFolderKeepsItsSettingsUntilForced) {
    const fs::path out = dir / "results";
    const auto batch = [&](const std::vector<std::string> &settings) {
        std::vector<std::string> args = {"pitch", short_file, "--output-dir",
                                         out,     "--format", "json"};
        args.insert(args.end(), settings.begin(), settings.end());
        return run_morvkit(args);
    };
    const auto result = [&] { return read_text(out / "short.wav.pitch.json"); };
    EXPECT_EQ(batch({"--minfreq", "50"}).status, 0);
    const std::string first = result();
    auto r = batch({"--minfreq", "60"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "morvkit: '" + out.string() +
                         "' holds pitch results made with other settings (box was \"zid~ "
                         "@minfreq 50\", now \"zid~ @minfreq 60\"): --force redoes every input "
                         "with these, or choose another --output-dir\n");
    EXPECT_EQ(result(), first);
    EXPECT_EQ(batch({"--minfreq", "50", "--vector", "32"}).status, 2);
    EXPECT_EQ(batch({"--minfreq", "50", "--unit", "midi"}).status, 2);
    EXPECT_NE(batch({"--minfreq", "50", "--threshold", "0.2"}).err.find("threshold was not given"),
              std::string::npos);
    EXPECT_EQ(batch({"--minfreq", "50"}).status, 0);  // the same settings resume

    EXPECT_EQ(batch({"--minfreq", "60", "--force"}).status, 0);
    const auto redone = nlohmann::json::parse(result());
    const auto alone =
        nlohmann::json::parse(ok({"pitch", short_file, "--format", "json", "--minfreq", "60"}).out);
    EXPECT_EQ(redone["rows"], alone["rows"]);
    // The result says how it was made, as the folder does.
    EXPECT_EQ(redone["settings"], nlohmann::json::parse(read_text(out / ".morvkit-pitch.json")));
    EXPECT_EQ(redone["settings"]["box"], "zid~ @minfreq 60");
    EXPECT_EQ(batch({"--minfreq", "60"}).status, 0);
    // Each command has its own settings in a shared folder.
    EXPECT_EQ(run_morvkit({"centroid", short_file, "--output-dir", out}).status, 0);
}

}  // namespace
}  // namespace morvkit::testing
