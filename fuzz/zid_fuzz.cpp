// Fuzzes zid~ as a patch uses it: a box typed from arbitrary text, then any sequence of messages,
// recompiles at other rates and vector sizes, audio switched off and on, the object muted,
// retyped boxes, and vectors of arbitrary data, in the stand-in host that stays up across inputs.
//
// Steps (one per line after the box text): those of box_session.hpp (m sends "threshold 0.5",
// "down 3", "bang" and the like), and
//   r [N] PATTERN  run N vectors (up to 256) of the pattern's signal
//   p [K]          run one call of K frames, 1 up to the vector size
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
#include "box_session.hpp"
#include "yin.h"
#include "yin_geometry.h"

namespace {

using namespace morvfuzz;
using morvhost::Host;

// Work is counted in correlation products; a sample through the host, the decimation and the
// buffer costs about as much as four of them.
constexpr std::int64_t work_per_input = std::int64_t{1} << 16;
constexpr std::int64_t work_per_sample = 4;
constexpr long max_vectors_per_step = 256;

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

class Session : public BoxSession {
  public:
    explicit Session(std::string_view args) : BoxSession("zid~", 3) { retype(args); }

  private:
    void other_step(char op, std::string_view arg) override {
        if (op == 'r')
            run(arg);
        else if (op == 'p')
            run_part(arg);
    }

    void run(std::string_view arg) {
        const long wanted = std::clamp(take_long(arg, 1), 0L, max_vectors_per_step);
        pattern_ = Pattern(arg);
        if (!playing())
            return;
        HopCycle cycle(*box()->as<yin_t>());
        long affordable = 0;
        while (affordable < wanted && budget_.spend(cycle.vector_cost(vector()))) ++affordable;
        graph().run(affordable);
        check_audio_thread();
    }

    void run_part(std::string_view arg) {
        if (!playing())
            return;
        const long frames = into_range(take_long(arg, 1), vector());
        HopCycle cycle(*box()->as<yin_t>());
        if (budget_.spend(cycle.vector_cost(frames)))
            graph().run_frames(frames);
        check_audio_thread();
    }

    void check(const std::vector<Sent> &sent) override {
        if (sent.size() % 3 != 0)
            fail("%zu floats sent, not whole analyses", sent.size());
        for (std::size_t i = 0; i < sent.size(); i += 3) {
            const Sent &periodicity = sent[i];
            const Sent &amplitude = sent[i + 1];
            const Sent &frequency = sent[i + 2];
            if (periodicity.outlet != 2 || amplitude.outlet != 1 || frequency.outlet != 0)
                fail("outlets fired in the order %d %d %d", periodicity.outlet, amplitude.outlet,
                     frequency.outlet);
            if (!(periodicity.single_float() >= 0 && periodicity.single_float() <= 1))
                fail("periodicity %g", periodicity.single_float());
            if (!(amplitude.single_float() >= 0))
                fail("amplitude %g", amplitude.single_float());
            if (!(frequency.single_float() > 0))
                fail("frequency %g", frequency.single_float());
        }
    }

    Budget budget_{work_per_input};
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    Host::get().add_search_path(MORV_EXTERNALS_DIR);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    return run_input<Session>(data, size);
}
