#include "output/plot.hpp"

#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>

#include "output/output_file.hpp"
#include "base/errors.hpp"
#include "base/extension.hpp"
#include "base/number_text.hpp"
#include "base/utf8.hpp"

namespace morvkit {
namespace {

constexpr double plot_width = 1000, plot_height = 750;
constexpr double margin_left = 80, margin_right = 20, margin_top = 40, margin_bottom = 50;
constexpr double panel_gap = 30;

struct Range {
    double low, high;
};

// Maps data to device coordinates within one panel.
struct Panel {
    double x, y, width, height;
    Range time;
    Range value;
    bool log;

    double px(double t) const { return x + (t - time.low) / (time.high - time.low) * width; }
    double py(double v) const {
        const double f = log ? std::log(v / value.low) / std::log(value.high / value.low)
                             : (v - value.low) / (value.high - value.low);
        return y + height - f * height;
    }
    bool holds(double t, double v) const {
        return std::isfinite(t) && std::isfinite(v) && (!log || v > 0) && v >= value.low &&
               v <= value.high;
    }
};

Range extent(const std::vector<const std::vector<double> *> &series, bool positive_only) {
    Range r{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const auto *values : series)
        for (double v : *values)
            if (std::isfinite(v) && (!positive_only || v > 0)) {
                r.low = std::min(r.low, v);
                r.high = std::max(r.high, v);
            }
    return r;
}

void text_at(cairo_t *cr, double x, double y, const std::string &text, double align_x,
             double align_y) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    cairo_move_to(cr, x - e.width * align_x - e.x_bearing, y + e.height * align_y);
    cairo_show_text(cr, text.c_str());
}

void draw_frame(cairo_t *cr, const Panel &p, const std::vector<double> &yticks,
                const std::string &ylabel, bool time_labels) {
    cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
    cairo_set_line_width(cr, 1);
    for (double v : yticks) {
        cairo_move_to(cr, p.x, p.py(v));
        cairo_line_to(cr, p.x + p.width, p.py(v));
    }
    const auto xticks = linear_ticks(p.time.low, p.time.high, 10);
    for (double t : xticks) {
        cairo_move_to(cr, p.px(t), p.y);
        cairo_line_to(cr, p.px(t), p.y + p.height);
    }
    cairo_stroke(cr);

    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, p.x, p.y, p.width, p.height);
    cairo_stroke(cr);
    cairo_set_font_size(cr, 11);
    for (double v : yticks) text_at(cr, p.x - 6, p.py(v), tick_label(v), 1, 0.5);
    if (time_labels) {
        for (double t : xticks) text_at(cr, p.px(t), p.y + p.height + 6, tick_label(t), 0.5, 1);
        cairo_set_font_size(cr, 13);
        text_at(cr, p.x + p.width / 2, p.y + p.height + 28, "Time (s)", 0.5, 1);
    }
    cairo_save(cr);
    cairo_set_font_size(cr, 13);
    cairo_translate(cr, p.x - 62, p.y + p.height / 2);
    cairo_rotate(cr, -M_PI / 2);
    text_at(cr, 0, 0, ylabel, 0.5, 0.5);
    cairo_restore(cr);
}

// A line through consecutive drawable points; a gap in the data (an undrawable point) breaks it.
void draw_line(cairo_t *cr, const Panel &p, const std::vector<double> &time,
               const std::vector<double> &value) {
    bool drawing = false;
    const std::size_t n = std::min(time.size(), value.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!p.holds(time[i], value[i])) {
            drawing = false;
            continue;
        }
        if (drawing)
            cairo_line_to(cr, p.px(time[i]), p.py(value[i]));
        else
            cairo_move_to(cr, p.px(time[i]), p.py(value[i]));
        drawing = true;
    }
    cairo_stroke(cr);
}

// Dots whose opacity follows `weight` (0..1), so unreliable estimates fade out.
void draw_dots(cairo_t *cr, const Panel &p, const std::vector<double> &time,
               const std::vector<double> &value, const std::vector<double> *weight, double r,
               double g, double b) {
    const std::size_t n = std::min(time.size(), value.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!p.holds(time[i], value[i]))
            continue;
        double alpha = 1;
        if (weight && i < weight->size() && std::isfinite((*weight)[i]))
            alpha = 0.15 + 0.85 * std::clamp((*weight)[i], 0.0, 1.0);
        cairo_set_source_rgba(cr, r, g, b, alpha);
        cairo_arc(cr, p.px(time[i]), p.py(value[i]), 1.8, 0, 2 * M_PI);
        cairo_fill(cr);
    }
}

constexpr double unvoiced_grey = 0.7;

// A key in the panel's top right corner: one swatch per series shown.
struct LegendEntry {
    enum class Swatch { line, dot, box } swatch;
    double r, g, b, alpha;
    const char *text;
};

void draw_legend(cairo_t *cr, const Panel &p, const std::vector<LegendEntry> &entries) {
    if (entries.empty())
        return;
    cairo_set_font_size(cr, 11);
    double y = p.y + 14;
    const double x = p.x + p.width - 210;
    cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
    cairo_rectangle(cr, x - 6, p.y + 4, 210, 4 + 16 * static_cast<double>(entries.size()));
    cairo_fill(cr);
    for (const LegendEntry &entry : entries) {
        cairo_set_source_rgba(cr, entry.r, entry.g, entry.b, entry.alpha);
        if (entry.swatch == LegendEntry::Swatch::line) {
            cairo_set_line_width(cr, 2);
            cairo_move_to(cr, x, y);
            cairo_line_to(cr, x + 16, y);
            cairo_stroke(cr);
        } else if (entry.swatch == LegendEntry::Swatch::dot) {
            cairo_arc(cr, x + 8, y, 2.5, 0, 2 * M_PI);
            cairo_fill(cr);
        } else {
            cairo_rectangle(cr, x, y - 4, 16, 8);
            cairo_fill(cr);
        }
        cairo_set_source_rgb(cr, 0, 0, 0);
        text_at(cr, x + 22, y, entry.text, 0, 0.5);
        y += 16;
    }
}

// Notes as boxes a semitone high, under everything else.
void draw_notes(cairo_t *cr, const Panel &p, const std::vector<PlotNote> &notes) {
    cairo_set_source_rgba(cr, 0.95, 0.6, 0.2, 0.45);
    for (const PlotNote &note : notes) {
        if (!p.holds(note.onset, note.low) || !p.holds(note.offset, note.high))
            continue;
        const double x = p.px(note.onset), y = p.py(note.high);
        cairo_rectangle(cr, x, y, std::max(p.px(note.offset) - x, 1.0), p.py(note.low) - y);
    }
    cairo_fill(cr);
}

}  // namespace

std::optional<PlotFormat> plot_format(const std::filesystem::path &file) {
    const std::string extension = lowercase_extension(file);
    if (extension == ".svg")
        return PlotFormat::svg;
    if (extension == ".png")
        return PlotFormat::png;
    return std::nullopt;
}

std::vector<double> linear_ticks(double low, double high, int target) {
    std::vector<double> ticks;
    if (!std::isfinite(low) || !std::isfinite(high) || !(high > low) || target < 1)
        return ticks;
    const double raw = (high - low) / target;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    // The round step whose tick count comes nearest the target.
    double step = power;
    for (double m : {2.0, 5.0, 10.0})
        if (std::fabs((high - low) / (m * power) - target) <
            std::fabs((high - low) / step - target))
            step = m * power;
    // Ticks are whole multiples of the step, counted from an integer so they do not drift.
    const double first = std::ceil(low / step - 1e-9), last = std::floor(high / step + 1e-9);
    for (double k = first; k <= last; ++k) ticks.push_back(k * step + 0.0);  // no "-0"
    return ticks;
}

std::vector<double> log_ticks(double low, double high) {
    std::vector<double> ticks;
    if (!(low > 0) || !std::isfinite(high) || !(high > low))
        return ticks;
    for (double power = std::pow(10.0, std::floor(std::log10(low))); power <= high; power *= 10)
        for (double m : {1.0, 2.0, 5.0}) {
            const double v = m * power;
            if (v >= low * (1 - 1e-9) && v <= high * (1 + 1e-9))
                ticks.push_back(v);
        }
    return ticks;
}

std::string tick_label(double value) {
    // Rounded to 6 significant digits first, so that 0.30000000000000004 reads "0.3".
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return format_number(std::strtod(text, nullptr));
}

void draw_plot(cairo_t *cr, double width, double height, const PlotInput &input) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

    std::vector<double> note_times, note_bands;
    for (const PlotNote &note : input.notes) {
        note_times.insert(note_times.end(), {note.onset, note.offset});
        note_bands.insert(note_bands.end(), {note.low, note.high});
    }
    Range time = extent({&input.pitch_time, &input.unvoiced_time, &input.periodicity_time,
                         &input.truth_time, &input.decoded_time, &note_times, &input.centroid_time},
                        false);
    time.low = std::min(time.low, 0.0);
    if (!(time.high > time.low))
        time = {0, 1};

    Range freq = extent({&input.frequency, &input.unvoiced_frequency, &input.truth_frequency,
                         &input.decoded_frequency, &note_bands},
                        true);
    if (!(freq.high > 0))
        freq = {50, 2000};
    freq = {std::max(freq.low / 1.25, 1.0), std::max(freq.high * 1.25, 2.0)};
    if (freq.high <= freq.low)
        freq.high = freq.low * 2;

    Range cent = extent({&input.centroid}, false);
    cent = {0, std::isfinite(cent.high) && cent.high > 0 ? cent.high * 1.1 : 1000};

    // Panels only for what was analysed: pitch (frequency and periodicity), centroid, or both.
    const bool pitch = !input.pitch_time.empty() || !input.periodicity_time.empty() ||
                       !input.truth_time.empty() || !input.decoded_time.empty() ||
                       !input.notes.empty();
    const bool centroid = !input.centroid_time.empty();
    const bool all = !pitch && !centroid;  // nothing to show: every panel, empty but labelled
    const int count = (pitch || all ? 2 : 0) + (centroid || all ? 1 : 0);
    const double inner_w = width - margin_left - margin_right;
    const double panel_h = (height - margin_top - margin_bottom - (count - 1) * panel_gap) / count;
    int next = 0;
    const auto next_panel = [&](Range value, bool log) {
        const int i = next++;
        return Panel{
            margin_left, margin_top + i * (panel_h + panel_gap), inner_w, panel_h, time, value,
            log};
    };

    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_font_size(cr, 15);
    text_at(cr, width / 2, margin_top / 2, input.title, 0.5, 0.5);

    if (pitch || all) {
        const Panel fp = next_panel(freq, true), pp = next_panel({0, 1}, false);
        draw_frame(cr, fp, log_ticks(freq.low, freq.high), "Frequency (Hz)", false);
        draw_frame(cr, pp, linear_ticks(0, 1, 5), input.second_label, next == count);
        cairo_set_line_width(cr, 2);
        cairo_set_source_rgba(cr, 0.85, 0.4, 0.1, 0.7);
        draw_notes(cr, fp, input.notes);
        draw_line(cr, fp, input.truth_time, input.truth_frequency);
        draw_dots(cr, fp, input.unvoiced_time, input.unvoiced_frequency, nullptr, unvoiced_grey,
                  unvoiced_grey, unvoiced_grey);
        draw_dots(cr, fp, input.pitch_time, input.frequency, &input.periodicity, 0.1, 0.3, 0.8);
        cairo_set_line_width(cr, 1.5);
        cairo_set_source_rgb(cr, 0.1, 0.3, 0.8);
        draw_line(cr, fp, input.decoded_time, input.decoded_frequency);
        using Swatch = LegendEntry::Swatch;
        std::vector<LegendEntry> legend;
        if (!input.truth_frequency.empty())
            legend.push_back({Swatch::line, 0.85, 0.4, 0.1, 0.7, "true pitch"});
        if (!input.frequency.empty() || !input.unvoiced_frequency.empty())
            legend.push_back({Swatch::dot, 0.1, 0.3, 0.8, 1, "estimate (opacity: periodicity)"});
        if (!input.unvoiced_frequency.empty())
            legend.push_back({Swatch::dot, unvoiced_grey, unvoiced_grey, unvoiced_grey, 1,
                              "unvoiced (below a gate)"});
        if (!input.decoded_time.empty())
            legend.push_back({Swatch::line, 0.1, 0.3, 0.8, 1, "decoded pitch (voiced)"});
        if (!input.notes.empty())
            legend.push_back({Swatch::box, 0.95, 0.6, 0.2, 0.45, "notes"});
        if (legend.size() > (input.truth_frequency.empty() ? 0u : 1u))  // a truth alone: no key
            draw_legend(cr, fp, legend);
        cairo_set_line_width(cr, 1.2);
        cairo_set_source_rgb(cr, 0.1, 0.5, 0.2);
        draw_line(cr, pp, input.periodicity_time, input.periodicity_line);
    }
    if (centroid || all) {
        const Panel cp = next_panel(cent, false);
        draw_frame(cr, cp, linear_ticks(cent.low, cent.high, 5), "Centroid (Hz)", true);
        cairo_set_line_width(cr, 1.2);
        cairo_set_source_rgb(cr, 0.5, 0.1, 0.6);
        draw_line(cr, cp, input.centroid_time, input.centroid);
    }
}

void write_plot(const std::filesystem::path &file, const PlotInput &input) {
    if (!plot_format(file))
        throw Error(ExitStatus::usage, "--plot: '" + file.string() + "' must end in .svg or .png");
    OutputFile output(file);
    write_plot(output, *plot_format(file), input);
}

namespace {

// Text drawing fills process-wide font caches in cairo and fontconfig that are never released
// otherwise; dropping them once no cairo object is alive keeps leak checkers' reports clean.
struct FontCacheRelease {
    ~FontCacheRelease() {
        cairo_debug_reset_static_data();
        FcFini();
    }
};

// cairo writes through a callback; the stream's own error (Error, Interrupted) is kept and
// rethrown once cairo has returned, instead of being flattened into a cairo status.
struct StreamTarget {
    std::ostream &out;
    std::exception_ptr error;
};

cairo_status_t write_to_stream(void *closure, const unsigned char *data, unsigned int length) {
    auto *target = static_cast<StreamTarget *>(closure);
    try {
        target->out.write(reinterpret_cast<const char *>(data), length);
        return CAIRO_STATUS_SUCCESS;
    } catch (...) {
        target->error = std::current_exception();
        return CAIRO_STATUS_WRITE_ERROR;
    }
}

}  // namespace

void write_plot(OutputFile &output, PlotFormat format, const PlotInput &input) {
    const FontCacheRelease release_after_drawing;
    StreamTarget target{output.stream(), nullptr};
    using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
    using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
    Surface surface(
        format == PlotFormat::svg
            ? cairo_svg_surface_create_for_stream(write_to_stream, &target, plot_width, plot_height)
            : cairo_image_surface_create(CAIRO_FORMAT_RGB24, plot_width, plot_height),
        cairo_surface_destroy);
    cairo_status_t status;
    {
        Context cr(cairo_create(surface.get()), cairo_destroy);
        PlotInput drawable = input;
        drawable.title = with_invalid_utf8_replaced(input.title);  // cairo draws nothing else
        draw_plot(cr.get(), plot_width, plot_height, drawable);
        status = cairo_status(cr.get());
    }
    if (status == CAIRO_STATUS_SUCCESS) {
        if (format == PlotFormat::png) {
            status = cairo_surface_write_to_png_stream(surface.get(), write_to_stream, &target);
        } else {
            cairo_surface_finish(surface.get());
            status = cairo_surface_status(surface.get());
        }
    }
    if (target.error)
        std::rethrow_exception(target.error);
    if (status != CAIRO_STATUS_SUCCESS)
        throw Error(ExitStatus::output,
                    "cannot draw " + output.name() + ": " + cairo_status_to_string(status));
    output.commit();
}

}  // namespace morvkit
