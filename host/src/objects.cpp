// objects.cpp - classes, object allocation and release, construction as a box would.
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <unordered_set>

#include "host_internal.hpp"

namespace morvhost::detail {
namespace {

// Room for the record in front of every object, keeping the object maximally aligned.
constexpr std::size_t kRecordSpace = (sizeof(ObjectRecord) + alignof(std::max_align_t) - 1) /
                                     alignof(std::max_align_t) * alignof(std::max_align_t);

// Upper bound on an instance size; a larger request is a corrupt class, not a real object.
constexpr long kMaxObjectSize = 1L << 30;

struct Registry {
    std::map<std::pair<t_symbol *, t_symbol *>, t_class *> classes;  // (namespace, name)
    std::vector<t_class *> all;
};

// Every live object, so that a stale or foreign pointer is refused instead of being read.
struct LiveObjects {
    std::mutex mutex;
    std::unordered_set<const void *> objects;
};

LiveObjects &live() {
    static auto *l = new LiveObjects;
    return *l;
}

Registry &registry() {
    static auto *r = new Registry;  // classes outlive every module; never destroyed
    return *r;
}

char *block_of(const void *x) {
    return const_cast<char *>(static_cast<const char *>(x)) - kRecordSpace;
}

}  // namespace

std::shared_mutex &class_mutex() {
    static auto *m = new std::shared_mutex;
    return *m;
}

t_class *internal_class(const char *name, long size, void (*destroy)(t_object *)) {
    auto *c = new t_class;
    {
        // Classes live as long as the process, registered or not: modules keep their handles.
        std::unique_lock lock(class_mutex());
        registry().all.push_back(c);
    }
    std::memset(c->anchor, 0, sizeof c->anchor);
    const t_class *self = c;
    std::memcpy(&c->anchor[0], &self, sizeof self);
    c->name = name;
    c->sym = gensym(name);
    c->size = size;
    c->destroy = destroy;
    return c;
}

t_object *alloc_object(t_class *c) {
    if (!c || c->size < static_cast<long>(sizeof(t_object)) || c->size > kMaxObjectSize) {
        console_error(nullptr, "object_alloc: bad class or instance size");
        return nullptr;
    }
    void *block = std::calloc(1, kRecordSpace + static_cast<std::size_t>(c->size));
    if (!block)
        return nullptr;
    auto *rec = new (block) ObjectRecord;
    rec->cls = c;
    auto *x = reinterpret_cast<t_object *>(static_cast<char *>(block) + kRecordSpace);
    x->o_messlist = &c->anchor[1];
    x->o_magic = MAGIC;
    std::lock_guard lock(live().mutex);
    live().objects.insert(x);
    return x;
}

bool is_object(const void *x) {
    if (!x)
        return false;
    std::lock_guard lock(live().mutex);
    return live().objects.count(x) != 0;
}

t_class *class_of(const void *x) {
    if (!is_object(x))
        return nullptr;
    t_class *c;
    std::memcpy(&c, static_cast<const t_object *>(x)->o_messlist - 1, sizeof c);
    return c;
}

ObjectRecord *record_of(const void *x) {
    if (!is_object(x))
        return nullptr;
    return reinterpret_cast<ObjectRecord *>(block_of(x));
}

std::string class_name_of(const void *x) {
    const t_class *c = class_of(x);
    return c ? c->name : std::string();
}

t_class *find_class(t_symbol *name_space, t_symbol *name, bool autoload) {
    if (!name_space || !name)
        return nullptr;
    for (int attempt = 0; attempt < 2; ++attempt) {
        {
            std::shared_lock lock(class_mutex());
            auto &classes = registry().classes;
            auto it = classes.find({name_space, name});
            if (it != classes.end())
                return it->second;
        }
        if (!autoload || attempt > 0 || !autoload_class(name->s_name))
            break;
    }
    return nullptr;
}

t_object *construct(t_class *c, long ac, const t_atom *av) {
    if (!c || !c->mnew) {
        console_error(nullptr, "%s: class has no constructor", c ? c->name.c_str() : "?");
        return nullptr;
    }
    if (ac < 0 || (ac > 0 && !av))
        ac = 0;
    std::vector<CallArg> args;
    const auto &types = c->new_types;
    if (!types.empty() && types[0] == A_GIMME) {
        args = {{false, c->sym, 0},
                {false, reinterpret_cast<void *>(static_cast<t_ptr_int>(ac)), 0},
                {false, const_cast<t_atom *>(av), 0}};
    } else {
        if (const char *why = convert_arguments(types, ac, av, args)) {
            console_error(nullptr, "%s: %s for creation", c->name.c_str(), why);
            return nullptr;
        }
    }
    void *made = call_method(c->mnew, args);
    if (!made)
        return nullptr;
    if (!is_object(made)) {
        console_error(nullptr, "%s: constructor returned something that is not an object",
                      c->name.c_str());
        return nullptr;
    }
    return static_cast<t_object *>(made);
}

void release_object(void *op) {
    auto *x = static_cast<t_object *>(op);
    t_class *c = class_of(x);
    ObjectRecord *rec = record_of(x);
    if (rec->freeing) {
        console_error(nullptr, "freeobject: %s freed again while it is being freed",
                      c->name.c_str());
        return;
    }
    rec->freeing = true;
    if (c->mfree)
        call_method(c->mfree, {{false, x, 0}});
    detach_from_dsp(x);
    if (c->destroy)
        c->destroy(x);
    for (OutletImpl *o : rec->outlets) {
        o->magic = 0;
        delete o;
    }
    {
        std::lock_guard lock(live().mutex);
        live().objects.erase(x);
    }
    rec->~ObjectRecord();
    std::free(rec);
}

}  // namespace morvhost::detail

using namespace morvhost::detail;

t_class *class_new(C74_CONST char *name, C74_CONST method mnew, C74_CONST method mfree, long size,
                   C74_CONST method, short type, ...) {
    if (!name || !*name) {
        console_error(nullptr, "class_new: a class needs a name");
        return nullptr;
    }
    if (size < static_cast<long>(sizeof(t_object)) || size > (1L << 30)) {
        console_error(nullptr, "class_new: %s: bad instance size %ld", name, size);
        return nullptr;
    }
    t_class *c = internal_class(name, size, nullptr);
    c->mnew = mnew;
    c->mfree = mfree;
    va_list ap;
    // The host's published signature puts the list after a `short`, which the languages leave
    // undefined for va_start; GCC, clang and MSVC all implement it as a builtin that finds the list
    // from the call's own layout, the same as after an int, on every 64-bit ABI we build for.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wvarargs"
#endif
    va_start(ap, type);
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
    // Promotion makes every type code an int in the variadic list.
    for (long t = type; t != A_NOTHING && c->new_types.size() < MSG_MAXARG; t = va_arg(ap, int))
        c->new_types.push_back(t);
    va_end(ap);
    return c;
}

t_max_err class_addmethod(t_class *c, C74_CONST method m, C74_CONST char *name, ...) {
    if (!c || !m || !name) {
        console_error(nullptr, "class_addmethod: null class, method or name");
        return MAX_ERR_INVALID_PTR;
    }
    MethodEntry e;
    e.fn = m;
    va_list ap;
    va_start(ap, name);
    for (int t = va_arg(ap, int); t != A_NOTHING && e.types.size() < MSG_MAXARG;
         t = va_arg(ap, int))
        e.types.push_back(t);
    va_end(ap);
    std::unique_lock lock(class_mutex());
    c->methods[gensym(name)] = std::move(e);
    return MAX_ERR_NONE;
}

t_max_err class_register(t_symbol *name_space, t_class *c) {
    if (!name_space || !c) {
        console_error(nullptr, "class_register: null namespace or class");
        return MAX_ERR_INVALID_PTR;
    }
    std::unique_lock lock(class_mutex());
    auto [it, inserted] = registry().classes.try_emplace({name_space, c->sym}, c);
    if (!inserted && it->second != c) {
        lock.unlock();
        console_error(nullptr, "class_register: %s already exists in %s", c->name.c_str(),
                      name_space->s_name);
        return MAX_ERR_DUPLICATE;
    }
    c->name_space = name_space;
    return MAX_ERR_NONE;
}

void *object_alloc(t_class *c) {
    return alloc_object(c);
}

void *object_new_typed(t_symbol *name_space, t_symbol *classname, long ac, t_atom *av) {
    if (!name_space || !classname) {
        console_error(nullptr, "object_new_typed: null namespace or class name");
        return nullptr;
    }
    t_class *c = find_class(name_space, classname, true);
    if (!c) {
        console_error(nullptr, "object_new_typed: no class \"%s\" in namespace \"%s\"",
                      classname->s_name, name_space->s_name);
        return nullptr;
    }
    return construct(c, ac, av);
}

void freeobject(void *op) {
    if (!op)
        return;
    if (!is_object(op)) {
        console_error(nullptr, "freeobject: %p is not an object (already freed?)", op);
        return;
    }
    release_object(op);
}

t_max_err object_free(void *x) {
    if (!x)
        return MAX_ERR_NONE;
    if (!is_object(x)) {
        console_error(nullptr, "object_free: %p is not an object (already freed?)", x);
        return MAX_ERR_INVALID_PTR;
    }
    release_object(x);
    return MAX_ERR_NONE;
}
