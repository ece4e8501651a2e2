// dispatch.cpp - calling methods: by pointer arguments for the host's own calls, and by message
// from a patch, with the host's type checking and int/float conversion.

#include "host_internal.hpp"

namespace morvhost::detail {
namespace {

constexpr std::size_t kMaxCallArgs = 9;  // the object plus MSG_MAXARG + 1 typed slots

// Builds, one argument at a time, a call whose C signature matches what the method was bound
// with: pointer-sized integers and doubles each in their declared position.
template <class... A>
void *call_with(method fn, const CallArg *a, std::size_t n, A... acc) {
    if (n == 0)
        return reinterpret_cast<void *(*)(A...)>(fn)(acc...);
    if constexpr (sizeof...(A) < kMaxCallArgs) {
        if (a->is_double)
            return call_with(fn, a + 1, n - 1, acc..., a->d);
        return call_with(fn, a + 1, n - 1, acc..., a->p);
    } else {
        return nullptr;
    }
}

void *as_ptr(t_atom_long v) {
    return reinterpret_cast<void *>(static_cast<t_ptr_int>(v));
}

bool is_number(const t_atom &a) {
    return a.a_type == A_LONG || a.a_type == A_FLOAT;
}

}  // namespace

const char *convert_arguments(const std::vector<long> &types, long ac, const t_atom *av,
                              std::vector<CallArg> &args) {
    for (std::size_t i = 0; i < types.size(); ++i) {
        const long t = types[i];
        const t_atom *a = static_cast<long>(i) < ac ? &av[i] : nullptr;
        if (!a && t != A_DEFLONG && t != A_DEFFLOAT && t != A_DEFSYM)
            return "missing arguments";
        CallArg arg;
        switch (t) {
            case A_LONG:
            case A_DEFLONG:
                if (a && !is_number(*a))
                    return "bad arguments";
                arg.p = as_ptr(a ? atom_getlong(a) : 0);
                break;
            case A_FLOAT:
            case A_DEFFLOAT:
                if (a && !is_number(*a))
                    return "bad arguments";
                arg.is_double = true;
                arg.d = a ? atom_getfloat(a) : 0.0;
                break;
            case A_SYM:
            case A_DEFSYM:
                if (a && a->a_type != A_SYM)
                    return "bad arguments";
                arg.p = a ? a->a_w.w_sym : gensym("");
                break;
            case A_OBJ:  // never optional, so a is set
                if (a->a_type != A_OBJ)
                    return "bad arguments";
                arg.p = a->a_w.w_obj;
                break;
            default:
                return "unsupported argument type";
        }
        args.push_back(arg);
    }
    return nullptr;
}

void *call_method(method fn, const std::vector<CallArg> &args) {
    if (!fn || args.size() > kMaxCallArgs)
        return nullptr;
    return call_with(fn, args.data(), args.size());
}

std::optional<MethodEntry> find_method(const t_class *c, t_symbol *sel) {
    if (!c || !sel)
        return std::nullopt;
    std::shared_lock lock(class_mutex());
    auto it = c->methods.find(sel);
    if (it == c->methods.end())
        return std::nullopt;
    return it->second;
}

bool send_message(t_object *x, t_symbol *sel, long ac, const t_atom *av) {
    t_class *c = class_of(x);
    if (!c) {
        console_error(nullptr, "message to something that is not an object");
        return false;
    }
    if (!sel) {
        console_error(x, "message without a selector");
        return false;
    }
    if (ac < 0 || (ac > 0 && !av))
        ac = 0;
    auto m = find_method(c, sel);
    // The host converts between the two number messages when only one is bound.
    if (!m && sel == gensym("int"))
        m = find_method(c, gensym("float"));
    if (!m && sel == gensym("float"))
        m = find_method(c, gensym("int"));
    if (!m) {
        if (t_object *attr = find_attr(c, sel)) {
            if (attr_flags(attr) & (ATTR_SET_OPAQUE | ATTR_SET_OPAQUE_USER)) {
                console_error(x, "attribute \"%s\" cannot be set from a message", sel->s_name);
                return false;
            }
            return attr_set(x, attr, ac, av) == MAX_ERR_NONE;
        }
        m = find_method(c, gensym("anything"));
        if (!m || m->types.empty() || m->types[0] != A_GIMME) {
            console_error(x, "doesn't understand \"%s\"", sel->s_name);
            return false;
        }
    }
    std::vector<CallArg> args{{false, x, 0}};
    if (!m->types.empty() && m->types[0] == A_CANT) {
        console_error(x, "doesn't understand \"%s\"", sel->s_name);
        return false;
    }
    if (!m->types.empty() && (m->types[0] == A_GIMME || m->types[0] == A_GIMMEBACK)) {
        args.push_back({false, sel, 0});
        args.push_back({false, as_ptr(ac), 0});
        args.push_back({false, const_cast<t_atom *>(av), 0});
    } else {
        if (const char *why = convert_arguments(m->types, ac, av, args)) {
            console_error(x, "%s for message \"%s\"", why, sel->s_name);
            return false;
        }
    }
    call_method(m->fn, args);
    return true;
}

}  // namespace morvhost::detail

using namespace morvhost::detail;

void *object_method_imp(void *x, void *sym, void *p1, void *p2, void *p3, void *p4, void *p5,
                        void *p6, void *p7, void *p8) {
    auto *sel = static_cast<t_symbol *>(sym);
    t_class *c = class_of(x);
    if (!c || !sel) {
        console_error(nullptr, "object_method: null or invalid object or message name");
        return nullptr;
    }
    auto m = find_method(c, sel);
    if (!m) {
        console_error(static_cast<t_object *>(x), "doesn't understand \"%s\"", sel->s_name);
        return nullptr;
    }
    // The untyped call passes every argument as a pointer-sized value, as the SDK's macro does.
    using Untyped =
        void *(*)(void *, void *, void *, void *, void *, void *, void *, void *, void *);
    return reinterpret_cast<Untyped>(m->fn)(x, p1, p2, p3, p4, p5, p6, p7, p8);
}

method object_method_direct_getmethod(t_object *x, t_symbol *sym) {
    auto m = find_method(class_of(x), sym);
    return m ? m->fn : nullptr;
}

void *object_method_direct_getobject(t_object *x, t_symbol *sym) {
    return find_method(class_of(x), sym) ? x : nullptr;
}

method object_getmethod(void *x, t_symbol *s) {
    return object_method_direct_getmethod(static_cast<t_object *>(x), s);
}
