#include "cli/input_run.hpp"

#include <algorithm>
#include <iostream>
#include <string>

#include "analysis/segment_runner.hpp"
#include "base/errors.hpp"
#include "cli/manifest.hpp"

namespace morvkit {
namespace {

// Ends the table with what only the end knows: the frames actually read, and what the header
// announced when that differs.  A file that decoded to nothing is refused like an empty one.
void finish_table(ResultStream &stream, const Options &options, const AudioFileSource &source,
                  std::int64_t frames_read) {
    const std::string file = input_name(options.input);
    if (frames_read == 0)
        throw Error(ExitStatus::input, file + " holds no audio (zero length)");
    Json tail;
    tail["frames"] = frames_read;
    const auto announced = source.announced_frames();
    if (announced && *announced != frames_read)
        tail["frames_announced"] = *announced;
    stream.finish(tail);
    if (announced && frames_read < *announced)
        std::cerr << "morvkit: warning: " << file << " announces " << *announced
                  << " frames but holds only " << frames_read << "; analysed those" << std::endl;
}

// Runs `analyse` over a segment of the input: the first segment on the source already open here,
// the others (each in a process of its own) on a source of their own that skips to the segment's
// warm-up.  Returns the position in the whole input where reading ended.
std::int64_t run_segment(const Options &options, AudioFileSource &source, const Segment &segment,
                         const std::function<std::int64_t(SampleSource &)> &analyse) {
    if (segment.start == 0)
        return analyse(source);
    AudioFileSource own(options.input, options.channel);
    const std::int64_t skipped = own.skip(segment.first_frame);
    if (skipped < segment.first_frame)
        return skipped;
    return segment.first_frame + analyse(own);
}

}  // namespace

Json source_head(const Options &options, const AudioFileSource &source) {
    Json head;
    head["file"] = options.input.string();
    head["samplerate"] = source.samplerate();
    head["channels"] = source.channels();
    if (options.channel.mix)
        head["channel"] = "mix";
    else
        head["channel"] = options.channel.channel;
    head["settings"] = run_settings(options);
    return head;
}

std::int64_t known_frames(const Options &options, const AudioFileSource &source) {
    if (is_standard_input(options.input) || !source.announced_frames())
        return 0;
    return std::min(*source.announced_frames(), source.frames());
}

void analyse_segments(const Options &options, AudioFileSource &source, ResultStream &stream,
                      const std::vector<Segment> &segments, std::size_t columns,
                      const Analyse &analyse) {
    const auto run = [&](const Segment &segment, RunObserver &observer) {
        return run_segment(options, source, segment,
                           [&](SampleSource &from) { return analyse(from, segment, observer); });
    };
    finish_table(stream, options, source, run_segments(segments, columns, run, stream));
}

}  // namespace morvkit
