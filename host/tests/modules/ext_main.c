/* A test external with the current entry `ext_main`: a typed constructor (int, float, symbol,
 * each with a default) and a "float" method that scales its input onto a float outlet. */
#include "ext.h"

typedef struct {
    t_object ob;
    t_atom_long gain;
    double offset;
    t_symbol *name;
    void *out;
} ext_main_t;

static t_class *ext_main_class;

static void *ext_main_new(t_atom_long gain, double offset, t_symbol *name) {
    ext_main_t *x = (ext_main_t *)object_alloc(ext_main_class);
    if (!x)
        return 0;
    x->gain = gain;
    x->offset = offset;
    x->name = name;
    x->out = floatout(x);
    object_post((t_object *)x, "made %s", name->s_name);
    return x;
}

static void ext_main_float(ext_main_t *x, double f) {
    outlet_float(x->out, f * (double)x->gain + x->offset);
}

void ext_main(void *r) {
    (void)r;
    ext_main_class =
        class_new("morvtest.extmain", (method)ext_main_new, (method)0, (long)sizeof(ext_main_t),
                  (method)0, A_DEFLONG, A_DEFFLOAT, A_DEFSYM, 0);
    class_addmethod(ext_main_class, (method)ext_main_float, "float", A_FLOAT, 0);
    class_register(CLASS_BOX, ext_main_class);
}
