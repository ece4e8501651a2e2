// attributes.cpp - attributes stored at field offsets: the attribute objects, their metadata,
// the plain accessors, replaceable accessors ("setmethod") and "@name value..." box arguments.
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <limits>

#include "host_internal.hpp"

namespace morvhost::detail {
namespace {

struct AttrObj {
    t_object ob;
    t_symbol *name = nullptr;
    t_symbol *type = nullptr;
    long flags = 0;
    method getter = nullptr;  // null: the plain accessor
    method setter = nullptr;
    long offset = 0;
    std::vector<std::pair<t_symbol *, std::vector<t_atom>>> meta;  // attributes of the attribute
};

// The fields of an attribute that one access needs, read under the class lock.
struct AttrView {
    t_symbol *name;
    t_symbol *type;
    long offset;
    method getter;
    method setter;
};

AttrView view_of(const AttrObj *a) {
    std::shared_lock lock(class_mutex());
    return {a->name, a->type, a->offset, a->getter, a->setter};
}

// What the plain accessors know of each storage type.
enum class Storage { none, i8, i32, i64, long_, f32, f64, sym, obj, atom, i16 };

Storage storage_of(const t_symbol *type) {
    if (!type)
        return Storage::none;
    static const std::pair<const char *, Storage> known[] = {
        {"char", Storage::i8},      {"long", Storage::long_},  {"atom_long", Storage::i64},
        {"int32", Storage::i32},    {"float32", Storage::f32}, {"float64", Storage::f64},
        {"symbol", Storage::sym},   {"object", Storage::obj},  {"atom", Storage::atom},
        {"filepath", Storage::i16},
    };
    for (const auto &[name, s] : known)
        if (std::strcmp(type->s_name, name) == 0)
            return s;
    return Storage::none;
}

std::size_t size_of(Storage s) {
    switch (s) {
        case Storage::i8:
            return 1;
        case Storage::i16:
            return sizeof(t_filepath);
        case Storage::i32:
            return sizeof(t_int32);
        case Storage::i64:
            return sizeof(t_atom_long);
        case Storage::long_:
            return sizeof(long);
        case Storage::f32:
            return sizeof(float);
        case Storage::f64:
            return sizeof(double);
        case Storage::sym:
            return sizeof(t_symbol *);
        case Storage::obj:
            return sizeof(t_object *);
        case Storage::atom:
            return sizeof(t_atom);
        case Storage::none:
            return 0;
    }
    return 0;
}

bool is_numeric(Storage s) {
    return s == Storage::i8 || s == Storage::i16 || s == Storage::i32 || s == Storage::i64 ||
           s == Storage::long_ || s == Storage::f32 || s == Storage::f64;
}

template <class T>
T clamp_to(t_atom_long v) {
    if (v < static_cast<t_atom_long>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (v > static_cast<t_atom_long>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(v);
}

float to_float32(double d) {
    if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
        return d > 0 ? std::numeric_limits<float>::infinity()
                     : -std::numeric_limits<float>::infinity();
    return static_cast<float>(d);
}

template <class T>
void store(char *at, T v) {
    std::memcpy(at, &v, sizeof v);
}

template <class T>
T load(const char *at) {
    T v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

t_max_err plain_set(t_object *x, const AttrView &a, long ac, const t_atom *av) {
    const Storage s = storage_of(a.type);
    if (ac < 1 || !av) {
        console_error(x, "missing value for attribute \"%s\"", a.name->s_name);
        return MAX_ERR_GENERIC;
    }
    const t_atom &v = av[0];
    const bool number = v.a_type == A_LONG || v.a_type == A_FLOAT;
    if ((is_numeric(s) && !number) || (s == Storage::sym && v.a_type != A_SYM) ||
        (s == Storage::obj && v.a_type != A_OBJ)) {
        console_error(x, "bad value \"%s\" for attribute \"%s\" of type %s",
                      format_atoms(std::span(&v, 1)).c_str(), a.name->s_name, a.type->s_name);
        return MAX_ERR_GENERIC;
    }
    char *at = reinterpret_cast<char *>(x) + a.offset;
    switch (s) {
        case Storage::i8:
            store(at, clamp_to<char>(atom_getlong(&v)));
            break;
        case Storage::i16:
            store(at, clamp_to<t_filepath>(atom_getlong(&v)));
            break;
        case Storage::i32:
            store(at, clamp_to<t_int32>(atom_getlong(&v)));
            break;
        case Storage::i64:
            store(at, atom_getlong(&v));
            break;
        case Storage::long_:
            store(at, clamp_to<long>(atom_getlong(&v)));
            break;
        case Storage::f32:
            store(at, to_float32(atom_getfloat(&v)));
            break;
        case Storage::f64:
            store(at, atom_getfloat(&v));
            break;
        case Storage::sym:
            store(at, v.a_w.w_sym);
            break;
        case Storage::obj:
            store(at, v.a_w.w_obj);
            break;
        case Storage::atom:
            store(at, v);
            break;
        case Storage::none:
            console_error(x, "attribute \"%s\" has no plain accessor for type %s", a.name->s_name,
                          a.type->s_name);
            return MAX_ERR_GENERIC;
    }
    return MAX_ERR_NONE;
}

std::vector<t_atom> plain_get(t_object *x, const AttrView &a) {
    const char *at = reinterpret_cast<const char *>(x) + a.offset;
    switch (storage_of(a.type)) {
        case Storage::i8:
            return {make_long(load<char>(at))};
        case Storage::i16:
            return {make_long(load<t_filepath>(at))};
        case Storage::i32:
            return {make_long(load<t_int32>(at))};
        case Storage::i64:
            return {make_long(load<t_atom_long>(at))};
        case Storage::long_:
            return {make_long(load<long>(at))};
        case Storage::f32:
            return {make_float(load<float>(at))};
        case Storage::f64:
            return {make_float(load<double>(at))};
        case Storage::sym: {
            t_atom r{};
            atom_setsym(&r, load<t_symbol *>(at));
            return {r};
        }
        case Storage::obj: {
            t_atom r{};
            atom_setobj(&r, load<t_object *>(at));
            return {r};
        }
        case Storage::atom:
            return {load<t_atom>(at)};
        case Storage::none:
            break;
    }
    return {};
}

// ---- the attribute object's messages, sent untyped (pointer-sized arguments) ---------------

void *attr_setmethod(AttrObj *a, t_symbol *which, method fn) {
    std::unique_lock lock(class_mutex());
    if (which == gensym("get")) {
        a->getter = fn;
    } else if (which == gensym("set")) {
        a->setter = fn;
    } else {
        lock.unlock();
        console_error(nullptr, "setmethod: expected get or set, not \"%s\"",
                      which ? which->s_name : "");
    }
    return nullptr;
}

void *attr_getflags(AttrObj *a) {
    std::shared_lock lock(class_mutex());
    return reinterpret_cast<void *>(static_cast<t_ptr_int>(a->flags));
}

void *attr_setflags(AttrObj *a, void *flags) {
    std::unique_lock lock(class_mutex());
    a->flags = static_cast<long>(reinterpret_cast<t_ptr_int>(flags));
    return nullptr;
}

void *attr_gettype(AttrObj *a) {
    std::shared_lock lock(class_mutex());
    return a->type;
}

void *attr_getname(AttrObj *a) {
    std::shared_lock lock(class_mutex());
    return a->name;
}

void *attr_setname(AttrObj *a, t_symbol *name) {
    if (!name)
        return nullptr;
    std::unique_lock lock(class_mutex());
    a->name = name;
    return nullptr;
}

t_class *attr_class() {
    static t_class *c = [] {
        t_class *k = internal_class("attr_offset", sizeof(AttrObj), [](t_object *x) {
            reinterpret_cast<AttrObj *>(x)->~AttrObj();
        });
        class_addmethod(k, reinterpret_cast<method>(attr_setmethod), "setmethod", A_CANT, 0);
        class_addmethod(k, reinterpret_cast<method>(attr_getflags), "getflags", A_CANT, 0);
        class_addmethod(k, reinterpret_cast<method>(attr_setflags), "setflags", A_CANT, 0);
        class_addmethod(k, reinterpret_cast<method>(attr_gettype), "gettype", A_CANT, 0);
        class_addmethod(k, reinterpret_cast<method>(attr_getname), "getname", A_CANT, 0);
        class_addmethod(k, reinterpret_cast<method>(attr_setname), "setname", A_CANT, 0);
        return k;
    }();
    return c;
}

AttrObj *as_attr(const void *x) {
    return class_of(x) == attr_class() ? static_cast<AttrObj *>(const_cast<void *>(x)) : nullptr;
}

// The attribute named attrname of class c, for the metadata calls; null with a console error.
AttrObj *meta_target(t_class *c, const char *attrname, const char *what) {
    AttrObj *a = c && attrname ? as_attr(find_attr(c, gensym(attrname))) : nullptr;
    if (!a)
        console_error(nullptr, "%s: no attribute \"%s\" in class %s", what,
                      attrname ? attrname : "", c ? c->name.c_str() : "?");
    return a;
}

void set_meta(AttrObj *a, t_symbol *meta, std::vector<t_atom> value) {
    std::unique_lock lock(class_mutex());
    for (auto &[name, v] : a->meta) {
        if (name == meta) {
            v = std::move(value);
            return;
        }
    }
    a->meta.emplace_back(meta, std::move(value));
}

}  // namespace

t_object *find_attr(const t_class *c, t_symbol *name) {
    if (!c || !name)
        return nullptr;
    std::shared_lock lock(class_mutex());
    for (t_object *attr : c->attrs)
        if (reinterpret_cast<AttrObj *>(attr)->name == name)
            return attr;
    return nullptr;
}

long attr_flags(t_object *attr) {
    AttrObj *a = as_attr(attr);
    if (!a)
        return 0;
    std::shared_lock lock(class_mutex());
    return a->flags;
}

t_symbol *attr_name(t_object *attr) {
    AttrObj *a = as_attr(attr);
    if (!a)
        return nullptr;
    std::shared_lock lock(class_mutex());
    return a->name;
}

t_symbol *attr_type(t_object *attr) {
    AttrObj *a = as_attr(attr);
    if (!a)
        return nullptr;
    std::shared_lock lock(class_mutex());
    return a->type;
}

t_max_err attr_set(t_object *x, t_object *attr, long ac, const t_atom *av) {
    AttrObj *a = as_attr(attr);
    if (!a || !is_object(x))
        return MAX_ERR_INVALID_PTR;
    if (ac < 0 || (ac > 0 && !av))
        ac = 0;
    const AttrView v = view_of(a);
    if (v.setter) {
        void *r =
            call_method(v.setter, {{false, x, 0},
                                   {false, attr, 0},
                                   {false, reinterpret_cast<void *>(static_cast<t_ptr_int>(ac)), 0},
                                   {false, const_cast<t_atom *>(av), 0}});
        return static_cast<t_max_err>(reinterpret_cast<t_ptr_int>(r));
    }
    return plain_set(x, v, ac, av);
}

std::vector<t_atom> attr_get(t_object *x, t_object *attr) {
    AttrObj *a = as_attr(attr);
    if (!a || !is_object(x))
        return {};
    const AttrView v = view_of(a);
    if (!v.getter)
        return plain_get(x, v);
    // A getter fills memory that it is handed when both count and pointer are set.
    std::vector<t_atom> buf(64);
    long ac = static_cast<long>(buf.size());
    t_atom *av = buf.data();
    call_method(v.getter, {{false, x, 0}, {false, attr, 0}, {false, &ac, 0}, {false, &av, 0}});
    if (!av || ac <= 0)
        return {};
    if (av == buf.data() && ac > static_cast<long>(buf.size()))
        ac = static_cast<long>(buf.size());
    return std::vector<t_atom>(av, av + ac);
}

std::vector<t_atom> attr_meta(t_object *attr, t_symbol *meta) {
    AttrObj *a = as_attr(attr);
    if (!a)
        return {};
    std::shared_lock lock(class_mutex());
    for (const auto &[name, v] : a->meta)
        if (name == meta)
            return v;
    return {};
}

}  // namespace morvhost::detail

using namespace morvhost::detail;

t_object *attr_offset_new(C74_CONST char *name, C74_CONST t_symbol *type, long flags,
                          C74_CONST method mget, C74_CONST method mset, long offset) {
    if (!name || !*name || !type) {
        console_error(nullptr, "attr_offset_new: an attribute needs a name and a type");
        return nullptr;
    }
    if (offset < 0) {
        console_error(nullptr, "attr_offset_new: %s: negative offset", name);
        return nullptr;
    }
    auto *a = new_internal<AttrObj>(attr_class());
    if (!a)
        return nullptr;
    a->name = gensym(name);
    a->type = const_cast<t_symbol *>(type);
    a->flags = flags;
    a->getter = mget;
    a->setter = mset;
    a->offset = offset;
    return &a->ob;
}

t_max_err class_addattr(t_class *c, t_object *attr) {
    AttrObj *a = as_attr(attr);
    if (!c || !a) {
        console_error(nullptr, "class_addattr: null class or not an attribute");
        return MAX_ERR_INVALID_PTR;
    }
    const std::size_t size = size_of(storage_of(a->type));
    const bool custom = a->getter && a->setter;
    if (!custom && size == 0) {
        console_error(nullptr, "class_addattr: %s: attribute \"%s\" has unknown type %s",
                      c->name.c_str(), a->name->s_name, a->type->s_name);
        return MAX_ERR_GENERIC;
    }
    if (static_cast<std::size_t>(a->offset) + size > static_cast<std::size_t>(c->size)) {
        console_error(nullptr, "class_addattr: %s: attribute \"%s\" lies outside the instance",
                      c->name.c_str(), a->name->s_name);
        return MAX_ERR_GENERIC;
    }
    if (find_attr(c, a->name)) {
        console_error(nullptr, "class_addattr: %s: attribute \"%s\" already exists",
                      c->name.c_str(), a->name->s_name);
        return MAX_ERR_DUPLICATE;
    }
    std::unique_lock lock(class_mutex());
    c->attrs.push_back(attr);
    return MAX_ERR_NONE;
}

void *class_attr_get(t_class *x, t_symbol *attrname) {
    return find_attr(x, attrname);
}

t_max_err class_attr_addattr_parse(t_class *c, C74_CONST char *attrname, C74_CONST char *attrname2,
                                   t_symbol *type, long, C74_CONST char *parsestr) {
    AttrObj *a = meta_target(c, attrname, "class_attr_addattr_parse");
    if (!a || !attrname2)
        return MAX_ERR_GENERIC;
    const char *text = parsestr ? parsestr : "";
    std::vector<t_atom> value;
    if (type == gensym("symbol")) {
        t_atom s{};
        atom_setsym(&s, gensym(text));  // a symbol value is the whole text, spaces included
        value.push_back(s);
    } else {
        value = morvhost::parse_atoms(text);
        const Storage st = storage_of(type);
        for (t_atom &v : value) {
            if (st == Storage::f32 || st == Storage::f64) {
                if (v.a_type == A_LONG)
                    atom_setfloat(&v, atom_getfloat(&v));
            } else if (is_numeric(st) && v.a_type == A_FLOAT) {
                atom_setlong(&v, atom_getlong(&v));
            }
        }
    }
    set_meta(a, gensym(attrname2), std::move(value));
    return MAX_ERR_NONE;
}

t_max_err class_attr_addattr_format(t_class *c, C74_CONST char *attrname, C74_CONST char *attrname2,
                                    C74_CONST t_symbol *, long, C74_CONST char *fmt, ...) {
    AttrObj *a = meta_target(c, attrname, "class_attr_addattr_format");
    if (!a || !attrname2 || !fmt)
        return MAX_ERR_GENERIC;
    std::vector<t_atom> value;
    va_list ap;
    va_start(ap, fmt);
    t_max_err err = MAX_ERR_NONE;
    for (const char *f = fmt; *f && err == MAX_ERR_NONE; ++f) {
        t_atom v{};
        switch (*f) {
            case 's':
                atom_setsym(&v, va_arg(ap, t_symbol *));
                break;
            case 'l':
                atom_setlong(&v, va_arg(ap, t_atom_long));
                break;
            case 'c':
                atom_setlong(&v, static_cast<char>(va_arg(ap, int)));
                break;
            case 'f':
            case 'd':
                atom_setfloat(&v, va_arg(ap, double));
                break;
            case 'o':
                atom_setobj(&v, va_arg(ap, void *));
                break;
            case 'a': {
                const t_atom *p = va_arg(ap, t_atom *);
                if (p)
                    v = *p;
                break;
            }
            case ' ':
                continue;
            default:
                console_error(nullptr, "class_addattr_format: unsupported format token '%c'", *f);
                err = MAX_ERR_GENERIC;
                continue;
        }
        value.push_back(v);
    }
    va_end(ap);
    if (err == MAX_ERR_NONE)
        set_meta(a, gensym(attrname2), std::move(value));
    return err;
}

t_max_err object_attr_setobj(void *x, t_symbol *s, t_object *o) {
    t_object *attr = find_attr(class_of(x), s);
    if (!attr) {
        console_error(is_object(x) ? static_cast<t_object *>(x) : nullptr,
                      "object_attr_setobj: no attribute \"%s\"", s ? s->s_name : "");
        return MAX_ERR_INVALID_PTR;
    }
    t_atom v{};
    atom_setobj(&v, o);
    return attr_set(static_cast<t_object *>(x), attr, 1, &v);
}

t_object *object_attr_getobj(void *x, t_symbol *s) {
    t_object *attr = find_attr(class_of(x), s);
    if (!attr) {
        console_error(is_object(x) ? static_cast<t_object *>(x) : nullptr,
                      "object_attr_getobj: no attribute \"%s\"", s ? s->s_name : "");
        return nullptr;
    }
    std::vector<t_atom> v = attr_get(static_cast<t_object *>(x), attr);
    return !v.empty() && v[0].a_type == A_OBJ ? v[0].a_w.w_obj : nullptr;
}

namespace {

bool is_attr_name(const t_atom &a) {
    return a.a_type == A_SYM && a.a_w.w_sym && a.a_w.w_sym->s_name[0] == '@';
}

}  // namespace

long attr_args_offset(short ac, t_atom *av) {
    if (ac <= 0 || !av)
        return 0;
    for (short i = 0; i < ac; ++i)
        if (is_attr_name(av[i]))
            return i;
    return ac;
}

void attr_args_process(void *x, short ac, t_atom *av) {
    t_class *c = class_of(x);
    if (!c) {
        console_error(nullptr, "attr_args_process: not an object");
        return;
    }
    auto *ob = static_cast<t_object *>(x);
    for (long i = attr_args_offset(ac, av); i < ac;) {
        const char *name = av[i].a_w.w_sym->s_name + 1;
        long first = ++i;
        while (i < ac && !is_attr_name(av[i])) ++i;
        t_object *attr = *name ? find_attr(c, gensym(name)) : nullptr;
        if (!attr) {
            console_error(ob, "no attribute named \"%s\"", name);
            continue;
        }
        attr_set(ob, attr, i - first, i > first ? &av[first] : nullptr);
    }
}
