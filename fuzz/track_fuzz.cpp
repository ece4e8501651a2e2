// Fuzzes morv.track~ as a patch uses it: a box typed from arbitrary text, then any sequence of
// messages and attribute changes, recompiles at other rates and vector sizes, audio switched off
// and on, the object muted, retyped boxes, and vectors of arbitrary data, in the stand-in host
// that stays up across inputs.
//
// Steps (one per line after the box text): those of box_session.hpp (m sends "fmin 80", "lag 0",
// "unit midi", "reset", "active 0" and the like), and
//   r [N] PATTERN  run N vectors (up to 256) of the pattern's signal
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
#include "box_session.hpp"
#include "track.h"
#include "track_engine.h"

namespace {

using namespace morvfuzz;
using morvhost::Host;

// Work is counted in the frame's FFT correlation and the decoder's transitions; a sample through
// the host and the decimation costs about as much as four of them.
constexpr std::int64_t work_per_input = std::int64_t{1} << 22;
constexpr std::int64_t work_per_sample = 4;
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

class Session : public BoxSession {
  public:
    explicit Session(std::string_view args) : BoxSession("morv.track~", 3) { retype(args); }

  private:
    void other_step(char op, std::string_view arg) override {
        if (op != 'r')
            return;
        const long wanted = std::clamp(take_long(arg, 1), 0L, max_vectors_per_step);
        pattern_ = Pattern(arg);
        if (!playing())
            return;
        long affordable = 0;
        while (affordable < wanted && budget_.spend(cost(*box()->as<track_t>(), vector())))
            ++affordable;
        graph().run(affordable);
        check_audio_thread();
    }

    void forget() override { sounding_ = -1; }

    void check(const std::vector<Sent> &sent) override {
        bool voicing_sent = false;
        for (const Sent &s : sent) {
            const double value = s.single_float();
            if (s.outlet == 1) {
                if (voicing_sent || !(value >= 0 && value <= 1))
                    fail("voicing %g out of turn or range", value);
                voicing_sent = true;
            } else if (s.outlet == 0) {
                if (!voicing_sent || !std::isfinite(value))
                    fail("pitch %g without its voicing", value);
                voicing_sent = false;
            } else {
                note(s.atoms);
            }
        }
        if (voicing_sent)
            fail("a voicing probability without its pitch");
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

    long sounding_ = -1;  // the pitch of the note sounding, or -1
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
