#include "analysis/track_box.hpp"

#include <utility>

#include "base/number_text.hpp"

namespace morvkit {

std::string track_box_text(const TrackBoxArguments &arguments) {
    std::string text = "morv.track~";
    for (const auto &[name, value] :
         {std::pair{"fmin", arguments.fmin}, std::pair{"fmax", arguments.fmax},
          std::pair{"lag", arguments.lag}, std::pair{"a4", arguments.a4}})
        if (value)
            text += std::string(" @") + name + " " + format_number(*value);
    if (arguments.unit)
        text += " @unit " + *arguments.unit;
    return text;
}

}  // namespace morvkit
