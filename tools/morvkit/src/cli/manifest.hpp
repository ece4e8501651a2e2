// manifest.hpp - what produced the results in an output folder.
//
// Beside its results a folder holds one small file per command, ".morvkit-pitch.json",
// ".morvkit-centroid.json" or ".morvkit-track.json" (hidden, so that a glob over the results does
// not take it for one): the command, the tool's version, the box text and every option that
// changes a row.  A run whose settings differ from the folder's refuses before it starts, naming
// the difference and the two ways on; equal settings resume.  The shards of one job write into
// one folder at once, so the file appears whole or not at all and the first to make it wins: the
// others find equal settings and pass.  JSON results carry the same settings in their head.
#pragma once

#include <filesystem>
#include <string>

#include "cli/options.hpp"
#include "output/writers.hpp"

namespace morvkit {

// The settings that make the rows of the command in `options`.
Json run_settings(const Options &options);

// Each setting in which the two differ, "box was \"zid~\", now \"zid~ @down 1\"", joined by
// "; "; empty when they are equal.
std::string settings_difference(const Json &recorded, const Json &wanted);

// Records the settings in the folder of --output-dir, or checks them against those recorded.
// Throws Error(usage) when they differ and --force was not given (with --force the new settings
// replace the old), Error(output) when the file cannot be written.
void claim_output_folder(const Options &options);

}  // namespace morvkit
