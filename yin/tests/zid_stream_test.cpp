// zid~ streaming through the stand-in host: geometry derivation, buffering, hops, analyses on
// period and on demand, outlets, and calls that do not match the announced vector size.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "yinutils.h"
#include "module_fixture.h"
#include "yin.h"

namespace {

using morvhost::DspGraph;
using morvhost::make_float;
using morvhost::make_long;
using morvtest::make_box;
using morvtest::OutletLog;
using morvtest::record;
using morvtest::run_scheduler;

// A signal whose every sample differs, so buffer contents show where each sample went.
double ramp(long i) {
    return static_cast<double>(i % 97) * 0.01 - 0.5;
}

DspGraph::Source ramp_source() {
    return [i = 0L](double *out, long n) mutable {
        for (long k = 0; k < n; ++k) out[k] = ramp(i++);
    };
}

// What the buffer must hold for decimated sample j when input sample `first` is the first one.
float decimated(long first, int32_t down, long j) {
    double sum = 0.0;
    for (long k = 0; k < (1L << down); ++k) sum += ramp(first + (j << down) + k);
    return static_cast<float>(sum * (1.0 / (1L << down)));
}

void expect_zero(const float *a, int from, int to) {
    for (int i = from; i < to; ++i) ASSERT_EQ(a[i], 0.0f) << "index " << i;
}

struct Running {
    std::unique_ptr<morvhost::Box> box;
    DspGraph graph;
    Running(const char *text, DspGraph::Source source, long vector = 64) : box(make_box(text)) {
        if (!box)
            return;
        graph.add(*box);
        graph.connect(std::move(source), *box, 0);
        EXPECT_TRUE(graph.compile(44100, vector));
    }
    yin_t &x() { return record<yin_t>(*box); }
};

TEST(ZidStream, DefaultsFollowTheWorkedExample) {
    Running r("zid~", ramp_source());
    ASSERT_TRUE(r.box);
    yin_t &x = r.x();
    OutletLog log(*r.box);
    // Compiling stores the rate and vector size and makes the geometry stale; it allocates nothing.
    EXPECT_EQ(x.samplerate, 44100.0);
    EXPECT_EQ(x.max_vector_size, 64);
    EXPECT_EQ(x.param_version, 1u);
    EXPECT_EQ(x.frames.buffer, nullptr);

    r.graph.run(1);
    EXPECT_EQ(x.applied_version, 1u);
    EXPECT_EQ(x.frames.analysis_rate, 11025.0);
    EXPECT_EQ(x.frames.down, 2);
    EXPECT_EQ(x.frames.max_lag, 186);
    EXPECT_EQ(x.frames.window_size, 188);
    EXPECT_EQ(x.frames.hop_size, 64);
    EXPECT_EQ(x.frames.fill, 16);
    ASSERT_NE(x.frames.buffer, nullptr);
    ASSERT_NE(x.frames.acf, nullptr);
    // 440 floats: an empty frame of 376, the first 16 averages, the rest of the hop still 0.
    expect_zero(x.frames.buffer, 0, 376);
    for (int j = 0; j < 16; ++j) EXPECT_EQ(x.frames.buffer[376 + j], decimated(0, 2, j)) << j;
    expect_zero(x.frames.buffer, 392, 440);
    expect_zero(x.frames.acf, 0, 192);

    r.graph.run(2);
    EXPECT_EQ(x.frames.fill, 48);
    EXPECT_EQ(run_scheduler(), 0);
    EXPECT_TRUE(log.sent().empty());

    // The fourth vector completes the hop; the results wait for the scheduler.
    r.graph.run(1);
    EXPECT_EQ(x.frames.fill, 0);
    EXPECT_TRUE(log.sent().empty());
    EXPECT_EQ(morvhost::Host::get().pending_clocks(), 1);
    // The frame: 312 zeros, then the first 64 averages.
    expect_zero(x.frames.buffer, 0, 312);
    for (int j = 0; j < 64; ++j) EXPECT_EQ(x.frames.buffer[312 + j], decimated(0, 2, j)) << j;

    // The same frame through the estimator gives the published results.
    std::vector<float> frame(x.frames.buffer, x.frames.buffer + 376), acf(192);
    double aperiodicity = -1;
    const double lag = yin_calculate_lag(frame.data(), acf.data(), 186, 0.1, 1.0, &aperiodicity);
    EXPECT_EQ(x.frequency, 11025.0 / lag);
    EXPECT_EQ(x.periodicity, 1.0 - std::sqrt(aperiodicity));
    double energy = 0;
    for (int i = 0; i < 186; ++i) energy += double(frame[i]) * frame[i];
    EXPECT_EQ(x.amplitude, double(std::sqrt(x.frames.acf[0] / 188.0f)));
    EXPECT_NEAR(x.amplitude, std::sqrt(energy / 188.0), 1e-6);
    EXPECT_EQ(x.amplitude, 0.0);  // the energy covers frame samples 0 to 185, still silent

    // Right to left, from the scheduler.
    EXPECT_EQ(run_scheduler(), 1);
    ASSERT_EQ(log.sent().size(), 3u);
    EXPECT_EQ(log.sent()[0].outlet, 2);
    EXPECT_EQ(log.sent()[0].value, x.periodicity);
    EXPECT_EQ(log.sent()[1].outlet, 1);
    EXPECT_EQ(log.sent()[1].value, x.amplitude);
    EXPECT_EQ(log.sent()[2].outlet, 0);
    EXPECT_EQ(log.sent()[2].value, x.frequency);

    // Every fourth vector from then on.
    log.clear();
    for (int i = 0; i < 12; ++i) {
        r.graph.run(1);
        run_scheduler();
    }
    EXPECT_EQ(log.analyses(), 3u);
    EXPECT_GT(x.amplitude, 0.1);
    EXPECT_EQ(x.amplitude, double(std::sqrt(x.frames.acf[0] / 188.0f)));
    EXPECT_EQ(log.sent().back().value, x.frequency);
}

TEST(ZidStream, DownChangedWhileRunning) {
    Running r("zid~", ramp_source());
    ASSERT_TRUE(r.box);
    yin_t &x = r.x();
    OutletLog log(*r.box);
    r.graph.run(6);
    run_scheduler();
    ASSERT_EQ(log.analyses(), 1u);
    ASSERT_EQ(x.frames.fill, 32);

    ASSERT_EQ(r.box->set_attr("down", {make_long(1)}), MAX_ERR_NONE);
    r.graph.run(1);  // input samples 384 to 447
    EXPECT_EQ(x.frames.analysis_rate, 22050.0);
    EXPECT_EQ(x.frames.down, 1);
    EXPECT_EQ(x.frames.max_lag, 370);
    EXPECT_EQ(x.frames.window_size, 372);
    EXPECT_EQ(x.frames.hop_size, 128);
    EXPECT_EQ(x.frames.fill, 32);  // the unfinished hop was dropped
    // 872 floats, zeroed, with the first 32 new averages at the start of the hop.
    expect_zero(x.frames.buffer, 0, 744);
    for (int j = 0; j < 32; ++j) EXPECT_EQ(x.frames.buffer[744 + j], decimated(384, 1, j)) << j;
    expect_zero(x.frames.buffer, 776, 872);

    r.graph.run(2);
    EXPECT_EQ(x.frames.fill, 96);
    run_scheduler();
    EXPECT_EQ(log.analyses(), 1u);
    r.graph.run(1);  // the hop ends exactly at the end of the buffer
    EXPECT_EQ(x.frames.fill, 0);
    for (int j = 0; j < 128; ++j) EXPECT_EQ(x.frames.buffer[616 + j], decimated(384, 1, j)) << j;
    run_scheduler();
    EXPECT_EQ(log.analyses(), 2u);
    std::vector<float> frame(x.frames.buffer, x.frames.buffer + 744), acf(376);
    double aperiodicity;
    EXPECT_EQ(x.frequency,
              22050.0 / yin_calculate_lag(frame.data(), acf.data(), 370, 0.1, 1.0, &aperiodicity));
}

TEST(ZidStream, DerivationThatKeepsTheSizesKeepsTheBuffer) {
    Running r("zid~", ramp_source());
    ASSERT_TRUE(r.box);
    yin_t &x = r.x();
    r.graph.run(6);  // one hop, then 32 samples of the next
    const std::vector<float> before(x.frames.buffer, x.frames.buffer + 440);
    float *const array = x.frames.buffer;

    // An equal value, a new max_lag within the same window, and a new compile at the same rate:
    // each re-derives, restarts the hop, and leaves the arrays alone.
    auto expect_kept = [&](int vectors_so_far) {
        EXPECT_EQ(x.applied_version, x.param_version);
        EXPECT_EQ(x.frames.fill, 16);
        EXPECT_EQ(x.frames.buffer, array);
        for (int i = 0; i < 376; ++i) ASSERT_EQ(x.frames.buffer[i], before[i]) << i;
        for (int j = 0; j < 16; ++j)
            ASSERT_EQ(x.frames.buffer[376 + j], decimated(64L * (vectors_so_far - 1), 2, j)) << j;
        // What the restarted hop has not overwritten yet is still there.
        for (int i = 392; i < 408; ++i) ASSERT_EQ(x.frames.buffer[i], before[i]) << i;
    };
    ASSERT_EQ(r.box->set_attr("period", {make_float(5)}), MAX_ERR_NONE);
    r.graph.run(1);
    expect_kept(7);

    ASSERT_EQ(r.box->set_attr("minfreq", {make_float(59.5)}), MAX_ERR_NONE);
    r.graph.run(1);
    EXPECT_EQ(x.frames.max_lag, 188);
    EXPECT_EQ(x.frames.window_size, 188);
    // Vector 8 went to the start of the hop again; compare against a fresh snapshot.
    const std::vector<float> again(x.frames.buffer, x.frames.buffer + 440);
    ASSERT_TRUE(r.graph.compile(44100, 64));
    r.graph.run(1);
    EXPECT_EQ(x.frames.buffer, array);
    EXPECT_EQ(x.frames.fill, 16);
    for (int i = 0; i < 376; ++i) ASSERT_EQ(x.frames.buffer[i], again[i]) << i;

    // A new window size clears everything.
    ASSERT_EQ(r.box->set_attr("minfreq", {make_float(30)}), MAX_ERR_NONE);
    r.graph.run(1);
    EXPECT_EQ(x.frames.window_size, 372);
    expect_zero(x.frames.buffer, 0, 744);
}

TEST(ZidStream, PeriodZeroAnalysesOncePerBang) {
    Running r("zid~ 2 60 0", DspGraph::sine(440, 44100));
    ASSERT_TRUE(r.box);
    OutletLog log(*r.box);
    for (int i = 0; i < 30; ++i) r.graph.run(1), run_scheduler();  // a frame full of signal
    EXPECT_EQ(r.x().frames.hop_size, 16);
    EXPECT_EQ(log.analyses(), 0u);

    ASSERT_TRUE(r.box->send("bang"));
    ASSERT_TRUE(r.box->send("bang"));
    EXPECT_EQ(r.x().triggered, 1);
    r.graph.run(1);
    EXPECT_EQ(r.x().triggered, 0);
    for (int i = 0; i < 10; ++i) run_scheduler(), r.graph.run(1);
    run_scheduler();
    ASSERT_EQ(log.analyses(), 1u);
    EXPECT_NEAR(log.sent()[2].value, 440.0, 4.4);
}

TEST(ZidStream, BangWhilePeriodicAddsNothing) {
    Running r("zid~", DspGraph::sine(440, 44100));
    ASSERT_TRUE(r.box);
    OutletLog log(*r.box);
    for (int i = 0; i < 16; ++i) {
        if (i % 3 == 0)
            r.box->send("bang");
        r.graph.run(1);
        run_scheduler();
    }
    EXPECT_EQ(log.analyses(), 4u);
}

TEST(ZidStream, BangWaitsForAudioAndForActive) {
    auto box = make_box("zid~ 2 60 0");
    ASSERT_TRUE(box);
    OutletLog log(*box);
    ASSERT_TRUE(box->send("bang"));  // audio is off
    EXPECT_EQ(run_scheduler(), 0);
    DspGraph graph;
    graph.add(*box);
    graph.connect(DspGraph::sine(300, 44100), *box, 0);
    ASSERT_TRUE(graph.compile(44100, 64));
    graph.run(1);
    run_scheduler();
    EXPECT_EQ(log.analyses(), 1u);

    ASSERT_TRUE(box->send("active", {make_long(0)}));
    ASSERT_TRUE(box->send("bang"));
    for (int i = 0; i < 5; ++i) graph.run(1), run_scheduler();
    EXPECT_EQ(log.analyses(), 1u);
    EXPECT_EQ(record<yin_t>(*box).triggered, 1);
    ASSERT_TRUE(box->send("active", {make_long(1)}));
    graph.run(1);
    run_scheduler();
    EXPECT_EQ(log.analyses(), 2u);
}

TEST(ZidStream, SilenceGivesZeroAmplitude) {
    Running r("zid~", DspGraph::constant(0.0));
    ASSERT_TRUE(r.box);
    OutletLog log(*r.box);
    r.graph.run(4);
    run_scheduler();
    ASSERT_EQ(log.analyses(), 1u);
    EXPECT_EQ(r.x().frames.acf[0], 0.0f);
    EXPECT_EQ(log.sent()[1].value, 0.0);
    // No dip: the estimator's default, the longest lag and no periodicity.
    EXPECT_EQ(log.sent()[0].value, 0.0);
    EXPECT_EQ(log.sent()[2].value, 11025.0 / 186.0);
}

// Mutes the box in one of the two ways, or unmutes it.
void mute(morvhost::Box &box, bool disabled_not_inactive, bool on) {
    if (disabled_not_inactive)
        box.set_dsp_enabled(!on);
    else
        ASSERT_TRUE(box.send("active", {make_long(on ? 0 : 1)}));
}

TEST(ZidStream, MutedObjectRederivesButBuffersNothing) {
    for (bool disabled : {true, false}) {
        SCOPED_TRACE(disabled ? "disabled" : "inactive");
        Running r("zid~", ramp_source());
        ASSERT_TRUE(r.box);
        yin_t &x = r.x();
        OutletLog log(*r.box);
        r.graph.run(2);
        const std::vector<float> before(x.frames.buffer, x.frames.buffer + 440);

        mute(*r.box, disabled, true);
        r.graph.run(5);
        run_scheduler();
        EXPECT_EQ(x.frames.fill, 32);  // frozen
        EXPECT_EQ(std::vector<float>(x.frames.buffer, x.frames.buffer + 440), before);
        EXPECT_EQ(log.analyses(), 0u);

        ASSERT_EQ(r.box->set_attr("minfreq", {make_float(30)}), MAX_ERR_NONE);
        r.graph.run(1);
        EXPECT_EQ(x.applied_version, x.param_version);
        EXPECT_EQ(x.frames.max_lag, 370);
        EXPECT_EQ(x.frames.window_size, 372);
        EXPECT_EQ(x.frames.fill, 0);
        expect_zero(x.frames.buffer, 0, 2 * 372 + 64);

        mute(*r.box, disabled, false);
        r.graph.run(1);
        EXPECT_EQ(x.frames.fill, 16);
        EXPECT_NE(x.frames.buffer[744], 0.0f);
    }
}

TEST(ZidStream, ShortCallsStillLandOnTheHop) {
    Running r("zid~", ramp_source());
    ASSERT_TRUE(r.box);
    yin_t &x = r.x();
    OutletLog log(*r.box);
    r.graph.run_frames(30);  // 7 whole groups of 4; the last 2 samples wait for the next call
    EXPECT_EQ(x.frames.fill, 7);
    EXPECT_EQ(x.frames.partial.count, 2);
    EXPECT_EQ(x.frames.buffer[383], 0.0f);
    r.graph.run(3);
    EXPECT_EQ(x.frames.fill, 55);
    // The stream is decimated as if it had come in one piece.
    for (int j = 0; j < 55; ++j) ASSERT_EQ(x.frames.buffer[376 + j], decimated(0, 2, j)) << j;
    r.graph.run(1);  // 2 + 64 samples where 9 groups fit: the hop completes, the rest is dropped
    EXPECT_EQ(x.frames.fill, 0);
    EXPECT_EQ(x.frames.partial.count, 0);
    run_scheduler();
    EXPECT_EQ(log.analyses(), 1u);
}

TEST(ZidStream, LongCallsNeverOverrunTheBuffer) {
    Running r("zid~", DspGraph::constant(0.0));
    ASSERT_TRUE(r.box);
    yin_t &x = r.x();
    OutletLog log(*r.box);
    r.graph.run(1);
    const auto routines = r.graph.perform_routines();
    ASSERT_EQ(routines.size(), 1u);
    // Calls with many more frames than the 64 announced: at most the room left is buffered.
    std::vector<double> input(4096);
    for (size_t i = 0; i < input.size(); ++i) input[i] = ramp(static_cast<long>(i));
    double *ins[1] = {input.data()};
    routines[0].second(routines[0].first, nullptr, ins, 1, nullptr, 0, 4096, 0, nullptr);
    EXPECT_EQ(x.frames.fill, 0);  // 48 were room, and the hop completed
    for (int j = 0; j < 48; ++j) EXPECT_EQ(x.frames.buffer[328 + j], decimated(0, 2, j)) << j;
    routines[0].second(routines[0].first, nullptr, ins, 1, nullptr, 0, 1000, 0, nullptr);
    EXPECT_EQ(x.frames.fill, 0);
    run_scheduler();
    EXPECT_EQ(log.analyses(), 1u);
}

TEST(ZidStream, CallsOfAnyLengthStayWithinTheBuffer) {
    // Calls shorter and longer than announced, against vector sizes that are no multiple of the
    // group; the sanitizer build checks every write, and the counters stay in range.
    struct Case {
        const char *box;
        long announced;
        std::vector<long> calls;
    };
    const Case cases[] = {
        {"zid~ 3", 5, {1, 2, 3, 4, 5, 7, 9, 200, 3, 1}},
        {"zid~ 2", 63, {62, 1, 61, 64, 1000, 2, 63}},
        {"zid~ 0", 1, {1, 2, 1, 500, 1}},
        {"zid~ 1 60 0", 3, {3, 1, 2, 3, 1}},  // period 0: the hop is one unit of 2 vectors
    };
    std::vector<double> input(4096);
    for (size_t i = 0; i < input.size(); ++i) input[i] = ramp(static_cast<long>(i));
    double *ins[1] = {input.data()};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.box);
        Running r(c.box, DspGraph::constant(0.0), c.announced);
        ASSERT_TRUE(r.box);
        yin_t &x = r.x();
        r.graph.run(1);
        const auto routine = r.graph.perform_routines().at(0);
        for (int repeat = 0; repeat < 30; ++repeat)
            for (long frames : c.calls) {
                routine.second(routine.first, nullptr, ins, 1, nullptr, 0, frames, 0, nullptr);
                ASSERT_GE(x.frames.fill, 0);
                ASSERT_LT(x.frames.fill, x.frames.hop_size);
                ASSERT_GE(x.frames.partial.count, 0);
                ASSERT_LT(x.frames.partial.count, 1 << x.frames.down);
            }
    }
}

TEST(ZidStream, VectorsShorterThanAGroupFillItAcrossCalls) {
    // Vectors of 3 at down 2: every 4 vectors give 3 groups, and 19 such units span 5 ms.
    Running r("zid~", ramp_source(), 3);
    ASSERT_TRUE(r.box);
    yin_t &x = r.x();
    OutletLog log(*r.box);
    r.graph.run(4);
    EXPECT_EQ(x.frames.hop_size, 57);
    EXPECT_EQ(x.frames.fill, 3);
    EXPECT_EQ(x.frames.partial.count, 0);
    r.graph.run(71);  // 225 samples: 56 groups and one sample
    EXPECT_EQ(x.frames.fill, 56);
    EXPECT_EQ(x.frames.partial.count, 1);
    run_scheduler();
    EXPECT_EQ(log.analyses(), 0u);
    r.graph.run(1);  // the 76th vector completes the last group and the hop
    EXPECT_EQ(x.frames.fill, 0);
    EXPECT_EQ(x.frames.partial.count, 0);
    run_scheduler();
    EXPECT_EQ(log.analyses(), 1u);
    // The frame ends with the hop's 57 samples, the first 228 input samples decimated in order.
    for (int j = 0; j < 57; ++j) ASSERT_EQ(x.frames.buffer[319 + j], decimated(0, 2, j)) << j;
    expect_zero(x.frames.buffer, 0, 319);
    // A derivation drops an unfinished group along with the unfinished hop.
    r.graph.run(1);
    ASSERT_EQ(x.frames.partial.count, 3);
    ASSERT_EQ(r.box->set_attr("period", {make_float(5)}), MAX_ERR_NONE);
    r.graph.run(1);
    EXPECT_EQ(x.frames.fill, 0);
    EXPECT_EQ(x.frames.partial.count, 3);
}

TEST(ZidStream, VersionCounterWrapsAround) {
    Running r("zid~", ramp_source());
    ASSERT_TRUE(r.box);
    yin_t &x = r.x();
    r.graph.run(1);
    // As after 2^32 - 1 changes.
    x.param_version = x.applied_version = 0xFFFFFFFFu;
    ASSERT_EQ(r.box->set_attr("minfreq", {make_float(30)}), MAX_ERR_NONE);
    EXPECT_EQ(x.param_version, 0u);
    r.graph.run(1);
    EXPECT_EQ(x.applied_version, 0u);
    EXPECT_EQ(x.frames.window_size, 372);
}

TEST(ZidStream, NonFiniteParametersGiveADefinedGeometry) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Running r("zid~", DspGraph::sine(1000, 44100));
    ASSERT_TRUE(r.box);
    yin_t &x = r.x();
    OutletLog log(*r.box);
    ASSERT_EQ(r.box->set_attr("minfreq", {make_float(nan)}), MAX_ERR_NONE);
    ASSERT_EQ(r.box->set_attr("period", {make_float(nan)}), MAX_ERR_NONE);
    for (int i = 0; i < 8; ++i) r.graph.run(1), run_scheduler();
    EXPECT_EQ(x.frames.max_lag, 6);  // a NaN lowest frequency acts as a quarter of the rate
    EXPECT_EQ(x.frames.hop_size, 16);
    EXPECT_EQ(log.analyses(), 0u);  // a NaN period is not above 0
    r.box->send("bang");
    r.graph.run(1), run_scheduler();
    EXPECT_EQ(log.analyses(), 1u);

    ASSERT_EQ(r.box->set_attr("minfreq", {make_float(std::numeric_limits<double>::infinity())}),
              MAX_ERR_NONE);
    ASSERT_EQ(r.box->set_attr("period", {make_float(-std::numeric_limits<double>::infinity())}),
              MAX_ERR_NONE);
    r.graph.run(1);
    EXPECT_EQ(x.period, 0.0);
    EXPECT_EQ(x.frames.max_lag, 6);
}

}  // namespace
