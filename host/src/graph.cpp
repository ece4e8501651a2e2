// graph.cpp - the signal graph: compiling calls each object's "dsp64" with a dsp chain object
// whose "dsp_add64" collects perform routines; running calls them once per vector.
//
// Everything the audio thread touches is allocated at compile time.  Objects leave a running
// graph through their DspLink: z_dsp_free (and every free) sets it, then waits until the audio
// thread is between vectors, so no perform call for that object starts or is still running
// afterwards.  The audio thread only bumps an epoch counter around each vector to make that
// wait possible; it never locks.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>
#include <unordered_map>
#include <utility>

#include "host_internal.hpp"

namespace morvhost::detail {

struct SinkState {
    std::vector<double> samples;
    std::size_t last_begin = 0;
    std::size_t last_size = 0;
    std::vector<std::function<void(std::span<const double>)>> listeners;
};

namespace {

// Largest vector size accepted by compile; anything larger is a mistake, not a host setting.
constexpr long kMaxVectorSize = 1L << 20;

struct Routine {
    t_object *obj;
    t_perfroutine64 fn;
    long flags;
    void *user;
};

struct Node {
    t_object *obj = nullptr;
    std::shared_ptr<DspLink> link;
    long nin = 0;
    long nout = 0;
    std::vector<int> signal_outlets;  // box outlet index of each signal outlet, left to right
    std::vector<std::vector<double>> in_bufs, out_bufs;
    std::vector<double *> ins, outs;
    std::vector<std::pair<const double *, long>> feeds;  // (buffer, inlet) summed into inlets
    std::vector<Routine> routines;
};

struct Edge {
    bool from_source;
    int from;  // source index or node index
    int from_outlet;
    int to;
    int inlet;
};

struct SinkSlot {
    int node;
    int outlet;
    std::shared_ptr<SinkState> state;
    const double *buf = nullptr;
};

struct ChainObj {
    t_object ob;
    GraphState *graph = nullptr;
};

t_class *chain_class();

thread_local bool t_in_run = false;  // this thread is inside DspGraph::run

}  // namespace

struct GraphState {
    std::vector<Node> nodes;
    std::unordered_map<t_object *, int> index;
    std::vector<std::pair<DspGraph::Source, std::vector<double>>> sources;
    std::vector<Edge> edges;
    std::vector<SinkSlot> sinks;
    std::vector<int> order;
    bool compiled = false;
    bool bad = false;  // a connection was refused; compile reports it
    long vs = 0;
    bool advances_time = true;
    std::atomic<std::uint64_t> epoch{0};  // odd while a vector runs
    ChainObj *chain = nullptr;
    int compiling = -1;  // node whose dsp64 is running, or -1

    int add(t_object *x);
    bool compile(double sr, long vector_size);
    // The steps of compile, in order; those that can fail say why on the console.
    bool order_live_nodes();
    void size_node_buffers();
    bool count_connections(std::vector<std::vector<short>> &counts);
    void call_dsp64(double sr, std::vector<std::vector<short>> &counts);
    void assign_vectors();
    void wire_feeds_and_sinks();
    bool live(int i) const { return !nodes[static_cast<std::size_t>(i)].link->detached.load(); }
    // The position of a box outlet among the node's signal outlets, or -1.
    int signal_pos(int node, int outlet) const;
    void tell_dspstate(long on);
    void run_vector(long frames);
    void reserve_sinks(long vectors, long frames);
};

namespace {

struct Graphs {
    std::mutex mutex;
    std::vector<GraphState *> graphs;
};

Graphs &graphs() {
    static auto *g = new Graphs;
    return *g;
}

void add_routine(GraphState *g, t_object *x, t_perfroutine64 f, long flags, void *user) {
    auto it = g->index.find(x);
    if (g->compiling < 0 || it == g->index.end() || !f) {
        console_error(is_object(x) ? x : nullptr,
                      "dsp_add64: no perform routine, or not called from dsp64 of an object "
                      "in this graph");
        return;
    }
    g->nodes[static_cast<std::size_t>(it->second)].routines.push_back({x, f, flags, user});
}

t_class *chain_class() {
    static t_class *c = [] {
        t_class *k = internal_class("dspchain", sizeof(ChainObj), [](t_object *x) {
            reinterpret_cast<ChainObj *>(x)->~ChainObj();
        });
        class_addmethod(k, reinterpret_cast<method>(dsp_add64), "dsp_add64", A_CANT, 0);
        return k;
    }();
    return c;
}

}  // namespace

int GraphState::add(t_object *x) {
    ObjectRecord *rec = record_of(x);
    auto it = index.find(x);
    // A node whose object was freed may share its address with a new object: that is a new node.
    if (it != index.end() && rec && nodes[static_cast<std::size_t>(it->second)].link == rec->dsp)
        return it->second;
    Node n;
    n.obj = x;
    n.link = rec ? rec->dsp : std::make_shared<DspLink>();
    if (!rec)
        n.link->detached = true;
    nodes.push_back(std::move(n));
    const int i = static_cast<int>(nodes.size()) - 1;
    index[x] = i;
    return i;
}

bool GraphState::compile(double sr, long vector_size) {
    compiled = false;
    for (Node &n : nodes) n.routines.clear();
    if (bad) {
        console_error(nullptr, "dsp: the graph has a bad connection");
        return false;
    }
    if (!std::isfinite(sr) || sr <= 0 || vector_size < 1 || vector_size > kMaxVectorSize) {
        console_error(nullptr, "dsp: bad sample rate %g or vector size %ld", sr, vector_size);
        return false;
    }
    vs = vector_size;
    if (!order_live_nodes())
        return false;
    size_node_buffers();
    std::vector<std::vector<short>> counts;
    if (!count_connections(counts))
        return false;
    time_samplerate().store(sr);
    call_dsp64(sr, counts);
    assign_vectors();
    wire_feeds_and_sinks();
    compiled = true;
    tell_dspstate(1);
    return true;
}

int GraphState::signal_pos(int node, int outlet) const {
    const auto &so = nodes[static_cast<std::size_t>(node)].signal_outlets;
    auto it = std::find(so.begin(), so.end(), outlet);
    return it == so.end() ? -1 : static_cast<int>(it - so.begin());
}

// Topological order over the live nodes, stable in the order boxes were added.
bool GraphState::order_live_nodes() {
    std::vector<int> indegree(nodes.size(), 0);
    for (const Edge &e : edges)
        if (!e.from_source && live(e.from) && live(e.to))
            ++indegree[static_cast<std::size_t>(e.to)];
    order.clear();
    std::vector<bool> placed(nodes.size(), false);
    std::size_t live_count = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) live_count += live(static_cast<int>(i));
    while (order.size() < live_count) {
        bool progress = false;
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            if (placed[i] || !live(static_cast<int>(i)) || indegree[i] != 0)
                continue;
            placed[i] = true;
            progress = true;
            order.push_back(static_cast<int>(i));
            for (const Edge &e : edges)
                if (!e.from_source && e.from == static_cast<int>(i) && live(e.to))
                    --indegree[static_cast<std::size_t>(e.to)];
        }
        if (!progress) {
            console_error(nullptr, "dsp: the signal graph has a cycle");
            return false;
        }
    }
    return true;
}

// Signal inlets and outlets of each node, and their buffers.
void GraphState::size_node_buffers() {
    for (int i : order) {
        Node &n = nodes[static_cast<std::size_t>(i)];
        ObjectRecord *rec = record_of(n.obj);
        n.nin = rec->signal_inlets;
        n.signal_outlets.clear();
        for (std::size_t k = 0; k < rec->outlets.size(); ++k)
            if (rec->outlets[k]->state->signal)
                n.signal_outlets.push_back(static_cast<int>(k));
        n.nout = static_cast<long>(n.signal_outlets.size());
        n.in_bufs.assign(static_cast<std::size_t>(n.nin), std::vector<double>(vs, 0.0));
        n.out_bufs.assign(static_cast<std::size_t>(n.nout), std::vector<double>(vs, 0.0));
        n.ins.assign(static_cast<std::size_t>(n.nin), nullptr);
        n.outs.assign(static_cast<std::size_t>(n.nout), nullptr);
        n.feeds.clear();
    }
}

// Connection counts per signal inlet, then per signal outlet, as dsp64 receives them.
bool GraphState::count_connections(std::vector<std::vector<short>> &counts) {
    counts.assign(nodes.size(), {});
    for (int i : order) {
        const Node &n = nodes[static_cast<std::size_t>(i)];
        counts[static_cast<std::size_t>(i)].assign(static_cast<std::size_t>(n.nin + n.nout), 0);
    }
    for (const Edge &e : edges) {
        if (!live(e.to) || (!e.from_source && !live(e.from)))
            continue;
        Node &to = nodes[static_cast<std::size_t>(e.to)];
        const int pos = e.from_source ? 0 : signal_pos(e.from, e.from_outlet);
        if (e.inlet < 0 || e.inlet >= to.nin || pos < 0) {
            console_error(to.obj, "dsp: connection to inlet %d or from outlet %d is not a signal",
                          e.inlet, e.from_outlet);
            return false;
        }
        ++counts[static_cast<std::size_t>(e.to)][static_cast<std::size_t>(e.inlet)];
        if (!e.from_source)
            ++counts[static_cast<std::size_t>(e.from)]
                    [static_cast<std::size_t>(nodes[static_cast<std::size_t>(e.from)].nin + pos)];
    }
    for (SinkSlot &s : sinks) {
        if (!live(s.node))
            continue;
        const int pos = signal_pos(s.node, s.outlet);
        if (pos < 0) {
            console_error(nodes[static_cast<std::size_t>(s.node)].obj,
                          "dsp: outlet %d is not a signal outlet", s.outlet);
            return false;
        }
        ++counts[static_cast<std::size_t>(s.node)]
                [static_cast<std::size_t>(nodes[static_cast<std::size_t>(s.node)].nin + pos)];
    }
    return true;
}

// dsp64 of every object, upstream first.
void GraphState::call_dsp64(double sr, std::vector<std::vector<short>> &counts) {
    for (int i : order) {
        Node &n = nodes[static_cast<std::size_t>(i)];
        ObjectRecord *rec = record_of(n.obj);
        if (rec->is_signal && (reinterpret_cast<t_pxobject *>(n.obj)->z_misc & Z_DONT_ADD))
            continue;
        auto m = find_method(rec->cls, gensym("dsp64"));
        if (!m)
            continue;
        compiling = i;
        CallArg rate;
        rate.is_double = true;
        rate.d = sr;
        call_method(m->fn, {{false, n.obj, 0},
                            {false, &chain->ob, 0},
                            {false, counts[static_cast<std::size_t>(i)].data(), 0},
                            rate,
                            {false, reinterpret_cast<void *>(static_cast<t_ptr_int>(vs)), 0},
                            {false, nullptr, 0}});
        compiling = -1;
    }
}

// Vectors: objects that allow it compute in place, as the real host lets them.
void GraphState::assign_vectors() {
    for (int i : order) {
        Node &n = nodes[static_cast<std::size_t>(i)];
        ObjectRecord *rec = record_of(n.obj);
        const bool no_inplace =
            rec->is_signal && (reinterpret_cast<t_pxobject *>(n.obj)->z_misc & Z_NO_INPLACE);
        for (long k = 0; k < n.nin; ++k)
            n.ins[static_cast<std::size_t>(k)] = n.in_bufs[static_cast<std::size_t>(k)].data();
        for (long k = 0; k < n.nout; ++k)
            n.outs[static_cast<std::size_t>(k)] =
                !no_inplace && k < n.nin ? n.in_bufs[static_cast<std::size_t>(k)].data()
                                         : n.out_bufs[static_cast<std::size_t>(k)].data();
    }
}

// Each inlet's feeds (the buffers summed into it) and each sink's buffer.
void GraphState::wire_feeds_and_sinks() {
    for (auto &[fn, buf] : sources) buf.assign(static_cast<std::size_t>(vs), 0.0);
    for (const Edge &e : edges) {
        if (!live(e.to) || (!e.from_source && !live(e.from)))
            continue;
        const double *src =
            e.from_source ? sources[static_cast<std::size_t>(e.from)].second.data()
                          : nodes[static_cast<std::size_t>(e.from)]
                                .outs[static_cast<std::size_t>(signal_pos(e.from, e.from_outlet))];
        nodes[static_cast<std::size_t>(e.to)].feeds.emplace_back(src, e.inlet);
    }
    for (SinkSlot &s : sinks) {
        s.buf = live(s.node) ? nodes[static_cast<std::size_t>(s.node)]
                                   .outs[static_cast<std::size_t>(signal_pos(s.node, s.outlet))]
                             : nullptr;
        s.state->samples.clear();
        s.state->last_begin = s.state->last_size = 0;
    }
}

void GraphState::tell_dspstate(long on) {
    for (int i : order) {
        Node &n = nodes[static_cast<std::size_t>(i)];
        if (!live(i))
            continue;  // freed since the compile
        ObjectRecord *rec = record_of(n.obj);
        if (auto m = find_method(rec->cls, gensym("dspstate")))
            call_method(m->fn, {{false, n.obj, 0},
                                {false, reinterpret_cast<void *>(static_cast<t_ptr_int>(on)), 0}});
    }
}

void GraphState::reserve_sinks(long vectors, long frames) {
    for (SinkSlot &s : sinks)
        s.state->samples.reserve(s.state->samples.size() + static_cast<std::size_t>(vectors) *
                                                               static_cast<std::size_t>(frames));
}

void GraphState::run_vector(long frames) {
    const auto nf = static_cast<std::size_t>(frames);
    epoch.fetch_add(1);
    for (auto &[fn, buf] : sources) {
        std::fill(buf.begin(), buf.end(), 0.0);
        if (fn)
            fn(buf.data(), frames);
    }
    for (int i : order) {
        Node &n = nodes[static_cast<std::size_t>(i)];
        bool ran = false;
        if (!n.link->detached.load()) {
            for (auto &b : n.in_bufs) std::fill(b.begin(), b.begin() + static_cast<long>(nf), 0.0);
            for (auto [src, inlet] : n.feeds) {
                double *dst = n.in_bufs[static_cast<std::size_t>(inlet)].data();
                for (std::size_t k = 0; k < nf; ++k) dst[k] += src[k];
            }
            for (const Routine &r : n.routines) {
                if (n.link->detached.load())
                    break;
                r.fn(r.obj, &chain->ob, n.ins.data(), n.nin, n.outs.data(), n.nout, frames, r.flags,
                     r.user);
                ran = true;
            }
        }
        if (!ran)  // an object without a perform routine sends silence
            for (double *o : n.outs) std::fill(o, o + nf, 0.0);
    }
    for (SinkSlot &s : sinks) {
        SinkState &st = *s.state;
        st.last_begin = st.samples.size();
        st.last_size = s.buf ? nf : 0;
        if (s.buf)
            st.samples.insert(st.samples.end(), s.buf, s.buf + nf);
        for (auto &l : st.listeners)
            l(std::span<const double>(st.samples.data() + st.last_begin, st.last_size));
    }
    epoch.fetch_add(1);
    if (advances_time)
        logical_time().fetch_add(frames);
}

bool in_audio_thread() {
    return t_in_run;
}

void detach_from_dsp(t_object *x) {
    ObjectRecord *rec = record_of(x);
    if (!rec)
        return;
    rec->dsp->detached.store(true);
    if (t_in_run)
        return;  // freed from inside a vector: the caller is the audio thread itself
    std::lock_guard lock(graphs().mutex);
    for (GraphState *g : graphs().graphs) {
        const std::uint64_t e = g->epoch.load();
        if (e % 2 == 0)
            continue;
        while (g->epoch.load() == e) std::this_thread::yield();
    }
}

}  // namespace morvhost::detail

using namespace morvhost::detail;

void dsp_add64(t_object *chain, t_object *x, t_perfroutine64 f, long flags, void *userparam) {
    if (class_of(chain) != chain_class()) {
        console_error(nullptr, "dsp_add64: not a dsp chain");
        return;
    }
    add_routine(reinterpret_cast<ChainObj *>(chain)->graph, x, f, flags, userparam);
}

namespace morvhost {

const std::vector<double> &SignalSink::samples() const {
    return state_->samples;
}

std::span<const double> SignalSink::last_vector() const {
    return {state_->samples.data() + state_->last_begin, state_->last_size};
}

void SignalSink::clear() {
    state_->samples.clear();
    state_->last_begin = state_->last_size = 0;
}

void SignalSink::on_vector(std::function<void(std::span<const double>)> listener) {
    state_->listeners.push_back(std::move(listener));
}

DspGraph::Source DspGraph::constant(double value) {
    return [value](double *out, long n) { std::fill(out, out + n, value); };
}

DspGraph::Source DspGraph::samples(std::vector<double> s) {
    return [s = std::move(s), pos = std::size_t{0}](double *out, long n) mutable {
        for (long i = 0; i < n; ++i) out[i] = pos < s.size() ? s[pos++] : 0.0;
    };
}

DspGraph::Source DspGraph::sine(double frequency, double samplerate, double amplitude) {
    return [=, t = std::int64_t{0}](double *out, long n) mutable {
        const double w = 2.0 * std::numbers::pi * frequency / samplerate;
        for (long i = 0; i < n; ++i) out[i] = amplitude * std::sin(w * static_cast<double>(t++));
    };
}

DspGraph::DspGraph() : state_(std::make_unique<detail::GraphState>()) {
    state_->chain = detail::new_internal<detail::ChainObj>(detail::chain_class());
    state_->chain->graph = state_.get();
    std::lock_guard lock(detail::graphs().mutex);
    detail::graphs().graphs.push_back(state_.get());
}

DspGraph::~DspGraph() {
    {
        std::lock_guard lock(detail::graphs().mutex);
        auto &g = detail::graphs().graphs;
        g.erase(std::find(g.begin(), g.end(), state_.get()));
    }
    object_free(&state_->chain->ob);
}

void DspGraph::add(Box &box) {
    if (box.object())
        state_->add(box.object());
}

void DspGraph::connect(Source source, Box &to, int inlet) {
    if (!to.object()) {
        state_->bad = true;
        return;
    }
    const int n = state_->add(to.object());
    state_->sources.emplace_back(std::move(source), std::vector<double>{});
    state_->edges.push_back({true, static_cast<int>(state_->sources.size()) - 1, 0, n, inlet});
    state_->compiled = false;
}

void DspGraph::connect(Box &from, int outlet, Box &to, int inlet) {
    if (!from.object() || !to.object()) {
        state_->bad = true;
        return;
    }
    const int a = state_->add(from.object());
    const int b = state_->add(to.object());
    state_->edges.push_back({false, a, outlet, b, inlet});
    state_->compiled = false;
}

SignalSink DspGraph::connect_sink(Box &from, int outlet) {
    SignalSink sink;
    sink.state_ = std::make_shared<detail::SinkState>();
    if (!from.object()) {
        state_->bad = true;
        return sink;
    }
    state_->sinks.push_back({state_->add(from.object()), outlet, sink.state_, nullptr});
    state_->compiled = false;
    return sink;
}

bool DspGraph::compile(double samplerate, long vector_size) {
    return state_->compile(samplerate, vector_size);
}

void DspGraph::stop() {
    if (!state_->compiled)
        return;
    state_->compiled = false;
    state_->tell_dspstate(0);
}

void DspGraph::run(long vectors) {
    if (!state_->compiled || vectors <= 0)
        return;
    state_->reserve_sinks(vectors, state_->vs);
    const bool outer = std::exchange(detail::t_in_run, true);  // graphs may run inside graphs
    for (long v = 0; v < vectors; ++v) state_->run_vector(state_->vs);
    detail::t_in_run = outer;
}

void DspGraph::run_frames(long frames) {
    if (!state_->compiled || frames <= 0)
        return;
    frames = std::min(frames, state_->vs);
    state_->reserve_sinks(1, frames);
    const bool outer = std::exchange(detail::t_in_run, true);
    state_->run_vector(frames);
    detail::t_in_run = outer;
}

void DspGraph::set_advances_time(bool on) {
    state_->advances_time = on;
}

std::vector<std::pair<t_object *, t_perfroutine64>> DspGraph::perform_routines() const {
    std::vector<std::pair<t_object *, t_perfroutine64>> out;
    if (!state_->compiled)
        return out;
    for (int i : state_->order)
        for (const auto &r : state_->nodes[static_cast<std::size_t>(i)].routines)
            out.emplace_back(r.obj, r.fn);
    return out;
}

}  // namespace morvhost
