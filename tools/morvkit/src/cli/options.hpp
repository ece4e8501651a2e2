// options.hpp - the command line, parsed and checked before anything runs.
//
// `parse_options` turns argv into `Options` or throws: Error(usage) with a one-line message for
// anything wrong (an unknown option, a value that is not a number, a missing file argument),
// or HelpRequested carrying the text to print for --help.  Values the objects clamp themselves
// (--down, --minfreq, --period, --threshold) are only checked to be finite numbers here: the
// tool passes them on and reports what the object kept.  Box text must be valid UTF-8, as the
// host's symbols are; file names may be any bytes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/pitch_box.hpp"
#include "analysis/pitch_range.hpp"
#include "analysis/track_box.hpp"
#include "input/audio_file.hpp"
#include "output/notes.hpp"
#include "output/pitch_presentation.hpp"
#include "output/writers.hpp"

namespace morvkit {

enum class Command { pitch, centroid, track, demo };

// Shard `index` (from 1) of `count` takes the inputs at positions index - 1, index - 1 + count,
// ... of the list as given (from 0): every input falls in exactly one shard.
struct Shard {
    long index = 1, count = 1;
    bool takes(std::size_t position) const {
        return static_cast<long>(position % static_cast<std::size_t>(count)) == index - 1;
    }
};

struct PitchOptions {
    PitchBoxArguments box;  // --box, --down, --minfreq, --period
    std::optional<double> threshold;
    long vector_size = 64;
    PitchRange range;
    std::optional<FrequencyUnit> unit;
    double a4 = 440;
    VoicingGates gates;
};

struct TrackOptions {
    TrackBoxArguments box;  // --fmin, --fmax, --lag, --unit, --a4
    long vector_size = 64;
    std::optional<std::filesystem::path> notes;  // --notes FILE
    // --notes-format, or the extension of --notes; with --output-dir, each input's notes beside
    // its result, named by `notes_name`.
    std::optional<NotesFormat> notes_format;
};

struct CentroidOptions {
    long fft_size = 1024;
    long overlap = 4;
    bool amplitude = false;
};

// The fields every command shares, then each command's own.
struct Options {
    Command command = Command::demo;
    std::filesystem::path input;                // the one input, or the first of several
    std::vector<std::filesystem::path> inputs;  // every FILE given, in order
    ChannelChoice channel;
    Format format = Format::csv;
    std::optional<std::filesystem::path> output;
    std::optional<std::filesystem::path> plot;
    bool quiet = false;
    std::vector<std::filesystem::path> modules;
    // Processes working at once: segments of one input, or several inputs.
    int jobs = 1;
    // Several inputs: one result each in this folder, named by `result_name`.
    std::optional<std::filesystem::path> output_dir;
    bool force = false;  // analyse also inputs whose result exists
    Shard shard;
    // An input whose decoder neither reads nor delivers for this long is given up; 0 never.
    double stall_seconds = 10;

    PitchOptions pitch;
    CentroidOptions centroid;
    TrackOptions track;
};

struct HelpRequested {
    std::string text;
};

Options parse_options(int argc, const char *const *argv);

// Strict readers for option values, throwing Error(usage) that names the option.
double parse_number(std::string_view option, std::string_view text);  // any finite number
long parse_whole(std::string_view option, std::string_view text, long low, long high);

// The processes to run at once when --jobs is not given: the processors this process may use.
int default_jobs();

// The name of an input's result in --output-dir: the input's file name, the command and the
// format, "voice.wav" -> "voice.wav.pitch.csv".
std::filesystem::path result_name(const std::filesystem::path &input, Command command,
                                  Format format);

// The name of an input's notes in --output-dir: "voice.wav" -> "voice.wav.notes.mid".
std::filesystem::path notes_name(const std::filesystem::path &input, NotesFormat format);

// The files a run without --output-dir writes: --output, --plot and --notes, when given.
std::vector<std::filesystem::path> result_files(const Options &options);

}  // namespace morvkit
