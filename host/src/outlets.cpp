// outlets.cpp - outlets as the patch sees them: the first created is the rightmost, and every
// message sent is recorded with the host's logical time and handed to listeners.
#include "host_internal.hpp"

namespace morvhost::detail {
namespace {

OutletImpl *as_outlet(void *o) {
    auto *impl = static_cast<OutletImpl *>(o);
    return impl && impl->magic == OutletImpl::kMagic ? impl : nullptr;
}

void deliver(OutletImpl *o, std::string selector, std::vector<t_atom> atoms) {
    // The real host defers such messages; here they are a bug worth seeing at once.
    if (in_audio_thread())
        console_error(o->owner, "sent \"%s\" from the audio thread; use a clock", selector.c_str());
    const std::int64_t t = logical_time().load();
    const double sr = time_samplerate().load();
    Message m{t, static_cast<double>(t) / sr, std::move(selector), std::move(atoms)};
    std::vector<std::function<void(const Message &)>> listeners;
    {
        std::lock_guard lock(o->state->mutex);
        o->state->messages.push_back(m);
        listeners = o->state->listeners;
    }
    for (auto &l : listeners) l(m);
}

}  // namespace
}  // namespace morvhost::detail

using namespace morvhost::detail;

void *outlet_new(void *x, C74_CONST char *s) {
    ObjectRecord *rec = record_of(x);
    if (!rec) {
        console_error(nullptr, "outlet_new: not an object");
        return nullptr;
    }
    auto *o = new OutletImpl;
    o->owner = static_cast<t_object *>(x);
    o->type = s ? gensym(s) : nullptr;
    o->state->signal = o->type == gensym("signal");
    rec->outlets.insert(rec->outlets.begin(), o);  // each new outlet goes left of the others
    return o;
}

void *floatout(void *x) {
    return outlet_new(x, "float");
}

void *outlet_float(t_outlet *x, double f) {
    OutletImpl *o = as_outlet(x);
    if (!o) {
        console_error(nullptr, "outlet_float: not an outlet");
        return nullptr;
    }
    deliver(o, "float", {morvhost::make_float(f)});
    return nullptr;
}

void *outlet_list(t_outlet *x, t_symbol *, short ac, t_atom *av) {
    OutletImpl *o = as_outlet(x);
    if (!o || ac < 0 || (ac > 0 && !av)) {
        console_error(nullptr, "outlet_list: not an outlet, or no atoms");
        return nullptr;
    }
    deliver(o, "list", std::vector<t_atom>(av, av + ac));
    return nullptr;
}

namespace morvhost {

std::vector<Message> Outlet::messages() const {
    std::lock_guard lock(state_->mutex);
    return state_->messages;
}

std::vector<double> Outlet::floats() const {
    std::vector<double> out;
    for (const Message &m : messages())
        if (m.selector == "float" && !m.atoms.empty())
            out.push_back(atom_getfloat(&m.atoms[0]));
    return out;
}

void Outlet::clear() {
    std::lock_guard lock(state_->mutex);
    state_->messages.clear();
}

void Outlet::on_message(std::function<void(const Message &)> listener) {
    std::lock_guard lock(state_->mutex);
    state_->listeners.push_back(std::move(listener));
}

bool Outlet::is_signal() const {
    return state_->signal;
}

}  // namespace morvhost
