#include "output/result_files.hpp"

#include <system_error>

#include "base/errors.hpp"
#include "input/audio_file.hpp"

namespace morvkit {
namespace {

// One file as the run sees it: an existing file by device and inode (links followed), a file
// still to be made by the path it will have.  Devices and FIFOs are never "the same file" as
// anything: writing twice to /dev/null harms nobody, and they cannot be an audio input.
struct Place {
    std::optional<FileIdentity> identity;
    std::filesystem::path path;

    bool same_as(const Place &other) const {
        if (identity && other.identity)
            return identity->regular && other.identity->regular && *identity == *other.identity;
        return !identity && !other.identity && !path.empty() && path == other.path;
    }
};

Place place_of(const OutputFile &file) {
    if (file.identity())
        return {file.identity(), {}};
    std::error_code ec;
    return {std::nullopt, std::filesystem::weakly_canonical(file.target(), ec)};
}

}  // namespace

ResultFiles::ResultFiles(const std::optional<std::filesystem::path> &table_path,
                         const std::optional<std::filesystem::path> &plot_path,
                         const std::filesystem::path *input,
                         const std::optional<std::filesystem::path> &notes_path)
    : table(table_path) {
    if (plot_path) {
        plot_.emplace(*plot_path);
        plot_format_ = plot_format(*plot_path);
    }
    if (notes_path)
        notes.emplace(*notes_path);
    std::vector<const OutputFile *> files{&table};
    for (const auto *file : {&plot_, &notes})
        if (*file)
            files.push_back(&**file);
    if (input) {
        // Standard input may be a file redirected in: the one it is.
        const Place input_place{identity_of(is_standard_input(*input) ? "/dev/stdin" : *input), {}};
        for (const OutputFile *file : files)
            if (place_of(*file).same_as(input_place))
                throw Error(ExitStatus::output,
                            "cannot write " + file->name() + ": it is the input file");
    }
    for (std::size_t i = 1; i < files.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (place_of(*files[i]).same_as(place_of(*files[j])))
                throw Error(ExitStatus::output, "cannot write " + files[i]->name() +
                                                    ": it is the same file as " + files[j]->name());
}

void ResultFiles::draw(const PlotInput &input) {
    if (plot_)
        write_plot(*plot_, *plot_format_, input);
}

}  // namespace morvkit
