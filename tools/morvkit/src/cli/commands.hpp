// commands.hpp - the three commands, from checked options to written results.
//
// Each opens its result files before it analyses anything (so an unwritable path, or a result
// that would overwrite the input, fails fast), streams the rows out as they are made, and only
// then puts the files in place.
#pragma once

#include <string>

#include "cli/options.hpp"

namespace morvkit {

void run_pitch_command(const Options &options);
void run_centroid_command(const Options &options);
// Writes the demo's report to standard output.
void run_demo_command(const Options &options);
// Writes text to standard output, every write checked.
void print_to_standard_output(const std::string &text);

}  // namespace morvkit
