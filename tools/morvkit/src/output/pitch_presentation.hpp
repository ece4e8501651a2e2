// pitch_presentation.hpp - how a pitch track is written: the frequency's unit and the voicing.
//
// zid~ reports a frequency for every analysis, also in silence and in quiet tails.  Voicing gates
// let the user say where a pitch is meant: an analysis is voiced when its periodicity reaches
// `min_periodicity` and its RMS level reaches `min_level` dBFS (either or both).  Rows that fail
// stay, so that the time grid stays regular, and are marked 0 in a `voiced` column, written only
// when a gate is given.  The frequency column is in Hz, or in fractional MIDI note numbers
// (69 at `a4` Hz).  With the defaults a row is written exactly as zid~ delivered it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "output/writers.hpp"

namespace morvkit {

enum class FrequencyUnit { hz, midi };

struct VoicingGates {
    std::optional<double> min_periodicity;  // 0 to 1
    std::optional<double> min_level;        // dBFS
    bool any() const { return min_periodicity || min_level; }
};

// 69 + 12 log2(frequency / a4); NaN for a frequency or an a4 that is not positive and finite.
double midi_note(double frequency, double a4);
// 20 log10(amplitude): dB relative to full scale, where a full-scale square wave has an RMS of 1
// (0 dBFS) and a full-scale sine -3 dBFS.  -inf for silence, NaN for a negative or NaN value.
double level_dbfs(double amplitude);
// Whether an analysis passes every gate given; NaN passes none.
bool is_voiced(const VoicingGates &gates, double amplitude, double periodicity);

class PitchPresentation {
  public:
    // `unit` none: Hz, and the metadata says nothing of the unit, as before the option existed.
    PitchPresentation(std::optional<FrequencyUnit> unit = std::nullopt, double a4 = 440,
                      VoicingGates gates = {});
    // time, frequency, amplitude, periodicity, and voiced when a gate is given.
    const std::vector<std::string> &columns() const { return columns_; }
    // The row as written, from one as zid~ delivered it (time, frequency in Hz, amplitude,
    // periodicity).  Valid until the next call.
    std::span<const double> present(std::span<const double> delivered);
    bool voiced(std::span<const double> delivered) const;
    // The metadata fields: "unit" (and "a4" for MIDI) when a unit was asked for, "voicing" (the
    // gates given) when there are gates.
    Json describe() const;

  private:
    std::optional<FrequencyUnit> unit_;
    double a4_;
    VoicingGates gates_;
    std::vector<std::string> columns_;
    std::vector<double> row_;
};

}  // namespace morvkit
