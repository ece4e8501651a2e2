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

#include "audio_file.hpp"
#include "writers.hpp"

namespace morvkit {

enum class Command { pitch, centroid, demo };

struct Options {
    Command command = Command::demo;
    std::filesystem::path input;
    ChannelChoice channel;
    Format format = Format::csv;
    std::optional<std::filesystem::path> output;
    std::optional<std::filesystem::path> plot;
    bool quiet = false;
    std::vector<std::filesystem::path> modules;

    // pitch
    std::optional<std::string> box;
    std::optional<double> down, minfreq, period, threshold;
    long vector_size = 64;

    // centroid
    long fft_size = 1024;
    long overlap = 4;
    bool amplitude = false;
};

struct HelpRequested {
    std::string text;
};

Options parse_options(int argc, const char *const *argv);

// Strict readers for option values, throwing Error(usage) that names the option.
double parse_number(std::string_view option, std::string_view text);  // any finite number
long parse_whole(std::string_view option, std::string_view text, long low, long high);

// The zid~ box text: --box (or "zid~") followed by an attribute argument for each of --down,
// --minfreq and --period that was given, so those options override the box's own arguments.
std::string pitch_box_text(const Options &options);

}  // namespace morvkit
