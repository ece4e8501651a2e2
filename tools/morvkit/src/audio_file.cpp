#include "audio_file.hpp"

#include <sndfile.h>

#include <algorithm>
#include <string>
#include <system_error>

#include "errors.hpp"

namespace morvkit {

struct AudioFileSource::Handle {
    SNDFILE *file = nullptr;
    ~Handle() {
        if (file)
            sf_close(file);
    }
};

namespace {

[[noreturn]] void fail(const std::filesystem::path &file, const std::string &why) {
    throw Error(ExitStatus::input, "'" + file.string() + "' " + why);
}

}  // namespace

AudioFileSource::AudioFileSource(const std::filesystem::path &file, ChannelChoice choice)
    : handle_(std::make_unique<Handle>()), choice_(choice) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (!std::filesystem::exists(status))
        fail(file, "does not exist");
    if (std::filesystem::is_directory(status))
        fail(file, "is a directory, not an audio file");

    SF_INFO info{};
    handle_->file = sf_open(file.c_str(), SFM_READ, &info);
    if (!handle_->file) {
        const int code = sf_error(nullptr);
        if (code == SF_ERR_SYSTEM)
            fail(file, std::string("cannot be read: ") + sf_strerror(nullptr));
        fail(file,
             std::string("is not an audio file that can be read (") + sf_strerror(nullptr) + ")");
    }
    if (info.frames <= 0)
        fail(file, "holds no audio (zero length)");
    if (info.samplerate <= 0)
        fail(file, "declares no valid sample rate");
    if (info.channels <= 0)
        fail(file, "declares no channels");
    if (!choice.mix && (choice.channel < 1 || choice.channel > info.channels))
        fail(file, "has " + std::to_string(info.channels) +
                       (info.channels == 1 ? " channel" : " channels") + "; there is no channel " +
                       std::to_string(choice.channel));
    samplerate_ = info.samplerate;
    frames_ = info.frames;
    channels_ = info.channels;
}

AudioFileSource::~AudioFileSource() = default;

std::size_t AudioFileSource::read(std::span<double> out) {
    const auto channels = static_cast<std::size_t>(channels_);
    interleaved_.resize(out.size() * channels);
    const sf_count_t got =
        sf_readf_double(handle_->file, interleaved_.data(), static_cast<sf_count_t>(out.size()));
    const auto count = static_cast<std::size_t>(std::max<sf_count_t>(got, 0));
    for (std::size_t frame = 0; frame < count; ++frame) {
        const double *samples = interleaved_.data() + frame * channels;
        if (choice_.mix) {
            double sum = 0;
            for (std::size_t c = 0; c < channels; ++c) sum += samples[c];
            out[frame] = sum / static_cast<double>(channels);
        } else {
            out[frame] = samples[choice_.channel - 1];
        }
    }
    return count;
}

}  // namespace morvkit
