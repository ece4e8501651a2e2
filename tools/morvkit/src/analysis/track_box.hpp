// track_box.hpp - the text of the morv.track~ box a track run makes, from what the user asked for.
//
// "morv.track~" and an attribute argument for each setting given ("@fmin 40 @lag 100"); what is not
// given stays the object's own default.  Values go to the object as typed: the run reads back
// what it kept.
#pragma once

#include <optional>
#include <string>

namespace morvkit {

struct TrackBoxArguments {
    std::optional<double> fmin, fmax, lag;  // Hz, Hz, ms
    std::optional<std::string> unit;        // "hz" or "midi"
    std::optional<double> a4;               // Hz
};

std::string track_box_text(const TrackBoxArguments &arguments);

}  // namespace morvkit
