#include "input/audio_file.hpp"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "base/errors.hpp"
#include "process/watchdog.hpp"

namespace morvkit {

namespace {

// A whole file in memory, seen by libsndfile through its virtual I/O callbacks.
struct MemoryFile {
    std::span<const std::byte> bytes;
    sf_count_t position = 0;

    sf_count_t size() const { return static_cast<sf_count_t>(bytes.size()); }
};

sf_count_t memory_length(void *user) {
    return static_cast<MemoryFile *>(user)->size();
}

sf_count_t memory_seek(sf_count_t offset, int whence, void *user) {
    auto *m = static_cast<MemoryFile *>(user);
    sf_count_t base = -1;
    if (whence == SEEK_SET)
        base = 0;
    else if (whence == SEEK_CUR)
        base = m->position;
    else if (whence == SEEK_END)
        base = m->size();
    // Decoders seek to offsets read from the file's own header, so the target may be anything:
    // refuse one before the start or beyond what a position can hold, as a file would.
    if (base < 0 || offset > std::numeric_limits<sf_count_t>::max() - base || base + offset < 0)
        return -1;
    m->position = base + offset;  // past the end is allowed; reads there return nothing
    return m->position;
}

sf_count_t memory_read(void *out, sf_count_t count, void *user) {
    auto *m = static_cast<MemoryFile *>(user);
    const sf_count_t available = std::max<sf_count_t>(m->size() - m->position, 0);
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, available);
    if (n > 0)
        std::memcpy(out, m->bytes.data() + m->position, static_cast<std::size_t>(n));
    m->position += n;
    return n;
}

sf_count_t memory_write(const void *, sf_count_t, void *) {
    return 0;  // opened for reading only
}

sf_count_t memory_tell(void *user) {
    return static_cast<MemoryFile *>(user)->position;
}

SF_VIRTUAL_IO memory_io{memory_length, memory_seek, memory_read, memory_write, memory_tell};

// Bytes per sample of the uncompressed encodings, whose chunk sizes count whole frames; 0 for
// the others.
int sample_bytes(const SF_INFO &info) {
    switch (info.format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_ULAW:
        case SF_FORMAT_ALAW:
            return 1;
        case SF_FORMAT_PCM_16:
            return 2;
        case SF_FORMAT_PCM_24:
            return 3;
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
            return 4;
        case SF_FORMAT_DOUBLE:
            return 8;
        default:
            return 0;
    }
}

[[noreturn]] void fail(const std::filesystem::path &file, const std::string &why) {
    throw Error(ExitStatus::input, input_name(file) + " " + why);
}

}  // namespace

bool is_standard_input(const std::filesystem::path &file) {
    return file == "-";
}

std::string input_name(const std::filesystem::path &file) {
    return is_standard_input(file) ? "standard input" : "'" + file.string() + "'";
}

struct AudioFileSource::Handle {
    SNDFILE *file = nullptr;
    SF_INFO info{};
    MemoryFile memory;
    ~Handle() {
        if (file)
            sf_close(file);
    }
};

AudioFileSource::AudioFileSource(const std::filesystem::path &file, ChannelChoice choice)
    : handle_(std::make_unique<Handle>()), choice_(choice) {
    if (is_standard_input(file)) {
        // A terminal would wait for keystrokes that never make audio.
        if (isatty(STDIN_FILENO))
            fail(file, "is a terminal; pipe the audio in, or name a file");
        const InDecoder decoding;
        handle_->file = sf_open_fd(STDIN_FILENO, SFM_READ, &handle_->info, SF_FALSE);
        accept(file, choice);
        return;
    }
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (!std::filesystem::exists(status))
        fail(file, "does not exist");
    if (std::filesystem::is_directory(status))
        fail(file, "is a directory, not an audio file");

    const InDecoder decoding;
    handle_->file = sf_open(file.c_str(), SFM_READ, &handle_->info);
    accept(file, choice);
}

AudioFileSource::AudioFileSource(std::span<const std::byte> bytes,
                                 const std::filesystem::path &name, ChannelChoice choice)
    : handle_(std::make_unique<Handle>()), choice_(choice) {
    handle_->memory.bytes = bytes;
    handle_->file = sf_open_virtual(&memory_io, SFM_READ, &handle_->info, &handle_->memory);
    accept(name, choice);
}

void AudioFileSource::accept(const std::filesystem::path &file, ChannelChoice choice) {
    if (!handle_->file) {
        const int code = sf_error(nullptr);
        if (code == SF_ERR_SYSTEM)
            fail(file, std::string("cannot be read: ") + sf_strerror(nullptr));
        fail(file,
             std::string("is not an audio file that can be read (") + sf_strerror(nullptr) + ")");
    }
    const SF_INFO &info = handle_->info;
    // A stream's length is a placeholder (see the header); an empty one is found at its end.  Only
    // standard input is taken for a stream: a file in a format that libsndfile cannot seek in
    // (GSM 6.10, say) still has a real header, and an empty one is refused as such.
    const bool stream = is_standard_input(file) && !info.seekable;
    if (info.frames <= 0 && !stream)
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
    frames_ = stream ? 0 : info.frames;
    channels_ = info.channels;
    if (stream) {
        block_limit_ = static_cast<std::size_t>(
            std::max<std::int64_t>(1, std::min(max_block_frames, max_block_samples / channels_)));
        return;
    }
    // Files that cannot tell their length (a cut Ogg file, say) report the largest count.
    if (info.frames < std::numeric_limits<sf_count_t>::max())
        announced_ = info.frames;
    char log[16384] = "";
    sf_command(handle_->file, SFC_GET_LOG_INFO, log, sizeof log);
    if (const auto claimed = claimed_frames(log, info.frames, info.channels * sample_bytes(info)))
        announced_ = claimed;
    block_limit_ = static_cast<std::size_t>(std::max<std::int64_t>(
        1, std::min({max_block_frames, max_block_samples / channels_, frames_})));
}

AudioFileSource::~AudioFileSource() = default;

std::optional<std::int64_t> claimed_frames(std::string_view log, std::int64_t frames,
                                           int bytes_per_frame) {
    if (bytes_per_frame <= 0 || frames < 0)
        return std::nullopt;
    // Streamed WAVs are written before their length is known, with all ones as the size.
    constexpr long long unknown_length = 0xFFFFFFFF;
    std::size_t at = 0;
    while (at < log.size()) {
        const std::size_t end = std::min(log.find('\n', at), log.size());
        const std::string line(log.substr(at, end - at));
        at = end + 1;
        long long claimed = 0, present = 0;
        char chunk[8] = "";
        if (std::sscanf(line.c_str(), " %7s : %lld (should be %lld)", chunk, &claimed, &present) !=
            3)
            continue;
        if (std::string_view(chunk) != "data" && std::string_view(chunk) != "SSND")
            continue;
        if (claimed == unknown_length || claimed <= present || present < 0)
            return std::nullopt;
        const std::int64_t missing = (claimed - present) / bytes_per_frame;
        if (missing > std::numeric_limits<std::int64_t>::max() - frames)
            return std::nullopt;
        return frames + missing;
    }
    return std::nullopt;
}

std::size_t AudioFileSource::read(std::span<double> out) {
    std::size_t count = 0;
    while (count < out.size()) {
        if (block_at_ == block_filled_ && !refill())
            break;
        const std::size_t n = std::min(out.size() - count, block_filled_ - block_at_);
        std::copy_n(block_.begin() + static_cast<std::ptrdiff_t>(block_at_), n,
                    out.begin() + static_cast<std::ptrdiff_t>(count));
        block_at_ += n;
        count += n;
    }
    read_ += static_cast<std::int64_t>(count);
    return count;
}

bool AudioFileSource::refill() {
    const auto channels = static_cast<std::size_t>(channels_);
    if (block_frames_ < block_limit_) {
        block_frames_ =
            std::min(block_limit_, block_frames_ ? 2 * block_frames_ : first_block_frames);
        interleaved_.resize(block_frames_ * channels);
        block_.resize(block_frames_);
    }
    const InDecoder decoding;
    const sf_count_t got =
        sf_readf_double(handle_->file, interleaved_.data(), static_cast<sf_count_t>(block_frames_));
    block_filled_ = static_cast<std::size_t>(std::max<sf_count_t>(got, 0));
    block_at_ = 0;
    for (std::size_t frame = 0; frame < block_filled_; ++frame) {
        const double *samples = interleaved_.data() + frame * channels;
        if (choice_.mix) {
            double sum = 0;
            for (std::size_t c = 0; c < channels; ++c) sum += samples[c];
            block_[frame] = sum / static_cast<double>(channels);
        } else {
            block_[frame] = samples[choice_.channel - 1];
        }
    }
    return block_filled_ > 0;
}

std::int64_t AudioFileSource::skip(std::int64_t frames) {
    // Uncompressed samples sit at fixed offsets, so a seek lands exactly; decoders of compressed
    // formats may seek only roughly, so those are read through instead.
    const bool exact_seek = handle_->info.seekable && sample_bytes(handle_->info) > 0 &&
                            block_at_ == block_filled_ && read_ == 0;
    if (exact_seek && frames > 0) {
        const InDecoder decoding;
        const sf_count_t to = sf_seek(handle_->file, frames, SEEK_SET);
        if (to == frames) {
            read_ = frames;
            return frames;
        }
        sf_seek(handle_->file, 0, SEEK_SET);
    }
    std::int64_t skipped = 0;
    while (skipped < frames) {
        if (block_at_ == block_filled_ && !refill())
            break;
        const auto n = std::min<std::int64_t>(frames - skipped,
                                              static_cast<std::int64_t>(block_filled_ - block_at_));
        block_at_ += static_cast<std::size_t>(n);
        skipped += n;
    }
    read_ += skipped;
    return skipped;
}

}  // namespace morvkit
