// The command under hostile conditions, end to end: outputs that are devices, links, FIFOs or
// the input itself; signals in the middle of a run; damaged audio; broken module folders.
#include <gtest/gtest.h>

#include <signal.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

#include "run_command.hpp"
#include "wav_fixture.hpp"

namespace morvkit::testing {
namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

std::vector<std::string> names_in(const fs::path &folder) {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Waits (without judging how long it takes) until the running command says something that
// contains `text` on stderr, or ends.
void wait_for_err(const RunningCommand &run, const std::string &text) {
    for (int i = 0; i < 6000 && run.err().find(text) == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

class Hostile : public ::testing::Test {
  protected:
    void SetUp() override { write_wav(input, 44100, {sine(220, 44100, 1.0)}); }
    ScratchDir dir;
    fs::path input = dir / "in.wav";
};

TEST_F(Hostile, ResultsThatWouldOverwriteTheInputOrEachOtherAreRefused) {
    fs::create_symlink("in.wav", dir / "alias.csv");
    fs::create_symlink("in.wav", dir / "alias.svg");
    const std::string before = read_text(input);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--output", input}, "it is the input file"},
        {{"--output", dir / "alias.csv"}, "it is the input file"},
        {{"--plot", dir / "alias.svg"}, "it is the input file"},
        {{"--output", dir / "new.svg", "--plot", dir / "new.svg"}, "is the same file as"},
        {{"--output", dir / "." / "new.svg", "--plot", dir / "new.svg"}, "same file"},
    };
    for (const auto &[extra, message] : cases) {
        std::vector<std::string> args{"pitch", input};
        args.insert(args.end(), extra.begin(), extra.end());
        const auto r = run_morvkit(args);
        EXPECT_EQ(r.status, 4) << extra[1];
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    // Standard output appended to the input file.
    const auto appended = run_morvkit({"centroid", input}, input, true);
    EXPECT_EQ(appended.status, 4);
    EXPECT_NE(appended.err.find("standard output: it is the input file"), std::string::npos);
    EXPECT_EQ(read_text(input), before);
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"alias.csv", "alias.svg", "in.wav"}));
}

TEST_F(Hostile, LinksAreFollowedAndAReplacedFileKeepsItsMode) {
    const auto expected = run_morvkit({"pitch", input}).out;
    write_text(dir / "private.csv", "old\n");
    fs::permissions(dir / "private.csv", fs::perms(0600));
    fs::create_symlink("private.csv", dir / "link.csv");
    const auto r = run_morvkit({"pitch", input, "--output", dir / "link.csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
    EXPECT_EQ(read_text(dir / "private.csv"), expected);
    EXPECT_EQ(fs::status(dir / "private.csv").permissions(), fs::perms(0600));
}

TEST_F(Hostile, AFifoIsWrittenDirectly) {
    const auto expected = run_morvkit({"pitch", input, "--format", "json"}).out;
    const auto fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    RunningCommand run({"pitch", input, "--format", "json", "--output", fifo});
    const int fd = open(fifo.c_str(), O_RDONLY);  // waits for the command to open it
    ASSERT_GE(fd, 0);
    std::string got;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) got.append(buffer, n);
    close(fd);
    EXPECT_EQ(run.wait().status, 0);
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(fs::is_fifo(fifo));

    // A reader that leaves early: a write error, and the picture's temporary goes too.
    write_wav(dir / "long.wav", 44100, {sine(220, 44100, 10.0)});
    RunningCommand cut({"pitch", dir / "long.wav", "--output", fifo, "--plot", dir / "p.svg"});
    const int early = open(fifo.c_str(), O_RDONLY);
    ASSERT_GE(early, 0);
    EXPECT_GT(read(early, buffer, 16), 0);
    close(early);
    const auto r = cut.wait();
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("Broken pipe"), std::string::npos) << r.err;
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"fifo", "in.wav", "long.wav"}));
}

TEST_F(Hostile, WriteErrorsExitWithFourForEveryCommand) {
    const std::vector<std::vector<std::string>> to_stdout = {
        {"demo"},
        {"--help"},
        {"pitch", "--help"},
        {"pitch", input},
        {"centroid", input, "--format", "json"}};
    for (const auto &args : to_stdout) {
        const auto r = run_morvkit(args, "/dev/full", false);
        EXPECT_EQ(r.status, 4) << args[0];
        EXPECT_EQ(r.err, "morvkit: cannot write standard output: No space left on device\n");
    }
    const auto r = run_morvkit({"pitch", input, "--output", "/dev/full"});
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("'/dev/full'"), std::string::npos);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(Hostile, SignalsStopTheRunRemoveTemporariesAndExitWith128PlusTheSignal) {
    write_wav(dir / "long.wav", 44100, {sine(220, 44100, 3.0)});
    struct Case {
        std::vector<std::string> args;
        std::vector<int> signals;
        std::string cost;  // what the cost warning names
    };
    // Each run would take minutes: the cost warning comes first, then the signal.
    const std::vector<std::string> costly_pitch = {"pitch",     input, "--down",   "0",
                                                   "--minfreq", "0.1", "--period", "0.001"};
    const std::vector<Case> cases = {
        {costly_pitch, {SIGINT}, "262144 lags"},
        {costly_pitch, {SIGTERM}, "262144 lags"},
        {costly_pitch, {SIGHUP}, "262144 lags"},
        {costly_pitch, {SIGTERM, SIGINT}, "262144 lags"},
        {{"centroid", dir / "long.wav", "--fft", "65536", "--overlap", "65536"},
         {SIGINT},
         "65536-point FFT every 1 sample"},
    };
    for (const auto &c : cases) {
        auto args = c.args;
        args.insert(args.end(), {"--output", dir / "out.csv", "--plot", dir / "out.png"});
        RunningCommand run(args);
        wait_for_err(run, "times real time");
        for (int s : c.signals) run.signal(s);
        const auto r = run.wait();
        // Signals pending together are delivered lowest number first: either may be the first.
        EXPECT_NE(std::find(c.signals.begin(), c.signals.end(), r.status - 128), c.signals.end())
            << r.status << r.err;
        EXPECT_NE(r.err.find(c.cost), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"in.wav", "long.wav"}));
    }

    // Before the analysis nothing looks at the flag (a decoder may spin on a damaged header for
    // hours), so one signal must do: here the input is a FIFO without a writer, whose opening
    // blocks until one comes.
    const auto fifo = dir / "fifo.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    RunningCommand blocked({"pitch", fifo, "--output", dir / "out.csv", "--stall-timeout", "0"});
    // The input is opened by the command's worker process.
    const auto pid = std::to_string(blocked.pid());
    const auto worker_wchan = [&] {
        const auto children = testing::read_text("/proc/" + pid + "/task/" + pid + "/children");
        return testing::read_text("/proc/" + children.substr(0, children.find(' ')) + "/wchan");
    };
    for (int i = 0; i < 6000 && worker_wchan() != "wait_for_partner"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    blocked.signal(SIGINT);
    // Should the signal have been left pending, a writer ends the wait instead of the test's;
    // but only once the command has had the time to end (it becomes a zombie until waited for).
    for (int i = 0;
         i < 1000 && read_text("/proc/" + pid + "/stat").find(") Z") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0)
        close(fd);
    const auto r = blocked.wait();
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_EQ(r.err, "morvkit: stopped by SIGINT\n");
}

// A batch killed outright, as a cluster's time limit kills a job: with its process group, or the
// parent alone.
TEST_F(Hostile, AKilledBatchLeavesNoWorkerAndARerunNoDebris) {
    const std::vector<std::string> costly = {"--minfreq", "5", "--period", "0.1"};
    std::vector<std::string> args = {"pitch"};
    write_wav(dir / "a.wav", 44100, {sine(220, 44100, 0.3)});
    for (const char *name : {"a.wav", "b.wav", "c.wav"}) {
        if (name[0] != 'a')
            fs::copy_file(dir / "a.wav", dir / name);
        args.push_back(dir / name);
    }
    const fs::path out = dir / "results";
    fs::create_directory(out);
    args.insert(args.end(), {"--output-dir", out, "--jobs", "2", "--down", "0"});
    const auto partials = [&] {
        std::vector<std::string> names;
        for (const auto &name : names_in(out))
            if (name.find(".partial-") != std::string::npos)
                names.push_back(name);
        return names;
    };
    const auto start_working = [&](std::vector<std::string> more) {
        more.insert(more.begin(), args.begin(), args.end());
        auto run = std::make_unique<RunningCommand>(more);
        for (int i = 0; i < 6000 && partials().size() < 2; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return run;
    };

    // Kills the command (its group, or the parent alone) and counts its workers, and those gone
    // a moment later.  Reparented, a worker that ended may wait as a zombie for a reaper that
    // never comes.
    const auto kill_counting_gone = [&](RunningCommand &run, pid_t target) {
        const auto pid = std::to_string(run.pid());
        std::istringstream listed(read_text("/proc/" + pid + "/task/" + pid + "/children"));
        kill(target, SIGKILL);
        run.wait();
        std::pair<int, int> gone_of{0, 0};
        for (std::string worker; listed >> worker; ++gone_of.second) {
            const auto alive = [&] {
                const std::string stat = read_text("/proc/" + worker + "/stat");
                return !stat.empty() && stat.find(") Z") == std::string::npos;
            };
            for (int i = 0; i < 200 && alive(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            gone_of.first += alive() ? 0 : 1;
        }
        return gone_of;
    };

    auto group = start_working(costly);
    EXPECT_EQ(kill_counting_gone(*group, -group->pid()), std::make_pair(2, 2));
    EXPECT_EQ(partials().size(), 2u);  // nobody was left to remove them
    auto again = args;
    again.insert(again.end(), costly.begin(), costly.end());
    const auto r = run_morvkit(again);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(names_in(out), (std::vector<std::string>{".morvkit-pitch.json", "a.wav.pitch.csv",
                                                       "b.wav.pitch.csv", "c.wav.pitch.csv"}));
    std::vector<std::string> alone = {"pitch", dir / "a.wav", "--down", "0"};
    alone.insert(alone.end(), costly.begin(), costly.end());
    const std::string expected = run_morvkit(alone).out;
    for (const char *name : {"a.wav.pitch.csv", "b.wav.pitch.csv", "c.wav.pitch.csv"})
        EXPECT_EQ(read_text(out / name), expected) << name;

    // The parent alone: its workers (each at work for minutes) end with it, removing what they
    // were writing.
    auto parent = start_working({"--force", "--minfreq", "0.1", "--period", "0.001"});
    EXPECT_EQ(kill_counting_gone(*parent, parent->pid()), std::make_pair(2, 2));
    EXPECT_EQ(partials(), std::vector<std::string>{});
}

TEST_F(Hostile, DamagedAudioIsAnalysedAsFarAsItGoesWithOneWarning) {
    const auto tone = sine(220, 44100, 0.1);  // 4410 frames
    const auto cut = [&](const fs::path &file, std::uintmax_t missing_bytes) {
        fs::resize_file(file, fs::file_size(file) - missing_bytes);
    };
    // A truncated float WAV and 16-bit AIFF; a FLAC cut inside its first audio frame.
    write_wav(dir / "cut.wav", 44100, {tone});
    cut(dir / "cut.wav", (4410 - 8) * 4);
    write_wav(dir / "cut.aiff", 44100, {tone}, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    cut(dir / "cut.aiff", 4000 * 2);
    write_wav(dir / "cut.flac", 44100, {tone}, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    fs::resize_file(dir / "cut.flac", 200);
    // A streamed WAV: written before its length was known, every size field all ones.
    write_wav(dir / "streamed.wav", 44100, {tone}, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::string bytes = read_text(dir / "streamed.wav");
    for (std::size_t at : {std::size_t{4}, bytes.find("data") + 4})
        bytes.replace(at, 4, "\xff\xff\xff\xff");
    write_text(dir / "streamed.wav", bytes);

    struct Case {
        std::string file;
        int status;
        std::string err;
        Json frames, announced;
        bool piped = false;  // through standard input, which announces no length
    };
    const std::vector<Case> cases = {
        {"cut.wav", 0, "announces 4410 frames but holds only 8; analysed those", 8, 4410},
        {"cut.aiff", 0, "announces 4410 frames but holds only 410; analysed those", 410, 4410},
        {"cut.flac", 3, "holds no audio", nullptr, nullptr},
        {"streamed.wav", 0, "", 4410, nullptr},
        {"streamed.wav", 0, "", 4410, nullptr, true},
        {"cut.wav", 0, "", 8, nullptr, true},
    };
    for (const auto &c : cases) {
        const auto r = c.piped ? run_morvkit_piped(dir / c.file, {"pitch", "-", "--format", "json"})
                               : run_morvkit({"pitch", dir / c.file, "--format", "json"});
        EXPECT_EQ(r.status, c.status) << c.file << ": " << r.err;
        if (c.err.empty())
            EXPECT_EQ(r.err, "") << c.file;
        else
            EXPECT_NE(r.err.find(c.err), std::string::npos) << c.file << ": " << r.err;
        EXPECT_LE(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        if (c.status != 0) {
            EXPECT_EQ(r.out, "");
            continue;
        }
        const auto json = Json::parse(r.out);
        EXPECT_EQ(json["frames"], c.frames) << c.file;
        EXPECT_EQ(json.contains("frames_announced") ? json["frames_announced"] : Json(),
                  c.announced)
            << c.file;
        for (const auto &row : json["rows"])
            EXPECT_LE(row[0].get<double>(), c.frames.get<double>() / 44100) << c.file;
    }
}

TEST_F(Hostile, FileNamesThatAreNotUtf8AreKeptReadable) {
    const auto odd = dir / "caf\xe9.wav";
    fs::copy_file(input, odd);
    const auto r = run_morvkit({"pitch", odd, "--format", "json", "--plot", dir / "odd.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Json::parse(r.out)["file"], (dir / "caf\xef\xbf\xbd.wav").string());
    // The title is drawn (with a replacement character), not the whole picture lost.
    ASSERT_EQ(run_morvkit({"pitch", input, "--plot", dir / "plain.png"}).status, 0);
    EXPECT_GT(fs::file_size(dir / "odd.png"), fs::file_size(dir / "plain.png") * 9 / 10);
}

TEST_F(Hostile, EveryModulesFolderIsTriedAndALoadErrorIsReported) {
    const fs::path built_externals = MORV_EXTERNALS_DIR;
    std::string module;
    for (const auto &entry : fs::directory_iterator(built_externals))
        if (entry.path().filename().string().rfind("zid~.", 0) == 0)
            module = entry.path().filename().string();
    ASSERT_FALSE(module.empty());
    fs::create_directories(dir / "broken" / "externals");
    write_text(dir / "broken" / "externals" / module, "not a module\n");
    fs::create_directories(dir / "good");
    fs::create_directory_symlink(built_externals, dir / "good" / "externals");
    fs::create_directory_symlink(MORV_EXTENSIONS_DIR, dir / "good" / "extensions");
    const std::string load_error =
        "cannot load " + (dir / "broken" / "externals" / module).string();

    const auto alone = run_morvkit({"pitch", input, "--modules", dir / "broken"});
    EXPECT_EQ(alone.status, 1);
    EXPECT_NE(alone.err.find(load_error), std::string::npos) << alone.err;
    const auto first =
        run_morvkit({"pitch", input, "--modules", dir / "broken", "--modules", dir / "good"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err.rfind("morvkit: warning: " + load_error, 0), 0u) << first.err;
    EXPECT_FALSE(first.out.empty());
    const auto second =
        run_morvkit({"pitch", input, "--modules", dir / "good", "--modules", dir / "broken"});
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.err, "");
}

}  // namespace
}  // namespace morvkit::testing
