// The pfft~ container through the stand-in host, with a probe object registered by the test
// itself: the binding of "__pfft~__" while boxes are made, what the inner dsp64 sees, what each
// frame feeds in, frame alignment and time stamps, and independence from the block size.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "morvhost/pfft.hpp"

#include "test_signals.h"

namespace {

using morvhost::Box;
using morvhost::Pfft;
using morvhost::PfftFrame;

// ---- the probe: copies its two signal inlets to its two signal outlets ----------------------

struct probe_t {
    t_pxobject ob;
};

struct ProbeLog {
    t_object *binding_at_new = nullptr;
    double samplerate = 0;
    long max_vector = 0;
    short counts[2] = {0, 0};
};
ProbeLog probe_log;
t_class *probe_class = nullptr;

void probe_perform(t_object *, t_object *, double **ins, long, double **outs, long, long n, long,
                   void *) {
    for (long i = 0; i < n; ++i) {
        outs[0][i] = ins[0][i];
        outs[1][i] = ins[1][i];
    }
}

void *probe_new(t_symbol *, long, t_atom *) {
    auto *x = static_cast<probe_t *>(object_alloc(probe_class));
    z_dsp_setup(&x->ob, 2);
    x->ob.z_misc = Z_NO_INPLACE;
    outlet_new(x, "signal");
    outlet_new(x, "signal");
    probe_log.binding_at_new = gensym("__pfft~__")->s_thing;
    return x;
}

void probe_free(probe_t *x) {
    z_dsp_free(&x->ob);
}

void probe_dsp64(probe_t *x, t_object *dsp64, short *count, double sr, long maxvec, long) {
    probe_log.samplerate = sr;
    probe_log.max_vector = maxvec;
    probe_log.counts[0] = count[0];
    probe_log.counts[1] = count[1];
    object_method(dsp64, gensym("dsp_add64"), x, probe_perform, 0, 0);
}

class PfftTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (probe_class != nullptr) {
            return;
        }
        probe_class = class_new("pfft.probe~", reinterpret_cast<method>(probe_new),
                                reinterpret_cast<method>(probe_free),
                                static_cast<long>(sizeof(probe_t)), nullptr, A_GIMME, 0);
        class_dspinit(probe_class);
        class_addmethod(probe_class, reinterpret_cast<method>(probe_dsp64), "dsp64", A_CANT, 0);
        class_register(CLASS_BOX, probe_class);
    }
    void SetUp() override { probe_log = {}; }
};

// Frames collected from one outlet.
struct Collected {
    std::vector<PfftFrame> frames;  // values are copied into `values` below
    std::vector<std::vector<double>> values;
};

Pfft::Listener recorder(Collected &into) {
    return [&into](const PfftFrame &f) {
        into.frames.push_back(f);
        into.values.emplace_back(f.values.begin(), f.values.end());
    };
}

TEST_F(PfftTest, GeometryIsCheckedAndDerived) {
    Pfft defaults;
    EXPECT_EQ(defaults.fft_size(), 512);
    EXPECT_EQ(defaults.hop(), 256);
    EXPECT_EQ(defaults.frame_size(), 256);
    Pfft smallest(4, 4);
    EXPECT_EQ(smallest.hop(), 1);
    for (long size : {0L, -512L, 2L, 3L, 6L, 1000L, 1L << 30}) {
        EXPECT_THROW(Pfft(size, 2), std::invalid_argument) << size;
    }
    for (long overlap : {0L, -2L, 3L, 1024L}) {
        EXPECT_THROW(Pfft(512, overlap), std::invalid_argument) << overlap;
    }
}

TEST_F(PfftTest, BindsItselfWhileCreatingBoxesAndRestoresTheBinding) {
    t_symbol *pfft = gensym("__pfft~__");
    t_object outer{};  // a binding made by someone else must survive
    pfft->s_thing = &outer;
    {
        Pfft container(64, 2);
        ASSERT_NE(container.create("pfft.probe~"), nullptr);
        EXPECT_EQ(probe_log.binding_at_new, container.object());
        EXPECT_EQ(pfft->s_thing, &outer);
        EXPECT_EQ(container.create("no.such.object~"), nullptr);
        EXPECT_EQ(pfft->s_thing, &outer);
        // The container record carries its geometry where inner objects expect it.
        auto *pub = reinterpret_cast<morvhost::t_pfftpub *>(container.object());
        EXPECT_EQ(pub->x_fftsize, 64);
        EXPECT_EQ(pub->x_ffthop, 32);
    }
    pfft->s_thing = nullptr;
    morvhost::Host::get().clear_console();
}

TEST_F(PfftTest, InnerGraphRunsAtHalfTheFftSizeAndTheOuterRate) {
    Pfft container(1024, 4);
    Box *probe = container.create("pfft.probe~");
    ASSERT_NE(probe, nullptr);
    container.feed_real(*probe, 0);
    ASSERT_TRUE(container.compile(48000));
    EXPECT_EQ(probe_log.samplerate, 48000);
    EXPECT_EQ(probe_log.max_vector, 512);
    EXPECT_NE(probe_log.counts[0], 0);
    EXPECT_EQ(probe_log.counts[1], 0);
}

TEST_F(PfftTest, FeedsRealImaginaryAndAmplitudeOfEachFrame) {
    const long n = 64;
    Pfft container(n, 2);
    Box *complex = container.create("pfft.probe~");
    Box *amplitude = container.create("pfft.probe~");
    ASSERT_TRUE(complex && amplitude);
    container.feed_real(*complex, 0);
    container.feed_imag(*complex, 1);
    container.feed_amplitude(*amplitude, 0);
    Collected re, im, amp;
    container.collect(*complex, 0, recorder(re));
    container.collect(*complex, 1, recorder(im));
    container.collect(*amplitude, 0, recorder(amp));
    ASSERT_TRUE(container.compile(44100));
    // A sine exactly at the centre of bin 5: -i * N/4 there, -/+ N/8 in the neighbours.
    std::vector<double> input(n);
    for (long i = 0; i < n; ++i) {
        input[static_cast<std::size_t>(i)] = std::sin(2 * std::numbers::pi * 5 * i / n);
    }
    container.process(input);
    ASSERT_EQ(re.frames.size(), 1u);
    ASSERT_EQ(im.values[0].size(), 32u);
    EXPECT_NEAR(im.values[0][5], -n / 4.0, 1e-9);
    EXPECT_NEAR(im.values[0][4], n / 8.0, 1e-9);
    EXPECT_NEAR(re.values[0][5], 0.0, 1e-9);
    EXPECT_NEAR(amp.values[0][5], n / 4.0, 1e-9);
    EXPECT_NEAR(amp.values[0][6], n / 8.0, 1e-9);
    EXPECT_NEAR(amp.values[0][20], 0.0, 1e-9);
}

TEST_F(PfftTest, FrameJCoversItsHopAlignedSpanAndIsStampedAtItsCentre) {
    Pfft container(16, 2);
    Box *probe = container.create("pfft.probe~");
    ASSERT_NE(probe, nullptr);
    container.feed_amplitude(*probe, 0);
    Collected out;
    container.collect(*probe, 0, recorder(out));
    ASSERT_TRUE(container.compile(1000));
    // One impulse at sample 21: inside frames 1 (8..23) and 2 (16..31), at window offsets 13
    // and 5; an impulse's spectrum is flat, at the window's value there.
    std::vector<double> input(40, 0.0);
    input[21] = 1.0;
    container.process(input);
    ASSERT_EQ(out.frames.size(), 4u);  // frames start at 0, 8, 16, 24; 32 is incomplete
    EXPECT_EQ(container.frames_done(), 4);
    const double w13 = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * 13 / 16);
    const double w5 = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * 5 / 16);
    for (std::size_t j = 0; j < 4; ++j) {
        EXPECT_EQ(out.frames[j].index, static_cast<std::int64_t>(j));
        EXPECT_EQ(out.frames[j].first_sample, static_cast<std::int64_t>(8 * j));
        EXPECT_DOUBLE_EQ(out.frames[j].time_seconds, (8.0 * j + 8.0) / 1000.0);
        const double expected = j == 1 ? w13 : j == 2 ? w5 : 0.0;
        for (double v : out.values[j]) {
            EXPECT_NEAR(v, expected, 1e-12) << "frame " << j;
        }
    }
}

TEST_F(PfftTest, ResultsDoNotDependOnHowTheStreamIsSplit) {
    const auto input = morvtest::uniform_noise(5000, 7);
    auto run = [&input](std::size_t block) {
        Pfft container(256, 4);
        Box *probe = container.create("pfft.probe~");
        container.feed_real(*probe, 0);
        container.feed_imag(*probe, 1);
        Collected out;
        container.collect(*probe, 1, recorder(out));
        container.compile(44100);
        for (std::size_t at = 0; at < input.size(); at += block) {
            container.process(std::span(input).subspan(at, std::min(block, input.size() - at)));
        }
        return out.values;
    };
    const auto whole = run(input.size());
    ASSERT_EQ(whole.size(), (5000u - 256u) / 64u + 1u);
    for (std::size_t block : {1u, 63u, 64u, 1000u}) {
        EXPECT_EQ(run(block), whole) << block;
    }
}

TEST_F(PfftTest, RecompilingRestartsTheStreamAndLeavesLogicalTimeAlone) {
    Pfft container(32, 2);
    Box *probe = container.create("pfft.probe~");
    container.feed_real(*probe, 0);
    Collected out;
    container.collect(*probe, 0, recorder(out));
    ASSERT_TRUE(container.compile(8000));
    const auto before = morvhost::Host::get().now_samples();
    container.process(morvtest::uniform_noise(40, 1));  // one frame, 8 samples left over
    container.compile(8000);
    container.process(morvtest::uniform_noise(24, 2));  // not enough for a frame after the restart
    EXPECT_EQ(out.frames.size(), 1u);
    container.process(morvtest::uniform_noise(8, 3));
    ASSERT_EQ(out.frames.size(), 2u);
    EXPECT_EQ(out.frames[1].index, 0);
    EXPECT_EQ(morvhost::Host::get().now_samples(), before);
}

TEST_F(PfftTest, NothingRunsUntilTheInnerGraphCompiled) {
    Pfft container(16, 2);
    Box *probe = container.create("pfft.probe~");
    ASSERT_NE(probe, nullptr);
    container.feed_real(*probe, 0);
    Collected out;
    container.collect(*probe, 0, recorder(out));
    container.process(morvtest::uniform_noise(64, 4));
    EXPECT_FALSE(container.compile(std::nan("")));
    container.process(morvtest::uniform_noise(64, 5));
    EXPECT_TRUE(out.frames.empty());
    EXPECT_EQ(container.frames_done(), 0);
    morvhost::Host::get().clear_console();
}

}  // namespace
