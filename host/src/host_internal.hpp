// host_internal.hpp - the stand-in host's own structures, shared by its source files.
//
// Every host object (external instances as well as the host's own attributes, clocks, atom
// arrays and dsp chains) is one heap block: an ObjectRecord with the host's bookkeeping, then the
// object itself, which starts with the SDK's t_object header.  The header's o_messlist points
// just past the class's anchor entry, whose first word holds the class (entry -1 of the messlist
// holds the class, as in the real host), so the class of an object is found in O(1).
//
// Locking: class tables (methods, attributes and their metadata) are guarded by class_mutex();
// readers copy what they need and release the lock before calling into an object, so methods may
// call back into the host.  The audio path (perform calls, clock_fdelay, logical time) takes no
// lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ext.h"
#include "z_dsp.h"
#include "morvhost/host.hpp"

namespace morvhost::detail {

struct MethodEntry {
    method fn = nullptr;
    std::vector<long> types;  // argument types as bound, without the terminating 0
};

}  // namespace morvhost::detail

struct maxclass {
    t_messlist anchor[2];  // anchor[0] holds this class's address; headers point at anchor[1]
    std::string name;
    t_symbol *sym = nullptr;
    method mnew = nullptr;
    method mfree = nullptr;
    long size = 0;
    std::vector<long> new_types;
    std::unordered_map<t_symbol *, morvhost::detail::MethodEntry> methods;
    std::vector<t_object *> attrs;  // attribute objects, in declaration order
    t_symbol *name_space = nullptr;
    // Runs the C++ destructor of the host's own objects (attributes, clocks, ...) before release.
    void (*destroy)(t_object *) = nullptr;
};

namespace morvhost::detail {

std::shared_mutex &class_mutex();

// ---- objects ----------------------------------------------------------------------------------

// Set by z_dsp_free and freeobject, read by the audio thread before every perform call.
struct DspLink {
    std::atomic<bool> detached{false};
};

struct OutletImpl;

struct ObjectRecord {
    t_class *cls = nullptr;
    std::vector<OutletImpl *> outlets;  // left to right; owned
    std::shared_ptr<DspLink> dsp = std::make_shared<DspLink>();
    bool freeing = false;    // the destructor is running: a second free is refused
    bool is_signal = false;  // z_dsp_setup ran: the object begins with a t_pxobject
    long signal_inlets = 0;
};

// A new zero-filled object of the class with its header set; null when out of memory.
t_object *alloc_object(t_class *c);
// Placement-constructs a host-internal object type T (first member `t_object ob`) of class c.
template <class T, class... Args>
T *new_internal(t_class *c, Args &&...args);
// True when x carries a live host object header.
bool is_object(const void *x);
// The one release path: destructor, detaching from clocks and graphs, then the memory.
void release_object(void *x);
t_class *class_of(const void *x);  // null if x is not an object
ObjectRecord *record_of(const void *x);
std::string class_name_of(const void *x);
// A class for the host's own objects; never registered in a namespace.
t_class *internal_class(const char *name, long size, void (*destroy)(t_object *));

// Finds a registered class, loading "<name><suffix>" from the search paths if needed.
t_class *find_class(t_symbol *name_space, t_symbol *name, bool autoload);
// Calls the class constructor as a box would, with typed conversion of the arguments.
t_object *construct(t_class *c, long ac, const t_atom *av);

// ---- dispatch ---------------------------------------------------------------------------------

std::optional<MethodEntry> find_method(const t_class *c, t_symbol *sel);
// A message from a patch: typed methods, attribute names, "anything".  False + console error when
// not understood or badly typed.
bool send_message(t_object *x, t_symbol *sel, long ac, const t_atom *av);

struct CallArg {
    bool is_double = false;
    void *p = nullptr;
    double d = 0;
};
// Converts atoms to bound argument types (A_LONG, A_FLOAT, A_SYM, A_OBJ and the defaulted ones),
// with the host's int/float conversion, appending to args.  Null, or why the atoms do not fit.
const char *convert_arguments(const std::vector<long> &types, long ac, const t_atom *av,
                              std::vector<CallArg> &args);
// Calls fn with the arguments in order, each as a pointer-sized integer or a double.  At most 8.
void *call_method(method fn, const std::vector<CallArg> &args);

// ---- attributes -------------------------------------------------------------------------------

t_object *find_attr(const t_class *c, t_symbol *name);
t_max_err attr_set(t_object *x, t_object *attr, long ac, const t_atom *av);
std::vector<t_atom> attr_get(t_object *x, t_object *attr);
std::vector<t_atom> attr_meta(t_object *attr, t_symbol *meta);
t_symbol *attr_name(t_object *attr);
t_symbol *attr_type(t_object *attr);
long attr_flags(t_object *attr);

// ---- atom arrays ------------------------------------------------------------------------------

std::vector<t_atom> atomarray_contents(void *x);  // empty if x is not an atom array

// ---- outlets ----------------------------------------------------------------------------------

struct OutletState {
    mutable std::mutex mutex;
    std::vector<Message> messages;
    std::vector<std::function<void(const Message &)>> listeners;
    bool signal = false;
};

struct OutletImpl {
    static constexpr std::uint32_t kMagic = 0x6f75746cu;
    std::uint32_t magic = kMagic;
    t_object *owner = nullptr;
    t_symbol *type = nullptr;
    std::shared_ptr<OutletState> state = std::make_shared<OutletState>();
};

// ---- console ----------------------------------------------------------------------------------

void console_add(ConsoleLine::Kind kind, t_object *x, std::string text);
void console_error(t_object *x, const char *fmt, ...) __attribute__((format(printf, 2, 3)));

// ---- time, clocks and the signal graph ---------------------------------------------------------

std::atomic<std::int64_t> &logical_time();
std::atomic<double> &time_samplerate();
// True inside DspGraph::run: the calling thread is the audio thread.
bool in_audio_thread();
// Called by the real free path: clocks leave the scheduler, graphs stop calling the object.
void detach_from_dsp(t_object *x);
// Sets or clears z_disabled of a signal object, as the "enable" message does.
void set_dsp_enabled(t_object *x, bool on);
// Loads modules on demand for find_class.
bool autoload_class(std::string_view class_name);

// ---- the host's own objects ---------------------------------------------------------------------

template <class T, class... Args>
T *new_internal(t_class *c, Args &&...args) {
    t_object *raw = alloc_object(c);
    if (!raw)
        return nullptr;
    // The header was set by alloc_object; keep it across the construction of T.
    t_object header = *raw;
    T *t = new (raw) T(std::forward<Args>(args)...);
    t->ob = header;
    return t;
}

}  // namespace morvhost::detail
