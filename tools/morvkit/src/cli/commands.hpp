// commands.hpp - the commands, from checked options to written results, each in a file of its
// own (pitch_command.cpp, centroid_command.cpp, track_command.cpp, demo_command.cpp).
//
// Each opens its result files before it analyses anything (so an unwritable path, or a result
// that would overwrite the input, fails fast), streams the rows out as they are made, and only
// then puts the files in place.
#pragma once

#include "cli/options.hpp"

namespace morvkit {

void run_pitch_command(const Options &options);
void run_centroid_command(const Options &options);
// Also writes the notes when asked for.
void run_track_command(const Options &options);
// Writes the demo's report to standard output.
void run_demo_command(const Options &options);

}  // namespace morvkit
