#include "cli/options.hpp"

#include <CLI/CLI.hpp>

#include <sched.h>

#include <algorithm>
#include <charconv>
#include <thread>
#include <tuple>
#include <cmath>

#include "base/errors.hpp"
#include "morv_version.h"
#include "base/number_text.hpp"
#include "output/plot.hpp"
#include "base/utf8.hpp"
#include "yin_geometry.h"

namespace morvkit {
namespace {

[[noreturn]] void usage(std::string_view option, std::string_view text, std::string_view why) {
    throw Error(ExitStatus::usage,
                std::string(option) + ": '" + std::string(text) + "' " + std::string(why));
}

// from_chars accepts no leading '+', which people type.
std::string_view without_plus(std::string_view text) {
    return text.size() > 1 && text[0] == '+' && text[1] != '-' ? text.substr(1) : text;
}

constexpr long max_vector_size = 65536;
constexpr long max_fft_size = 1L << 20;

bool is_power_of_two(long n) {
    return n > 0 && (n & (n - 1)) == 0;
}

constexpr long max_jobs = 1024;
// A year: beyond any real wait, and far inside what the clock's arithmetic holds.
constexpr double max_stall_seconds = 365.0 * 24 * 3600;

Shard parse_shard(const std::string &text) {
    const auto slash = text.find('/');
    if (slash == std::string::npos)
        usage("--shard", text, "is not I/N");
    Shard shard;
    shard.count = parse_whole("--shard", text.substr(slash + 1), 1, 1L << 30);
    shard.index = parse_whole("--shard", text.substr(0, slash), 1, shard.count);
    return shard;
}

// Values arrive as text and are checked by the strict readers below, so every bad value gets
// the same kind of message.  Each command's texts are declared on its own subcommand, and stay
// empty unless that command was given.
struct CommonText {
    std::string format = "csv", channel, output, plot, jobs, shard, output_dir, stall;
    std::vector<std::string> modules;
};

struct PitchText {
    std::string down, minfreq, period, threshold, vector, unit, a4, min_periodicity, min_level;
    std::string fmin, fmax;
};

struct TrackText {
    std::string fmin, fmax, lag, unit, a4, vector, notes, notes_format;
};

struct CentroidText {
    std::string fft, overlap;
};

// "0 to 3": the values zid~ keeps of one of its parameters.
std::string range_text(const yin_parameter &parameter) {
    return format_number(parameter.lowest) + " to " + format_number(parameter.highest);
}

// --plot, --quiet and --modules: every command.
void declare_common(CLI::App *cmd, Options &options, CommonText &text) {
    cmd->add_option("--plot", text.plot, "Also draw the results to FILE (.svg or .png)")
        ->type_name("FILE");
    cmd->add_flag("--quiet", options.quiet, "No progress bar");
    cmd->add_option("--modules", text.modules,
                    "A package folder holding externals/ and extensions/ (repeatable)")
        ->type_name("DIR")
        ->allow_extra_args(false);
}

// The inputs, where the results go and how the work is shared: the commands that read files.
void declare_file_input(CLI::App *cmd, Options &options, CommonText &text) {
    cmd->add_option("FILE", options.inputs,
                    "Audio files (WAV, AIFF, FLAC, ...); - reads standard input")
        ->required();
    auto *ch = cmd->add_option("--channel", text.channel, "Channel to analyse, from 1 (default 1)")
                   ->type_name("N");
    cmd->add_flag("--mix", options.channel.mix, "Analyse the average of all channels")
        ->excludes(ch);
    cmd->add_option("--format", text.format, "Output format: csv (default) or json")
        ->type_name("csv|json");
    cmd->add_option("--output", text.output, "Write to FILE instead of standard output (-)")
        ->type_name("FILE");
    cmd->add_option("--output-dir", text.output_dir,
                    "One result per FILE in DIR, named FILE.COMMAND.FORMAT")
        ->type_name("DIR");
    cmd->add_flag("--force", options.force, "With --output-dir: replace existing results");
    cmd->add_option("--shard", text.shard,
                    "With --output-dir: analyse only the I-th of N shares of the FILEs")
        ->type_name("I/N");
    cmd->add_option("--jobs", text.jobs, "Processes at once (default: the number of processors)")
        ->type_name("N");
    cmd->add_option("--stall-timeout", text.stall,
                    "Give up an input whose decoder makes no progress for S seconds "
                    "(default 10; 0: never)")
        ->type_name("S");
    declare_common(cmd, options, text);
}

void declare_pitch(CLI::App *cmd, PitchOptions &options, PitchText &text) {
    cmd->add_option("--box", options.box.box, "The whole box text, e.g. \"zid~ 1 @period 10\"")
        ->type_name("TEXT");
    cmd->add_option("--fmin", text.fmin, "Lowest pitch expected, Hz (sets minfreq)")
        ->type_name("HZ");
    cmd->add_option("--fmax", text.fmax,
                    "Highest pitch expected, Hz (chooses the largest down that keeps 21 samples "
                    "per period)")
        ->type_name("HZ");
    cmd->add_option("--down", text.down,
                    "Downsampling exponent, " + range_text(YIN_DOWN) +
                        " (adds @down N to the box; overrides --fmax)")
        ->type_name("N");
    cmd->add_option("--minfreq", text.minfreq,
                    "Lowest frequency to estimate, Hz (adds @minfreq HZ; overrides --fmin)")
        ->type_name("HZ");
    cmd->add_option("--period", text.period,
                    "Analysis period, ms, " + range_text(YIN_PERIOD) + " (adds @period MS)")
        ->type_name("MS");
    cmd->add_option("--threshold", text.threshold, "Sent as the message \"threshold\"")
        ->type_name("T");
    cmd->add_option("--vector", text.vector, "Host vector size (default 64)")->type_name("N");
    cmd->add_option("--unit", text.unit, "Frequency column: hz (default) or midi (69 = A4)")
        ->type_name("hz|midi");
    cmd->add_option("--a4", text.a4, "With --unit midi: the frequency of A4, Hz (default 440)")
        ->type_name("HZ");
    cmd->add_option("--min-periodicity", text.min_periodicity,
                    "Voiced only at this periodicity or more, 0 to 1 (adds a voiced column)")
        ->type_name("P");
    cmd->add_option("--min-level", text.min_level,
                    "Voiced only at this RMS level or more, dBFS (adds a voiced column)")
        ->type_name("DB");
}

// The track's defaults are the object's own: what is not given is not sent.
void declare_track(CLI::App *cmd, TrackText &text) {
    cmd->add_option("--fmin", text.fmin, "Lowest pitch expected, Hz (@fmin; default 40)")
        ->type_name("HZ");
    cmd->add_option("--fmax", text.fmax, "Highest pitch expected, Hz (@fmax; default 2200)")
        ->type_name("HZ");
    cmd->add_option("--lag", text.lag,
                    "Decision delay, ms (@lag; default 300, beyond which nothing changes "
                    "measurably; 0: frame by frame)")
        ->type_name("MS");
    cmd->add_option("--unit", text.unit, "Frequency column: hz (default) or midi (69 = A4)")
        ->type_name("hz|midi");
    cmd->add_option("--a4", text.a4, "The frequency of A4 for MIDI pitches, Hz (default 440)")
        ->type_name("HZ");
    cmd->add_option("--vector-size,--vector", text.vector, "Host vector size (default 64)")
        ->type_name("N");
    cmd->add_option("--notes", text.notes,
                    "Also write the notes to FILE: .csv, .json or .mid (a Standard MIDI File)")
        ->type_name("FILE");
    cmd->add_option("--notes-format", text.notes_format,
                    "The notes' format whatever --notes ends in; with --output-dir, also write "
                    "FILE.notes.EXT beside each result")
        ->type_name("csv|json|mid");
}

void declare_centroid(CLI::App *cmd, CentroidOptions &options, CentroidText &text) {
    cmd->add_option("--fft", text.fft, "FFT size, a power of two (default 1024)")->type_name("N");
    cmd->add_option("--overlap", text.overlap, "Frames per FFT size (default 4)")->type_name("K");
    cmd->add_flag("--amplitude", options.amplitude,
                  "Feed the bin amplitude to the left inlet only");
}

// The inputs and how the work is shared among processes, and where the results go.
void read_inputs(const CommonText &text, Options &options) {
    if (!options.inputs.empty())
        options.input = options.inputs.front();
    options.jobs = text.jobs.empty()
                       ? default_jobs()
                       : static_cast<int>(parse_whole("--jobs", text.jobs, 1, max_jobs));
    if (!text.output_dir.empty())
        options.output_dir = text.output_dir;
    if (!text.shard.empty())
        options.shard = parse_shard(text.shard);
    if (!text.stall.empty()) {
        options.stall_seconds = parse_number("--stall-timeout", text.stall);
        if (options.stall_seconds < 0 || options.stall_seconds > max_stall_seconds)
            usage("--stall-timeout", text.stall,
                  "is out of range (0 to " + format_number(max_stall_seconds) + ")");
    }
    if (options.output_dir) {
        if (std::find(options.inputs.begin(), options.inputs.end(), "-") != options.inputs.end())
            throw Error(ExitStatus::usage,
                        "--output-dir takes files by name; '-' (standard input) is analysed "
                        "alone, to --output or standard output");
        if (!text.output.empty() || !text.plot.empty())
            throw Error(ExitStatus::usage,
                        "--output-dir: writes one result per FILE; --output and --plot do not go "
                        "with it");
    } else {
        if (options.inputs.size() > 1)
            throw Error(ExitStatus::usage,
                        "several FILEs need --output-dir, which holds one result for each");
        if (!text.shard.empty() || options.force)
            throw Error(ExitStatus::usage, std::string(text.shard.empty() ? "--force" : "--shard") +
                                               " applies to results in --output-dir");
    }
}

// The channel, the format, the result files and the module folders.
void read_outputs(const CommonText &text, Options &options) {
    if (!text.channel.empty())
        options.channel.channel =
            static_cast<int>(parse_whole("--channel", text.channel, 1, 65536));
    if (text.format == "json")
        options.format = Format::json;
    else if (text.format != "csv")
        usage("--format", text.format, "is not csv or json");
    if (!text.output.empty() && text.output != "-")  // "-" is standard output, as usual
        options.output = text.output;
    if (!text.plot.empty()) {
        if (!plot_format(text.plot))
            usage("--plot", text.plot, "must end in .svg or .png");
        options.plot = text.plot;
    }
    options.modules.assign(text.modules.begin(), text.modules.end());
}

// The box text is checked apart from the other pitch options, before the outputs, as it always
// was: of two mistakes on one command line the same one is named.
void check_box_text(const PitchOptions &options) {
    if (options.box.box && !is_valid_utf8(*options.box.box))
        throw Error(ExitStatus::usage, "--box: the text is not valid UTF-8");
}

// A frequency option, when given: a finite number above 0.
void read_frequency(const char *name, const std::string &text, std::optional<double> &value) {
    if (text.empty())
        return;
    value = parse_number(name, text);
    if (!(*value > 0))
        usage(name, text, "is not a frequency above 0");
}

void read_range(const std::string &fmin_text, const std::string &fmax_text,
                std::optional<double> &fmin, std::optional<double> &fmax) {
    read_frequency("--fmin", fmin_text, fmin);
    read_frequency("--fmax", fmax_text, fmax);
    if (fmin && fmax && !(*fmin < *fmax))
        throw Error(ExitStatus::usage, "--fmin " + fmin_text + " is not below --fmax " + fmax_text);
}

std::optional<FrequencyUnit> read_unit(const std::string &text) {
    if (text == "midi")
        return FrequencyUnit::midi;
    if (text == "hz")
        return FrequencyUnit::hz;
    if (!text.empty())
        usage("--unit", text, "is not hz or midi");
    return std::nullopt;
}

void read_pitch(const PitchText &text, PitchOptions &options) {
    for (auto [name, from, value] :
         {std::tuple{"--down", &text.down, &options.box.down},
          std::tuple{"--minfreq", &text.minfreq, &options.box.minfreq},
          std::tuple{"--period", &text.period, &options.box.period},
          std::tuple{"--threshold", &text.threshold, &options.threshold}})
        if (!from->empty())
            *value = parse_number(name, *from);
    read_range(text.fmin, text.fmax, options.range.fmin, options.range.fmax);
    options.unit = read_unit(text.unit);
    if (!text.a4.empty()) {
        std::optional<double> a4;
        read_frequency("--a4", text.a4, a4);
        options.a4 = *a4;
        if (options.unit != FrequencyUnit::midi)
            throw Error(ExitStatus::usage, "--a4 applies to --unit midi");
    }
    if (!text.min_periodicity.empty()) {
        options.gates.min_periodicity = parse_number("--min-periodicity", text.min_periodicity);
        if (*options.gates.min_periodicity < 0 || *options.gates.min_periodicity > 1)
            usage("--min-periodicity", text.min_periodicity, "is out of range (0 to 1)");
    }
    if (!text.min_level.empty())
        options.gates.min_level = parse_number("--min-level", text.min_level);
    if (!text.vector.empty())
        options.vector_size = parse_whole("--vector", text.vector, 1, max_vector_size);
}

void read_track(const TrackText &text, const Options &common, TrackOptions &options) {
    read_range(text.fmin, text.fmax, options.box.fmin, options.box.fmax);
    if (!text.lag.empty()) {
        options.box.lag = parse_number("--lag", text.lag);
        if (*options.box.lag < 0)
            usage("--lag", text.lag, "is not a delay of 0 ms or more");
    }
    if (const auto unit = read_unit(text.unit))
        options.box.unit = *unit == FrequencyUnit::midi ? "midi" : "hz";
    read_frequency("--a4", text.a4, options.box.a4);
    if (!text.vector.empty())
        options.vector_size = parse_whole("--vector-size", text.vector, 1, max_vector_size);
    if (!text.notes_format.empty()) {
        options.notes_format = notes_format("notes." + text.notes_format);
        if (!options.notes_format)
            usage("--notes-format", text.notes_format, "is not csv, json or mid");
    }
    if (!text.notes.empty()) {
        if (common.output_dir)
            throw Error(ExitStatus::usage,
                        "--output-dir: writes the notes of each FILE beside its result with "
                        "--notes-format; --notes does not go with it");
        options.notes = text.notes;
        if (!options.notes_format)
            options.notes_format = notes_format(text.notes);
        if (!options.notes_format)
            usage("--notes", text.notes,
                  "must end in .csv, .json or .mid (or give --notes-format)");
    }
}

void read_centroid(const CentroidText &text, CentroidOptions &options) {
    if (!text.fft.empty()) {
        options.fft_size = parse_whole("--fft", text.fft, 4, max_fft_size);
        if (!is_power_of_two(options.fft_size))
            usage("--fft", text.fft, "is not a power of two");
    }
    if (!text.overlap.empty())
        options.overlap = parse_whole("--overlap", text.overlap, 1, max_fft_size);
    if (options.fft_size % options.overlap != 0)
        usage("--overlap", std::to_string(options.overlap),
              "does not divide the FFT size " + std::to_string(options.fft_size));
}

}  // namespace

double parse_number(std::string_view option, std::string_view text) {
    const auto digits = without_plus(text);
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec == std::errc::invalid_argument || end != digits.data() + digits.size())
        usage(option, text, "is not a number");
    if (ec == std::errc::result_out_of_range || !std::isfinite(value))
        usage(option, text, "is not a finite number");
    return value;
}

long parse_whole(std::string_view option, std::string_view text, long low, long high) {
    const auto digits = without_plus(text);
    long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec == std::errc::invalid_argument || end != digits.data() + digits.size())
        usage(option, text, "is not a whole number");
    if (ec == std::errc::result_out_of_range || value < low || value > high)
        usage(option, text,
              "is out of range (" + std::to_string(low) + " to " + std::to_string(high) + ")");
    return value;
}

int default_jobs() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

std::filesystem::path result_name(const std::filesystem::path &input, Command command,
                                  Format format) {
    std::string name = input.filename().string();
    name += command == Command::centroid ? ".centroid"
            : command == Command::track  ? ".track"
                                         : ".pitch";
    name += format == Format::json ? ".json" : ".csv";
    return name;
}

std::filesystem::path notes_name(const std::filesystem::path &input, NotesFormat format) {
    return input.filename().string() + ".notes" + notes_extension(format);
}

std::vector<std::filesystem::path> result_files(const Options &options) {
    std::vector<std::filesystem::path> files;
    for (const auto &file : {options.output, options.plot, options.track.notes})
        if (file)
            files.push_back(*file);
    return files;
}

Options parse_options(int argc, const char *const *argv) {
    Options options;
    CLI::App app{
        "Runs the zid~, morv.centroid~ and morv.track~ externals on audio files in the "
        "stand-in host.",
        "morvkit"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Print the help of every command");
    app.set_version_flag("--version", std::string("morvkit ") + MORV_VERSION);

    CommonText common;
    PitchText pitch_text;
    CentroidText centroid_text;
    TrackText track_text;
    auto *pitch = app.add_subcommand("pitch", "Fundamental frequency with a zid~ box");
    declare_file_input(pitch, options, common);
    declare_pitch(pitch, options.pitch, pitch_text);
    auto *centroid =
        app.add_subcommand("centroid", "Spectral centroid with morv.centroid~ in pfft~");
    declare_file_input(centroid, options, common);
    declare_centroid(centroid, options.centroid, centroid_text);
    auto *track = app.add_subcommand(
        "track", "Pitch track, voicing probability and notes with a morv.track~ box");
    declare_file_input(track, options, common);
    declare_track(track, track_text);
    auto *demo = app.add_subcommand("demo", "Analyse a synthesised phrase of known pitch");
    declare_common(demo, options, common);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &) {
        throw HelpRequested{
            (app.get_subcommands().empty() ? &app : app.get_subcommands()[0])->help()};
    } catch (const CLI::CallForAllHelp &) {
        throw HelpRequested{app.help("", CLI::AppFormatMode::All)};
    } catch (const CLI::CallForVersion &version) {
        throw HelpRequested{version.what() + std::string("\n")};
    } catch (const CLI::ParseError &e) {
        throw Error(ExitStatus::usage, std::string(e.what()) + " (see morvkit --help)");
    }

    if (pitch->parsed())
        options.command = Command::pitch;
    if (centroid->parsed())
        options.command = Command::centroid;
    if (track->parsed())
        options.command = Command::track;
    read_inputs(common, options);
    check_box_text(options.pitch);
    read_outputs(common, options);
    read_pitch(pitch_text, options.pitch);
    read_centroid(centroid_text, options.centroid);
    read_track(track_text, options, options.track);
    return options;
}

}  // namespace morvkit
