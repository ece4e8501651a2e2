// pfft.cpp - the pfft~ container: inner patch, frame buffering, and one inner graph run per frame.
#include "morvhost/pfft.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "pfft_analysis.h"

namespace morvhost {

namespace {

// Large enough for any analysis, small enough that buffer sizes never overflow.
constexpr long max_fft_size = 1L << 24;

bool is_power_of_two(long v) {
    return v > 0 && (v & (v - 1)) == 0;
}

// Binds "__pfft~__" to the container for one scope and restores the previous binding after it,
// even when box creation fails.
class PfftBinding {
  public:
    explicit PfftBinding(t_object *container)
        : symbol_(gensym("__pfft~__")), previous_(symbol_->s_thing) {
        symbol_->s_thing = container;
    }
    ~PfftBinding() { symbol_->s_thing = previous_; }
    PfftBinding(const PfftBinding &) = delete;
    PfftBinding &operator=(const PfftBinding &) = delete;

  private:
    t_symbol *symbol_;
    t_object *previous_;
};

}  // namespace

struct Pfft::State {
    long fft_size;
    long hop;
    t_pfftpub pub{};
    pfft_detail::FrameAnalysis analysis;
    // Boxes before the graph: the graph goes first on destruction, then the boxes it refers to.
    std::vector<std::unique_ptr<Box>> boxes;
    DspGraph graph;
    std::vector<SignalSink> sinks;
    double samplerate = 0.0;
    bool compiled = false;        // process() runs nothing until the inner graph compiled
    std::vector<double> pending;  // input not yet consumed: the next frame starts at its front
    std::int64_t frame = 0;       // index of the next frame
    std::int64_t current = 0;     // index of the frame being run (read by the collectors)

    State(long size, long overlap) : fft_size(size), hop(size / overlap), analysis(size) {}
};

Pfft::Pfft(long fft_size, long overlap) {
    if (!is_power_of_two(fft_size) || fft_size < 4 || fft_size > max_fft_size) {
        throw std::invalid_argument("pfft~: FFT size " + std::to_string(fft_size) +
                                    " is not a power of two between 4 and " +
                                    std::to_string(max_fft_size));
    }
    if (overlap < 1 || overlap > fft_size || fft_size % overlap != 0) {
        throw std::invalid_argument("pfft~: overlap " + std::to_string(overlap) +
                                    " does not divide the FFT size " + std::to_string(fft_size) +
                                    " into a whole hop of at least one sample");
    }
    state_ = std::make_unique<State>(fft_size, overlap);
    t_pfftpub &pub = state_->pub;
    pub.x_fftsize = fft_size;
    pub.x_ffthop = state_->hop;
    state_->graph.set_advances_time(false);
    state_->pending.reserve(static_cast<std::size_t>(fft_size + state_->hop));
}

Pfft::~Pfft() = default;

long Pfft::fft_size() const {
    return state_->fft_size;
}
long Pfft::hop() const {
    return state_->hop;
}
long Pfft::frame_size() const {
    return state_->fft_size / 2;
}
t_object *Pfft::object() const {
    return reinterpret_cast<t_object *>(&state_->pub);
}
std::int64_t Pfft::frames_done() const {
    return state_->frame;
}

Box *Pfft::create(std::string_view text) {
    std::unique_ptr<Box> box;
    {
        PfftBinding binding(object());
        box = Box::create(text);
    }
    if (!box) {
        return nullptr;
    }
    state_->graph.add(*box);
    state_->boxes.push_back(std::move(box));
    return state_->boxes.back().get();
}

void Pfft::connect(Box &from, int outlet, Box &to, int inlet) {
    state_->graph.connect(from, outlet, to, inlet);
}

namespace {
DspGraph::Source copy_from(std::span<const double> bins) {
    return [bins](double *out, long n) {
        for (long k = 0; k < n && static_cast<std::size_t>(k) < bins.size(); ++k) {
            out[k] = bins[static_cast<std::size_t>(k)];
        }
    };
}
}  // namespace

void Pfft::feed_real(Box &to, int inlet) {
    state_->graph.connect(copy_from(state_->analysis.real()), to, inlet);
}
void Pfft::feed_imag(Box &to, int inlet) {
    state_->graph.connect(copy_from(state_->analysis.imag()), to, inlet);
}
void Pfft::feed_amplitude(Box &to, int inlet) {
    state_->graph.connect(copy_from(state_->analysis.amplitude()), to, inlet);
}

void Pfft::collect(Box &from, int outlet, Listener listener) {
    SignalSink sink = state_->graph.connect_sink(from, outlet);
    State *s = state_.get();
    sink.on_vector([s, listener = std::move(listener)](std::span<const double> values) {
        const std::int64_t first = s->current * s->hop;
        const double centre = static_cast<double>(first) + static_cast<double>(s->fft_size) / 2;
        listener(PfftFrame{s->current, first, centre / s->samplerate, values});
    });
    state_->sinks.push_back(std::move(sink));
}

bool Pfft::compile(double samplerate) {
    State &s = *state_;
    s.samplerate = samplerate;
    s.pending.clear();
    s.frame = 0;
    s.compiled = s.graph.compile(samplerate, s.fft_size / 2);
    return s.compiled;
}

void Pfft::process(std::span<const double> input) {
    State &s = *state_;
    const auto size = static_cast<std::size_t>(s.fft_size);
    const auto hop = static_cast<std::size_t>(s.hop);
    while (s.compiled && !input.empty()) {
        // Take only what completes the next frame, so the buffer never grows past one frame.
        const std::size_t take = std::min(input.size(), size - s.pending.size());
        s.pending.insert(s.pending.end(), input.begin(), input.begin() + take);
        input = input.subspan(take);
        if (s.pending.size() < size) {
            break;
        }
        s.analysis.analyse(s.pending);
        s.current = s.frame;
        s.graph.run(1);
        for (SignalSink &sink : s.sinks) {
            sink.clear();  // the listeners have seen the frame; keep memory flat on long streams
        }
        ++s.frame;
        s.pending.erase(s.pending.begin(), s.pending.begin() + static_cast<std::ptrdiff_t>(hop));
    }
}

}  // namespace morvhost
