// audio_file.hpp - an audio file (anything libsndfile reads) as a mono sample source.
//
// One channel (1-based) is picked, or all channels are averaged.  The constructor checks
// everything that can be checked before the analysis starts and throws Error(input) with a
// one-line reason: a missing or unreadable file, a file that is not audio, a file without
// frames, a channel the file does not have.
//
// The bytes of a whole file already in memory are read the same way, through libsndfile's
// virtual I/O: that is how arbitrary bytes reach the decoders without a file system in between.
//
// A damaged file may hold fewer frames than its header announces.  libsndfile reads what is
// there; `announced_frames` keeps what the header claimed (also where libsndfile corrected a
// data chunk that runs past the end of the file), so the caller can say what is missing.  Headers
// that announce no length at all (a cut Ogg stream, a streamed WAV's all-ones chunk size)
// announce nothing; `frames` is what libsndfile reports either way.
//
// "-" names standard input, as for most command-line tools: anything libsndfile decodes from a
// stream without seeking (WAV, AU, AIFF, ...).  A program writing to a pipe cannot go back to
// fill in the length, so it leaves a placeholder there (ffmpeg all ones, others zero or a guess):
// a stream announces no length, and is read to its end.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <span>
#include <string>
#include <vector>

#include "input/sample_source.hpp"

namespace morvkit {

bool is_standard_input(const std::filesystem::path &file);
// How messages name an input: 'voice.wav', or standard input.
std::string input_name(const std::filesystem::path &file);

struct ChannelChoice {
    int channel = 1;  // 1-based; ignored when mixing
    bool mix = false;
};

class AudioFileSource : public SampleSource {
  public:
    AudioFileSource(const std::filesystem::path &file, ChannelChoice choice);
    // `bytes` must outlive the source; `name` stands for them in error messages.
    AudioFileSource(std::span<const std::byte> bytes, const std::filesystem::path &name,
                    ChannelChoice choice);
    ~AudioFileSource() override;

    double samplerate() const override { return samplerate_; }
    // What libsndfile reports; 0 for a stream, whose length is not known before its end.
    std::int64_t frames() const override { return frames_; }
    // Served from blocks of many frames read at once, so a caller may ask for a vector at a time
    // without a system call per vector.
    std::size_t read(std::span<double> out) override;
    // Moves past the next `frames` frames without delivering them; returns how many there were
    // (fewer at the end).  They count as read.
    std::int64_t skip(std::int64_t frames);
    int channels() const { return channels_; }
    // The frame count the header announced, if it announced one.
    std::optional<std::int64_t> announced_frames() const { return announced_; }
    // The frames delivered by `read` so far.
    std::int64_t frames_read() const { return read_; }

  private:
    // A block is at most this many frames, and at most this many samples over all channels, so
    // that a file of many channels does not need a buffer of many megabytes, and never longer than
    // the file.  It starts at `first_block_frames` and doubles with each block read, so that a
    // damaged header announcing millions of frames that are not there costs no large buffer,
    // while a long file soon reads in whole blocks.
    static constexpr std::int64_t max_block_frames = 1 << 15;
    static constexpr std::int64_t max_block_samples = 1 << 16;
    static constexpr std::size_t first_block_frames = 1 << 10;

    // Reads the next block; false at the end.
    bool refill();
    // Checks what libsndfile opened (or why it could not) and takes the stream's format.
    void accept(const std::filesystem::path &file, ChannelChoice choice);

    struct Handle;
    std::unique_ptr<Handle> handle_;
    double samplerate_ = 0;
    std::int64_t frames_ = 0;
    std::optional<std::int64_t> announced_;
    std::int64_t read_ = 0;
    int channels_ = 0;
    ChannelChoice choice_;
    std::size_t block_frames_ = 0, block_limit_ = 0;
    std::vector<double> interleaved_;
    std::vector<double> block_;  // the current block, one channel or the mix
    std::size_t block_filled_ = 0, block_at_ = 0;
};

// What a libsndfile log says a data chunk claimed, in frames, when the chunk claims more bytes
// than the file holds ("data : 8820 (should be 16)"): `frames` (what is there) plus the missing
// bytes over `bytes_per_frame`.  None when the log has no such line, when the claim is the
// streamed-WAV "unknown length" value, or when the frame size is not known.
std::optional<std::int64_t> claimed_frames(std::string_view log, std::int64_t frames,
                                           int bytes_per_frame);

}  // namespace morvkit
