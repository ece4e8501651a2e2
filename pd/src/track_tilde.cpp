// track_tilde.cpp - morv.track~ for Pd: a pitch track with a voicing probability, and notes, from
// a signal, over the same host-free tracking engine as the Max object (track/engine).
//
// As in Max: creation arguments are "@name value" pairs of `fmin`, `fmax`, `lag`, `unit`, `a4`;
// each is also a message of the same name, with "reset" and "active"; three outlets (pitch in Hz
// or, with "unit midi", a fractional MIDI note; voicing probability; "pitch velocity" lists of
// notes), sent right to left from a clock.  A change of range, lag or sample rate builds a new
// engine at the next block; every restart (those, "reset", "active", dsp switched off) ends a
// sounding note with velocity 0 before anything else is sent, and drops what the old analysis had
// still queued.
//
// Pd runs messages, dsp, perform routines and clocks one at a time, so the restart counters need
// no atomics; the engine is still built in the perform routine, as in Max, so that a message never
// frees an engine in the middle of a block.
#include "m_pd.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "morv_version.h"
#include "pd_export.h"
#include "track_engine.h"
#include "track_pitch.h"
#include "track_queue.h"

namespace {

t_class *track_class = nullptr;

struct track_t {
    t_object x_obj;
    t_float x_scalar;  // the inlet's value when no signal is connected
    t_outlet *pitch_outlet;
    t_outlet *voicing_outlet;
    t_outlet *notes_outlet;
    t_clock *clock;
    double fmin, fmax, lag, a4, samplerate;
    bool midi;
    bool active;
    uint32_t param_version, applied_version;  // a new engine is due when they differ
    uint32_t epoch, applied_epoch;            // restarts asked for, and applied by perform
    track_engine *engine;
    bool sounding;
    int32_t sounding_pitch;
    track_queue queue;
    double *block;  // one block widened to double, as the engine takes it; made in dsp
    int block_size;
    struct track_dsp_watch *watch;
};

bool older(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b) < 0;
}

// ---- perform ------------------------------------------------------------------------------------

void queue_event(track_t *x, const track_event &event) {
    if (track_queue_push(&x->queue, event)) {
        clock_delay(x->clock, 0);
    }
}

const track_sink kQueueSink{nullptr,
                            [](void *c, const track_frame &f) {
                                auto *x = static_cast<track_t *>(c);
                                queue_event(x, {track_event_frame, x->applied_epoch,
                                                f.voiced ? f.frequency : -f.frequency, f.voicing});
                            },
                            [](void *c, const track_note &n) {
                                auto *x = static_cast<track_t *>(c);
                                queue_event(x, {track_event_note, x->applied_epoch, n.pitch,
                                                static_cast<double>(n.velocity)});
                            }};

// A restart has already ended a sounding note; nothing of the old analysis is queued.
const track_sink kNoSink{nullptr, [](void *, const track_frame &) {},
                         [](void *, const track_note &) {}};

t_int *track_perform(t_int *w) {
    auto *x = reinterpret_cast<track_t *>(w[1]);
    const auto *in = reinterpret_cast<const t_sample *>(w[2]);
    auto *block = reinterpret_cast<double *>(w[3]);
    const int n = static_cast<int>(w[4]);
    if (x->param_version != x->applied_version) {
        track_engine_free(x->engine);
        x->engine = track_engine_new(
            {x->samplerate, x->fmin, x->fmax, x->lag, 440.0});  // null without memory: no analysis
        x->applied_version = x->param_version;
    } else if (x->epoch != x->applied_epoch && x->engine) {
        track_engine_reset(x->engine, kNoSink);
    }
    x->applied_epoch = x->epoch;
    if (!x->active || x->engine == nullptr) {
        return w + 5;
    }
    // Widening is exact: the engine sees the very samples Pd holds.
    for (int i = 0; i < n; ++i) {
        block[i] = in[i];
    }
    track_sink sink = kQueueSink;
    sink.context = x;
    track_engine_push(x->engine, block, n, sink);
    return w + 5;
}

// ---- clock --------------------------------------------------------------------------------------

void send_note(track_t *x, int32_t pitch, int32_t velocity) {
    t_atom list[2];
    SETFLOAT(&list[0], static_cast<t_float>(pitch));
    SETFLOAT(&list[1], static_cast<t_float>(velocity));
    outlet_list(x->notes_outlet, &s_list, 2, list);
}

void end_note(track_t *x) {
    if (x->sounding) {
        x->sounding = false;
        send_note(x, x->sounding_pitch, 0);
    }
}

void track_output(track_t *x) {
    track_event e;
    while (track_queue_pop(&x->queue, &e)) {
        if (older(e.epoch, x->epoch)) {
            continue;  // analysed before a restart
        }
        if (e.kind == track_event_frame) {
            outlet_float(x->voicing_outlet, static_cast<t_float>(e.b));
            double pitch = e.a + 0.0;  // an unvoiced frame without a pitch: 0, not -0
            if (x->midi && e.a != 0.0) {
                pitch = std::copysign(track_midi_at(std::fabs(e.a), x->a4), e.a);
            }
            outlet_float(x->pitch_outlet, static_cast<t_float>(pitch));
        } else {
            end_note(x);  // never two at once, whatever arrives
            if (e.b > 0.0) {
                x->sounding_pitch = track_note_pitch(e.a, x->a4);
                x->sounding = true;
                send_note(x, x->sounding_pitch, static_cast<int32_t>(e.b));
            }
        }
    }
}

// Ends a sounding note now and restarts the analysis at the next block.
void restart(track_t *x) {
    ++x->epoch;
    end_note(x);
}

void rebuild(track_t *x) {
    ++x->param_version;
    restart(x);
}

// ---- dsp and messages ---------------------------------------------------------------------------

void track_dsp(track_t *x, t_signal **sp) {
    const int n = sp[0]->s_n;
    if (n != x->block_size) {
        auto *block = static_cast<double *>(
            resizebytes(x->block, sizeof(double) * static_cast<size_t>(x->block_size),
                        sizeof(double) * static_cast<size_t>(n)));
        if (block == nullptr) {
            pd_error(x, "morv.track~: out of memory; analysing nothing");
            return;
        }
        x->block = block;
        x->block_size = n;
    }
    x->samplerate = sp[0]->s_sr > 0 ? sp[0]->s_sr : 44100.0;
    rebuild(x);
    dsp_add(track_perform, 4, x, sp[0]->s_vec, x->block, static_cast<t_int>(n));
}

// Pd bangs whatever is bound to "pd-dsp-stopped" when audio stops: no note may outlast it.
struct track_dsp_watch {
    t_pd pd;
    track_t *owner;
};
t_class *track_dsp_watch_class = nullptr;

void track_dsp_stopped(track_dsp_watch *w) {
    restart(w->owner);
}

// The number a message carries, or false (and a word on the console) when it carries none.
bool number_of(track_t *x, const t_symbol *name, int argc, const t_atom *argv, double *value) {
    if (argc < 1 || argv[0].a_type != A_FLOAT) {
        pd_error(x, "morv.track~: \"%s\" takes a number", name->s_name);
        return false;
    }
    *value = atom_getfloat(argv);
    return true;
}

double clamp(double v, double lo, double hi) {
    return v < lo ? lo : (v > hi ? hi : v);  // NaN stays NaN; the geometry takes it
}

const char *const kSettings[] = {"fmin", "fmax", "lag", "unit", "a4"};

bool is_setting(const t_symbol *name) {
    for (const char *setting : kSettings) {
        if (name == gensym(setting)) {
            return true;
        }
    }
    return false;
}

// Sets a setting by name, with the Max object's ranges; a value of the wrong kind is reported.
void set_setting(track_t *x, const t_symbol *name, int argc, const t_atom *argv) {
    if (name == gensym("unit")) {
        const t_symbol *unit = argc > 0 ? atom_getsymbol(argv) : &s_;
        if (unit != gensym("hz") && unit != gensym("midi")) {
            pd_error(x, "morv.track~: \"unit\" takes hz or midi");
            return;
        }
        x->midi = unit == gensym("midi");
        return;
    }
    struct range {
        const char *name;
        double track_t::*field;
        double lo, hi;
        bool restarts;
    };
    static const range ranges[] = {{"fmin", &track_t::fmin, 10.0, 20000.0, true},
                                   {"fmax", &track_t::fmax, 20.0, 20000.0, true},
                                   {"lag", &track_t::lag, 0.0, 5000.0, true},
                                   {"a4", &track_t::a4, 200.0, 1000.0, false}};
    for (const range &r : ranges) {
        double value;
        if (name == gensym(r.name)) {
            if (!number_of(x, name, argc, argv, &value)) {
                return;
            }
            x->*r.field = clamp(value, r.lo, r.hi);
            if (r.restarts) {
                rebuild(x);
            }
            return;
        }
    }
}

void track_setting(track_t *x, t_symbol *s, int argc, t_atom *argv) {
    set_setting(x, s, argc, argv);
}

void track_reset(track_t *x) {
    restart(x);
}

void track_active(track_t *x, t_symbol *s, int argc, t_atom *argv) {
    double value;
    if (number_of(x, s, argc, argv, &value)) {
        // A float counts by its integer reading, as in Max: 0.7 pauses.
        x->active = std::fabs(value) >= 1.0;
        restart(x);
    }
}

// ---- construction -------------------------------------------------------------------------------

void *track_new(t_symbol *, int argc, t_atom *argv) {
    auto *x = reinterpret_cast<track_t *>(pd_new(track_class));
    x->x_scalar = 0;
    x->fmin = 40.0;
    x->fmax = 2200.0;
    x->lag = 300.0;
    x->a4 = 440.0;
    x->samplerate = 44100.0;
    x->midi = false;
    x->active = true;
    x->param_version = x->epoch = x->applied_epoch = 0;
    x->applied_version = x->param_version - 1;  // the first block builds the engine
    x->engine = nullptr;
    x->sounding = false;
    x->sounding_pitch = 0;
    x->queue.head = x->queue.tail = 0;
    x->block = nullptr;
    x->block_size = 0;
    // "@name value" pairs; a wrong value is reported by set_setting.
    for (int i = 0; i < argc; i += 2) {
        const t_symbol *attribute = argv[i].a_type == A_SYMBOL ? argv[i].a_w.w_symbol : nullptr;
        const t_symbol *name = attribute ? gensym(attribute->s_name + 1) : nullptr;
        if (name == nullptr || attribute->s_name[0] != '@' || !is_setting(name)) {
            pd_error(x, "morv.track~: expected @fmin, @fmax, @lag, @unit or @a4 at argument %d",
                     i + 1);
            continue;
        }
        set_setting(x, name, argc - i - 1, argv + i + 1);
    }
    x->pitch_outlet = outlet_new(&x->x_obj, &s_float);
    x->voicing_outlet = outlet_new(&x->x_obj, &s_float);
    x->notes_outlet = outlet_new(&x->x_obj, &s_list);
    x->clock = clock_new(x, reinterpret_cast<t_method>(track_output));
    x->watch = reinterpret_cast<track_dsp_watch *>(pd_new(track_dsp_watch_class));
    x->watch->owner = x;
    pd_bind(&x->watch->pd, gensym("pd-dsp-stopped"));
    return x;
}

void track_free(track_t *x) {
    // Pd has taken the object out of the signal graph before it frees it.
    pd_unbind(&x->watch->pd, gensym("pd-dsp-stopped"));
    pd_free(&x->watch->pd);
    clock_free(x->clock);
    track_engine_free(x->engine);
    freebytes(x->block, sizeof(double) * static_cast<size_t>(x->block_size));
}

}  // namespace

extern "C" MORV_PD_EXPORT void setup_morv0x2etrack_tilde() {
    track_class = class_new(gensym("morv.track~"), reinterpret_cast<t_newmethod>(track_new),
                            reinterpret_cast<t_method>(track_free), sizeof(track_t), CLASS_DEFAULT,
                            A_GIMME, A_NULL);
    CLASS_MAINSIGNALIN(track_class, track_t, x_scalar);
    class_addmethod(track_class, reinterpret_cast<t_method>(track_dsp), gensym("dsp"), A_CANT,
                    A_NULL);
    for (const char *name : kSettings) {
        class_addmethod(track_class, reinterpret_cast<t_method>(track_setting), gensym(name),
                        A_GIMME, A_NULL);
    }
    class_addmethod(track_class, reinterpret_cast<t_method>(track_reset), gensym("reset"), A_NULL);
    class_addmethod(track_class, reinterpret_cast<t_method>(track_active), gensym("active"),
                    A_GIMME, A_NULL);
    track_dsp_watch_class = class_new(gensym("morv.track~ dsp watch"), nullptr, nullptr,
                                      sizeof(track_dsp_watch), CLASS_PD, A_NULL);
    class_addbang(track_dsp_watch_class, reinterpret_cast<t_method>(track_dsp_stopped));
    post("morv.track~ %s: pitch tracks and notes", MORV_VERSION);
    post(
        "  by the morvkit developers, after the probabilistic YIN method of Mauch and Dixon "
        "(2014)");
}
