// morvkit pitch end to end: WAV files written here, read back through a real zid~ box.
#include <gtest/gtest.h>

#include <cmath>

#include "run_command.hpp"
#include "wav_fixture.hpp"

namespace morvkit::testing {
namespace {

using Json = nlohmann::json;

class Pitch : public ::testing::Test {
  protected:
    void SetUp() override {
        write_wav(mono, 44100, {sine(220, 44100, 1.0)});
        write_wav(stereo, 44100, {sine(220, 44100, 1.0), sine(440, 44100, 1.0, 0.3)});
    }

    CommandResult ok(const std::vector<std::string> &args) {
        auto r = run_morvkit(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return r;
    }

    // The median frequency over the rows after the first `skip` (the frame fills first).
    static double median_frequency(const std::vector<std::vector<double>> &rows,
                                   std::size_t skip = 10) {
        std::vector<double> f;
        for (std::size_t i = skip; i < rows.size(); ++i) f.push_back(rows[i][1]);
        if (f.empty())
            return NAN;
        std::nth_element(f.begin(), f.begin() + f.size() / 2, f.end());
        return f[f.size() / 2];
    }

    ScratchDir dir;
    std::filesystem::path mono = dir / "mono.wav", stereo = dir / "stereo.wav";
};

TEST_F(Pitch, CsvHasOneRowPerAnalysisAtTheHopsLogicalTime) {
    const auto r = ok({"pitch", mono});
    const auto cells = split_csv(r.out);
    ASSERT_GT(cells.size(), 100u);
    EXPECT_EQ(cells[0],
              (std::vector<std::string>{"time", "frequency", "amplitude", "periodicity"}));
    const auto rows = csv_numbers(r.out);
    for (const auto &row : rows) ASSERT_EQ(row.size(), 4u);
    // Defaults at 44100 Hz: a hop of 64 samples at a quarter of the rate, 256 input samples,
    // i.e. every fourth vector of 64; the time is the end of the vector that completed it.
    const double hop = 256.0 / 44100;
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(44100 / 256));
    for (std::size_t i = 0; i < rows.size(); ++i)
        ASSERT_NEAR(rows[i][0], (i + 1) * hop, 1e-12) << i;
    EXPECT_NEAR(median_frequency(rows), 220, 1);
    EXPECT_NEAR(rows.back()[2], 0.5 / std::sqrt(2), 0.02);  // RMS of the sine
    EXPECT_GT(rows.back()[3], 0.9);                         // strongly periodic
}

TEST_F(Pitch, JsonCarriesMetadataAndTheSameExactRows) {
    const auto csv = csv_numbers(ok({"pitch", mono}).out);
    const auto json = Json::parse(ok({"pitch", mono, "--format", "json"}).out);
    EXPECT_EQ(json["file"], mono.string());
    EXPECT_EQ(json["samplerate"], 44100);
    EXPECT_EQ(json["channel"], 1);
    EXPECT_EQ(json["box"], "zid~");
    EXPECT_EQ(json["vector_size"], 64);
    EXPECT_EQ(json["geometry"]["analysis_rate"], 11025);
    EXPECT_EQ(json["geometry"]["max_lag"], 186);
    EXPECT_EQ(json["geometry"]["window_size"], 188);
    EXPECT_EQ(json["geometry"]["hop_size"], 64);
    EXPECT_EQ(json["parameters"],
              (Json{{"down", 2}, {"minfreq", 60}, {"period", 5}, {"threshold", 0.1}}));
    EXPECT_EQ(json["columns"], (Json{"time", "frequency", "amplitude", "periodicity"}));
    // Without the unit and voicing options, the fields are those of earlier versions and the
    // settings (the test's JSON sorts them).
    std::vector<std::string> keys;
    for (auto field = json.begin(); field != json.end(); ++field) keys.push_back(field.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"box", "channel", "channels", "columns", "file",
                                              "frames", "geometry", "parameters", "rows",
                                              "samplerate", "settings", "time", "vector_size"}));
    ASSERT_EQ(json["rows"].size(), csv.size());
    for (std::size_t i = 0; i < csv.size(); ++i)
        for (std::size_t c = 0; c < 4; ++c)
            ASSERT_EQ(json["rows"][i][c].get<double>(), csv[i][c]) << i << "," << c;
}

TEST_F(Pitch, VoicingGatesAddAColumnAndTheUnitTurnsHzIntoMidi) {
    // A second of tone, then half a second of digital silence.
    auto tone_then_silence = sine(220, 44100, 1.0);
    tone_then_silence.resize(44100 * 3 / 2, 0.0);
    write_wav(dir / "gap.wav", 44100, {tone_then_silence});
    const auto plain = csv_numbers(ok({"pitch", dir / "gap.wav"}).out);
    const auto r = ok({"pitch", dir / "gap.wav", "--min-periodicity", "0.5", "--min-level", "-60",
                       "--unit", "midi", "--plot", dir / "gap.svg"});
    EXPECT_EQ(split_csv(r.out)[0], (std::vector<std::string>{"time", "frequency", "amplitude",
                                                             "periodicity", "voiced"}));
    const auto gated = csv_numbers(r.out);
    ASSERT_EQ(gated.size(), plain.size());  // every analysis stays, gated or not
    for (std::size_t i = 0; i < gated.size(); ++i) {
        ASSERT_EQ(gated[i][0], plain[i][0]);
        ASSERT_NEAR(gated[i][1], 69 + 12 * std::log2(plain[i][1] / 440), 1e-9);
        const bool voiced = plain[i][3] >= 0.5 && 20 * std::log10(plain[i][2]) >= -60;
        ASSERT_EQ(gated[i][4], voiced ? 1 : 0) << i;
        if (plain[i][0] > 0.05 && plain[i][0] < 0.95) {
            ASSERT_EQ(gated[i][4], 1) << i;
        } else if (plain[i][0] > 1.1) {
            ASSERT_EQ(gated[i][4], 0) << i;
        }
    }
    // The gated analyses are drawn in grey; without gates there is none.
    const std::string grey = "rgb(70%,70%,70%)";
    EXPECT_NE(read_text(dir / "gap.svg").find(grey), std::string::npos);
    ok({"pitch", dir / "gap.wav", "--plot", dir / "plain.svg"});
    EXPECT_EQ(read_text(dir / "plain.svg").find(grey), std::string::npos);
    const auto json =
        Json::parse(ok({"pitch", dir / "gap.wav", "--format", "json", "--min-level", "-40"}).out);
    EXPECT_EQ(json["voicing"], (Json{{"min_level", -40}}));
    EXPECT_EQ(json["columns"].back(), "voiced");
    EXPECT_EQ(json["rows"][0].size(), 5u);
}

TEST_F(Pitch, ChannelSelectionAndMix) {
    EXPECT_NEAR(median_frequency(csv_numbers(ok({"pitch", stereo, "--channel", "1"}).out)), 220, 1);
    EXPECT_NEAR(median_frequency(csv_numbers(ok({"pitch", stereo, "--channel", "2"}).out)), 440, 2);
    // The mix is periodic at the common period of 220 and 440 Hz.
    const auto mixed = ok({"pitch", stereo, "--mix", "--format", "json"}).out;
    const auto json = Json::parse(mixed);
    EXPECT_EQ(json["channel"], "mix");
    EXPECT_EQ(json["channels"], 2);
    std::vector<std::vector<double>> rows;
    for (const auto &row : json["rows"]) rows.push_back(row.get<std::vector<double>>());
    EXPECT_NEAR(median_frequency(rows), 220, 1);
}

TEST_F(Pitch, BoxTextWithAttributeArgumentsTakesEffect) {
    const auto json = Json::parse(
        ok({"pitch", mono, "--format", "json", "--box", "zid~ 2 60 5 @down 1 @period 10"}).out);
    EXPECT_EQ(json["parameters"]["down"], 1);
    EXPECT_EQ(json["parameters"]["period"], 10);
    EXPECT_EQ(json["geometry"]["analysis_rate"], 22050);
    // 10 ms at 22050 Hz is 220.5 samples, rounded up to whole vectors of 32: 224, i.e. 448
    // input samples between analyses.
    EXPECT_EQ(json["geometry"]["hop_size"], 224);
    const auto &rows = json["rows"];
    ASSERT_GT(rows.size(), 10u);
    EXPECT_NEAR(rows[1][0].get<double>() - rows[0][0].get<double>(), 448.0 / 44100, 1e-12);
}

TEST_F(Pitch, ARangeIsRecordedWithWhatItChoseAndOneBeyondTheRateIsWarnedAbout) {
    const auto json =
        Json::parse(ok({"pitch", mono, "--format", "json", "--fmin", "100", "--fmax", "1000"}).out);
    EXPECT_EQ(json["box"], "zid~ @down 1 @minfreq 100");
    EXPECT_EQ(json["range"], (Json{{"fmin", 100}, {"fmax", 1000}, {"down", 1}, {"minfreq", 100}}));
    EXPECT_EQ(json["geometry"]["analysis_rate"], 22050);
    const auto high = run_morvkit({"pitch", mono, "--fmax", "3000"});
    EXPECT_EQ(high.status, 0);
    EXPECT_NE(high.err.find("warning: --fmax 3000: at 44100 Hz, notes above 2100 Hz"),
              std::string::npos);
    EXPECT_EQ(run_morvkit({"pitch", mono, "--fmax", "30000"}).status, 2);
    // The analysis rate of zid~'s default down 2, of --down, or of the down --fmax chose sets
    // the limit.
    for (const auto &[args, limit] :
         {std::pair{std::vector<std::string>{"--fmin", "5000"}, "above 2756.25 Hz"},
          std::pair{std::vector<std::string>{"--down", "3", "--fmin", "2000"}, "above 1378.125 Hz"},
          std::pair{std::vector<std::string>{"--fmin", "12000", "--fmax", "15000"},
                    "above 11025 Hz"}}) {
        std::vector<std::string> command{"pitch", mono.string()};
        command.insert(command.end(), args.begin(), args.end());
        const auto refused = run_morvkit(command);
        EXPECT_EQ(refused.status, 2);
        EXPECT_NE(refused.err.find(limit), std::string::npos) << refused.err;
    }
}

TEST_F(Pitch, OutOfRangeValuesAreClampedByTheObjectAndReported) {
    const auto json = Json::parse(ok({"pitch", mono, "--format", "json", "--down", "9", "--minfreq",
                                      "-5", "--period", "1000", "--threshold", "3"})
                                      .out);
    EXPECT_EQ(json["box"], "zid~ @down 9 @minfreq -5 @period 1000");
    EXPECT_EQ(json["parameters"],
              (Json{{"down", 3}, {"minfreq", 0}, {"period", 250}, {"threshold", 1}}));
}

TEST_F(Pitch, HugeValuesReachTheObjectWithoutHarm) {
    for (const char *value : {"1e300", "-1e300"}) {
        const auto json = Json::parse(
            ok({"pitch", mono, "--format", "json", "--down", value, "--minfreq", value}).out);
        const int down = json["parameters"]["down"];
        EXPECT_GE(down, 0);
        EXPECT_LE(down, 3);
        EXPECT_GE(json["parameters"]["minfreq"].get<double>(), 0);
    }
}

TEST_F(Pitch, VectorSizeSetsTheClockOfDelivery) {
    const auto rows = csv_numbers(ok({"pitch", mono, "--vector", "128", "--period", "1"}).out);
    ASSERT_GT(rows.size(), 10u);
    for (const auto &row : rows) {
        const double vectors = row[0] * 44100 / 128;
        ASSERT_NEAR(vectors, std::round(vectors), 1e-9);
    }
}

TEST_F(Pitch, OutputFileHoldsExactlyWhatStdoutWould) {
    const auto expected = ok({"pitch", mono}).out;
    const auto r = ok({"pitch", mono, "--output", dir / "out.csv", "--plot", dir / "out.svg"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_text(dir / "out.csv"), expected);
    EXPECT_NE(read_text(dir / "out.svg").find("</svg>"), std::string::npos);
}

TEST_F(Pitch, OtherSampleRatesAndFormats) {
    write_wav(dir / "48k.wav", 48000, {sine(330, 48000, 0.5)});
    const auto json = Json::parse(ok({"pitch", dir / "48k.wav", "--format", "json"}).out);
    EXPECT_EQ(json["samplerate"], 48000);
    EXPECT_EQ(json["geometry"]["analysis_rate"], 12000);
    std::vector<std::vector<double>> rows;
    for (const auto &row : json["rows"]) rows.push_back(row.get<std::vector<double>>());
    EXPECT_NEAR(median_frequency(rows), 330, 1.5);
}

TEST_F(Pitch, NoRowIsTimedAfterTheEndOfTheInput) {
    // 4410 samples: the last vector is padded with zeros whenever the vector does not divide it.
    write_wav(dir / "short.wav", 44100, {sine(220, 44100, 0.1)});
    for (const char *vector : {"64", "100", "441", "1000", "65536"}) {
        const auto rows = csv_numbers(ok({"pitch", dir / "short.wav", "--vector", vector}).out);
        for (const auto &row : rows) ASSERT_LE(row[0], 0.1) << vector;
        if (std::string(vector) != "65536") {
            ASSERT_FALSE(rows.empty()) << vector;
            EXPECT_GT(rows.back()[0], 0.1 - 0.03) << vector;  // the analyses up to the end stay
        }
    }
}

}  // namespace
}  // namespace morvkit::testing
