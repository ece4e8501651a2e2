// commands.hpp - the three commands, from checked options to written results.
//
// Each opens its result files before it analyses anything (so an unwritable path fails fast),
// writes them completely, and only then puts them in place.
#pragma once

#include <ostream>

#include "options.hpp"

namespace morvkit {

void run_pitch_command(const Options &options);
void run_centroid_command(const Options &options);
// Writes the demo's report to `out`.
void run_demo_command(const Options &options, std::ostream &out);

}  // namespace morvkit
