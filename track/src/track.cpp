// morv.track~ - a pitch track with a voicing probability, and notes, from a signal: the tracking
// engine (track/engine) behind the host's interface.
//
// The host drives the object: main registers the class, track_new builds an instance, track_dsp
// hands track_perform to the signal chain, track_perform feeds the engine in the audio thread and
// queues what it decides, and track_output sends it from the scheduler.  Messages and attribute
// setters only store values: a change of the range or the lag (or of the sample rate) makes the
// perform routine build a new engine, as zid~ re-derives its geometry, and every restart (those,
// "reset", "active", audio switched off) moves `epoch`, which ends a sounding note before anything
// else is sent and discards what the old analysis had still queued.
//
// What goes out, right to left, for every frame the engine decides (one every 5.8 ms or so,
// `delay` ms after the sound it describes): at a note boundary, "pitch velocity" lists on the
// right outlet (velocity 0 ends the sounding note; the pitch is the nearest MIDI note at `a4`);
// the frame's voicing probability in the middle; its pitch on the left, in Hz or, with @unit midi,
// as a fractional MIDI note at `a4`.  While the track is unvoiced the left outlet sends the pitch
// the frame would have, negated (so "> 0" tells voiced frames), or 0 when it has none.
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>

#include "ext.h"
#include "ext_obex.h"
#include "z_dsp.h"
#include "track.h"
#include "track_engine.h"
#include "track_pitch.h"
#include "track_queue.h"
#include "morv_attributes.h"
#include "morv_fields.h"
#include "morv_version.h"

namespace {

using morv::add_attribute;
using morv::bump;
using morv::is_number;
using morv::load;
using morv::store;

t_class *track_class = nullptr;

// Whether counter value a was made before b (the counters wrap).
bool older(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b) < 0;
}

track_settings settings_of(track_t *x) {
    return {load(x->samplerate), load(x->fmin), load(x->fmax), load(x->lag), 440.0};
}

// ---- main thread ------------------------------------------------------------------------------

// Ends any sounding note (the scheduler sends its end at once) and restarts the analysis.
void restart(track_t *x) {
    bump(x->epoch);
    clock_fdelay(x->clock, 0);
}

void update_delay(track_t *x) {
    const track_settings s = settings_of(x);
    const track_geometry g = track_derive_geometry(s);
    store(x->delay, static_cast<double>(g.delay) * 1000.0 / s.samplerate);
}

// A new range, lag or rate: a new engine, and a restart.
void rebuild(track_t *x) {
    update_delay(x);
    bump(x->param_version);
    restart(x);
}

// ---- audio thread -----------------------------------------------------------------------------

void queue_event(track_t *x, const track_event &event) {
    if (track_queue_push(&x->queue, event))
        x->queued = 1;
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

// What a restart leaves behind is the scheduler's to end; nothing of it is queued.
const track_sink kNoSink{nullptr, [](void *, const track_frame &) {},
                         [](void *, const track_note &) {}};

void apply_requests(track_t *x) {
    const uint32_t version = load(x->param_version, std::memory_order_acquire);
    const uint32_t epoch = load(x->epoch, std::memory_order_acquire);
    if (version != x->applied_version) {
        track_engine_free(x->engine);
        x->engine = track_engine_new(settings_of(x));  // null when memory runs out: no analysis
        x->applied_version = version;
    } else if (epoch != x->applied_epoch && x->engine) {
        track_engine_reset(x->engine, kNoSink);
    }
    x->applied_epoch = epoch;
}

void track_perform(t_object *object, t_object *, double **ins, long numins, double **, long,
                   long sampleframes, long, void *) {
    track_t *x = reinterpret_cast<track_t *>(object);
    apply_requests(x);
    if (load(x->x_obj.z_disabled) || !load(x->active) || !x->engine || numins < 1)
        return;
    track_sink sink = kQueueSink;
    sink.context = x;
    x->queued = 0;
    track_engine_push(x->engine, ins[0], sampleframes, sink);
    if (x->queued)
        clock_fdelay(x->clock, 0);
}

// ---- scheduler --------------------------------------------------------------------------------

void send_note(track_t *x, int32_t pitch, int32_t velocity) {
    t_atom list[2];
    atom_setlong(&list[0], pitch);
    atom_setlong(&list[1], velocity);
    outlet_list(x->notes_outlet, nullptr, 2, list);
}

void end_note(track_t *x) {
    if (x->sounding) {
        x->sounding = 0;
        send_note(x, x->sounding_pitch, 0);
    }
}

void start_note(track_t *x, double midi_at_440, double velocity, uint32_t epoch, double a4) {
    end_note(x);  // never two at once, whatever arrives
    x->sounding_pitch = track_note_pitch(midi_at_440, a4);
    x->sounding_epoch = epoch;
    x->sounding = 1;
    send_note(x, x->sounding_pitch, static_cast<int32_t>(velocity));
}

void send_frame(track_t *x, double signed_frequency, double voicing, bool midi, double a4) {
    outlet_float(x->voicing_outlet, voicing);
    double pitch = signed_frequency;
    if (midi && signed_frequency != 0.0)
        pitch = std::copysign(track_midi_at(std::fabs(signed_frequency), a4), signed_frequency);
    outlet_float(x->pitch_outlet, pitch);
}

void track_output(track_t *x) {
    const uint32_t epoch = load(x->epoch, std::memory_order_acquire);
    if (x->sounding && older(x->sounding_epoch, epoch))
        end_note(x);
    const bool midi = load(x->unit) == gensym("midi");
    const double a4 = load(x->a4);
    track_event e;
    while (track_queue_pop(&x->queue, &e)) {
        if (older(e.epoch, epoch))
            continue;  // analysed before a restart
        if (e.kind == track_event_frame)
            send_frame(x, e.a, e.b, midi, a4);
        else if (e.b > 0.0)
            start_note(x, e.a, e.b, e.epoch, a4);
        else
            end_note(x);
    }
}

// ---- main or scheduler thread -----------------------------------------------------------------

void track_dsp(track_t *x, t_object *dsp64, short *, double samplerate, long, long) {
    // A NaN rate is not "0 or below" and passes; the geometry copes with it.
    store(x->samplerate, samplerate <= 0.0 ? 44100.0 : samplerate);
    rebuild(x);
    dsp_add64(dsp64, reinterpret_cast<t_object *>(x), track_perform, 0, nullptr);
}

void track_dspstate(track_t *x, long on) {
    if (!on)
        restart(x);  // audio off: no note may outlast it
}

void track_reset(track_t *x) {
    restart(x);
}

void track_active(track_t *x, t_symbol *, long argc, t_atom *argv) {
    if (argc > 0 && is_number(argv)) {
        store(x->active, static_cast<int32_t>(atom_getlong(argv)) != 0 ? int32_t{1} : int32_t{0});
        restart(x);
    }
}

double clamp(double v, double lo, double hi) {
    return v < lo ? lo : (v > hi ? hi : v);  // NaN stays NaN; the geometry takes it
}

t_max_err set_number(track_t *x, double &field, long argc, t_atom *argv, double lo, double hi,
                     bool restarts) {
    if (argc > 0 && is_number(argv)) {
        store(field, clamp(atom_getfloat(argv), lo, hi));
        if (restarts)
            rebuild(x);
    }
    return MAX_ERR_NONE;
}

t_max_err track_set_fmin(track_t *x, void *, long argc, t_atom *argv) {
    return set_number(x, x->fmin, argc, argv, 10.0, 20000.0, true);
}
t_max_err track_set_fmax(track_t *x, void *, long argc, t_atom *argv) {
    return set_number(x, x->fmax, argc, argv, 20.0, 20000.0, true);
}
t_max_err track_set_lag(track_t *x, void *, long argc, t_atom *argv) {
    return set_number(x, x->lag, argc, argv, 0.0, 5000.0, true);
}
t_max_err track_set_a4(track_t *x, void *, long argc, t_atom *argv) {
    return set_number(x, x->a4, argc, argv, 200.0, 1000.0, false);
}

t_max_err track_set_unit(track_t *x, void *, long argc, t_atom *argv) {
    if (argc > 0) {
        t_symbol *s = atom_getsym(argv);
        if (s == gensym("hz") || s == gensym("midi"))
            store(x->unit, s);
    }
    return MAX_ERR_NONE;
}

void *track_new(t_symbol *, long count, t_atom *argv) {
    track_t *x = static_cast<track_t *>(object_alloc(track_class));
    if (!x)
        return nullptr;
    const short argc = count < 0 ? 0 : (count > SHRT_MAX ? SHRT_MAX : static_cast<short>(count));
    x->fmin = 40.0;
    x->fmax = 2200.0;
    x->lag = 300.0;
    x->unit = gensym("hz");
    x->a4 = 440.0;
    x->active = 1;
    x->samplerate = 44100.0;
    x->param_version = x->epoch = x->applied_version = x->applied_epoch = 0;
    x->engine = nullptr;
    x->queued = 0;
    x->sounding = x->sounding_pitch = 0;
    x->sounding_epoch = 0;
    x->queue.head = x->queue.tail = 0;

    z_dsp_setup(&x->x_obj, 1);
    // Each outlet lands left of the ones before it: notes right, pitch left.
    x->notes_outlet = outlet_new(x, nullptr);
    x->voicing_outlet = floatout(x);
    x->pitch_outlet = floatout(x);
    x->clock = clock_new(x, reinterpret_cast<method>(track_output));

    attr_args_process(x, argc, argv);
    update_delay(x);
    // The first perform call builds the engine for the version it finds, whatever it is.
    x->applied_version = load(x->param_version) - 1;
    return x;
}

void track_free(track_t *x) {
    z_dsp_free(&x->x_obj);  // no perform call follows, so the engine is ours alone
    track_engine_free(x->engine);
    freeobject(x->clock);
}

}  // namespace

C74_EXPORT int main(void) {
    t_class *c =
        class_new("morv.track~", reinterpret_cast<method>(track_new),
                  reinterpret_cast<method>(track_free), sizeof(track_t), nullptr, A_GIMME, 0);
    class_dspinit(c);
    class_addmethod(c, reinterpret_cast<method>(track_dsp), "dsp64", A_CANT, 0);
    class_addmethod(c, reinterpret_cast<method>(track_dspstate), "dspstate", A_CANT, 0);
    class_addmethod(c, reinterpret_cast<method>(track_reset), "reset", 0);
    class_addmethod(c, reinterpret_cast<method>(track_active), "active", A_GIMME, 0);
    add_attribute(c, "fmin", "float64", 0, calcoffset(track_t, fmin), "Lowest Pitch",
                  reinterpret_cast<method>(track_set_fmin), "100");
    add_attribute(c, "fmax", "float64", 0, calcoffset(track_t, fmax), "Highest Pitch",
                  reinterpret_cast<method>(track_set_fmax), "101");
    add_attribute(c, "lag", "float64", 0, calcoffset(track_t, lag), "Decision Delay",
                  reinterpret_cast<method>(track_set_lag), "102");
    add_attribute(c, "unit", "symbol", 0, calcoffset(track_t, unit), "Pitch Unit",
                  reinterpret_cast<method>(track_set_unit), "103");
    add_attribute(c, "a4", "float64", 0, calcoffset(track_t, a4), "Tuning of A4",
                  reinterpret_cast<method>(track_set_a4), "104");
    add_attribute(c, "delay", "float64", ATTR_SET_OPAQUE | ATTR_SET_OPAQUE_USER,
                  calcoffset(track_t, delay), "Reporting Delay", nullptr, "105");
    post("morv.track~ %s: pitch tracks and notes", MORV_VERSION);
    post(
        "  by the morvkit developers, after the probabilistic YIN method of Mauch and Dixon "
        "(2014)");
    class_register(CLASS_BOX, c);
    track_class = c;
    return 0;
}
