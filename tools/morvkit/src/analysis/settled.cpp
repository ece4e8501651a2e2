#include "analysis/settled.hpp"

#include "yin_geometry.h"

namespace morvkit {

double PitchSettled::frame_seconds() const {
    return geometry.analysis_rate > 0
               ? 2.0 * static_cast<double>(geometry.window_size) / geometry.analysis_rate
               : 0;
}

PitchSpan pitch_span(const PitchSettled &settled) {
    const auto &g = settled.geometry;
    if (g.down < YIN_DOWN.lowest || g.down > YIN_DOWN.highest || g.hop_size <= 0 ||
        g.window_size <= 0 || !(settled.parameters.period > 0))
        return {};
    return {static_cast<std::int64_t>(g.hop_size) << g.down,
            static_cast<std::int64_t>(2 * g.window_size) << g.down};
}

}  // namespace morvkit
