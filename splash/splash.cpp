// splash.cpp - morv.splash, the package's companion object.  Every morv.centroid~ owns one and
// asks it to "open" on a double click and to "close" before freeing it.  Opening shows the
// package's name, version and a one-line description on the console.  Only ext_main is exported.
#include "ext.h"
#include "ext_obex.h"
#include "morv_version.h"

namespace {

struct splash_t {
    t_object ob;
};

t_class *splash_class = nullptr;

void *splash_new(t_symbol *, long, t_atom *) {
    return object_alloc(splash_class);
}

void splash_open(splash_t *x) {
    // Shown again on every open: a double click is the user asking to see it now.
    object_post(&x->ob, "%s %s: %s", "morvkit", MORV_VERSION, MORV_DESCRIPTION);
}

// What "open" showed is a console line, part of the console's history like any other: the splash
// holds nothing to take back, so "close" (also when nothing is open) only has to be understood.
void splash_close(splash_t *) {}

}  // namespace

extern "C" C74_EXPORT void ext_main(void *) {
    t_class *c = class_new("morv.splash", reinterpret_cast<method>(splash_new), nullptr,
                           static_cast<long>(sizeof(splash_t)), nullptr, A_GIMME, 0);
    class_addmethod(c, reinterpret_cast<method>(splash_open), "open", 0);
    class_addmethod(c, reinterpret_cast<method>(splash_close), "close", 0);
    splash_class = c;
    class_register(CLASS_NOBOX, c);
}
