// Fuzzes morv.centroid~ inside the stand-in pfft~: a box typed from arbitrary text inside
// containers of every size and overlap, its inlets fed in every combination, recompiled at any
// sample rate, muted, double-clicked, asked for its labels and file usage, sent messages, and
// given arbitrary audio; the host stays up across inputs.
//
// Steps (one per line after the box text, see script.hpp):
//   t [E] [K] [F]  a new container: FFT size 2^(E+1), E from 1 to 11 (4 .. 4096); overlap
//                  2^(K-1), K from 1 to log2 size + 1; inlets fed by F: 1 real and imaginary,
//                  2 amplitude alone, 3 real alone, 4 imaginary alone, 5 nothing, 6 amplitude
//                  into both.  Numbers outside those ranges wrap into them.
//   n TEXT         a new container like the last, its box typed as "morv.centroid~ TEXT"
//   c [SR]         compile at sample rate SR
//   r [N] PATTERN  stream N samples (up to 65536) of the pattern's signal
//   o [0|1]        mute or unmute the object
//   m TEXT         send TEXT to the box as a message
//   d / a / u      double click, read every label, collect the file usage
//
// Checked on every frame: the outlet carries one value over the whole frame (or NaN throughout);
// with power or amplitude weights it lies between 0 Hz and half the sample rate, and for input
// that cannot overflow (the byte patterns) it is finite.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "morvhost/host.hpp"
#include "morvhost/pfft.hpp"
#include "script.hpp"

namespace {

using namespace morvfuzz;
using morvhost::Host;
using morvhost::Pfft;
using morvhost::PfftFrame;

constexpr std::int64_t work_per_input = std::int64_t{1} << 16;
constexpr long max_exponent = 10;  // FFT sizes 4 .. 4096
constexpr long max_samples_per_step = 1 << 16;

enum Feed { complex, amplitude, real_alone, imag_alone, none, amplitude_both, feeds };

class Session {
  public:
    explicit Session(std::string_view args) : args_(args) { rebuild(); }

    void step(char op, std::string_view arg) {
        switch (op) {
            case 't':
                size_ = long{4} << (into_range(take_long(arg, 8), max_exponent + 1) - 1);
                overlap_ = long{1} << (into_range(take_long(arg, 2), log2_size() + 1) - 1);
                feed_ = static_cast<Feed>(into_range(take_long(arg, 1), feeds) - 1);
                rebuild();
                break;
            case 'n':
                args_ = arg;
                rebuild();
                break;
            case 'c':
                if (box_) {
                    samplerate_ = take_double(arg, 44100);
                    compiled_ = pfft_->compile(samplerate_);
                    fed_ = 0;
                    raw_fed_ = false;
                }
                break;
            case 'r':
                stream(arg);
                break;
            case 'o':
                if (box_)
                    box_->set_dsp_enabled(arg.empty() || arg.front() != '0');
                break;
            case 'm':
                if (box_)
                    box_->send_text(arg);
                break;
            case 'd':
                if (box_)
                    box_->dblclick();
                break;
            case 'a':
                if (box_)
                    for (long index : {-1L, 0L, 1L, 2L}) {
                        box_->assist(ASSIST_INLET, index);
                        box_->assist(ASSIST_OUTLET, index);
                    }
                break;
            case 'u':
                if (box_)
                    box_->fileusage();
                break;
            default:
                break;
        }
    }

  private:
    void rebuild() {
        box_ = nullptr;
        compiled_ = false;
        pfft_ = std::make_unique<Pfft>(size_, overlap_);
        box_ = pfft_->create("morv.centroid~ " + args_);
        if (!box_)
            return;
        if (feed_ == complex || feed_ == real_alone)
            pfft_->feed_real(*box_, 0);
        if (feed_ == complex || feed_ == imag_alone)
            pfft_->feed_imag(*box_, 1);
        if (feed_ == amplitude || feed_ == amplitude_both)
            pfft_->feed_amplitude(*box_, 0);
        if (feed_ == amplitude_both)
            pfft_->feed_amplitude(*box_, 1);
        pfft_->collect(*box_, 0, [this](const PfftFrame &frame) { check(frame); });
    }

    long log2_size() const { return std::countr_zero(static_cast<unsigned long>(size_)); }

    // Frames completed once `total` samples have been streamed since the compile.
    std::int64_t frames_after(std::int64_t total) const {
        return total < size_ ? 0 : (total - size_) / (size_ / overlap_) + 1;
    }

    void stream(std::string_view arg) {
        long wanted = std::clamp(take_long(arg, 0), 0L, max_samples_per_step);
        pattern_ = Pattern(arg);
        if (!compiled_)
            return;
        // An FFT and a pass over the bins per frame.
        const std::int64_t per_frame = size_ * (log2_size() + 1);
        while (wanted > 0 && !budget_.spend(wanted + per_frame * (frames_after(fed_ + wanted) -
                                                                  frames_after(fed_))))
            wanted /= 2;
        input_.resize(static_cast<std::size_t>(wanted));
        pattern_.fill(input_.data(), wanted);
        raw_fed_ = raw_fed_ || (wanted > 0 && pattern_.raw());
        pfft_->process(input_);
        fed_ += wanted;
    }

    void check(const PfftFrame &frame) const {
        if (frame.values.size() != static_cast<std::size_t>(size_ / 2))
            fail("a frame of %zu values from a %ld-point FFT", frame.values.size(), size_);
        const double first = frame.values[0];
        for (double v : frame.values)
            if (!(v == first || (std::isnan(v) && std::isnan(first))))
                fail("frame %lld carries %.17g and %.17g", static_cast<long long>(frame.index),
                     first, v);
        if (feed_ != complex && feed_ != amplitude && feed_ != amplitude_both)
            return;
        if (!raw_fed_ && !std::isfinite(first))
            fail("centroid %g of a bounded input", first);
        // The weights are not negative, so the centroid is a mean bin: below the last bin, less
        // a rounding error.
        if (std::isfinite(first) && !(first >= 0 && first <= samplerate_ / 2 * (1 + 1e-12)))
            fail("centroid %.17g outside 0 .. %g Hz", first, samplerate_ / 2);
    }

    std::string args_;
    long size_ = 512;
    long overlap_ = 2;
    Feed feed_ = complex;
    std::unique_ptr<Pfft> pfft_;
    morvhost::Box *box_ = nullptr;
    bool compiled_ = false;
    double samplerate_ = 44100;
    std::int64_t fed_ = 0;
    bool raw_fed_ = false;  // raw floats streamed since the compile: overflow is possible
    Pattern pattern_;
    std::vector<double> input_;
    Budget budget_{work_per_input};
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    Host &host = Host::get();
    host.add_search_path(MORV_EXTERNALS_DIR);
    host.load_extensions(MORV_EXTENSIONS_DIR);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Host::get().clear_console();
    Script script(data, size);
    Session session(script.box_text());
    script.play(session);
    return 0;
}
