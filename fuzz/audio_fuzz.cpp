// Fuzzes the command's audio reading: arbitrary bytes as a whole audio file, opened from memory
// through the same source layer and libsndfile decoders as a file on disk, then read to the end
// in blocks as an analysis reads it, after skipping a block for some inputs.
//
// A constructor may refuse the bytes only with the command's own input error; anything else that
// escapes is a fault.  An accepted source must have a format an analysis can use, and its reads
// must stay within the block asked for.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "input/audio_file.hpp"
#include "base/errors.hpp"
#include "script.hpp"

namespace {

using morvfuzz::fail;
using morvkit::AudioFileSource;

// Decoding stops after this many samples (over all channels): a few bytes of a compressed or
// headerless stream can announce hours.  It is enough for the source's read block to grow to its
// largest, which is as far as the source's own code changes with the length read.
constexpr std::int64_t max_samples = std::int64_t{1} << 17;

}  // namespace

// libsndfile (1.2.0) leaves libvorbis's stream info allocated when it gives up on some damaged Ogg
// Vorbis headers: 5784 bytes per such file, inside the library, once per file the command opens.
// Not ours to fix, and it would stop every run at the first such input.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:vorbis_info_init\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte *>(data), size);
    // One channel or the mix, and the block size, vary with the input without taking any of its
    // bytes, so that every byte stays part of the file.
    const morvkit::ChannelChoice choice{size % 4 == 3 ? 2 : 1, size % 4 < 2};
    const std::size_t block = 1 + size % 1024;
    try {
        AudioFileSource source(bytes, "fuzz input", choice);
        if (!(source.samplerate() > 0) || source.channels() < 1 || source.frames() < 1)
            fail("accepted a source at %g Hz, %d channels, %lld frames", source.samplerate(),
                 source.channels(), static_cast<long long>(source.frames()));
        // A third of the inputs start by skipping a block, as a segment of a longer run does:
        // a seek into the damaged data, or a read through it.
        if (size % 3 == 0) {
            const std::int64_t skipped = source.skip(static_cast<std::int64_t>(block));
            if (skipped < 0 || skipped > static_cast<std::int64_t>(block))
                fail("skipped %lld frames of %zu", static_cast<long long>(skipped), block);
        }
        std::vector<double> out(block);
        std::int64_t samples = 0;
        while (samples < max_samples) {
            const std::size_t got = source.read(out);
            if (got > block)
                fail("read %zu frames into a block of %zu", got, block);
            if (got == 0)
                break;
            samples += static_cast<std::int64_t>(got) * source.channels();
        }
    } catch (const morvkit::Error &e) {
        if (e.status() != morvkit::ExitStatus::input)
            fail("refused with exit status %d: %s", static_cast<int>(e.status()), e.what());
    }
    return 0;
}
