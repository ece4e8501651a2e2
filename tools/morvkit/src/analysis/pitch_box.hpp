// pitch_box.hpp - the text of the zid~ box a pitch run makes, from what the user asked for.
//
// The whole box text (or "zid~") comes first; then an attribute argument for each of down,
// minfreq and period that was given, or else that the range chose, so that those override the
// box's own arguments.  Values go to the object as typed: it keeps them within its limits.
#pragma once

#include <optional>
#include <string>

#include "analysis/pitch_range.hpp"

namespace morvkit {

struct PitchBoxArguments {
    std::optional<std::string> box;  // the whole box text
    std::optional<double> down, minfreq, period;
};

std::string pitch_box_text(const PitchBoxArguments &given, const RangeChoice &range = {});

}  // namespace morvkit
