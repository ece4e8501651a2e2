#include "cli/manifest.hpp"

#include <fstream>
#include <set>
#include <sstream>

#include "base/errors.hpp"
#include "morv_version.h"
#include "output/output_file.hpp"

namespace morvkit {
namespace {

std::string command_name(Command command) {
    return command == Command::centroid ? "centroid"
           : command == Command::track  ? "track"
                                        : "pitch";
}

std::filesystem::path manifest_path(const Options &options) {
    return *options.output_dir / (".morvkit-" + command_name(options.command) + ".json");
}

// The recorded settings; null when there are none or they cannot be read.
Json read_settings(const std::filesystem::path &file) {
    std::ifstream in(file);
    return in ? Json::parse(in, nullptr, false) : Json();
}

// Returns false when, not replacing, another run made the file first.
bool write_settings(const std::filesystem::path &file, const Json &settings, bool replace) {
    remove_stale_temporaries({file});
    OutputFile out(file);
    write_json_value(out.stream(), settings, 0);
    out.stream() << '\n';
    if (!replace)
        return out.commit_if_absent();
    out.commit();
    return true;
}

}  // namespace

Json run_settings(const Options &options) {
    Json settings;
    settings["command"] = command_name(options.command);
    settings["version"] = MORV_VERSION;
    if (options.channel.mix)
        settings["channel"] = "mix";
    else
        settings["channel"] = options.channel.channel;
    if (options.command == Command::track) {
        const TrackOptions &track = options.track;
        // The box as asked: what is not given is the object's default, which its version fixes.
        settings["box"] = track_box_text(track.box);
        settings["vector_size"] = track.vector_size;
        if (track.notes_format)
            settings["notes"] = notes_extension(*track.notes_format).substr(1);
    } else if (options.command == Command::centroid) {
        settings["box"] = "morv.centroid~";
        settings["fft_size"] = options.centroid.fft_size;
        settings["overlap"] = options.centroid.overlap;
        settings["amplitude"] = options.centroid.amplitude;
    } else {
        const PitchOptions &pitch = options.pitch;
        // The box as given: what --fmax chooses depends on each input's sample rate.
        settings["box"] = pitch_box_text(pitch.box);
        settings["vector_size"] = pitch.vector_size;
        const std::pair<const char *, std::optional<double>> given[] = {
            {"threshold", pitch.threshold},
            {"fmin", pitch.range.fmin},
            {"fmax", pitch.range.fmax},
            {"min_periodicity", pitch.gates.min_periodicity},
            {"min_level", pitch.gates.min_level}};
        for (const auto &[name, value] : given)
            if (value)
                settings[name] = *value;
        // Hz whether asked for or not: the rows are the same.
        const bool midi = pitch.unit == FrequencyUnit::midi;
        settings["unit"] = midi ? "midi" : "hz";
        if (midi)
            settings["a4"] = pitch.a4;
    }
    return settings;
}

std::string settings_difference(const Json &recorded, const Json &wanted) {
    if (!recorded.is_object())
        return "the settings recorded there cannot be read";
    std::set<std::string> keys;
    for (const auto *settings : {&recorded, &wanted})
        for (const auto &[key, value] : settings->items()) keys.insert(key);
    std::string difference;
    // As the file writes them: 440, not 440.0.
    const auto text = [](const Json &settings, const std::string &key) {
        if (!settings.contains(key))
            return std::string("not given");
        std::ostringstream out;
        write_json_value(out, settings[key], 0);
        return out.str();
    };
    for (const auto &key : keys) {
        if (recorded.value(key, Json()) == wanted.value(key, Json()))
            continue;
        difference += (difference.empty() ? "" : "; ") + key + " was " + text(recorded, key) +
                      ", now " + text(wanted, key);
    }
    return difference;
}

void claim_output_folder(const Options &options) {
    const auto file = manifest_path(options);
    const Json wanted = run_settings(options);
    // Twice at most: a file made by another run between our look and our write is looked at.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::error_code ec;
        const bool recorded = std::filesystem::exists(std::filesystem::symlink_status(file, ec));
        if (recorded) {
            const std::string difference = settings_difference(read_settings(file), wanted);
            if (difference.empty())
                return;
            if (!options.force)
                throw Error(ExitStatus::usage,
                            "'" + options.output_dir->string() + "' holds " +
                                command_name(options.command) +
                                " results made with other settings (" + difference +
                                "): --force redoes every input with these, or choose another "
                                "--output-dir");
        }
        if (write_settings(file, wanted, recorded))
            return;
    }
}

}  // namespace morvkit
