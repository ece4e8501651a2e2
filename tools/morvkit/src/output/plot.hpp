// plot.hpp - a picture of the analyses over time: frequency (log axis, Hz: dots, a tracker's
// decoded line over a piano roll of its notes), periodicity or voicing probability, and spectral
// centroid (Hz), stacked over a shared time axis in seconds.
//
// One drawing routine serves every surface; the file name's extension picks SVG or PNG.  The
// picture is written like every result file (output_file.hpp), and a drawing that cairo could
// not complete is an error rather than a blank picture.  Only the panels
// of what was analysed are drawn (pitch: frequency and periodicity; centroid); with no data at
// all, all three, empty but labelled.  Non-finite values and non-positive frequencies are
// skipped rather than drawn at nonsense positions.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;

namespace morvkit {

// A note of a piano roll: its time span and its pitch's band (a semitone around it), in Hz.
struct PlotNote {
    double onset, offset, low, high;
};

struct PlotInput {
    std::string title;
    std::string second_label = "Periodicity";                // the panel below the frequency's
    std::vector<double> pitch_time, frequency, periodicity;  // dots; periodicity sets opacity
    std::vector<double> unvoiced_time, unvoiced_frequency;   // grey dots: analyses gated out
    std::vector<double> periodicity_time, periodicity_line;  // the periodicity panel
    std::vector<double> truth_time, truth_frequency;      // optional reference pitch (the demo's)
    std::vector<double> decoded_time, decoded_frequency;  // a tracker's line; NaN breaks it
    std::vector<PlotNote> notes;                          // a piano roll under the line
    std::vector<double> centroid_time, centroid;
};

enum class PlotFormat { svg, png };
// The format a file name asks for, by its extension (either case); none for anything else.
std::optional<PlotFormat> plot_format(const std::filesystem::path &file);

// Tick positions for an axis: round steps of 1, 2 or 5 times a power of ten, about `target`
// of them, within [low, high].
std::vector<double> linear_ticks(double low, double high, int target);
// Ticks for a log axis: 1, 2 and 5 times powers of ten within [low, high].
std::vector<double> log_ticks(double low, double high);
// Tick text: as short as the step allows ("0.5", "100", "2k" is not used: Hz stay Hz).
std::string tick_label(double value);

class OutputFile;

void draw_plot(cairo_t *cr, double width, double height, const PlotInput &input);
// Draws into the file and commits it.  Throws Error(output) when the file cannot be written or
// the picture cannot be drawn.  A title that is not valid UTF-8 is drawn with its bad bytes
// replaced.
void write_plot(OutputFile &file, PlotFormat format, const PlotInput &input);
// The same to a named file, whose extension picks the format (Error(usage) for another).
void write_plot(const std::filesystem::path &file, const PlotInput &input);

}  // namespace morvkit
