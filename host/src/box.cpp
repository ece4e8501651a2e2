// box.cpp - object boxes: creation from text as a user types it, messages, attributes and the
// host-only calls (assist, dblclick, fileusage).
#include <algorithm>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <unordered_set>

#include "host_internal.hpp"

namespace morvhost::detail {

struct BoxState {
    t_object *obj = nullptr;
    std::vector<Outlet> outlets;  // left to right
};

namespace {

// The handle that "fileusage" methods pass back to fileusage_addpackage.
struct FileUsage {
    std::vector<PackageUsage> packages;
};

struct FileUsages {
    std::mutex mutex;
    std::unordered_set<FileUsage *> live;
};

FileUsages &file_usages() {
    static auto *f = new FileUsages;
    return *f;
}

// Size of the text buffer handed to "assist": externals write at most ASSIST_MAX_STRING_LEN.
constexpr std::size_t kAssistBuffer = 512;

}  // namespace
}  // namespace morvhost::detail

using namespace morvhost::detail;

void fileusage_addpackage(void *w, C74_CONST char *name, t_atomarray *subfoldernames) {
    std::vector<std::string> subfolders;
    for (const t_atom &a : atomarray_contents(subfoldernames))
        if (a.a_type == A_SYM)
            subfolders.emplace_back(a.a_w.w_sym->s_name);
    // The array is handed over to the host.
    if (subfoldernames)
        object_free(subfoldernames);
    auto &f = file_usages();
    std::lock_guard lock(f.mutex);
    auto *usage = static_cast<FileUsage *>(w);
    if (!name || !f.live.count(usage)) {
        console_error(nullptr, "fileusage_addpackage: null package name or unknown handle");
        return;
    }
    usage->packages.push_back({name, std::move(subfolders)});
}

namespace morvhost {

std::unique_ptr<Box> Box::create(std::string_view text) {
    std::vector<t_atom> atoms = parse_atoms(text);
    if (atoms.empty() || atoms[0].a_type != A_SYM) {
        detail::console_error(nullptr, "a box needs a class name, not \"%s\"",
                              std::string(text).c_str());
        return nullptr;
    }
    std::string name = atoms[0].a_w.w_sym->s_name;
    atoms.erase(atoms.begin());
    return create(name, std::move(atoms));
}

std::unique_ptr<Box> Box::create(std::string_view class_name, std::vector<t_atom> args) {
    const std::string name(class_name);
    t_class *c = find_class(gensym("box"), gensym(name.c_str()), true);
    if (!c) {
        detail::console_error(nullptr, "%s: No such object", name.c_str());
        return nullptr;
    }
    t_object *x = construct(c, static_cast<long>(args.size()), args.data());
    if (!x) {
        detail::console_error(nullptr, "%s: could not create the object", name.c_str());
        return nullptr;
    }
    std::unique_ptr<Box> box(new Box);
    box->state_ = std::make_unique<detail::BoxState>();
    box->state_->obj = x;
    for (detail::OutletImpl *o : record_of(x)->outlets) {
        Outlet out;
        out.state_ = o->state;
        box->state_->outlets.push_back(std::move(out));
    }
    return box;
}

Box::~Box() {
    if (state_ && state_->obj)
        object_free(state_->obj);
}

t_object *Box::object() const {
    return state_->obj;
}

std::string Box::class_name() const {
    return class_name_of(state_->obj);
}

bool Box::send(std::string_view selector, std::vector<t_atom> args) {
    return send_message(state_->obj, gensym(std::string(selector).c_str()),
                        static_cast<long>(args.size()), args.data());
}

bool Box::send_text(std::string_view message_text) {
    std::vector<t_atom> atoms = parse_atoms(message_text);
    if (atoms.empty())
        return send("bang");
    if (atoms[0].a_type == A_SYM) {
        std::string sel = atoms[0].a_w.w_sym->s_name;
        atoms.erase(atoms.begin());
        return send(sel, std::move(atoms));
    }
    // A message that starts with a number is a number or a list.
    if (atoms.size() > 1)
        return send("list", std::move(atoms));
    const char *sel = atoms[0].a_type == A_LONG ? "int" : "float";
    return send(sel, std::move(atoms));
}

t_max_err Box::set_attr(std::string_view name, std::vector<t_atom> args) {
    t_object *attr = find_attr(class_of(state_->obj), gensym(std::string(name).c_str()));
    if (!attr) {
        detail::console_error(state_->obj, "no attribute named \"%s\"", std::string(name).c_str());
        return MAX_ERR_GENERIC;
    }
    return attr_set(state_->obj, attr, static_cast<long>(args.size()), args.data());
}

std::vector<t_atom> Box::get_attr(std::string_view name) {
    t_object *attr = find_attr(class_of(state_->obj), gensym(std::string(name).c_str()));
    if (!attr) {
        detail::console_error(state_->obj, "no attribute named \"%s\"", std::string(name).c_str());
        return {};
    }
    return attr_get(state_->obj, attr);
}

std::vector<t_atom> Box::attr_meta(std::string_view name, std::string_view meta) const {
    t_object *attr = find_attr(class_of(state_->obj), gensym(std::string(name).c_str()));
    return detail::attr_meta(attr, gensym(std::string(meta).c_str()));
}

std::vector<std::string> Box::attributes() const {
    std::vector<std::string> names;
    t_class *c = class_of(state_->obj);
    std::vector<t_object *> attrs;
    {
        std::shared_lock lock(class_mutex());
        attrs = c->attrs;
    }
    for (t_object *a : attrs) names.emplace_back(attr_name(a)->s_name);
    return names;
}

std::string Box::attr_type(std::string_view name) const {
    t_object *attr = find_attr(class_of(state_->obj), gensym(std::string(name).c_str()));
    t_symbol *type = detail::attr_type(attr);
    return type ? type->s_name : "";
}

std::vector<MethodInfo> Box::methods() const {
    std::vector<MethodInfo> found;
    {
        std::shared_lock lock(class_mutex());
        for (const auto &[sel, entry] : class_of(state_->obj)->methods)
            found.push_back({sel->s_name, entry.types});
    }
    std::sort(found.begin(), found.end(),
              [](const MethodInfo &a, const MethodInfo &b) { return a.name < b.name; });
    return found;
}

std::string Box::assist(long io, long index) {
    auto m = find_method(class_of(state_->obj), gensym("assist"));
    if (!m)
        return {};
    std::vector<char> buf(detail::kAssistBuffer, '\0');
    call_method(m->fn, {{false, state_->obj, 0},
                        {false, nullptr, 0},
                        {false, reinterpret_cast<void *>(static_cast<t_ptr_int>(io)), 0},
                        {false, reinterpret_cast<void *>(static_cast<t_ptr_int>(index)), 0},
                        {false, buf.data(), 0}});
    buf.back() = '\0';
    return buf.data();
}

void Box::dblclick() {
    if (auto m = find_method(class_of(state_->obj), gensym("dblclick")))
        call_method(m->fn, {{false, state_->obj, 0}});
}

std::vector<PackageUsage> Box::fileusage() {
    auto m = find_method(class_of(state_->obj), gensym("fileusage"));
    if (!m)
        return {};
    detail::FileUsage usage;
    auto &f = detail::file_usages();
    {
        std::lock_guard lock(f.mutex);
        f.live.insert(&usage);
    }
    call_method(m->fn, {{false, state_->obj, 0}, {false, &usage, 0}});
    std::lock_guard lock(f.mutex);
    f.live.erase(&usage);
    return usage.packages;
}

void Box::set_dsp_enabled(bool on) {
    detail::set_dsp_enabled(state_->obj, on);
}

int Box::signal_inlets() const {
    return static_cast<int>(record_of(state_->obj)->signal_inlets);
}

int Box::outlets() const {
    return static_cast<int>(state_->outlets.size());
}

Outlet &Box::outlet(int index) {
    if (index < 0 || index >= outlets()) {
        throw std::out_of_range(class_name() + " has no outlet " + std::to_string(index));
    }
    return state_->outlets[static_cast<std::size_t>(index)];
}

}  // namespace morvhost
