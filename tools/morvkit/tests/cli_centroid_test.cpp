// morvkit centroid end to end: frames through pfft~ and a real morv.centroid~ box.
#include <gtest/gtest.h>

#include "run_command.hpp"
#include "wav_fixture.hpp"

namespace morvkit::testing {
namespace {

using Json = nlohmann::json;

class Centroid : public ::testing::Test {
  protected:
    void SetUp() override { write_wav(tone, 44100, {sine(2000, 44100, 0.5)}); }

    std::vector<std::vector<double>> rows_of(const std::vector<std::string> &args) {
        const auto r = run_morvkit(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return csv_numbers(r.out);
    }

    ScratchDir dir;
    std::filesystem::path tone = dir / "tone.wav";
};

TEST_F(Centroid, OneRowPerFrameStampedAtTheWindowCentre) {
    const auto r = run_morvkit({"centroid", tone});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(split_csv(r.out)[0], (std::vector<std::string>{"time", "centroid"}));
    const auto rows = csv_numbers(r.out);
    // Whole frames of 1024 every 256 samples within 22050 samples.
    ASSERT_EQ(rows.size(), static_cast<std::size_t>((22050 - 1024) / 256 + 1));
    for (std::size_t j = 0; j < rows.size(); ++j) {
        ASSERT_NEAR(rows[j][0], (j * 256 + 512) / 44100.0, 1e-12);
        ASSERT_NEAR(rows[j][1], 2000, 40) << j;  // a pure tone's centroid is its frequency
    }
}

TEST_F(Centroid, AmplitudeModeAndOtherGeometries) {
    const auto amplitude = rows_of({"centroid", tone, "--amplitude"});
    ASSERT_FALSE(amplitude.empty());
    EXPECT_NEAR(amplitude[amplitude.size() / 2][1], 2000, 100);
    const auto coarse = rows_of({"centroid", tone, "--fft", "2048", "--overlap", "2"});
    ASSERT_GT(coarse.size(), 2u);
    EXPECT_NEAR(coarse[0][0], 1024 / 44100.0, 1e-12);
    EXPECT_NEAR(coarse[1][0] - coarse[0][0], 1024 / 44100.0, 1e-12);
}

TEST_F(Centroid, JsonDescribesTheFrames) {
    const auto r = run_morvkit({"centroid", tone, "--format", "json", "--amplitude"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto json = Json::parse(r.out);
    EXPECT_EQ(json["box"], "morv.centroid~");
    EXPECT_EQ(json["geometry"], (Json{{"fft_size", 1024},
                                      {"overlap", 4},
                                      {"hop", 256},
                                      {"bins", 512},
                                      {"input", "amplitude"}}));
    EXPECT_EQ(json["columns"], (Json{"time", "centroid"}));
    EXPECT_FALSE(json["rows"].empty());
}

TEST_F(Centroid, ChannelSelectionAndShortInput) {
    write_wav(dir / "two.wav", 44100, {sine(500, 44100, 0.3), sine(4000, 44100, 0.3)});
    const auto second = rows_of({"centroid", dir / "two.wav", "--channel", "2"});
    ASSERT_FALSE(second.empty());
    EXPECT_NEAR(second[0][1], 4000, 80);
    write_wav(dir / "short.wav", 44100, {sine(500, 44100, 0.01)});  // shorter than one frame
    const auto r = run_morvkit({"centroid", dir / "short.wav"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "time,centroid\n");
}

}  // namespace
}  // namespace morvkit::testing
