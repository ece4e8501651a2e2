/*
 * ext_obex.h - classes, objects, attributes, atoms and message dispatch.
 *
 * Same names, signatures and macros as the vendor's SDK; see ext.h for the contract.
 */
#ifndef MORV_SEAM_EXT_OBEX_H
#define MORV_SEAM_EXT_OBEX_H

#include "ext.h"

#define CLASS_BOX gensym("box")
#define CLASS_NOBOX gensym("nobox")

enum e_max_attrflags {
    ATTR_FLAGS_NONE = 0x0000,
    ATTR_GET_OPAQUE = 0x0001,
    ATTR_SET_OPAQUE = 0x0002,
    ATTR_GET_OPAQUE_USER = 0x0100,
    ATTR_SET_OPAQUE_USER = 0x0200
};

BEGIN_USING_C_LINKAGE

/* Classes and objects. */
t_class *class_new(C74_CONST char *name, C74_CONST method mnew, C74_CONST method mfree, long size,
                   C74_CONST method mmenu, short type, ...);
t_max_err class_addmethod(t_class *c, C74_CONST method m, C74_CONST char *name, ...);
t_max_err class_register(t_symbol *name_space, t_class *c);
t_max_err class_addattr(t_class *c, t_object *attr);
void *class_attr_get(t_class *x, t_symbol *attrname);
t_max_err class_attr_addattr_parse(t_class *c, C74_CONST char *attrname, C74_CONST char *attrname2,
                                   t_symbol *type, long flags, C74_CONST char *parsestr);
t_max_err class_attr_addattr_format(t_class *c, C74_CONST char *attrname, C74_CONST char *attrname2,
                                    C74_CONST t_symbol *type, long flags, C74_CONST char *fmt, ...);
void *object_alloc(t_class *c);
void *object_new_typed(t_symbol *name_space, t_symbol *classname, long ac, t_atom *av);
t_max_err object_free(void *x);

/* Messages.  On 64-bit builds object_method is a macro over object_method_imp, which is the
 * symbol a module links against. */
void *object_method_imp(void *x, void *sym, void *p1, void *p2, void *p3, void *p4, void *p5,
                        void *p6, void *p7, void *p8);
method object_method_direct_getmethod(t_object *x, t_symbol *sym);
void *object_method_direct_getobject(t_object *x, t_symbol *sym);
method object_getmethod(void *x, t_symbol *s);

#define C74_OBJECT_METHOD_ARGS_(x, s, p1, p2, p3, p4, p5, p6, p7, p8, ...)                        \
    object_method_imp((void *)(x), (void *)(s), (void *)(t_ptr_int)(p1), (void *)(t_ptr_int)(p2), \
                      (void *)(t_ptr_int)(p3), (void *)(t_ptr_int)(p4), (void *)(t_ptr_int)(p5),  \
                      (void *)(t_ptr_int)(p6), (void *)(t_ptr_int)(p7), (void *)(t_ptr_int)(p8))
#define object_method(...) C74_OBJECT_METHOD_ARGS_(__VA_ARGS__, 0, 0, 0, 0, 0, 0, 0, 0, 0)

#define object_method_direct(rt, sig, x, s, ...)                       \
    ((rt(*) sig)object_method_direct_getmethod((t_object *)(x), (s)))( \
        (t_object *)object_method_direct_getobject((t_object *)(x), (s)), __VA_ARGS__)

/* Attributes. */
t_object *attr_offset_new(C74_CONST char *name, C74_CONST t_symbol *type, long flags,
                          C74_CONST method mget, C74_CONST method mset, long offset);
long attr_args_offset(short ac, t_atom *av);
void attr_args_process(void *x, short ac, t_atom *av);
t_max_err object_attr_setobj(void *x, t_symbol *s, t_object *o);
t_object *object_attr_getobj(void *x, t_symbol *s);

/* Atoms. */
t_atom_long atom_getlong(C74_CONST t_atom *a);
t_atom_float atom_getfloat(C74_CONST t_atom *a);
t_symbol *atom_getsym(C74_CONST t_atom *a);
long atom_gettype(C74_CONST t_atom *a);
t_max_err atom_setlong(t_atom *a, t_atom_long b);
t_max_err atom_setfloat(t_atom *a, double b);
t_max_err atom_setsym(t_atom *a, t_symbol *b);
t_max_err atom_setobj(t_atom *a, void *b);

/* Atom arrays. */
t_atomarray *atomarray_new(long ac, t_atom *av);
void atomarray_appendatom(t_atomarray *x, t_atom *a);
t_max_err atomarray_getatoms(t_atomarray *x, long *ac, t_atom **av);

END_USING_C_LINKAGE

#endif
