// canvas_queries.cpp - reading a Pd patch's connections and block~ objects.
#include "canvas_queries.h"

#include "g_canvas.h"
extern "C" {
#include "m_imp.h"  // the one Pd header without C++ guards of its own
}

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace morv::pd {

namespace {

bool is_block_object(const t_object *object) {
    const char *name = class_getname(pd_class(&object->te_pd));
    return std::strcmp(name, "block~") == 0 || std::strcmp(name, "switch~") == 0;
}

// The number an argument atom stands for in `canvas`, or NaN when it is none.
double argument_value(t_glist *canvas, const t_atom &atom) {
    if (atom.a_type == A_FLOAT) {
        return atom.a_w.w_float;
    }
    if (atom.a_type != A_DOLLAR) {
        return NAN;
    }
    char text[32];
    std::snprintf(text, sizeof text, "$%d", atom.a_w.w_index);
    const t_symbol *value = canvas_realizedollar(canvas, gensym(text));
    char *end = nullptr;
    const double number = std::strtod(value->s_name, &end);
    return (end != value->s_name && *end == '\0') ? number : NAN;
}

// The overlap of the block~ or switch~ in `canvas`, 1 when there is none.  Like block~ itself,
// anything below 1 (or not a number) counts as 1.
double overlap_of(t_glist *canvas) {
    for (t_gobj *g = canvas->gl_list; g != nullptr; g = g->g_next) {
        const t_object *object = pd_checkobject(&g->g_pd);
        if (object == nullptr || !is_block_object(object)) {
            continue;
        }
        const int count = binbuf_getnatom(object->te_binbuf);
        const t_atom *args = binbuf_getvec(object->te_binbuf);
        const double overlap = count > 2 ? argument_value(canvas, args[2]) : 1.0;
        return (overlap >= 1.0 && std::isfinite(overlap)) ? overlap : 1.0;
    }
    return 1.0;
}

}  // namespace

bool inlet_has_signal(t_glist *canvas, const t_object *object, int inlet) {
    for (t_gobj *g = canvas->gl_list; g != nullptr; g = g->g_next) {
        const t_object *source = pd_checkobject(&g->g_pd);
        if (source == nullptr) {
            continue;
        }
        for (int outno = 0; outno < obj_noutlets(source); ++outno) {
            if (!obj_issignaloutlet(source, outno)) {
                continue;
            }
            t_outlet *outlet = nullptr;
            for (t_outconnect *c = obj_starttraverseoutlet(source, &outlet, outno); c != nullptr;) {
                t_object *dest = nullptr;
                t_inlet *dest_inlet = nullptr;
                int which = 0;
                c = obj_nexttraverseoutlet(c, &dest, &dest_inlet, &which);
                if (dest == object && which == inlet) {
                    return true;
                }
            }
        }
    }
    return false;
}

double frame_rate(t_glist *canvas, t_float signal_rate) {
    double rate = signal_rate;
    for (t_glist *c = canvas; c != nullptr; c = c->gl_owner) {
        rate /= overlap_of(c);
    }
    return rate;
}

}  // namespace morv::pd
