#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "base/errors.hpp"
#include "cli/options.hpp"
#include "output/metadata.hpp"

namespace morvkit {
namespace {

Options parse(const std::vector<const char *> &args) {
    std::vector<const char *> argv{"morvkit"};
    argv.insert(argv.end(), args.begin(), args.end());
    return parse_options(static_cast<int>(argv.size()), argv.data());
}

std::string usage_error(const std::vector<const char *> &args) {
    try {
        parse(args);
    } catch (const Error &e) {
        EXPECT_EQ(e.status(), ExitStatus::usage);
        return e.what();
    }
    ADD_FAILURE() << "no error";
    return "";
}

TEST(Options, DefaultsOfEachCommand) {
    const auto pitch = parse({"pitch", "a.wav"});
    EXPECT_EQ(pitch.command, Command::pitch);
    EXPECT_EQ(pitch.input, "a.wav");
    EXPECT_EQ(pitch.channel.channel, 1);
    EXPECT_FALSE(pitch.channel.mix);
    EXPECT_EQ(pitch.pitch.vector_size, 64);
    EXPECT_EQ(pitch.format, Format::csv);
    EXPECT_FALSE(pitch.output);
    EXPECT_EQ(pitch_box_text(pitch.pitch.box), "zid~");
    const auto centroid = parse({"centroid", "a.wav"});
    EXPECT_EQ(centroid.centroid.fft_size, 1024);
    EXPECT_EQ(centroid.centroid.overlap, 4);
    EXPECT_FALSE(centroid.centroid.amplitude);
    EXPECT_EQ(parse({"demo"}).command, Command::demo);
    EXPECT_FALSE(parse({"pitch", "a.wav", "--output", "-"}).output);
}

TEST(Options, ValuesArePassedThrough) {
    const auto o = parse({"pitch", "a.wav", "--channel", "2", "--format", "json", "--output",
                          "o.json", "--threshold", "0.2", "--vector", "128", "--plot", "p.PNG",
                          "--quiet", "--modules", "m1", "--modules", "m2"});
    EXPECT_EQ(o.channel.channel, 2);
    EXPECT_EQ(o.format, Format::json);
    EXPECT_EQ(o.output, "o.json");
    EXPECT_EQ(o.pitch.threshold, 0.2);
    EXPECT_EQ(o.pitch.vector_size, 128);
    EXPECT_EQ(o.plot, "p.PNG");
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.modules, (std::vector<std::filesystem::path>{"m1", "m2"}));
    EXPECT_FALSE(o.pitch.unit);
    EXPECT_FALSE(o.pitch.gates.any());
    const auto v = parse({"pitch", "a.wav", "--unit", "midi", "--a4", "415", "--min-periodicity",
                          "0.5", "--min-level", "-60"});
    EXPECT_EQ(v.pitch.unit, FrequencyUnit::midi);
    EXPECT_EQ(v.pitch.a4, 415);
    EXPECT_EQ(v.pitch.gates.min_periodicity, 0.5);
    EXPECT_EQ(v.pitch.gates.min_level, -60);
    const auto c =
        parse({"centroid", "--fft", "2048", "--overlap", "8", "--amplitude", "--mix", "b.flac"});
    EXPECT_EQ(c.input, "b.flac");
    EXPECT_EQ(c.centroid.fft_size, 2048);
    EXPECT_EQ(c.centroid.overlap, 8);
    EXPECT_TRUE(c.centroid.amplitude);
    EXPECT_TRUE(c.channel.mix);
}

TEST(Options, BoxOptionsBecomeAttributeArgumentsAfterTheBoxText) {
    EXPECT_EQ(pitch_box_text(parse({"pitch", "a.wav", "--minfreq", "100"}).pitch.box),
              "zid~ @minfreq 100");
    EXPECT_EQ(pitch_box_text(parse({"pitch", "a.wav", "--box", "zid~ 1 80 @period 10", "--down",
                                    "3", "--period", "2.5"})
                                 .pitch.box),
              "zid~ 1 80 @period 10 @down 3 @period 2.5");
    // Out-of-range values go to the object as typed; it clamps them.
    EXPECT_EQ(pitch_box_text(parse({"pitch", "a.wav", "--down", "-7"}).pitch.box), "zid~ @down -7");
}

TEST(Options, ARangeInHzChoosesDownAndMinfreqUnlessTheyAreGiven) {
    const auto ranged = parse({"pitch", "a.wav", "--fmin", "30", "--fmax", "1000"});
    EXPECT_EQ(ranged.pitch.range.fmin, 30);
    EXPECT_EQ(ranged.pitch.range.fmax, 1000);
    EXPECT_EQ(pitch_box_text(ranged.pitch.box, choose_parameters(ranged.pitch.range, 44100)),
              "zid~ @down 1 @minfreq 30");
    const auto given = parse({"pitch", "a.wav", "--fmin", "30", "--fmax", "1000", "--down", "3"});
    EXPECT_EQ(pitch_box_text(given.pitch.box, choose_parameters(given.pitch.range, 44100)),
              "zid~ @down 3 @minfreq 30");
    // The largest down that keeps min_samples_per_period (21) samples in a period at fmax.
    const std::vector<std::tuple<double, double, long>> downs = {{44100, 525, 2}, {44100, 526, 1},
                                                                 {44100, 262, 3}, {44100, 2100, 0},
                                                                 {48000, 571, 2}, {8000, 100, 1}};
    for (const auto &[rate, fmax, down] : downs) {
        const auto choice = choose_parameters({std::nullopt, fmax}, rate);
        EXPECT_EQ(choice.down, down) << rate << " " << fmax;
        EXPECT_EQ(choice.warning, "") << rate << " " << fmax;
        EXPECT_FALSE(choice.minfreq);
    }
    EXPECT_EQ(choose_parameters({std::nullopt, 4000.0}, 44100).warning,
              "--fmax 4000: at 44100 Hz, notes above 2100 Hz (21 samples per period) may come "
              "out an octave or more low when their fundamental is weak");
    EXPECT_EQ(choose_parameters({std::nullopt, 4000.0}, 44100).down, 0);
    try {
        choose_parameters({std::nullopt, 24000.0}, 48000);
        ADD_FAILURE() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()),
                  "--fmax 24000: not below half the sample rate of 48000 Hz");
    }
    PitchSettled down2;
    down2.geometry = {2, 11025, 6, 8, 64};
    EXPECT_NO_THROW(check_fmin({2756.25, std::nullopt}, down2));
    try {
        check_fmin({5000.0, std::nullopt}, down2);
        ADD_FAILURE() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()),
                  "--fmin 5000: above 2756.25 Hz, a quarter of the analysis rate of 11025 Hz "
                  "(down 2), the highest minfreq zid~ accepts");
    }
    EXPECT_EQ(describe_range({30.0, 1000.0}, {1, 30.0, ""}).dump(),
              R"({"fmin":30.0,"fmax":1000.0,"down":1,"minfreq":30.0})");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--fmin", "0"}),
              "--fmin: '0' is not a frequency above 0");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--fmin", "500", "--fmax", "500"}),
              "--fmin 500 is not below --fmax 500");
}

TEST(Options, BadValuesNameTheOptionAndTheValue) {
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--minfreq", "abc"}),
              "--minfreq: 'abc' is not a number");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--period", "5ms"}),
              "--period: '5ms' is not a number");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--threshold", "nan"}),
              "--threshold: 'nan' is not a finite number");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--down", "1e999"}),
              "--down: '1e999' is not a finite number");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--vector", "64.5"}),
              "--vector: '64.5' is not a whole number");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--vector", "0"}),
              "--vector: '0' is out of range (1 to 65536)");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--channel", "0"}),
              "--channel: '0' is out of range (1 to 65536)");
    EXPECT_EQ(usage_error({"centroid", "a.wav", "--fft", "1000"}),
              "--fft: '1000' is not a power of two");
    EXPECT_EQ(usage_error({"centroid", "a.wav", "--overlap", "3"}),
              "--overlap: '3' does not divide the FFT size 1024");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--format", "xml"}),
              "--format: 'xml' is not csv or json");
    EXPECT_EQ(usage_error({"demo", "--plot", "p.pdf"}), "--plot: 'p.pdf' must end in .svg or .png");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--unit", "cents"}),
              "--unit: 'cents' is not hz or midi");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--unit", "midi", "--a4", "0"}),
              "--a4: '0' is not a frequency above 0");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--a4", "442"}), "--a4 applies to --unit midi");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--min-periodicity", "1.5"}),
              "--min-periodicity: '1.5' is out of range (0 to 1)");
    EXPECT_EQ(usage_error({"pitch", "a.wav", "--min-level", "-inf"}),
              "--min-level: '-inf' is not a finite number");
}

TEST(Options, CommandLineShapeErrors) {
    EXPECT_NE(usage_error({"pitch", "a.wav", "--bogus"}).find("--bogus"), std::string::npos);
    EXPECT_NE(usage_error({"pitch"}).find("FILE"), std::string::npos);
    EXPECT_FALSE(usage_error({}).empty());
    EXPECT_FALSE(usage_error({"pitch", "a.wav", "--channel", "2", "--mix"}).empty());
    EXPECT_FALSE(usage_error({"centroid", "a.wav", "--down", "2"}).empty());  // pitch's option
    EXPECT_FALSE(usage_error({"demo", "a.wav"}).empty());
}

TEST(Options, SeveralFilesGoToAnOutputFolder) {
    const auto o = parse({"pitch", "a.wav", "b/c.flac", "--output-dir", "out", "--force", "--shard",
                          "2/3", "--jobs", "5", "--format", "json"});
    EXPECT_EQ(o.inputs, (std::vector<std::filesystem::path>{"a.wav", "b/c.flac"}));
    EXPECT_EQ(o.input, "a.wav");
    EXPECT_EQ(o.output_dir, "out");
    EXPECT_TRUE(o.force);
    EXPECT_EQ(o.jobs, 5);
    EXPECT_EQ(result_name("b/c.flac", Command::pitch, Format::json), "c.flac.pitch.json");
    EXPECT_EQ(result_name("x.y.wav", Command::centroid, Format::csv), "x.y.wav.centroid.csv");
    EXPECT_EQ(parse({"pitch", "a.wav"}).jobs, default_jobs());
    // The shards of a list share it out without overlap.
    for (long count : {1L, 2L, 3L, 7L})
        for (std::size_t position = 0; position < 20; ++position) {
            int owners = 0;
            for (long index = 1; index <= count; ++index)
                owners += Shard{index, count}.takes(position);
            EXPECT_EQ(owners, 1) << count << " " << position;
        }
    EXPECT_TRUE(parse({"pitch", "a", "b", "--output-dir", "o", "--shard", "2/3"}).shard.takes(1));

    const std::vector<std::pair<std::vector<const char *>, std::string>> refused = {
        {{"pitch", "a.wav", "b.wav"}, "several FILEs need --output-dir"},
        {{"pitch", "a.wav", "--shard", "1/2"}, "--shard applies to results in --output-dir"},
        {{"pitch", "a.wav", "--force"}, "--force applies to results in --output-dir"},
        {{"pitch", "a.wav", "--output-dir", "o", "--output", "x"}, "--output and --plot do not"},
        {{"pitch", "a.wav", "--output-dir", "o", "--shard", "3/2"}, "'3' is out of range (1 to 2)"},
        {{"pitch", "a.wav", "--output-dir", "o", "--shard", "2"}, "'2' is not I/N"},
        {{"pitch", "a.wav", "--jobs", "0"}, "--jobs: '0' is out of range (1 to 1024)"},
        {{"centroid", "a.wav", "-", "--output-dir", "o"}, "'-' (standard input) is analysed alone"},
    };
    for (const auto &[args, message] : refused)
        EXPECT_NE(usage_error(args).find(message), std::string::npos) << message;
}

TEST(Options, HelpIsNotAnError) {
    try {
        parse({"pitch", "--help"});
        FAIL();
    } catch (const HelpRequested &help) {
        EXPECT_NE(help.text.find("--minfreq"), std::string::npos);
    }
    EXPECT_THROW(parse({"--help"}), HelpRequested);
}

TEST(StrictReaders, AcceptPlainNumbersOnly) {
    EXPECT_EQ(parse_number("--x", "+2.5"), 2.5);
    EXPECT_EQ(parse_number("--x", "-1e3"), -1000);
    EXPECT_THROW(parse_number("--x", ""), Error);
    EXPECT_THROW(parse_number("--x", " 1"), Error);
    EXPECT_THROW(parse_number("--x", "0x10"), Error);
    EXPECT_THROW(parse_number("--x", "+-1"), Error);
    EXPECT_EQ(parse_whole("--n", "+12", 1, 20), 12);
    EXPECT_THROW(parse_whole("--n", "99999999999999999999999", 1, 20), Error);
    EXPECT_THROW(parse_whole("--n", "21", 1, 20), Error);
}

}  // namespace
}  // namespace morvkit
