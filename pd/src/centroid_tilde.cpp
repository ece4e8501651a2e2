// centroid_tilde.cpp - morv.centroid~ for Pd: the spectral centroid, in Hz, of each frame that a
// subpatch with block~ (size N, overlap) and rfft~ hands over, written over the whole block.
//
// Pd gives the object all N points of the frame; rfft~ leaves the bins 0 .. N/2 in the first half
// and zeros above.  Like the Max object inside pfft~, the centroid is taken over the bins
// 0 .. N/2 - 1 (the Nyquist bin is left out) with a bin width of frame rate / N, so the same
// frame gives the same centroid in both hosts.  Both inlets connected to signals: each bin is
// weighed by its power (real and imaginary part); the left inlet alone: by the value it carries
// (an amplitude, or any magnitude the patch computes).  With nothing on the left inlet the outlet
// is silent.  The object takes no creation arguments and, unlike the Max object, has no splash
// window: there is no double click to answer in a Pd box.
#include "m_pd.h"

#include "canvas_queries.h"
#include "pd_export.h"
#include "centroid_frame.h"

namespace {

t_class *centroid_class = nullptr;

struct centroid_t {
    t_object x_obj;
    t_float x_scalar;   // the left inlet's value when no signal is connected (unused)
    t_glist *x_canvas;  // the patch the box is in, for the queries at dsp time
    double x_rate;      // Hz, the frames' sample rate, stored by dsp before a routine is added
};

void fill(t_sample *out, int n, double centroid) {
    for (int k = 0; k < n; ++k) {
        out[k] = static_cast<t_sample>(centroid);
    }
}

// Arguments: the object, the two inputs (or one), the output, the block size.
t_int *centroid_perform_power(t_int *w) {
    const auto *x = reinterpret_cast<const centroid_t *>(w[1]);
    const auto *re = reinterpret_cast<const t_sample *>(w[2]);
    const auto *im = reinterpret_cast<const t_sample *>(w[3]);
    auto *out = reinterpret_cast<t_sample *>(w[4]);
    const int n = static_cast<int>(w[5]);
    // Pd may hand out one buffer as input and output: every bin is read before anything is written.
    fill(out, n, morv::centroid_of_frame(n / 2, x->x_rate, morv::power_weight(re, im)));
    return w + 6;
}

t_int *centroid_perform_amplitude(t_int *w) {
    const auto *x = reinterpret_cast<const centroid_t *>(w[1]);
    const auto *amplitude = reinterpret_cast<const t_sample *>(w[2]);
    auto *out = reinterpret_cast<t_sample *>(w[3]);
    const int n = static_cast<int>(w[4]);
    fill(out, n, morv::centroid_of_frame(n / 2, x->x_rate, morv::amplitude_weight(amplitude)));
    return w + 5;
}

void centroid_dsp(centroid_t *x, t_signal **sp) {
    const int n = sp[0]->s_n;
    t_sample *out = sp[2]->s_vec;
    if (!morv::pd::inlet_has_signal(x->x_canvas, &x->x_obj, 0)) {
        dsp_add_zero(out, n);
        return;
    }
    x->x_rate = morv::pd::frame_rate(x->x_canvas, sp[0]->s_sr);
    if (morv::pd::inlet_has_signal(x->x_canvas, &x->x_obj, 1)) {
        dsp_add(centroid_perform_power, 5, x, sp[0]->s_vec, sp[1]->s_vec, out,
                static_cast<t_int>(n));
    } else {
        dsp_add(centroid_perform_amplitude, 4, x, sp[0]->s_vec, out, static_cast<t_int>(n));
    }
}

void *centroid_new(t_symbol *, int argc, t_atom *) {
    auto *x = reinterpret_cast<centroid_t *>(pd_new(centroid_class));
    if (argc > 0) {
        pd_error(x, "morv.centroid~: takes no arguments (the %d given are ignored)", argc);
    }
    x->x_scalar = 0;
    x->x_canvas = canvas_getcurrent();
    x->x_rate = 0.0;
    inlet_new(&x->x_obj, &x->x_obj.ob_pd, &s_signal, &s_signal);
    outlet_new(&x->x_obj, &s_signal);
    return x;
}

}  // namespace

// Pd's loader looks for a class whose name holds a '.' under this name.
extern "C" MORV_PD_EXPORT void setup_morv0x2ecentroid_tilde() {
    centroid_class =
        class_new(gensym("morv.centroid~"), reinterpret_cast<t_newmethod>(centroid_new), nullptr,
                  sizeof(centroid_t), CLASS_DEFAULT, A_GIMME, A_NULL);
    CLASS_MAINSIGNALIN(centroid_class, centroid_t, x_scalar);
    class_addmethod(centroid_class, reinterpret_cast<t_method>(centroid_dsp), gensym("dsp"), A_CANT,
                    A_NULL);
}
