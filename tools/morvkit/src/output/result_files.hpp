// result_files.hpp - the files one run writes, opened before any analysis.
//
// The table goes to its file, or to standard output when none was named; the picture and the
// notes, when asked for, to their own.  Opening both first makes an unwritable path fail fast, and
// a run is refused before it reads anything when a result would overwrite its input or the other
// result (one file by device and inode, links followed, or by the path it will have).
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "output/output_file.hpp"
#include "output/plot.hpp"

namespace morvkit {

class ResultFiles {
  public:
    // `input` is the audio file the run reads ("-" for standard input), or none.
    ResultFiles(const std::optional<std::filesystem::path> &table,
                const std::optional<std::filesystem::path> &plot,
                const std::filesystem::path *input,
                const std::optional<std::filesystem::path> &notes = std::nullopt);

    OutputFile table;
    std::optional<OutputFile> notes;
    // Draws the picture to its file, when one was asked for, and puts it in place.
    void draw(const PlotInput &input);

  private:
    std::optional<OutputFile> plot_;
    std::optional<PlotFormat> plot_format_;
};

}  // namespace morvkit
