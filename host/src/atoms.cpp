// atoms.cpp - atom accessors, atom arrays, and the text form of atoms.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "host_internal.hpp"

namespace morvhost::detail {
namespace {

struct AtomArray {
    t_object ob;
    std::vector<t_atom> atoms;
};

t_class *atomarray_class() {
    static t_class *c = internal_class("atomarray", sizeof(AtomArray), [](t_object *x) {
        reinterpret_cast<AtomArray *>(x)->~AtomArray();
    });
    return c;
}

AtomArray *as_atomarray(void *x) {
    return class_of(x) == atomarray_class() ? static_cast<AtomArray *>(x) : nullptr;
}

// Float to the host's integer by truncation, without undefined behaviour for NaN or overflow.
t_atom_long truncate_to_long(double f) {
    if (std::isnan(f))
        return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<t_atom_long>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<t_atom_long>::max());
    if (f <= lo)
        return std::numeric_limits<t_atom_long>::min();
    if (f >= hi)
        return std::numeric_limits<t_atom_long>::max();
    return static_cast<t_atom_long>(f);
}

}  // namespace

std::vector<t_atom> atomarray_contents(void *x) {
    AtomArray *a = as_atomarray(x);
    return a ? a->atoms : std::vector<t_atom>{};
}

}  // namespace morvhost::detail

using namespace morvhost::detail;

t_atom_long atom_getlong(C74_CONST t_atom *a) {
    if (!a)
        return 0;
    if (a->a_type == A_LONG)
        return a->a_w.w_long;
    if (a->a_type == A_FLOAT)
        return truncate_to_long(a->a_w.w_float);
    return 0;
}

t_atom_float atom_getfloat(C74_CONST t_atom *a) {
    if (!a)
        return 0;
    if (a->a_type == A_FLOAT)
        return a->a_w.w_float;
    if (a->a_type == A_LONG)
        return static_cast<t_atom_float>(a->a_w.w_long);
    return 0;
}

t_symbol *atom_getsym(C74_CONST t_atom *a) {
    if (a && a->a_type == A_SYM && a->a_w.w_sym)
        return a->a_w.w_sym;
    return gensym("");
}

long atom_gettype(C74_CONST t_atom *a) {
    return a ? a->a_type : long{A_NOTHING};
}

t_max_err atom_setlong(t_atom *a, t_atom_long b) {
    if (!a)
        return MAX_ERR_INVALID_PTR;
    a->a_type = A_LONG;
    a->a_w.w_long = b;
    return MAX_ERR_NONE;
}

t_max_err atom_setfloat(t_atom *a, double b) {
    if (!a)
        return MAX_ERR_INVALID_PTR;
    a->a_type = A_FLOAT;
    a->a_w.w_float = b;
    return MAX_ERR_NONE;
}

t_max_err atom_setsym(t_atom *a, t_symbol *b) {
    if (!a)
        return MAX_ERR_INVALID_PTR;
    a->a_type = A_SYM;
    a->a_w.w_sym = b ? b : gensym("");
    return MAX_ERR_NONE;
}

t_max_err atom_setobj(t_atom *a, void *b) {
    if (!a)
        return MAX_ERR_INVALID_PTR;
    a->a_type = A_OBJ;
    a->a_w.w_obj = static_cast<t_object *>(b);
    return MAX_ERR_NONE;
}

t_atomarray *atomarray_new(long ac, t_atom *av) {
    auto *a = new_internal<AtomArray>(atomarray_class());
    if (!a)
        return nullptr;
    if (ac > 0 && av)
        a->atoms.assign(av, av + ac);
    return reinterpret_cast<t_atomarray *>(a);
}

void atomarray_appendatom(t_atomarray *x, t_atom *a) {
    AtomArray *arr = as_atomarray(x);
    if (!arr || !a) {
        console_error(nullptr, "atomarray_appendatom: null or invalid array or atom");
        return;
    }
    arr->atoms.push_back(*a);
}

t_max_err atomarray_getatoms(t_atomarray *x, long *ac, t_atom **av) {
    AtomArray *arr = as_atomarray(x);
    if (!arr || !ac || !av)
        return MAX_ERR_INVALID_PTR;
    *ac = static_cast<long>(arr->atoms.size());
    *av = arr->atoms.empty() ? nullptr : arr->atoms.data();
    return MAX_ERR_NONE;
}

namespace morvhost {

t_atom make_long(t_atom_long v) {
    t_atom a{};
    atom_setlong(&a, v);
    return a;
}

t_atom make_float(double v) {
    t_atom a{};
    atom_setfloat(&a, v);
    return a;
}

t_atom make_sym(std::string_view s) {
    t_atom a{};
    atom_setsym(&a, gensym(std::string(s).c_str()));
    return a;
}

namespace {

// A token is a number when it parses completely and starts like one ("inf" and "nan" stay
// symbols, as a user typing them means a name).
t_atom parse_token(std::string_view tok) {
    const char c = tok[0];
    const bool numeric_start = (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
    if (numeric_start) {
        std::string_view digits = tok[0] == '+' ? tok.substr(1) : tok;
        t_atom_long l = 0;
        auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), l);
        if (ec == std::errc() && p == digits.data() + digits.size() && !digits.empty())
            return make_long(l);
        std::string s(tok);
        char *end = nullptr;
        double d = std::strtod(s.c_str(), &end);
        if (end == s.c_str() + s.size() && std::isfinite(d))
            return make_float(d);
    }
    return make_sym(tok);
}

}  // namespace

std::vector<t_atom> parse_atoms(std::string_view text) {
    std::vector<t_atom> atoms;
    std::size_t i = 0;
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (i < text.size()) {
        while (i < text.size() && space(text[i])) ++i;
        std::size_t start = i;
        while (i < text.size() && !space(text[i])) ++i;
        if (i > start)
            atoms.push_back(parse_token(text.substr(start, i - start)));
    }
    return atoms;
}

std::string format_atoms(std::span<const t_atom> atoms) {
    std::string out;
    for (const t_atom &a : atoms) {
        if (!out.empty())
            out += ' ';
        char buf[64];
        switch (a.a_type) {
            case A_LONG: {
                auto r = std::to_chars(buf, buf + sizeof buf, a.a_w.w_long);
                out.append(buf, r.ptr);
                break;
            }
            case A_FLOAT: {
                auto r = std::to_chars(buf, buf + sizeof buf, a.a_w.w_float);
                std::string_view f(buf, static_cast<std::size_t>(r.ptr - buf));
                out += f;
                // Keep a float a float when the text is parsed again.
                if (f.find_first_of(".ein") == std::string_view::npos)
                    out += '.';
                break;
            }
            case A_SYM:
                out += a.a_w.w_sym ? a.a_w.w_sym->s_name : "";
                break;
            case A_OBJ:
                out += "<object>";
                break;
            default:
                out += "?";
        }
    }
    return out;
}

}  // namespace morvhost
