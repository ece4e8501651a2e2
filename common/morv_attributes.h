// morv_attributes - the attribute and argument helpers every external here registers with.
//
// Contract: add_attribute declares an attribute stored at `offset` in the record, with the
// host's own getter, the given setter (null: the host's), its inspector label and its order;
// `flags` as the host's attribute flags (ATTR_SET_OPAQUE_USER: read-only for a patch).
// is_number says whether an atom is an integer or a float.  Host interface only.
#pragma once

#include "ext.h"
#include "ext_obex.h"

namespace morv {

inline bool is_number(const t_atom *a) {
    const long type = atom_gettype(a);
    return type == A_LONG || type == A_FLOAT;
}

inline void add_attribute(t_class *c, const char *name, const char *type, long flags, long offset,
                          const char *label, method setter, const char *order) {
    class_addattr(c, attr_offset_new(name, gensym(type), flags, nullptr, nullptr, offset));
    class_attr_addattr_format(c, name, "label", gensym("symbol"), 0, "s", gensym_tr(label));
    void *attr = class_attr_get(c, gensym(name));
    object_method(attr, gensym("setmethod"), gensym("get"), nullptr);
    object_method(attr, gensym("setmethod"), gensym("set"), setter);
    class_attr_addattr_parse(c, name, "order", gensym("long"), 0, order);
}

}  // namespace morv
