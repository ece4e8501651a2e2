#include "output/pitch_presentation.hpp"

#include <cmath>
#include <limits>

#include "analysis/settled.hpp"

namespace morvkit {

double midi_note(double frequency, double a4) {
    if (!(frequency > 0) || !(a4 > 0) || !std::isfinite(frequency) || !std::isfinite(a4))
        return std::numeric_limits<double>::quiet_NaN();
    return 69 + 12 * std::log2(frequency / a4);
}

double level_dbfs(double amplitude) {
    if (!(amplitude >= 0))
        return std::numeric_limits<double>::quiet_NaN();
    return 20 * std::log10(amplitude);  // log10(0) is -inf
}

bool is_voiced(const VoicingGates &gates, double amplitude, double periodicity) {
    if (gates.min_periodicity && !(periodicity >= *gates.min_periodicity))
        return false;
    return !gates.min_level || level_dbfs(amplitude) >= *gates.min_level;
}

PitchPresentation::PitchPresentation(std::optional<FrequencyUnit> unit, double a4,
                                     VoicingGates gates)
    : unit_(unit), a4_(a4), gates_(gates), columns_(pitch_columns) {
    if (gates_.any())
        columns_.push_back("voiced");
    row_.resize(columns_.size());
}

bool PitchPresentation::voiced(std::span<const double> delivered) const {
    return is_voiced(gates_, delivered[2], delivered[3]);
}

std::span<const double> PitchPresentation::present(std::span<const double> delivered) {
    std::copy(delivered.begin(), delivered.begin() + 4, row_.begin());
    if (unit_ == FrequencyUnit::midi)
        row_[1] = midi_note(delivered[1], a4_);
    if (gates_.any())
        row_[4] = voiced(delivered) ? 1 : 0;
    return row_;
}

Json PitchPresentation::describe() const {
    Json fields = Json::object();
    if (unit_) {
        fields["unit"] = *unit_ == FrequencyUnit::midi ? "midi" : "hz";
        if (*unit_ == FrequencyUnit::midi)
            fields["a4"] = a4_;
    }
    if (gates_.any()) {
        Json voicing = Json::object();
        if (gates_.min_periodicity)
            voicing["min_periodicity"] = *gates_.min_periodicity;
        if (gates_.min_level)
            voicing["min_level"] = *gates_.min_level;
        fields["voicing"] = voicing;
    }
    return fields;
}

}  // namespace morvkit
