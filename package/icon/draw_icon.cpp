// draw_icon.cpp - draws the package's 500 x 500 icon.png: a dark tile with a periodic waveform,
// the pitch it carries marked above it, and the package's name.  The PNG is committed so that
// every build, with or without cairo, installs the same picture; draw.sh rebuilds it.
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr int kSize = 500;

void rounded_tile(cairo_t *cr, double inset, double radius) {
    const double lo = inset, hi = kSize - inset;
    cairo_new_sub_path(cr);
    cairo_arc(cr, hi - radius, lo + radius, radius, -std::numbers::pi / 2, 0);
    cairo_arc(cr, hi - radius, hi - radius, radius, 0, std::numbers::pi / 2);
    cairo_arc(cr, lo + radius, hi - radius, radius, std::numbers::pi / 2, std::numbers::pi);
    cairo_arc(cr, lo + radius, lo + radius, radius, std::numbers::pi, 3 * std::numbers::pi / 2);
    cairo_close_path(cr);
}

// Two periods of a tone with a strong second harmonic, as zid~ would see it.
void waveform(cairo_t *cr) {
    constexpr double left = 60, width = 380, mid = 270, height = 70;
    for (int i = 0; i <= 400; ++i) {
        const double t = i / 400.0;
        const double phase = 2 * std::numbers::pi * 2 * t;
        const double y = mid - height * (0.7 * std::sin(phase) + 0.45 * std::sin(2 * phase + 0.6));
        if (i == 0)
            cairo_move_to(cr, left + width * t, y);
        else
            cairo_line_to(cr, left + width * t, y);
    }
    cairo_set_source_rgb(cr, 0.35, 0.85, 0.75);
    cairo_set_line_width(cr, 12);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

// The period found: a bracket over one cycle.
void period_mark(cairo_t *cr) {
    cairo_set_source_rgb(cr, 0.98, 0.72, 0.3);
    cairo_set_line_width(cr, 8);
    cairo_move_to(cr, 60, 150);
    cairo_line_to(cr, 60, 130);
    cairo_line_to(cr, 250, 130);
    cairo_line_to(cr, 250, 150);
    cairo_stroke(cr);
}

void name(cairo_t *cr) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 84);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, "morvkit", &ext);
    cairo_set_source_rgb(cr, 0.95, 0.95, 0.95);
    cairo_move_to(cr, (kSize - ext.width) / 2 - ext.x_bearing, 430);
    cairo_show_text(cr, "morvkit");
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_icon OUT.png\n");
        return 2;
    }
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    cairo_t *cr = cairo_create(surface);
    rounded_tile(cr, 10, 70);
    cairo_set_source_rgb(cr, 0.12, 0.14, 0.2);
    cairo_fill(cr);
    period_mark(cr);
    waveform(cr);
    name(cr);
    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(surface, argv[1]);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "draw_icon: %s\n", cairo_status_to_string(status));
        return 1;
    }
    return 0;
}
