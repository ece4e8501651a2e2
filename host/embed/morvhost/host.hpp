// morvhost - the embedding side of the stand-in host.
//
// Tests and tools drive externals exactly as the host would: load a module, type a box, send it
// messages, wire its signal inlets and outlets, compile the signal graph (which calls "dsp64"),
// run it one vector at a time, run the scheduler, read outlets and the console.  The externals
// never see this header; they see only the C interface in host/seam.
//
// Threads: Box creation, messages and freeing belong to the "main" thread; DspGraph::run is the
// audio thread; Host::run_scheduler is the scheduler thread.  These may run on three threads at
// once, as in the real host; everything else is main-thread only.  A graph is compiled while it
// is not running, and its sinks are read while it is not running.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ext.h"
#include "z_dsp.h"

namespace morvhost {

namespace detail {
struct OutletState;
struct BoxState;
struct SinkState;
struct GraphState;
}  // namespace detail

// ---- atoms ------------------------------------------------------------------------------------

t_atom make_long(t_atom_long v);
t_atom make_float(double v);
t_atom make_sym(std::string_view s);
// Splits a box or message text into atoms as the host's text parser does: integers become
// A_LONG, other numbers A_FLOAT, everything else A_SYM ("@down" stays a symbol).
std::vector<t_atom> parse_atoms(std::string_view text);
std::string format_atoms(std::span<const t_atom> atoms);

// ---- console ----------------------------------------------------------------------------------

struct ConsoleLine {
    enum class Kind { post, error };
    Kind kind;
    std::string text;        // the formatted message, without the "class: " prefix
    t_object *object;        // the object it was posted against, or null
    std::string class_name;  // that object's class name, or ""
};

// ---- scheduler and time -----------------------------------------------------------------------

struct Message {
    std::int64_t time_samples;  // the host's logical time when the message was sent
    double time_seconds;        // the same, in seconds at the rate of the last compiled graph
    std::string selector;       // "float", "int", "bang", "list" or a message name
    std::vector<t_atom> atoms;
};

// ---- packages declared through "fileusage" ------------------------------------------------------

struct PackageUsage {
    std::string name;
    std::vector<std::string> subfolders;  // empty: the whole package
};

// ---- what a class registered ------------------------------------------------------------------

struct MethodInfo {
    std::string name;
    std::vector<long> types;  // argument types as bound (A_FLOAT, A_GIMME, A_CANT, ...)
};

class Box;

// The process-wide host: symbol table, classes, loaded modules, console, clocks.
class Host {
  public:
    static Host &get();

    // Loads a module by file and calls its registration entry (ext_main, else main) once.
    // Loading the same file twice is a no-op that succeeds.
    bool load_module(const std::filesystem::path &file, std::string *error = nullptr);
    // Loads every module in a folder, as the host does with a package's "extensions" at start-up.
    // Returns how many loaded.
    int load_extensions(const std::filesystem::path &folder);
    // Folders searched for "<class name><module suffix>" when a box or object_new_typed names an
    // unknown class.
    void add_search_path(const std::filesystem::path &folder);
    static std::string module_suffix();  // ".mxl_<processor>"; ".mxe64" on Windows

    // Console lines, oldest first.  When echo is on they are also printed to stderr (also turned
    // on by the environment variable MORV_CONSOLE_ECHO=1).
    std::vector<ConsoleLine> console() const;
    // True when some console line contains the fragment.
    bool console_has(std::string_view fragment) const;
    void clear_console();
    void set_console_echo(bool on);

    // Logical time, advanced by DspGraph::run (samples) and read by the scheduler.
    std::int64_t now_samples() const;
    double now_seconds() const;

    // Runs every clock that is due at the current logical time, in the calling thread (the
    // scheduler thread).  Returns how many clock routines ran.
    int run_scheduler();
    // Clocks set but not yet run.
    int pending_clocks() const;
};

// An outlet of a box, as seen from the patch: every message it sends is recorded, and an
// optional listener sees it as it is sent (in the scheduler or main thread).
class Outlet {
  public:
    std::vector<Message> messages() const;
    std::vector<double> floats() const;  // the values of the "float" messages, in order
    void clear();
    void on_message(std::function<void(const Message &)> listener);
    bool is_signal() const;

  private:
    friend class Box;
    std::shared_ptr<detail::OutletState> state_;
};

// One object box.
class Box {
  public:
    // Creates a box from its text, as a user types it: "zid~ 1 @down 3".  Null on failure; the
    // console then says why.
    static std::unique_ptr<Box> create(std::string_view text);
    static std::unique_ptr<Box> create(std::string_view class_name, std::vector<t_atom> args);
    ~Box();  // frees the object (its destructor runs)
    Box(const Box &) = delete;
    Box &operator=(const Box &) = delete;

    t_object *object() const;
    template <class T>
    T *as() const {
        return reinterpret_cast<T *>(object());
    }
    std::string class_name() const;

    // Sends a message as a patch would, with the host's type checking and conversion.  Returns
    // false (with a console error) when the object does not understand it.  An attribute name as
    // selector sets that attribute.
    bool send(std::string_view selector, std::vector<t_atom> args = {});
    bool send_text(std::string_view message_text);  // "threshold 0.5", "3.5", "bang"

    t_max_err set_attr(std::string_view name, std::vector<t_atom> args);
    std::vector<t_atom> get_attr(std::string_view name);
    // The attribute's own attributes ("label", "order", "invisible", ...): empty when not set.
    std::vector<t_atom> attr_meta(std::string_view name, std::string_view meta) const;
    std::vector<std::string> attributes() const;         // in declaration order
    std::string attr_type(std::string_view name) const;  // "long", "float64", ...; "" if none
    // Every message the object's class binds, the host's own and the host-only ones included,
    // sorted by name: what documentation of the class has to account for.
    std::vector<MethodInfo> methods() const;

    // Host-only calls (A_CANT methods).
    std::string assist(long io, long index);  // io: ASSIST_INLET or ASSIST_OUTLET
    void dblclick();
    std::vector<PackageUsage> fileusage();

    // Mutes or unmutes the object in the signal graph (the header's z_disabled), as the host's
    // "enable" message does.
    void set_dsp_enabled(bool on);

    int signal_inlets() const;
    int outlets() const;
    Outlet &outlet(int index);  // 0 is the leftmost

  private:
    Box() = default;
    std::unique_ptr<detail::BoxState> state_;
    friend class DspGraph;
};

// Collects what a signal outlet produced, vector by vector.
class SignalSink {
  public:
    const std::vector<double> &samples() const;  // every sample since compile, in order
    std::span<const double> last_vector() const;
    void clear();
    // Called in the audio thread after each vector.
    void on_vector(std::function<void(std::span<const double>)> listener);

  private:
    friend class DspGraph;
    std::shared_ptr<detail::SinkState> state_;
};

// A signal graph: boxes, sources feeding their inlets, sinks on their outlets.
class DspGraph {
  public:
    using Source = std::function<void(double *out, long n)>;  // fills the next vector

    // Ready-made sources.
    static Source constant(double value);
    static Source samples(std::vector<double> samples);  // plays them once, then zeros
    static Source sine(double frequency, double samplerate, double amplitude = 1.0);

    DspGraph();
    ~DspGraph();
    DspGraph(const DspGraph &) = delete;
    DspGraph &operator=(const DspGraph &) = delete;

    void add(Box &box);
    void connect(Source source, Box &to, int inlet);
    void connect(std::vector<double> samples, Box &to, int inlet) {
        connect(DspGraph::samples(std::move(samples)), to, inlet);
    }
    void connect(Box &from, int outlet, Box &to, int inlet);  // outlet: the box's outlet index
    SignalSink connect_sink(Box &from, int outlet);

    // Calls every box's "dsp64" (connection counts per signal inlet, then per signal outlet) and
    // collects the perform routines that they register through "dsp_add64"; then tells every box
    // that binds "dspstate" that audio is on (1), as the host does when audio starts.  Returns
    // false (with a console error) if the graph cannot be compiled: a cycle, a bad connection, a
    // bad rate or vector size.
    bool compile(double samplerate, long vector_size);
    // Audio off: tells every box of the compiled graph that binds "dspstate" so (0), in the
    // calling (main) thread, and leaves the graph to be compiled again before it runs.
    void stop();
    // Runs the perform routines once per vector and advances logical time (if advances_time).
    void run(long vectors = 1);
    // Runs one call of every perform routine with a sample-frame count other than the compiled
    // vector size (at most that size), to exercise objects against a host that does so.
    void run_frames(long frames);
    void set_advances_time(bool on);
    // Perform routines registered at the last compile, in order, with the object they belong to.
    std::vector<std::pair<t_object *, t_perfroutine64>> perform_routines() const;

  private:
    std::unique_ptr<detail::GraphState> state_;
};

}  // namespace morvhost
