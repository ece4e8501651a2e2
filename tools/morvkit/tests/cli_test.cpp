// The command's behaviour on bad input: one line on stderr naming the problem, a distinct exit
// status per kind of problem, nothing on stdout and no result file.
#include <gtest/gtest.h>

#include "morv_version.h"
#include "run_command.hpp"
#include "wav_fixture.hpp"

namespace morvkit::testing {
namespace {

class BadInput : public ::testing::Test {
  protected:
    void SetUp() override { write_wav(good, 44100, {sine(220, 44100, 0.2)}); }

    // Runs and checks the shape every failure shares; returns the message line.
    std::string fails_with(int status, const std::vector<std::string> &args) {
        const auto r = run_morvkit(args);
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("morvkit: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "not one line: " << r.err;
        return r.err;
    }

    ScratchDir dir;
    std::filesystem::path good = dir / "good.wav";
};

TEST_F(BadInput, CommandLineMistakesExitWithTwo) {
    EXPECT_NE(fails_with(2, {}).find("subcommand"), std::string::npos);
    EXPECT_NE(fails_with(2, {"pitch", good, "--frobnicate"}).find("--frobnicate"),
              std::string::npos);
    EXPECT_EQ(fails_with(2, {"pitch", good, "--minfreq", "abc"}),
              "morvkit: --minfreq: 'abc' is not a number\n");
    EXPECT_EQ(fails_with(2, {"pitch", good, "--vector", "many"}),
              "morvkit: --vector: 'many' is not a whole number\n");
    EXPECT_EQ(fails_with(2, {"centroid", good, "--fft", "1000"}),
              "morvkit: --fft: '1000' is not a power of two\n");
    EXPECT_NE(fails_with(2, {"pitch"}).find("FILE"), std::string::npos);
    EXPECT_EQ(fails_with(2, {"pitch", good, "--stall-timeout", "-1"}),
              "morvkit: --stall-timeout: '-1' is out of range (0 to 31536000)\n");
    const std::vector<std::pair<std::vector<std::string>, std::string>> track = {
        {{"--lag", "-5"}, "--lag: '-5' is not a delay of 0 ms or more"},
        {{"--lag", "9000"}, "--lag 9000: morv.track~ keeps 5000"},
        {{"--fmin", "300", "--fmax", "200"}, "--fmin 300 is not below --fmax 200"},
        {{"--notes", "notes.txt"}, "--notes: 'notes.txt' must end in .csv, .json or .mid"},
        {{"--notes-format", "wav"}, "--notes-format: 'wav' is not csv, json or mid"},
        {{"--output-dir", "x", "--notes", "n.csv"}, "--notes does not go with it"},
    };
    for (const auto &[options, message] : track) {
        std::vector<std::string> args{"track", good};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_NE(fails_with(2, args).find(message), std::string::npos) << message;
    }
    // Box text: whatever the host's console says against the new box is an error too.
    const std::vector<std::pair<std::string, std::string>> boxes = {
        {"morv.centroid~", "is a morv.centroid~, not a zid~"},
        {"zid~ @minfrq 80", "the box \"zid~ @minfrq 80\": zid~: no attribute named \"minfrq\""},
        {"zid~ @ 3", "zid~: no attribute named \"\""},
        {"zid~ \xff", "--box: the text is not valid UTF-8"},
    };
    for (const auto &[box, message] : boxes)
        EXPECT_NE(fails_with(2, {"pitch", good, "--box", box}).find(message), std::string::npos)
            << box;
}

TEST_F(BadInput, UnusableAudioExitsWithThree) {
    const auto missing = (dir / "missing.wav").string();
    EXPECT_EQ(fails_with(3, {"pitch", missing}), "morvkit: '" + missing + "' does not exist\n");
    EXPECT_EQ(fails_with(3, {"track", missing}), "morvkit: '" + missing + "' does not exist\n");
    write_text(dir / "text.wav", "RIFF? no, just text\n");
    EXPECT_NE(fails_with(3, {"centroid", dir / "text.wav"}).find("is not an audio file"),
              std::string::npos);
    write_wav(dir / "empty.wav", 44100, {{}});
    EXPECT_NE(fails_with(3, {"pitch", dir / "empty.wav"}).find("zero length"), std::string::npos);
    EXPECT_EQ(fails_with(3, {"pitch", good, "--channel", "2"}),
              "morvkit: '" + good.string() + "' has 1 channel; there is no channel 2\n");
    EXPECT_NE(fails_with(3, {"centroid", dir.path()}).find("is a directory"), std::string::npos);
    const auto piped = run_morvkit_piped(dir / "text.wav", {"pitch", "-"});
    EXPECT_EQ(piped.status, 3);
    EXPECT_NE(piped.err.find("standard input is not an audio file"), std::string::npos);
}

TEST_F(BadInput, UnwritableOutputExitsWithFourAndLeavesNoFile) {
    const auto target = dir / "no-such-folder" / "out.csv";
    EXPECT_NE(fails_with(4, {"pitch", good, "--output", target}).find(target.string()),
              std::string::npos);
    std::filesystem::create_directory(dir / "taken");
    fails_with(4, {"centroid", good, "--output", dir / "taken"});
    fails_with(4, {"demo", "--plot", dir / "no-such-folder" / "p.svg"});
    fails_with(
        4, {"track", good, "--output", dir / "t.csv", "--notes", dir / "no-such-folder" / "n.mid"});
    EXPECT_FALSE(std::filesystem::exists(dir / "t.csv"));
    EXPECT_NE(fails_with(4, {"track", good, "--notes", good, "--notes-format", "csv"})
                  .find("it is the input file"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
}

TEST_F(BadInput, FailureAfterTheOutputWasOpenedLeavesNothingBehind) {
    // The output is reserved first; finding the modules then fails.
    const auto r =
        run_morvkit({"pitch", good, "--output", dir / "o.csv", "--modules", dir / "nowhere"});
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "o.csv"));
    for (const auto &entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".o.csv"), std::string::npos);
}

TEST(Help, ListsTheCommandsAndExitsWithZero) {
    const auto r = run_morvkit({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char *word : {"pitch", "centroid", "track", "demo"})
        EXPECT_NE(r.out.find(word), std::string::npos) << word;
    const auto pitch = run_morvkit({"pitch", "--help"});
    EXPECT_EQ(pitch.status, 0);
    EXPECT_NE(pitch.out.find("--threshold"), std::string::npos);
    const auto version = run_morvkit({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("morvkit ") + MORV_VERSION + "\n");
}

TEST(Demo, ReportsTheGrossErrorShareAndDrawsThePicture) {
    ScratchDir dir;
    const auto r = run_morvkit({"demo", "--plot", dir / "demo.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char *segment : {"note A3", "glide", "vibrato", "noisy", "silence"})
        EXPECT_NE(r.out.find(segment), std::string::npos) << segment;
    const auto at = r.out.find("gross-error share: ");
    ASSERT_NE(at, std::string::npos) << r.out;
    const double share = std::strtod(r.out.c_str() + at + 19, nullptr);
    EXPECT_LT(share, 10.0) << r.out;  // percent; a working zid~ stays far below this
    EXPECT_EQ(read_text(dir / "demo.png").substr(0, 4), "\x89PNG");
}

}  // namespace
}  // namespace morvkit::testing
