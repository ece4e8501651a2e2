#include "analysis/pitch_box.hpp"

#include <utility>

#include "base/number_text.hpp"

namespace morvkit {

std::string pitch_box_text(const PitchBoxArguments &given, const RangeChoice &range) {
    std::string text = given.box.value_or("zid~");
    const auto chosen_down =
        range.down ? std::optional<double>(static_cast<double>(*range.down)) : std::nullopt;
    const std::pair<const char *, std::optional<double>> overrides[] = {
        {"down", given.down ? given.down : chosen_down},
        {"minfreq", given.minfreq ? given.minfreq : range.minfreq},
        {"period", given.period}};
    for (const auto &[name, value] : overrides)
        if (value)
            text += std::string(" @") + name + " " + format_number(*value);
    return text;
}

}  // namespace morvkit
