// zid~ - fundamental frequency, RMS amplitude and periodicity of a signal by the YIN method.
//
// The host drives the object: main registers the class, yin_new builds an instance from its box,
// yin_dsp hands yin_perform to the signal chain, yin_perform buffers and analyses in the audio
// thread, and yin_output sends the results from the scheduler.  Messages and attribute setters
// only store values; the geometry that depends on them is re-derived lazily by the perform
// routine when `param_version` moves, so nothing outside the audio thread touches the arrays.
//
// Threads meet only through fields of yin_t, each accessed atomically in place: parameters and
// flags relaxed, published by a release increment of `param_version` that the perform routine
// reads with acquire; results stored before the clock is set, the last of them with release, and
// read back in yin_output starting with an acquire load of that one.  No locks, no blocking.
#include <atomic>
#include <climits>
#include <cstdint>

#include "ext.h"
#include "ext_obex.h"
#include "z_dsp.h"
#include "yin.h"
#include "yin_frames.h"
#include "yin_geometry.h"
#include "morv_attributes.h"
#include "morv_fields.h"
#include "morv_version.h"

namespace {

using morv::add_attribute;
using morv::is_number;
using morv::load;
using morv::store;

t_class *yin_class = nullptr;

// Publishes every parameter stored before it to the next perform call.
void bump_version(yin_t *x) {
    morv::bump(x->param_version);
}

// ---- audio thread -----------------------------------------------------------------------------

void analyse(yin_t *x) {
    const yin_estimate e = yin_frames_analyse(&x->frames, load(x->threshold));
    store(x->frequency, e.frequency);
    store(x->periodicity, e.periodicity);
    store(x->amplitude, e.amplitude, std::memory_order_release);
    clock_fdelay(x->clock, 0);
    // After the clock: a bang that came in while this analysis ran is answered by it.
    store(x->triggered, int32_t{0});
}

void yin_perform(t_object *object, t_object *, double **ins, long numins, double **, long,
                 long sampleframes, long, void *) {
    yin_t *x = reinterpret_cast<yin_t *>(object);
    // Unsigned counters wrap; a geometry is current only for the exact version it was made for.
    const uint32_t version = load(x->param_version, std::memory_order_acquire);
    if (version != x->applied_version) {
        yin_frames_configure(&x->frames,
                             yin_derive_geometry(load(x->samplerate), load(x->max_vector_size),
                                                 load(x->down), load(x->minfreq), load(x->period)));
        x->applied_version = version;
    }

    if (load(x->x_obj.z_disabled) || !load(x->active) || numins < 1)
        return;
    if (yin_frames_push(&x->frames, ins[0], sampleframes) &&
        (load(x->period) > 0.0 || load(x->triggered)))
        analyse(x);
}

// ---- scheduler --------------------------------------------------------------------------------

void yin_output(yin_t *x) {
    const double amplitude = load(x->amplitude, std::memory_order_acquire);
    const double frequency = load(x->frequency);
    const double periodicity = load(x->periodicity);
    outlet_float(x->periodicity_outlet, periodicity);
    outlet_float(x->amplitude_outlet, amplitude);
    outlet_float(x->frequency_outlet, frequency);
}

// ---- main or scheduler thread -----------------------------------------------------------------

void yin_dsp(yin_t *x, t_object *dsp64, short *, double samplerate, long maxvectorsize, long) {
    store(x->max_vector_size, static_cast<int32_t>(maxvectorsize));
    // A NaN rate is not "0 or below" and passes; the geometry copes with it.
    store(x->samplerate, samplerate <= 0.0 ? 44100.0 : samplerate);
    bump_version(x);
    dsp_add64(dsp64, reinterpret_cast<t_object *>(x), yin_perform, 0, nullptr);
}

void yin_trigger(yin_t *x) {
    store(x->triggered, int32_t{1});
}

void yin_threshold(yin_t *x, double value) {
    store(x->threshold, YIN_THRESHOLD.clamp(value));
}

void yin_active(yin_t *x, t_symbol *, long argc, t_atom *argv) {
    if (argc > 0 && is_number(argv))
        store(x->active, static_cast<int32_t>(atom_getlong(argv)) != 0 ? int32_t{1} : int32_t{0});
}

t_max_err yin_set_down_attr(yin_t *x, void *, long argc, t_atom *argv) {
    if (argc > 0 && is_number(argv)) {
        store(x->down, yin_clamp_down(static_cast<int32_t>(atom_getlong(argv))));
        bump_version(x);
    }
    return MAX_ERR_NONE;
}

t_max_err yin_set_minfreq_attr(yin_t *x, void *, long argc, t_atom *argv) {
    if (argc > 0 && is_number(argv)) {
        store(x->minfreq, YIN_MINFREQ.clamp(atom_getfloat(argv)));
        bump_version(x);
    }
    return MAX_ERR_NONE;
}

t_max_err yin_set_period_attr(yin_t *x, void *, long argc, t_atom *argv) {
    if (argc > 0 && is_number(argv)) {
        store(x->period, YIN_PERIOD.clamp(atom_getfloat(argv)));
        bump_version(x);
    }
    return MAX_ERR_NONE;
}

void *yin_new(t_symbol *, long count, t_atom *argv) {
    yin_t *x = static_cast<yin_t *>(object_alloc(yin_class));
    if (!x)
        return nullptr;
    // The host passes the count as a long; the attribute-argument calls take a short.  A box never
    // holds that many atoms, but a larger count must not wrap into a negative or short one.
    const short argc = count < 0 ? 0 : (count > SHRT_MAX ? SHRT_MAX : static_cast<short>(count));
    const long plain = attr_args_offset(argc, argv);
    x->down = static_cast<int32_t>(YIN_DOWN.initial);
    x->minfreq = YIN_MINFREQ.initial;
    x->period = YIN_PERIOD.initial;
    if (plain >= 1 && is_number(&argv[0]))
        x->down = yin_clamp_down(static_cast<int32_t>(atom_getlong(&argv[0])));
    if (plain >= 2 && is_number(&argv[1]))
        x->minfreq = YIN_MINFREQ.clamp(atom_getfloat(&argv[1]));
    if (plain >= 3 && is_number(&argv[2]))
        x->period = YIN_PERIOD.clamp(atom_getfloat(&argv[2]));

    z_dsp_setup(&x->x_obj, 1);
    // Each outlet lands left of the ones before it: periodicity right, frequency left.
    x->periodicity_outlet = floatout(x);
    x->amplitude_outlet = floatout(x);
    x->frequency_outlet = floatout(x);

    x->frames = {};
    x->max_vector_size = 0;
    x->threshold = YIN_THRESHOLD.initial;
    x->triggered = 0;
    x->frequency = x->amplitude = x->periodicity = 0.0;
    x->active = 1;
    x->param_version = x->applied_version = 0;
    x->clock = clock_new(x, reinterpret_cast<method>(yin_output));

    attr_args_process(x, argc, argv);
    return x;
}

void yin_free(yin_t *x) {
    z_dsp_free(&x->x_obj);  // no perform call follows, so the arrays are ours alone
    yin_frames_release(&x->frames);
    freeobject(x->clock);
}

}  // namespace

C74_EXPORT int main(void) {
    t_class *c = class_new("zid~", reinterpret_cast<method>(yin_new),
                           reinterpret_cast<method>(yin_free), sizeof(yin_t), nullptr, A_GIMME, 0);
    class_dspinit(c);
    class_addmethod(c, reinterpret_cast<method>(yin_dsp), "dsp64", A_CANT, 0);
    class_addmethod(c, reinterpret_cast<method>(yin_trigger), "bang", 0);
    class_addmethod(c, reinterpret_cast<method>(yin_threshold), "threshold", A_FLOAT, 0);
    class_addmethod(c, reinterpret_cast<method>(yin_active), "active", A_GIMME, 0);
    add_attribute(c, "down", "long", 0, calcoffset(yin_t, down), "Downsampling Exponent",
                  reinterpret_cast<method>(yin_set_down_attr), "100");
    add_attribute(c, "minfreq", "float64", 0, calcoffset(yin_t, minfreq),
                  "Lowest Estimated Frequency", reinterpret_cast<method>(yin_set_minfreq_attr),
                  "101");
    add_attribute(c, "period", "float64", 0, calcoffset(yin_t, period), "Analysis Period",
                  reinterpret_cast<method>(yin_set_period_attr), "102");
    post("zid~ %s: pitch, amplitude and periodicity tracking", MORV_VERSION);
    post(
        "  by the morvkit developers, after the YIN method of de Cheveign\u00e9 and Kawahara "
        "(2002)");
    class_register(CLASS_BOX, c);
    yin_class = c;
    return 0;
}
