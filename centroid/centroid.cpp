// centroid.cpp - the host-facing side of morv.centroid~: registration, construction and
// destruction, dsp64 (which picks a kernel by the connected inlets), labels, double click and
// file usage.  Only ext_main is exported; the host reaches everything else through the class.
#include "ext.h"
#include "ext_obex.h"
#include "z_dsp.h"

#include <cstring>

#include "centroid.h"
#include "centroid_kernels.h"

namespace {

t_class *centroid_class = nullptr;
t_symbol *pfft_symbol = nullptr;

const char *const missing_companion = "morvkit is missing some key element, check the error above!";
const char *const default_label = "not connected, you might wanna do something about that;-)";

void centroid_free(centroid_t *x);

void *centroid_new(t_symbol *, long, t_atom *) {
    auto *x = static_cast<centroid_t *>(object_alloc(centroid_class));
    if (x == nullptr) {
        return nullptr;
    }
    z_dsp_setup(&x->x_obj, 2);
    x->x_obj.z_misc = Z_NO_INPLACE;  // the kernels must read every bin before writing any
    outlet_new(x, "signal");
    x->pfft_host = pfft_symbol->s_thing;  // set only while a pfft~ builds its inner patch
    t_object *companion =
        static_cast<t_object *>(object_new_typed(CLASS_NOBOX, gensym("morv.splash"), 0, nullptr));
    if (companion == nullptr) {
        object_error(reinterpret_cast<t_object *>(x), missing_companion);
        object_free(x);
        return nullptr;
    }
    object_attr_setobj(x, gensym("splash"), companion);
    return x;
}

void centroid_free(centroid_t *x) {
    // Leave the signal graph before anything the perform routine might touch goes away.
    z_dsp_free(&x->x_obj);
    t_object *companion = object_attr_getobj(x, gensym("splash"));
    if (companion == nullptr) {
        return;
    }
    object_method(companion, gensym("close"));
    object_free(companion);
}

void centroid_dsp64(centroid_t *x, t_object *dsp64, short *count, double samplerate, long, long) {
    // A container may be bound only after construction (an inner patch built in stages), so
    // look again until one is found; once found it stays.
    if (x->pfft_host == nullptr) {
        x->pfft_host = pfft_symbol->s_thing;
    }
    if (x->pfft_host == nullptr) {
        x->input_mode = 0;
        return;
    }
    // Everything the kernel reads is stored before the kernel is handed over.
    x->samplerate = samplerate;
    if (count[0] == 0) {
        x->input_mode = 0;
        return;
    }
    t_perfroutine64 routine;
    if (count[1] != 0) {
        x->input_mode = 2;
        routine = centroid_perform_complex;
    } else {
        x->input_mode = 1;
        routine = centroid_perform_amplitude;
    }
    t_symbol *add = gensym("dsp_add64");
    object_method_direct(void, (t_object *, t_object *, t_perfroutine64, long, void *), dsp64, add,
                         reinterpret_cast<t_object *>(x), routine, 0, nullptr);
}

const char *inlet_label(int32_t input_mode, long index) {
    if (input_mode == 2) {
        if (index == 0) {
            return "(signal) Real / X Input";
        }
        if (index == 1) {
            return "(signal) Imaginary / Y Input";
        }
    } else if (input_mode == 1) {
        return index == 0 ? "(signal) Amplitude Input (or Root Amplitude Input)"
                          : "Nothing Expected Here, Unless You Want to Provide Imaginary Input";
    }
    return default_label;
}

void centroid_assist(centroid_t *x, void *, long kind, long index, char *text) {
    const char *label;
    if (kind == ASSIST_INLET) {
        label = inlet_label(x->input_mode, index);
    } else {
        label = index == 0 ? "(signal) Spectral Centroid (in Hz)" : default_label;
    }
    // Copy only the label and its terminator: the longest is 66 bytes, well inside even the
    // smallest buffer a host is known to pass (256), and nothing beyond it is touched.
    std::memcpy(text, label, std::strlen(label) + 1);
}

void centroid_dblclick(centroid_t *x) {
    t_object *companion = object_attr_getobj(x, gensym("splash"));
    if (companion == nullptr) {
        object_error(reinterpret_cast<t_object *>(x), missing_companion);
        return;
    }
    object_method(companion, gensym("open"));
}

void centroid_fileusage(centroid_t *, void *usage) {
    t_atomarray *subfolders = atomarray_new(0, nullptr);
    t_atom folder;
    atom_setsym(&folder, gensym("extensions"));
    atomarray_appendatom(subfolders, &folder);
    // The host takes the array over.
    fileusage_addpackage(usage, "morvkit", subfolders);
}

}  // namespace

extern "C" C74_EXPORT void ext_main(void *) {
    t_class *c = class_new("morv.centroid~", reinterpret_cast<method>(centroid_new),
                           reinterpret_cast<method>(centroid_free),
                           static_cast<long>(sizeof(centroid_t)), nullptr, A_GIMME, 0);
    class_addmethod(c, reinterpret_cast<method>(centroid_dblclick), "dblclick", A_CANT, 0);
    class_addmethod(c, reinterpret_cast<method>(centroid_fileusage), "fileusage", A_CANT, 0);
    class_dspinit(c);
    class_addmethod(c, reinterpret_cast<method>(centroid_dsp64), "dsp64", A_CANT, 0);
    class_addmethod(c, reinterpret_cast<method>(centroid_assist), "assist", A_CANT, 0);
    class_addattr(c, attr_offset_new("splash", gensym("object"), 0, nullptr, nullptr,
                                     static_cast<long>(calcoffset(centroid_t, splash))));
    class_attr_addattr_parse(c, "splash", "invisible", gensym("long"), 0, "1");
    pfft_symbol = gensym("__pfft~__");
    centroid_class = c;
    class_register(CLASS_BOX, c);
}
