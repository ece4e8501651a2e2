// Shared set-up of the morv.track~ tests in the stand-in host, over the externals' module fixture:
// recording what the outlets send in order (floats and the notes' lists), and playing signals
// through a graph.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "module_fixture.h"
#include "morvhost/host.hpp"

namespace track_test {

constexpr double kRate = 44100.0;
constexpr long kVector = 64;

using morvtest::make_box;

// One message from an outlet: 0 pitch, 1 voicing, 2 notes (two numbers, pitch and velocity).
struct Sent {
    int outlet;
    double value;   // the float, or the note's pitch
    long velocity;  // notes only
    std::int64_t time_samples;
};

// Records every message of the three outlets in the order in which they are sent.
class OutletLog {
  public:
    explicit OutletLog(morvhost::Box &box) : sent_(std::make_shared<std::vector<Sent>>()) {
        for (int i = 0; i < 3; ++i)
            box.outlet(i).on_message([log = sent_, i](const morvhost::Message &m) {
                const double v = m.atoms.empty() ? 0.0 : atom_getfloat(&m.atoms[0]);
                const long velocity =
                    m.atoms.size() > 1 ? static_cast<long>(atom_getlong(&m.atoms[1])) : -1;
                log->push_back({i, v, velocity, m.time_samples});
            });
    }
    const std::vector<Sent> &sent() const { return *sent_; }
    std::vector<Sent> notes() const {
        std::vector<Sent> out;
        for (const Sent &s : *sent_)
            if (s.outlet == 2)
                out.push_back(s);
        return out;
    }
    std::vector<Sent> outlet(int which) const {
        std::vector<Sent> out;
        for (const Sent &s : *sent_)
            if (s.outlet == which)
                out.push_back(s);
        return out;
    }
    void clear() { sent_->clear(); }

  private:
    std::shared_ptr<std::vector<Sent>> sent_;
};

// A harmonic tone, or silence at 0 Hz, `seconds` long.
inline std::vector<double> tone(double hz, double seconds, double amplitude = 0.3) {
    std::vector<double> x(static_cast<std::size_t>(seconds * kRate));
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double phase = 2.0 * std::numbers::pi * hz * static_cast<double>(i) / kRate;
        x[i] = hz > 0 ? amplitude * (std::sin(phase) + 0.5 * std::sin(2.0 * phase)) : 0.0;
    }
    return x;
}

// A graph feeding the box from a buffer the test fills vector by vector, with the scheduler run
// after each vector as the host does.
class Player {
  public:
    explicit Player(morvhost::Box &box, long vector = kVector) : vector_(vector) {
        graph_.add(box);
        graph_.connect(
            [this](double *out, long n) {
                for (long i = 0; i < n; ++i) out[i] = at_ < input_.size() ? input_[at_++] : 0.0;
            },
            box, 0);
        EXPECT_TRUE(graph_.compile(kRate, vector));
        morvhost::Host::get().run_scheduler();
    }
    // Plays the samples (rounded up to whole vectors, padded with silence); `in_audio`, if given,
    // is true while the audio thread's part runs.
    void play(const std::vector<double> &samples, bool *in_audio = nullptr) {
        input_ = samples;
        at_ = 0;
        const long vectors =
            static_cast<long>((samples.size() + static_cast<std::size_t>(vector_) - 1) /
                              static_cast<std::size_t>(vector_));
        bool ignored = false;
        bool &audio = in_audio ? *in_audio : ignored;
        for (long v = 0; v < vectors; ++v) {
            audio = true;
            graph_.run(1);
            audio = false;
            morvhost::Host::get().run_scheduler();
        }
    }
    morvhost::DspGraph &graph() { return graph_; }

  private:
    morvhost::DspGraph graph_;
    long vector_;
    std::vector<double> input_;
    std::size_t at_ = 0;
};

inline double attr_number(morvhost::Box &box, std::string_view name) {
    const auto atoms = box.get_attr(name);
    return atoms.empty() ? std::nan("") : atom_getfloat(&atoms[0]);
}

}  // namespace track_test
