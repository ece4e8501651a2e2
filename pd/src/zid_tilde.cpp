// zid_tilde.cpp - zid~ for Pd: fundamental frequency, RMS amplitude and periodicity of a signal by
// the YIN method, over the same host-free analysis as the Max object (yin_frames: decimation,
// frame buffering and the lag estimator; yin_geometry: the parameters' table and the geometry).
//
// As in Max: creation arguments `zid~ [down] [minfreq] [period]`, then "@name value" pairs;
// the messages "down", "minfreq", "period", "threshold", "active" and "bang"; three float outlets
// (frequency, amplitude, periodicity, left to right) sent right to left from a clock after each
// analysis.  Out-of-range values are clamped silently, as in Max; where the Max object ignores a
// value that is no number without a word, this one says so on Pd's console.
//
// Pd runs messages, the dsp method, the perform routine and clocks one at a time (under its one
// lock when an audio callback drives the scheduler), so the record needs no atomics.  As in Max,
// a message only stores a value and marks the geometry stale; the perform routine derives the
// geometry again at its next block.
#include "m_pd.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "morv_version.h"
#include "pd_export.h"
#include "yin_frames.h"
#include "yin_geometry.h"

namespace {

t_class *zid_class = nullptr;

struct zid_t {
    t_object x_obj;
    t_float x_scalar;  // the inlet's value when no signal is connected
    t_outlet *frequency_outlet;
    t_outlet *amplitude_outlet;
    t_outlet *periodicity_outlet;
    t_clock *clock;
    // Parameters, clamped to their ranges.
    int32_t down;
    double minfreq;
    double period;
    double threshold;
    bool active;
    bool triggered;  // a bang waits for the next completed hop
    // What the last dsp call said about the signal, and whether the geometry must follow.
    double samplerate;
    int32_t vector_size;
    bool stale;
    yin_frames frames;
    double *block;  // one block widened to double, as the analysis takes it; made in dsp
    int block_size;
    yin_estimate result;
};

// ---- perform and clock ------------------------------------------------------------------------

t_int *zid_perform(t_int *w) {
    auto *x = reinterpret_cast<zid_t *>(w[1]);
    const auto *in = reinterpret_cast<const t_sample *>(w[2]);
    const int n = static_cast<int>(w[3]);
    if (x->stale) {
        yin_frames_configure(&x->frames, yin_derive_geometry(x->samplerate, x->vector_size, x->down,
                                                             x->minfreq, x->period));
        x->stale = false;
    }
    if (!x->active || x->frames.buffer == nullptr) {
        return w + 4;
    }
    // Widening is exact: the analysis sees the very samples Pd holds.
    for (int i = 0; i < n; ++i) {
        x->block[i] = in[i];
    }
    if (yin_frames_push(&x->frames, x->block, n) && (x->period > 0.0 || x->triggered)) {
        x->result = yin_frames_analyse(&x->frames, x->threshold);
        clock_delay(x->clock, 0);
        x->triggered = false;
    }
    return w + 4;
}

void zid_output(zid_t *x) {
    outlet_float(x->periodicity_outlet, static_cast<t_float>(x->result.periodicity));
    outlet_float(x->amplitude_outlet, static_cast<t_float>(x->result.amplitude));
    outlet_float(x->frequency_outlet, static_cast<t_float>(x->result.frequency));
}

void zid_dsp(zid_t *x, t_signal **sp) {
    const int n = sp[0]->s_n;
    if (n != x->block_size) {
        auto *block = static_cast<double *>(
            resizebytes(x->block, sizeof(double) * static_cast<size_t>(x->block_size),
                        sizeof(double) * static_cast<size_t>(n)));
        if (block == nullptr) {
            pd_error(x, "zid~: out of memory; analysing nothing");
            return;
        }
        x->block = block;
        x->block_size = n;
    }
    x->samplerate = sp[0]->s_sr > 0 ? sp[0]->s_sr : 44100.0;
    x->vector_size = n;
    x->stale = true;
    dsp_add(zid_perform, 3, x, sp[0]->s_vec, static_cast<t_int>(n));
}

// ---- messages ---------------------------------------------------------------------------------

// The number a message carries, or false (and a word on the console) when it carries none.
bool number_of(zid_t *x, const char *name, int argc, const t_atom *argv, double *value) {
    if (argc < 1 || argv[0].a_type != A_FLOAT) {
        pd_error(x, "zid~: \"%s\" takes a number%s", name,
                 argc < 1 ? "" : " (the value given is ignored)");
        return false;
    }
    *value = atom_getfloat(argv);
    return true;
}

// A number as Max reads an integer: truncated, saturated to int32_t (NaN to the lowest).
int32_t integer_of(double value) {
    if (!(value > INT32_MIN && value < INT32_MAX)) {
        return value > 0 ? INT32_MAX : INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

void set_parameter(zid_t *x, const t_symbol *name, double value) {
    if (name == gensym(YIN_DOWN.name)) {
        x->down = yin_clamp_down(integer_of(value));
    } else if (name == gensym(YIN_MINFREQ.name)) {
        x->minfreq = YIN_MINFREQ.clamp(value);
    } else {
        x->period = YIN_PERIOD.clamp(value);
    }
    x->stale = true;
}

void zid_parameter(zid_t *x, t_symbol *s, int argc, t_atom *argv) {
    double value;
    if (number_of(x, s->s_name, argc, argv, &value)) {
        set_parameter(x, s, value);
    }
}

void zid_threshold(zid_t *x, t_symbol *s, int argc, t_atom *argv) {
    double value;
    if (number_of(x, s->s_name, argc, argv, &value)) {
        x->threshold = YIN_THRESHOLD.clamp(value);
    }
}

void zid_active(zid_t *x, t_symbol *s, int argc, t_atom *argv) {
    double value;
    if (number_of(x, s->s_name, argc, argv, &value)) {
        // A float counts by its integer reading, as in Max: 0.7 pauses.
        x->active = integer_of(value) != 0;
    }
}

void zid_bang(zid_t *x) {
    x->triggered = true;
}

// ---- construction -----------------------------------------------------------------------------

bool is_parameter(const t_symbol *name) {
    return name == gensym(YIN_DOWN.name) || name == gensym(YIN_MINFREQ.name) ||
           name == gensym(YIN_PERIOD.name);
}

// Plain numbers set down, minfreq and period in turn; from the first "@name" on, pairs.
void read_arguments(zid_t *x, int argc, const t_atom *argv) {
    const t_symbol *positions[] = {gensym(YIN_DOWN.name), gensym(YIN_MINFREQ.name),
                                   gensym(YIN_PERIOD.name)};
    int i = 0;
    for (; i < argc; ++i) {
        if (argv[i].a_type == A_SYMBOL && argv[i].a_w.w_symbol->s_name[0] == '@') {
            break;
        }
        if (i >= 3) {
            pd_error(x,
                     "zid~: takes at most three plain arguments (down minfreq period); "
                     "the rest are ignored");
            i = argc;
            break;
        }
        if (argv[i].a_type != A_FLOAT) {
            pd_error(x, "zid~: argument %d (%s) is no number; it keeps its default", i + 1,
                     positions[i]->s_name);
            continue;
        }
        set_parameter(x, positions[i], atom_getfloat(&argv[i]));
    }
    for (; i < argc; i += 2) {
        const t_symbol *attribute = argv[i].a_type == A_SYMBOL ? argv[i].a_w.w_symbol : nullptr;
        const t_symbol *name = attribute ? gensym(attribute->s_name + 1) : nullptr;
        if (name == nullptr || attribute->s_name[0] != '@' || !is_parameter(name)) {
            pd_error(x, "zid~: expected @down, @minfreq or @period at argument %d", i + 1);
            continue;
        }
        if (i + 1 >= argc || argv[i + 1].a_type != A_FLOAT) {
            pd_error(x, "zid~: %s takes a number", attribute->s_name);
            continue;
        }
        set_parameter(x, name, atom_getfloat(&argv[i + 1]));
    }
}

void *zid_new(t_symbol *, int argc, t_atom *argv) {
    auto *x = reinterpret_cast<zid_t *>(pd_new(zid_class));
    x->x_scalar = 0;
    x->down = static_cast<int32_t>(YIN_DOWN.initial);
    x->minfreq = YIN_MINFREQ.initial;
    x->period = YIN_PERIOD.initial;
    x->threshold = YIN_THRESHOLD.initial;
    x->active = true;
    x->triggered = false;
    x->samplerate = 0.0;
    x->vector_size = 0;
    x->stale = true;
    x->frames = {};
    x->block = nullptr;
    x->block_size = 0;
    x->result = {};
    read_arguments(x, argc, argv);
    x->frequency_outlet = outlet_new(&x->x_obj, &s_float);
    x->amplitude_outlet = outlet_new(&x->x_obj, &s_float);
    x->periodicity_outlet = outlet_new(&x->x_obj, &s_float);
    x->clock = clock_new(x, reinterpret_cast<t_method>(zid_output));
    return x;
}

void zid_free(zid_t *x) {
    // Pd has taken the object out of the signal graph before it frees it.
    clock_free(x->clock);
    yin_frames_release(&x->frames);
    freebytes(x->block, sizeof(double) * static_cast<size_t>(x->block_size));
}

}  // namespace

extern "C" MORV_PD_EXPORT void zid_tilde_setup() {
    zid_class = class_new(gensym("zid~"), reinterpret_cast<t_newmethod>(zid_new),
                          reinterpret_cast<t_method>(zid_free), sizeof(zid_t), CLASS_DEFAULT,
                          A_GIMME, A_NULL);
    CLASS_MAINSIGNALIN(zid_class, zid_t, x_scalar);
    class_addmethod(zid_class, reinterpret_cast<t_method>(zid_dsp), gensym("dsp"), A_CANT, A_NULL);
    class_addbang(zid_class, reinterpret_cast<t_method>(zid_bang));
    for (const yin_parameter &p : {YIN_DOWN, YIN_MINFREQ, YIN_PERIOD}) {
        class_addmethod(zid_class, reinterpret_cast<t_method>(zid_parameter), gensym(p.name),
                        A_GIMME, A_NULL);
    }
    class_addmethod(zid_class, reinterpret_cast<t_method>(zid_threshold),
                    gensym(YIN_THRESHOLD.name), A_GIMME, A_NULL);
    class_addmethod(zid_class, reinterpret_cast<t_method>(zid_active), gensym("active"), A_GIMME,
                    A_NULL);
    post("zid~ %s: pitch, amplitude and periodicity tracking", MORV_VERSION);
    post(
        "  by the morvkit developers, after the YIN method of de Cheveign\u00e9 and Kawahara "
        "(2002)");
}
