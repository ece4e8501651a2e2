#include <gtest/gtest.h>
#include <sndfile.h>

#include "input/audio_file.hpp"
#include "base/errors.hpp"
#include "wav_fixture.hpp"

namespace morvkit {
namespace {

using testing::ScratchDir;
using testing::write_wav;

std::vector<double> read_all(SampleSource &source, std::size_t block) {
    std::vector<double> all, buffer(block);
    while (const std::size_t n = source.read(buffer))
        all.insert(all.end(), buffer.begin(), buffer.begin() + n);
    return all;
}

std::string error_of(const std::filesystem::path &file, ChannelChoice choice = {}) {
    try {
        AudioFileSource source(file, choice);
    } catch (const Error &e) {
        EXPECT_EQ(e.status(), ExitStatus::input);
        return e.what();
    }
    return "";
}

class StereoFile : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 1000; ++i) {
            left.push_back(i / 1024.0);  // exact in the file's 32-bit floats
            right.push_back(-0.25);
        }
        write_wav(file, 22050, {left, right});
    }
    ScratchDir dir;
    std::filesystem::path file = dir / "stereo.wav";
    std::vector<double> left, right;
};

TEST_F(StereoFile, PicksTheChosenChannel) {
    AudioFileSource first(file, {1, false});
    EXPECT_EQ(first.samplerate(), 22050);
    EXPECT_EQ(first.frames(), 1000);
    EXPECT_EQ(first.channels(), 2);
    EXPECT_EQ(read_all(first, 64), left);
    AudioFileSource second(file, {2, false});
    EXPECT_EQ(read_all(second, 333), right);
}

TEST_F(StereoFile, MixAveragesTheChannels) {
    AudioFileSource mixed(file, {7, true});  // the channel number does not matter when mixing
    const auto samples = read_all(mixed, 100);
    ASSERT_EQ(samples.size(), 1000u);
    for (std::size_t i = 0; i < samples.size(); ++i)
        EXPECT_DOUBLE_EQ(samples[i], (left[i] + right[i]) / 2);
}

TEST_F(StereoFile, AChannelItDoesNotHaveIsRefused) {
    EXPECT_EQ(error_of(file, {3, false}),
              "'" + file.string() + "' has 2 channels; there is no channel 3");
    EXPECT_NE(error_of(file, {0, false}).find("no channel 0"), std::string::npos);
}

TEST_F(StereoFile, ReadsTheSameFromMemory) {
    // Reading from memory seeks through the header by the virtual I/O callbacks: any slip there
    // shows as a wrong format or shifted samples.
    const std::string text = testing::read_text(file);
    const auto *data = reinterpret_cast<const std::byte *>(text.data());
    AudioFileSource memory({data, text.size()}, "memory.wav", {2, false});
    EXPECT_EQ(memory.samplerate(), 22050);
    EXPECT_EQ(memory.frames(), 1000);
    EXPECT_EQ(read_all(memory, 100), right);

    const std::string junk = "this is not audio\n";
    try {
        AudioFileSource bad({reinterpret_cast<const std::byte *>(junk.data()), junk.size()}, "junk",
                            {});
        ADD_FAILURE() << "junk was accepted";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()).rfind("'junk' is not an audio file", 0), 0u) << e.what();
    }
}

TEST(AudioFileErrors, EachProblemHasItsOwnReason) {
    ScratchDir dir;
    EXPECT_NE(error_of(dir / "nothing.wav").find("does not exist"), std::string::npos);
    EXPECT_NE(error_of(dir.path()).find("is a directory"), std::string::npos);
    testing::write_text(dir / "notes.txt", "this is not audio\n");
    EXPECT_NE(error_of(dir / "notes.txt").find("is not an audio file"), std::string::npos);
    write_wav(dir / "empty.wav", 44100, {{}});
    EXPECT_NE(error_of(dir / "empty.wav").find("zero length"), std::string::npos);
    // A format libsndfile cannot seek in is still a file with a header, not a stream.
    write_wav(dir / "empty-gsm.wav", 8000, {{}}, SF_FORMAT_WAV | SF_FORMAT_GSM610);
    EXPECT_NE(error_of(dir / "empty-gsm.wav").find("zero length"), std::string::npos);
}

TEST(AudioFileSource, ReadsAFileOfManyChannelsAcrossItsBlocks) {
    // 300 channels keep each block to a couple of hundred frames, so 1000 frames cross several.
    ScratchDir dir;
    std::vector<std::vector<double>> channels(300, std::vector<double>(1000));
    for (std::size_t c = 0; c < channels.size(); ++c)
        for (std::size_t i = 0; i < 1000; ++i)
            channels[c][i] = static_cast<double>(i % 7) / 8 - static_cast<double>(c % 2) / 16;
    write_wav(dir / "many.wav", 8000, channels);
    AudioFileSource one(dir / "many.wav", {300, false});
    EXPECT_EQ(read_all(one, 97), channels[299]);
    AudioFileSource mixed(dir / "many.wav", {1, true});
    const auto mix = read_all(mixed, 1000);
    ASSERT_EQ(mix.size(), 1000u);
    for (std::size_t i = 0; i < mix.size(); ++i)
        ASSERT_DOUBLE_EQ(mix[i], static_cast<double>(i % 7) / 8 - 1.0 / 32) << i;
}

TEST(MemorySource, ReadsInBlocksUntilTheEnd) {
    const std::vector<double> samples{1, 2, 3, 4, 5};
    MemorySource source(samples, 8000);
    EXPECT_EQ(source.frames(), 5);
    EXPECT_EQ(read_all(source, 2), samples);
    std::vector<double> more(4);
    EXPECT_EQ(source.read(more), 0u);
}

TEST(ClaimedFrames, ReadFromTheDecodersLogWhereAChunkRunsPastTheEnd) {
    struct Case {
        const char *log;
        std::int64_t frames;
        int bytes_per_frame;
        std::optional<std::int64_t> claimed;
    };
    const std::vector<Case> cases = {
        {"RIFF : 8856 (should be 52)\nWAVE\ndata : 8820 (should be 16)\nEnd\n", 8, 2, 4410},
        {"FORM : 17686 (should be 5890)\n SSND : 17648 (should be 5852)\n", 1461, 4, 4410},
        {"data : 4294967295 (should be 200)\n", 100, 2, std::nullopt},  // a streamed WAV
        {"data : 200\nEnd\n", 100, 2, std::nullopt},                    // nothing missing
        {"RIFF : 8856 (should be 52)\n", 8, 2, std::nullopt},           // only the outer chunk
        {"data : 8820 (should be 16)\n", 8, 0, std::nullopt},           // compressed: unknown
        {"data : 9223372036854775807 (should be 0)\n", 9223372036854775000, 1, std::nullopt},
        {"", 10, 2, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(claimed_frames(c.log, c.frames, c.bytes_per_frame), c.claimed) << c.log;
}

TEST(AudioFileSource, CountsWhatItReadsAgainstWhatWasAnnounced) {
    ScratchDir dir;
    write_wav(dir / "cut.wav", 8000, {std::vector<double>(1000, 0.25)});
    std::filesystem::resize_file(dir / "cut.wav",
                                 std::filesystem::file_size(dir / "cut.wav") - 400 * 4);
    AudioFileSource source(dir / "cut.wav", {});
    EXPECT_EQ(source.announced_frames(), 1000);
    EXPECT_EQ(read_all(source, 64).size(), 600u);
    EXPECT_EQ(source.frames_read(), 600);
}

}  // namespace
}  // namespace morvkit
