// Fuzzes morv.track~ as a patch uses it: a box typed from arbitrary text, then any sequence of
// messages and attribute changes, recompiles at other rates and vector sizes, audio switched off
// and on, the object muted, retyped boxes, and vectors of arbitrary data, in the stand-in host
// that stays up across inputs.
//
// Steps (one per line after the box text, see script.hpp), as zid_fuzz.cpp's:
//   m TEXT         send TEXT to the box ("fmin 80", "lag 0", "unit midi", "reset", "active 0")
//   c [VS] [SR]    compile the graph at vector size VS (1..4096) and sample rate SR
//   r [N] PATTERN  run N vectors (up to 256) of the pattern's signal
//   s              run the scheduler
//   o [0|1]        mute or unmute the object in the graph
//   x              switch audio off (the graph goes away)
//   n TEXT         retype the box as "morv.track~ TEXT"
//
// Checked after every scheduler run: each frame sends its voicing probability, in [0, 1], then a
// finite pitch; a note is two whole numbers 0 .. 127; a note starts only while none sounds, and
// ends only the one that sounds; nothing was sent from the audio thread; and when the box goes,
// no clock of it is left set.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "morvhost/host.hpp"
#include "script.hpp"
#include "track.h"
#include "track_engine.h"

namespace {

using namespace morvfuzz;
using morvhost::Box;
using morvhost::DspGraph;
using morvhost::Host;

// Work is counted in the frame's FFT correlation and the decoder's transitions; a sample through
// the host and the decimation costs about as much as four of them.
constexpr std::int64_t work_per_input = std::int64_t{1} << 22;
constexpr std::int64_t work_per_sample = 4;
constexpr long max_vector = 4096;
constexpr long max_vectors_per_step = 256;

// An upper bound of the work of `samples` input samples at the geometry the perform routine
// derives from the same record fields: every frame they may complete, each a correlation of twice
// the longest period and a decoder step over the pitch bins and their band of transitions.
std::int64_t cost(const track_t &x, long samples) {
    const track_geometry g = track_derive_geometry({x.samplerate, x.fmin, x.fmax, x.lag, x.a4});
    const std::int64_t step = std::int64_t{g.hop} << g.down;
    const double fft = 2.0 * g.max_lag * (std::log2(2.0 * g.max_lag) + 4.0);
    const double bins = 120.0 * std::log2(static_cast<double>(g.max_lag) / g.min_lag) + 2.0;
    const double band = 36.0 * 120.0 * static_cast<double>(step) / g.rate / (1 << g.down) + 2.0;
    const std::int64_t frames = samples / step + 1;
    return samples * work_per_sample + frames * static_cast<std::int64_t>(fft + 4.0 * bins * band);
}

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
        sounding_ = -1;
        box_ = Box::create("morv.track~ " + std::string(args));
        if (!box_)
            return;
        for (int i = 0; i < 3; ++i)
            box_->outlet(i).on_message([sent = sent_, i](const morvhost::Message &m) {
                sent->push_back({i, m.atoms});
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
        if (!box_ || !graph_ || !compiled_)
            return;
        long affordable = 0;
        while (affordable < wanted && budget_.spend(cost(*box_->as<track_t>(), vector_)))
            ++affordable;
        graph_->run(affordable);
        if (Host::get().console_has("from the audio thread"))
            fail("an outlet was used from the audio thread");
    }

    void check() {
        bool voicing_sent = false;
        for (const auto &[outlet, atoms] : *sent_) {
            const double first = atoms.empty() ? std::nan("") : atom_getfloat(&atoms[0]);
            if (outlet == 1) {
                if (voicing_sent || atoms.size() != 1 || !(first >= 0 && first <= 1))
                    fail("voicing %g (%zu atoms) out of turn or range", first, atoms.size());
                voicing_sent = true;
            } else if (outlet == 0) {
                if (!voicing_sent || atoms.size() != 1 || !std::isfinite(first))
                    fail("pitch %g (%zu atoms) without its voicing", first, atoms.size());
                voicing_sent = false;
            } else {
                note(atoms);
            }
        }
        if (voicing_sent)
            fail("a voicing probability without its pitch");
        sent_->clear();
    }

    void note(const std::vector<t_atom> &atoms) {
        if (atoms.size() != 2 || atom_gettype(&atoms[0]) != A_LONG ||
            atom_gettype(&atoms[1]) != A_LONG)
            fail("a note of %zu atoms, not two whole numbers", atoms.size());
        const long pitch = atom_getlong(&atoms[0]), velocity = atom_getlong(&atoms[1]);
        if (pitch < 0 || pitch > 127 || velocity < 0 || velocity > 127)
            fail("note %ld %ld out of range", pitch, velocity);
        if (velocity > 0 && sounding_ >= 0)
            fail("note %ld starts while %ld sounds", pitch, sounding_);
        if (velocity == 0 && sounding_ != pitch)
            fail("note %ld ends while %ld sounds", pitch, sounding_);
        sounding_ = velocity > 0 ? pitch : -1;
    }

    struct Sent {
        int outlet;
        std::vector<t_atom> atoms;
    };
    std::shared_ptr<std::vector<Sent>> sent_ = std::make_shared<std::vector<Sent>>();
    std::unique_ptr<Box> box_;
    std::unique_ptr<DspGraph> graph_;  // after the box: it goes first, while the box still exists
    bool compiled_ = false;
    long vector_ = 64;
    long sounding_ = -1;  // the pitch of the note sounding, or -1
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
    if (Host::get().pending_clocks() != 0)
        fail("%d clocks still set after the box was freed", Host::get().pending_clocks());
    return 0;
}
