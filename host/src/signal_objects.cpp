// signal_objects.cpp - the signal-object header: z_dsp_setup, z_dsp_free and the standard
// methods that class_dspinit adds to every signal class.
#include <atomic>

#include "host_internal.hpp"

namespace morvhost::detail {
namespace {

// More signal inlets than this is a corrupt argument, not a real object.
constexpr long kMaxSignalInlets = 1024;

void *dsp_signal(t_object *) {
    return nullptr;
}
void *dsp_userconnect(t_object *) {
    return nullptr;
}

void *dsp_nsiginlets(t_object *x) {
    ObjectRecord *rec = record_of(x);
    return reinterpret_cast<void *>(static_cast<t_ptr_int>(rec ? rec->signal_inlets : 0));
}

void dsp_enable(t_object *x, t_atom_long on) {
    ObjectRecord *rec = record_of(x);
    if (!rec || !rec->is_signal)
        return;
    // The audio thread reads the flag while this runs.
    std::atomic_ref<long>(reinterpret_cast<t_pxobject *>(x)->z_disabled)
        .store(on ? 0 : 1, std::memory_order_relaxed);
}

}  // namespace

void set_dsp_enabled(t_object *x, bool on) {
    dsp_enable(x, on ? 1 : 0);
}

}  // namespace morvhost::detail

using namespace morvhost::detail;

void class_dspinit(t_class *c) {
    if (!c) {
        console_error(nullptr, "class_dspinit: null class");
        return;
    }
    class_addmethod(c, reinterpret_cast<method>(dsp_signal), "signal", A_CANT, 0);
    class_addmethod(c, reinterpret_cast<method>(dsp_userconnect), "userconnect", A_CANT, 0);
    class_addmethod(c, reinterpret_cast<method>(dsp_nsiginlets), "nsiginlets", A_CANT, 0);
    class_addmethod(c, reinterpret_cast<method>(dsp_enable), "enable", A_LONG, 0);
}

void z_dsp_setup(t_pxobject *x, long nsignals) {
    ObjectRecord *rec = record_of(x);
    if (!rec) {
        console_error(nullptr, "z_dsp_setup: not an object");
        return;
    }
    if (rec->cls->size < static_cast<long>(sizeof(t_pxobject))) {
        console_error(&x->z_ob, "z_dsp_setup: the instance is too small for a signal header");
        return;
    }
    if (nsignals < 0 || nsignals > kMaxSignalInlets) {
        console_error(&x->z_ob, "z_dsp_setup: bad signal inlet count %ld", nsignals);
        nsignals = nsignals < 0 ? 0 : kMaxSignalInlets;
    }
    x->z_in = 0;
    x->z_proxy = nullptr;
    x->z_disabled = 0;
    x->z_count = static_cast<short>(nsignals);
    rec->is_signal = true;
    rec->signal_inlets = nsignals;
}

void z_dsp_free(t_pxobject *x) {
    if (!is_object(x)) {
        console_error(nullptr, "z_dsp_free: not an object");
        return;
    }
    detach_from_dsp(&x->z_ob);
}
