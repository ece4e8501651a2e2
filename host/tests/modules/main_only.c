/* A test external with only the legacy entry `main`: a class with nothing but a constructor. */
#include "ext.h"

static t_class *main_only_class;

static void *main_only_new(t_symbol *s, long argc, t_atom *argv) {
    (void)s;
    (void)argc;
    (void)argv;
    return object_alloc(main_only_class);
}

C74_EXPORT int main(void);

int main(void) {
    main_only_class = class_new("morvtest.mainonly", (method)main_only_new, (method)0,
                                (long)sizeof(t_object), (method)0, A_GIMME, 0);
    class_register(CLASS_BOX, main_only_class);
    post("morvtest.mainonly registered");
    return 0;
}
