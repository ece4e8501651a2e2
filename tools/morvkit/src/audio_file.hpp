// audio_file.hpp - an audio file (anything libsndfile reads) as a mono sample source.
//
// One channel (1-based) is picked, or all channels are averaged.  The constructor checks
// everything that can be checked before the analysis starts and throws Error(input) with a
// one-line reason: a missing or unreadable file, a file that is not audio, a file without
// frames, a channel the file does not have.
//
// The bytes of a whole file already in memory are read the same way, through libsndfile's
// virtual I/O: that is how arbitrary bytes reach the decoders without a file system in between.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "sample_source.hpp"

namespace morvkit {

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
    std::int64_t frames() const override { return frames_; }
    std::size_t read(std::span<double> out) override;
    int channels() const { return channels_; }

  private:
    // Checks what libsndfile opened (or why it could not) and takes the stream's format.
    void accept(const std::filesystem::path &file, ChannelChoice choice);

    struct Handle;
    std::unique_ptr<Handle> handle_;
    double samplerate_ = 0;
    std::int64_t frames_ = 0;
    int channels_ = 0;
    ChannelChoice choice_;
    std::vector<double> interleaved_;
};

}  // namespace morvkit
