// pfft.hpp - the stand-in host's spectral container, pfft~.
//
// A Pfft owns an inner patch of boxes and runs it once per analysis frame.  It cuts its input
// stream into frames of `fft_size` samples, one every hop = fft_size / overlap samples, applies a
// periodic Hann window, takes an unnormalised forward FFT and hands bins 0 .. fft_size/2 - 1 to
// the inner boxes as signal vectors (real part, imaginary part, or amplitude), exactly as the
// host's fftin~ delivers them.  The inner graph is compiled at vector size fft_size / 2 and at
// the outer sample rate, so that is what the inner objects' dsp64 receive; it never advances the
// host's logical time.  Every collected inner outlet is reported once per frame.
//
// Frame alignment: frame j covers input samples [j*hop, j*hop + fft_size) of the stream given to
// process() since compile(); it is analysed as soon as its last sample has arrived, so results do
// not depend on how the stream is split into calls.  Its time stamp is the window's centre,
// (j*hop + fft_size/2) / samplerate seconds.  Trailing samples that do not complete a frame are
// not analysed.
//
// While create() makes a box, the symbol "__pfft~__" is bound to the container (s_thing points at
// its host object, laid out as the SDK's t_pfftpub) and the previous binding is restored
// afterwards, which is how objects inside find their container.
//
// Threads: everything here belongs to the main thread except process(), which is the audio
// thread of the inner graph (it does not allocate once the buffers have grown to a frame).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "morvhost/host.hpp"

namespace morvhost {

// The SDK's public record of a pfft~: inner objects may read the geometry here.  Its `long`
// fields follow the platform (128 bytes on LP64, 104 on 64-bit Windows).
struct t_pfftpub {
    t_pxobject x_obj;
    t_object *x_parent;
    t_object *x_patcher;
    void *x_chain;
    long x_fftsize;
    long x_ffthop;
    long x_fftoffset;
    long x_fftindex;
    short x_fullspect;
};

struct PfftFrame {
    std::int64_t index;              // j, counted from 0 at compile()
    std::int64_t first_sample;       // j * hop
    double time_seconds;             // centre of the window
    std::span<const double> values;  // the collected outlet's vector, fft_size / 2 samples
};

class Pfft {
  public:
    using Listener = std::function<void(const PfftFrame &)>;

    // fft_size must be a power of two >= 4 and overlap must divide it (hop >= 1); anything else
    // throws std::invalid_argument naming the bad value.
    explicit Pfft(long fft_size = 512, long overlap = 2);
    ~Pfft();
    Pfft(const Pfft &) = delete;
    Pfft &operator=(const Pfft &) = delete;

    long fft_size() const;
    long hop() const;
    long frame_size() const;   // fft_size / 2: the inner vector size and the number of bins
    t_object *object() const;  // the container as a host object: what "__pfft~__" is bound to

    // Creates a box of the inner patch, as a user types it; null on failure (the console says
    // why).  The container owns the box.
    Box *create(std::string_view text);
    // Wires two inner boxes.
    void connect(Box &from, int outlet, Box &to, int inlet);
    // What each frame feeds into an inner inlet.
    void feed_real(Box &to, int inlet);
    void feed_imag(Box &to, int inlet);
    void feed_amplitude(Box &to, int inlet);  // sqrt(re^2 + im^2) per bin
    // Reports an inner signal outlet once per frame.
    void collect(Box &from, int outlet, Listener listener);

    // Compiles the inner graph (calls every inner dsp64) and restarts the stream at frame 0.
    // False (with a console error from the graph) when it cannot be compiled.
    bool compile(double samplerate);
    // Appends input samples; analyses every frame that they complete.  Ignores its input until
    // compile() has succeeded.
    void process(std::span<const double> input);
    std::int64_t frames_done() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace morvhost
