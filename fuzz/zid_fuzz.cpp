// Fuzzes zid~ as a patch uses it: a box typed from arbitrary text, then any sequence of messages,
// recompiles at other rates and vector sizes, audio switched off and on, the object muted,
// retyped boxes, and vectors of arbitrary data, in the stand-in host that stays up across inputs.
//
// Steps (one per line after the box text, see script.hpp):
//   m TEXT         send TEXT to the box as a message ("threshold 0.5", "down 3", "bang")
//   c [VS] [SR]    compile the graph at vector size VS (1..4096) and sample rate SR, starting
//                  audio if it was off
//   r [N] PATTERN  run N vectors (up to 256) of the pattern's signal
//   p [K]          run one call of K frames, 1 up to the vector size
//   s              run the scheduler
//   o [0|1]        mute or unmute the object in the graph
//   x              switch audio off (the graph goes away)
//   n TEXT         retype the box as "zid~ TEXT"
//
// Checked after every scheduler run: the three outlets fire together, right to left, with a
// periodicity in [0, 1], an amplitude not below 0 and a positive frequency; and nothing was sent
// from the audio thread.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "morvhost/host.hpp"
#include "script.hpp"
#include "yin.h"
#include "yin_geometry.h"

namespace {

using namespace morvfuzz;
using morvhost::Box;
using morvhost::DspGraph;
using morvhost::Host;

// Work is counted in correlation products; a sample through the host, the decimation and the
// buffer costs about as much as four of them.
constexpr std::int64_t work_per_input = std::int64_t{1} << 16;
constexpr std::int64_t work_per_sample = 4;
constexpr long max_vector = 4096;
constexpr long max_vectors_per_step = 256;

struct Sent {
    int outlet;
    double value;
};

// Work of the next vector(s) as the perform routine will do it: the same geometry derivation on
// the same record fields, the same hop cycle and decimation groups.  A hop completed costs a whole
// analysis (every lag against the window), counted even when no analysis is due, so the estimate
// never falls short.
class HopCycle {
  public:
    explicit HopCycle(const yin_t &x)
        : g_(yin_derive_geometry(x.samplerate, x.max_vector_size, x.down, x.minfreq, x.period)),
          fresh_(x.param_version != x.applied_version),
          fill_(fresh_ ? 0 : x.frames.fill),
          partial_(fresh_ ? 0 : x.frames.partial.count) {}

    std::int64_t vector_cost(long frames) {
        std::int64_t cost = frames * work_per_sample;
        if (std::exchange(fresh_, false))
            cost += g_.buffer_length();
        const std::int64_t samples = partial_ + frames;
        std::int64_t decimated = samples >> g_.down;
        partial_ = samples & ((std::int64_t{1} << g_.down) - 1);
        if (decimated >= g_.hop_size - fill_) {  // the hop is complete; the rest is dropped
            decimated = g_.hop_size - fill_;
            partial_ = 0;
        }
        fill_ += decimated;
        if (fill_ >= g_.hop_size) {
            cost += std::int64_t{g_.max_lag} * g_.window_size;
            fill_ = 0;
        }
        return cost;
    }

  private:
    yin_geometry g_;
    bool fresh_;
    std::int64_t fill_;
    std::int64_t partial_;
};

class Session {
  public:
    explicit Session(std::string_view args) { retype(args); }

    void step(char op, std::string_view arg) {
        switch (op) {
            case 'm':
                if (box_)
                    box_->send_text(arg);
                break;
            case 'c':
                compile(arg);
                break;
            case 'r':
                run(arg);
                break;
            case 'p':
                run_part(arg);
                break;
            case 's':
                schedule();
                break;
            case 'o':
                if (box_)
                    box_->set_dsp_enabled(arg.empty() || arg.front() != '0');
                break;
            case 'x':
                graph_.reset();
                break;
            case 'n':
                retype(arg);
                break;
            default:
                break;
        }
    }

    void schedule() {
        Host::get().run_scheduler();
        check();
    }

  private:
    void retype(std::string_view args) {
        graph_.reset();
        box_.reset();
        sent_->clear();
        box_ = Box::create("zid~ " + std::string(args));
        if (!box_)
            return;
        for (int i = 0; i < 3; ++i)
            box_->outlet(i).on_message([sent = sent_, i](const morvhost::Message &m) {
                sent->push_back({i, m.atoms.size() == 1 && atom_gettype(&m.atoms[0]) == A_FLOAT
                                        ? atom_getfloat(&m.atoms[0])
                                        : std::nan("")});
            });
    }

    void compile(std::string_view arg) {
        if (!box_)
            return;
        vector_ = into_range(take_long(arg, 64), max_vector);
        const double samplerate = take_double(arg, 44100);
        if (!graph_) {
            graph_ = std::make_unique<DspGraph>();
            graph_->connect([this](double *out, long n) { pattern_.fill(out, n); }, *box_, 0);
        }
        compiled_ = graph_->compile(samplerate, vector_);
    }

    void run(std::string_view arg) {
        const long wanted = std::clamp(take_long(arg, 1), 0L, max_vectors_per_step);
        pattern_ = Pattern(arg);
        if (!playing())
            return;
        HopCycle cycle(*box_->as<yin_t>());
        long affordable = 0;
        while (affordable < wanted && budget_.spend(cycle.vector_cost(vector_))) ++affordable;
        graph_->run(affordable);
        check_audio_thread();
    }

    void run_part(std::string_view arg) {
        if (!playing())
            return;
        const long frames = into_range(take_long(arg, 1), vector_);
        HopCycle cycle(*box_->as<yin_t>());
        if (budget_.spend(cycle.vector_cost(frames)))
            graph_->run_frames(frames);
        check_audio_thread();
    }

    bool playing() const { return box_ && graph_ && compiled_; }

    void check() const {
        if (sent_->size() % 3 != 0)
            fail("%zu floats sent, not whole analyses", sent_->size());
        for (std::size_t i = 0; i < sent_->size(); i += 3) {
            const Sent &periodicity = (*sent_)[i];
            const Sent &amplitude = (*sent_)[i + 1];
            const Sent &frequency = (*sent_)[i + 2];
            if (periodicity.outlet != 2 || amplitude.outlet != 1 || frequency.outlet != 0)
                fail("outlets fired in the order %d %d %d", periodicity.outlet, amplitude.outlet,
                     frequency.outlet);
            if (!(periodicity.value >= 0 && periodicity.value <= 1))
                fail("periodicity %g", periodicity.value);
            if (!(amplitude.value >= 0))
                fail("amplitude %g", amplitude.value);
            if (!(frequency.value > 0))
                fail("frequency %g", frequency.value);
        }
        sent_->clear();
    }

    static void check_audio_thread() {
        if (Host::get().console_has("from the audio thread"))
            fail("an outlet was used from the audio thread");
    }

    std::shared_ptr<std::vector<Sent>> sent_ = std::make_shared<std::vector<Sent>>();
    std::unique_ptr<Box> box_;
    std::unique_ptr<DspGraph> graph_;  // after the box: it goes first, while the box still exists
    bool compiled_ = false;
    long vector_ = 64;
    Pattern pattern_;
    Budget budget_{work_per_input};
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    Host::get().add_search_path(MORV_EXTERNALS_DIR);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Host::get().clear_console();
    Script script(data, size);
    {
        Session session(script.box_text());
        script.play(session);
        session.schedule();
    }
    // A clock left set by the freed object must have gone with it.
    if (Host::get().pending_clocks() != 0)
        fail("%d clocks still set after the box was freed", Host::get().pending_clocks());
    return 0;
}
